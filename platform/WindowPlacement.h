// Where a dialog or a message box appears: centred over the window that owns
// it, moved as little as needed to stay inside the work area of the owner's
// monitor (the screen without the taskbar).
#pragma once

namespace platform {

struct ScreenRect {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};

struct ScreenPoint {
    long x = 0;
    long y = 0;
};

// The top-left corner for a window of `width` x `height` centred over `over`
// and kept inside `workArea`; a window larger than the work area keeps its top
// and left edges inside it, so its caption and system menu stay reachable.
ScreenPoint CentredPosition(const ScreenRect& over, long width, long height, const ScreenRect& workArea);

// Windows only. Moves `window` (neither resized nor activated) to the centre
// of its owner's top-level window, or of the owner's monitor work area when
// the owner is hidden or minimised; with no owner, of the work area of the
// monitor the window is on. Handles are HWNDs.
void CentreOverOwner(void* window, void* owner);

// Windows only. The work area of the monitor `window` is on (or nearest to).
ScreenRect WorkAreaOf(void* window);

// Windows only. Moves `window` (not resized) as little as needed to lie inside
// the work area of its monitor, as far as its size allows: its top and left
// edges come first.
void KeepInsideWorkArea(void* window);

}  // namespace platform
