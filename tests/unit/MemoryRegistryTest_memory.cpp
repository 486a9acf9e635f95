// What only the in-memory registry has: its test hooks, which the catalog
// store's tests use to reach failures the real registry gives but a test
// cannot arrange, and a known order of enumeration.
#include <gtest/gtest.h>

#include <source_location>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/RegistryTesting.h"

using namespace platform;

namespace {

const char* const kPath = "SOFTWARE\\QuandrelTests\\Hooks";

class MemoryRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ResetMemoryRegistry(); }
    void TearDown() override { ResetMemoryRegistry(); }
};

TEST_F(MemoryRegistryTest, ResetEmptiesTheRegistryAndClosesOpenKeys) {
    RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(kRegOk, CreateOrOpenKey(kPath, key, disposition));
    ASSERT_EQ(kRegOk, SetStringValue(key, "A", "1"));

    ResetMemoryRegistry();
    RegValue value;
    EXPECT_EQ(kRegKeyDeleted, EnumValue(key, 0, 64, 128, value));
    RegKey again;
    EXPECT_EQ(kRegNotFound, OpenKeyForReading("SOFTWARE", again));
    ASSERT_EQ(kRegOk, CreateOrOpenKey(kPath, again, disposition));
    EXPECT_EQ(kRegCreatedNewKey, disposition);
    EXPECT_EQ(kRegNoMoreItems, EnumValue(again, 0, 64, 128, value));
}

TEST_F(MemoryRegistryTest, FailOpenKeyRefusesReadingThatKeyOnly) {
    RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(kRegOk, CreateOrOpenKey(kPath, key, disposition));
    FailOpenKey("software\\quandreltests\\HOOKS\\", kRegAccessDenied);

    EXPECT_EQ(kRegAccessDenied, OpenKeyForReading(kPath, key));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(kRegOk, OpenKeyForReading("SOFTWARE\\QuandrelTests", key));
    // Writing is another hook.
    EXPECT_EQ(kRegOk, CreateOrOpenKey(kPath, key, disposition));

    ResetMemoryRegistry();
    ASSERT_EQ(kRegOk, CreateOrOpenKey(kPath, key, disposition));
    EXPECT_EQ(kRegOk, OpenKeyForReading(kPath, key));
}

TEST_F(MemoryRegistryTest, FailCreateKeyCreatesNothing) {
    FailCreateKey(kPath, kRegAccessDenied);
    RegKey key;
    uint32_t disposition = 99;
    EXPECT_EQ(kRegAccessDenied, CreateOrOpenKey(kPath, key, disposition));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(0u, disposition);
    EXPECT_EQ(kRegNotFound, OpenKeyForReading("SOFTWARE", key));
}

TEST_F(MemoryRegistryTest, ReportCreateDispositionStillOpensTheKey) {
    ReportCreateDisposition(kPath, 7);
    RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(kRegOk, CreateOrOpenKey(kPath, key, disposition));
    EXPECT_EQ(7u, disposition);
    EXPECT_EQ(kRegOk, SetStringValue(key, "A", "1"));
    // Other keys report what happened.
    RegKey other;
    ASSERT_EQ(kRegOk, CreateOrOpenKey("SOFTWARE\\QuandrelTests", other, disposition));
    EXPECT_EQ(kRegOpenedExistingKey, disposition);
}

TEST_F(MemoryRegistryTest, AnUndeletableValueStaysAtIndexZero) {
    RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(kRegOk, CreateOrOpenKey(kPath, key, disposition));
    ASSERT_EQ(kRegOk, SetStringValue(key, "Stuck", "1"));
    ASSERT_EQ(kRegOk, SetStringValue(key, "Free", "2"));
    MakeValueUndeletable(kPath, "STUCK");

    EXPECT_EQ(kRegAccessDenied, DeleteValue(key, "stuck"));
    EXPECT_EQ(kRegOk, DeleteValue(key, "Free"));
    RegValue value;
    ASSERT_EQ(kRegOk, EnumValue(key, 0, 64, 0, value));
    EXPECT_EQ("Stuck", value.name);
    EXPECT_EQ(kRegNoMoreItems, EnumValue(key, 1, 64, 0, value));
    // Replacing its data is still allowed.
    EXPECT_EQ(kRegOk, SetStringValue(key, "Stuck", "3"));
}

TEST_F(MemoryRegistryTest, ValuesAreEnumeratedInTheOrderFirstWritten) {
    RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(kRegOk, CreateOrOpenKey(kPath, key, disposition));
    for (const char* name : {"b", "C", "a", "B"}) ASSERT_EQ(kRegOk, SetStringValue(key, name, name));
    std::string order;
    RegValue value;
    for (uint32_t index = 0; EnumValue(key, index, 64, 128, value) == kRegOk; ++index) order += value.name;
    EXPECT_EQ("bCa", order);
}

