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
#include "editor/RestoreVersionDlg.h"
#include "editor/VellicorView.h"
#include "framework/Application.h"
#include "framework/FormView.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"


std::string BackupLine(const BackupEntry& entry) {
    char when[32];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", entry.time.year, entry.time.month, entry.time.day,
                  entry.time.hour, entry.time.minute, entry.time.second);
    std::string count = entry.paperCount < 0 ? InterfaceLabel(LAB_BACKUP_NOT_CATALOG)
                                             : FormatText(InterfaceLabel(LAB_BACKUP_PAPERS), {std::to_string(entry.paperCount)});
    // Listed last, and said so: a date ahead of the clock is no sign of a recent backup.
    if (entry.future) count += " " + InterfaceLabel(LAB_BACKUP_FUTURE_DATE);
    return std::string(when) + "\t" + count;
}


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

void RestorePreviousVersion(CVellicorView& view) {
    if (!CurrentCatalogIsConfigured()) return;
    const HWND window = view.Hwnd();
    SettleInterruptedSave(window, AppState.CurrentCatalogName);
    std::string registryPath;
    std::string pdlName;
    FindCatalogLocation(AppState.CurrentCatalogName, registryPath, pdlName);
    const BackupSettings settings = CurrentBackupSettings();
    const std::string folder = BackupFolderFor(settings, AppState.CurrentCatalogName, registryPath);
    std::vector<BackupEntry> backups;
    std::string reason;
    if (!ListBackups(settings, AppState.CurrentCatalogName, registryPath, pdlName, platform::CurrentLocalTime(), backups,
                     reason)) {
        ShowRefusal(window, FormatText(InterfaceMessage(MSG_BACKUPS_NOT_LISTED), {folder, reason}));
        return;
    }
    if (backups.empty()) {
        ShowRefusal(window, FormatText(InterfaceMessage(MSG_NO_BACKUP_YET), {folder}));
        return;
    }

    // The choice comes first, so that Cancel changes nothing and asks nothing.
    CRestoreVersionDlg dialog(std::move(backups));
    if (dialog.DoModal() != IDOK) return;
    // Read before anything is asked or replaced: a backup that cannot be read
    // leaves the catalog being edited as it was.
    auto restored = std::make_unique<CPaperCatalog>();
    if (!ReadBackup(dialog.ChosenPath(), pdlName, *restored) || restored->GetCount() == 0) {
        ShowRefusal(window, FormatText(InterfaceMessage(MSG_BACKUP_UNREADABLE), {dialog.ChosenPath()}));
        return;
    }

    if (!PassPendingEditGate(view)) return;
    EditPendingRelease release(view);
    if (!PassUnsavedChangesGate(window)) return;
    // The save offer may have saved the catalog under a name chosen then; the
    // version restored belongs to the catalog the backup was made of.
    // Nothing is stored until the user saves: the restored version is a change,
    // one step that Undo takes back.
    ReplaceCatalogAsStep(view, EditAction::RestoreVersion, std::move(restored), AppState.CurrentCatalogName);
}

void CompareWithStoredCatalog(HWND window) {
    if (!CurrentCatalogIsConfigured()) return;
    ShowStoredDifferences(window, AppState.CurrentCatalogName);
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
