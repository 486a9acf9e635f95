// The File menu's catalog commands, the close test of the main window and the
// title bar. They work on AppState; the framework's document is not involved.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalog/CatalogMerge.h"
#include "catalog/CatalogSave.h"
#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperTable.h"
#include "catalog/PapersFileKind.h"
#include "editor/AdministratorSave.h"
#include "editor/Backups.h"
#include "editor/CatalogChoiceDlg.h"
#include "editor/MergeFromFileDlg.h"
#include "editor/MessageBoxes.h"
#include "editor/StoredChangeDlg.h"
#include "editor/VellicorView.h"
#include "framework/Application.h"
#include "framework/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {
constexpr const char* kCatalogExtension = "cat";

}  // namespace

// True when the command may go on: no typed change is pending, or the user
// chose not to complete it. Otherwise the fields keep what was typed, so the
// user can still click Add or Modify.
bool PassPendingEditGate(CVellicorView& view) {
    return !view.PaperEditPending() || AskCompleteOperation(view.Hwnd()) == IDNO;
}

// True when the command may replace the catalog. A cancelled prompt, or a save
// the prompt could not complete, keeps the catalog marked modified.
bool PassUnsavedChangesGate(HWND window) {
    if (!AppState.CatalogModified) return true;
    const int answer = PromptSaveChanges(window);
    if (answer != IDYES && answer != IDNO) return false;
    // Before any dialog of the command: declined changes are not offered again.
    AppState.CatalogModified = false;
    return true;
}

// After the catalog has been replaced: the list, the default paper's line and
// its fields, then the title bar.
void ShowReplacedCatalog(CVellicorView& view) {
    view.RefreshPaperList();
    view.SelectDefaultPaperLine();
    view.ShowSelectedPaper();
    UpdateMainWindowTitle();
}

void ReplaceCatalogAsStep(CVellicorView& view, EditAction action, std::unique_ptr<CPaperCatalog> replacement,
                          std::string name) {
    const int32_t selectedBefore = view.SelectedPaper();
    CatalogHandle previous = std::move(AppState.CurrentCatalog);
    AppState.CurrentCatalog = std::move(replacement);
    std::string previousName = std::move(AppState.CurrentCatalogName);
    AppState.CurrentCatalogName = std::move(name);
    AppState.CatalogTitle =
        AppState.CurrentCatalogName.empty() ? InterfaceLabel(LAB_UNTITLED) : AppState.CurrentCatalogName;
    ShowReplacedCatalog(view);
    CatalogHistory().RecordWholeCatalog(action, std::move(previous), std::move(previousName), selectedBefore,
                                        view.SelectedPaper());
}

namespace {

// The enabling rules of Save and Save As: a catalog with papers, and for Save
// one that has a configured name. The handlers apply them too: a disabled
// command is not carried out, however its command arrives.
bool SaveAsEnabled() { return AppState.CurrentCatalog && AppState.CurrentCatalog->GetCount() > 0; }

bool SaveEnabled() { return SaveAsEnabled() && !AppState.CurrentCatalogName.empty(); }

}  // namespace

fw::FileDialogRequest PapersFileRequest(bool save, DWORD* chosenFilter) {
    fw::FileDialogRequest request;
    request.save = save;
    // The catalog file's type first, then the spreadsheet's, then the rest.
    const std::string catalogFilter = platform::LoadStringTableText(IDS_CATALOG_FILE_FILTER);
    const size_t first = catalogFilter.find('|');
    const size_t second = first == std::string::npos ? first : catalogFilter.find('|', first + 1);
    if (second == std::string::npos) {
        request.filter = catalogFilter;
    } else {
        request.filter = catalogFilter.substr(0, second + 1) + InterfaceLabel(LAB_CSV_FILE_TYPE) + "   (*.csv)|*.csv|" +
                         catalogFilter.substr(second + 1);
    }
    // With a type chosen, the dialog adds that type's extension to a name typed without one.
    request.defaultExtension = kCatalogExtension;
    request.chosenFilter = chosenFilter;
    if (save) {
        request.initialName = platform::LoadStringTableText(IDS_DEFAULT_EXPORT_NAME);
        request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    } else {
        request.flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    }
    return request;
}

