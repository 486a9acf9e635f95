// Tables of papers as text: what the reader makes of what spreadsheets, the
// clipboard and catalog files hand it, the refusals it names, and the writer.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "PaperTestSupport.h"
#include "catalog/PaperRules.h"
#include "catalog/PaperTable.h"
#include "catalog/PapersFileKind.h"
#include "catalog/TableDialect.h"
#include "catalog/TableHeader.h"
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
    void SetUp() override { ResetToEnglishPapers(); }
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
        {"a line break inside quotes does not advance the row", "\"Pl\r\nain\",A4,80,white,plain\nNext,A9,80,white,plain",
         FieldRow(1, COL_NAME, FieldFault::Unprintable) + "; " + Row(2, COL_SIZE, RowFault::UnknownSize)},
        {"blanks inside names and words, as stored catalogs hold them", "Blue Cover,A4,80,pale blue,plain",
         "Blue Cover|A4|80|pale blue|plain|F|0 @1"},
        {"empty lines and blanks around cells", "\r\n\r\n  Plain , A4 ,80, white ,plain \r\n\r\n", plain + " @3"},
        {"blanks inside quotes trimmed as outside them", "\" Plain \",\"A4 \",\" 80\",white,\"plain\t\"", plain + " @1"},
        {"empty spreadsheet rows anywhere: a row of commas, a row of empty formulas",
         "Name,Size,Weight,Color,Type\r\n,,,,\r\nPlain,A4,80,white,plain\r\n\"\",\"\",\"\",\"\",\"\"\r\n,,,,\r\n", plain + " @3"},
        {"French labels as typed: no-break space or blank before the colon, or none",
         "Papier\xA0:;Taille :;Poids (g/m\xB2)\xA0:;&Couleur;Type\xA0:\nPlain;A4;80;white;plain\n", plain + " @2"},
        {"German labels on an English PC, the unit left out",
         "Papier;Gr\xF6\xDF" "e;Gewicht;Farbe;Typ;Einseitig erzwingen\nPlain;A4;80;white;plain;nein\n", plain + " @2"},
        {"the word for a name in another language", "Nom,Taille,Poids,Couleur,Type\nPlain,A4,80,white,plain", plain + " @2"},
        {"title rows above the header are skipped",
         "Office papers\r\n\r\nUpdated by IT\r\nName;Size;Weight;Color;Type\r\nPlain;A4;80;white;plain\r\n", plain + " @5"},
        {"a title row with a comma does not decide the separator",
         "Papers, March\nName;Size;Weight;Color;Type\nPlain;A4;80;white;plain\n", plain + " @3"},
        {"a paper called as a header word is still a paper", "Papier,A4,80,white,plain", "Papier|A4|80|white|plain|F|0 @1"},
        {"yes words of the ten languages and spreadsheet booleans",
         "A,A4,80,white,plain,ja\nB,A4,80,white,plain,OUI\nC,A4,80,white,plain,kyll\xE4\nD,A4,80,white,plain,WAHR\n"
         "E,A4,80,white,plain,T\nF,A4,80,white,plain,nein",
         "A|A4|80|white|plain|T|0 @1; B|A4|80|white|plain|T|0 @2; C|A4|80|white|plain|T|0 @3; "
         "D|A4|80|white|plain|T|0 @4; E|A4|80|white|plain|T|0 @5; F|A4|80|white|plain|F|0 @6"},
        {"a tab before a cell", "\tPlain,A4,80,white,plain", plain + " @1"},
        // A whole catalog file is read by the file's own rules: papers only in its Papers section.
        {"catalog file lines right under the file's header", "[Paper Catalog]\r\nPaper_000=Plain,A4,80,white,plain,F",
         Fault(TableFault::Empty)},
        {"catalog file lines in its Papers section", "[Paper Catalog]\r\n[Papers]\r\nPaper_000=Plain,A4,80,white,plain,F",
         plain + " @3"},
        {"catalog file lines", "Paper_000=Plain,A4,80,white,plain,F\r\nPaper_001=Clear,A3,120,clear,transparency,T\r\n",
         plain + " @1; Clear|A3|120|clear|transparency|T|0 @2"},
        {"a whole catalog file: banner and kept entries skipped",
         "[Paper Catalog]\r\n;;;;\r\n; banner ;\r\n[Papers]\r\nPaper_000=Plain,A4,80,white,plain,F\r\n"
         "[Registry Entries]\r\nEntry_000=1,41,42\r\n",
         plain + " @5"},
        {"UTF-8 with its mark", "\xEF\xBB\xBFName,Size,Weight,Color,Type\nPl\xC3\xA4in,A4,80,white,plain\n",
         "Pl\xE4in|A4|80|white|plain|F|0 @2"},
        {"UTF-8 without the mark", "Pl\xC3\xA4in,A4,80,white,plain", "Pl\xE4in|A4|80|white|plain|F|0 @1"},
        {"a UTF-8 file with a line appended in Windows-1252",
         "\xEF\xBB\xBFName,Size,Weight,Color,Type\r\nL\xC3\xA9g\xC3\xA8re,A4,80,white,plain\r\nCaf\xE9,A4,80,white,plain\r\n",
         Row(3, COL_NONE, RowFault::NotUtf8)},
        {"the same without the mark", "L\xC3\xA9g\xC3\xA8re,A4,80,white,plain\nCaf\xE9,A4,80,white,plain\nCr\xE8me,A4,80,white,plain",
         Row(2, COL_NONE, RowFault::NotUtf8) + "; " + Row(3, COL_NONE, RowFault::NotUtf8)},
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

