// What a save would change: catalogs compared paper by paper, against the
// store's own load of a key, and the lines the user reads.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "PaperTestSupport.h"
#include "catalog/CatalogDifference.h"
#include "catalog/PaperCatalog.h"
#include "platform/Registry.h"
#ifndef _WIN32
#include "platform/RegistryTesting.h"
#endif
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

const std::string kTestRoot = "SOFTWARE\\QuandrelTests\\Difference";

std::vector<std::string> Lines(const std::vector<PaperDifference>& differences, int16_t language = kEnglish) {
    std::vector<std::string> lines;
    for (const PaperDifference& difference : differences) lines.push_back(DescribeDifference(difference, language));
    return lines;
}

using Text = std::vector<std::string>;

class CatalogDifferenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppState.Reset();
        AppState.CurrentLanguage = kEnglish;
        AppState.SizeChoiceCount = 9;
        platform::DeleteKeyTree(kTestRoot);
    }
    void TearDown() override {
        platform::DeleteKeyTree(kTestRoot);
        AppState.Reset();
    }
};

TEST_F(CatalogDifferenceTest, PapersAreMatchedByNameAndOnlyRealMovesAreMoves) {
    struct Case {
        const char* what;
        Text stored;
        Text edited;
        Text lines;
    } cases[] = {
        {"the same", {"A", "B"}, {"A", "B"}, {}},
        {"both empty", {}, {}, {}},
        {"added at the end", {"A"}, {"A", "B"}, {"Added: \"B\" at position 2"}},
        {"inserted in the middle: nothing moved", {"A", "B", "C"}, {"A", "X", "B", "C"}, {"Added: \"X\" at position 2"}},
        {"removed from the front: nothing moved", {"A", "B", "C"}, {"B", "C"}, {"Removed: \"A\" from position 1"}},
        {"moved up once", {"A", "B", "C"}, {"A", "C", "B"}, {"Moved: \"C\" from position 3 to 2"}},
        {"last to first", {"A", "B", "C", "D"}, {"D", "A", "B", "C"}, {"Moved: \"D\" from position 4 to 1"}},
        {"renamed: removed and added", {"A", "B"}, {"A", "Bee"},
         {"Removed: \"B\" from position 2", "Added: \"Bee\" at position 2"}},
        {"names are compared exactly", {"a"}, {"A"}, {"Removed: \"a\" from position 1", "Added: \"A\" at position 1"}},
        {"a field changed", {"A:A4,80,white,plain,F", "B"}, {"A:A4,90,white,plain,F", "B"},
         {"Changed: \"A\": Weight (gsm) 80 -> 90"}},
        {"changed and moved", {"A", "B:A4,80,white,plain,F"}, {"B:A4,80,red,plain,F", "A"},
         {"Changed: \"B\": Color white -> red", "Moved: \"B\" from position 2 to 1"}},
        {"duplicate names pair up in order", {"D:A4,80,white,plain,F", "D:A3,80,white,plain,F"},
         {"D:A4,80,white,plain,F", "D:A3,90,white,plain,F"}, {"Changed: \"D\": Weight (gsm) 80 -> 90"}},
        {"a size keyword the editor does not know is shown as stored", {"A:B5,80,white,plain,F"}, {"A:A4,80,white,plain,F"},
         {"Changed: \"A\": Size B5 -> 210 x 297 mm"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Lines(CompareCatalogs(CatalogOf(c.stored), CatalogOf(c.edited))), c.lines);
    }
}

TEST_F(CatalogDifferenceTest, AChangedPaperNamesEveryChangedFieldWithOldAndNewValues) {
    const auto differences = CompareCatalogs(CatalogOf({"A:A4,80,white,plain,F"}), CatalogOf({"A:LETTER,90,blue,cover,T"}));
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].kind, PaperDifference::Changed);
    EXPECT_EQ(differences[0].oldPosition, 0);
    EXPECT_EQ(differences[0].newPosition, 0);
    ASSERT_EQ(differences[0].changes.size(), 5u);
    EXPECT_EQ(differences[0].changes[0].attribute, PA_SIZE);
    EXPECT_EQ(differences[0].changes[0].oldValue, "A4");
    EXPECT_EQ(differences[0].changes[0].newValue, "LETTER");
    EXPECT_EQ(differences[0].changes[4].attribute, PA_FORCE_ONE_SIDED);
    EXPECT_EQ(differences[0].changes[4].oldValue, "F");
    EXPECT_EQ(differences[0].changes[4].newValue, "T");
    EXPECT_EQ(Lines(differences)[0],
              "Changed: \"A\": Size 210 x 297 mm -> 8.5 x 11 in; Color white -> blue; Weight (gsm) 80 -> 90; "
              "Type plain -> cover; Force 1-sided no -> yes");
    // German: the editor's own field names, the vocabulary's sizes and words.
    EXPECT_EQ(Lines(differences, 6)[0],
              "Ge\xE4ndert: \"A\": Gr\xF6\xDF" "e 210 x 297 mm -> 8,5 x 11 Zoll; Farbe white -> blue; Gewicht (g/m\xB2) 80 -> 90; "
              "Typ plain -> cover; Einseitig erzwingen nein -> ja");
}