bool ChosenTableFile(const std::string& path, DWORD chosenFilter) {
    if (IsTableFileName(path)) return true;
    if (path.size() >= 4 && platform::FoldRegistryName(path.substr(path.size() - 4)) == ".CAT") return false;
    return chosenFilter == kCsvFilter;
}

void CVellicorView::OnFileNew() { StartNewCatalog(*this); }

void StartNewCatalog(CVellicorView& view) {
    if (!PassPendingEditGate(view)) return;
    EditPendingRelease release(view);
    if (!PassUnsavedChangesGate(view.Hwnd())) return;

    AppState.CurrentCatalogName.clear();
    AppState.CatalogTitle = InterfaceLabel(LAB_UNTITLED);
    CheckCatalogRights();
    BuildDefaultCatalog();
    CatalogHistory().Clear();
    view.RefreshPaperList();
    view.SelectDefaultPaperLine();
    view.ShowSelectedPaper();
}

void CVellicorView::OnFileOpen() {
    if (!PassPendingEditGate(*this)) return;
    EditPendingRelease release(*this);
    if (!PassUnsavedChangesGate(Hwnd())) return;

    COpenCatalogDlg dialog;
    if (dialog.DoModal() != IDOK) return;
    const std::string chosenName = dialog.ChosenName();
    std::string registryPath;
    std::string pdlName;
    FindCatalogLocation(chosenName, registryPath, pdlName);
    SettleInterruptedSave(Hwnd(), chosenName);

    // A failed load leaves the catalog being edited in place, with its name,
    // title and form: an empty catalog must never stand behind a list that
    // still shows papers, nor be saved over a stored catalog.
    StoreReport report;
    if (const int16_t result = OpenCatalogFromStore(registryPath, pdlName, report); result != STORE_OK) {
        ReportStoreFailure(Hwnd(), false, chosenName, registryPath, result, report.SystemError);
        return;
    }
    AppState.CurrentCatalogName = chosenName;
    CatalogHistory().Clear();
    // The load's own reading of the key: Save compares its reading with it.
    AppState.StoredCatalogImage = std::move(report.Image);
    if (AppState.CurrentCatalog->GetCount() == 0) BuildDefaultCatalog();
    AppState.CatalogTitle = AppState.CurrentCatalogName;
    // Asked of the registry before the title bar is written.
    CheckCatalogRights();
    ShowReplacedCatalog(*this);
    // Said once, on opening; a save into the key asks before removing them.
    if (!report.Skipped.empty()) ReportSkippedEntries(Hwnd(), chosenName, registryPath, report.Skipped, false);
}

void CVellicorView::OnFileSave() {
    if (!SaveEnabled()) return;
    if (!PassPendingEditGate(*this)) return;
    EditPendingRelease release(*this);

    // Not stored: the catalog stays marked as changed. Either way the rights
    // may have changed since they were last asked about.
    const bool saved = SaveCatalogAs(Hwnd(), AppState.CurrentCatalogName, true);
    CheckCatalogRights();
    if (saved) CatalogHistory().MarkSaved();
}

void CVellicorView::OnFileSaveAs() {
    if (!SaveAsEnabled()) return;
    if (!PassPendingEditGate(*this)) return;
    EditPendingRelease release(*this);

    CSaveAsCatalogDlg dialog;
    if (dialog.DoModal() != IDOK) return;
    const std::string chosenName = AppState.SaveAsName;
    // Nothing stored there: the catalog keeps its name, its title and its
    // mark, and the chosen catalog does not become openable.
    if (!SaveCatalogAs(Hwnd(), chosenName, false)) return;
    SetCatalogAvailable(chosenName, true);
    AppState.CurrentCatalogName = chosenName;
    AppState.CatalogTitle = chosenName;
    CheckCatalogRights();
    CatalogHistory().MarkSaved();
}