// The files Gnumeric wrote from a few typed sheets (scripts/make-table-test-files.sh).
const std::pair<const char*, std::string> kSpreadsheetFiles[] = {
#include "TableTestFiles.inc"
};

TEST_F(PaperTableTest, ReadsTheFilesSpreadsheetProgramsWrite) {
    const std::string english = "Plain|A4|80|white|plain|F|0 @2; Blue Cover|LETTER|160|blue|cover|T|0 @3; "
                                "Clear|A4|120|clear|transparency|T|0 @5; GLOSS|A3|135|white|glossy|F|0 @6; "
                                "Caf\xE9 Cr\xE8me|A4|90|cream|plain|F|0 @7";
    const std::map<std::string, std::string> expected = {
        {"english-comma.csv", english},
        {"english-semicolon-quoted.csv", english},
        {"english-cp1252.csv", english},
        {"english-cr-lines.csv", english},
        {"english-tab-utf16-marked.txt", english},
        // UTF-16 without its mark: refused with the advice to save as UTF-8.
        {"english-tab-utf16.txt", Fault(TableFault::NulBytes)},
        {"export-with-ansi-line.csv", Row(3, COL_NONE, RowFault::NotUtf8)},
        // The names as the spreadsheet saved them back: what the Help page warns of.
        {"numbers-saved-back.csv", "80|A4|80|white|plain|F|0 @2; 1000|A4|90|white|plain|F|0 @3; 12.5|A4|100|white|plain|F|0 @4"},
        {"titled-quoted.csv", FieldRow(6, COL_WEIGHT, FieldFault::OutOfRange)},
    };
    ASSERT_EQ(std::size(kSpreadsheetFiles), expected.size());
    for (const auto& [name, bytes] : kSpreadsheetFiles) {
        const auto want = expected.find(name);
        ASSERT_NE(want, expected.end()) << name;
        EXPECT_EQ(Outcome(ReadPaperTable(bytes)), want->second) << name;
    }
}

