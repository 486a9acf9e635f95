// The registry store against the registry seam: natively the in-memory
// registry, in the Windows build the real one under Wine. The order in which
// the registry enumerates values differs (Windows: as written, Wine: sorted by
// name), so no test relies on it: values that must be met in a given order are
// planted in name order.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "PaperTestSupport.h"
#include "catalog/CatalogSave.h"
#include "catalog/PaperCatalog.h"
#include "catalog/StoredImage.h"
#include "platform/Registry.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#ifdef _WIN32
#include <windows.h>

#include "KeySecurity.h"
#else
#include "platform/RegistryTesting.h"
#endif

namespace {

const std::string kTestRoot = "SOFTWARE\\QuandrelTests\\CatalogStore";
const std::string kKeyA = kTestRoot + "\\A";
const std::string kKeyB = kTestRoot + "\\B";

struct Stored {
    uint32_t type;
    std::string bytes;
    bool operator==(const Stored&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Stored& value) {
    out << "type " << value.type << " \"";
    for (char c : value.bytes) {
        if (c == '\0') {
            out << "\\0";
        } else {
            out << c;
        }
    }
    return out << "\"";
}

// A REG_SZ value as it must be stored: the text and its terminating zero.
Stored Sz(const std::string& text) { return {platform::kRegSz, text + '\0'}; }

Stored Dword(uint32_t number) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
    return {platform::kRegDword, bytes};
}

using Planted = std::vector<std::pair<std::string, Stored>>;
using Values = std::map<std::string, Stored>;

// Writes the values in the order given; the first failing result, or kRegOk.
long Plant(const std::string& path, const Planted& values) {
    platform::RegKey key;
    uint32_t disposition = 0;
    if (const long result = platform::CreateOrOpenKey(path, key, disposition); result != platform::kRegOk) {
        return result;
    }
    for (const auto& [name, value] : values) {
        if (const long result = platform::SetRawValue(key, name, value.type, value.bytes); result != platform::kRegOk) {
            return result;
        }
    }
    return platform::kRegOk;
}

// Every value of the key, whatever its name length or size; nullopt when the
// key cannot be opened or enumerated to its end.
std::optional<Values> ReadKey(const std::string& path) {
    platform::RegKey key;
    if (platform::OpenKeyForReading(path, key) != platform::kRegOk) return std::nullopt;
    Values values;
    for (uint32_t index = 0;; ++index) {
        platform::RegValue value;
        const long result = platform::EnumValue(key, index, 16384, 65536, value);
        if (result == platform::kRegNoMoreItems) return values;
        if (result != platform::kRegOk) return std::nullopt;
        values[value.name] = Stored{value.type, value.data};
    }
}

class RegistryStoreTest : public ::testing::Test {
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

TEST_F(RegistryStoreTest, LoadPlacesPapersByTheirStoredPositions) {
    struct Case {
        const char* what;
        const char* pdl;
        Planted planted;
        const char* expected;
    } cases[] = {
        {"keyword form, enumerated out of order", "PS",
         {{"B", Sz("A4,80,white,plain,F,1")}, {"A", Sz("LETTER,75,white,plain,F,0")}},
         "A|LETTER|75|white|plain|F|0\nB|A4|80|white|plain|F|1\n"},
        {"descriptive form, enumerated out of order", "PCL",
         {{"PaperDef1", Sz("Second,8.5 x 14 in,612 1008 ,90 gsm,red,cover,t")},
          {"PaperDef0", Sz("First,8.5 x 11 in,612 792 ,75 gsm,white,plain,f")}},
         "First|LETTER|75|white|plain|F|0\nSecond|LEGAL|90|red|cover|T|1\n"},
        {"a gap in the descriptive numbers", "",
         {{"PaperDef0", Sz("X,l,595 842 ,80 gsm,white,plain,f")}, {"PaperDef2", Sz("Y,l,595 842 ,80 gsm,white,plain,f")}},
         "X|A4|80|white|plain|F|0\nY|A4|80|white|plain|F|1\n"},
        {"a single value far from 0", "PCL", {{"PaperDef5", Sz("X,l,595 842 ,80 gsm,white,plain,f")}},
         "X|A4|80|white|plain|F|0\n"},
        {"negative positions and gaps in the keyword form", "PS",
         {{"A", Sz("A4,80,white,plain,F,-5")}, {"B", Sz("A4,80,white,plain,F,3")}, {"C", Sz("A4,80,white,plain,F,0")}},
         "A|A4|80|white|plain|F|0\nC|A4|80|white|plain|F|1\nB|A4|80|white|plain|F|2\n"},
        {"two values at one position: the later one wins", "PS",
         {{"A", Sz("A4,80,white,plain,F,0")}, {"B", Sz("A3,90,red,plain,T,0")}, {"C", Sz("A4,80,white,plain,F,1")}},
         "B|A3|90|red|plain|T|0\nC|A4|80|white|plain|F|1\n"},
        {"numbers past 32767", "PCL",
         {{"PaperDef32768", Sz("Y,l,595 842 ,80 gsm,white,plain,f")},
          {"PaperDef32767", Sz("X,l,595 842 ,80 gsm,white,plain,f")},
          {"PaperDef40000", Sz("Z,l,595 842 ,80 gsm,white,plain,f")}},
         "X|A4|80|white|plain|F|0\nY|A4|80|white|plain|F|1\nZ|A4|80|white|plain|F|2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::DeleteKeyTree(kKeyA);
        ASSERT_EQ(Plant(kKeyA, c.planted), platform::kRegOk);
        CPaperCatalog catalog;
        EXPECT_EQ(catalog.LoadFromRegistry(kKeyA, c.pdl), STORE_OK);
        EXPECT_EQ(DescribeAll(catalog), c.expected);
    }
}

TEST_F(RegistryStoreTest, LoadSkipsValuesThatDoNotFitTheBuffersAndGoesOn) {
    // 6 + 111 + 10 characters: the longest text that fits; one more does not.
    const std::string fits = "A4,80," + std::string(111, 'c') + ",plain,F,3";
    const std::string tooLong = "A4,80," + std::string(112, 'c') + ",plain,F,2";
    ASSERT_EQ(fits.size(), 127u);
    ASSERT_EQ(Plant(kKeyA, {{"A", Sz("LETTER,75,white,plain,F,0")},
                            {"D", Dword(7)},
                            {std::string(63, 'L'), Sz("A4,80,white,plain,F,1")},
                            {std::string(64, 'M'), Sz("A4,80,white,plain,F,2")},
                            {"N", Sz(tooLong)},
                            {"O", Sz(fits)},
                            {"Z", Sz("A3,90,red,cover,T,4")}}),
              platform::kRegOk);
    CPaperCatalog catalog;
    EXPECT_EQ(catalog.LoadFromRegistry(kKeyA, "PS"), STORE_OK);
    EXPECT_EQ(NamesAndPositions(catalog), "A@0 " + std::string(63, 'L') + "@1 O@2 Z@3");
    ASSERT_EQ(catalog.GetCount(), 4);
    EXPECT_EQ(catalog.GetPaper(2).Color, std::string(111, 'c'));
}

TEST_F(RegistryStoreTest, LoadRefusesAMissingKeyAndAnEmptyPath) {
    ASSERT_EQ(Plant(kKeyA, {{"A", Sz("LETTER,75,white,plain,F,0")}}), platform::kRegOk);
    CPaperCatalog catalog = CatalogOfPapers({CPaperDef("Keep", "A4", "80", "white", "plain", false, 0)});
    EXPECT_EQ(catalog.LoadFromRegistry(kTestRoot + "\\Missing", "PS"), STORE_KEY_FAILED);
    EXPECT_EQ(catalog.LoadFromRegistry("", "PS"), STORE_KEY_FAILED);
    EXPECT_EQ(catalog.LoadFromRegistry("", "PCL"), STORE_KEY_FAILED);
    EXPECT_EQ(DescribeAll(catalog), "Keep|A4|80|white|plain|F|0\n");
}

TEST_F(RegistryStoreTest, LoadOfAKeyWithoutStringValuesGivesNoPaper) {
    ASSERT_EQ(Plant(kKeyA, {{"Count", Dword(3)}, {"Blob", {platform::kRegBinary, "ab"}}}), platform::kRegOk);
    CPaperCatalog catalog;
    EXPECT_EQ(catalog.LoadFromRegistry(kKeyA, "PS"), STORE_OK);
    EXPECT_EQ(catalog.GetCount(), 0);
}

TEST_F(RegistryStoreTest, SaveWritesEachLocationsFormByteForByte) {
    struct Case {
        int16_t language;
        Values keyword;
        Values descriptive;
    } cases[] = {
        {1, {{"Letter", Sz("LETTER,75,white,plain,F,0")}},
         {{"PaperDef0", Sz("Letter,8.5 x 11 in,612 792 ,75 gsm,white,plain,f")}}},
        {6, {{"A4", Sz("A4,80,weiss,normal,F,0")}}, {{"PaperDef0", Sz("A4,210 x 297 mm,595 842 ,80 gsm,weiss,normal,f")}}},
        {5, {{"A4", Sz("A4,80,blanc,simple,F,0")}}, {{"PaperDef0", Sz("A4,210 x 297 mm,595 842 ,80 gsm,blanc,simple,f")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("language " + std::to_string(c.language));
        platform::DeleteKeyTree(kTestRoot);
        AppState.CurrentLanguage = c.language;
        BuildDefaultCatalog();
        const std::string before = DescribeAll(*AppState.CurrentCatalog);
        // The same catalog saved as a "PS" catalog and as one of another PDL.
        EXPECT_EQ(AppState.CurrentCatalog->SaveToRegistry(kKeyA, false), STORE_OK);
        EXPECT_EQ(AppState.CurrentCatalog->SaveToRegistry(kKeyB, true), STORE_OK);
        EXPECT_EQ(ReadKey(kKeyA), c.keyword);
        EXPECT_EQ(ReadKey(kKeyB), c.descriptive);
        EXPECT_EQ(DescribeAll(*AppState.CurrentCatalog), before);
    }
}

TEST_F(RegistryStoreTest, SaveLeavesExactlyTheCatalogsValues) {
    const CPaperCatalog catalog = CatalogOfPapers({CPaperDef("Letter", "LETTER", "75", "white", "plain", false, 0),
                                             CPaperDef("A4", "A4", "80", "white", "plain", false, 1),
                                             CPaperDef("Card", "A3", "200", "blue", "cover", true, 2)});
    struct Case {
        const char* what;
        bool descriptive;
        Planted planted;
        Values expected;
    } cases[] = {
        {"three papers over five values", false,
         {{"Old1", Sz("A4,80,white,plain,F,0")},
          {"Letter", Sz("A4,90,red,plain,F,4")},
          {"Old2", Sz("x")},
          {"Old3", Sz("y")},
          {"Old4", Sz("z")}},
         {{"Letter", Sz("LETTER,75,white,plain,F,0")},
          {"A4", Sz("A4,80,white,plain,F,1")},
          {"Card", Sz("A3,200,blue,cover,T,2")}}},
        {"three papers over five descriptive values", true,
         {{"PaperDef0", Sz("a")}, {"PaperDef1", Sz("b")}, {"PaperDef2", Sz("c")}, {"PaperDef3", Sz("d")},
          {"PaperDef4", Sz("e")}},
         {{"PaperDef0", Sz("Letter,8.5 x 11 in,612 792 ,75 gsm,white,plain,f")},
          {"PaperDef1", Sz("A4,210 x 297 mm,595 842 ,80 gsm,white,plain,f")},
          {"PaperDef2", Sz("Card,297 x 420 mm,842 1191 ,200 gsm,blue,cover,t")}}},
        {"values of every type, whatever their name length", false,
         {{"Count", Dword(5)},
          {"Blob", {platform::kRegBinary, std::string("\x01\x00\x02", 3)}},
          {"Path", {platform::kRegExpandSz, std::string("%TEMP%\0", 7)}},
          {"", Sz("default value")},
          {std::string(64, 'n'), Sz("A4,80,white,plain,F,9")},
          {std::string(255, 'o'), Sz("A4,80,white,plain,F,9")},
          {std::string(16383, 'p'), Sz("A4,80,white,plain,F,9")},
          {"Big", Sz(std::string(5000, 'd'))}},
         {{"Letter", Sz("LETTER,75,white,plain,F,0")},
          {"A4", Sz("A4,80,white,plain,F,1")},
          {"Card", Sz("A3,200,blue,cover,T,2")}}},
        // Setting a value over one whose name differs only in case keeps the
        // old spelling unless the store writes the name afresh.
        {"old names that differ from the new ones only in case", false,
         {{"LETTER", Sz("A4,90,red,plain,F,4")}, {"a4", Sz("x")}, {"CARD", Sz("y")}},
         {{"Letter", Sz("LETTER,75,white,plain,F,0")},
          {"A4", Sz("A4,80,white,plain,F,1")},
          {"Card", Sz("A3,200,blue,cover,T,2")}}},
        // A value already holding a paper's text is left alone; one that only
        // looks like it (another type, bytes after the text) is written afresh.
        {"values that already hold the texts, or seem to", false,
         {{"Letter", Sz("LETTER,75,white,plain,F,0")},
          {"A4", {platform::kRegExpandSz, std::string("A4,80,white,plain,F,1\0", 22)}},
          {"Card", {platform::kRegSz, std::string("A3,200,blue,cover,T,2\0tail\0", 27)}}},
         {{"Letter", Sz("LETTER,75,white,plain,F,0")},
          {"A4", Sz("A4,80,white,plain,F,1")},
          {"Card", Sz("A3,200,blue,cover,T,2")}}},
        {"descriptive names in another case", true,
         {{"paperdef0", Sz("a")}, {"PAPERDEF1", Sz("b")}, {"PaperDef2", Sz("c")}},
         {{"PaperDef0", Sz("Letter,8.5 x 11 in,612 792 ,75 gsm,white,plain,f")},
          {"PaperDef1", Sz("A4,210 x 297 mm,595 842 ,80 gsm,white,plain,f")},
          {"PaperDef2", Sz("Card,297 x 420 mm,842 1191 ,200 gsm,blue,cover,t")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::DeleteKeyTree(kKeyA);
        ASSERT_EQ(Plant(kKeyA, c.planted), platform::kRegOk);
        EXPECT_EQ(catalog.SaveToRegistry(kKeyA, c.descriptive), STORE_OK);
        EXPECT_EQ(ReadKey(kKeyA), c.expected);
    }
}

TEST_F(RegistryStoreTest, SaveKeepsAnAccentedNamesNewSpelling) {
    const CPaperCatalog catalog = CatalogOfPapers({CPaperDef("Caf\xE9", "A4", "80", "blanc", "simple", false, 0)});
    ASSERT_EQ(Plant(kKeyA, {{"CAF\xC9", Sz("A4,80,rouge,simple,F,0")}}), platform::kRegOk);
    EXPECT_EQ(catalog.SaveToRegistry(kKeyA, false), STORE_OK);
    EXPECT_EQ(ReadKey(kKeyA), (Values{{"Caf\xE9", Sz("A4,80,blanc,simple,F,0")}}));
}

TEST_F(RegistryStoreTest, KeywordSaveRefusesNamesEqualButForCaseAndChangesNothing) {
    struct Case {
        const char* first;
        const char* second;
    } cases[] = {{"Letter", "LETTER"}, {"letter", "Letter"}, {"Caf\xE9", "CAF\xC9"}, {"\x9A" "a", "\x8A" "A"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " / " + c.second);
        platform::DeleteKeyTree(kTestRoot);
        const CPaperCatalog catalog = CatalogOfPapers({CPaperDef(c.first, "A4", "80", "white", "plain", false, 0),
                                                 CPaperDef("Other", "A4", "80", "white", "plain", false, 1),
                                                 CPaperDef(c.second, "A3", "90", "red", "tab", true, 2)});
        ASSERT_EQ(Plant(kKeyA, {{"Old", Sz("A4,80,white,plain,F,0")}}), platform::kRegOk);
        EXPECT_EQ(catalog.SaveToRegistry(kKeyA, false), STORE_NAME_CASE_COLLISION);
        EXPECT_EQ(ReadKey(kKeyA), (Values{{"Old", Sz("A4,80,white,plain,F,0")}}));
        EXPECT_EQ(catalog.SaveToRegistry(kKeyB, false), STORE_NAME_CASE_COLLISION);
        EXPECT_EQ(ReadKey(kKeyB), std::nullopt) << "the key was created";
        // The descriptive form does not use the names as value names.
        EXPECT_EQ(catalog.SaveToRegistry(kKeyA, true), STORE_OK);
        const std::optional<Values> written = ReadKey(kKeyA);
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(written->size(), 3u);
    }
}

TEST_F(RegistryStoreTest, SaveRefusesAnEmptyPath) {
    BuildDefaultCatalog();
    EXPECT_EQ(AppState.CurrentCatalog->SaveToRegistry("", false), STORE_KEY_FAILED);
    EXPECT_EQ(AppState.CurrentCatalog->SaveToRegistry("", true), STORE_KEY_FAILED);
}

TEST_F(RegistryStoreTest, AValueTheLoadCouldNotReadIsRefusedBeforeAnythingIsWritten) {
    // A name longer than the load reads (the registry would even refuse one of
    // 16,384 characters after the others were written): nothing is written.
    const CPaperCatalog catalog = CatalogOfPapers({CPaperDef("Letter", "LETTER", "75", "white", "plain", false, 0),
                                             CPaperDef("New", "A3", "90", "red", "tab", true, 1),
                                             CPaperDef(std::string(16384, 'x'), "A4", "80", "white", "plain", false, 2)});
    const Planted planted = {{"Letter", Sz("A4,90,red,plain,F,0")},
                             {"Old", Sz("A4,80,white,plain,F,1")},
                             {"letter ", Sz("A4,80,white,plain,F,2")},
                             {"Count", Dword(3)}};
    ASSERT_EQ(Plant(kKeyA, planted), platform::kRegOk);
    const std::optional<Values> before = ReadKey(kKeyA);
    ASSERT_TRUE(before.has_value());
    StoreReport report;
    EXPECT_EQ(catalog.SaveToRegistry(kKeyA, false, &report), STORE_NOT_STORABLE);
    EXPECT_EQ(report.SystemError, 0);
    EXPECT_EQ(ReadKey(kKeyA), before);
}

// "Name:reason" for each skipped entry, ":by" naming the value in its place.
std::vector<std::string> SkippedOf(const StoreReport& report) {
    static const char* const kReasons[] = {"too long", "not text", "displaced", "name not writable", "unnamed"};
    std::vector<std::string> lines;
    for (const SkippedEntry& entry : report.Skipped) {
        lines.push_back(entry.value.Name + ":" + kReasons[entry.reason] +
                        (entry.displacedBy.empty() ? "" : ":" + entry.displacedBy));
    }
    return lines;
}

// Every entry the load leaves out is named with its reason, and a save's look
// is told of the same ones: those the save would remove. Which papers load
// does not change.
TEST_F(RegistryStoreTest, TheLoadNamesEveryEntryThatIsNotPartOfTheCatalog) {
    const std::string longName(70, 'N');
    const std::string longText = "A4,80," + std::string(200, 'c') + ",plain,F,1";
    // In name order: "Comment", "Letter" and "Resolution" all claim position 0.
    // The unnamed default value ("@=" in a .reg file) holds a paper's text, yet is none.
    const Planted planted = {{"", Sz("A4,80,white,plain,F,2")},
                             {"Blob", {platform::kRegBinary, std::string(300, 'b')}},
                             {"Bond", Sz("A4,90,white,bond,F,1")},
                             {"Comment", Sz("set by the service desk")},
                             {"Letter", Sz("LETTER,75,white,plain,F,0")},
                             {"Long text", Sz(longText)},
                             {longName, Sz("A4,80,white,plain,F,1")},
                             {"Resolution", Sz("600")},
                             {"Version", Dword(3)}};
    ASSERT_EQ(Plant(kKeyA, planted), platform::kRegOk);
    const std::vector<std::string> skipped = {":unnamed", "Blob:not text", "Comment:displaced:Resolution",
                                              "Letter:displaced:Resolution", "Long text:too long",
                                              longName + ":too long", "Version:not text"};
    CPaperCatalog catalog;
    StoreReport report;
    EXPECT_EQ(catalog.LoadFromRegistry(kKeyA, "PS", &report), STORE_OK);
    EXPECT_EQ(NamesAndPositions(catalog), "Resolution@0 Bond@1");
    EXPECT_EQ(report.SystemError, 0);
    EXPECT_EQ(SkippedOf(report), skipped);
    EXPECT_EQ(report.Image.size(), planted.size());
    StoredKeyImage image;
    {
        platform::RegKey key;
        ASSERT_EQ(platform::OpenKeyForReading(kKeyA, key), platform::kRegOk);
        ASSERT_EQ(ReadKeyImage(key, image), platform::kRegOk);
        SortKeyImage(image);
    }
    EXPECT_EQ(report.Image, image) << "the one reading of the key";

    // The save reads the key as the load did and asks about the same entries;
    // told no, it writes nothing.
    struct Decline final : SaveQuestions {
        std::vector<std::string> seen;
        bool OverwriteChange(const StoredKeyImage&) override { return false; }
        bool RemoveEntries(const std::vector<SkippedEntry>& entries) override {
            StoreReport asked;
            asked.Skipped = entries;
            seen = SkippedOf(asked);
            return false;
        }
        bool SaveWithoutBackup(const BackupResult&) override { return false; }
        bool SaveWithoutRecord(const std::string&, const std::string&) override { return false; }
    } decline;
    // Papers the load would read back as they are; "Resolution" (its "600" read
    // as a size) would not be.
    const CPaperCatalog storable = CatalogOfPapers({CPaperDef("Letter", "LETTER", "75", "white", "plain", false, 0)});
    const auto save = [&](const std::string& key) {
        SaveRequest request{{"A", key, "PS"}, StoredValuesOf(storable, "PS"), std::nullopt, BackupSettings{"", 0}};
        request.record = false;
        return SaveCatalog(request, decline);
    };
    SaveResult declined = save(kKeyA);
    EXPECT_EQ(declined.outcome, SaveOutcome::EntriesKept);
    EXPECT_EQ(decline.seen, skipped);
    EXPECT_EQ(declined.image, report.Image);
    // A key that does not exist yet holds nothing to lose: written at once.
    decline.seen.clear();
    EXPECT_EQ(save(kKeyB).outcome, SaveOutcome::Saved);
    EXPECT_TRUE(decline.seen.empty());
    EXPECT_EQ(save("").outcome, SaveOutcome::KeyFailed);

#ifdef _WIN32
    // A name the code page cannot hold reads as its likeness ("PapO"), by
    // which no ANSI function reaches it: it is named, never taken for a paper,
    // and a save that would have to remove it writes nothing.
    ASSERT_EQ(Plant(kKeyB, {{"PapO", Sz("A4,80,white,plain,F,5")}, {"Letter", Sz("LETTER,75,white,plain,F,0")}}),
              platform::kRegOk);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyB.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const std::wstring data = L"A4,90,red,plain,F,1";
    ASSERT_EQ(RegSetValueExW(key, L"Pap\u03A9", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(key);
    const std::optional<Values> before = ReadKey(kKeyB);
    EXPECT_EQ(catalog.LoadFromRegistry(kKeyB, "PS", &report), STORE_OK);
    EXPECT_EQ(NamesAndPositions(catalog), "Letter@0 PapO@1");
    EXPECT_EQ(SkippedOf(report), std::vector<std::string>{"PapO:name not writable"});
    for (const CPaperCatalog& saved : {catalog, CatalogOfPapers({CPaperDef("New", "A4", "80", "white", "plain", false, 0)})}) {
        StoreReport found;
        EXPECT_EQ(saved.SaveToRegistry(kKeyB, false, &found), STORE_NAMES_NOT_WRITABLE);
        EXPECT_EQ(SkippedOf(found), std::vector<std::string>{"PapO:name not writable"});
        EXPECT_EQ(ReadKey(kKeyB), before);
    }
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyB.c_str(), 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, L"Pap\u03A9", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
#endif
}

#ifdef _WIN32
// The real registry refusing a write: a key whose security lets everyone read
// it and nobody change it, as for a user without administrator rights.
TEST_F(RegistryStoreTest, AKeyThatMayOnlyBeReadRefusesTheSaveWithAccessDenied) {
    ASSERT_EQ(Plant(kKeyA, {{"Letter", Sz("LETTER,75,white,plain,F,0")}}), platform::kRegOk);
    GiveEveryone(kKeyA, KEY_READ);

    const std::optional<Values> before = ReadKey(kKeyA);
    ASSERT_TRUE(before.has_value());
    for (bool descriptive : {false, true}) {
        SCOPED_TRACE(descriptive ? "descriptive form" : "keyword form");
        StoreReport report;
        EXPECT_EQ(CatalogOfPapers({CPaperDef("New", "A4", "80", "white", "plain", false, 0)})
                      .SaveToRegistry(kKeyA, descriptive, &report),
                  STORE_KEY_FAILED);
        EXPECT_EQ(report.SystemError, platform::kRegAccessDenied);
        EXPECT_EQ(ReadKey(kKeyA), before);
    }
    CPaperCatalog loaded;
    EXPECT_EQ(loaded.LoadFromRegistry(kKeyA, "PS"), STORE_OK);
    EXPECT_EQ(NamesAndPositions(loaded), "Letter@0");
}
#endif

#ifdef _WIN32

// The key's security answers, and nothing is written to find out. A key that
// does not exist yet is as writable as the nearest key above it lets keys be
// created. Read, set value and create subkey (no full control) are what an
// administrator may grant operators, and a save needs no more.
TEST_F(RegistryStoreTest, WriteAccessIsAskedOfTheKeysSecurity) {
    ASSERT_EQ(Plant(kKeyA, {{"Letter", Sz("LETTER,75,white,plain,F,0")}}), platform::kRegOk);
    const std::string below = kKeyA + "\\Missing\\Deeper";
    EXPECT_EQ(platform::ProbeKeyForWriting(kKeyA), platform::kRegOk);
    EXPECT_EQ(platform::ProbeKeyForWriting(below), platform::kRegOk);

    GiveEveryone(kKeyA, KEY_READ);
    const std::optional<Values> before = ReadKey(kKeyA);
    EXPECT_EQ(platform::ProbeKeyForWriting(kKeyA), platform::kRegAccessDenied);
    EXPECT_EQ(platform::ProbeKeyForWriting(below), platform::kRegAccessDenied);
    EXPECT_EQ(ReadKey(kKeyA), before);
    platform::RegKey missing;
    EXPECT_EQ(platform::OpenKeyForReading(kKeyA + "\\Missing", missing), platform::kRegNotFound);

    GiveEveryone(kKeyA, KEY_READ | KEY_WRITE);
    EXPECT_EQ(platform::ProbeKeyForWriting(kKeyA), platform::kRegOk);
    EXPECT_EQ(CatalogOfPapers({CPaperDef("New", "A4", "80", "white", "plain", false, 0)}).SaveToRegistry(kKeyA, false),
              STORE_OK);
    GiveEveryone(kKeyA, KEY_ALL_ACCESS);
    CPaperCatalog loaded;
    EXPECT_EQ(loaded.LoadFromRegistry(kKeyA, "PS"), STORE_OK);
    EXPECT_EQ(NamesAndPositions(loaded), "New@0");
}
#endif

TEST_F(RegistryStoreTest, SavedCatalogsLoadBackInBothForms) {
    AppState.CurrentLanguage = 6;
    const CPaperCatalog catalog = CatalogOfPapers({CPaperDef("Brief", "8_0x10_5", "75", "weiss", "normal", false, 0),
                                             CPaperDef("A4", "A4", "80", "weiss", "normal", false, 1),
                                             CPaperDef("Register", "A4TAB", "160", "gelb", "tab", true, 2),
                                             CPaperDef("Folie", "LETTER", "120", "klar", "transparentfolie", true, 3),
                                             CPaperDef("Gro\xDF", "TABLOID", "200", "gr\xFCn", "deckblatt", false, 4)});
    for (bool descriptive : {false, true}) {
        SCOPED_TRACE(descriptive ? "descriptive form" : "keyword form");
        platform::DeleteKeyTree(kKeyA);
        ASSERT_EQ(catalog.SaveToRegistry(kKeyA, descriptive), STORE_OK);
        CPaperCatalog loaded;
        EXPECT_EQ(loaded.LoadFromRegistry(kKeyA, descriptive ? "PCL" : "PS"), STORE_OK);
        EXPECT_EQ(DescribeAll(loaded), DescribeAll(catalog));
    }
}

TEST_F(RegistryStoreTest, MoreThan32767PapersKeepTheirNumbersAndOrder) {
    constexpr int kCount = 32770;
    CPaperCatalog catalog;
    for (int i = 0; i < kCount; ++i) catalog.AddPaper("P" + std::to_string(i), "A4", "80", "white", "plain", false, i);
    ASSERT_EQ(catalog.SaveToRegistry(kKeyA, true), STORE_OK);
    const std::optional<Values> values = ReadKey(kKeyA);
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->size(), static_cast<size_t>(kCount));
    const auto last = values->find("PaperDef32769");
    ASSERT_NE(last, values->end());
    EXPECT_EQ(last->second, Sz("P32769,210 x 297 mm,595 842 ,80 gsm,white,plain,f"));

    CPaperCatalog loaded;
    ASSERT_EQ(loaded.LoadFromRegistry(kKeyA, "PCL"), STORE_OK);
    ASSERT_EQ(loaded.GetCount(), kCount);
    for (int i : {0, 32767, 32768, kCount - 1}) {
        EXPECT_EQ(Describe(loaded.GetPaper(i)), "P" + std::to_string(i) + "|A4|80|white|plain|F|" + std::to_string(i));
    }
}

#ifndef _WIN32
// Failures the real registry can give but a test cannot arrange there.
class RegistryStoreFailureTest : public RegistryStoreTest {
protected:
    void TearDown() override {
        platform::ResetMemoryRegistry();
        RegistryStoreTest::TearDown();
    }
};

TEST_F(RegistryStoreFailureTest, AnUndeletableValueStopsTheSaveWithTheKeyAsItWas) {
    const CPaperCatalog catalog = CatalogOfPapers({CPaperDef("Letter", "LETTER", "75", "white", "plain", false, 0),
                                             CPaperDef("A4", "A4", "80", "white", "plain", false, 1)});
    for (const char* undeletable : {"Stuck", "LETTER"}) {
        SCOPED_TRACE(undeletable);
        platform::DeleteKeyTree(kKeyA);
        ASSERT_EQ(Plant(kKeyA, {{"Old1", Sz("a")}, {undeletable, Sz("b")}, {"Old2", Sz("c")}}), platform::kRegOk);
        const std::optional<Values> before = ReadKey(kKeyA);
        platform::MakeValueUndeletable(kKeyA, undeletable);
        StoreReport report;
        EXPECT_EQ(catalog.SaveToRegistry(kKeyA, false, &report), STORE_KEY_FAILED);
        EXPECT_EQ(report.SystemError, platform::kRegAccessDenied);
        EXPECT_EQ(ReadKey(kKeyA), before);
    }
}

// A save writes only the values whose text changed; a failed one puts back
// only what it changed itself, never a value another program removed meanwhile.
TEST_F(RegistryStoreFailureTest, ASaveTouchesOnlyWhatItChanges) {
    using platform::RegCall;
    const CPaperCatalog catalog = CatalogOfPapers({CPaperDef("Letter", "LETTER", "75", "white", "plain", false, 0),
                                                   CPaperDef("A4", "A4", "80", "white", "plain", false, 1)});
    ASSERT_EQ(catalog.SaveToRegistry(kKeyA, false), STORE_OK);
    const unsigned sets = platform::RegistryCallCount(RegCall::Set);
    const unsigned deletes = platform::RegistryCallCount(RegCall::Delete);
    EXPECT_EQ(catalog.SaveToRegistry(kKeyA, false), STORE_OK);
    EXPECT_EQ(platform::RegistryCallCount(RegCall::Set), sets);
    EXPECT_EQ(platform::RegistryCallCount(RegCall::Delete), deletes);

    CPaperCatalog changed = catalog;
    changed.ModifyPaper("A4", "A4", "90", "white", "plain", false, 1);
    platform::BeforeRegistryCall(RegCall::Set, 1, [] {
        platform::RegKey key;
        uint32_t disposition = 0;
        platform::CreateOrOpenKey(kKeyA, key, disposition);
        platform::DeleteValue(key, "A4");
    });
    platform::FailRegistryCall(RegCall::Set, 1, platform::kRegAccessDenied);
    EXPECT_EQ(changed.SaveToRegistry(kKeyA, false), STORE_KEY_FAILED);
    const std::optional<Values> after = ReadKey(kKeyA);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->count("A4"), 0u) << "the value another program removed was made up again";
    EXPECT_EQ(after->count("Letter"), 1u);
}

// A key of each form holding old papers, a paper the new catalog keeps as it
// is, names in another case, a value of another type, one too long to be
// read and one with data longer than any buffer of the save.
struct FailureCase {
    const char* what;
    bool descriptive;
    Planted planted;
};

const CPaperCatalog& NewCatalog() {
    static const CPaperCatalog catalog = CatalogOfPapers({CPaperDef("Letter", "LETTER", "75", "white", "plain", false, 0),
                                                    CPaperDef("A4", "A4", "80", "white", "plain", false, 1),
                                                    CPaperDef("Card", "A3", "200", "blue", "cover", true, 2)});
    return catalog;
}

std::vector<FailureCase> FailureCases() {
    return {
        {"keyword form", false,
         {{"A4", Sz("A4,80,white,plain,F,1")},
          {"Aged", Sz("A4,80,white,plain,F,4")},
          {"LETTER", Sz("A4,90,red,plain,F,0")},
          {"Old", Sz("A4,80,white,plain,F,2")},
          {"Count", Dword(3)},
          {std::string(70, 'L'), Sz("A4,80,white,plain,F,3")},
          {"Huge", Sz(std::string(20000, 'h'))}}},
        {"descriptive form", true,
         {{"PaperDef0", Sz("Letter,8.5 x 11 in,612 792 ,75 gsm,white,plain,f")},
          {"paperdef1", Sz("Old,l,595 842 ,80 gsm,white,plain,f")},
          {"PaperDef3", Sz("Gone,l,595 842 ,80 gsm,white,plain,f")},
          {"Blob", {platform::kRegBinary, std::string("\x00\x01", 2)}},
          {"PaperDef4" + std::string(60, 'x'), Sz("Long,l,595 842 ,80 gsm,white,plain,f")}}},
    };
}

// Every set and every delete of the save, failed one at a time: the save
// fails and the key holds exactly what it held before, so it loads as before.
// When every later call of that kind fails too, putting the key back may fail,
// and the save says so; whenever it does not, the key is as it was.
TEST_F(RegistryStoreFailureTest, EveryFailurePointOfASaveLeavesTheKeyAsItWas) {
    using platform::RegCall;
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.what);
        const char* pdl = c.descriptive ? "PCL" : "PS";
        for (RegCall call : {RegCall::Set, RegCall::Delete}) {
            // A save that succeeds, to count its calls of that kind.
            platform::DeleteKeyTree(kKeyA);
            ASSERT_EQ(Plant(kKeyA, c.planted), platform::kRegOk);
            const std::optional<Values> before = ReadKey(kKeyA);
            ASSERT_TRUE(before.has_value());
            CPaperCatalog loadedBefore;
            ASSERT_EQ(loadedBefore.LoadFromRegistry(kKeyA, pdl), STORE_OK);
            const unsigned start = platform::RegistryCallCount(call);
            ASSERT_EQ(NewCatalog().SaveToRegistry(kKeyA, c.descriptive), STORE_OK);
            const unsigned calls = platform::RegistryCallCount(call) - start;
            ASSERT_GT(calls, 0u);

            int rollbackFailures = 0;
            for (unsigned nth = 1; nth <= calls; ++nth) {
                for (bool laterFailToo : {false, true}) {
                    SCOPED_TRACE((call == RegCall::Set ? "set " : "delete ") + std::to_string(nth) +
                                 (laterFailToo ? " and every later one" : ""));
                    platform::DeleteKeyTree(kKeyA);
                    ASSERT_EQ(Plant(kKeyA, c.planted), platform::kRegOk);
                    platform::FailRegistryCall(call, nth, platform::kRegAccessDenied, laterFailToo ? ~0u : 1u);
                    StoreReport report;
                    const int16_t result = NewCatalog().SaveToRegistry(kKeyA, c.descriptive, &report);
                    platform::FailRegistryCall(call, 0, platform::kRegOk);
                    EXPECT_EQ(report.SystemError, platform::kRegAccessDenied);
                    if (!laterFailToo || result == STORE_KEY_FAILED) {
                        EXPECT_EQ(result, STORE_KEY_FAILED);
                        EXPECT_EQ(ReadKey(kKeyA), before);
                        CPaperCatalog loaded;
                        EXPECT_EQ(loaded.LoadFromRegistry(kKeyA, pdl), STORE_OK);
                        EXPECT_EQ(DescribeAll(loaded), DescribeAll(loadedBefore));
                    } else {
                        EXPECT_EQ(result, STORE_ROLLBACK_FAILED);
                        ++rollbackFailures;
                    }
                }
            }
            EXPECT_GT(rollbackFailures, 0);
        }
    }
}

// An enumeration failing anywhere: the save writes nothing, the load keeps
// the catalog it was to fill.
TEST_F(RegistryStoreFailureTest, AnEnumerationFailingAnywhereEndsLoadAndSaveWithNothingChanged) {
    using platform::RegCall;
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.what);
        const char* pdl = c.descriptive ? "PCL" : "PS";
        platform::DeleteKeyTree(kKeyA);
        ASSERT_EQ(Plant(kKeyA, c.planted), platform::kRegOk);
        const std::optional<Values> before = ReadKey(kKeyA);
        unsigned start = platform::RegistryCallCount(RegCall::Enumerate);
        CPaperCatalog probe;
        ASSERT_EQ(probe.LoadFromRegistry(kKeyA, pdl), STORE_OK);
        const unsigned loadCalls = platform::RegistryCallCount(RegCall::Enumerate) - start;
        for (unsigned nth = 1; nth <= loadCalls; ++nth) {
            SCOPED_TRACE("load, enumeration " + std::to_string(nth));
            platform::FailRegistryCall(RegCall::Enumerate, nth, platform::kRegKeyDeleted);
            CPaperCatalog catalog = CatalogOfPapers({CPaperDef("Keep", "A4", "80", "white", "plain", false, 0)});
            StoreReport report;
            EXPECT_EQ(catalog.LoadFromRegistry(kKeyA, pdl, &report), STORE_KEY_FAILED);
            EXPECT_EQ(report.SystemError, platform::kRegKeyDeleted);
            EXPECT_TRUE(report.Skipped.empty());
            EXPECT_EQ(NamesAndPositions(catalog), "Keep@0");
        }

        start = platform::RegistryCallCount(RegCall::Enumerate);
        ASSERT_EQ(NewCatalog().SaveToRegistry(kKeyA, c.descriptive), STORE_OK);
        const unsigned saveCalls = platform::RegistryCallCount(RegCall::Enumerate) - start;
        for (unsigned nth = 1; nth <= saveCalls; ++nth) {
            SCOPED_TRACE("save, enumeration " + std::to_string(nth));
            platform::DeleteKeyTree(kKeyA);
            ASSERT_EQ(Plant(kKeyA, c.planted), platform::kRegOk);
            const unsigned sets = platform::RegistryCallCount(RegCall::Set);
            platform::FailRegistryCall(RegCall::Enumerate, nth, platform::kRegKeyDeleted);
            StoreReport report;
            EXPECT_EQ(NewCatalog().SaveToRegistry(kKeyA, c.descriptive, &report), STORE_KEY_FAILED);
            EXPECT_EQ(report.SystemError, platform::kRegKeyDeleted);
            EXPECT_EQ(platform::RegistryCallCount(RegCall::Set), sets) << "nothing is written";
            platform::FailRegistryCall(RegCall::Enumerate, 0, platform::kRegOk);
            EXPECT_EQ(ReadKey(kKeyA), before);
        }
    }
}

TEST_F(RegistryStoreFailureTest, AnUnexpectedDispositionChangesNothing) {
    BuildDefaultCatalog();
    ASSERT_EQ(Plant(kKeyA, {{"Old", Sz("x")}}), platform::kRegOk);
    for (uint32_t disposition : {0u, 3u}) {
        platform::ReportCreateDisposition(kKeyA, disposition);
        EXPECT_EQ(AppState.CurrentCatalog->SaveToRegistry(kKeyA, false), STORE_BAD_DISPOSITION) << disposition;
        EXPECT_EQ(ReadKey(kKeyA), (Values{{"Old", Sz("x")}})) << disposition;
    }
}

TEST_F(RegistryStoreFailureTest, KeysThatCannotBeOpenedAreReportedAndLeftAlone) {
    BuildDefaultCatalog();
    ASSERT_EQ(Plant(kKeyA, {{"Old", Sz("LETTER,75,white,plain,F,0")}}), platform::kRegOk);
    platform::FailCreateKey(kKeyA, platform::kRegAccessDenied);
    EXPECT_EQ(AppState.CurrentCatalog->SaveToRegistry(kKeyA, false), STORE_KEY_FAILED);
    EXPECT_EQ(ReadKey(kKeyA), (Values{{"Old", Sz("LETTER,75,white,plain,F,0")}}));

    platform::FailOpenKey(kKeyA, platform::kRegAccessDenied);
    CPaperCatalog catalog = CatalogOfPapers({CPaperDef("Keep", "A4", "80", "white", "plain", false, 0)});
    EXPECT_EQ(catalog.LoadFromRegistry(kKeyA, "PS"), STORE_KEY_FAILED);
    EXPECT_EQ(NamesAndPositions(catalog), "Keep@0");
}

TEST_F(RegistryStoreFailureTest, AnEmptyPathNeverReachesHkeyLocalMachine) {
    // An empty path names HKEY_LOCAL_MACHINE itself.
    ASSERT_EQ(Plant("", {{"Sentinel", Sz("LETTER,75,white,plain,F,0")}}), platform::kRegOk);
    BuildDefaultCatalog();
    EXPECT_EQ(AppState.CurrentCatalog->SaveToRegistry("", false), STORE_KEY_FAILED);
    EXPECT_EQ(AppState.CurrentCatalog->SaveToRegistry("", true), STORE_KEY_FAILED);
    CPaperCatalog catalog;
    EXPECT_EQ(catalog.LoadFromRegistry("", "PS"), STORE_KEY_FAILED);
    EXPECT_EQ(catalog.GetCount(), 0);
    const std::optional<Values> root = ReadKey("");
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(*root, (Values{{"Sentinel", Sz("LETTER,75,white,plain,F,0")}}));
}
// A model of the store's save. Random catalogs in both forms over random keys
// (papers, values of other types, entries too long, papers displaced, or no
// key at all), another program changing the key after the load and while the
// save's look keeps it waiting, the look declining, and a failure of any call
// the save makes. After every save the key holds exactly what it held before
// the save (with the other program's change) or exactly the new catalog, and
// the result says which. A fixed seed here; `make fuzz` sets
// QUANDREL_STORE_MODEL_SECONDS (and a seed of its own) to run it longer.
TEST_F(RegistryStoreFailureTest, ModelOfSavesWithChangesElsewhereAndFailures) {
    using platform::RegCall;
    const char* seconds = std::getenv("QUANDREL_STORE_MODEL_SECONDS");
    const char* seedText = std::getenv("QUANDREL_STORE_MODEL_SEED");
    const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 20261207u;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds ? std::atoi(seconds) : 0);
    std::mt19937 random(seed);
    const auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const char* const names[] = {"Letter", "Bond", "Card", "Gloss", "Matt", "Tab", "Cover", "Plain"};
    const auto randomCatalog = [&](int least) {
        std::vector<std::string> pool(std::begin(names), std::end(names));
        std::shuffle(pool.begin(), pool.end(), random);
        CPaperCatalog catalog;
        for (int i = 0, count = least + pick(5); i < count; ++i) {
            catalog.AddPaper(pool[i], PageSizeTable[pick(9)].Keyword, std::to_string(60 + 10 * pick(15)),
                             pick(2) ? "white" : "blue", pick(2) ? "plain" : "cover", pick(2) == 0, i);
        }
        return catalog;
    };
    // Another program: a value set (a paper's, or another type's) or one removed.
    const auto changeElsewhere = [&] {
        const std::optional<Values> now = ReadKey(kKeyA);
        if (now && !now->empty() && pick(2)) {
            platform::RegKey key;
            uint32_t disposition = 0;
            ASSERT_EQ(platform::CreateOrOpenKey(kKeyA, key, disposition), platform::kRegOk);
            ASSERT_EQ(platform::DeleteValue(key, std::next(now->begin(), pick(static_cast<int>(now->size())))->first),
                      platform::kRegOk);
        } else {
            ASSERT_EQ(Plant(kKeyA, {{pick(2) ? names[pick(8)] : "Stamp", pick(2) ? Sz("A4,80,red,plain,F,1") : Dword(7)}}),
                      platform::kRegOk);
        }
    };
    const auto valuesOf = [](const CPaperCatalog& catalog, bool descriptive) {
        Values values;
        for (int i = 0; i < catalog.GetCount(); ++i) {
            std::string name;
            std::string text;
            if (descriptive) {
                catalog.GetPaper(i).FormatDescriptiveValue(i, name, text);
            } else {
                catalog.GetPaper(i).FormatKeywordValue(name, text);
            }
            values[name] = Sz(text);
        }
        return values;
    };
    const auto imageOf = [](const Values& values) {
        StoredKeyImage image;
        for (const auto& [name, value] : values) image.push_back({name, value.type, value.bytes, true});
        SortKeyImage(image);
        return image;
    };

    unsigned tried = 0;
    for (; tried < 400 || std::chrono::steady_clock::now() < until; ++tried) {
        SCOPED_TRACE("case " + std::to_string(tried) + " of seed " + std::to_string(seed));
        platform::ResetMemoryRegistry();
        const bool descriptive = pick(2) == 0;
        const char* pdl = descriptive ? "PCL" : "PS";
        if (pick(4) != 0) {
            ASSERT_EQ(randomCatalog(0).SaveToRegistry(kKeyA, descriptive), STORE_OK);
            const Planted foreign[] = {
                {{"Version", Dword(3)}}, {{"Blob", {platform::kRegBinary, std::string(300, 'b')}}},
                {{std::string(64 + pick(40), 'L'), Sz("A4,80,white,plain,F,1")}},
                {{"Long", Sz("A4,80," + std::string(130, 'c') + ",plain,F,2")}},
                {{"Comment", Sz("set by the service desk")}},
                {{descriptive ? "PaperDef00" : "Zed", Sz(descriptive ? "Zed,l,595 842 ,80 gsm,white,plain,f" : "A4,80,red,plain,F,0")}}};
            for (const Planted& entry : foreign) {
                if (pick(3) == 0) {
                ASSERT_EQ(Plant(kKeyA, entry), platform::kRegOk);
            }
            }
        }
        if (pick(3) == 0) changeElsewhere();
        const bool existed = ReadKey(kKeyA).has_value();
        // What the store's load reads now, for the look to be shown.
        CPaperCatalog loaded;
        StoreReport loadReport;
        if (existed) {
            ASSERT_EQ(loaded.LoadFromRegistry(kKeyA, pdl, &loadReport), STORE_OK);
        }
        const Values before = ReadKey(kKeyA).value_or(Values{});
        std::optional<StoredKeyImage> expected;
        if (existed && pick(2)) expected = loadReport.Image;
        // A change made after the catalog was loaded: the save must ask.
        if (pick(4) == 0) changeElsewhere();
        const Values beforeSave = ReadKey(kKeyA).value_or(Values{});

        // A failure of the reading before the look, or of any later call.
        const auto failSomewhere = [&](RegCall call) {
            const bool unending = pick(8) == 0;
            platform::FailRegistryCall(call, 1 + pick(12), pick(2) ? platform::kRegAccessDenied : platform::kRegKeyDeleted,
                                       unending ? ~0u : 1u);
            return unending;
        };
        const auto stopFailing = [] {
            for (RegCall call : {RegCall::Set, RegCall::Delete, RegCall::Enumerate}) platform::FailRegistryCall(call, 0, platform::kRegOk);
        };
        bool unending = pick(5) == 0 && failSomewhere(RegCall::Enumerate);
        // How the caller answers the save's questions: no; yes; yes, after
        // someone else changed the key while the first question was open.
        const int mode = pick(3);
        std::optional<Values> afterLook;
        std::optional<RegCall> laterFailure;
        bool changedWhileAsked = false;
        unsigned overwriteAsked = 0;
        unsigned askedBeforeChange = 0;
        struct ModelQuestions final : SaveQuestions {
            std::function<bool(bool overwrite)> answer;
            bool OverwriteChange(const StoredKeyImage&) override { return answer(true); }
            bool RemoveEntries(const std::vector<SkippedEntry>&) override { return answer(false); }
            bool SaveWithoutBackup(const BackupResult&) override { return answer(false); }
            bool SaveWithoutRecord(const std::string&, const std::string&) override { return answer(false); }
        } questions;
        questions.answer = [&](bool overwrite) {
            stopFailing();
            if (overwrite) ++overwriteAsked;
            if (mode == 2 && !changedWhileAsked) {
                const Values seen = ReadKey(kKeyA).value_or(Values{});
                changeElsewhere();
                changedWhileAsked = ReadKey(kKeyA).value_or(Values{}) != seen;
                askedBeforeChange = overwriteAsked;
            }
            afterLook = ReadKey(kKeyA).value_or(Values{});
            if (pick(2)) {
                laterFailure = static_cast<RegCall>(pick(3));
                unending = failSomewhere(*laterFailure);
            }
            return mode != 0;
        };
        const CPaperCatalog next = randomCatalog(1);
        SaveRequest request{{"Model", kKeyA, pdl}, StoredValuesOf(next, pdl), expected, BackupSettings{"", 0}};
        request.record = false;
        const SaveResult result = SaveCatalog(request, questions);
        stopFailing();
        const std::optional<Values> after = ReadKey(kKeyA);
        const Values held = after.value_or(Values{});
        const Values& old = afterLook ? *afterLook : beforeSave;
        switch (result.outcome) {
        case SaveOutcome::Saved:
            EXPECT_EQ(held, valuesOf(next, descriptive));
            EXPECT_EQ(result.image, imageOf(held));
            EXPECT_TRUE(!changedWhileAsked || overwriteAsked > askedBeforeChange) << "written over a change unseen";
            break;
        case SaveOutcome::RollbackFailed:
            EXPECT_TRUE(unending) << "only a failure that never ends keeps the key from being put back";
            break;
        case SaveOutcome::ChangeKept:
        case SaveOutcome::EntriesKept:
        case SaveOutcome::BackupRefused:
            EXPECT_EQ(held, old);
            EXPECT_EQ(mode, 0) << "declined though every question was answered yes";
            break;
        case SaveOutcome::KeyFailed:
            EXPECT_EQ(held, old);
            EXPECT_NE(result.systemError, 0);
            // A key the save created and left empty is gone again, unless a
            // failing call kept the save from making sure it was empty.
            EXPECT_TRUE(existed || !held.empty() || !after || laterFailure == RegCall::Enumerate || unending);
            break;
        default:
            ADD_FAILURE() << "outcome " << static_cast<int>(result.outcome);
        }
        if (HasFailure()) break;
    }
    std::printf("store model: %u cases tried (seed %u)\n", tried, seed);
}
#endif

}  // namespace

namespace {
// What a save refuses before writing: every value the load would skip or
// read back as another paper, named with its reason.
TEST(UnstorableValuesTest, EveryValueTheLoadWouldNotReadBackIsNamed) {
    AppState.CurrentLanguage = kEnglish;
    AppState.SizeChoiceCount = static_cast<int16_t>(PageSizeTable.size());
    struct Case {
        const char* what;
        const char* pdl;
        StoredValue value;
        std::vector<UnstorableValue::Reason> expected;
    } cases[] = {
        {"a paper as the editor writes it", "PS", {"Plain", "A4,80,white,plain,F,0"}, {}},
        {"a name with a comma and a leading blank", "PS", {" Blue, glossy", "A4,120,blue,glossy,F,0"}, {}},
        {"an empty name", "PS", {"", "A4,80,white,plain,F,0"}, {UnstorableValue::NameEmpty}},
        {"a name of 64 characters", "PS", {std::string(64, 'N'), "A4,80,white,plain,F,0"}, {UnstorableValue::NameTooLong}},
        {"a text of 128 characters", "PS", {"Long", "A4,80," + std::string(113, 'c') + ",plain,F,0"},
         {UnstorableValue::TextTooLong}},
        {"a name the code page has no character for", "PS", {"Pap\x81", "A4,80,white,plain,F,0"},
         {UnstorableValue::NameNotInCodePage}},
        {"an empty field that shifts the others", "PS", {"Resolution", "600,,,,F,0"}, {UnstorableValue::ReadOtherwise}},
        {"a comma inside a field", "PS", {"Two", "A4,80,white,glossy, matt,F,0"}, {UnstorableValue::ReadOtherwise}},
    };
    for (const Case& c : cases) {
        std::vector<UnstorableValue::Reason> found;
        for (const UnstorableValue& value : FindUnstorableValues({c.value}, c.pdl)) found.push_back(value.reason);
        EXPECT_EQ(found, c.expected) << c.what;
    }
}
}  // namespace
