#include "catalog/CatalogSave.h"

#include <algorithm>
#include <unordered_map>

#include "catalog/StoredImage.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace {

// The load's buffers: a name of at most 63 characters and at most 127
// characters of text, its terminating zero included in the 128 bytes.
constexpr size_t kReadNameCapacity = 64;
constexpr size_t kReadDataCapacity = 128;

// Bytes code page 1252 gives no character: the registry, which keeps names
// as wide characters, would store such a name as another one.
bool InCodePage(const std::string& name) {
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte == 0 || byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
    });
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

using FoldedIndex = std::unordered_map<std::string, size_t>;

// A key the save created, holding nothing but what the save itself wrote, is
// removed again: a catalog never saved must not be offered by Open.
bool RemoveCreatedKey(const std::string& registryPath, const platform::RegKey& key, const FoldedIndex& valueByFoldedName,
                      const StoredValues& values) {
    StoredKeyImage now;
    if (ReadKeyImage(key, now) != platform::kRegOk) return false;
    for (const StoredValueImage& value : now) {
        const auto found = valueByFoldedName.find(platform::FoldRegistryName(value.Name));
        if (found == valueByFoldedName.end() || !Holds(value, values[found->second])) return false;
    }
    // Refused while the key has sub-keys: someone else's.
    return platform::DeleteKey(registryPath) == platform::kRegOk;
}

// Writes `values` over what the key held (`before`): new values first and old
// ones removed afterwards, so that a reader never sees less than the whole
// catalog; a value already holding its text is left as it is. On a failure
// everything changed is put back.
SaveOutcome WriteValues(const platform::RegKey& key, const StoredKeyImage& before, const StoredValues& values,
                        const FoldedIndex& valueByFoldedName, long& systemError) {
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
    const auto fail = [&](long result) {
        systemError = result;
        return journal.Restore() ? SaveOutcome::KeyFailed : SaveOutcome::RollbackFailed;
    };
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
    return SaveOutcome::Saved;
}

// What the key holds, read whole, sorted, with its entries that are no papers.
struct KeyReading {
    StoredKeyImage image;  // in the registry's order
    StoredKeyImage sorted;
    std::vector<CPaperDef> papers;
    std::vector<SkippedEntry> skipped;
    platform::KeyWriteMark mark;
};

long ReadKey(const platform::RegKey& key, const std::string& pdlName, KeyReading& reading) {
    // The mark first: a change made while the values are read moves it.
    if (platform::ReadKeyWriteMark(key, reading.mark) != platform::kRegOk) reading.mark = {};
    if (const long result = ReadKeyImage(key, reading.image); result != platform::kRegOk) return result;
    reading.skipped.clear();
    reading.papers = PapersFromImage(reading.image, pdlName, &reading.skipped);
    reading.sorted = reading.image;
    SortKeyImage(reading.sorted);
    return platform::kRegOk;
}

// Whether the key may have changed since `reading`: its mark moved, or the
// mark could not tell.
bool MayHaveChanged(const platform::RegKey& key, const KeyReading& reading) {
    platform::KeyWriteMark now;
    return !reading.mark.settled || platform::ReadKeyWriteMark(key, now) != platform::kRegOk ||
           now.time != reading.mark.time;
}

}  // namespace

StoredValues StoredValuesOf(const CPaperCatalog& catalog, const std::string& pdlName) {
    StoredValues values(static_cast<size_t>(catalog.GetCount()));
    const bool keywordForm = IsKeywordForm(pdlName);
    for (size_t i = 0; i < values.size(); ++i) {
        const CPaperDef paper = catalog.GetPaper(static_cast<int>(i));
        if (keywordForm) {
            paper.FormatKeywordValue(values[i].name, values[i].text);
        } else {
            paper.FormatDescriptiveValue(static_cast<int>(i), values[i].name, values[i].text);
        }
    }
    return values;
}

StoredKeyImage ImageOfValues(const StoredValues& values) {
    StoredKeyImage image;
    image.reserve(values.size());
    for (const StoredValue& value : values) image.push_back({value.name, platform::kRegSz, value.text + '\0', true});
    SortKeyImage(image);
    return image;
}

std::vector<CPaperDef> PapersFromImage(const StoredKeyImage& values, const std::string& pdlName,
                                       std::vector<SkippedEntry>* skippedOut) {
    std::vector<SkippedEntry> unused;
    std::vector<SkippedEntry>& skipped = skippedOut ? *skippedOut : unused;
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
            // The text as the C API sees it: up to the first zero byte.
            const std::string text = value.Data.substr(0, value.Data.find('\0'));
            read.push_back({CPaperDef::FromStoredValue(value.Name, text, pdlName), i});
        }
    }
    // Papers go by their stored positions; of two at the same position the one
    // enumerated later wins. Positions with gaps or below zero (keys not
    // written by this program) are closed up so that no element is left empty.
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

