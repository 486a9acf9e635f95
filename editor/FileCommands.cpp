#include "editor/FileCommands.h"

#include <commdlg.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalog/CatalogBackup.h"
#include "catalog/CatalogMerge.h"
#include "catalog/CatalogSave.h"
#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperTable.h"
#include "catalog/PapersFileKind.h"
#include "editor/Backups.h"
#include "editor/CatalogChoiceDlg.h"
#include "editor/CatalogDocument.h"
#include "editor/CatalogRights.h"
#include "editor/FormCommands.h"
#include "editor/GetMediaDlg.h"
#include "editor/MergeFromFileDlg.h"
#include "editor/MessageBoxes.h"
#include "editor/PapersFileDialog.h"
#include "editor/RestoreVersionDlg.h"
#include "editor/VellicorView.h"
#include "framework/Application.h"
#include "framework/FileDialog.h"
#include "framework/MessageMap.h"
#include "media/JdfMedia.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/System.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

// The enabling rules of Save and Save As: a catalog with papers, and for Save
// one that has a configured name. The handlers apply them too: a disabled
// command is not carried out, however its command arrives.
bool SaveAsEnabled() { return AppState.CurrentCatalog && AppState.CurrentCatalog->GetCount() > 0; }

bool SaveEnabled() { return SaveAsEnabled() && !AppState.CurrentCatalogName.empty(); }

}  // namespace

void StartNewCatalog(CVellicorView& view) {
    if (!view.PassPendingEditGate()) return;
    EditPendingRelease release(view);
    if (!PassUnsavedChangesGate(view.Hwnd())) return;

    AppState.CurrentCatalogName.clear();
    CheckCatalogRights();
    BuildDefaultCatalog();
    CatalogHistory().Clear();
    view.RefreshPaperList();
    view.SelectDefaultPaperLine();
    view.ShowSelectedPaper();
}

