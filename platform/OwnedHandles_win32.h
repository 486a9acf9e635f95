// One guard per kind of Windows handle the program holds, so that no handle is
// closed by hand on one way out and forgotten on another. Windows-only: for
// the *_win32.cpp files and the window code.
#pragma once

#include <windows.h>

#include <utility>

namespace platform {

// A kernel handle (file, process, token). Close() answers whether the system
// closed it, for writes whose last error shows only there.
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() { Close(); }
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE get() const { return handle_; }
    // CreateFile answers INVALID_HANDLE_VALUE, most others null.
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        if (!valid()) return true;
        return CloseHandle(std::exchange(handle_, nullptr)) != FALSE;
    }

private:
    HANDLE handle_ = nullptr;
};

// A window's device context, released to the window it came from.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Memory the system allocated with LocalAlloc (security descriptors, SIDs as text).
struct LocalFreeDeleter {
    void operator()(void* memory) const { LocalFree(memory); }
};

}  // namespace platform
