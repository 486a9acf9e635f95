#include <windows.h>

#include "platform/MessageBox.h"
#include "platform/WindowPlacement.h"

namespace platform {
namespace detail {
MessageBoxAnswerer& Answerer();
std::vector<MessageBoxRequest>& Record();
}  // namespace detail

namespace {

// The box being shown on this thread: its owner, and the hook that places it.
thread_local HWND placingOwner = nullptr;
thread_local HHOOK placingHook = nullptr;

// The system places a message box itself (on the screen's centre); it is moved
// over its owner when it is first activated: it has its final size by then and
// has not been drawn yet.
LRESULT CALLBACK PlaceMessageBox(int code, WPARAM wParam, LPARAM lParam) {
    const HHOOK hook = placingHook;
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        GetClassNameA(box, className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0) {
            UnhookWindowsHookEx(placingHook);
            placingHook = nullptr;
            CentreOverOwner(box, placingOwner);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

int ShowCentredMessageBox(HWND owner, const std::string& text, const std::string& caption, unsigned style) {
    // Without an owner (the start-up errors) the system's own place is kept.
    if (!owner || placingHook) return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
    placingOwner = owner;
    placingHook = SetWindowsHookExA(WH_CBT, PlaceMessageBox, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxA(owner, text.c_str(), caption.c_str(), style);
    if (placingHook) UnhookWindowsHookEx(placingHook);
    placingHook = nullptr;
    placingOwner = nullptr;
    return answer;
}

}  // namespace

int ShowMessageBox(void* owner, const std::string& text, const std::string& caption, unsigned style) {
    // Only tests install an answerer; the program itself keeps no record.
    if (detail::Answerer()) {
        MessageBoxRequest request{owner, text, caption, style};
        detail::Record().push_back(request);
        return detail::Answerer()(request);
    }
    return ShowCentredMessageBox(static_cast<HWND>(owner), text, caption, style);
}

}  // namespace platform
