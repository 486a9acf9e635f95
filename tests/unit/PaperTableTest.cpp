// Tables of papers as text: what the reader makes of what spreadsheets, the
// clipboard and catalog files hand it, the refusals it names, and the writer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PaperTestSupport.h"
#include "catalog/PaperRules.h"
#include "catalog/PaperTable.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

// "A|A4|80|white|plain|F|0 @line" per paper, or the faults: "table:N" for the
// whole text, "line:column:fault[:field]" per refused row.
std::string Outcome(const PaperTableRead& read) {
    std::string text;
    if (read.ok()) {
        for (size_t i = 0; i < read.papers.size(); ++i) {
            if (!text.empty()) text += "; ";
            text += Describe(read.papers[i]) + " @" + std::to_string(read.lines[i]);
        }
        return text;
    }
    if (read.fault != TableFault::RowsRefused) return "table:" + std::to_string(static_cast<int>(read.fault));
    for (const RowRefusal& refusal : read.refusals) {
        if (!text.empty()) text += "; ";
        text += std::to_string(refusal.line) + ":" + std::to_string(refusal.column) + ":" +
                std::to_string(static_cast<int>(refusal.fault));
        if (refusal.fault == RowFault::Field) text += ":" + std::to_string(static_cast<int>(refusal.field));
    }
    return text;
}

// ASCII text as UTF-16 after the given mark.
std::string Utf16(const char* mark, const std::string& ascii, bool bigEndian) {
    std::string text = mark;
    for (char c : ascii) {
        text += bigEndian ? '\0' : c;
        text += bigEndian ? c : '\0';
    }
    return text;
}

std::string Fault(TableFault fault) { return "table:" + std::to_string(static_cast<int>(fault)); }
std::string Row(int line, int column, RowFault fault) {
    return std::to_string(line) + ":" + std::to_string(column) + ":" + std::to_string(static_cast<int>(fault));
}
std::string FieldRow(int line, int column, FieldFault field) {
    return Row(line, column, RowFault::Field) + ":" + std::to_string(static_cast<int>(field));
}

class PaperTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppState.Reset();
        AppState.CurrentLanguage = kEnglish;
        AppState.SizeChoiceCount = 9;
        AppState.MinimumPaperWeight = 60;
        AppState.MaximumPaperWeight = 200;
    }
};

struct ReadCase {
    const char* what;
    std::string text;
    std::string expected;
};