std::vector<UnstorableValue> FindUnstorableValues(const StoredValues& values, const std::string& pdlName) {
    std::vector<UnstorableValue> found;
    const bool keywordForm = IsKeywordForm(pdlName);
    for (size_t i = 0; i < values.size(); ++i) {
        const StoredValue& value = values[i];
        const CPaperDef read = CPaperDef::FromStoredValue(value.name, value.text, pdlName);
        const auto refuse = [&](UnstorableValue::Reason reason) { found.push_back({reason, read.Name}); };
        if (value.name.empty()) {
            refuse(UnstorableValue::NameEmpty);
        } else if (value.name.size() >= kReadNameCapacity) {
            refuse(UnstorableValue::NameTooLong);
        } else if (value.text.size() + 1 > kReadDataCapacity) {
            refuse(UnstorableValue::TextTooLong);
        } else if (!InCodePage(value.name)) {
            refuse(UnstorableValue::NameNotInCodePage);
        } else {
            // Read back and written again, the value must come out the same:
            // otherwise the next load shows another paper than the one saved.
            StoredValue again;
            if (keywordForm) {
                read.FormatKeywordValue(again.name, again.text);
            } else {
                read.FormatDescriptiveValue(static_cast<int>(i), again.name, again.text);
            }
            if (read.Name.empty()) {
                refuse(UnstorableValue::NameEmpty);
            } else if (again.name != value.name || again.text != value.text) {
                refuse(UnstorableValue::ReadOtherwise);
            }
        }
    }
    return found;
}

MessageId UnstorableValueMessage(UnstorableValue::Reason reason) {
    switch (reason) {
    case UnstorableValue::NameEmpty: return MSG_UNSTORABLE_NAME_EMPTY;
    case UnstorableValue::NameTooLong: return MSG_UNSTORABLE_NAME_TOO_LONG;
    case UnstorableValue::TextTooLong: return MSG_UNSTORABLE_TEXT_TOO_LONG;
    case UnstorableValue::NameNotInCodePage: return MSG_UNSTORABLE_NAME_CODE_PAGE;
    case UnstorableValue::ReadOtherwise: return MSG_UNSTORABLE_READ_OTHERWISE;
    }
    return MSG_UNSTORABLE_READ_OTHERWISE;
}

std::pair<std::string, std::string> RegistryNameTwins(const std::vector<std::string>& names) {
    std::unordered_map<std::string, size_t> seen;
    seen.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const auto [found, added] = seen.emplace(platform::FoldRegistryName(names[i]), i);
        if (!added) return {names[found->second], names[i]};
    }
    return {};
}

