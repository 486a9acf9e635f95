#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "PaperTestSupport.h"
#include "catalog/PaperDef.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

class PaperDefTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppState.Reset();
        AppState.CurrentLanguage = kEnglish;
        AppState.SizeChoiceCount = 9;  // as start-up sets it
    }
    void TearDown() override { AppState.Reset(); }
};

TEST_F(PaperDefTest, StoredFormsComeOutByteForByteAndReadBack) {
    struct Case {
        int16_t language;
        CPaperDef paper;
        int index;
        const char* keywordName;
        const char* keywordData;
        const char* descriptiveName;
        const char* descriptiveData;
    } cases[] = {
        {1, CPaperDef("Letter", "LETTER", "75", "white", "plain", false, 0), 0, "Letter",
         "LETTER,75,white,plain,F,0", "PaperDef0", "Letter,8.5 x 11 in,612 792 ,75 gsm,white,plain,f"},
        {6, CPaperDef("A4", "A4", "80", "weiss", "normal", false, 0), 0, "A4", "A4,80,weiss,normal,F,0",
         "PaperDef0", "A4,210 x 297 mm,595 842 ,80 gsm,weiss,normal,f"},
        {5, CPaperDef("Contrat", "LEGAL", "90", "jaune", "couverture", true, 4), 4, "Contrat",
         "LEGAL,90,jaune,couverture,T,4", "PaperDef4", "Contrat,8.5 x 14 p,612 1008 ,90 gsm,jaune,couverture,t"},
        // The decimal comma of a label would split the field.
        {6, CPaperDef("Brief", "8_0x10_5", "75", "weiss", "normal", false, 2), 2, "Brief",
         "8_0x10_5,75,weiss,normal,F,2", "PaperDef2", "Brief,8 x 10.5 Zoll,576 756 ,75 gsm,weiss,normal,f"},
        {2, CPaperDef("Tab", "A4TAB", "200", "hvid", "fane", true, 12), 12, "Tab", "A4TAB,200,hvid,fane,T,12",
         "PaperDef12", "Tab,225 x 297 mm,638 842 ,200 gsm,hvid,fane,t"},
        {2, CPaperDef("US", "LETTER", "80", "hvid", "fane", false, 3), 3, "US", "LETTER,80,hvid,fane,F,3",
         "PaperDef3", "US,8.5 x 11 tom.,612 792 ,80 gsm,hvid,fane,f"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Describe(c.paper) + " in language " + std::to_string(c.language));
        AppState.CurrentLanguage = c.language;
        std::string name, data;
        c.paper.FormatKeywordValue(name, data);
        EXPECT_EQ(name, c.keywordName);
        EXPECT_EQ(data, c.keywordData);
        EXPECT_EQ(Describe(CPaperDef::FromStoredValue(name, data, "PS")), Describe(c.paper));

        c.paper.FormatDescriptiveValue(c.index, name, data);
        EXPECT_EQ(name, c.descriptiveName);
        EXPECT_EQ(data, c.descriptiveData);
        CPaperDef expected = c.paper;
        expected.Position = c.index;
        EXPECT_EQ(Describe(CPaperDef::FromStoredValue(name, data, "PCL")), Describe(expected));
    }
}

TEST_F(PaperDefTest, DescriptiveValueNameCarriesTheIndexInFullPast32767) {
    const CPaperDef paper("P", "A4", "80", "white", "plain", false, 0);
    for (int index : {0, 32767, 32768, 40000, 65536, 1000000}) {
        std::string name, data;
        paper.FormatDescriptiveValue(index, name, data);
        EXPECT_EQ(name, "PaperDef" + std::to_string(index));
        EXPECT_EQ(PositionFromValueName(name), index) << name;
    }
}

TEST_F(PaperDefTest, TextsOutsideTheTablesAreCarriedByTheKeywordFormOnly) {
    const CPaperDef paper("Odd", "B5", "75", "white", "plain", false, 1);
    std::string name, data;
    paper.FormatKeywordValue(name, data);
    EXPECT_EQ(data, "B5,75,white,plain,F,1");
    EXPECT_EQ(CPaperDef::FromStoredValue(name, data, "PS").Size, "B5");

    paper.FormatDescriptiveValue(1, name, data);
    EXPECT_EQ(data, "Odd,, ,75 gsm,white,plain,f");
    // The empty label vanishes on reading and the later fields move up one place.
    EXPECT_EQ(Describe(CPaperDef::FromStoredValue(name, data, "PCL")), "Odd|? ? ? ? ?||plain|f|F|1");
}

