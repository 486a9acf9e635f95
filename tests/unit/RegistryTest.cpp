// The registry seam, one source for both sides: natively against the in-memory
// registry, in the Windows build under Wine against the real one. Nothing here
// relies on the order of enumeration, which differs between Windows (order of
// writing) and Wine (sorted by name).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <source_location>
#include <string>
#include <vector>

#include "platform/Registry.h"

using namespace platform;

namespace {

// The capacities the catalog store reads with.
constexpr uint32_t kNameCapacity = 64;
constexpr uint32_t kDataCapacity = 128;

std::string Dword(uint32_t number) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return bytes;
}

struct EnumResult {
    long result = kRegOk;
    RegValue value;
};

// Enumerates from index 0 until a result other than kRegOk or kRegMoreData;
// the last entry holds that result.
std::vector<EnumResult> EnumerateAll(const RegKey& key, uint32_t nameCapacity, uint32_t dataCapacity) {
    std::vector<EnumResult> results;
    for (uint32_t index = 0; index < 1000; ++index) {
        EnumResult entry;
        entry.result = EnumValue(key, index, nameCapacity, dataCapacity, entry.value);
        results.push_back(entry);
        if (entry.result != kRegOk && entry.result != kRegMoreData) break;
    }
    return results;
}

std::vector<std::string> SortedNames(const std::vector<EnumResult>& results) {
    std::vector<std::string> names;
    for (const EnumResult& entry : results) {
        if (entry.result == kRegOk) names.push_back(entry.value.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::string("SOFTWARE\\QuandrelTests\\") + info->test_suite_name() + "." + info->name();
        std::replace(path_.begin(), path_.end(), '/', '.');
        const long result = DeleteKeyTree(path_);
        ASSERT_TRUE(result == kRegOk || result == kRegNotFound) << result;
    }
    void TearDown() override { DeleteKeyTree(path_); }

    RegKey CreateKey(const std::string& path, std::source_location where = std::source_location::current()) {
        ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "creating " + path);
        RegKey key;
        uint32_t disposition = 0;
        EXPECT_EQ(kRegOk, CreateOrOpenKey(path, key, disposition));
        EXPECT_TRUE(key.IsOpen());
        return key;
    }
    RegKey CreateTestKey(std::source_location where = std::source_location::current()) {
        return CreateKey(path_, where);
    }

    void ExpectSet(const RegKey& key, const std::string& name, uint32_t type, const std::string& bytes,
                   std::source_location where = std::source_location::current()) {
        ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "setting " + name);
        EXPECT_EQ(kRegOk, SetRawValue(key, name, type, bytes));
    }

    std::string path_;
};

template <class Case>
class RegistryTableTest : public RegistryTest, public ::testing::WithParamInterface<Case> {};

// Table rows print as their labels in failure messages.
template <class Case>
void PrintTo(const Case& c, std::ostream* out)
    requires requires { c.label; }
{
    *out << c.label;
}

template <class Case>
std::string CaseLabel(const ::testing::TestParamInfo<Case>& info) {
    return info.param.label;
}

TEST_F(RegistryTest, OpeningAMissingKeyReportsNotFound) {
    RegKey key;
    EXPECT_EQ(kRegNotFound, OpenKeyForReading(path_, key));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(kRegNotFound, OpenKeyForReading(path_ + "\\Below", key));
}

TEST_F(RegistryTest, CreatingReportsANewKeyThenTheExistingOne) {
    RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(kRegOk, CreateOrOpenKey(path_ + "\\Catalog", key, disposition));
    EXPECT_TRUE(key.IsOpen());
    EXPECT_EQ(kRegCreatedNewKey, disposition);

    ASSERT_EQ(kRegOk, CreateOrOpenKey(path_ + "\\Catalog", key, disposition));
    EXPECT_EQ(kRegOpenedExistingKey, disposition);
    // The parent was made on the way.
    ASSERT_EQ(kRegOk, CreateOrOpenKey(path_, key, disposition));
    EXPECT_EQ(kRegOpenedExistingKey, disposition);
    EXPECT_EQ(kRegOk, OpenKeyForReading(path_ + "\\Catalog", key));
}

