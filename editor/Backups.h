// The editor's side of the catalog backups: the backup before every save that
// replaces a stored catalog, and the two commands of the File menu that restore
// a backup and show what a save would change.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "catalog/CatalogBackup.h"
#include "catalog/CatalogSave.h"
#include "catalog/SaveRecord.h"

// The question when a save could not write its backup, naming the folder and
// the reason (the system's, or why the folder is not used): true to save
// without one.
bool AskSaveWithoutBackup(HWND window, const BackupResult& backup);

// Settles a save of the configured catalog `catalogName` that was cut short
// (SaveRecord.h) and tells the user what was done, when anything was.
void SettleInterruptedSave(HWND window, const std::string& catalogName);

// The same for every configured catalog, once the main window shows.
void SettleInterruptedSaves(HWND window);

// Tells what a recovery did, when there is anything to tell.
void ReportRecovery(HWND window, const SaveRecovery& recovery, const SaveTarget& target);

// The question when a save could not write its record.
bool AskSaveWithoutRecord(HWND window, const std::string& catalogName, const std::string& folder,
                          const std::string& reason);

// The current catalog is one of the configured ones: it has a key to back up
// and to compare with (File > Restore Previous Version and Compare).
bool CurrentCatalogIsConfigured();

// The Compare with Stored Catalog window for the configured catalog
// `catalogName`: what a save of the catalog being edited would change there.
void ShowStoredDifferences(HWND window, const std::string& catalogName);
