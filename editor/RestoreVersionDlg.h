// "Restore Previous Version": the backups newest first, one line each with
// date, time and paper count. OK, Enter or a double-click takes the chosen one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "catalog/CatalogBackup.h"
#include "editor/ChooseLineDlg.h"

class CRestoreVersionDlg : public CChooseLineDlg {
public:
    explicit CRestoreVersionDlg(std::vector<BackupEntry> backups);
    // The chosen backup's file, once the dialog ended with IDOK.
    const std::string& ChosenPath() const { return chosenPath_; }

protected:
    bool OnInitDialog() override;
    bool TakeChoice(int line) override;

private:
    std::vector<BackupEntry> backups_;
    std::string chosenPath_;
};
