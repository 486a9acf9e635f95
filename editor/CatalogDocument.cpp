#include "editor/CatalogDocument.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog/CatalogSave.h"
#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "editor/AdministratorSave.h"
#include "editor/Backups.h"
#include "editor/CatalogChoiceDlg.h"
#include "editor/CatalogRights.h"
#include "editor/MessageBoxes.h"
#include "editor/StoredChangeDlg.h"
#include "editor/VellicorView.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "state/AppState.h"
#include "text/StringLists.h"

// True when the command may replace the catalog. A cancelled prompt, or a save
// the prompt could not complete, keeps the catalog marked modified.
bool PassUnsavedChangesGate(HWND window) {
    if (!CatalogModified()) return true;
    const int answer = PromptSaveChanges(window);
    if (answer != IDYES && answer != IDNO) return false;
    // Before any dialog of the command: declined changes are not offered again.
    CatalogHistory().MarkSaved();
    return true;
}

int PromptSaveChanges(HWND window) {
    const std::string text =
        InterfaceMessage(MSG_SAVE_OFFER_CHANGED) + "\n" + InterfaceMessage(MSG_CATALOG) + " " + CatalogTitle() + "\n\n" + InterfaceMessage(MSG_SAVE_OFFER_QUESTION);
    const int answer = platform::ShowMessageBox(window, text, InterfaceLabel(LAB_PRODUCT), platform::kMbYesNoCancel);
    if (answer != platform::kIdYes) return answer;

    const std::string previousName = AppState.CurrentCatalogName;
    const bool askedForName = AppState.CurrentCatalogName.empty();
    if (askedForName) {
        CSaveAsCatalogDlg dialog;
        if (dialog.DoModal() != IDOK) return platform::kIdCancel;
        AppState.CurrentCatalogName = AppState.SaveAsName;
    }

    // Not stored (or not overwritten): the caller stops, and the changes are still there.
    if (!SaveCatalogAs(window, AppState.CurrentCatalogName, !askedForName)) {
        // Not saved under the chosen name, so the catalog does not carry it;
        // the caller stops, and the changes are still there to be saved.
        AppState.CurrentCatalogName = previousName;
        return platform::kIdCancel;
    }
    // The key exists now: Open offers the catalog from now on, as after Save As.
    SetCatalogAvailable(AppState.CurrentCatalogName, true);
    // Undoing back to what was just stored leaves nothing to save.
    CatalogHistory().MarkSaved();
    CheckCatalogRights();
    // The caller may yet stop (a cancelled Open or Import): the title bar
    // must already name the catalog it was saved as.
    if (askedForName) UpdateMainWindowTitle();
    return platform::kIdYes;
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
    ShowReplacedCatalog(view);
    CatalogHistory().RecordWholeCatalog(action, std::move(previous), std::move(previousName), selectedBefore,
                                        view.SelectedPaper());
}

void RecordCatalogReplaced(std::unique_ptr<CPaperCatalog> previous, int selectedBefore, int selectedAfter) {
    CatalogHistory().RecordWholeCatalog(EditAction::Merge, CatalogHandle(std::move(previous)),
                                        AppState.CurrentCatalogName, selectedBefore, selectedAfter);
}

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
    if (platform::KeyIsReadOnly(target.registryPath)) {
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
    if (CatalogModified()) answer = PromptSaveChanges(owner);
    if (view) view->DropPendingEdit();
    return answer;
}
