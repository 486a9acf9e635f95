#include "catalog/StoredImage.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace {
// First buffers: room for any value a catalog holds, so that one call reads
// it. Anything larger is read again with room for any name and growing room
// for its data.
constexpr uint32_t kFirstNameCapacity = 256;
constexpr uint32_t kFirstDataCapacity = 512;
constexpr uint32_t kAnyNameCapacity = 16384;
}  // namespace

long ReadKeyImage(const platform::RegKey& key, StoredKeyImage& image) {
    image.clear();
    for (uint32_t index = 0;; ++index) {
        platform::RegValue value;
        uint32_t nameCapacity = kFirstNameCapacity;
        uint32_t dataCapacity = kFirstDataCapacity;
        long result;
        while ((result = platform::EnumValue(key, index, nameCapacity, dataCapacity, value)) == platform::kRegMoreData) {
            if (nameCapacity < kAnyNameCapacity) {
                nameCapacity = kAnyNameCapacity;
            } else if (dataCapacity <= UINT32_MAX / 8) {
                dataCapacity *= 8;
            } else {
                break;
            }
        }
        if (result == platform::kRegNoMoreItems) return platform::kRegOk;
        if (result != platform::kRegOk) return result;
        image.push_back({std::move(value.name), value.type, std::move(value.data), value.exactName});
    }
}

void SortKeyImage(StoredKeyImage& image) {
    std::sort(image.begin(), image.end(), [](const StoredValueImage& a, const StoredValueImage& b) {
        return std::tie(a.Name, a.Type, a.Data, a.ExactName) < std::tie(b.Name, b.Type, b.Data, b.ExactName);
    });
}