TEST_F(PaperDefTest, KeywordFormIsReadFieldByFieldWithoutChecks) {
    struct Case {
        const char* data;
        const char* expected;  // Describe() of the paper read with value name "Name"
    } cases[] = {
        {"LETTER,75,white,plain,F,0", "Name|LETTER|75|white|plain|F|0"},
        {"LETTER,,75,white,,plain,F,0", "Name|LETTER|75|white|plain|F|0"},
        {",,LETTER,75,white,plain,F,0,,", "Name|LETTER|75|white|plain|F|0"},
        {"A4,80,white,plain,T,1", "Name|A4|80|white|plain|T|1"},
        {"A4,80,white,plain,t,1", "Name|A4|80|white|plain|F|1"},
        {"A4,80,white,plain,True,1", "Name|A4|80|white|plain|F|1"},
        {"A4,80,white,plain, T,1", "Name|A4|80|white|plain|F|1"},
        {"A4,80,white,plain,F,7,extra,fields", "Name|A4|80|white|plain|F|7"},
        {"A4,80,white,plain,F,7x", "Name|A4|80|white|plain|F|7"},
        {"A4,80,white,plain,F, -12", "Name|A4|80|white|plain|F|-12"},
        {"A4,80,white,plain,F,+3", "Name|A4|80|white|plain|F|3"},
        {"A4,80,white,plain,F,abc", "Name|A4|80|white|plain|F|0"},
        {"A4,80,white,plain,F,99999999999", "Name|A4|80|white|plain|F|2147483647"},
        {"A4,80,white,plain,F,-99999999999", "Name|A4|80|white|plain|F|-2147483648"},
        {"Huge,heavy,mauve,odd,F,2", "Name|Huge|heavy|mauve|odd|F|2"},
        // Fewer fields than the form defines: empty texts, not forced, position 0.
        {"A4,80", "Name|A4|80|||F|0"},
        {"A4,80,white,plain,T", "Name|A4|80|white|plain|T|0"},
        {"", "Name|||||F|0"},
        {",,,", "Name|||||F|0"},
    };
    for (const Case& c : cases) {
        CPaperDef paper("old", "old", "old", "old", "old", true, 99);
        paper.ParseKeywordValue("Name", c.data);
        EXPECT_EQ(Describe(paper), c.expected) << "data \"" << c.data << "\"";
    }
}

TEST_F(PaperDefTest, DescriptiveFormIsReadByPointsDigitsAndValueName) {
    struct Case {
        const char* valueName;
        const char* data;
        const char* expected;
    } cases[] = {
        {"PaperDef0", "Letter,8.5 x 11 in,612 792 ,75 gsm,white,plain,f", "Letter|LETTER|75|white|plain|F|0"},
        {"PaperDef3", "A,label, 595 842 ,80 gsm,white,plain,t", "A|A4|80|white|plain|T|3"},
        {"PaperDef3", "A,label,\t595 842\t,80 gsm,white,plain,t", "A|A4|80|white|plain|T|3"},
        {"PaperDef3", "A,label,595  842,80 gsm,white,plain,t", "A|? ? ? ? ?|80|white|plain|T|3"},
        {"PaperDef3", "A,label,595 842,105gsm,white,plain,f", "A|A4|105|white|plain|F|3"},
        {"PaperDef3", "A,label,595 842,gsm,white,plain,f", "A|A4||white|plain|F|3"},
        {"PaperDef3", "A,label,595 842,80 gsm,white,plain,T", "A|A4|80|white|plain|F|3"},
        {"PaperDef3", "A,label,595 842,80 gsm,white,plain,true", "A|A4|80|white|plain|F|3"},
        {"PaperDef3", "A,,label,,595 842,,80 gsm,white,plain,t,", "A|A4|80|white|plain|T|3"},
        {"PaperDef3", "A,label,595 842,80 gsm,white,plain,t,extra", "A|A4|80|white|plain|T|3"},
        // The size label is not read: any text there serves.
        {"PaperDef1", "B,8.5 x 14 in,638 842 ,80 gsm,white,plain,f", "B|A4TAB|80|white|plain|F|1"},
        // Fewer fields than the form defines.
        {"PaperDef2", "Only", "Only|? ? ? ? ?||||F|2"},
        {"PaperDef2", "", "|? ? ? ? ?||||F|2"},
        {"Foo", "A,label,595 842,80 gsm,white,plain,f", "A|A4|80|white|plain|F|0"},
    };
    for (const Case& c : cases) {
        CPaperDef paper("old", "old", "old", "old", "old", true, 99);
        paper.ParseDescriptiveValue(c.valueName, c.data);
        EXPECT_EQ(Describe(paper), c.expected) << c.valueName << " = \"" << c.data << "\"";
    }
}

