#include "framework/Dialog.h"

#include <exception>
#include <utility>

#include "framework/Application.h"
#include "platform/WindowPlacement.h"

namespace fw {

namespace {
// Posted to a modal dialog at the end of its initialisation; handled once its
// loop runs.
constexpr UINT kRunHookMessage = WM_APP + 0x3F0;

ModalDialogHook& Hook() {
    static ModalDialogHook hook;
    return hook;
}
}  // namespace

void SetModalDialogHook(ModalDialogHook hook) { Hook() = std::move(hook); }

INT_PTR CDialog::DoModal(HWND owner) {
    if (!owner) owner = MainWindowHandle();
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
    if (hwnd_) ::EndDialog(hwnd_, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialog*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        try {
            RECT before{};
            GetWindowRect(hwnd, &before);
            const bool defaultFocus = self->OnInitDialog();
            // As the classic framework did: a dialog that did not place itself
            // during its initialisation is centred over its owner.
            RECT after{};
            GetWindowRect(hwnd, &after);
            if (after.left == before.left && after.top == before.top)
                platform::CentreOverOwner(hwnd, GetWindow(hwnd, GW_OWNER));
            if (Hook()) PostMessageA(hwnd, kRunHookMessage, 0, 0);
            return defaultFocus ? TRUE : FALSE;
        } catch (const std::exception& e) {
            ReportFailure(hwnd, e);
            ::EndDialog(hwnd, IDCANCEL);
            return TRUE;
        }
    }
    auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    try {
        switch (message) {
            case kRunHookMessage:
                if (Hook()) Hook()(*self);
                return TRUE;
            case WM_COMMAND: {
                const int id = LOWORD(wParam);
                const UINT code = HIWORD(wParam);
                if (lParam != 0 && self->OnNotify(id, code)) return TRUE;
                if (id == IDOK && (code == BN_CLICKED || lParam == 0)) {
                    self->OnOK();
                    return TRUE;
                }
                if (id == IDCANCEL && (code == BN_CLICKED || lParam == 0)) {
                    self->OnCancel();
                    return TRUE;
                }
                return FALSE;
            }
            case WM_DESTROY:
                self->OnDestroy();
                return FALSE;
            case WM_NCDESTROY:
                self->hwnd_ = nullptr;
                return FALSE;
        }
    } catch (const std::exception& e) {
        ReportFailure(hwnd, e);
        return TRUE;
    }
    return FALSE;
}

}  // namespace fw
