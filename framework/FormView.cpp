#include "framework/FormView.h"

#include <exception>

#include "framework/Application.h"
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

void CFormView::RouteControlMessages(int controlId) {
    HWND control = Item(controlId);
    if (!control) return;
    auto routed = std::make_unique<RoutedControl>(RoutedControl{this, controlId, nullptr});
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(routed.get()));
    routed->original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CFormView::ControlProc)));
    routed_.push_back(std::move(routed));
}

LRESULT CFormView::CallControl(int controlId, UINT message, WPARAM wParam, LPARAM lParam) {
    for (const auto& routed : routed_)
        if (routed->controlId == controlId) return CallWindowProcA(routed->original, Item(controlId), message, wParam, lParam);
    return SendMessageA(Item(controlId), message, wParam, lParam);
}

LRESULT CALLBACK CFormView::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* routed = reinterpret_cast<const RoutedControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    const WNDPROC original = routed->original;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        return CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
    try {
        LRESULT result = 0;
        if (routed->view->hwnd_ && routed->view->OnControlMessage(routed->controlId, message, wParam, lParam, result))
            return result;
    } catch (const std::exception& e) {
        ReportFailure(hwnd, e);
        return 0;
    }
    return CallWindowProcA(original, hwnd, message, wParam, lParam);
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
                if (LOWORD(wParam) == IDCANCEL) self->OnEscape();
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
        ReportFailure(hwnd, e);
        return TRUE;
    }
}

}  // namespace fw