void CVellicorView::OnFileImport() {
    if (!PassPendingEditGate(*this)) return;
    EditPendingRelease release(*this);
    if (!PassUnsavedChangesGate(Hwnd())) return;

    DWORD chosenFilter = 1;
    const std::optional<std::string> path = fw::ShowFileDialog(PapersFileRequest(false, &chosenFilter));
    if (!path) return;
    // Read once: the bytes checked are the bytes imported, whatever happens to
    // the file meanwhile. A refused file leaves the catalog being edited as it was.
    std::string bytes;
    if (const long error = platform::ReadWholeFile(*path, bytes); error != 0) {
        ReportFileFailure(Hwnd(), MSG_IMPORT_FAILED, *path, error);
        return;
    }
    auto imported = std::make_unique<CPaperCatalog>();
    // The content decides, whatever the name or the type chosen.
    if (DetectPapersFileKind(bytes) != PapersFileKind::CatalogFile) {
        // All or nothing: one refused row keeps every row out.
        const PaperTableRead read = ReadPaperTable(bytes);
        if (!read.ok()) {
            ShowRefusal(Hwnd(), PaperTableRefusalMessage(read, TableUse::Import));
            return;
        }
        imported->AppendPapers(read.papers);
    } else {
        if (imported->CheckImportBytes(bytes) != STORE_OK) {
            ShowRefusal(Hwnd(), InterfaceMessage(MSG_IMPORT_REFUSED));
            return;
        }
        imported->ImportFromBytes(bytes);
    }
    // An imported catalog belongs to no configured catalog until Save As.
    ReplaceCatalogAsStep(*this, EditAction::Import, std::move(imported), std::string());
    CheckCatalogRights();
    // As before there was a history: an imported catalog is not marked as changed.
    CatalogHistory().MarkSaved();
}

void CVellicorView::OnFileExport() {
    if (!PassPendingEditGate(*this)) return;
    EditPendingRelease release(*this);

    DWORD chosenFilter = 1;
    const std::optional<std::string> path = fw::ShowFileDialog(PapersFileRequest(true, &chosenFilter));
    if (!path) return;
    StoreReport report;
    NotReadBack lost;
    const bool written = ChosenTableFile(*path, chosenFilter) ? ExportTableFile(*AppState.CurrentCatalog, *path, &report, &lost)
                                                               : AppState.CurrentCatalog->ExportToFile(*path, &report);
    if (!written) {
        ReportExportFailure(Hwnd(), *path, report.SystemError, report.Kept);
    } else if (const std::string note = NotReadBackMessage(lost); !note.empty()) {
        platform::ShowMessageBox(Hwnd(), note, InterfaceLabel(LAB_PRODUCT), MB_OK | MB_ICONWARNING);
    }
}

// The merge changes the catalog in place, as one step to undo; the selected
// paper stays selected, and nothing is stored until the user saves.
void CVellicorView::OnFileMerge() {
    if (!PassPendingEditGate(*this)) return;
    EditPendingRelease release(*this);
    std::unique_ptr<CPaperCatalog> previous = MergeFromFile(Hwnd());
    if (!previous) return;
    const int line = m_nSelectedPaper >= 0 && m_nSelectedPaper < AppState.CurrentCatalog->GetCount() ? m_nSelectedPaper : 0;
    RecordCatalogReplaced(std::move(previous), m_nSelectedPaper, line);
    RefreshPaperList();
    AfterCatalogChange(line);
    FocusPaperList();
}

void CVellicorView::OnFileRestoreVersion() { RestorePreviousVersion(*this); }

void CVellicorView::OnFileCompare() { CompareWithStoredCatalog(Hwnd()); }

void CVellicorView::OnUpdateFileSave(fw::CCmdUI& ui) { ui.Enable(SaveEnabled()); }

void CVellicorView::OnUpdateFileSaveAs(fw::CCmdUI& ui) { ui.Enable(SaveAsEnabled()); }

void CVellicorView::OnUpdateConfiguredCatalog(fw::CCmdUI& ui) { ui.Enable(CurrentCatalogIsConfigured()); }