TEST_F(PaperDefTest, FromStoredValueChoosesTheKeywordFormForExactlyPs) {
    const std::string data = "LETTER,75,white,plain,F,4";
    EXPECT_EQ(Describe(CPaperDef::FromStoredValue("PaperDef1", data, "PS")), "PaperDef1|LETTER|75|white|plain|F|4");
    for (const char* pdl : {"ps", "Ps", "PS ", "", "PCL"}) {
        EXPECT_EQ(Describe(CPaperDef::FromStoredValue("PaperDef1", data, pdl)), "LETTER|? ? ? ? ?||F|4|F|1")
            << "PDL \"" << pdl << "\"";
    }
}

TEST_F(PaperDefTest, PositionFromValueNameDropsEveryPaperDefAndReadsADecimalNumber) {
    struct Case {
        const char* name;
        int32_t position;
    } cases[] = {
        {"PaperDef0", 0},       {"PaperDef12", 12},  {"PaperDef40000", 40000}, {"PaperDef", 0},
        {"Foo", 0},             {"", 0},             {"PaperDef-3", -3},       {"PaperDef 7", 7},
        {"PaperDefPaperDef5", 5}, {"5PaperDef", 5},  {"PaperDef1PaperDef2", 12}, {"paperdef4", 0},
        {"PaperDef7x9", 7},     {"PaperDef+8", 8},   {"PaperDef99999999999", std::numeric_limits<int32_t>::max()},
    };
    for (const Case& c : cases) EXPECT_EQ(PositionFromValueName(c.name), c.position) << "\"" << c.name << "\"";
}

