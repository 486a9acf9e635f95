#include "editor/CompareCatalogDlg.h"

#include <algorithm>
#include <utility>

#include "editor/Relabel.h"
#include "resources/resource.h"
#include "text/StringLists.h"

namespace {
// Room the text of a button or a list line keeps from the edges.
constexpr int kTextMargin = 20;

RECT RectIn(HWND child, HWND parent) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Keeps a window that grew inside the screen's work area.
void KeepOnScreen(HWND window) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT rect{};
    GetWindowRect(window, &rect);
    const int x = std::max<int>(work.left, std::min<int>(rect.left, work.right - (rect.right - rect.left)));
    const int y = std::max<int>(work.top, std::min<int>(rect.top, work.bottom - (rect.bottom - rect.top)));
    if (x != rect.left || y != rect.top) SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace

CCompareCatalogDlg::CCompareCatalogDlg(std::vector<std::string> lines)
    : fw::CDialog(IDD_COMPARE_CATALOG), lines_(std::move(lines)) {}

// The dialog grows to the longest line, as far as the screen allows; a longer
// line scrolls sideways.
bool CCompareCatalogDlg::OnInitDialog() {
    m_listDifferences = Item(IDC_COMPARE_LIST);
    m_btnClose = Item(IDCANCEL);
    HWND label = Item(IDC_COMPARE_LABEL);
    SetItemLabel(Hwnd(), 0, TF_NO_AMPERSAND | TF_NO_PERIOD, LAB_FILE_COMPARE);
    SetItemLabel(Hwnd(), IDC_COMPARE_LABEL, 0, LAB_DIFFERENCES);
    SetItemLabel(Hwnd(), IDCANCEL, TF_NO_AMPERSAND, LAB_FILE_CLOSE);

    int widest = TextWidth(label, InterfaceLabel(LAB_DIFFERENCES, TF_NO_AMPERSAND));
    for (const std::string& line : lines_) {
        SendMessageA(m_listDifferences, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        widest = std::max(widest, TextWidth(m_listDifferences, line));
    }
    const int extent = widest + kTextMargin;
    SendMessageA(m_listDifferences, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);

    RECT client{};
    GetClientRect(m_listDifferences, &client);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT dialog{};
    GetWindowRect(Hwnd(), &dialog);
    const int room = (work.right - work.left) - (dialog.right - dialog.left);
    const int growth = std::max(0, std::min(extent - static_cast<int>(client.right), room));

    const RECT listRect = RectIn(m_listDifferences, Hwnd());
    const RECT labelRect = RectIn(label, Hwnd());
    MoveWindow(m_listDifferences, listRect.left, listRect.top, listRect.right - listRect.left + growth,
               listRect.bottom - listRect.top, FALSE);
    MoveWindow(label, labelRect.left, labelRect.top, labelRect.right - labelRect.left + growth,
               labelRect.bottom - labelRect.top, FALSE);
    // The button keeps its right edge under the list's and fits its text.
    const RECT buttonRect = RectIn(m_btnClose, Hwnd());
    const int buttonWidth =
        std::max<int>(buttonRect.right - buttonRect.left, MeasureItemText(m_btnClose) + kTextMargin);
    MoveWindow(m_btnClose, buttonRect.right + growth - buttonWidth, buttonRect.top, buttonWidth,
               buttonRect.bottom - buttonRect.top, FALSE);
    SetWindowPos(Hwnd(), nullptr, 0, 0, dialog.right - dialog.left + growth, dialog.bottom - dialog.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    KeepOnScreen(Hwnd());
    return true;
}
