// The record a save writes, flushed to the disk, before it changes a
// catalog's key: which key, every value it held, every value it will hold.
// The registry has no transaction a program can use across many values; a
// save killed part-way (a crash, a power cut, a deployment tool ending the
// companion) leaves a key that is neither catalog, and the record is how the
// next start notices and puts it back. It lives in the catalog's backup
// folder, which only administrators may change: a record is a list of values
// an administrator's program writes into HKEY_LOCAL_MACHINE.
#pragma once

#include <string>

#include "catalog/CatalogBackup.h"
#include "state/AppState.h"

struct SaveTarget;

// Where the record of a save of `target` goes.
std::string SaveRecordPath(const BackupSettings& settings, const SaveTarget& target);

// Writes the record durably; false with the reason (the system's, or why the
// folder is not used) when it could not be written.
bool WriteSaveRecord(const BackupSettings& settings, const SaveTarget& target, const StoredKeyImage& before,
                     const StoredKeyImage& after, std::string& path, std::string& reason);

struct SaveRecovery {
    enum Outcome {
        None,        // no record: the last save of the key ended
        Finished,    // a record whose key holds its old or its new catalog: removed, the key left as it is
        PutRight,    // the key held neither: put back to the old catalog, the new one kept as a backup
        Unreadable,  // a record that cannot be read whole: named and left alone
        Untrusted,   // a record in a folder (or a file) others than administrators can change: ignored
        Failed,      // the key could not be read or put back: the record stays for the next start
    } outcome = None;
    std::string record;  // its path
    std::string kept;    // PutRight: the backup holding the catalog the interrupted save was writing
    std::string reason;  // Failed, Untrusted: why
};

// Looks for the record of an interrupted save of `target` and settles it
// (see the outcomes). Every command that opens or writes a catalog calls it first.
SaveRecovery RecoverInterruptedSave(const BackupSettings& settings, const SaveTarget& target);

// The one-line message telling what a recovery did (MSG#), none for None and
// Finished, which need no word: %1 the catalog, %2 the record, %3 the kept
// backup or the reason.
std::string RecoveryMessage(const SaveRecovery& recovery, const SaveTarget& target);
