#include "editor/Backups.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "catalog/CatalogDifference.h"
#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "editor/CompareCatalogDlg.h"
#include "editor/MessageBoxes.h"
#include "framework/Application.h"
#include "framework/FormView.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"


bool AskSaveWithoutBackup(HWND window, const BackupResult& backup) {
    const std::string text = FormatText(InterfaceMessage(MSG_BACKUP_FAILED), {backup.folder, backup.reason});
    return platform::ShowMessageBox(window, text, InterfaceLabel(LAB_PRODUCT),
                                    platform::kMbYesNo | platform::kMbIconWarning) == platform::kIdYes;
}

void ReportRecovery(HWND window, const SaveRecovery& recovery, const SaveTarget& target) {
    const std::string text = RecoveryMessage(recovery, target);
    if (text.empty()) return;
    platform::ShowMessageBox(window, text, InterfaceLabel(LAB_PRODUCT), platform::kMbOk | platform::kMbIconWarning);
}

void SettleInterruptedSave(HWND window, const std::string& catalogName) {
    SaveTarget target{catalogName, "", ""};
    FindCatalogLocation(catalogName, target.registryPath, target.pdlName);
    if (target.registryPath.empty()) return;
    ReportRecovery(window, RecoverInterruptedSave(CurrentBackupSettings(), target), target);
}

void SettleInterruptedSaves(HWND window) {
    std::vector<std::string> settled;
    for (const CatalogLocation& location : AppState.CatalogLocations) {
        // A name configured in both sections is one catalog.
        if (std::find(settled.begin(), settled.end(), location.CatalogName) != settled.end()) continue;
        settled.push_back(location.CatalogName);
        SettleInterruptedSave(window, location.CatalogName);
    }
}

bool AskSaveWithoutRecord(HWND window, const std::string& catalogName, const std::string& folder,
                          const std::string& reason) {
    const std::string text = FormatText(InterfaceMessage(MSG_RECORD_FAILED), {catalogName, folder, reason});
    return platform::ShowMessageBox(window, text, InterfaceLabel(LAB_PRODUCT),
                                    platform::kMbYesNo | platform::kMbIconWarning) == platform::kIdYes;
}

bool CurrentCatalogIsConfigured() {
    if (AppState.CurrentCatalogName.empty()) return false;
    return std::any_of(AppState.CatalogLocations.begin(), AppState.CatalogLocations.end(),
                       [](const CatalogLocation& l) { return l.CatalogName == AppState.CurrentCatalogName; });
}

void ShowStoredDifferences(HWND window, const std::string& catalogName) {
    SettleInterruptedSave(window, catalogName);
    std::string registryPath;
    std::string pdlName;
    FindCatalogLocation(catalogName, registryPath, pdlName);
    std::vector<PaperDifference> differences;
    long systemError = 0;
    if (CompareWithStore(*AppState.CurrentCatalog, registryPath, pdlName, differences, &systemError) != STORE_OK) {
        ReportCompareFailure(window, catalogName, registryPath, systemError);
        return;
    }
    std::vector<std::string> lines;
    for (const PaperDifference& difference : differences) {
        lines.push_back(DescribeDifference(difference, AppState.CurrentLanguage));
    }
    if (lines.empty()) lines.push_back(InterfaceMessage(MSG_NO_DIFFERENCE));
    CCompareCatalogDlg dialog(std::move(lines));
    dialog.DoModal();
}
