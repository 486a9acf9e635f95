#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <climits>
#include <string>

#include "PaperTestSupport.h"
#include "catalog/PaperCatalog.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

class PaperCatalogTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppState.Reset();
        AppState.CurrentLanguage = kEnglish;
        AppState.SizeChoiceCount = 9;
    }
    void TearDown() override { AppState.Reset(); }
};

TEST_F(PaperCatalogTest, RemovePaperClosesTheGapAndRenumbers) {
    struct Case {
        int index;
        const char* expected;
    } cases[] = {
        {0, "B@0 C@1"},
        {1, "A@0 C@1"},
        {2, "A@0 B@1"},
    };
    for (const Case& c : cases) {
        CPaperCatalog catalog = CatalogOf({"A", "B", "C"});
        catalog.RemovePaper(c.index);
        EXPECT_EQ(NamesAndPositions(catalog), c.expected) << "RemovePaper(" << c.index << ")";
    }
    CPaperCatalog single = CatalogOf({"A"});
    single.RemovePaper(0);
    EXPECT_EQ(single.GetCount(), 0);
}

TEST_F(PaperCatalogTest, MovePaperExchangesNeighboursOrChangesNothingAtTheEnds) {
    struct Case {
        bool down;
        int index;
        const char* expected;
    } cases[] = {
        {true, 1, "A@0 C@1 B@2"},  {false, 1, "B@0 A@1 C@2"}, {true, 0, "B@0 A@1 C@2"},
        {false, 2, "A@0 C@1 B@2"}, {false, 0, "A@0 B@1 C@2"}, {true, 2, "A@0 B@1 C@2"},
    };
    for (const Case& c : cases) {
        CPaperCatalog catalog = CatalogOf({"A", "B", "C"});
        catalog.MovePaper(c.down, c.index);
        EXPECT_EQ(NamesAndPositions(catalog), c.expected) << "MovePaper(" << c.down << ", " << c.index << ")";
    }
}

TEST_F(PaperCatalogTest, AddAndModifyTakeWeightBeforeColourAndKeepThePosition) {
    CPaperCatalog catalog;
    catalog.AddPaper("Cover", "A3", "160", "blue", "cover", true, 0);
    catalog.AddPaper("Imported", "A4", "80", "white", "plain", false, 7);
    EXPECT_EQ(Describe(catalog.GetPaper(0)), "Cover|A3|160|blue|cover|T|0");
    EXPECT_EQ(catalog.GetPaper(1).Position, 7);

    catalog.ModifyPaper("Card", "LETTER", "200", "red", "tab", false, 0);
    EXPECT_EQ(Describe(catalog.GetPaper(0)), "Card|LETTER|200|red|tab|F|0");
    EXPECT_EQ(Describe(catalog.GetPaper(1)), "Imported|A4|80|white|plain|F|7");
}