TEST_F(PaperTableTest, ReadsWhatSpreadsheetsAndCatalogFilesWrite) {
    const std::string plain = "Plain|A4|80|white|plain|F|0";
    const ReadCase cases[] = {
        {"tabs, header, CR LF", "Name\tSize\tWeight\tColor\tType\tForceOneSided\r\nPlain\tA4\t80\twhite\tplain\tno\r\n",
         plain + " @2"},
        {"commas, no header, no final line end", "Plain,A4,80,white,plain,no", plain + " @1"},
        {"semicolons, force left out", "Plain;A4;80;white;plain", plain + " @1"},
        {"a comma inside a semicolon row's cell does not decide the separator", "Plain;A4;80;white;plain,x",
         FieldRow(1, COL_TYPE, FieldFault::RefusedCharacter)},
        {"nor do commas inside quotes", "\"P,l,a,i,n,x\";A4;80;white;plain",
         FieldRow(1, COL_NAME, FieldFault::RefusedCharacter)},
        {"header in another order, case ignored, colour spelt the British way",
         "TYPE,colour,weight,size,NAME\nplain,white,80,a4,Plain\n", plain + " @2"},
        {"the form's labels as header", "Paper;Size:;Weight (gsm);&Color;Type;Force 1-sided\nPlain;A4;80;white;plain;0\n",
         plain + " @2"},
        {"quoted cells: separators, doubled quotes, line breaks",
         "Name,Size,Weight,Color,Type\n\"Plain\",\"A4\",\"80\",\"white\",\"pla\"\"in\"\n",
         FieldRow(2, COL_TYPE, FieldFault::RefusedCharacter)},
        {"a line break inside quotes counts as a line", "\"Pl\r\nain\",A4,80,white,plain\nNext,A9,80,white,plain",
         FieldRow(1, COL_NAME, FieldFault::Unprintable) + "; " + Row(3, COL_SIZE, RowFault::UnknownSize)},
        {"blanks inside names and words, as stored catalogs hold them", "Blue Cover,A4,80,pale blue,plain",
         "Blue Cover|A4|80|pale blue|plain|F|0 @1"},
        {"empty lines and blanks around cells", "\r\n\r\n  Plain , A4 ,80, white ,plain \r\n\r\n", plain + " @3"},
        {"yes words of the ten languages and spreadsheet booleans",
         "A,A4,80,white,plain,ja\nB,A4,80,white,plain,OUI\nC,A4,80,white,plain,kyll\xE4\nD,A4,80,white,plain,WAHR\n"
         "E,A4,80,white,plain,T\nF,A4,80,white,plain,nein",
         "A|A4|80|white|plain|T|0 @1; B|A4|80|white|plain|T|0 @2; C|A4|80|white|plain|T|0 @3; "
         "D|A4|80|white|plain|T|0 @4; E|A4|80|white|plain|T|0 @5; F|A4|80|white|plain|F|0 @6"},
        {"a tab before a cell", "\tPlain,A4,80,white,plain", plain + " @1"},
        {"catalog file lines right under the file's header", "[Paper Catalog]\r\nPaper_000=Plain,A4,80,white,plain,F",
         plain + " @2"},
        {"catalog file lines", "Paper_000=Plain,A4,80,white,plain,F\r\nPaper_001=Clear,A3,120,clear,transparency,T\r\n",
         plain + " @1; Clear|A3|120|clear|transparency|T|0 @2"},
        {"a whole catalog file: banner and kept entries skipped",
         "[Paper Catalog]\r\n;;;;\r\n; banner ;\r\n[Papers]\r\nPaper_000=Plain,A4,80,white,plain,F\r\n"
         "[Registry Entries]\r\nEntry_000=1,41,42\r\n",
         plain + " @5"},
        {"UTF-8 with its mark", "\xEF\xBB\xBFName,Size,Weight,Color,Type\nPl\xC3\xA4in,A4,80,white,plain\n",
         "Pl\xE4in|A4|80|white|plain|F|0 @2"},
        {"UTF-8 without the mark", "Pl\xC3\xA4in,A4,80,white,plain", "Pl\xE4in|A4|80|white|plain|F|0 @1"},
        {"overlong UTF-8 is no UTF-8: code page 1252", "Pl\xC1\xA1in,A4,80,white,plain",
         "Pl\xC1\xA1in|A4|80|white|plain|F|0 @1"},
        {"code page 1252", "Pl\xE4in,A4,80,white,plain", "Pl\xE4in|A4|80|white|plain|F|0 @1"},
        {"UTF-16 with its mark", Utf16("\xFF\xFE", "Plain,A4,80,white,plain", false), plain + " @1"},
        {"UTF-16, big-endian", Utf16("\xFE\xFF", "Plain,A4,80,white,plain", true), plain + " @1"},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(Outcome(ReadPaperTable(c.text)), c.expected) << c.what;
    }
    // Sizes as the form shows them in any language, letter case and blanks ignored, or as points.
    // A decimal comma needs quotes in a comma row.
    EXPECT_EQ(Outcome(ReadPaperTable("A;210 X 297 MM;80;white;plain\nB;8,5 x 11 Zoll;80;white;plain\n"
                                     "C;8.5x11IN;80;white;plain\nD;595 842;80;white;plain\nE;letter;80;white;plain")),
              "A|A4|80|white|plain|F|0 @1; B|LETTER|80|white|plain|F|0 @2; C|LETTER|80|white|plain|F|0 @3; "
              "D|A4|80|white|plain|F|0 @4; E|LETTER|80|white|plain|F|0 @5");
    EXPECT_EQ(Outcome(ReadPaperTable("C,\"8,5 x 11 tom.\",80,white,plain")), "C|LETTER|80|white|plain|F|0 @1");
}

