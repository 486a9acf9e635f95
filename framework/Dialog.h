// A modal dialog from a template. The dialog procedure keeps `this` from
// WM_INITDIALOG on and ignores what arrives before it (WM_SETFONT does).
#pragma once

#include <windows.h>

#include <functional>

#include "framework/MessageMap.h"

namespace fw {

class CDialog : public CCommandTarget {
public:
    explicit CDialog(UINT templateId) : templateId_(templateId) {}
    ~CDialog() override = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; the owner defaults to the main window. Returns
    // the code EndDialog was given (IDOK, IDCANCEL), or -1 when it could not start.
    INT_PTR DoModal(HWND owner = nullptr);

    HWND Hwnd() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    UINT TemplateId() const { return templateId_; }
    void EndDialog(INT_PTR result);

protected:
    // After the controls exist; true lets the system give the focus to the first tab stop.
    virtual bool OnInitDialog() { return true; }
    virtual bool OnNotify(int /*controlId*/, UINT /*code*/) { return false; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // While the controls still exist, as the dialog goes.
    virtual void OnDestroy() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
};

// Test hook: called once each modal dialog is up and its loop is running, so a
// test can operate the real dialog (select lines, click buttons, end it).
using ModalDialogHook = std::function<void(CDialog& dialog)>;
void SetModalDialogHook(ModalDialogHook hook);

}  // namespace fw
