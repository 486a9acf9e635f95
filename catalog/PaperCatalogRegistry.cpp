// Loading and saving a catalog: one registry key per catalog, one REG_SZ value
// per paper, in the keyword or the descriptive form of CPaperDef.
#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalog/PaperCatalog.h"
#include "catalog/StoredImage.h"
#include "platform/Registry.h"

namespace {

// The load's buffers: a name of at most 63 characters and at most 127
// characters of text. Papers entered through the editor stay well within them.
constexpr size_t kReadNameCapacity = 64;
constexpr size_t kReadDataCapacity = 128;

// The text of a REG_SZ value as the C API sees it: up to the first zero byte.
std::string StoredText(const std::string& data) { return data.substr(0, data.find('\0')); }

struct StoredValue {
    std::string name;
    std::string text;
};

// The catalog the load makes of the key's values, read in the registry's
// order, and the entries it leaves out. Only string values that fit the
// load's buffers are papers. Papers go by their stored positions; of two at
// the same position the one enumerated later wins. Positions with gaps or
// below zero (keys not written by this program) are closed up so that no
// element is left empty.
std::vector<CPaperDef> ReadAsLoaded(const StoredKeyImage& values, const std::string& pdlName,
                                    std::vector<SkippedEntry>& skipped) {
    struct Read {
        CPaperDef paper;
        size_t value;
    };
    std::vector<Read> read;
    read.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const StoredValueImage& value = values[i];
        if (!value.ExactName) {
            skipped.push_back({SkippedEntry::NameNotWritable, value, {}});
        } else if (value.Name.empty()) {
            // "(Default)" in regedit; `reg add KEY /f` and "@=" in a .reg file make one.
            skipped.push_back({SkippedEntry::Unnamed, value, {}});
        } else if (value.Type != platform::kRegSz) {
            skipped.push_back({SkippedEntry::NotText, value, {}});
        } else if (value.Name.size() >= kReadNameCapacity || value.Data.size() > kReadDataCapacity) {
            skipped.push_back({SkippedEntry::TooLong, value, {}});
        } else {
            read.push_back({CPaperDef::FromStoredValue(value.Name, StoredText(value.Data), pdlName), i});
        }
    }
    std::stable_sort(read.begin(), read.end(),
                     [](const Read& a, const Read& b) { return a.paper.Position < b.paper.Position; });
    std::vector<CPaperDef> papers;
    papers.reserve(read.size());
    for (size_t first = 0; first < read.size();) {
        size_t last = first;
        while (last + 1 < read.size() && read[last + 1].paper.Position == read[first].paper.Position) ++last;
        for (size_t i = first; i < last; ++i) {
            skipped.push_back({SkippedEntry::Displaced, values[read[i].value], values[read[last].value].Name});
        }
        papers.push_back(std::move(read[last].paper));
        papers.back().Position = static_cast<int32_t>(papers.size() - 1);
        first = last + 1;
    }
    std::stable_sort(skipped.begin(), skipped.end(),
                     [](const SkippedEntry& a, const SkippedEntry& b) { return a.value.Name < b.value.Name; });
    return papers;
}

bool Holds(const StoredValueImage& stored, const StoredValue& value) {
    return stored.ExactName && stored.Name == value.name && stored.Type == platform::kRegSz &&
           stored.Data.size() == value.text.size() + 1 && stored.Data.back() == '\0' &&
           stored.Data.compare(0, value.text.size(), value.text) == 0;
}

// The changes of one save, each value's state before it noted as it is first
// touched, so that a failure can put the key back exactly as it was read.
class SaveJournal {
public:
    SaveJournal(const platform::RegKey& key, const StoredKeyImage& before) : key_(key), before_(before) {
        for (size_t i = 0; i < before_.size(); ++i) indexByName_.emplace(platform::FoldRegistryName(before_[i].Name), i);
    }

    // Only steps that took effect are noted: undoing one that did not would
    // put back what someone else removed, or make up a value.
    long Set(const std::string& name, const std::string& text) {
        const long result = platform::SetStringValue(key_, name, text);
        if (result == platform::kRegOk) Touch(name);
        return result;
    }