TEST_F(PaperTableTest, RefusesRowsByTheFormsRules) {
    const ReadCase cases[] = {
        {"comma inside a quoted name", "\"Pla,in\",A4,80,white,plain", FieldRow(1, COL_NAME, FieldFault::RefusedCharacter)},
        {"a blank at the start of a quoted name", "\" Plain\",A4,80,white,plain", FieldRow(1, COL_NAME, FieldFault::Unprintable)},
        {"a tab inside a name", "\"Pl\tain\",A4,80,white,plain", FieldRow(1, COL_NAME, FieldFault::Unprintable)},
        {"name of 32 characters", std::string(32, 'N') + ",A4,80,white,plain", FieldRow(1, COL_NAME, FieldFault::TooLong)},
        {"colour of 20 characters", "P,A4,80," + std::string(20, 'c') + ",plain", FieldRow(1, COL_COLOR, FieldFault::TooLong)},
        {"empty type", "P,A4,80,white,", FieldRow(1, COL_TYPE, FieldFault::Empty)},
        {"weight above the limit", "P,A4,201,white,plain", FieldRow(1, COL_WEIGHT, FieldFault::OutOfRange)},
        {"weight of four digits", "P,A4,0080,white,plain", FieldRow(1, COL_WEIGHT, FieldFault::TooLong)},
        {"weight with a unit", "P,A4,80g,white,plain", FieldRow(1, COL_WEIGHT, FieldFault::NotDigits)},
        {"size of no table row", "P,A5,80,white,plain", Row(1, COL_SIZE, RowFault::UnknownSize)},
        {"force of no language", "P,A4,80,white,plain,maybe", Row(1, COL_FORCE_ONE_SIDED, RowFault::NotYesNo)},
        {"transparency printed on both sides", "P,A4,80,clear,Transparency,no",
         Row(1, COL_FORCE_ONE_SIDED, RowFault::TransparencyBothSides)},
        {"name repeated in another letter case", "P,A4,80,white,plain\np,A4,80,white,plain",
         Row(2, COL_NAME, RowFault::RepeatedName)},
        {"a row with 40 columns", "P,A4,80,white,plain,no" + std::string(34, ',') + "x",
         Row(1, COL_NONE, RowFault::TooManyColumns)},
        {"a row of four cells", "P,A4,80,white,plain\nQ,A4,80,white", Row(2, COL_NONE, RowFault::TooFewColumns)},
        {"a catalog file key without its number", "Paper_000=P,A4,80,white,plain,F\r\nPaper_=Q,A4,80,white,plain,F",
         Row(2, COL_NONE, RowFault::NotAPaperLine)},
        {"a cell under an empty header cell", ",Name,Size,Weight,Color,Type\nx,P,A4,80,white,plain",
         Row(2, COL_NONE, RowFault::TooManyColumns)},
        {"a quote never closed", "P,A4,80,white,plain\n\"Q,A4,80,white,plain\nR,A4,80,white,plain",
         Row(2, COL_NONE, RowFault::QuoteNotClosed)},
        {"a no-break space in UTF-8 is the code page's own", "P\xC2\xA0x,A4,80,white,plain",
         FieldRow(1, COL_NAME, FieldFault::Unprintable)},
        {"a character code page 1252 lacks", "P\xE2\x82\xAC\xE2\x84\xA2\xE2\x88\x9A,A4,80,white,plain",
         Row(1, COL_NAME, RowFault::NotInCodePage)},
        {"other lines among catalog lines", "Paper_000=P,A4,80,white,plain,F\nhello\n",
         Row(2, COL_NONE, RowFault::NotAPaperLine)},
        {"every refused row is named", "P,A4,80,white,plain,no\nQ,A4,999,white,plain\nR,A9,80,white,plain",
         FieldRow(2, COL_WEIGHT, FieldFault::OutOfRange) + "; " + Row(3, COL_SIZE, RowFault::UnknownSize)},
    };
    for (const ReadCase& c : cases) EXPECT_EQ(Outcome(ReadPaperTable(c.text)), c.expected) << c.what;

    // A transparency without a word for ForceOneSided is forced, as choosing it in the form does.
    EXPECT_EQ(Outcome(ReadPaperTable("P,A4,80,clear,transparency")), "P|A4|80|clear|transparency|T|0 @1");
    // The paste renames repeated names itself.
    PaperTableOptions repeats;
    repeats.allowRepeatedNames = true;
    EXPECT_TRUE(ReadPaperTable("P,A4,80,white,plain\np,A4,80,white,plain", repeats).ok());
    // Sizes beyond this PC's choices are not offered, so not read.
    AppState.SizeChoiceCount = 6;
    EXPECT_EQ(Outcome(ReadPaperTable("P,A3,80,white,plain")), Row(1, COL_SIZE, RowFault::UnknownSize));
}

