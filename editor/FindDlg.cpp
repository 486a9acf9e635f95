#include "editor/FindDlg.h"

#include <utility>

#include "editor/MessageBoxes.h"
#include "editor/Relabel.h"
#include "framework/Controls.h"
#include "resources/resource.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {
// As long as the longest paper name.
constexpr int kMaxFindLength = 31;
}  // namespace

CFindDlg::CFindDlg(std::string text, Search search)
    : fw::CDialog(IDD_FIND), text_(std::move(text)), search_(std::move(search)) {}

bool CFindDlg::OnInitDialog() {
    SetItemLabel(Hwnd(), 0, 0, LAB_FIND_CAPTION);
    SetItemLabel(Hwnd(), IDC_FIND_LABEL, 0, LAB_FIND_WHAT);
    SetItemLabel(Hwnd(), IDOK, 0, LAB_FIND_NEXT_BUTTON);
    SetItemLabel(Hwnd(), IDCANCEL, 0, LAB_CANCEL);
    const fw::CEdit edit(Item(IDC_FIND_TEXT));
    SendMessageA(edit.Hwnd(), EM_LIMITTEXT, kMaxFindLength, 0);
    edit.SetText(text_);
    edit.SelectAll();
    EnableWindow(Item(IDOK), !text_.empty());
    SetFocus(edit.Hwnd());
    return false;
}

bool CFindDlg::OnNotify(int controlId, UINT code) {
    if (controlId == IDC_FIND_TEXT && code == EN_CHANGE) {
        EnableWindow(Item(IDOK), GetWindowTextLengthA(Item(IDC_FIND_TEXT)) > 0);
        return true;
    }
    return false;
}

// Enter finds as the button does; an empty field finds nothing.
void CFindDlg::OnOK() {
    const std::string text = fw::CWindow(Item(IDC_FIND_TEXT)).GetText();
    if (text.empty()) return;
    text_ = text;
    found_ = search_(text_);
    if (found_ >= 0) {
        EndDialog(IDOK);
        return;
    }
    ShowRefusal(Hwnd(), FormatText(InterfaceMessage(MSG_FIND_NOT_FOUND), {text_}));
    // Back into the field with its text selected, as the dialog manager moves the focus.
    SendMessageA(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_FIND_TEXT)), TRUE);
}
