// The elevation prompt: ShellExecuteExA with the "runas" verb.
#include <windows.h>

#include <shellapi.h>

#include "platform/Elevation.h"
#include "platform/OwnedHandles_win32.h"

namespace platform {

unsigned long StartElevatedAndWait(void* owner, const ElevatedStart& request, unsigned long& exitCode) {
    exitCode = 0;
    // The whole window, menu included, not only the form that asked.
    HWND window = owner ? GetAncestor(static_cast<HWND>(owner), GA_ROOT) : nullptr;
    SHELLEXECUTEINFOA start{};
    start.cbSize = sizeof start;
    // NOASYNC: the start is complete when the call returns; the handle is waited on.
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.hwnd = window;
    start.lpVerb = "runas";
    start.lpFile = request.program.c_str();
    start.lpParameters = request.parameters.c_str();
    start.lpDirectory = request.directory.empty() ? nullptr : request.directory.c_str();
    start.nShow = SW_HIDE;
    if (!ShellExecuteExA(&start)) {
        const DWORD error = GetLastError();
        return error != 0 ? error : ERROR_CANCELLED;
    }
    if (!start.hProcess) return ERROR_INVALID_HANDLE;
    const OwnedHandle process(start.hProcess);

    // The window stays painted but takes no input until the program has ended.
    const bool wasEnabled = window && IsWindowEnabled(window);
    if (wasEnabled) EnableWindow(window, FALSE);
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &start.hProcess, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1) break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Handed on once the wait is over.
                quit = true;
                quitCode = message.wParam;
                continue;
            }
            // A control that kept the focus would still take keys: input waits for nobody.
            const UINT m = message.message;
            if ((m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DWORD code = 0;
    const bool known = GetExitCodeProcess(start.hProcess, &code) != FALSE;
    const DWORD error = known ? 0 : GetLastError();
    if (wasEnabled) {
        EnableWindow(window, TRUE);
        SetForegroundWindow(window);
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    exitCode = code;
    return error;
}

}  // namespace platform