SaveResult SaveCatalog(const SaveRequest& request, SaveQuestions& questions) {
    SaveResult out;
    const SaveTarget& target = request.target;
    const StoredValues& values = request.values;
    // An empty path names HKEY_LOCAL_MACHINE itself, whose values must never be cleared.
    if (target.registryPath.empty()) return out;

    // Refused before the key is touched: what the load would not read back as
    // it was saved, and names the registry takes for one value (a paper would
    // be lost without a word).
    out.unstorable = FindUnstorableValues(values, target.pdlName);
    if (!out.unstorable.empty()) {
        out.outcome = SaveOutcome::NotStorable;
        return out;
    }
    FoldedIndex valueByFoldedName;
    valueByFoldedName.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const auto [found, added] = valueByFoldedName.emplace(platform::FoldRegistryName(values[i].name), i);
        if (!added) {
            out.twins = {values[found->second].name, values[i].name};
            out.outcome = SaveOutcome::CaseCollision;
            return out;
        }
    }

    // A save cut short earlier is settled first: this one must start from a
    // key that holds a catalog someone wrote.
    if (request.record) out.recovery = RecoverInterruptedSave(request.backups, target);

    platform::RegKey key;
    uint32_t disposition = 0;
    if (const long result = platform::CreateOrOpenKey(target.registryPath, key, disposition); result != platform::kRegOk) {
        out.systemError = result;
        return out;
    }
    if (disposition != platform::kRegCreatedNewKey && disposition != platform::kRegOpenedExistingKey) {
        out.outcome = SaveOutcome::BadDisposition;
        return out;
    }
    // Every way out of a save that created the key and left it as it made it
    // removes it again, so that the key is as it was before: not there.
    const auto end = [&](SaveOutcome outcome) -> SaveResult {
        out.outcome = outcome;
        if (disposition == platform::kRegCreatedNewKey && outcome != SaveOutcome::Saved &&
            RemoveCreatedKey(target.registryPath, key, valueByFoldedName, values) &&
            outcome == SaveOutcome::RollbackFailed) {
            out.outcome = SaveOutcome::KeyFailed;
        }
        return std::move(out);
    };

    KeyReading reading;
    if (const long result = ReadKey(key, target.pdlName, reading); result != platform::kRegOk) {
        out.systemError = result;
        return end(SaveOutcome::KeyFailed);
    }
    const StoredKeyImage wanted = ImageOfValues(values);
    std::optional<StoredKeyImage> expected = request.expected;
    // Agreed to save without a backup: the record, which goes into the same
    // folder, is not asked about again.
    bool withoutBackup = false;
    for (;;) {
        out.skipped = reading.skipped;
        out.image = reading.sorted;
        // The ANSI functions reach such a value by no name: it can be neither
        // removed nor put back.
        if (std::any_of(reading.skipped.begin(), reading.skipped.end(),
                        [](const SkippedEntry& e) { return e.reason == SkippedEntry::NameNotWritable; })) {
            return end(SaveOutcome::NamesNotWritable);
        }
        bool waited = false;
        if (expected && reading.sorted != *expected) {
            waited = true;
            if (!questions.OverwriteChange(reading.sorted)) return end(SaveOutcome::ChangeKept);
        }
        // Nothing to write, nothing to back up: a save that changes nothing
        // leaves the key, its last-write time and the backups as they are.
        if (reading.sorted == wanted) {
            out.unchanged = true;
            if (disposition == platform::kRegCreatedNewKey) {
                RemoveCreatedKey(target.registryPath, key, valueByFoldedName, values);
            }
            out.outcome = SaveOutcome::Saved;
            return out;
        }
        if (!reading.skipped.empty()) {
            waited = true;
            if (!questions.RemoveEntries(reading.skipped)) return end(SaveOutcome::EntriesKept);
        }
        if (request.backups.Keep > 0 && (!reading.papers.empty() || !reading.image.empty())) {
            CPaperCatalog stored;
            stored.AppendPapers(reading.papers);
            // In the registry's own order: of two papers at one position the load
            // takes the one enumerated later, and a restore must take the same.
            out.backup = WriteBackup(request.backups, target.catalogName, target.registryPath, stored,
                                     platform::CurrentLocalTime(), reading.image);
            if (out.backup.outcome == BackupResult::Written) {
                waited = true;
            } else if (out.backup.outcome == BackupResult::Failed) {
                waited = true;
                if (!questions.SaveWithoutBackup(out.backup)) return end(SaveOutcome::BackupRefused);
                withoutBackup = true;
            }
        }
        // While a question was open, or the backup was written, someone else
        // may have changed the key: what they wrote is never written over unseen.
        if (!waited || !MayHaveChanged(key, reading)) break;
        KeyReading now;
        if (const long result = ReadKey(key, target.pdlName, now); result != platform::kRegOk) {
            out.systemError = result;
            return end(SaveOutcome::KeyFailed);
        }
        if (now.sorted == reading.sorted) {
            reading.mark = now.mark;
            break;
        }
        // Asked again about what it holds now, with what was seen as expected.
        expected = reading.sorted;
        reading = std::move(now);
    }

    // What is about to happen, on the disk before the key changes; gone once
    // the key is flushed. A save killed in between is put right at the next start.
    std::string record;
    if (request.record &&
        !WriteSaveRecord(request.backups, target, reading.image, wanted, record, out.recordReason)) {
        record.clear();
        const std::string folder = BackupFolderFor(request.backups, target.catalogName, target.registryPath);
        if (!withoutBackup && !questions.SaveWithoutRecord(folder, out.recordReason)) {
            return end(SaveOutcome::RecordRefused);
        }
        if (MayHaveChanged(key, reading)) {
            KeyReading now;
            if (ReadKey(key, target.pdlName, now) != platform::kRegOk || now.sorted != reading.sorted) {
                out.image = now.sorted;
                return end(SaveOutcome::ChangeKept);
            }
        }
    }
    const SaveOutcome written = WriteValues(key, reading.image, values, valueByFoldedName, out.systemError);
    // Put back or failed before any change: the record has nothing to tell.
    // A key that could not be put back keeps it, for the next start.
    if (!record.empty() && written != SaveOutcome::RollbackFailed) {
        if (written == SaveOutcome::Saved) platform::FlushKey(key);
        platform::RemoveFile(record);
    }
    if (written != SaveOutcome::Saved) return end(written);
    out.outcome = SaveOutcome::Saved;
    out.image = wanted;
    if (request.backups.Keep > 0) {
        PruneBackups(request.backups, target.catalogName, target.registryPath, platform::CurrentLocalTime(),
                     out.backup.path);
    }
    return out;
}
