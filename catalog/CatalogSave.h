// The one way a catalog reaches its registry key. Every writer (the editor's
// Save, Save As and the save the close question offers, the save after a
// restore, the companion's /import and /merge, the elevated write) calls
// SaveCatalog, which does in one place and in this order: refuse what cannot
// be stored; read the key once; compare it with what the caller expects;
// name what the write would remove that is not a paper; back up; write all or
// nothing; give what the key holds afterwards. Questions go to the caller's
// SaveQuestions: the editor answers them with its boxes, the companion with
// its switches. Portable, and free of any window.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalog/CatalogBackup.h"
#include "catalog/PaperCatalog.h"
#include "catalog/SaveRecord.h"

// A REG_SZ value as a save writes it: its name and its text (the terminating
// zero is the store's business).
struct StoredValue {
    std::string name;
    std::string text;
};
using StoredValues = std::vector<StoredValue>;

// The values a save of `catalog` writes in the form the PDL name gives.
StoredValues StoredValuesOf(const CPaperCatalog& catalog, const std::string& pdlName);

// The key's image once `values` are written and nothing else is left, in name order.
StoredKeyImage ImageOfValues(const StoredValues& values);

// The papers the registry load reads from a key holding `image`, by its rules
// (papers by position, the later of two at one position, gaps closed), and
// the entries it leaves out, in name order.
std::vector<CPaperDef> PapersFromImage(const StoredKeyImage& image, const std::string& pdlName,
                                       std::vector<SkippedEntry>* skipped = nullptr);

// A value the load would skip or read as another paper: never written.
struct UnstorableValue {
    enum Reason { NameEmpty, NameTooLong, TextTooLong, NameNotInCodePage, ReadOtherwise } reason;
    std::string name;  // the paper's name
};

// The values of `values` that a load with `pdlName` would skip or read otherwise.
std::vector<UnstorableValue> FindUnstorableValues(const StoredValues& values, const std::string& pdlName);

// The message (MSG#) naming an unstorable value: %1 the paper's name.
MessageId UnstorableValueMessage(UnstorableValue::Reason reason);

// Where the save goes.
struct SaveTarget {
    std::string catalogName;
    std::string registryPath;
    std::string pdlName;
};

// The questions a save may have to ask. Each answers true to go on.
class SaveQuestions {
public:
    virtual ~SaveQuestions() = default;
    // The key holds `now`, not what the caller expected: write over it?
    virtual bool OverwriteChange(const StoredKeyImage& now) = 0;
    // The write would remove these entries, which are not papers.
    virtual bool RemoveEntries(const std::vector<SkippedEntry>& entries) = 0;
    // No backup could be written (`backup` says where and why): save without one?
    virtual bool SaveWithoutBackup(const BackupResult& backup) = 0;
    // The record that lets the next start put right a save cut short could
    // not be written in `folder` (`reason`): save without it?
    virtual bool SaveWithoutRecord(const std::string& folder, const std::string& reason) = 0;
};

struct SaveRequest {
    SaveTarget target;
    StoredValues values;
    // What the key must hold (in name order) for the save to go on unasked:
    // the image the catalog was opened or last saved from. None: whatever it holds.
    std::optional<StoredKeyImage> expected;
    BackupSettings backups;  // Keep 0: no backup (turned off, or /nobackup)
    // The durable record before the first change (SaveRecord.h), in the
    // catalog's folder below `backups.Folder`, whether backups are on or off.
    bool record = true;
};

enum class SaveOutcome {
    Saved,             // written; or `unchanged`: the key held exactly these values already
    ChangeKept,        // the key changed elsewhere and the questions kept it
    EntriesKept,       // entries that are not papers would be removed, and the questions kept them
    BackupRefused,     // no backup could be written, and the questions did not save without one
    RecordRefused,     // no record could be written, and the questions did not save without one
    NotStorable,       // `unstorable` names values the load would not read back: nothing written
    CaseCollision,     // two names the registry takes for one value (`twins`): nothing written
    NamesNotWritable,  // the key holds values no name of the code page reaches (`skipped`): nothing written
    KeyFailed,         // the key could not be opened, read or written; it is as it was
    BadDisposition,    // the key was created or opened with an unexpected disposition
    RollbackFailed,    // a write failed part-way and the key could not be put back
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::KeyFailed;
    bool unchanged = false;
    long systemError = 0;
    std::vector<SkippedEntry> skipped;  // the key's entries that are not papers, as read
    std::vector<UnstorableValue> unstorable;
    std::pair<std::string, std::string> twins;
    BackupResult backup;
    std::string recordReason;  // RecordRefused: why the record could not be written
    // What an interrupted earlier save left, settled before this one began.
    SaveRecovery recovery;
    // What the key holds: after a save, without reading it again; after
    // ChangeKept, what it held when the question was asked.
    StoredKeyImage image;
};

SaveResult SaveCatalog(const SaveRequest& request, SaveQuestions& questions);

// The first two of `names` that the registry takes for one, or an empty pair.
std::pair<std::string, std::string> RegistryNameTwins(const std::vector<std::string>& names);
