#include "framework/FrameWnd.h"

#include "framework/Application.h"
#include "framework/FormView.h"

namespace fw {

namespace {
const char kFrameClass[] = "QuandrelFrame";
constexpr UINT kAppExit = 57665;  // ID_APP_EXIT: the framework turns it into a close
}  // namespace

CFrameWnd::~CFrameWnd() {
    if (hwnd_) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void CFrameWnd::PreCreateWindow(DWORD& /*style*/, DWORD& /*exStyle*/) {}

bool CFrameWnd::Create(const char* title, UINT resourceId) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(resourceId));
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(instance, kFrameClass, &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = StaticWndProc;
        wc.hInstance = instance;
        wc.hIcon = icon;
        wc.hIconSm = icon;
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kFrameClass;
        if (!RegisterClassExA(&wc)) return false;
    }
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    PreCreateWindow(style, exStyle);
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
    HWND hwnd = CreateWindowExA(exStyle, kFrameClass, title, style, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300,
                                nullptr, menu, instance, this);
    return hwnd != nullptr;
}

void CFrameWnd::FitToView() {
    if (!hwnd_ || !view_ || !view_->Hwnd()) return;
    RECT form;
    GetWindowRect(view_->Hwnd(), &form);
    RECT wanted{0, 0, form.right - form.left, form.bottom - form.top};
    AdjustWindowRectEx(&wanted, static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE)), GetMenu(hwnd_) != nullptr,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, wanted.right - wanted.left, wanted.bottom - wanted.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps changes the client height, and on a monitor of
    // another scale than the system's the borders differ from what
    // AdjustWindowRectEx assumes: correct once more by what is missing.
    RECT client;
    GetClientRect(hwnd_, &client);
    const int missingWidth = (form.right - form.left) - (client.right - client.left);
    const int missing = (form.bottom - form.top) - (client.bottom - client.top);
    if (missing != 0 || missingWidth != 0) {
        RECT frame;
        GetWindowRect(hwnd_, &frame);
        SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left + missingWidth, frame.bottom - frame.top + missing,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(view_->Hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFrameWnd::RouteCommand(UINT id) {
    if (view_ && view_->OnCommand(id)) return;
    if (OnCommand(id)) return;
    if (CApplication* app = CApplication::Current()) app->OnCommand(id);
}

bool CFrameWnd::RouteUpdate(CCmdUI& ui) {
    if (view_ && view_->OnUpdateCommand(ui)) return true;
    if (OnUpdateCommand(ui)) return true;
    CApplication* app = CApplication::Current();
    return app && app->OnUpdateCommand(ui);
}

bool CFrameWnd::OnCommand(UINT id) {
    if (id == kAppExit) {
        SendMessageA(hwnd_, WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

bool CFrameWnd::OnUpdateCommand(CCmdUI& ui) {
    if (ui.Id() == kAppExit) {
        ui.Enable(true);
        return true;
    }
    return false;
}

void CFrameWnd::OnClose() { DestroyWindow(hwnd_); }

bool CFrameWnd::OnQueryEndSession() { return true; }

void CFrameWnd::OnActivateApp(bool, DWORD) {}

// Every item of the opening popup is enabled exactly when some target in the
// chain handles its command and that target's update handler agrees.
void CFrameWnd::OnInitMenuPopup(HMENU popup, UINT, bool systemMenu) {
    if (systemMenu) return;
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(popup, i);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separator or submenu
        CCmdUI ui(id);
        const bool handled = RouteUpdate(ui);
        if (handled && ui.Text()) ModifyMenuA(popup, static_cast<UINT>(i), MF_BYPOSITION | MF_STRING, id, ui.Text()->c_str());
        EnableMenuItem(popup, i, MF_BYPOSITION | (handled && ui.IsEnabled() ? MF_ENABLED : MF_GRAYED));
    }
}

LRESULT CFrameWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // Menu items and accelerators; the form's controls notify the form.
            if (lParam == 0) {
                RouteCommand(LOWORD(wParam));
                return 0;
            }
            break;
        case WM_INITMENUPOPUP:
            OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam) != 0);
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_QUERYENDSESSION:
            return OnQueryEndSession() ? TRUE : FALSE;
        case WM_ACTIVATEAPP: {
            LRESULT result = Default(message, wParam, lParam);
            OnActivateApp(wParam != 0, static_cast<DWORD>(lParam));
            return result;
        }
        case WM_ACTIVATE:
            // Remember the form's focused control so it gets the focus back.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && view_ && IsChild(view_->Hwnd(), focus)) lastFocus_ = focus;
            }
            break;
        case WM_SETFOCUS:
            if (view_ && view_->Hwnd()) {
                if (lastFocus_ && IsWindow(lastFocus_) && IsChild(view_->Hwnd(), lastFocus_))
                    SetFocus(lastFocus_);
                else
                    SetFocus(view_->Hwnd());
                return 0;
            }
            break;
        case WM_DESTROY:
            if (CApplication* app = CApplication::Current(); app && app->MainFrame() == this) PostQuitMessage(0);
            break;
        case WM_NCDESTROY: {
            LRESULT result = Default(message, wParam, lParam);
            hwnd_ = nullptr;
            return result;
        }
    }
    return Default(message, wParam, lParam);
}

LRESULT CALLBACK CFrameWnd::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<CFrameWnd*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CFrameWnd*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    try {
        return self->WindowProc(message, wParam, lParam);
    } catch (const std::exception& e) {
        // Nothing may unwind through the system's code: report and go on.
        ReportFailure(hwnd, e);
        return 0;
    }
}

}  // namespace fw