TEST_F(PaperCatalogTest, GetPaperHandsOutACopy) {
    CPaperCatalog catalog = CatalogOf({"A"});
    CPaperDef copy = catalog.GetPaper(0);
    copy.Name = "changed";
    copy.Position = 5;
    EXPECT_EQ(NamesAndPositions(catalog), "A@0");
    // A bad index gives an empty paper, never an exception that ends the program.
    for (int index : {1, -1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(index);
        CPaperDef none;
        EXPECT_NO_THROW(none = catalog.GetPaper(index));
        EXPECT_EQ(none.Name, "");
        EXPECT_EQ(Describe(none), Describe(CPaperDef()));
    }
    EXPECT_EQ(NamesAndPositions(catalog), "A@0");
}

TEST_F(PaperCatalogTest, SetPaperAtStoresAtTheIndexWithoutLeavingEmptyElements) {
    CPaperCatalog catalog;
    catalog.SetPaperAt(0, "Letter", "LETTER", "75", "white", "plain", false);
    EXPECT_EQ(DescribeAll(catalog), "Letter|LETTER|75|white|plain|F|0\n");
    catalog.SetPaperAt(0, "A4", "A4", "80", "weiss", "normal", true);
    EXPECT_EQ(DescribeAll(catalog), "A4|A4|80|weiss|normal|T|0\n");
    catalog.SetPaperAt(1, "B", "A3", "90", "red", "tab", false);
    EXPECT_EQ(NamesAndPositions(catalog), "A4@0 B@1");
    // An index past the end would leave an empty element between.
    catalog.SetPaperAt(5, "C", "A3", "90", "red", "tab", false);
    EXPECT_EQ(NamesAndPositions(catalog), "A4@0 B@1");
}

// As the registry compares value names, accented letters included: the
// keyword form cannot hold "Café" beside "CAFÉ".
TEST_F(PaperCatalogTest, ContainsNameIgnoresLetterCaseAsTheRegistryDoes) {
    const CPaperCatalog catalog = CatalogOf({"Letter", "Caf\xE9", "Tab-1"});
    struct Case {
        const char* name;
        bool found;
    } cases[] = {
        {"Letter", true},    {"LETTER", true},     {"letter", true},  {"Lette", false},   {"Letters", false},
        {"", false},         {"caf\xE9", true},    {"CAF\xC9", true}, {"TAB-1", true},   {"Tab_1", false},
        {"Letter ", false},
    };
    for (const Case& c : cases) EXPECT_EQ(catalog.ContainsName(c.name), c.found) << "\"" << c.name << "\"";
    EXPECT_TRUE(CatalogOf({"A", ""}).ContainsName(""));
    EXPECT_FALSE(CPaperCatalog().ContainsName(""));
}

TEST_F(PaperCatalogTest, BuildDefaultCatalogHoldsTheDefaultPaperOfEachLanguage) {
    const char* expected[] = {
        "Letter|LETTER|75|white|plain|F|0",  "A4|A4|80|hvid|almindeligt|F|0", "A4|A4|80|wit|gewoon|F|0",
        "A4|A4|80|valkoinen|tavallinen|F|0", "A4|A4|80|blanc|simple|F|0",     "A4|A4|80|weiss|normal|F|0",
        "A4|A4|80|bianco|normale|F|0",       "A4|A4|80|hvit|vanlig|F|0",      "A4|A4|80|blanco|normal|F|0",
        "A4|A4|80|vitt|vanligt|F|0",
    };
    for (int16_t language = 1; language <= 10; ++language) {
        AppState.CurrentLanguage = language;
        AppState.CurrentCatalog = std::make_unique<CPaperCatalog>(CatalogOf({"Old", "Older"}));
        BuildDefaultCatalog();
        ASSERT_NE(AppState.CurrentCatalog, nullptr);
        EXPECT_EQ(DescribeAll(*AppState.CurrentCatalog), std::string(expected[language - 1]) + "\n")
            << "language " << language;
        EXPECT_EQ(DefaultPaperNameFor(language), language == 1 ? "Letter" : "A4") << "language " << language;
    }
}

TEST_F(PaperCatalogTest, FindCatalogLocationTakesTheFirstExactMatch) {
    AppState.CatalogLocations = {
        {true, "Office", "PS", "SOFTWARE\\Vendor\\Office"},
        {false, "Print Room", "PCL", "SOFTWARE\\Vendor\\PrintRoom"},
        {true, "Office", "PCL", "SOFTWARE\\Vendor\\Office2"},
    };
    struct Case {
        const char* name;
        const char* path;
        const char* pdl;
    } cases[] = {
        {"Office", "SOFTWARE\\Vendor\\Office", "PS"},
        {"Print Room", "SOFTWARE\\Vendor\\PrintRoom", "PCL"},
        {"office", "unchanged", "unchanged"},
        {"Office ", "unchanged", "unchanged"},
        {"", "unchanged", "unchanged"},
    };
    for (const Case& c : cases) {
        std::string path = "unchanged", pdl = "unchanged";
        FindCatalogLocation(c.name, path, pdl);
        EXPECT_EQ(path, c.path) << "\"" << c.name << "\"";
        EXPECT_EQ(pdl, c.pdl) << "\"" << c.name << "\"";
    }
}

}  // namespace