TEST_F(PaperDefTest, LeadingDigitsStopsAtTheFirstOtherCharacter) {
    struct Case {
        const char* text;
        const char* digits;
    } cases[] = {
        {"75 gsm", "75"}, {"105gsm", "105"}, {"gsm", ""}, {"", ""}, {" 75", ""}, {"0123456789x1", "0123456789"},
        {"-5", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(LeadingDigits(c.text), c.digits) << "\"" << c.text << "\"";
}

TEST_F(PaperDefTest, SizeLookupsMatchExactlyAndLocaliseTheLabel) {
    EXPECT_EQ(SizeKeywordFromPoints("595 842"), "A4");
    EXPECT_EQ(SizeKeywordFromPoints(" 595 842 "), "A4");
    EXPECT_EQ(SizeKeywordFromPoints("638 842"), "A4TAB");
    EXPECT_EQ(SizeKeywordFromPoints("842 1191"), "A3");
    EXPECT_EQ(SizeKeywordFromPoints("595  842"), kUnknownText);
    EXPECT_EQ(SizeKeywordFromPoints("842 595"), kUnknownText);
    EXPECT_EQ(SizeKeywordFromPoints(""), kUnknownText);

    EXPECT_EQ(PointsFromKeyword("LETTERTAB"), "648 792");
    EXPECT_EQ(PointsFromKeyword("letter"), "");
    EXPECT_EQ(PointsFromKeyword(""), "");
    EXPECT_EQ(SizeLabelFromKeyword("TABLOID"), "11 x 17 in");
    EXPECT_EQ(SizeLabelFromKeyword("a4"), "");
    EXPECT_EQ(SizeLabelFromKeyword(kUnknownText), "");
    AppState.CurrentLanguage = 9;
    EXPECT_EQ(SizeLabelFromKeyword("LEGAL"), "8.5 x 14 pulg.");
    AppState.CurrentLanguage = 7;
    EXPECT_EQ(SizeLabelFromKeyword("9_0x12_0"), "9 x 12 pollici");
}

TEST_F(PaperDefTest, SizeLookupsRunOverTheOfferedRowsOnly) {
    AppState.SizeChoiceCount = 6;
    EXPECT_EQ(PointsFromKeyword("9_0x12_0"), "648 864");
    EXPECT_EQ(PointsFromKeyword("A4"), "");
    EXPECT_EQ(SizeLabelFromKeyword("A4"), "");
    EXPECT_EQ(SizeKeywordFromPoints("595 842"), kUnknownText);
    AppState.SizeChoiceCount = 0;
    EXPECT_EQ(PointsFromKeyword("LETTER"), "");
    EXPECT_EQ(SizeKeywordFromPoints("612 792"), kUnknownText);
}

TEST_F(PaperDefTest, TablesHoldTheVocabularyInEditorOrder) {
    for (size_t row = 0; row < PageSizeTable.size(); ++row) {
        EXPECT_EQ(PageSizeTable[row].LabelId, SizeLabelIds[row]) << "row " << row;
    }
    const char* english[] = {"any", "white", "clear", "red", "yellow", "blue", "green"};
    for (size_t i = 0; i < ColorWordIds.size(); ++i) {
        EXPECT_EQ(GetLocalizedString(kVocabularyList, ColorWordIds[i], kEnglish), english[i]);
    }
    int previousWeight = 0;
    for (int16_t id : WeightWordIds) {
        const int weight = std::stoi(GetLocalizedString(kVocabularyList, id, kEnglish));
        EXPECT_GT(weight, previousWeight) << "id " << id;
        previousWeight = weight;
    }
    const char* types[] = {"plain", "cover", "color", "tab", "insert", "transparency"};
    for (size_t i = 0; i < TypeWordIds.size(); ++i) {
        EXPECT_EQ(GetLocalizedString(kVocabularyList, TypeWordIds[i], kEnglish), types[i]);
    }
}

TEST_F(PaperDefTest, AttributeAccessorsAnswerOnlyTheirOwnNumbers) {
    // Weight comes before colour in the constructor's arguments.
    CPaperDef paper("n", "s", "w", "c", "t", true, 3);
    EXPECT_EQ(paper.GetText(PA_NAME), "n");
    EXPECT_EQ(paper.GetText(PA_SIZE), "s");
    EXPECT_EQ(paper.GetText(PA_COLOR), "c");
    EXPECT_EQ(paper.GetText(PA_WEIGHT), "w");
    EXPECT_EQ(paper.GetText(PA_TYPE), "t");
    for (int attribute : {-1, 5, 6, 7}) EXPECT_EQ(paper.GetText(attribute), kUnknownText) << attribute;
    EXPECT_TRUE(paper.GetFlag(PA_FORCE_ONE_SIDED));
    for (int attribute : {0, 4, 6, 7}) EXPECT_FALSE(paper.GetFlag(attribute)) << attribute;
    EXPECT_EQ(paper.GetNumber(PA_POSITION), 3);
    for (int attribute : {0, 5, 7}) EXPECT_EQ(paper.GetNumber(attribute), -1) << attribute;

    for (int attribute : {-1, 5, 6, 7}) paper.SetText(attribute, "x");
    paper.SetFlag(PA_POSITION, false);
    paper.SetNumber(PA_FORCE_ONE_SIDED, 8);
    EXPECT_EQ(Describe(paper), "n|s|w|c|t|T|3");

    paper.SetText(PA_COLOR, "red");
    paper.SetText(PA_WEIGHT, "90");
    paper.SetFlag(PA_FORCE_ONE_SIDED, false);
    paper.SetNumber(PA_POSITION, 7);
    EXPECT_EQ(Describe(paper), "n|s|90|red|t|F|7");

    CPaperDef copy;
    EXPECT_EQ(Describe(copy), "|||||F|0");
    copy.CopyFrom(paper);
    EXPECT_EQ(Describe(copy), Describe(paper));
}

}  // namespace
