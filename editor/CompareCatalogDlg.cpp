#include "editor/CompareCatalogDlg.h"

#include <algorithm>
#include <utility>

#include "editor/Relabel.h"
#include "platform/WindowPlacement.h"
#include "resources/resource.h"
#include "text/StringLists.h"

namespace {
// Room the text of a button or a list line keeps from the edges.
constexpr int kTextMargin = 20;

}  // namespace

CCompareCatalogDlg::CCompareCatalogDlg(std::vector<std::string> lines)
    : CCompareCatalogDlg(IDD_COMPARE_CATALOG, std::move(lines), {LAB_FILE_COMPARE, LAB_DIFFERENCES, LAB_FILE_CLOSE}) {}

CCompareCatalogDlg::CCompareCatalogDlg(UINT templateId, std::vector<std::string> lines, Texts texts)
    : fw::CDialog(templateId), lines_(std::move(lines)), texts_(texts) {}

// The dialog grows to the longest line, as far as the screen allows; a longer
// line scrolls sideways.
bool CCompareCatalogDlg::OnInitDialog() {
    differences_.Attach(Item(IDC_COMPARE_LIST));
    close_.Attach(Item(IDCANCEL));
    HWND label = Item(IDC_COMPARE_LABEL);
    SetItemLabel(Hwnd(), 0, TF_NO_AMPERSAND | TF_NO_PERIOD, texts_.caption);
    SetItemLabel(Hwnd(), IDC_COMPARE_LABEL, 0, texts_.listLabel);
    SetItemLabel(Hwnd(), IDCANCEL, TF_NO_AMPERSAND, texts_.closeButton);

    int widest = TextWidth(label, InterfaceLabel(texts_.listLabel, TF_NO_AMPERSAND));
    for (const std::string& line : lines_) {
        differences_.AddString(line);
        widest = std::max(widest, TextWidth(differences_.Hwnd(), line));
    }
    const int extent = widest + kTextMargin;
    differences_.SetHorizontalExtent(extent);

    RECT client{};
    GetClientRect(differences_.Hwnd(), &client);
    const platform::ScreenRect work = platform::WorkAreaOf(Hwnd());
    RECT dialog{};
    GetWindowRect(Hwnd(), &dialog);
    const int room = static_cast<int>(work.right - work.left) - (dialog.right - dialog.left);
    const int growth = std::max(0, std::min(extent - static_cast<int>(client.right), room));
    growth_ = growth;

    const RECT listRect = fw::RectInParent(differences_.Hwnd(), Hwnd());
    const RECT labelRect = fw::RectInParent(label, Hwnd());
    MoveWindow(differences_.Hwnd(), listRect.left, listRect.top, listRect.right - listRect.left + growth,
               listRect.bottom - listRect.top, FALSE);
    MoveWindow(label, labelRect.left, labelRect.top, labelRect.right - labelRect.left + growth,
               labelRect.bottom - labelRect.top, FALSE);
    // The button keeps its right edge under the list's and fits its text.
    const RECT buttonRect = fw::RectInParent(close_.Hwnd(), Hwnd());
    const int buttonWidth =
        std::max<int>(buttonRect.right - buttonRect.left, MeasureItemText(close_.Hwnd()) + kTextMargin);
    MoveWindow(close_.Hwnd(), buttonRect.right + growth - buttonWidth, buttonRect.top, buttonWidth,
               buttonRect.bottom - buttonRect.top, FALSE);
    SetWindowPos(Hwnd(), nullptr, 0, 0, dialog.right - dialog.left + growth, dialog.bottom - dialog.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    platform::KeepInsideWorkArea(Hwnd());
    return true;
}
