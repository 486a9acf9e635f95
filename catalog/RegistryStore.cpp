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

// The value at `index` with all of its data, however large.
long ReadWholeValue(const platform::RegKey& key, uint32_t index, platform::RegValue& value) {
    uint32_t capacity = kCompareDataCapacity;
    long result = platform::EnumValue(key, index, kAnyNameCapacity, capacity, value);
    while (result == platform::kRegMoreData && capacity <= UINT32_MAX / 8) {
        capacity *= 8;
        result = platform::EnumValue(key, index, kAnyNameCapacity, capacity, value);
    }
    return result;
}

// Enumerates the key as the load reads it: `take` receives every value that
// fits the buffers; the names of string values that do not are collected.
// kRegOk once every value was met, otherwise the result that cut it short.
template <class Take>
long ReadAsLoaded(const platform::RegKey& key, std::vector<std::string>& unreadable, Take take) {
    for (uint32_t index = 0;; ++index) {
        platform::RegValue value;
        long result = platform::EnumValue(key, index, kReadNameCapacity, kReadDataCapacity, value);
        if (result == platform::kRegMoreData) {
            // The index is not consumed: its name alone, for the report.
            result = platform::EnumValue(key, index, kAnyNameCapacity, 0, value);
            if (result == platform::kRegOk) {
                if (value.type == platform::kRegSz) unreadable.push_back(std::move(value.name));
                continue;
            }
        }
        if (result == platform::kRegNoMoreItems) return platform::kRegOk;
        if (result != platform::kRegOk) return result;
        take(std::move(value));
    }
}

// The changes of one save, each value's state before it noted as it is first
// touched, so that a failure can put the key back exactly as it was read.
class SaveJournal {
public:
    SaveJournal(const platform::RegKey& key, std::vector<platform::RegValue> before) : key_(key), before_(std::move(before)) {
        for (size_t i = 0; i < before_.size(); ++i) indexByName_.emplace(platform::FoldRegistryName(before_[i].name), i);
    }

    long Set(const std::string& name, const std::string& text) {
        Touch(name);
        return platform::SetStringValue(key_, name, text);
    }

    long Delete(const std::string& name) {
        const size_t touched = Touch(name);
        const long result = platform::DeleteValue(key_, name);
        // Only a value that is gone may come back under another spelling.
        if (result == platform::kRegOk) touched_[touched].deleted = true;
        return result;
    }

    // Undoes the changes, the last one first. False when any step failed.
    bool Restore() const {
        bool whole = true;
        for (auto touched = touched_.rbegin(); touched != touched_.rend(); ++touched) {
            const auto found = indexByName_.find(touched->foldedName);
            if (found == indexByName_.end()) {
                whole = Removed(platform::DeleteValue(key_, touched->name)) && whole;
                continue;
            }
            const platform::RegValue& original = before_[found->second];
            // A value deleted and written again may carry another spelling of
            // its name: only a fresh value takes the original spelling back.
            if (touched->deleted) whole = Removed(platform::DeleteValue(key_, original.name)) && whole;
            whole = platform::SetRawValue(key_, original.name, original.type, original.data) == platform::kRegOk && whole;
        }
        return whole;
    }

private:
    struct Touched {
        std::string name;
        std::string foldedName;
        bool deleted = false;
    };

    static bool Removed(long result) { return result == platform::kRegOk || result == platform::kRegNotFound; }

    // Notes the value before its first change; its place in touched_.
    size_t Touch(const std::string& name) {
        std::string folded = platform::FoldRegistryName(name);
        const auto [found, added] = touchedByName_.emplace(folded, touched_.size());
        if (added) touched_.push_back(Touched{name, std::move(folded), false});
        return found->second;
    }

    const platform::RegKey& key_;
    std::vector<platform::RegValue> before_;
    std::unordered_map<std::string, size_t> indexByName_;  // by folded name
    std::vector<Touched> touched_;
    std::unordered_map<std::string, size_t> touchedByName_;  // by folded name
};

}  // namespace

int16_t CPaperCatalog::LoadFromRegistry(const std::string& registryPath, const std::string& pdlName,
                                        StoreReport* report) {
    StoreReport unused;
    StoreReport& out = report ? *report : unused;
    out = StoreReport{};
    // An empty path names HKEY_LOCAL_MACHINE itself, which holds no catalog.
    if (registryPath.empty()) return STORE_KEY_FAILED;
    platform::RegKey key;
    if (const long result = platform::OpenKeyForReading(registryPath, key); result != platform::kRegOk) {
        out.SystemError = result;
        return STORE_KEY_FAILED;
    }

    // Values too long for the buffers are skipped and named in the report; any
    // other failure ends the load with the catalog untouched: a later save would
    // otherwise delete the papers never read.
    std::vector<CPaperDef> read;
    const long result = ReadAsLoaded(key, out.UnreadableNames, [&](platform::RegValue value) {
        if (value.type == platform::kRegSz) {
            read.push_back(CPaperDef::FromStoredValue(value.name, StoredText(value.data), pdlName));
        }
    });
    if (result != platform::kRegOk) {
        out.SystemError = result;
        out.UnreadableNames.clear();
        return STORE_KEY_FAILED;
    }

    papers_ = PlacePapers(std::move(read));
    return STORE_OK;
}