TEST_F(PaperTableTest, RefusesRowsByTheFormsRules) {
    const ReadCase cases[] = {
        {"comma inside a quoted name", "\"Pla,in\",A4,80,white,plain", FieldRow(1, COL_NAME, FieldFault::RefusedCharacter)},
        {"a line break at the end of a quoted name", "\"Plain\n\",A4,80,white,plain", FieldRow(1, COL_NAME, FieldFault::Unprintable)},
        {"a tab inside a name", "\"Pl\tain\",A4,80,white,plain", FieldRow(1, COL_NAME, FieldFault::Unprintable)},
        {"name of 32 characters", std::string(32, 'N') + ",A4,80,white,plain", FieldRow(1, COL_NAME, FieldFault::TooLong)},
        {"colour of 20 characters", "P,A4,80," + std::string(20, 'c') + ",plain", FieldRow(1, COL_COLOR, FieldFault::TooLong)},
        {"empty type", "P,A4,80,white,", FieldRow(1, COL_TYPE, FieldFault::Empty)},
        {"a first row without its weight is a paper row all the same", "Plain,Letter,,white,plain",
         FieldRow(1, COL_WEIGHT, FieldFault::Empty)},
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
        {"a first row of words that name no column", "Paper name;Format;gsm;Colour;Kind\nPlain;A4;80;white;plain",
         Fault(TableFault::UnknownHeader)},
        {"a header below a title with a cell that names none", "Office papers\nName,Size,Weight,Color,Notes\nP,A4,80,white,plain",
         Fault(TableFault::UnknownHeader)},
    };
    for (const ReadCase& c : cases) EXPECT_EQ(Outcome(ReadPaperTable(c.text)), c.expected) << c.what;
    EXPECT_EQ(Outcome(ReadPaperTable(std::string(kMaxPaperTableBytes + 1, 'x'))), Fault(TableFault::TooLarge));
    // The refusal names the cell, and so does the message.
    const PaperTableRead german = ReadPaperTable("Papier;Gr\xF6\xDF" "e;Gewicht;Farbe;Notiz\nPlain;A4;80;white;plain");
    EXPECT_EQ(german.headerCell, "Notiz");
    EXPECT_EQ(PaperTableRefusalLines(german, TableUse::Import).back(),
              "The header cell \"Notiz\" names no column. The columns are Name, Size, Weight, Color, Type and ForceOneSided.");

    // A header's fault names the column as the header writes it, not as the form labels the field.
    const struct {
        const char* text;
        const char* line;
    } headerFaults[] = {
        {"Size,Weight,Color,Type\nA4,80,white,plain", "The header has no column Name."},
        {"Name,Size,Color,Type\nP,A4,white,plain", "The header has no column Weight."},
        {"Name,Size,Weight,Color,Type,Paper\nP,A4,80,white,plain,Q", "The header names the column Name twice."},
    };
    for (const auto& c : headerFaults) {
        const std::vector<std::string> lines = PaperTableRefusalLines(ReadPaperTable(c.text), TableUse::Import);
        ASSERT_EQ(lines.size(), 2u) << c.text;
        EXPECT_EQ(lines[1], c.line);
    }
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

    // A text quoted in a refusal stays on its line: line breaks and control characters shown.
    const std::vector<std::string> broken =
        PaperTableRefusalLines(ReadPaperTable("\"Pla\r\nin\",A4,80,white,plain\nQ,\"A\t9\",80,white,plain"), TableUse::Import);
    ASSERT_EQ(broken.size(), 4u);
    EXPECT_EQ(broken[2], "Line 1, \"Pla\xB6in\", Paper: holds a blank or a character that cannot be printed");
    EXPECT_EQ(broken[3], "Line 2, \"Q\", Size: \"A\\x099\" is none of the sizes this PC offers");
    EXPECT_EQ(PaperTableRefusalLines(ReadPaperTable("Name,Size,Weight,Color,Type\n\xC3\xA9,A4,80,white,plain\nCaf\xE9,A4,80,white,plain"),
                                     TableUse::Merge)
                  .back(),
              "Line 3, \"Caf\xE9\", row: not UTF-8 like the rest of the file: save the file again as UTF-8");
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

TEST_F(PaperTableTest, NoHeaderWordOfOneLanguageNamesAnotherColumnInAnother) {
    std::map<std::string, std::pair<int, std::string>> seen;
    for (const HeaderWords::Word& word : HeaderWords::AllWords()) {
        const auto [at, fresh] = seen.emplace(HeaderKey(word.text), std::make_pair(word.column, word.text));
        EXPECT_EQ(at->second.first, word.column) << "\"" << word.text << "\" and \"" << at->second.second << "\"";
    }
    // Each language's labels name their columns whatever the interface language is.
    const HeaderWords words;
    const std::pair<LabelId, int> labels[] = {{LAB_PAPER, COL_NAME},   {LAB_SIZE, COL_SIZE}, {LAB_WEIGHT, COL_WEIGHT},
                                              {LAB_COLOR, COL_COLOR},  {LAB_TYPE, COL_TYPE},
                                              {LAB_FORCE_ONE_SIDED, COL_FORCE_ONE_SIDED}};
    for (int16_t language = 1; language <= 10; ++language) {
        for (const auto& [label, column] : labels) {
            EXPECT_EQ(words.ColumnOf(GetLocalizedString(kLabelList, label, language)), column) << language << " " << label;
        }
    }
    EXPECT_EQ(words.ColumnOf("Notes"), COL_NONE);
}

TEST(PaperTablePartsTest, TheDialectIsWhatSplitsTheRowsAlike) {
    const struct {
        const char* what;
        std::string text;
        char separator;
    } cases[] = {
        {"commas", "a,b,c\n1,2,3\n", ','},
        {"semicolons with decimal commas in some cells", "a;b;c\n1;2,5;3\n4;5;6,5\n", ';'},
        {"tabs", "a\tb\tc\n1\t2\t3", '\t'},
        {"a title with a comma above semicolon rows", "Papers, March\na;b;c\n1;2;3\n4;5;6", ';'},
        {"separators inside quotes do not count", "\"a;b;c;d\",x\n\"1;2\",y", ','},
        {"a quoted cell over two lines", "\"a\nb;c;d\";x;y\n1;2;3", ';'},
        {"none at all", "just words", ','},
    };
    for (const auto& c : cases) EXPECT_EQ(SniffDialect(c.text).separator, c.separator) << c.what;
}

TEST(PaperTablePartsTest, TheContentTellsTheKindOfFile) {
    const struct {
        const char* what;
        std::string bytes;
        PapersFileKind kind;
    } cases[] = {
        {"catalog file", "[Paper Catalog]\r\n;;;\r\n[Papers]\r\nPaper_000=P,A4,80,w,p,F\r\n", PapersFileKind::CatalogFile},
        {"catalog file after a byte-order mark and a blank line", "\xEF\xBB\xBF\r\n[paper catalog]\r\n", PapersFileKind::CatalogFile},
        {"CSV named .cat", "Name,Size,Weight,Color,Type\r\nP,A4,80,w,p\r\n", PapersFileKind::Table},
        {"tab-separated text", "Name\tSize\tWeight\tColor\tType\r\n", PapersFileKind::Table},
        {"UTF-16 text", std::string("\xFF\xFEN\0a\0", 6), PapersFileKind::Table},
        {"a first cell in brackets is a table's", "[Name],Size,Weight\n", PapersFileKind::Table},
        {"bare catalog lines", "Paper_000=P,A4,80,w,p,F\n", PapersFileKind::Table},
        {"xlsx or ods", std::string("PK\x03\x04\x14\0", 6), PapersFileKind::SpreadsheetFile},
        {"xls", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", PapersFileKind::SpreadsheetFile},
        {"empty", "", PapersFileKind::Table},
        {"JDF after a byte-order mark and a blank line", "\xEF\xBB\xBF\r\n<?xml version=\"1.0\"?>\r\n<JDF/>", PapersFileKind::JdfMedia},
        {"JMF without a declaration", "  <JMF xmlns=\"http://www.CIP4.org/JDFSchema_1_1\"/>", PapersFileKind::JdfMedia},
        {"other XML, refused by the JDF reader", "<html/>", PapersFileKind::JdfMedia},
        {"a first cell in angle brackets after a header", "Name,Size\n<x>,A4\n", PapersFileKind::Table},
    };
    for (const auto& c : cases) EXPECT_EQ(DetectPapersFileKind(c.bytes), c.kind) << c.what;
}

TEST_F(PaperTableTest, AnExportSaysWhichPapersWillNotComeBack) {
    const struct {
        const char* name;
        bool changed;
    } cells[] = {
        {"0080", true},  {"1E3", true},   {"12.50", true},   {"Mar-24", true},    {"24 March", true},  {"3/4", true},
        {"2024-03-01", true}, {"10:30", true}, {"=A1", true}, {"12,5", true},     {"+5", true},        {"80", false},
        {"12.5", false}, {"-3", false},   {"A4 Plain", false}, {"Mar", false},    {"Gloss-2", false},  {"1-2-3-4", false},
        {"Plain", false}, {"0", false},   {"1234567890123456", true},
    };
    for (const auto& c : cells) EXPECT_EQ(SpreadsheetChangesText(c.name), c.changed) << c.name;

    const std::vector<CPaperDef> papers = {
        CPaperDef("Plain", "A4", "80", "white", "plain", false, 0),
        CPaperDef("Board", "A4", "300", "white", "cover", false, 1),    // outside this PC's limits
        CPaperDef("PLAIN", "A4", "80", "white", "plain", false, 2),     // the same name but for case
        CPaperDef("0080", "A4", "80", "white", "plain", false, 3),      // a spreadsheet makes it 80
        CPaperDef("Clear", "A4", "80", "clear", "transparency", false, 4),  // comes back forced to one side
        CPaperDef("Gloss", "A4", "120", "white", "glossy", true, 5),
    };
    const NotReadBack lost = PapersNotReadBack(papers);
    EXPECT_EQ(lost.count, 4u);
    EXPECT_EQ(lost.names, (std::vector<std::string>{"Board", "PLAIN", "0080", "Clear"}));
    EXPECT_EQ(NotReadBackMessage(lost),
              "The file was written. Papers that will not import back as they are: 4. This PC refuses them, or a "
              "spreadsheet changes their names (format the Name column as text): Board, PLAIN, 0080, Clear");
    EXPECT_EQ(NotReadBackMessage(PapersNotReadBack({papers[0], papers[5]})), "");
    // Many: ten named, the rest counted.
    std::vector<CPaperDef> heavy;
    for (int i = 0; i < 130; ++i) heavy.emplace_back("H" + std::to_string(i), "A4", "250", "white", "plain", false, i);
    const NotReadBack many = PapersNotReadBack(heavy);
    EXPECT_EQ(many.count, 130u);
    EXPECT_NE(NotReadBackMessage(many).find(": H0, H1, H2, H3, H4, H5, H6, H7, H8, H9 ... and 120 more."), std::string::npos);
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
