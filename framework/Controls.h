// Typed handles of the standard controls: one method per message the program
// sends, no logic. A control belongs to its dialog, which destroys it; these
// only name it.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The text of a window (any length).
std::string GetWindowTextString(HWND hwnd);
// The text of line `line` of a list box, or of a combo box's list; "" when
// there is no such line.
std::string GetListLineText(HWND list, int line);
std::string GetComboLineText(HWND combo, int line);

// A child window's rectangle in its parent's client coordinates. Subtracting
// border metrics from screen positions would be right only for one kind of
// border; the system knows the real one.
RECT RectInParent(HWND child, HWND parent);

class CWindow {
public:
    CWindow() = default;
    explicit CWindow(HWND hwnd) : hwnd_(hwnd) {}
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    HWND Hwnd() const { return hwnd_; }

    std::string GetText() const { return GetWindowTextString(hwnd_); }
    void SetText(const std::string& text) const { SetWindowTextA(hwnd_, text.c_str()); }
    void Enable(bool enable) const { EnableWindow(hwnd_, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetFocus() const { ::SetFocus(hwnd_); }
    void SetRedraw(bool redraw) const { Send(WM_SETREDRAW, redraw ? TRUE : FALSE); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(Send(WM_GETFONT)); }

protected:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(hwnd_, message, wParam, lParam);
    }
    static LPARAM Text(const std::string& text) { return reinterpret_cast<LPARAM>(text.c_str()); }

    HWND hwnd_ = nullptr;
};

// Line numbers are -1 for "none" (LB_ERR), as the control itself answers.
class CListBox : public CWindow {
public:
    using CWindow::CWindow;
    int GetCount() const { return static_cast<int>(Send(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(Send(LB_GETCURSEL)); }
    void SetCurSel(int line) const { Send(LB_SETCURSEL, static_cast<WPARAM>(line)); }
    int AddString(const std::string& text) const { return static_cast<int>(Send(LB_ADDSTRING, 0, Text(text))); }
    void InsertString(int line, const std::string& text) const { Send(LB_INSERTSTRING, static_cast<WPARAM>(line), Text(text)); }
    void DeleteString(int line) const { Send(LB_DELETESTRING, static_cast<WPARAM>(line)); }
    // The first line equal to `text` (letter case ignored), searching from the top.
    int FindStringExact(const std::string& text) const {
        return static_cast<int>(Send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), Text(text)));
    }
    void ResetContent() const { Send(LB_RESETCONTENT); }
    void InitStorage(int lines, int bytes) const {
        Send(LB_INITSTORAGE, static_cast<WPARAM>(lines), static_cast<LPARAM>(bytes));
    }
    int GetTopIndex() const { return static_cast<int>(Send(LB_GETTOPINDEX)); }
    void SetTopIndex(int line) const { Send(LB_SETTOPINDEX, static_cast<WPARAM>(line)); }
    std::string GetText(int line) const { return GetListLineText(hwnd_, line); }
    // One tab stop, in dialog template units.
    void SetTabStop(int stop) const { Send(LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop)); }
    void SetHorizontalExtent(int pixels) const { Send(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels)); }
};

// Line numbers are -1 for "none" (CB_ERR), as the control itself answers.
class CComboBox : public CWindow {
public:
    using CWindow::CWindow;
    int GetCount() const { return static_cast<int>(Send(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void SetCurSel(int line) const { Send(CB_SETCURSEL, static_cast<WPARAM>(line)); }
    int AddString(const std::string& text) const { return static_cast<int>(Send(CB_ADDSTRING, 0, Text(text))); }
    // The first line equal to `text` (letter case ignored), searching from the top.
    int FindStringExact(const std::string& text) const {
        return static_cast<int>(Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), Text(text)));
    }
    std::string GetLBText(int line) const { return GetComboLineText(hwnd_, line); }
    // The edit control inside a combo box with an edit field.
    HWND EditHandle() const;
};

class CEdit : public CWindow {
public:
    using CWindow::CWindow;
    void GetSel(DWORD& start, DWORD& end) const {
        SendMessageA(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    }
    void SetSel(int start, int end) const { Send(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end)); }
    void SelectAll() const { SetSel(0, -1); }
    void ScrollCaret() const { Send(EM_SCROLLCARET); }
};

class CButton : public CWindow {
public:
    using CWindow::CWindow;
    bool IsChecked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
    void SetCheck(bool checked) const { Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
};

class CStatic : public CWindow {
public:
    using CWindow::CWindow;
    void SetIcon(HICON icon) const { Send(STM_SETICON, reinterpret_cast<WPARAM>(icon)); }
};

}  // namespace fw