int16_t CPaperCatalog::SaveToRegistry(const std::string& registryPath, bool descriptiveForm,
                                      const BeforeWrite& beforeWrite, StoreReport* report) const {
    StoreReport unused;
    StoreReport& out = report ? *report : unused;
    out = StoreReport{};
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
    // In the keyword form the names are the value names; two that are equal,
    // or differ only in case, would be one value, and a paper would be lost
    // without a word.
    std::unordered_map<std::string, size_t> valueByFoldedName;
    valueByFoldedName.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        if (!valueByFoldedName.emplace(platform::FoldRegistryName(values[i].name), i).second) return STORE_NAME_CASE_COLLISION;
    }

    platform::RegKey key;
    uint32_t disposition = 0;
    if (const long result = platform::CreateOrOpenKey(registryPath, key, disposition); result != platform::kRegOk) {
        out.SystemError = result;
        return STORE_KEY_FAILED;
    }
    if (disposition != platform::kRegCreatedNewKey && disposition != platform::kRegOpenedExistingKey) {
        return STORE_BAD_DISPOSITION;
    }

    // What the key holds now, every value in full: a failed save puts back
    // from it whatever it changed. A value already holding exactly the paper's
    // text is left as it is: saving a catalog with a few changes writes only those.
    std::vector<platform::RegValue> before;
    std::vector<std::string> stale;
    std::vector<bool> unchanged(values.size(), false);
    // What the store's load would read from the key, for the caller's look
    // before anything is replaced: the values that fit the load's buffers.
    std::vector<CPaperDef> held;
    const std::string pdlName = descriptiveForm ? "" : "PS";
    for (uint32_t index = 0;; ++index) {
        platform::RegValue value;
        const long result = ReadWholeValue(key, index, value);
        if (result == platform::kRegNoMoreItems) break;
        // Old values that cannot be read cannot be put back: fail the save
        // before anything is written.
        if (result != platform::kRegOk) {
            out.SystemError = result;
            return STORE_KEY_FAILED;
        }
        if (beforeWrite && value.type == platform::kRegSz) {
            if (value.name.size() < kReadNameCapacity && value.data.size() <= kReadDataCapacity) {
                held.push_back(CPaperDef::FromStoredValue(value.name, StoredText(value.data), pdlName));
            } else {
                // The load skips it: the caller's look may want to keep it.
                out.UnreadableNames.push_back(value.name);
            }
        }
        const auto found = valueByFoldedName.find(platform::FoldRegistryName(value.name));
        if (found == valueByFoldedName.end() || values[found->second].name != value.name) {
            stale.push_back(value.name);
        } else if (value.type == platform::kRegSz && value.data.size() == values[found->second].text.size() + 1 &&
                   value.data.compare(0, value.data.size() - 1, values[found->second].text) == 0 &&
                   value.data.back() == '\0') {
            unchanged[found->second] = true;
        }
        before.push_back(std::move(value));
    }

    if (beforeWrite) {
        CPaperCatalog stored;
        stored.papers_ = PlacePapers(std::move(held));
        if (!beforeWrite(stored)) return STORE_SAVE_DECLINED;
    }

    SaveJournal journal(key, std::move(before));
    const auto fail = [&](long result) -> int16_t {
        out.SystemError = result;
        return journal.Restore() ? STORE_KEY_FAILED : STORE_ROLLBACK_FAILED;
    };
    // New values first, old ones removed afterwards: a reader never sees less
    // than the whole catalog.
    for (size_t i = 0; i < values.size(); ++i) {
        if (unchanged[i]) continue;
        if (const long result = journal.Set(values[i].name, values[i].text); result != platform::kRegOk) return fail(result);
    }

    // Last enumerated first: the registry then closes no gap behind the value
    // it removes, which keeps clearing a large key linear.
    for (auto name = stale.rbegin(); name != stale.rend(); ++name) {
        if (const long result = journal.Delete(*name); result != platform::kRegOk) return fail(result);
        // Setting a value over one whose name differs only in case keeps the old
        // spelling; the paper's own name is written again after the old one is gone.
        const auto found = valueByFoldedName.find(platform::FoldRegistryName(*name));
        if (found != valueByFoldedName.end()) {
            const StoredValue& value = values[found->second];
            if (const long result = journal.Set(value.name, value.text); result != platform::kRegOk) return fail(result);
        }
    }
    return STORE_OK;
}
