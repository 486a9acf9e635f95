// The main window: no sizing border; closing it, and ending the Windows
// session, ask the editor's questions first.
#pragma once

#include "framework/FrameWnd.h"

class CMainFrame : public fw::CFrameWnd {
public:

protected:
    void PreCreateWindow(DWORD& style, DWORD& exStyle) override;
    void OnActivateApp(bool active, DWORD otherThreadId) override;
    void OnClose() override;
    bool OnQueryEndSession() override;
    // The File menu's catalog commands, carried out on the form.
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(fw::CCmdUI& ui) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Moved to a monitor of another scale: the suggested place, the form at
    // the new scale and fitted to its texts, the window around it.
    void OnDpiChanged(unsigned dpi, const RECT& suggested);
};

// Once at start-up, after the main frame and the form exist, before the window
// is first shown: the title, menus and form in the configured language, the
// form fitted to its texts and the main window to the form.
void RelabelInterface();
