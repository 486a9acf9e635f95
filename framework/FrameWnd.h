// The main frame: a top-level window with the program's menu and icon that
// holds one form view filling its client area.
#pragma once

#include <windows.h>

#include "framework/MessageMap.h"

namespace fw {

class CFormView;

class CFrameWnd : public CCommandTarget {
public:
    CFrameWnd() = default;
    ~CFrameWnd() override;
    CFrameWnd(const CFrameWnd&) = delete;
    CFrameWnd& operator=(const CFrameWnd&) = delete;

    // Creates the window with menu, accelerators' owner and icon `resourceId`.
    bool Create(const char* title, UINT resourceId);
    HWND Hwnd() const { return hwnd_; }

    void SetView(CFormView* view) { view_ = view; }
    CFormView* View() const { return view_; }

    // Sizes the frame so that its client area holds the view exactly.
    void FitToView();

    // Sends a command through the form, the frame and the application, as a
    // menu item or accelerator does.
    void RouteCommand(UINT id);
    // Asks the same chain whether a command is enabled; false when nobody handles it.
    bool RouteUpdate(CCmdUI& ui);

    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

protected:
    virtual void PreCreateWindow(DWORD& style, DWORD& exStyle);
    virtual void OnClose();
    // WM_QUERYENDSESSION: whether the session may end (logoff, restart, shutdown).
    virtual bool OnQueryEndSession();
    virtual void OnActivateApp(bool active, DWORD otherThreadId);
    virtual void OnInitMenuPopup(HMENU popup, UINT index, bool systemMenu);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    CFormView* view_ = nullptr;
    HWND lastFocus_ = nullptr;
};

}  // namespace fw
