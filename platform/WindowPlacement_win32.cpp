#include <windows.h>

#include "platform/WindowPlacement.h"

#include <algorithm>

namespace platform {

namespace {
ScreenRect FromRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

RECT MonitorWorkArea(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoA(monitor, &info)) return info.rcWork;
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}
}  // namespace

void CentreOverOwner(void* windowHandle, void* ownerHandle) {
    HWND window = static_cast<HWND>(windowHandle);
    if (!window) return;
    // A box owned by the form is centred over the main window that holds it.
    HWND owner = ownerHandle ? GetAncestor(static_cast<HWND>(ownerHandle), GA_ROOT) : nullptr;
    const bool overOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);

    RECT area = MonitorWorkArea(MonitorFromWindow(overOwner ? owner : window, MONITOR_DEFAULTTONEAREST));
    RECT over = area;
    if (overOwner) GetWindowRect(owner, &over);
    RECT own{};
    if (!GetWindowRect(window, &own)) return;
    const ScreenPoint corner =
        CentredPosition(FromRect(over), own.right - own.left, own.bottom - own.top, FromRect(area));
    SetWindowPos(window, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

ScreenRect WorkAreaOf(void* window) {
    return FromRect(MonitorWorkArea(MonitorFromWindow(static_cast<HWND>(window), MONITOR_DEFAULTTONEAREST)));
}

void KeepInsideWorkArea(void* windowHandle) {
    HWND window = static_cast<HWND>(windowHandle);
    const ScreenRect work = WorkAreaOf(window);
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return;
    const long x = std::max(work.left, std::min(rect.left, work.right - (rect.right - rect.left)));
    const long y = std::max(work.top, std::min(rect.top, work.bottom - (rect.bottom - rect.top)));
    if (x != rect.left || y != rect.top) SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace platform
