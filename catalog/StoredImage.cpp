#include "catalog/StoredImage.h"

#include <algorithm>
#include <cstdint>

#include "platform/Registry.h"

namespace {
// Any value name fits; data grows from this until it fits (or is absurdly large).
constexpr uint32_t kAnyNameCapacity = 16384;
constexpr uint32_t kFirstDataCapacity = 4096;
constexpr uint32_t kLargestDataCapacity = 64u << 20;
}  // namespace

std::optional<StoredKeyImage> ReadStoredImage(const std::string& registryPath) {
    if (registryPath.empty()) return std::nullopt;
    platform::RegKey key;
    const long opened = platform::OpenKeyForReading(registryPath, key);
    if (opened == platform::kRegNotFound) return StoredKeyImage{};
    if (opened != platform::kRegOk) return std::nullopt;

    StoredKeyImage image;
    uint32_t dataCapacity = kFirstDataCapacity;
    for (uint32_t index = 0;;) {
        platform::RegValue value;
        const long result = platform::EnumValue(key, index, kAnyNameCapacity, dataCapacity, value);
        if (result == platform::kRegNoMoreItems) break;
        if (result == platform::kRegMoreData && dataCapacity < kLargestDataCapacity) {
            dataCapacity *= 2;
            continue;
        }
        if (result != platform::kRegOk) return std::nullopt;
        image.push_back({std::move(value.name), value.type, std::move(value.data)});
        ++index;
    }
    // The registry's order of values carries no meaning (a save rewrites only
    // the values that changed); names are compared as stored.
    std::sort(image.begin(), image.end(),
              [](const StoredValueImage& a, const StoredValueImage& b) { return a.Name < b.Name; });
    return image;
}