    long Delete(const std::string& name) {
        const long result = platform::DeleteValue(key_, name);
        // Only a value that is gone may come back under another spelling.
        if (result == platform::kRegOk) touched_[Touch(name)].deleted = true;
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
            const StoredValueImage& original = before_[found->second];
            // A value deleted and written again may carry another spelling of
            // its name: only a fresh value takes the original spelling back.
            if (touched->deleted) whole = Removed(platform::DeleteValue(key_, original.Name)) && whole;
            whole = platform::SetRawValue(key_, original.Name, original.Type, original.Data) == platform::kRegOk && whole;
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
    const StoredKeyImage& before_;
    std::unordered_map<std::string, size_t> indexByName_;  // by folded name
    std::vector<Touched> touched_;
    std::unordered_map<std::string, size_t> touchedByName_;  // by folded name
};

// A key the save created, holding nothing but what the save itself wrote, is
// removed again: a catalog never saved must not be offered by Open.
bool RemoveCreatedKey(const std::string& registryPath, const platform::RegKey& key,
                      const std::unordered_map<std::string, size_t>& valueByFoldedName,
                      const std::vector<StoredValue>& values) {
    StoredKeyImage now;
    if (ReadKeyImage(key, now) != platform::kRegOk) return false;
    for (const StoredValueImage& value : now) {
        const auto found = valueByFoldedName.find(platform::FoldRegistryName(value.Name));
        if (found == valueByFoldedName.end() || !Holds(value, values[found->second])) return false;
    }
    // Refused while the key has sub-keys: someone else's.
    return platform::DeleteKey(registryPath) == platform::kRegOk;
}

}  // namespace

MessageId SkippedEntryMessage(SkippedEntry::Reason reason) {
    switch (reason) {
    case SkippedEntry::TooLong: return MSG_SKIPPED_TOO_LONG;
    case SkippedEntry::NotText: return MSG_SKIPPED_NOT_TEXT;
    case SkippedEntry::Displaced: return MSG_SKIPPED_DISPLACED;
    case SkippedEntry::NameNotWritable: return MSG_SKIPPED_NAME_NOT_WRITABLE;
    case SkippedEntry::Unnamed: return MSG_SKIPPED_UNNAMED;
    }
    return MSG_SKIPPED_TOO_LONG;
}

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
    // Any failure ends the load with the catalog untouched: a later save would
    // otherwise delete the papers never read.
    StoredKeyImage values;
    if (const long result = ReadKeyImage(key, values); result != platform::kRegOk) {
        out.SystemError = result;
        return STORE_KEY_FAILED;
    }
    papers_ = ReadAsLoaded(values, pdlName, out.Skipped);
    SortKeyImage(values);
    out.Image = std::move(values);
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
    const auto end = [&](int16_t result) -> int16_t {
        if (disposition == platform::kRegCreatedNewKey &&
            RemoveCreatedKey(registryPath, key, valueByFoldedName, values)) {
            // Gone again, so the key is as it was before the save: not there.
            if (result == STORE_ROLLBACK_FAILED) return STORE_KEY_FAILED;
        }
        return result;
    };
    const auto readFailed = [&](long result) -> int16_t {
        out.SystemError = result;
        return end(STORE_KEY_FAILED);
    };

    // What the key holds now, every value in full: a failed save puts back
    // from it whatever it changed, and the caller's look is shown what the
    // store's load would read from it.
    StoredKeyImage before;
    if (const long result = ReadKeyImage(key, before); result != platform::kRegOk) return readFailed(result);
    std::vector<CPaperDef> held = ReadAsLoaded(before, descriptiveForm ? "" : "PS", out.Skipped);
    // The ANSI functions reach such a value by no name: it can be neither
    // removed nor put back.
    if (std::any_of(out.Skipped.begin(), out.Skipped.end(),
                    [](const SkippedEntry& e) { return e.reason == SkippedEntry::NameNotWritable; })) {
        return end(STORE_NAMES_NOT_WRITABLE);
    }
    if (beforeWrite) {
        out.Image = before;
        SortKeyImage(out.Image);
        CPaperCatalog stored;
        stored.papers_ = std::move(held);
        const int answer = beforeWrite(stored);
        if (answer == LOOK_DECLINE) return end(STORE_SAVE_DECLINED);
        if (answer == LOOK_WRITE_AFTER_WAIT) {
            StoredKeyImage now;
            if (const long result = ReadKeyImage(key, now); result != platform::kRegOk) return readFailed(result);
            SortKeyImage(now);
            if (now != out.Image) {
                out.Image = std::move(now);
                return end(STORE_CHANGED_MEANWHILE);
            }
        }
    }

    // A value already holding exactly the paper's text is left as it is:
    // saving a catalog with a few changes writes only those.
    std::vector<std::string> stale;
    std::vector<bool> unchanged(values.size(), false);
    for (const StoredValueImage& value : before) {
        const auto found = valueByFoldedName.find(platform::FoldRegistryName(value.Name));
        if (found == valueByFoldedName.end() || values[found->second].name != value.Name) {
            stale.push_back(value.Name);
        } else if (Holds(value, values[found->second])) {
            unchanged[found->second] = true;
        }
    }

    SaveJournal journal(key, before);
    const auto fail = [&](long result) -> int16_t {
        out.SystemError = result;
        return end(journal.Restore() ? STORE_KEY_FAILED : STORE_ROLLBACK_FAILED);
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

    // What the key holds now, without reading it again.
    out.Image.clear();
    out.Image.reserve(values.size());
    for (const StoredValue& value : values) out.Image.push_back({value.name, platform::kRegSz, value.text + '\0', true});
    SortKeyImage(out.Image);
    return STORE_OK;
}