namespace {

// The one save's questions, put to the user: each entry that is not a paper
// is asked about once, however often the save has to ask again.
class EditorSaveQuestions final : public SaveQuestions {
public:
    EditorSaveQuestions(HWND window, const SaveTarget& target) : window_(window), target_(target) {}

    bool OverwriteChange(const StoredKeyImage&) override { return AskToOverwriteStoredChange(window_, target_.catalogName); }

    bool RemoveEntries(const std::vector<SkippedEntry>& entries) override {
        const bool agreed = std::all_of(entries.begin(), entries.end(), [&](const SkippedEntry& entry) {
            return std::find(agreed_.begin(), agreed_.end(), entry.value.Name) != agreed_.end();
        });
        if (agreed) return true;
        if (ReportSkippedEntries(window_, target_.catalogName, target_.registryPath, entries, true) != IDYES) return false;
        for (const SkippedEntry& entry : entries) agreed_.push_back(entry.value.Name);
        return true;
    }

    bool SaveWithoutBackup(const BackupResult& backup) override { return AskSaveWithoutBackup(window_, backup); }

    bool SaveWithoutRecord(const std::string& folder, const std::string& reason) override {
        return AskSaveWithoutRecord(window_, target_.catalogName, folder, reason);
    }

private:
    HWND window_;
    const SaveTarget& target_;
    std::vector<std::string> agreed_;
};

}  // namespace

bool SaveCatalogAs(HWND window, const std::string& catalogName, bool askIfChangedElsewhere) {
    SaveTarget target{catalogName, "", ""};
    FindCatalogLocation(catalogName, target.registryPath, target.pdlName);
    // A key this user cannot write is saved by the companion, started as
    // administrator, once the user agrees.
    if (KeyIsReadOnly(target.registryPath)) {
        return AskSaveAsAdministrator(window, catalogName, target.registryPath) &&
               SaveAsAdministrator(window, catalogName, askIfChangedElsewhere);
    }
    SaveRequest request{target, StoredValuesOf(*AppState.CurrentCatalog, target.pdlName),
                        askIfChangedElsewhere ? AppState.StoredCatalogImage : std::nullopt, CurrentBackupSettings()};
    EditorSaveQuestions questions(window, target);
    SaveResult result = SaveCatalog(request, questions);
    ReportRecovery(window, result.recovery, target);
    if (result.outcome == SaveOutcome::Saved) {
        // What the key holds now, remembered without reading it again.
        AppState.StoredCatalogImage = std::move(result.image);
        return true;
    }
    // Rights the registry did not show beforehand are offered to an administrator.
    return ReportSaveFailure(window, target, result) == IDYES && SaveAsAdministrator(window, catalogName, askIfChangedElsewhere);
}

int16_t OpenCatalogFromStore(const std::string& registryPath, const std::string& pdlName, StoreReport& report) {
    auto catalog = std::make_unique<CPaperCatalog>();
    const int16_t result = catalog->LoadFromRegistry(registryPath, pdlName, &report);
    if (result == STORE_OK) AppState.CurrentCatalog = std::move(catalog);
    return result;
}

void UpdateMainWindowTitle() {
    HWND frame = fw::MainWindowHandle();
    if (!frame) return;
    std::string title = InterfaceLabel(LAB_PRODUCT) + " - " + AppState.CatalogTitle;
    if (AppState.CatalogReadOnly) title += " " + InterfaceLabel(LAB_READ_ONLY);
    SetWindowTextA(frame, title.c_str());
}

void SetCatalogAvailable(const std::string& catalogName, bool available) {
    for (CatalogLocation& location : AppState.CatalogLocations) {
        if (location.CatalogName == catalogName) {
            location.Available = available;
            return;
        }
    }
}

int QueryCloseMainWindow(HWND owner) {
    CVellicorView* view = CurrentView();
    if (view && view->PaperEditPending() && AskCompleteOperation(owner) != IDNO) return IDCANCEL;
    int answer = IDYES;
    if (AppState.CatalogModified) answer = PromptSaveChanges(owner);
    if (view) view->DropPendingEdit();
    return answer;
}
