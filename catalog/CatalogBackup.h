// Backups of stored catalogs: before a save replaces what a catalog's key
// holds, that content is written as a catalog file (the layout of Export, so
// Import reads its papers anywhere) with every value of the key exactly beside
// them, into a folder of its own per catalog, named after the time of the save. Backups go to, and come from, only folders that
// standard users cannot change: an administrator restores them into
// HKEY_LOCAL_MACHINE. Portable, and free of any window.
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
inline constexpr int32_t kMaxBackupKeep = 9999;

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
// gives the default; Keep is digits only, 0 to 9999, and anything else (a
// missing value, a sign, a number out of range) keeps the default, so that an
// older configuration or a slip of the pen keeps backups on.
BackupSettings ReadBackupSettings(const platform::ProfileFile& configuration);

// Why the configured folder cannot hold backups, in the interface language: an
// environment variable that is not set, or a path that is not absolute (which
// would put backups wherever the program happens to be started, System32 for a
// deployment tool). "" when it can.
std::string BackupFolderProblem(const BackupSettings& settings);

// A catalog name as a folder name every file system accepts: characters that
// Windows refuses in names become "_", as do blanks and dots at the end; a
// device name (CON, NUL, COM1, COM with a superscript digit, ...) gets a
// leading "_". When anything had to change, "~" and a short checksum of the
// real name follow. Before the registry key was part of the folder's name,
// this was the folder itself.
std::string SafeFileName(const std::string& catalogName);

// The folder holding the backups of the catalog `catalogName` stored at
// `registryPath`: its name made safe, "~" and a checksum of the exact name and
// the key (letter case ignored, as the registry does), so that two catalogs
// whose names differ only in letter case, or one name configured for two
// keys, never share a folder.
std::string BackupFolderFor(const BackupSettings& settings, const std::string& catalogName,
                            const std::string& registryPath);

// The folder that backups of `catalogName` went to before the key was part of
// its name. Restore still offers what it holds (when standard users cannot
// change it); nothing is written to it or removed from it.
std::string EarlierBackupFolderFor(const BackupSettings& settings, const std::string& catalogName);

// "yyyy-mm-dd hh-mm-ss.cat"; the second and later backup within one second
// get " (2)", " (3)", ... up to " (999)" before the extension.
std::string BackupFileName(const platform::LocalTime& time, int sequence);

// The catalog's folder below the configured one (BackupFolderFor), made when
// missing; false with the reason when it, or the configured folder, is not
// usable or is one standard users can change or a reparse point.
bool MakeCatalogFolder(const BackupSettings& settings, const std::string& catalogName, const std::string& registryPath,
                       std::string& folder, std::string& reason);

// Whether what the catalog's `folder` holds may be trusted: it and the
// configured folder are usable and only administrators can change them (or
// they are not there). False with the reason.
bool CatalogFolderTrusted(const BackupSettings& settings, const std::string& folder, std::string& reason);

struct BackupResult {
    enum Outcome { Written, NotNeeded, Off, Failed } outcome = NotNeeded;
    std::string path;    // the file written
    std::string folder;  // where it was to go
    std::string reason;  // why it failed: the system's reason, or why the folder is not used
};

// Writes a backup of the catalog `catalogName` at `registryPath`: the papers
// the load read (`stored`) readable as Import reads them, and every value of
// the key exactly (`values`), from which a restore takes the papers. Nothing
// is written when backups are off or there is neither a paper nor a value.
// Fails without writing when the configured folder is not usable, or when it
// or the catalog's folder is one standard users can change or a reparse point.
BackupResult WriteBackup(const BackupSettings& settings, const std::string& catalogName,
                         const std::string& registryPath, const CPaperCatalog& stored, const platform::LocalTime& now,
                         const StoredKeyImage& values);

struct BackupEntry {
    std::string path;
    platform::LocalTime time;
    int sequence = 1;
    int paperCount = -1;  // -1: the file is not an importable catalog file
    bool future = false;  // dated after the time the list was made for: the clock was wrong, or it was planted
    bool earlierFolder = false;  // in the folder of EarlierBackupFolderFor
};

// The backups of the catalog, those dated up to `now` newest first, then those
// dated after it, nearest first: a date in the future proves nothing about
// being recent. Files whose names are not backup names are left out (and never
// removed). A folder not made yet holds none. False, with the reason, when a
// folder cannot be read or may not be trusted (BackupFolderProblem, standard
// users can change it, a reparse point): then nothing is offered from it.
// A backup file that others than administrators could have written or
// changed (its owner, its access list) is not listed at all.
bool ListBackups(const BackupSettings& settings, const std::string& catalogName, const std::string& registryPath,
                 const std::string& pdlName, const platform::LocalTime& now, std::vector<BackupEntry>& entries,
                 std::string& reason, bool countPapers = true);

// Removes from the catalog's folder all but `Keep` backups: first
// `justWritten` (the backup of the save that prunes, which is never removed),
// then the others in the order of ListBackups. Nothing when backups are off
// (turning them off does not throw old ones away), in a folder that may not be
// trusted, or in the earlier folder, which another catalog may share.
void PruneBackups(const BackupSettings& settings, const std::string& catalogName, const std::string& registryPath,
                  const platform::LocalTime& now, const std::string& justWritten = "");

// Reads a backup into `catalog`: from the key's exact values by the registry
// load's own rules for `pdlName` (so that restoring and saving puts back the
// values byte for byte), or, in a backup written before those were kept, from
// its papers as Import reads them. False (catalog untouched) when the file is
// not a backup that can be read whole, or is one others than administrators
// could have written or changed.
bool ReadBackup(const std::string& path, const std::string& pdlName, CPaperCatalog& catalog);