// Checks the whole enumeration against the names expected, in order.
void ExpectEnumeration(const RegKey& key, const std::vector<std::string>& expected,
                       std::source_location where = std::source_location::current()) {
    ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "enumerating");
    RegValue value;
    for (size_t index = 0; index < expected.size(); ++index) {
        ASSERT_EQ(kRegOk, EnumValue(key, static_cast<uint32_t>(index), 64, 128, value)) << index;
        ASSERT_EQ(expected[index], value.name) << index;
        ASSERT_EQ(expected[index] + '\0', value.data) << index;
    }
    EXPECT_EQ(kRegNoMoreItems, EnumValue(key, static_cast<uint32_t>(expected.size()), 64, 128, value));
}

// Many values written, replaced and deleted in a mixed order keep the order
// of first writing, by index, through every compaction.
TEST_F(MemoryRegistryTest, ALargeKeyKeepsItsOrderThroughDeletions) {
    RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(kRegOk, CreateOrOpenKey(kPath, key, disposition));
    std::vector<std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        expected.push_back("P" + std::to_string(i));
        ASSERT_EQ(kRegOk, SetStringValue(key, expected.back(), expected.back()));
    }
    // Replacing keeps the place.
    ASSERT_EQ(kRegOk, SetStringValue(key, "p1500", "P1500"));
    ExpectEnumeration(key, expected);

    // Every third value, then the first ten one at a time as a clearing loop does.
    std::vector<std::string> kept;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (i % 3 == 1) {
            ASSERT_EQ(kRegOk, DeleteValue(key, expected[i]));
        } else {
            kept.push_back(expected[i]);
        }
    }
    ExpectEnumeration(key, kept);
    for (int i = 0; i < 10; ++i) {
        RegValue value;
        ASSERT_EQ(kRegOk, EnumValue(key, 0, 64, 0, value));
        ASSERT_EQ(kept.front(), value.name);
        ASSERT_EQ(kRegOk, DeleteValue(key, value.name));
        kept.erase(kept.begin());
    }
    // Values added after deletions go to the end.
    for (const char* name : {"Z1", "P1", "Z2"}) {
        ASSERT_EQ(kRegOk, SetStringValue(key, name, name));
        kept.push_back(name);
    }
    ExpectEnumeration(key, kept);

    // Down to nothing and up again.
    for (const std::string& name : kept) ASSERT_EQ(kRegOk, DeleteValue(key, name));
    ExpectEnumeration(key, {});
    ASSERT_EQ(kRegOk, SetStringValue(key, "Again", "Again"));
    ExpectEnumeration(key, {"Again"});
}

TEST_F(MemoryRegistryTest, ChosenCallsFailWithTheChosenResultAndChangeNothing) {
    RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(kRegOk, CreateOrOpenKey(kPath, key, disposition));
    ASSERT_EQ(kRegOk, SetStringValue(key, "A", "1"));
    EXPECT_EQ(1u, RegistryCallCount(RegCall::Set));

    // The second and third sets from now fail; the others go through.
    FailRegistryCall(RegCall::Set, 2, kRegAccessDenied, 2);
    EXPECT_EQ(kRegOk, SetStringValue(key, "B", "2"));
    EXPECT_EQ(kRegAccessDenied, SetStringValue(key, "A", "changed"));
    EXPECT_EQ(kRegAccessDenied, SetRawValue(key, "C", kRegSz, "3"));
    EXPECT_EQ(kRegOk, SetStringValue(key, "D", "4"));
    EXPECT_EQ(5u, RegistryCallCount(RegCall::Set));

    FailRegistryCall(RegCall::Delete, 1, kRegKeyDeleted);
    EXPECT_EQ(kRegKeyDeleted, DeleteValue(key, "B"));
    EXPECT_EQ(kRegOk, DeleteValue(key, "B"));

    RegValue value;
    FailRegistryCall(RegCall::Enumerate, 1, kRegInvalid);
    EXPECT_EQ(kRegInvalid, EnumValue(key, 0, 64, 128, value));
    EXPECT_EQ(kRegOk, EnumValue(key, 0, 64, 128, value));
    EXPECT_EQ("A", value.name);
    EXPECT_EQ(std::string("1\0", 2), value.data);
    EXPECT_EQ(kRegOk, EnumValue(key, 1, 64, 128, value));
    EXPECT_EQ("D", value.name);
    EXPECT_EQ(kRegNoMoreItems, EnumValue(key, 2, 64, 128, value));

    // Every call from the chosen one on; a first of 0 removes the hook.
    FailRegistryCall(RegCall::Set, 1, kRegAccessDenied, ~0u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(kRegAccessDenied, SetStringValue(key, "E", "5"));
    FailRegistryCall(RegCall::Set, 0, kRegOk);
    EXPECT_EQ(kRegOk, SetStringValue(key, "E", "5"));

    ResetMemoryRegistry();
    EXPECT_EQ(0u, RegistryCallCount(RegCall::Set));
}

}  // namespace
