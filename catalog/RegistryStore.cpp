// Loading and saving a catalog: one registry key per catalog, one REG_SZ value
// per paper, in the keyword or the descriptive form of CPaperDef.
#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalog/PaperCatalog.h"
#include "platform/Registry.h"

namespace {

// Read buffers: a name of at most 63 characters and at most 127 characters of
// text. Papers entered through the editor stay well within them.
constexpr uint32_t kReadNameCapacity = 64;
constexpr uint32_t kReadDataCapacity = 128;
// The registry's longest value name (16,383 characters) and its terminator:
// every value can be enumerated, however it was written.
constexpr uint32_t kAnyNameCapacity = 16384;
// Enough for any value this program writes, to tell whether it changed.
constexpr uint32_t kCompareDataCapacity = 512;

// The text of a REG_SZ value as the C API sees it: up to the first zero byte.
std::string StoredText(const std::string& data) { return data.substr(0, data.find('\0')); }

struct StoredValue {
    std::string name;
    std::string text;
};

// Papers go by their stored positions; of two at the same position the one
// enumerated later wins. Positions with gaps or below zero (keys not written
// by this program) are closed up so that no element is left empty.
std::vector<CPaperDef> PlacePapers(std::vector<CPaperDef> read) {
    std::stable_sort(read.begin(), read.end(),
                     [](const CPaperDef& a, const CPaperDef& b) { return a.Position < b.Position; });
    std::vector<CPaperDef> papers;
    papers.reserve(read.size());
    for (size_t i = 0; i < read.size(); ++i) {
        if (i + 1 < read.size() && read[i + 1].Position == read[i].Position) continue;
        papers.push_back(std::move(read[i]));
        papers.back().Position = static_cast<int32_t>(papers.size() - 1);
    }
    return papers;
}

}  // namespace

int16_t CPaperCatalog::LoadFromRegistry(const std::string& registryPath, const std::string& pdlName) {
    // An empty path names HKEY_LOCAL_MACHINE itself, which holds no catalog.
    if (registryPath.empty()) return STORE_KEY_FAILED;
    platform::RegKey key;
    if (platform::OpenKeyForReading(registryPath, key) != platform::kRegOk) return STORE_KEY_FAILED;

    std::vector<CPaperDef> read;
    for (uint32_t index = 0;; ++index) {
        platform::RegValue value;
        const long result = platform::EnumValue(key, index, kReadNameCapacity, kReadDataCapacity, value);
        // Too long for the buffers: skip it. The index is not consumed, so the
        // next value is still at index + 1.
        if (result == platform::kRegMoreData) continue;
        if (result != platform::kRegOk) break;
        if (value.type != platform::kRegSz) continue;
        read.push_back(CPaperDef::FromStoredValue(value.name, StoredText(value.data), pdlName));
    }

    papers_ = PlacePapers(std::move(read));
    return STORE_OK;
}

int16_t CPaperCatalog::SaveToRegistry(const std::string& registryPath, bool descriptiveForm,
                                      const BeforeWrite& beforeWrite) const {
    // An empty path names HKEY_LOCAL_MACHINE itself, whose values must never be cleared.
    if (registryPath.empty()) return STORE_KEY_FAILED;

    std::vector<StoredValue> values(papers_.size());
    for (size_t i = 0; i < papers_.size(); ++i) {
        if (descriptiveForm) {
            papers_[i].FormatDescriptiveValue(static_cast<int>(i), values[i].name, values[i].text);
        } else {
            papers_[i].FormatKeywordValue(values[i].name, values[i].text);
        }
    }
    // In the keyword form the names are the value names; two that differ only
    // in case would be one value, and a paper would be lost without a word.
    std::unordered_map<std::string, size_t> valueByFoldedName;
    valueByFoldedName.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        if (!valueByFoldedName.emplace(platform::FoldRegistryName(values[i].name), i).second) return STORE_NAME_CASE_COLLISION;
    }

    platform::RegKey key;
    uint32_t disposition = 0;
    if (platform::CreateOrOpenKey(registryPath, key, disposition) != platform::kRegOk) return STORE_KEY_FAILED;
    if (disposition != platform::kRegCreatedNewKey && disposition != platform::kRegOpenedExistingKey) {
        return STORE_BAD_DISPOSITION;
    }

    // What the key holds now. A value already holding exactly the paper's text
    // is left as it is: saving a catalog with a few changes writes only those.
    std::vector<std::string> stale;
    std::vector<bool> unchanged(values.size(), false);
    // What the store's load would read from the key, for the caller's look
    // before anything is replaced: the values that fit the load's buffers.
    std::vector<CPaperDef> held;
    const std::string pdlName = descriptiveForm ? "" : "PS";
    for (uint32_t index = 0;; ++index) {
        platform::RegValue value;
        long result = platform::EnumValue(key, index, kAnyNameCapacity, kCompareDataCapacity, value);
        // Data too long to compare: the name alone (no name is too long for this buffer).
        if (result == platform::kRegMoreData) result = platform::EnumValue(key, index, kAnyNameCapacity, 0, value);
        if (result == platform::kRegNoMoreItems) break;
        // Any other failure leaves old values that cannot be found: fail the save
        // before anything is written.
        if (result != platform::kRegOk) return STORE_KEY_FAILED;
        if (beforeWrite && value.type == platform::kRegSz && value.name.size() < kReadNameCapacity &&
            value.data.size() <= kReadDataCapacity) {
            held.push_back(CPaperDef::FromStoredValue(value.name, StoredText(value.data), pdlName));
        }
        const auto found = valueByFoldedName.find(platform::FoldRegistryName(value.name));
        if (found == valueByFoldedName.end() || values[found->second].name != value.name) {
            stale.push_back(std::move(value.name));
        } else if (value.type == platform::kRegSz && value.data.size() == values[found->second].text.size() + 1 &&
                   value.data.compare(0, value.data.size() - 1, values[found->second].text) == 0 &&
                   value.data.back() == '\0') {
            unchanged[found->second] = true;
        }
    }

    if (beforeWrite) {
        CPaperCatalog stored;
        stored.papers_ = PlacePapers(std::move(held));
        if (!beforeWrite(stored)) return STORE_SAVE_DECLINED;
    }

    // New values first, old ones removed afterwards: whatever goes wrong, the
    // key never holds less than the whole catalog.
    for (size_t i = 0; i < values.size(); ++i) {
        if (unchanged[i]) continue;
        if (platform::SetStringValue(key, values[i].name, values[i].text) != platform::kRegOk) return STORE_KEY_FAILED;
    }

    // Last enumerated first: the registry then closes no gap behind the value
    // it removes, which keeps clearing a large key linear.
    for (auto name = stale.rbegin(); name != stale.rend(); ++name) {
        if (platform::DeleteValue(key, *name) != platform::kRegOk) return STORE_KEY_FAILED;
        // Setting a value over one whose name differs only in case keeps the old
        // spelling; the paper's own name is written again after the old one is gone.
        const auto found = valueByFoldedName.find(platform::FoldRegistryName(*name));
        if (found != valueByFoldedName.end()) {
            const StoredValue& value = values[found->second];
            if (platform::SetStringValue(key, value.name, value.text) != platform::kRegOk) return STORE_KEY_FAILED;
        }
    }
    return STORE_OK;
}
