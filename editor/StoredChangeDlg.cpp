#include "editor/StoredChangeDlg.h"

#include <algorithm>
#include <utility>
#include <iterator>

#include "editor/Backups.h"
#include "editor/Relabel.h"
#include "framework/Controls.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {
// Added to a button's text width, as in the catalog dialogs.
constexpr int kButtonTextMargin = 20;

}  // namespace

bool AskToOverwriteStoredChange(HWND window, const std::string& catalogName) {
    for (;;) {
        CStoredChangeDlg question(catalogName);
        const INT_PTR answer = question.DoModal(window);
        if (answer != IDC_STORED_CHANGE_DIFFERENCES) return answer == IDC_STORED_CHANGE_OVERWRITE;
        ShowStoredDifferences(window, catalogName);
    }
}

CStoredChangeDlg::CStoredChangeDlg(std::string catalogName)
    : fw::CDialog(IDD_STORED_CHANGE), catalogName_(std::move(catalogName)) {}

bool CStoredChangeDlg::OnInitDialog() {
    SetItemLabel(Hwnd(), 0, 0, LAB_CHANGED_CAPTION);
    SetItemLabel(Hwnd(), IDC_STORED_CHANGE_OVERWRITE, 0, LAB_OVERWRITE);
    SetItemLabel(Hwnd(), IDC_STORED_CHANGE_DIFFERENCES, 0, LAB_SHOW_DIFFERENCES);
    SetItemLabel(Hwnd(), IDCANCEL, 0, LAB_CANCEL);
    const std::string text = FormatText(InterfaceMessage(MSG_CHANGED_ELSEWHERE), {catalogName_});
    SetDlgItemTextA(Hwnd(), IDC_STORED_CHANGE_TEXT, text.c_str());
    fw::CStatic(Item(IDC_STORED_CHANGE_ICON)).SetIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32515) /* IDI_WARNING */));
    FitButtons();
    // The focus on the default button, away from Overwrite.
    SetFocus(Item(IDC_STORED_CHANGE_DIFFERENCES));
    return false;
}

// Each button as wide as its text needs (never narrower than in the
// template), in a row ending at the Cancel button's right edge, with the
// template's gaps between them.
void CStoredChangeDlg::FitButtons() {
    const HWND row[] = {Item(IDC_STORED_CHANGE_OVERWRITE), Item(IDC_STORED_CHANGE_DIFFERENCES), Item(IDCANCEL)};

    const RECT cancel = fw::RectInParent(Item(IDCANCEL), Hwnd());
    const RECT differences = fw::RectInParent(Item(IDC_STORED_CHANGE_DIFFERENCES), Hwnd());
    const int gap = cancel.left - differences.right;
    const int templateWidth = cancel.right - cancel.left;
    int right = cancel.right;
    for (auto button = std::rbegin(row); button != std::rend(row); ++button) {
        const int width = std::max<int>(templateWidth, MeasureItemText(*button) + kButtonTextMargin);
        MoveWindow(*button, right - width, cancel.top, width, cancel.bottom - cancel.top, FALSE);
        right -= width + gap;
    }
}

bool CStoredChangeDlg::OnNotify(int controlId, UINT code) {
    if (code != BN_CLICKED) return false;
    if (controlId == IDC_STORED_CHANGE_OVERWRITE || controlId == IDC_STORED_CHANGE_DIFFERENCES) {
        EndDialog(controlId);
        return true;
    }
    return false;
}

void CStoredChangeDlg::OnOK() { EndDialog(IDC_STORED_CHANGE_DIFFERENCES); }
