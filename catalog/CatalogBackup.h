// Backups of stored catalogs: before a save replaces what a catalog's key
// holds, that content is written as a catalog file (the layout of Export, so
// Import reads it anywhere) into a folder of its own per catalog, named after
// the time of the save. Portable, and free of any window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "state/AppState.h"

class CPaperCatalog;
namespace platform {
class ProfileFile;
}

inline constexpr int32_t kDefaultBackupKeep = 20;

struct BackupSettings {
    std::string Folder;  // environment variables already expanded
    int32_t Keep = kDefaultBackupKeep;  // backups kept per catalog; 0 turns backups off
};

// The [Backups] settings the configuration gave (AppState), for the editor
// and the command-line companion alike.
BackupSettings CurrentBackupSettings();

// "%ProgramData%\Quandrel\Backups", expanded.
std::string DefaultBackupFolder();

// [Backups] Folder= and Keep= of the configuration. A missing or empty Folder
// and a missing or negative Keep give the defaults, so an older configuration
// without the section keeps backups on.
BackupSettings ReadBackupSettings(const platform::ProfileFile& configuration);

// A catalog name as a folder name every file system accepts: characters that
// Windows refuses in names become "_", as do blanks and dots at the end; a
// device name (CON, NUL, COM1, ...) gets a leading "_". When anything had to
// change, "~" and a short checksum of the real name follow, so two catalogs
// never share a folder.
std::string SafeFileName(const std::string& catalogName);

// The folder holding the backups of `catalogName`.
std::string BackupFolderFor(const BackupSettings& settings, const std::string& catalogName);

// "yyyy-mm-dd hh-mm-ss.cat"; the second and later backup within one second
// get " (2)", " (3)", ... before the extension.
std::string BackupFileName(const platform::LocalTime& time, int sequence);

struct BackupResult {
    enum Outcome { Written, NotNeeded, Off, Failed } outcome = NotNeeded;
    std::string path;    // the file written
    std::string folder;  // where it was to go
    std::string reason;  // the system's reason when it failed
};

// Writes `stored` as a backup of `catalogName`, with the key's entries that
// are no papers (`kept`) in a section Import does not read. Nothing is
// written when backups are off or there is neither a paper nor an entry.
BackupResult WriteBackup(const BackupSettings& settings, const std::string& catalogName, const CPaperCatalog& stored,
                         const platform::LocalTime& now, const StoredKeyImage& kept = {});

// Reads the catalog's key with the store's own load and backs up what it
// holds; a missing or empty key needs no backup.
BackupResult BackUpStoredCatalog(const BackupSettings& settings, const std::string& catalogName,
                                 const std::string& registryPath, const std::string& pdlName,
                                 const platform::LocalTime& now);

struct BackupEntry {
    std::string path;
    platform::LocalTime time;
    int sequence = 1;
    int paperCount = -1;  // -1: the file is not an importable catalog file
};

// The backups of `catalogName`, newest first. Files in the folder whose names
// are not backup names are left out (and never removed). A folder not made yet
// holds none; false with the system's reason when the folder cannot be read.
bool ListBackups(const BackupSettings& settings, const std::string& catalogName, std::vector<BackupEntry>& entries,
                 std::string& reason, bool countPapers = true);

// Removes all but the newest `Keep` backups of `catalogName`. Nothing when
// backups are off: turning them off does not throw old ones away.
void PruneBackups(const BackupSettings& settings, const std::string& catalogName);

// Reads a backup into `catalog` as Import does; false (catalog untouched) when
// the file is not an importable catalog file.
bool ReadBackup(const std::string& path, CPaperCatalog& catalog);
