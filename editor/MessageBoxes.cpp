#include "editor/MessageBoxes.h"

#include <cstdio>
#include <string>

#include "catalog/PaperCatalog.h"
#include "editor/CatalogDialogs.h"
#include "editor/VellicorView.h"
#include "framework/Application.h"
#include "platform/MessageBox.h"
#include "platform/System.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

constexpr int16_t kProductLabel = 10109;

// The file name without its directories, whichever separator the compiler used.
std::string BareFileName(const char* path) {
    const std::string full(path ? path : "");
    const size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? full : full.substr(slash + 1);
}

std::string FormatErrorLocation(const std::string& message, const std::string& file, int line) {
    std::string format = platform::LoadStringTableText(IDS_ERROR_LOCATION);
    if (format.empty()) format = TXT_ERROR_LOCATION;
    const int length = std::snprintf(nullptr, 0, format.c_str(), message.c_str(), file.c_str(), line);
    if (length <= 0) return message;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format.c_str(), message.c_str(), file.c_str(), line);
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

void ShowRefusal(HWND owner, const std::string& text) {
    platform::ShowMessageBox(owner, text, InterfaceLabel(kProductLabel), platform::kMbOk | platform::kMbIconHand);
}

int AskCompleteOperation(HWND window) {
    const std::string text = InterfaceMessage(19002) + "\n\n" + InterfaceMessage(19003);
    return platform::ShowMessageBox(window, text, InterfaceLabel(kProductLabel), platform::kMbYesNo | platform::kMbIconWarning);
}

int PromptSaveChanges(HWND window) {
    const std::string text =
        InterfaceMessage(19000) + "\n" + InterfaceMessage(3524) + " " + AppState.CatalogTitle + "\n\n" + InterfaceMessage(15019);
    const int answer = platform::ShowMessageBox(window, text, InterfaceLabel(kProductLabel), platform::kMbYesNoCancel);
    if (answer != platform::kIdYes) return answer;

    const std::string previousName = AppState.CurrentCatalogName;
    const std::string previousTitle = AppState.CatalogTitle;
    const bool askedForName = AppState.CurrentCatalogName.empty();
    if (askedForName) {
        CSaveAsCatalogDlg dialog;
        if (dialog.DoModal() != IDOK) return platform::kIdCancel;
        AppState.CurrentCatalogName = AppState.SaveAsName;
        AppState.CatalogTitle = AppState.SaveAsName;
    }

    const int16_t result = SaveCatalogAs(AppState.CurrentCatalogName);
    if (result != STORE_OK) {
        // Not saved under the chosen name, so the catalog does not carry it;
        // the caller stops, and the changes are still there to be saved.
        AppState.CurrentCatalogName = previousName;
        AppState.CatalogTitle = previousTitle;
        ReportSaveFailure(window, result);
        return platform::kIdCancel;
    }
    // The key exists now: Open offers the catalog from now on, as after Save As.
    SetCatalogAvailable(AppState.CurrentCatalogName, true);
    // The caller may yet stop (a cancelled Open or Import): the title bar
    // must already name the catalog it was saved as.
    if (askedForName) UpdateMainWindowTitle();
    return platform::kIdYes;
}

void ReportInternalError(int kind, std::source_location where) {
    const unsigned messageId = kind == 1   ? IDS_REGISTRY_OPEN_FAILED
                               : kind == 2 ? IDS_REGISTRY_DISPOSITION
                                           : IDS_INTERNAL_ERROR;
    const std::string text = FormatErrorLocation(platform::LoadStringTableText(messageId),
                                                 BareFileName(where.file_name()), static_cast<int>(where.line()));
    CVellicorView* view = CurrentView();
    HWND owner = view && view->Hwnd() ? view->Hwnd() : fw::MainWindowHandle();
    platform::ShowMessageBox(owner, text, platform::LoadStringTableText(IDS_APP_TITLE),
                             platform::kMbOk | platform::kMbIconHand);
}

void ReportSaveFailure(HWND window, int16_t code, std::source_location where) {
    // The user declined to save without a backup: the question said it all.
    if (code == STORE_SAVE_DECLINED) return;
    if (code == STORE_NAME_CASE_COLLISION) {
        ShowRefusal(window, InterfaceMessage(19004));
        return;
    }
    ReportInternalError(code, where);
}
