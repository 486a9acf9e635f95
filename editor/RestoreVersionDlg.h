#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "catalog/CatalogBackup.h"
#include "framework/Dialog.h"

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
