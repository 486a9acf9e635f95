// What a catalog's key holds, read whole to tell a change made elsewhere:
// natively against the in-memory registry, under Wine against the real one.
#include <gtest/gtest.h>

#include <string>

#include "catalog/StoredImage.h"
#include "platform/Registry.h"

namespace {

const std::string kRoot = "SOFTWARE\\QuandrelTests\\StoredImage";
const std::string kKey = kRoot + "\\Catalog";

class StoredImage : public ::testing::Test {
protected:
    void SetUp() override { platform::DeleteKeyTree(kRoot); }
    void TearDown() override { platform::DeleteKeyTree(kRoot); }

    static void Plant(const std::string& name, uint32_t type, const std::string& bytes) {
        platform::RegKey key;
        uint32_t disposition = 0;
        ASSERT_EQ(platform::CreateOrOpenKey(kKey, key, disposition), platform::kRegOk);
        ASSERT_EQ(platform::SetRawValue(key, name, type, bytes), platform::kRegOk);
    }
    static void Remove(const std::string& name) {
        platform::RegKey key;
        uint32_t disposition = 0;
        ASSERT_EQ(platform::CreateOrOpenKey(kKey, key, disposition), platform::kRegOk);
        ASSERT_EQ(platform::DeleteValue(key, name), platform::kRegOk);
    }
    // As the store reads it, in name order; a key that does not exist holds nothing.
    static StoredKeyImage Read() {
        StoredKeyImage image;
        platform::RegKey key;
        if (platform::OpenKeyForReading(kKey, key) != platform::kRegOk) return image;
        EXPECT_EQ(ReadKeyImage(key, image), platform::kRegOk);
        SortKeyImage(image);
        return image;
    }
};

TEST_F(StoredImage, HoldsEveryValueWholeInNameOrder) {

    const std::string longText(10000, 'x');  // beyond the first read buffer
    Plant("Zebra", platform::kRegSz, "LETTER,75,white,plain,F,1");
    Plant("Alpha", platform::kRegSz, longText);
    Plant("Count", platform::kRegDword, std::string("\x02\x00\x00\x00", 4));
    const StoredKeyImage expected = {
        {"Alpha", platform::kRegSz, longText + '\0'},
        {"Count", platform::kRegDword, std::string("\x02\x00\x00\x00", 4)},
        {"Zebra", platform::kRegSz, std::string("LETTER,75,white,plain,F,1") + '\0'},
    };
    EXPECT_EQ(Read(), expected);

    // Rewritten in another order, the same content reads the same.
    Remove("Alpha");
    Plant("Alpha", platform::kRegSz, longText);
    EXPECT_EQ(Read(), expected);
}

TEST_F(StoredImage, TellsEveryKindOfChange) {
    Plant("Letter", platform::kRegSz, "LETTER,75,white,plain,F,0");
    const StoredKeyImage before = Read();
    struct Change {
        const char* what;
        void (*make)();
    };
    const Change changes[] = {
        {"text", [] { Plant("Letter", platform::kRegSz, "LETTER,80,white,plain,F,0"); }},
        {"type", [] { Plant("Letter", platform::kRegExpandSz, "LETTER,75,white,plain,F,0"); }},
        {"a value added", [] { Plant("Other", platform::kRegDword, std::string(4, '\0')); }},
        {"the value removed", [] { Remove("Letter"); }},
        {"the key removed", [] { platform::DeleteKeyTree(kKey); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        platform::DeleteKeyTree(kKey);
        Plant("Letter", platform::kRegSz, "LETTER,75,white,plain,F,0");
        ASSERT_EQ(Read(), before);
        change.make();
        EXPECT_NE(Read(), before);
    }
}

}  // namespace
