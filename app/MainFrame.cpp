#include "app/MainFrame.h"

#include <string>

#include "editor/CatalogDocument.h"
#include "editor/CatalogRights.h"
#include "editor/FileCommands.h"
#include "editor/Relabel.h"
#include "editor/VellicorView.h"
#include "framework/Application.h"
#include "platform/MessageBox.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {
struct MenuLabel {
    UINT item;
    bool byPosition;  // a drop-down's title, found by its place on the bar
    LabelId labelId;
};

const MenuLabel kMenuLabels[] = {
    {0, true, LAB_MENU_FILE},
    {ID_FILE_NEW, false, LAB_FILE_NEW},
    {ID_FILE_OPEN, false, LAB_FILE_OPEN},
    {ID_FILE_CLOSE, false, LAB_FILE_CLOSE},
    {ID_FILE_SAVE, false, LAB_FILE_SAVE},
    {ID_FILE_SAVE_AS, false, LAB_FILE_SAVE_AS},
    {ID_FILE_RESTORE_VERSION, false, LAB_FILE_RESTORE},
    {ID_FILE_COMPARE, false, LAB_FILE_COMPARE},
    {ID_FILE_IMPORT, false, LAB_FILE_IMPORT},
    {ID_FILE_EXPORT, false, LAB_FILE_EXPORT},
    {ID_FILE_MERGE, false, LAB_FILE_MERGE},
    {ID_FILE_GET_MEDIA, false, LAB_FILE_GET_MEDIA},
    {ID_APP_EXIT, false, LAB_FILE_EXIT},
    {1, true, LAB_MENU_EDIT},
    {ID_EDIT_UNDO, false, LAB_EDIT_UNDO},
    {ID_EDIT_REDO, false, LAB_EDIT_REDO},
    {ID_EDIT_CUT, false, LAB_EDIT_CUT},
    {ID_EDIT_COPY, false, LAB_EDIT_COPY},
    {ID_EDIT_PASTE, false, LAB_EDIT_PASTE},
    {ID_EDIT_DUPLICATE, false, LAB_EDIT_DUPLICATE},
    {ID_EDIT_FIND, false, LAB_EDIT_FIND},
    {ID_EDIT_FIND_NEXT, false, LAB_EDIT_FIND_NEXT},
    {ID_EDIT_FIND_PREVIOUS, false, LAB_EDIT_FIND_PREVIOUS},
    {ID_EDIT_MOVE_TOP, false, LAB_EDIT_MOVE_TOP},
    {ID_EDIT_MOVE_BOTTOM, false, LAB_EDIT_MOVE_BOTTOM},
    {2, true, LAB_MENU_HELP},
    {ID_HELP_TOPICS, false, LAB_HELP_TOPICS},
    {ID_APP_ABOUT, false, LAB_HELP_ABOUT},
};


void RelabelMenu(HWND frame) {
    HMENU menu = GetMenu(frame);
    if (!menu) return;
    for (const MenuLabel& entry : kMenuLabels) {
        const std::string text = GetLocalizedString(kLabelList, entry.labelId, AppState.CurrentLanguage);
        if (entry.byPosition) {
            HMENU popup = GetSubMenu(menu, static_cast<int>(entry.item));
            if (!popup) continue;
            ModifyMenuA(menu, entry.item, MF_BYPOSITION | MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(popup),
                        text.c_str());
        } else {
            ModifyMenuA(menu, entry.item, MF_BYCOMMAND | MF_STRING, entry.item, text.c_str());
        }
    }
    DrawMenuBar(frame);
}

}  // namespace

// The window's size follows the form; the user cannot drag it, nor maximise a
// window whose contents would not grow with it.
void CMainFrame::PreCreateWindow(DWORD& style, DWORD& exStyle) {
    fw::CFrameWnd::PreCreateWindow(style, exStyle);
    style &= ~(WS_THICKFRAME | WS_MAXIMIZEBOX);
}

// The weight range check stays silent while the user switches to another program.
void CMainFrame::OnActivateApp(bool active, DWORD otherThreadId) {
    fw::CFrameWnd::OnActivateApp(active, otherThreadId);
    if (CVellicorView* view = CurrentView()) view->ArmWeightCheck(active);
}

void CMainFrame::OnClose() {
    if (QueryCloseMainWindow(Hwnd()) == platform::kIdCancel) return;
    fw::CFrameWnd::OnClose();
}

// Logoff, restart or shutdown: the same questions as File > Exit; Cancel (or a
// save that failed) refuses the end of the session. Windows ends the program
// without further notice once every program agreed.
bool CMainFrame::OnQueryEndSession() {
    const int answer = QueryCloseMainWindow(Hwnd());
    if (answer == platform::kIdCancel) return false;
    return true;
}

bool CMainFrame::OnCommand(UINT id) {
    CVellicorView* view = CurrentView();
    if (view && FileCommand(*view, id)) return true;
    return fw::CFrameWnd::OnCommand(id);
}

bool CMainFrame::OnUpdateCommand(fw::CCmdUI& ui) {
    return UpdateFileCommand(ui) || fw::CFrameWnd::OnUpdateCommand(ui);
}

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The shield on File > Save is drawn when the menu shows it.
    if (message == WM_MEASUREITEM && wParam == 0 && MeasureSaveShield(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) {
        return TRUE;
    }
    if (message == WM_DRAWITEM && wParam == 0 && DrawSaveShield(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
        return TRUE;
    }
    if (message == WM_DPICHANGED && lParam) {
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    return fw::CFrameWnd::WindowProc(message, wParam, lParam);
}

void CMainFrame::OnDpiChanged(unsigned dpi, const RECT& suggested) {
    SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    CVellicorView* view = CurrentView();
    if (!view || !view->Hwnd()) return;
    ScaleFormToDpi(view->Hwnd(), dpi);
    // The window keeps the suggested corner and takes the form's size.
    FitToView();
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void RelabelInterface() {
    fw::CApplication* app = fw::CApplication::Current();
    AppState.ResourceModule = app ? app->Instance() : GetModuleHandleA(nullptr);

    UpdateMainWindowTitle();
    HWND frame = fw::MainWindowHandle();
    if (frame) RelabelMenu(frame);

    CVellicorView* view = CurrentView();
    HWND form = view ? view->Hwnd() : nullptr;
    if (!form) return;
    const int growth = RelabelForm(form);
    if (!frame) return;
    // The main window keeps the form's new width inside it.
    RECT frameRect{};
    GetWindowRect(frame, &frameRect);
    MoveWindow(frame, frameRect.left, frameRect.top, frameRect.right - frameRect.left + growth,
               frameRect.bottom - frameRect.top, TRUE);
}
