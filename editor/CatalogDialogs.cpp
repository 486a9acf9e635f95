#include "editor/CatalogDialogs.h"

#include <algorithm>
#include <optional>

#include "app/AppState.h"
#include "resources/resource.h"
#include "text/Relabel.h"
#include "text/StringLists.h"

namespace {

// Added to the wider button text so the text never touches the button's edges.
constexpr int kButtonTextMargin = 20;

// One line per configured catalog, in the configuration's order.
void FillCatalogList(HWND list, bool availableOnly) {
    for (const CatalogLocation& location : AppState.CatalogLocations) {
        if (availableOnly && !location.Available) continue;
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(location.CatalogName.c_str()));
    }
}

// The text of the list's selected line; none while no line is selected.
std::optional<std::string> SelectedLine(HWND list) {
    const LRESULT line = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR) return std::nullopt;
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
    if (length == LB_ERR) return std::nullopt;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text.data()));
    if (copied == LB_ERR) return std::nullopt;
    text.resize(static_cast<size_t>(copied));
    return text;
}

RECT RectInParent(HWND child, HWND parent) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

// Both buttons grow or shrink to the left: Cancel keeps its right edge, the
// action button its gap to Cancel. The positions are taken in the dialog's
// client coordinates as the system computes them rather than by subtracting
// frame and caption metrics, which differ from the real frame on some systems.
void FitDialogButtons(HWND dialog, HWND actionButton, HWND cancelButton) {
    if (!dialog || !actionButton || !cancelButton) return;
    const int16_t actionWidth = MeasureItemText(actionButton);
    const int16_t cancelWidth = MeasureItemText(cancelButton);
    const int width = std::max(actionWidth, cancelWidth) + kButtonTextMargin;

    const RECT action = RectInParent(actionButton, dialog);
    const int growth = width - (action.right - action.left);
    MoveWindow(actionButton, action.left - 2 * growth, action.top, width, action.bottom - action.top, FALSE);

    const RECT cancel = RectInParent(cancelButton, dialog);
    MoveWindow(cancelButton, cancel.left - growth, cancel.top, width, cancel.bottom - cancel.top, FALSE);
}

// --- Open a Catalog ---

COpenCatalogDlg::COpenCatalogDlg() : fw::CDialog(IDD_OPEN_CATALOG) {}

bool COpenCatalogDlg::OnInitDialog() {
    m_btnCancel = Item(IDCANCEL);
    m_btnOpen = Item(IDC_OPEN_BUTTON);
    m_listCatalogs = Item(IDC_OPEN_LIST);

    SetItemLabel(Hwnd(), 0, 0, 10110);
    SetItemLabel(Hwnd(), IDC_OPEN_LABEL, 0, 2040);
    SetItemLabel(Hwnd(), IDC_OPEN_BUTTON, 0, 10104);
    SetItemLabel(Hwnd(), IDCANCEL, 0, 10105);
    FitDialogButtons(Hwnd(), m_btnOpen, m_btnCancel);
    // Only the catalogs whose key could be read can be opened.
    FillCatalogList(m_listCatalogs, true);
    return true;
}

bool COpenCatalogDlg::OnNotify(int controlId, UINT code) {
    if (controlId == IDC_OPEN_LIST && code == LBN_SELCHANGE) {
        EnableWindow(m_btnOpen, TRUE);
        return true;
    }
    if (controlId == IDC_OPEN_BUTTON && code == BN_CLICKED) {
        TakeChoice();
        return true;
    }
    return false;
}

// Enter while the Open button is still disabled: no catalog is chosen, so the
// dialog must not end with OK. The beep says the key had no effect, as a
// refused keystroke does everywhere else in the program.
void COpenCatalogDlg::OnOK() {
    if (SendMessageA(m_listCatalogs, LB_GETCURSEL, 0, 0) == LB_ERR) {
        MessageBeep(MB_OK);
        return;
    }
    TakeChoice();
}

void COpenCatalogDlg::TakeChoice() {
    std::optional<std::string> line = SelectedLine(m_listCatalogs);
    if (!line) return;
    chosenName_ = *line;
    EndDialog(IDOK);
}

// --- Save As Catalog ---

CSaveAsCatalogDlg::CSaveAsCatalogDlg() : fw::CDialog(IDD_SAVE_AS_CATALOG) {}

bool CSaveAsCatalogDlg::OnInitDialog() {
    m_btnCancel = Item(IDCANCEL);
    m_listCatalogs = Item(IDC_SAVE_AS_LIST);
    m_btnSaveAs = Item(IDC_SAVE_AS_BUTTON);

    SetItemLabel(Hwnd(), 0, 0, 10111);
    SetItemLabel(Hwnd(), IDC_SAVE_AS_LABEL, 0, 2040);
    SetItemLabel(Hwnd(), IDC_SAVE_AS_BUTTON, TF_NO_PERIOD, 10064);
    SetItemLabel(Hwnd(), IDCANCEL, 0, 10105);
    FitDialogButtons(Hwnd(), m_btnSaveAs, m_btnCancel);
    // Any configured catalog can be saved to, whether or not its key exists yet.
    FillCatalogList(m_listCatalogs, false);
    return true;
}

bool CSaveAsCatalogDlg::OnNotify(int controlId, UINT code) {
    if (controlId == IDC_SAVE_AS_LIST && code == LBN_SELCHANGE) {
        EnableWindow(m_btnSaveAs, TRUE);
        return true;
    }
    if (controlId == IDC_SAVE_AS_BUTTON && code == BN_CLICKED) {
        TakeChoice();
        return true;
    }
    return false;
}

// As in Open a Catalog: without a chosen line Enter only beeps.
void CSaveAsCatalogDlg::OnOK() {
    if (SendMessageA(m_listCatalogs, LB_GETCURSEL, 0, 0) == LB_ERR) {
        MessageBeep(MB_OK);
        return;
    }
    TakeChoice();
}

void CSaveAsCatalogDlg::TakeChoice() {
    std::optional<std::string> line = SelectedLine(m_listCatalogs);
    if (!line) return;
    AppState.SaveAsName = *line;
    EndDialog(IDOK);
}