TEST_F(RegistryTest, KeyPathsAreComparedWithoutRegardToCase) {
    RegKey key = CreateKey(path_ + "\\Sub\xe9");
    ExpectSet(key, "Letter", kRegSz, "x");

    std::string upper = path_ + "\\SUB\xc9";
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; });
    RegKey again;
    uint32_t disposition = 0;
    ASSERT_EQ(kRegOk, CreateOrOpenKey(upper, again, disposition));
    EXPECT_EQ(kRegOpenedExistingKey, disposition);
    RegKey reading;
    ASSERT_EQ(kRegOk, OpenKeyForReading(upper, reading));
    RegValue value;
    ASSERT_EQ(kRegOk, EnumValue(reading, 0, kNameCapacity, kDataCapacity, value));
    EXPECT_EQ("Letter", value.name);
}

struct EnumFitCase {
    const char* label;
    size_t nameLength;
    uint32_t type;
    size_t dataBytes;  // as stored
    uint32_t nameCapacity;
    uint32_t dataCapacity;
    long expected;
};

// Data of the given stored size: REG_SZ text ends in its terminator.
std::string StoredBytes(uint32_t type, size_t size) {
    std::string bytes(size, 'd');
    if (type == kRegSz && size > 0) bytes.back() = '\0';
    return bytes;
}

using EnumFitTest = RegistryTableTest<EnumFitCase>;

