// Merge from File's plan: which papers it adds, which it changes and how, what
// it leaves alone; and the spreadsheet file's name rule and export.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "PaperTestSupport.h"
#include "catalog/CatalogMerge.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

CPaperDef Paper(const std::string& name, const std::string& weight = "80", bool force = false) {
    return CPaperDef(name, "A4", weight, "white", "plain", force, 0);
}

class CatalogMergeTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppState.Reset();
        AppState.CurrentLanguage = kEnglish;
        AppState.SizeChoiceCount = 9;
        AppState.DefaultPaperName = "A4";
    }
};

TEST_F(CatalogMergeTest, AddsNewNamesAtTheEndAndWritesOverSameNamesKeepingThem) {
    CPaperCatalog catalog = CatalogOfPapers({Paper("A4"), Paper("Local"), Paper("Plain"), Paper("Heavy", "160")});
    const MergePlan plan = PlanMerge(catalog, {Paper("New", "90"), Paper("PLAIN", "100", true), Paper("heavy", "160"),
                                               Paper("a4", "200"), Paper("Newer")});
    ASSERT_EQ(plan.changed.size(), 1u);
    EXPECT_EQ(plan.changed[0].index, 2);
    ASSERT_EQ(plan.changed[0].changes.size(), 2u);
    EXPECT_EQ(plan.changed[0].changes[0].attribute, PA_WEIGHT);
    EXPECT_EQ(plan.changed[0].changes[1].oldValue + plan.changed[0].changes[1].newValue, "FT");
    // The default paper keeps its fields; the same Heavy is no change; all three count as left alone.
    EXPECT_EQ(plan.leftAlone, 3);
    EXPECT_EQ(DescribeMerge(plan, catalog.GetCount(), kEnglish),
              (std::vector<std::string>{"Changed: \"Plain\": Weight (gsm) 80 -> 100; Force 1-sided no -> yes",
                                        "Added: \"New\" at position 5", "Added: \"Newer\" at position 6"}));
    ApplyMerge(catalog, plan);
    EXPECT_EQ(DescribeAll(catalog), "A4|A4|80|white|plain|F|0\nLocal|A4|80|white|plain|F|1\n"
                                    "Plain|A4|100|white|plain|T|2\nHeavy|A4|160|white|plain|F|3\n"
                                    "New|A4|90|white|plain|F|4\nNewer|A4|80|white|plain|F|5\n");
    EXPECT_TRUE(PlanMerge(catalog, {Paper("plain", "100", true)}).Empty());
}

TEST_F(CatalogMergeTest, APaperNamedTwiceInTheFileTakesItsLastRow) {
    const CPaperCatalog catalog = CatalogOfPapers({Paper("Plain")});
    const MergePlan plan = PlanMerge(catalog, {Paper("Plain", "90"), Paper("PLAIN", "80"), Paper("N", "70"), Paper("n", "75")});
    EXPECT_TRUE(plan.changed.empty());
    ASSERT_EQ(plan.added.size(), 1u);
    EXPECT_EQ(Describe(plan.added[0]), "n|A4|75|white|plain|F|0");
}

TEST_F(CatalogMergeTest, SpreadsheetFilesAreWrittenByTheirExtension) {
    EXPECT_TRUE(IsTableFileName("C:\\lists\\central.CSV"));
    EXPECT_TRUE(IsTableFileName("a.csv"));
    EXPECT_FALSE(IsTableFileName("central.csv.cat"));
    EXPECT_FALSE(IsTableFileName("csv"));

    const std::string path = (std::filesystem::temp_directory_path() / "quandrel-merge-test.csv").string();
    ASSERT_TRUE(ExportTableFile(CatalogOfPapers({Paper("Caf\xE9")}), path));
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::filesystem::remove(path);
    EXPECT_EQ(bytes, "\xEF\xBB\xBFName,Size,Weight,Color,Type,ForceOneSided\r\nCaf\xC3\xA9,A4,80,white,plain,no\r\n");
    StoreReport report;
    EXPECT_FALSE(ExportTableFile(CPaperCatalog(), (std::filesystem::temp_directory_path() / "no such folder" / "x.csv").string(), &report));
    EXPECT_NE(report.SystemError, 0);
}

}  // namespace