TEST_F(PaperTableTest, RefusesTextsThatHoldNoTable) {
    const ReadCase cases[] = {
        {"empty", "", Fault(TableFault::Empty)},
        {"blank lines only", " \r\n\t\r\n", Fault(TableFault::Empty)},
        {"header only", "Name,Size,Weight,Color,Type,ForceOneSided\r\n", Fault(TableFault::HeaderOnly)},
        {"xlsx or ods", std::string("PK\x03\x04\x14\0\x06\0", 8) + "[Content_Types].xml", Fault(TableFault::SpreadsheetFile)},
        {"old xls", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 rest", Fault(TableFault::SpreadsheetFile)},
        {"NUL bytes", std::string("P\0,\0A\0004\0", 8), Fault(TableFault::NulBytes)},
        {"prose", "Dear colleague,\nthe paper is in the drawer.\n", Fault(TableFault::NoPaperRow)},
        {"unknown header cell", "Name,Size,Weight,Color,Type,Notes\nP,A4,80,white,plain,x", Fault(TableFault::UnknownHeader)},
        {"header without weight", "Name,Size,Color,Type\nP,A4,white,plain", Fault(TableFault::MissingColumn)},
        {"header naming a column twice", "Name,Size,Weight,Color,Type,Paper\nP,A4,80,white,plain,Q",
         Fault(TableFault::RepeatedColumn)},
    };
    for (const ReadCase& c : cases) EXPECT_EQ(Outcome(ReadPaperTable(c.text)), c.expected) << c.what;
    EXPECT_EQ(Outcome(ReadPaperTable(std::string(kMaxPaperTableBytes + 1, 'x'))), Fault(TableFault::TooLarge));
}

TEST_F(PaperTableTest, TheRefusalNamesUpToTenRows) {
    std::string text = "Name,Size,Weight,Color,Type\n";
    for (int i = 0; i < 12; ++i) text += "Row" + std::to_string(i) + ",A4,5,white,plain\n";
    const std::vector<std::string> lines = PaperTableRefusalLines(ReadPaperTable(text), TableUse::Import);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "Nothing was imported.");
    EXPECT_EQ(lines[1], "Rows refused: 12");
    EXPECT_EQ(lines[2], "Line 2, \"Row0\", Weight (gsm): 5 is outside the limits of this PC, 60 to 200");
    EXPECT_EQ(lines[12], "... and 2 more.");
    // A text of many bad rows keeps only the first refusals, but counts them all.
    std::string many = "Name,Size,Weight,Color,Type\nGood,A4,80,white,plain\n";
    for (int i = 0; i < 5000; ++i) many += "Row" + std::to_string(i) + ",A9,80,white,plain\n";
    const PaperTableRead read = ReadPaperTable(many);
    EXPECT_EQ(read.refusedRows, 5000u);
    EXPECT_EQ(read.refusals.size(), kMaxRowRefusalsKept);
    EXPECT_TRUE(read.papers.empty());
    EXPECT_EQ(PaperTableRefusalLines(read, TableUse::Paste).back(), "... and 4990 more.");

    // A character beyond the code page is one "?" in the name shown, a UTF-16 pair too.
    const PaperTableRead pair = ReadPaperTable(Utf16("\xFF\xFE", "P", false) + std::string("\x3D\xD8\x00\xDE", 4) +
                                               Utf16("", "x,A4,80,white,plain", false));
    ASSERT_EQ(pair.refusals.size(), 1u);
    EXPECT_EQ(pair.refusals[0].name, "P?x");

    AppState.CurrentLanguage = FindLanguageIndex("French");
    const std::string message = PaperTableRefusalMessage(ReadPaperTable("\"Pla,in\";A4;80;blanc;simple"), TableUse::Paste);
    EXPECT_EQ(message, "Rien n'a \xE9t\xE9 coll\xE9.\nLignes refus\xE9""es\xA0: 1\nLigne 1, \xAB\xA0Pla,in\xA0\xBB, Papier\xA0: "
                       "contient un caract\xE8re refus\xE9 par le champ (! \" % ' ( ) , / ; < > [ \\ ] ^ { | } \xAB \xBB)");
}

