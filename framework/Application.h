// The application object: start-up hook, the message loop with the accelerator
// table, and the last stop of command routing (form, frame, application).
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "framework/MessageMap.h"

namespace fw {

class CFrameWnd;

class CApplication : public CCommandTarget {
public:
    CApplication();
    ~CApplication() override;
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // Prepares the application; false ends the program without a message loop.
    virtual bool InitInstance() = 0;
    // Runs the message loop until the main window is gone; the exit code.
    int Run();
    // Handles every message already queued, as Run would (tests use it).
    // True when a quit message was among them; it is taken from the queue.
    bool PumpPendingMessages();
    // One queued message through the accelerators and the form's dialog keys.
    bool PreTranslateMessage(MSG& msg);

    HINSTANCE Instance() const { return instance_; }
    CFrameWnd* MainFrame() const { return mainFrame_; }
    void SetMainFrame(CFrameWnd* frame) { mainFrame_ = frame; }
    void SetAccelerators(HACCEL accelerators) { accelerators_ = accelerators; }

    static CApplication* Current() { return current_; }

private:
    static CApplication* current_;
    HINSTANCE instance_;
    CFrameWnd* mainFrame_ = nullptr;
    HACCEL accelerators_ = nullptr;
};

// The application's main window handle, or null (owners of dialogs and boxes
// default to it).
HWND MainWindowHandle();

// How a failure caught at a window or dialog procedure is reported (nothing
// may unwind through the system's code). The application installs its own at
// start-up; until then, or after a null one, a plain error box says it.
using FailureReporter = std::function<void(HWND owner, const std::string& what)>;
void SetFailureReporter(FailureReporter reporter);
void ReportFailure(HWND owner, const std::exception& failure);

}  // namespace fw
