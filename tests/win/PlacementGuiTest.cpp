// Where the program's dialogs and message boxes appear: centred over the main
// window and inside the work area, unless a dialog placed itself. Measured on
// the real windows under Wine; the message boxes are real ones here, answered
// by a click the test posts once it has measured them.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "catalog/EditHistory.h"
#include "editor/MessageBoxes.h"
#include "framework/Dialog.h"
#include "platform/MessageBox.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "tests/win/GuiTestSupport.h"

namespace {

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT WorkArea(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// Centres may differ by the half pixel lost when sizes are odd.
void ExpectCentredOver(const RECT& shown, const RECT& over, const char* what) {
    EXPECT_NEAR(shown.left + shown.right, over.left + over.right, 1) << what << " is not centred across";
    EXPECT_NEAR(shown.top + shown.bottom, over.top + over.bottom, 1) << what << " is not centred down";
}

void ExpectInside(const RECT& shown, const RECT& area, const char* what) {
    EXPECT_GE(shown.left, area.left) << what;
    EXPECT_GE(shown.top, area.top) << what;
    EXPECT_LE(shown.right, area.right) << what;
    EXPECT_LE(shown.bottom, area.bottom) << what;
}

// The real message box shown on this thread: measured by a timer that fires
// inside its modal loop, then answered with `answer`.
struct BoxWatch {
    static inline std::optional<RECT> shown;
    static inline int answer = IDOK;

    static BOOL CALLBACK FindBox(HWND window, LPARAM) {
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        shown = WindowRect(window);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        return FALSE;
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
        if (shown) return;
        EnumThreadWindows(GetCurrentThreadId(), FindBox, 0);
        if (shown) KillTimer(nullptr, timer);
    }
};

class PlacementGui : public guitest::GuiTest {
protected:
    void StartEnglish() {
        WriteConfig("English", {{"Placed", "PS", KeyPath("Placed")}});
        ASSERT_TRUE(StartApp());
        AppState.CatalogLocations[0].Available = true;
    }

    void MoveFrame(int x, int y) {
        SetWindowPos(Frame(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Pump();
    }

    // Where the modal dialog that `command` opens first appears (then cancelled).
    RECT DialogPlace(UINT command) {
        RECT shown{};
        OnNextDialog([&](fw::CDialog& dialog) {
            shown = WindowRect(dialog.Hwnd());
            dialog.EndDialog(IDCANCEL);
        });
        Command(command);
        return shown;
    }

    // Where a real message box shown by `show` appears; the box is answered with `answer`.
    template <class Show>
    RECT BoxPlace(int answer, Show show) {
        platform::SetMessageBoxAnswerer(nullptr);
        BoxWatch::shown.reset();
        BoxWatch::answer = answer;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, BoxWatch::OnTimer);
        show();
        KillTimer(nullptr, timer);
        EXPECT_TRUE(BoxWatch::shown.has_value()) << "no message box appeared";
        return BoxWatch::shown.value_or(RECT{});
    }
};

// A dialog that puts itself somewhere during its initialisation.
class CSelfPlacedDlg : public fw::CDialog {
public:
    CSelfPlacedDlg() : fw::CDialog(IDD_ABOUTBOX) {}
    static constexpr int kX = 37;
    static constexpr int kY = 41;

protected:
    bool OnInitDialog() override {
        SetWindowPos(Hwnd(), nullptr, kX, kY, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return true;
    }
};

TEST_F(PlacementGui, DialogsAndMessageBoxesAreCentredOverTheMainWindow) {
    StartEnglish();
    // Away from the screen's centre, so that a box the system centres on the
    // screen is told apart.
    MoveFrame(40, 30);
    const RECT frame = WindowRect(Frame());

    ExpectCentredOver(DialogPlace(ID_FILE_OPEN), frame, "Open a Catalog");
    ExpectCentredOver(DialogPlace(ID_FILE_SAVE_AS), frame, "Save As Catalog");
    ExpectCentredOver(DialogPlace(ID_APP_ABOUT), frame, "About");

    // The save offer of New, owned by the form inside the main window: No
    // lets the changes go.
    CatalogHistory().ForgetSavePoint();
    ExpectCentredOver(BoxPlace(IDNO, [&] { Command(ID_FILE_NEW); }), frame, "the save offer");
    EXPECT_FALSE(CatalogModified()) << "the box was answered No";
    ExpectCentredOver(BoxPlace(IDOK, [&] { ShowRefusal(Frame(), "A refusal"); }), frame, "a refusal");
}

TEST_F(PlacementGui, NearTheScreensEdgeTheyStayInsideTheWorkArea) {
    StartEnglish();
    const RECT area = WorkArea(Frame());
    // Most of the main window beyond the bottom-right corner of the work area.
    MoveFrame(area.right - 120, area.bottom - 90);

    const RECT about = DialogPlace(ID_APP_ABOUT);
    ExpectInside(about, area, "About");
    EXPECT_EQ(about.right, area.right) << "moved no further than needed";
    EXPECT_EQ(about.bottom, area.bottom) << "moved no further than needed";

    const RECT box = BoxPlace(IDOK, [&] { ShowRefusal(View().Hwnd(), "A refusal"); });
    ExpectInside(box, area, "a refusal");
    EXPECT_EQ(box.right, area.right);
    EXPECT_EQ(box.bottom, area.bottom);

    // Beyond the top-left corner likewise.
    MoveFrame(area.left - 300, area.top - 200);
    const RECT saveAs = DialogPlace(ID_FILE_SAVE_AS);
    EXPECT_EQ(saveAs.left, area.left);
    EXPECT_EQ(saveAs.top, area.top);
}

TEST_F(PlacementGui, ADialogThatPlacesItselfKeepsItsPlace) {
    StartEnglish();
    MoveFrame(200, 150);
    RECT shown{};
    OnNextDialog([&](fw::CDialog& dialog) {
        shown = WindowRect(dialog.Hwnd());
        dialog.EndDialog(IDCANCEL);
    });
    CSelfPlacedDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(shown.left, CSelfPlacedDlg::kX);
    EXPECT_EQ(shown.top, CSelfPlacedDlg::kY);
}

}  // namespace