TEST_P(EnumFitTest, ReportsWhatDoesNotFit) {
    const EnumFitCase& c = GetParam();
    RegKey key = CreateTestKey();
    const std::string name(c.nameLength, 'n');
    const std::string bytes = StoredBytes(c.type, c.dataBytes);
    ExpectSet(key, name, c.type, bytes);

    RegValue value;
    ASSERT_EQ(c.expected, EnumValue(key, 0, c.nameCapacity, c.dataCapacity, value));
    if (c.expected == kRegOk) {
        EXPECT_EQ(name, value.name);
        EXPECT_EQ(c.type, value.type);
        EXPECT_EQ(c.dataCapacity > 0 ? bytes : std::string(), value.data);
    } else {
        EXPECT_EQ("", value.name);
        EXPECT_EQ("", value.data);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, EnumFitTest,
    ::testing::Values(
        EnumFitCase{"Name63Fits", 63, kRegSz, 2, 64, 128, kRegOk},
        EnumFitCase{"Name64DoesNotFit", 64, kRegSz, 2, 64, 128, kRegMoreData},
        EnumFitCase{"Name64DoesNotFitWithoutData", 64, kRegSz, 2, 64, 0, kRegMoreData},
        EnumFitCase{"Name64FitsCapacity65", 64, kRegSz, 2, 65, 128, kRegOk},
        EnumFitCase{"EmptyNameFitsCapacity1", 0, kRegSz, 2, 1, 128, kRegOk},
        EnumFitCase{"EmptyNameDoesNotFitCapacity0", 0, kRegSz, 2, 0, 128, kRegMoreData},
        EnumFitCase{"Text128BytesFits", 8, kRegSz, 128, 64, 128, kRegOk},
        EnumFitCase{"Text129BytesDoesNotFit", 8, kRegSz, 129, 64, 128, kRegMoreData},
        EnumFitCase{"Text129BytesWithoutData", 8, kRegSz, 129, 64, 0, kRegOk},
        EnumFitCase{"Binary128BytesFits", 8, kRegBinary, 128, 64, 128, kRegOk},
        EnumFitCase{"Binary129BytesDoesNotFit", 8, kRegBinary, 129, 64, 128, kRegMoreData},
        EnumFitCase{"DwordInto3BytesDoesNotFit", 8, kRegDword, 4, 64, 3, kRegMoreData},
        EnumFitCase{"NameAndDataDoNotFit", 64, kRegBinary, 129, 64, 128, kRegMoreData}),
    CaseLabel<EnumFitCase>);

TEST_F(RegistryTest, AValueThatDoesNotFitDoesNotConsumeItsIndex) {
    RegKey key = CreateTestKey();
    ExpectSet(key, "Alpha", kRegSz, "1");
    ExpectSet(key, std::string(64, 'L'), kRegSz, "2");
    ExpectSet(key, "Beta", kRegSz, std::string(200, 'x'));
    ExpectSet(key, "Gamma", kRegSz, "3");

    const std::vector<EnumResult> results = EnumerateAll(key, kNameCapacity, kDataCapacity);
    ASSERT_EQ(5u, results.size());
    EXPECT_EQ(kRegNoMoreItems, results.back().result);
    EXPECT_EQ(2, std::count_if(results.begin(), results.end(),
                               [](const EnumResult& entry) { return entry.result == kRegMoreData; }));
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Gamma"}), SortedNames(results));
}

TEST_F(RegistryTest, EnumeratingPastTheEndGivesNoMoreItems) {
    RegKey key = CreateTestKey();
    RegValue value;
    EXPECT_EQ(kRegNoMoreItems, EnumValue(key, 0, kNameCapacity, kDataCapacity, value));
    EXPECT_EQ(kRegNoMoreItems, EnumValue(key, 0, 0, 0, value));

    ExpectSet(key, "A", kRegSz, "1");
    ExpectSet(key, "B", kRegSz, "2");
    EXPECT_EQ(kRegOk, EnumValue(key, 1, kNameCapacity, kDataCapacity, value));
    EXPECT_EQ(kRegNoMoreItems, EnumValue(key, 2, kNameCapacity, kDataCapacity, value));
    EXPECT_EQ("", value.name);
    EXPECT_EQ(kRegNoMoreItems, EnumValue(key, 1000, kNameCapacity, 0, value));
}

struct NameCaseCase {
    const char* label;
    const char* first;
    const char* second;
    size_t values;  // how many values the two names make
};

using ValueNameCaseTest = RegistryTableTest<NameCaseCase>;

// Setting a name the key already holds in another case replaces the data and
// keeps the spelling first written.
TEST_P(ValueNameCaseTest, ComparesNamesWithoutRegardToCase) {
    const NameCaseCase& c = GetParam();
    RegKey key = CreateTestKey();
    ASSERT_EQ(kRegOk, SetStringValue(key, c.first, "one"));
    ASSERT_EQ(kRegOk, SetStringValue(key, c.second, "two"));

    const std::vector<EnumResult> results = EnumerateAll(key, kNameCapacity, kDataCapacity);
    ASSERT_EQ(c.values + 1, results.size());
    EXPECT_EQ(kRegNoMoreItems, results.back().result);
    if (c.values == 1) {
        EXPECT_EQ(c.first, results[0].value.name);
        EXPECT_EQ(std::string("two", 4), results[0].value.data);
    } else {
        EXPECT_EQ(SortedNames(results), (std::vector<std::string>{std::min<std::string>(c.first, c.second),
                                                                  std::max<std::string>(c.first, c.second)}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, ValueNameCaseTest,
    ::testing::Values(NameCaseCase{"LetterThenUpper", "Letter", "LETTER", 1},
                      NameCaseCase{"LowerThenMixed", "letter", "Letter", 1},
                      NameCaseCase{"AccentedLetters", "\xe9t\xe9", "\xc9T\xc9", 1},
                      NameCaseCase{"SCaron", "\x9a", "\x8a", 1},
                      NameCaseCase{"OeLigature", "\x9c", "\x8c", 1},
                      NameCaseCase{"YDiaeresis", "\xff", "\x9f", 1},
                      NameCaseCase{"ThornAndEth", "\xfe\xf0", "\xde\xd0", 1},
                      NameCaseCase{"TimesAndDivideDiffer", "\xd7", "\xf7", 2},
                      NameCaseCase{"SharpSAndSsDiffer", "\xdf", "SS", 2},
                      NameCaseCase{"LongerNameDiffers", "Letter", "Letters", 2}),
    CaseLabel<NameCaseCase>);

TEST_F(RegistryTest, DeletesAValueByAnySpellingOfItsName) {
    RegKey key = CreateTestKey();
    ExpectSet(key, "Letter", kRegSz, "1");
    ExpectSet(key, "Legal", kRegSz, "2");

    EXPECT_EQ(kRegOk, DeleteValue(key, "lEtTeR"));
    EXPECT_EQ(kRegNotFound, DeleteValue(key, "Letter"));
    const std::vector<EnumResult> results = EnumerateAll(key, kNameCapacity, kDataCapacity);
    EXPECT_EQ((std::vector<std::string>{"Legal"}), SortedNames(results));
}

TEST_F(RegistryTest, EnumeratesAPlantedDwordWithItsType) {
    RegKey key = CreateTestKey();
    ExpectSet(key, "Count", kRegDword, Dword(0x12345678));
    ExpectSet(key, "Text", kRegSz, std::string("abc", 4));

    const std::vector<EnumResult> results = EnumerateAll(key, kNameCapacity, kDataCapacity);
    ASSERT_EQ(3u, results.size());
    const auto dword = std::find_if(results.begin(), results.end(),
                                    [](const EnumResult& entry) { return entry.value.name == "Count"; });
    ASSERT_NE(results.end(), dword);
    EXPECT_EQ(kRegDword, dword->value.type);
    EXPECT_EQ(Dword(0x12345678), dword->value.data);
    const auto text = std::find_if(results.begin(), results.end(),
                                   [](const EnumResult& entry) { return entry.value.name == "Text"; });
    ASSERT_NE(results.end(), text);
    EXPECT_EQ(kRegSz, text->value.type);
}

// The store clears a key by enumerating index 0 without data and deleting.
TEST_F(RegistryTest, ClearingLoopWithoutDataRemovesEveryValue) {
    RegKey key = CreateTestKey();
    ExpectSet(key, "Letter", kRegSz, std::string("LETTER,75,white,plain,F,0", 26));
    ExpectSet(key, "Count", kRegDword, Dword(7));
    ExpectSet(key, "Big", kRegBinary, std::string(4000, 'b'));
    ExpectSet(key, std::string(63, 'n'), kRegSz, std::string(300, 'x'));

    RegValue value;
    long result = kRegOk;
    int deleted = 0;
    while ((result = EnumValue(key, 0, kNameCapacity, 0, value)) == kRegOk && deleted < 10) {
        EXPECT_EQ("", value.data);
        EXPECT_EQ(kRegOk, DeleteValue(key, value.name));
        ++deleted;
    }
    EXPECT_EQ(kRegNoMoreItems, result);
    EXPECT_EQ(4, deleted);
}

TEST_F(RegistryTest, ClearingLoopStopsAtANameThatDoesNotFit) {
    RegKey key = CreateTestKey();
    const std::string longName(64, 'L');
    ExpectSet(key, "A", kRegSz, "1");
    ExpectSet(key, longName, kRegSz, "2");
    ExpectSet(key, "Z", kRegSz, "3");

    RegValue value;
    long result = kRegOk;
    int deleted = 0;
    while ((result = EnumValue(key, 0, kNameCapacity, 0, value)) == kRegOk && deleted < 10) {
        EXPECT_EQ(kRegOk, DeleteValue(key, value.name));
        ++deleted;
    }
    EXPECT_EQ(kRegMoreData, result);
    // What stays depends on the order of enumeration; the long name always does.
    const std::vector<std::string> left = SortedNames(EnumerateAll(key, 65, 0));
    EXPECT_EQ(static_cast<size_t>(3 - deleted), left.size());
    EXPECT_NE(left.end(), std::find(left.begin(), left.end(), longName));
}

struct StoredDataCase {
    const char* label;
    uint32_t type;
    std::string written;
    std::string enumerated;
};

using StoredDataTest = RegistryTableTest<StoredDataCase>;

TEST_P(StoredDataTest, EnumeratesTheBytesAsStored) {
    const StoredDataCase& c = GetParam();
    RegKey key = CreateTestKey();
    ExpectSet(key, "V", c.type, c.written);
    RegValue value;
    ASSERT_EQ(kRegOk, EnumValue(key, 0, kNameCapacity, kDataCapacity, value));
    EXPECT_EQ(c.type, value.type);
    EXPECT_EQ(c.enumerated, value.data);
}

INSTANTIATE_TEST_SUITE_P(
    Data, StoredDataTest,
    ::testing::Values(
        StoredDataCase{"TerminatedText", kRegSz, std::string("abc", 4), std::string("abc", 4)},
        StoredDataCase{"UnterminatedTextGetsItsZero", kRegSz, "abc", std::string("abc", 4)},
        StoredDataCase{"UnterminatedExpandText", kRegExpandSz, "abc", std::string("abc", 4)},
        StoredDataCase{"EmptyText", kRegSz, "", ""},
        StoredDataCase{"EmbeddedZeroKept", kRegSz, std::string("ab\0cd", 6), std::string("ab\0cd", 6)},
        StoredDataCase{"DoubleZeroKept", kRegSz, std::string("ab\0", 4), std::string("ab\0", 4)},
        StoredDataCase{"Code page 1252 bytes", kRegSz, std::string("\x80\x81\x9f\xe9\xff", 6),
                       std::string("\x80\x81\x9f\xe9\xff", 6)},
        StoredDataCase{"BinaryUnchanged", kRegBinary, "abc", "abc"},
        StoredDataCase{"ShortDword", kRegDword, "ab", "ab"}),
    [](const ::testing::TestParamInfo<StoredDataCase>& info) {
        std::string label = info.param.label;
        label.erase(std::remove(label.begin(), label.end(), ' '), label.end());
        return label;
    });

TEST_F(RegistryTest, SetStringValueStoresTheTextAndItsTerminator) {
    RegKey key = CreateTestKey();
    ASSERT_EQ(kRegOk, SetStringValue(key, "Letter", "LETTER,75,white,plain,F,0"));
    ASSERT_EQ(kRegOk, SetStringValue(key, "Empty", ""));

    const std::vector<EnumResult> results = EnumerateAll(key, kNameCapacity, kDataCapacity);
    ASSERT_EQ(3u, results.size());
    for (const EnumResult& entry : std::vector<EnumResult>(results.begin(), results.end() - 1)) {
        SCOPED_TRACE(entry.value.name);
        EXPECT_EQ(kRegSz, entry.value.type);
        EXPECT_EQ(entry.value.name == "Letter" ? std::string("LETTER,75,white,plain,F,0", 26) : std::string(1, '\0'),
                  entry.value.data);
    }
}

TEST_F(RegistryTest, ValueNamesUpTo16383Characters) {
    RegKey key = CreateTestKey();
    const std::string longest(16383, 'v');
    ASSERT_EQ(kRegOk, SetStringValue(key, longest, "x"));
    EXPECT_EQ(kRegInvalid, SetStringValue(key, longest + "v", "x"));

    RegValue value;
    EXPECT_EQ(kRegMoreData, EnumValue(key, 0, 16383, 0, value));
    ASSERT_EQ(kRegOk, EnumValue(key, 0, 16384, 0, value));
    EXPECT_EQ(longest, value.name);
    EXPECT_EQ(kRegNoMoreItems, EnumValue(key, 1, 16384, 0, value));
}

TEST_F(RegistryTest, AKeyOpenedForReadingRefusesWrites) {
    {
        RegKey writable = CreateTestKey();
        ExpectSet(writable, "Kept", kRegSz, "1");
    }
    RegKey key;
    ASSERT_EQ(kRegOk, OpenKeyForReading(path_, key));
    EXPECT_EQ(kRegAccessDenied, SetStringValue(key, "New", "x"));
    EXPECT_EQ(kRegAccessDenied, DeleteValue(key, "Kept"));
    EXPECT_EQ(kRegAccessDenied, DeleteValue(key, "Missing"));
    const std::vector<EnumResult> results = EnumerateAll(key, kNameCapacity, kDataCapacity);
    EXPECT_EQ((std::vector<std::string>{"Kept"}), SortedNames(results));
}

TEST_F(RegistryTest, AKeyThatIsNotOpenIsAnInvalidHandle) {
    RegKey key;
    RegValue value;
    EXPECT_EQ(kRegInvalidHandle, EnumValue(key, 0, kNameCapacity, kDataCapacity, value));
    EXPECT_EQ(kRegInvalidHandle, SetStringValue(key, "A", "x"));
    EXPECT_EQ(kRegInvalidHandle, DeleteValue(key, "A"));
}

TEST_F(RegistryTest, AnOpenKeyOfADeletedKeyAnswersKeyDeleted) {
    RegKey key = CreateKey(path_ + "\\Gone");
    ExpectSet(key, "A", kRegSz, "1");
    ASSERT_EQ(kRegOk, DeleteKeyTree(path_ + "\\Gone"));

    RegValue value;
    EXPECT_EQ(kRegKeyDeleted, EnumValue(key, 0, kNameCapacity, kDataCapacity, value));
    EXPECT_EQ(kRegKeyDeleted, SetStringValue(key, "B", "x"));
    EXPECT_EQ(kRegKeyDeleted, DeleteValue(key, "A"));
}

TEST_F(RegistryTest, DeleteKeyTreeRemovesTheKeyAndEverythingBelow) {
    {
        RegKey deep = CreateKey(path_ + "\\A\\B");
        ExpectSet(deep, "V", kRegSz, "1");
        RegKey top = CreateTestKey();
        ExpectSet(top, "W", kRegSz, "2");
    }
    ASSERT_EQ(kRegOk, DeleteKeyTree(path_));
    RegKey key;
    EXPECT_EQ(kRegNotFound, OpenKeyForReading(path_ + "\\A\\B", key));
    EXPECT_EQ(kRegNotFound, OpenKeyForReading(path_, key));
    EXPECT_EQ(kRegNotFound, DeleteKeyTree(path_));
    // The parent stays.
    EXPECT_EQ(kRegOk, OpenKeyForReading("SOFTWARE\\QuandrelTests", key));
}

struct RootPathCase {
    const char* label;
    std::string path;
};

using DeleteKeyTreeRootTest = RegistryTableTest<RootPathCase>;

TEST_P(DeleteKeyTreeRootTest, RefusesToDeleteTheRoot) {
    RegKey testKey = CreateTestKey();
    ExpectSet(testKey, "Kept", kRegSz, "1");
    testKey.Reset();

    EXPECT_EQ(kRegInvalid, DeleteKeyTree(GetParam().path));
    RegKey key;
    EXPECT_EQ(kRegOk, OpenKeyForReading(path_, key));
    EXPECT_EQ((std::vector<std::string>{"Kept"}), SortedNames(EnumerateAll(key, kNameCapacity, 0)));
}

INSTANTIATE_TEST_SUITE_P(Paths, DeleteKeyTreeRootTest,
                         ::testing::Values(RootPathCase{"Empty", ""}, RootPathCase{"Backslash", "\\"},
                                           RootPathCase{"Backslashes", "\\\\\\"},
                                           RootPathCase{"ZeroFirst", std::string("\0SOFTWARE", 9)}),
                         CaseLabel<RootPathCase>);

TEST_F(RegistryTest, AnEmptyPathOpensTheRoot) {
    RegKey key;
    EXPECT_EQ(kRegOk, OpenKeyForReading("", key));
    EXPECT_TRUE(key.IsOpen());
    uint32_t disposition = 0;
    RegKey created;
    EXPECT_EQ(kRegOk, CreateOrOpenKey("", created, disposition));
    EXPECT_TRUE(created.IsOpen());
}

// Paths as the ANSI functions take them under Wine.
TEST_F(RegistryTest, PathSpellings) {
    {
        RegKey key = CreateKey(path_ + "\\Sub");
        ExpectSet(key, "V", kRegSz, "1");
    }
    struct Spelling {
        std::string path;
        long expected;
    };
    const Spelling spellings[] = {
        {path_ + "\\Sub", kRegOk},
        {path_ + "\\Sub\\", kRegOk},
        {path_ + "\\\\Sub", kRegOk},
        {"\\" + path_ + "\\Sub", kRegBadPathname},
        {path_ + "\\Sub\\.", kRegNotFound},
        {path_ + "/Sub", kRegNotFound},
    };
    for (const Spelling& spelling : spellings) {
        SCOPED_TRACE(spelling.path);
        RegKey key;
        ASSERT_EQ(spelling.expected, OpenKeyForReading(spelling.path, key));
        if (spelling.expected == kRegOk) {
            EXPECT_EQ((std::vector<std::string>{"V"}), SortedNames(EnumerateAll(key, kNameCapacity, 0)));
        }
    }
    RegKey key;
    uint32_t disposition = 0;
    EXPECT_EQ(kRegBadPathname, CreateOrOpenKey("\\" + path_, key, disposition));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(0u, disposition);
}

// Wine's ANSI functions take paths of up to 260 characters.
TEST_F(RegistryTest, PathsUpTo260Characters) {
    const std::string prefix = path_ + "\\";
    ASSERT_LT(prefix.size(), 200u);
    const std::string longest = prefix + std::string(260 - prefix.size(), 'P');
    RegKey key;
    uint32_t disposition = 0;
    EXPECT_EQ(kRegOk, CreateOrOpenKey(longest, key, disposition));
    EXPECT_EQ(kRegCreatedNewKey, disposition);
    EXPECT_EQ(kRegOk, OpenKeyForReading(longest, key));
    EXPECT_EQ(kRegMoreData, CreateOrOpenKey(longest + "P", key, disposition));
    EXPECT_EQ(kRegMoreData, OpenKeyForReading(longest + "P", key));
    EXPECT_FALSE(key.IsOpen());
}

}  // namespace
