#include "app/MainFrame.h"

#include "app/AppState.h"
#include "editor/VellicorView.h"
#include "platform/MessageBox.h"
#include "resources/resource.h"

namespace {

// The clipboard and undo shortcuts are in the accelerator table, which would
// swallow them before the focused field sees them: hand them to the field.
UINT ClipboardMessageFor(UINT command) {
    switch (command) {
        case ID_EDIT_COPY: return WM_COPY;
        case ID_EDIT_CUT: return WM_CUT;
        case ID_EDIT_PASTE: return WM_PASTE;
        case ID_EDIT_UNDO: return WM_UNDO;
        default: return 0;
    }
}

bool FocusIsEditField() {
    HWND focus = GetFocus();
    char className[16];
    return focus && GetClassNameA(focus, className, sizeof className) && lstrcmpiA(className, "Edit") == 0;
}

}  // namespace

bool CMainFrame::OnCommand(UINT id) {
    if (UINT message = ClipboardMessageFor(id)) {
        if (FocusIsEditField()) SendMessageA(GetFocus(), message, 0, 0);
        return true;
    }
    return fw::CFrameWnd::OnCommand(id);
}

bool CMainFrame::OnUpdateCommand(fw::CCmdUI& ui) {
    if (ClipboardMessageFor(ui.Id())) {
        ui.Enable(true);
        return true;
    }
    return fw::CFrameWnd::OnUpdateCommand(ui);
}

// The window's size follows the form; the user cannot drag it, nor maximise a
// window whose contents would not grow with it.
void CMainFrame::PreCreateWindow(DWORD& style, DWORD& exStyle) {
    fw::CFrameWnd::PreCreateWindow(style, exStyle);
    style &= ~(WS_THICKFRAME | WS_MAXIMIZEBOX);
}

// The weight range check stays silent while the user switches to another program.
void CMainFrame::OnActivateApp(bool active, DWORD otherThreadId) {
    fw::CFrameWnd::OnActivateApp(active, otherThreadId);
    AppState.WeightCheckArmed = active ? 1 : 0;
}

void CMainFrame::OnClose() {
    if (QueryCloseMainWindow(Hwnd()) == platform::kIdCancel) return;
    fw::CFrameWnd::OnClose();
}