namespace {

void OpenCatalog(CVellicorView& view) {
    if (!view.PassPendingEditGate()) return;
    EditPendingRelease release(view);
    if (!PassUnsavedChangesGate(view.Hwnd())) return;

    COpenCatalogDlg dialog;
    if (dialog.DoModal() != IDOK) return;
    const std::string chosenName = dialog.ChosenName();
    std::string registryPath;
    std::string pdlName;
    FindCatalogLocation(chosenName, registryPath, pdlName);
    SettleInterruptedSave(view.Hwnd(), chosenName);

    // A failed load leaves the catalog being edited in place, with its name,
    // title and form: an empty catalog must never stand behind a list that
    // still shows papers, nor be saved over a stored catalog.
    StoreReport report;
    if (const int16_t result = OpenCatalogFromStore(registryPath, pdlName, report); result != STORE_OK) {
        ReportStoreFailure(view.Hwnd(), false, chosenName, registryPath, result, report.SystemError);
        return;
    }
    AppState.CurrentCatalogName = chosenName;
    CatalogHistory().Clear();
    // The load's own reading of the key: Save compares its reading with it.
    AppState.StoredCatalogImage = std::move(report.Image);
    if (AppState.CurrentCatalog->GetCount() == 0) BuildDefaultCatalog();
    // Asked of the registry before the title bar is written.
    CheckCatalogRights();
    ShowReplacedCatalog(view);
    // Said once, on opening; a save into the key asks before removing them.
    if (!report.Skipped.empty()) ReportSkippedEntries(view.Hwnd(), chosenName, registryPath, report.Skipped, false);
}

void SaveCurrentCatalog(CVellicorView& view) {
    if (!SaveEnabled()) return;
    if (!view.PassPendingEditGate()) return;
    EditPendingRelease release(view);

    // Not stored: the catalog stays marked as changed. Either way the rights
    // may have changed since they were last asked about.
    const bool saved = SaveCatalogAs(view.Hwnd(), AppState.CurrentCatalogName, true);
    CheckCatalogRights();
    if (saved) CatalogHistory().MarkSaved();
}

void SaveCatalogUnderName(CVellicorView& view) {
    if (!SaveAsEnabled()) return;
    if (!view.PassPendingEditGate()) return;
    EditPendingRelease release(view);

    CSaveAsCatalogDlg dialog;
    if (dialog.DoModal() != IDOK) return;
    const std::string chosenName = AppState.SaveAsName;
    // Nothing stored there: the catalog keeps its name, its title and its
    // mark, and the chosen catalog does not become openable.
    if (!SaveCatalogAs(view.Hwnd(), chosenName, false)) return;
    SetCatalogAvailable(chosenName, true);
    AppState.CurrentCatalogName = chosenName;
    CheckCatalogRights();
    CatalogHistory().MarkSaved();
}

void ImportCatalog(CVellicorView& view) {
    if (!view.PassPendingEditGate()) return;
    EditPendingRelease release(view);
    if (!PassUnsavedChangesGate(view.Hwnd())) return;

    DWORD chosenFilter = 1;
    const std::optional<std::string> path = fw::ShowFileDialog(PapersFileRequest(false, &chosenFilter));
    if (!path) return;
    // Read once: the bytes checked are the bytes imported, whatever happens to
    // the file meanwhile. A refused file leaves the catalog being edited as it was.
    std::string bytes;
    if (const long error = platform::ReadWholeFile(*path, bytes); error != 0) {
        ReportFileFailure(view.Hwnd(), MSG_IMPORT_FAILED, *path, error);
        return;
    }
    auto imported = std::make_unique<CPaperCatalog>();
    // The content decides, whatever the name or the type chosen.
    const PapersFileKind kind = DetectPapersFileKind(bytes);
    if (kind == PapersFileKind::JdfMedia) {
        const JdfMediaRead read = ReadJdfMedia(bytes, AppState.CurrentLanguage);
        if (!read.ok()) {
            ShowRefusal(view.Hwnd(), JdfRefusalMessage(read, TableUse::Import));
            return;
        }
        imported->AppendPapers(read.papers);
    } else if (kind != PapersFileKind::CatalogFile) {
        // All or nothing: one refused row keeps every row out.
        const PaperTableRead read = ReadPaperTable(bytes);
        if (!read.ok()) {
            ShowRefusal(view.Hwnd(), PaperTableRefusalMessage(read, TableUse::Import));
            return;
        }
        imported->AppendPapers(read.papers);
    } else {
        if (imported->CheckImportBytes(bytes) != STORE_OK) {
            ShowRefusal(view.Hwnd(), InterfaceMessage(MSG_IMPORT_REFUSED));
            return;
        }
        imported->ImportFromBytes(bytes);
    }
    // An imported catalog belongs to no configured catalog until Save As.
    ReplaceCatalogAsStep(view, EditAction::Import, std::move(imported), std::string());
    CheckCatalogRights();
    // As before there was a history: an imported catalog is not marked as changed.
    CatalogHistory().MarkSaved();
}

void ExportCatalog(CVellicorView& view) {
    if (!view.PassPendingEditGate()) return;
    EditPendingRelease release(view);

    DWORD chosenFilter = 1;
    const std::optional<std::string> path = fw::ShowFileDialog(PapersFileRequest(true, &chosenFilter));
    if (!path) return;
    StoreReport report;
    NotReadBack lost;
    const bool jdf = ChosenJdfFile(*path, chosenFilter);
    const bool written = jdf ? ExportJdfFile(*AppState.CurrentCatalog, *path, CatalogTitle(), &report, &lost)
                         : ChosenTableFile(*path, chosenFilter) ? ExportTableFile(*AppState.CurrentCatalog, *path, &report, &lost)
                                                                : AppState.CurrentCatalog->ExportToFile(*path, &report);
    if (!written) {
        ReportExportFailure(view.Hwnd(), *path, report.SystemError, report.Kept);
    } else if (const std::string note = jdf ? NotReadBackMessage(lost, MSG_JDF_NOT_READ_BACK) : NotReadBackMessage(lost); !note.empty()) {
        platform::ShowMessageBox(view.Hwnd(), note, InterfaceLabel(LAB_PRODUCT), MB_OK | MB_ICONWARNING);
    }
}

// A merge changes the catalog in place, as one step to undo; the selected
// paper stays selected, and nothing is stored until the user saves.
void ShowMerged(CVellicorView& view, std::unique_ptr<CPaperCatalog> previous) {
    if (!previous) return;
    const int32_t selected = view.SelectedPaper();
    const int line = selected >= 0 && selected < AppState.CurrentCatalog->GetCount() ? selected : 0;
    RecordCatalogReplaced(std::move(previous), selected, line);
    view.RefreshPaperList();
    view.AfterCatalogChange(line);
    view.FocusPaperList();
}

void MergeCatalogFile(CVellicorView& view) {
    if (!view.PassPendingEditGate()) return;
    EditPendingRelease release(view);
    ShowMerged(view, MergeFromFile(view.Hwnd()));
}

// Enabled as the form's state says: any catalog in the form may take the printer's media.
bool GetMediaEnabled() {
    FormState state;
    state.catalog = AppState.CurrentCatalog.get();
    return EnabledCommands(state).getMedia;
}

void MergePrinterMedia(CVellicorView& view) {
    if (!GetMediaEnabled()) return;
    if (!view.PassPendingEditGate()) return;
    EditPendingRelease release(view);
    ShowMerged(view, GetMediaFromPrinter(view.Hwnd()));
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

    if (!view.PassPendingEditGate()) return;
    EditPendingRelease release(view);
    if (!PassUnsavedChangesGate(window)) return;
    // The save offer may have saved the catalog under a name chosen then; the
    // version restored belongs to the catalog the backup was made of.
    // Nothing is stored until the user saves: the restored version is a change,
    // one step that Undo takes back.
    ReplaceCatalogAsStep(view, EditAction::RestoreVersion, std::move(restored), AppState.CurrentCatalogName);
}

void CompareWithStoredCatalog(CVellicorView& view) {
    if (!CurrentCatalogIsConfigured()) return;
    ShowStoredDifferences(view.Hwnd(), AppState.CurrentCatalogName);
}

}  // namespace