TEST_F(PaperTableTest, WrittenTablesReadBackAsTheyWere) {
    const std::vector<CPaperDef> papers = {
        CPaperDef("Plain", "A4", "80", "white", "plain", false, 0),
        CPaperDef("Gl\xE4nzend", "8_0x10_5", "135", "wei\xDF", "transparency", true, 0),
    };
    const std::string tabbed = WritePaperTable(papers, '\t', TableEncoding::CodePage1252);
    EXPECT_EQ(tabbed, "Name\tSize\tWeight\tColor\tType\tForceOneSided\r\nPlain\tA4\t80\twhite\tplain\tno\r\n"
                      "Gl\xE4nzend\t8_0x10_5\t135\twei\xDF\ttransparency\tyes\r\n");
    const std::string csv = WritePaperTable(papers, ',', TableEncoding::Utf8WithMark);
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(csv.find("Gl\xC3\xA4nzend,8_0x10_5,135,wei\xC3\x9F,transparency,yes\r\n"), std::string::npos);
    for (const std::string& text : {tabbed, csv}) {
        const PaperTableRead read = ReadPaperTable(text);
        ASSERT_TRUE(read.ok()) << PaperTableRefusalMessage(read, TableUse::Import);
        ASSERT_EQ(read.papers.size(), 2u);
        for (size_t i = 0; i < 2; ++i) EXPECT_EQ(Describe(read.papers[i]), Describe(papers[i]));
    }
    std::string converted;
    EXPECT_TRUE(Utf8ToCp1252("Caf\xC3\xA9 \xE2\x82\xAC", converted));
    EXPECT_EQ(converted, "Caf\xE9 \x80");
    EXPECT_FALSE(Utf8ToCp1252("x\xE2\x88\x9Ay", converted));
    EXPECT_EQ(converted, "x?y");
    EXPECT_FALSE(Utf8ToCp1252("\xC3", converted));
    // Cells that hold the separator or quotes are quoted, and so are cells with
    // blanks at either end, which a reader would otherwise trim.
    EXPECT_EQ(WritePaperTable({CPaperDef("a;b", "A4", "80", "x\"y", " pale ", false, 0)}, ';', TableEncoding::CodePage1252)
                  .substr(43),
              "\"a;b\";A4;80;\"x\"\"y\";\" pale \";no\r\n");
}

TEST(PaperRulesTest, TypedTextAndWeights) {
    EXPECT_EQ(CheckTypedText("", kMaxNameLength), FieldFault::FieldOk);
    EXPECT_EQ(CheckTypedText("Bond\xAB", kMaxNameLength), FieldFault::RefusedCharacter);
    EXPECT_EQ(CheckTypedText("Bond\xA0", kMaxNameLength), FieldFault::Unprintable);
    EXPECT_EQ(CheckTypedText("Bond\x7F", kMaxNameLength), FieldFault::Unprintable);
    EXPECT_EQ(CheckTypedText(std::string(20, 'w'), kMaxWordLength), FieldFault::TooLong);
    // A lead byte's trail byte is part of its character, not a refused "\\".
    EXPECT_EQ(CheckTypedText("\xE0\\", kMaxNameLength, [](unsigned char b) { return b == 0xE0; }), FieldFault::FieldOk);
    EXPECT_EQ(CheckTypedText("\xE0\\", kMaxNameLength), FieldFault::RefusedCharacter);
    // Complete fields: blanks only inside, and only where rows allow them; weights within the limits.
    EXPECT_EQ(CheckCompleteField(PA_NAME, "Blue Cover"), FieldFault::Unprintable);
    EXPECT_EQ(CheckCompleteField(PA_NAME, "Blue Cover", nullptr, Blanks::Inside), FieldFault::FieldOk);
    EXPECT_EQ(CheckCompleteField(PA_COLOR, "blue ", nullptr, Blanks::Inside), FieldFault::Unprintable);
    EXPECT_EQ(CheckCompleteField(PA_TYPE, "a b;c", nullptr, Blanks::Inside), FieldFault::RefusedCharacter);
    EXPECT_EQ(CheckCompleteField(PA_NAME, std::string(16, 'a') + " " + std::string(15, 'b'), nullptr, Blanks::Inside),
              FieldFault::TooLong);
    AppState.MinimumPaperWeight = 60;
    AppState.MaximumPaperWeight = 200;
    EXPECT_EQ(CheckCompleteField(PA_WEIGHT, "60"), FieldFault::FieldOk);
    EXPECT_EQ(CheckCompleteField(PA_WEIGHT, "59"), FieldFault::OutOfRange);
    EXPECT_EQ(CheckCompleteField(PA_WEIGHT, ""), FieldFault::Empty);
    EXPECT_EQ(CheckTypedWeight(""), FieldFault::FieldOk);
    EXPECT_EQ(CheckTypedWeight("12a"), FieldFault::NotDigits);
    EXPECT_EQ(CheckTypedWeight("1234"), FieldFault::TooLong);
}

}  // namespace