TEST_F(CatalogDifferenceTest, TheKeyIsReadByTheStoresLoadAndNeverWritten) {
    const std::string keyword = kTestRoot + "\\Keyword";
    const std::string descriptive = kTestRoot + "\\Descriptive";
    const CPaperCatalog saved = CatalogOf({"Letter:LETTER,75,white,plain,F", "Cover:TABLOID,160,blue,cover,T"});
    ASSERT_EQ(saved.SaveToRegistry(keyword, false), STORE_OK);
    ASSERT_EQ(saved.SaveToRegistry(descriptive, true), STORE_OK);
    const auto compare = [](const CPaperCatalog& edited, const std::string& key, const std::string& pdl) {
        std::vector<PaperDifference> differences = {{PaperDifference::Added, "stale", -1, 0, {}}};
        long systemError = -1;
        EXPECT_EQ(CompareWithStore(edited, key, pdl, differences, &systemError), STORE_OK) << key;
        EXPECT_EQ(systemError, 0);
        return Lines(differences);
    };

    // What was saved compares equal in both forms.
    EXPECT_TRUE(compare(saved, keyword, "PS").empty());
    EXPECT_TRUE(compare(saved, descriptive, "PCL").empty());

    CPaperCatalog edited = saved;
    edited.AddPaper("New", "A4", "80", "white", "plain", false, 2);
    edited.MovePaper(false, 1);
    EXPECT_EQ(compare(edited, keyword, "PS"),
              (Text{"Moved: \"Cover\" from position 2 to 1", "Added: \"New\" at position 3"}));

    // Only a key that does not exist holds nothing: every paper is added.
    EXPECT_EQ(compare(CatalogOf({"A"}), kTestRoot + "\\Missing", "PS"), (Text{"Added: \"A\" at position 1"}));
    platform::RegKey key;
    EXPECT_NE(platform::OpenKeyForReading(kTestRoot + "\\Missing", key), platform::kRegOk);
    // A key that cannot be read is a failure, never a catalog of new papers.
    std::vector<PaperDifference> differences;
    long systemError = 0;
    EXPECT_EQ(CompareWithStore(saved, "", "PS", differences, &systemError), STORE_KEY_FAILED);
    EXPECT_TRUE(differences.empty());
#ifndef _WIN32
    platform::FailOpenKey(keyword, platform::kRegAccessDenied);
    EXPECT_EQ(CompareWithStore(edited, keyword, "PS", differences, &systemError), STORE_KEY_FAILED);
    EXPECT_EQ(systemError, platform::kRegAccessDenied);
    EXPECT_TRUE(differences.empty());
    platform::ResetMemoryRegistry();
    ASSERT_EQ(saved.SaveToRegistry(keyword, false), STORE_OK);
    platform::FailRegistryCall(platform::RegCall::Enumerate, 2, platform::kRegKeyDeleted);
    EXPECT_EQ(CompareWithStore(edited, keyword, "PS", differences, &systemError), STORE_KEY_FAILED);
    EXPECT_EQ(systemError, platform::kRegKeyDeleted);
    platform::ResetMemoryRegistry();
    ASSERT_EQ(saved.SaveToRegistry(keyword, false), STORE_OK);
#endif

    // The keys are as the save left them.
    CPaperCatalog reread;
    ASSERT_EQ(reread.LoadFromRegistry(keyword, "PS"), STORE_OK);
    EXPECT_EQ(DescribeAll(reread), DescribeAll(saved));
}

TEST_F(CatalogDifferenceTest, EveryLanguageHasItsLines) {
    const std::vector<PaperDifference> differences = {
        {PaperDifference::Added, "N", -1, 0, {}},
        {PaperDifference::Removed, "N", 1, -1, {}},
        {PaperDifference::Moved, "N", 1, 2, {}},
        {PaperDifference::Changed, "N", 0, 0, {{PA_WEIGHT, "80", "90"}}},
    };
    for (int16_t language = 1; language <= 10; ++language) {
        SCOPED_TRACE(language);
        for (const std::string& line : Lines(differences, language)) {
            // French guillemets with no-break spaces, Norwegian ones without, straight quotes elsewhere.
            const char* const quoted = language == 5 ? "\xAB\xA0N\xA0\xBB" : language == 8 ? "\xABN\xBB" : "\"N\"";
            EXPECT_NE(line.find(quoted), std::string::npos);
            EXPECT_EQ(line.find("???"), std::string::npos);
            EXPECT_EQ(line.find('%'), std::string::npos);
        }
    }
}

}  // namespace