bool FileCommand(CVellicorView& view, UINT id) {
    switch (id) {
        case ID_FILE_NEW:
        case ID_FILE_CLOSE: StartNewCatalog(view); return true;
        case ID_FILE_OPEN: OpenCatalog(view); return true;
        case ID_FILE_SAVE: SaveCurrentCatalog(view); return true;
        case ID_FILE_SAVE_AS: SaveCatalogUnderName(view); return true;
        case ID_FILE_IMPORT: ImportCatalog(view); return true;
        case ID_FILE_EXPORT: ExportCatalog(view); return true;
        case ID_FILE_MERGE: MergeCatalogFile(view); return true;
        case ID_FILE_GET_MEDIA: MergePrinterMedia(view); return true;
        case ID_FILE_RESTORE_VERSION: RestorePreviousVersion(view); return true;
        case ID_FILE_COMPARE: CompareWithStoredCatalog(view); return true;
        default: return false;
    }
}

bool UpdateFileCommand(fw::CCmdUI& ui) {
    switch (ui.Id()) {
        case ID_FILE_SAVE: ui.Enable(SaveEnabled()); return true;
        case ID_FILE_SAVE_AS: ui.Enable(SaveAsEnabled()); return true;
        case ID_FILE_RESTORE_VERSION:
        case ID_FILE_COMPARE: ui.Enable(CurrentCatalogIsConfigured()); return true;
        case ID_FILE_NEW:
        case ID_FILE_CLOSE:
        case ID_FILE_OPEN:
        case ID_FILE_IMPORT:
        case ID_FILE_EXPORT:
        case ID_FILE_MERGE: ui.Enable(true); return true;
        case ID_FILE_GET_MEDIA: ui.Enable(GetMediaEnabled()); return true;
        default: return false;
    }
}
