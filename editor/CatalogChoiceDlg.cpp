#include "editor/CatalogChoiceDlg.h"

#include <algorithm>

#include "editor/Relabel.h"
#include "framework/FormView.h"
#include "resources/resource.h"
#include "state/AppState.h"
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

bool CCatalogChoiceDlg::OnInitDialog() {
    m_btnCancel = Item(IDCANCEL);
    m_listCatalogs = Item(layout_.listId);
    m_btnAction = Item(layout_.actionId);

    SetItemLabel(Hwnd(), 0, 0, layout_.captionLabel);
    SetItemLabel(Hwnd(), layout_.labelId, 0, LAB_CATALOGS);
    SetItemLabel(Hwnd(), layout_.actionId, layout_.actionTextFlags, layout_.actionLabel);
    SetItemLabel(Hwnd(), IDCANCEL, 0, LAB_CANCEL);
    // After the labels, so that the translated texts are measured.
    FitDialogButtons(Hwnd(), m_btnAction, m_btnCancel);
    FillCatalogList(m_listCatalogs, layout_.availableOnly);
    return true;
}

bool CCatalogChoiceDlg::OnNotify(int controlId, UINT code) {
    if (controlId == layout_.listId && code == LBN_SELCHANGE) {
        EnableWindow(m_btnAction, TRUE);
        return true;
    }
    if (controlId == layout_.actionId && code == BN_CLICKED) {
        Choose();
        return true;
    }
    return false;
}

// Enter while the action button is still disabled: no catalog is chosen, so the
// dialog must not end with OK. The beep says the key had no effect, as a
// refused keystroke does everywhere else in the program.
void CCatalogChoiceDlg::OnOK() {
    if (SendMessageA(m_listCatalogs, LB_GETCURSEL, 0, 0) == LB_ERR) {
        MessageBeep(MB_OK);
        return;
    }
    Choose();
}

void CCatalogChoiceDlg::Choose() {
    const LRESULT line = SendMessageA(m_listCatalogs, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR) return;
    TakeChoice(fw::GetListLineText(m_listCatalogs, static_cast<int>(line)));
    EndDialog(IDOK);
}

COpenCatalogDlg::COpenCatalogDlg()
    : CCatalogChoiceDlg({IDD_OPEN_CATALOG, IDC_OPEN_LABEL, IDC_OPEN_LIST, IDC_OPEN_BUTTON, LAB_OPEN_CAPTION, LAB_OPEN_BUTTON, 0, true}) {}

// Any configured catalog can be saved to, whether or not its key exists yet.
CSaveAsCatalogDlg::CSaveAsCatalogDlg()
    : CCatalogChoiceDlg({IDD_SAVE_AS_CATALOG, IDC_SAVE_AS_LABEL, IDC_SAVE_AS_LIST, IDC_SAVE_AS_BUTTON, LAB_SAVE_AS_CAPTION, LAB_SAVE_AS_BUTTON,
                         TF_NO_PERIOD, false}) {}

void CSaveAsCatalogDlg::TakeChoice(const std::string& catalogName) { AppState.SaveAsName = catalogName; }
