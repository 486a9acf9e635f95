// The editor's side of the catalog backups: the backup before every save that
// replaces a stored catalog, and the two dialogs of the File menu that restore
// a backup and show what a save would change.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "catalog/CatalogBackup.h"
#include "framework/Dialog.h"

// Backs up `stored`, what the key `registryPath` of `catalogName` holds,
// before a save replaces it, with the key's entries that are no papers
// (`kept`). When the backup cannot be written the user is asked (`asked` says
// so), naming the folder and the reason (the system's, or why the folder is
// not used), whether to save without one: true to go on with the save, false
// when nothing is to be written. `written` receives the backup's path, ""
// when none was written.
bool BackUpBeforeSave(const std::string& catalogName, const std::string& registryPath, const CPaperCatalog& stored,
                      const StoredKeyImage& kept, std::string& written, bool& asked);

// The Compare with Stored Catalog window for the configured catalog
// `catalogName`: what a save of the catalog being edited would change there.
void ShowStoredDifferences(HWND window, const std::string& catalogName);

// After a successful save: only the newest backups are kept, and always the
// one the save wrote, whatever the clock said of the others.
void PruneBackupsAfterSave(const std::string& catalogName, const std::string& registryPath, const std::string& written);

// "Restore Previous Version": the backups newest first, one line each with
// date, time and paper count. OK, Enter or a double-click takes the chosen one.
class CRestoreVersionDlg : public fw::CDialog {
public:
    explicit CRestoreVersionDlg(std::vector<BackupEntry> backups);
    // The chosen backup's file, once the dialog ended with IDOK.
    const std::string& ChosenPath() const { return chosenPath_; }

    HWND m_listBackups = nullptr;
    HWND m_btnRestore = nullptr;
    HWND m_btnCancel = nullptr;

protected:
    bool OnInitDialog() override;
    bool OnNotify(int controlId, UINT code) override;
    void OnOK() override;

private:
    void Choose();
    std::vector<BackupEntry> backups_;
    std::string chosenPath_;
};

// "Compare with Stored Catalog": one line per difference, or one saying there is none.
class CCompareCatalogDlg : public fw::CDialog {
public:
    explicit CCompareCatalogDlg(std::vector<std::string> lines);

    HWND m_listDifferences = nullptr;
    HWND m_btnClose = nullptr;

protected:
    bool OnInitDialog() override;

private:
    std::vector<std::string> lines_;
};
