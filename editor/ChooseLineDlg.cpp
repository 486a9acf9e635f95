#include "editor/ChooseLineDlg.h"

#include <algorithm>

#include "editor/Relabel.h"

namespace {

// Added to the wider button text so the text never touches the button's edges.
constexpr int kButtonTextMargin = 20;

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

    const RECT action = fw::RectInParent(actionButton, dialog);
    const int growth = width - (action.right - action.left);
    MoveWindow(actionButton, action.left - 2 * growth, action.top, width, action.bottom - action.top, FALSE);

    const RECT cancel = fw::RectInParent(cancelButton, dialog);
    MoveWindow(cancelButton, cancel.left - growth, cancel.top, width, cancel.bottom - cancel.top, FALSE);
}

void CChooseLineDlg::SetUpChoice() {
    list_.Attach(Item(controls_.listId));
    action_.Attach(Item(controls_.actionId));
    cancel_.Attach(Item(IDCANCEL));
    FitDialogButtons(Hwnd(), action_.Hwnd(), cancel_.Hwnd());
}

bool CChooseLineDlg::OnNotify(int controlId, UINT code) {
    if (controlId == controls_.listId && code == LBN_SELCHANGE) {
        action_.Enable(true);
        return true;
    }
    if ((controlId == controls_.listId && code == LBN_DBLCLK && controls_.doubleClickChooses) ||
        (controlId == controls_.actionId && code == BN_CLICKED)) {
        Choose();
        return true;
    }
    return false;
}

// Enter while the action button is still disabled: no line is chosen, so the
// dialog must not end with OK. The beep says the key had no effect, as a
// refused keystroke does everywhere else in the program.
void CChooseLineDlg::OnOK() {
    if (list_.GetCurSel() < 0) {
        MessageBeep(MB_OK);
        return;
    }
    Choose();
}

void CChooseLineDlg::Choose() {
    const int line = list_.GetCurSel();
    if (line < 0 || !TakeChoice(line)) return;
    EndDialog(IDOK);
}
