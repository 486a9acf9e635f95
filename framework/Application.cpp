#include "framework/Application.h"

#include "framework/FormView.h"
#include "framework/FrameWnd.h"

#include <utility>

namespace fw {

namespace {
FailureReporter& Reporter() {
    static FailureReporter reporter;
    return reporter;
}
}  // namespace

void SetFailureReporter(FailureReporter reporter) { Reporter() = std::move(reporter); }

void ReportFailure(HWND owner, const std::exception& failure) {
    if (Reporter()) {
        Reporter()(owner, failure.what());
        return;
    }
    // No caption of our own: the system's "Error".
    MessageBoxA(owner, failure.what(), nullptr, MB_OK | MB_ICONHAND);
}

CApplication* CApplication::current_ = nullptr;

CApplication::CApplication() : instance_(GetModuleHandleA(nullptr)) { current_ = this; }

CApplication::~CApplication() {
    if (current_ == this) current_ = nullptr;
}

bool CApplication::PreTranslateMessage(MSG& msg) {
    HWND main = mainFrame_ ? mainFrame_->Hwnd() : nullptr;
    if (!main) return false;
    // Only messages for the main window and its children: a modal dialog or
    // message box runs its own loop with its own keys.
    if (msg.hwnd != main && !IsChild(main, msg.hwnd)) return false;
    // TranslateAccelerator sends WM_INITMENUPOPUP first, so the update handlers
    // run and a disabled command is not executed.
    if (accelerators_ && TranslateAcceleratorA(main, accelerators_, &msg)) return true;
    CFormView* view = mainFrame_->View();
    if (view && view->Hwnd() && IsDialogMessageA(view->Hwnd(), &msg)) return true;
    return false;
}

int CApplication::Run() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return -1;
        if (PreTranslateMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

bool CApplication::PumpPendingMessages() {
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            continue;
        }
        if (PreTranslateMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return quit;
}

HWND MainWindowHandle() {
    CApplication* app = CApplication::Current();
    return app && app->MainFrame() ? app->MainFrame()->Hwnd() : nullptr;
}

}  // namespace fw
