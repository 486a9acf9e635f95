#include "framework/FormView.h"

#include <exception>

#include "framework/FrameWnd.h"

namespace fw {

CFormView::~CFormView() {
    if (hwnd_) {
        SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

bool CFormView::Create(CFrameWnd& frame) {
    frame_ = &frame;
    HWND hwnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), frame.Hwnd(), DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (!hwnd) return false;
    frame.SetView(this);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd, SW_SHOW);
    return true;
}

INT_PTR CALLBACK CFormView::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CFormView*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        return TRUE;
    }
    auto* self = reinterpret_cast<CFormView*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;  // before WM_INITDIALOG (WM_SETFONT) or after destruction
    try {
        switch (message) {
            case WM_COMMAND:
                if (lParam != 0) {
                    if (!self->updatingControls_) self->OnNotify(LOWORD(wParam), HIWORD(wParam));
                    return TRUE;
                }
                // Enter and Escape in a form: a form has no OK or Cancel and
                // must not end like a dialog.
                return TRUE;
            case WM_NCDESTROY:
                self->hwnd_ = nullptr;
                return FALSE;
            default: {
                INT_PTR result = 0;
                if (self->OnMessage(message, wParam, lParam, result)) {
                    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
                    return TRUE;
                }
                return FALSE;
            }
        }
    } catch (const std::exception& e) {
        MessageBoxA(hwnd, e.what(), "Vellicor", MB_OK | MB_ICONHAND);
        return TRUE;
    }
}

std::string GetWindowTextString(HWND hwnd) {
    const int length = GetWindowTextLengthA(hwnd);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

namespace {
std::string LineText(HWND control, int line, UINT lengthMessage, UINT textMessage) {
    if (line < 0) return {};
    const LRESULT length = SendMessageA(control, lengthMessage, static_cast<WPARAM>(line), 0);
    if (length < 0) return {};  // LB_ERR and CB_ERR
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessageA(control, textMessage, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
    return text;
}
}  // namespace

std::string GetListLineText(HWND list, int line) { return LineText(list, line, LB_GETTEXTLEN, LB_GETTEXT); }

std::string GetComboLineText(HWND combo, int line) { return LineText(combo, line, CB_GETLBTEXTLEN, CB_GETLBTEXT); }

}  // namespace fw
