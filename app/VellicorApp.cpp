#include "app/VellicorApp.h"

#include <commctrl.h>
#include <shellapi.h>

#include <utility>

#include "app/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/Startup.h"
#include "editor/MessageBoxes.h"
#include "editor/VellicorView.h"
#include "platform/System.h"
#include "resources/resource.h"
#include "text/StringLists.h"

namespace {

bool OpenWithShell(const std::string& path) {
    HINSTANCE result = ShellExecuteA(fw::MainWindowHandle(), "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

DocumentOpener& Opener() {
    static DocumentOpener opener = OpenWithShell;
    return opener;
}

CVellicorApp* runningApp = nullptr;

}  // namespace

void SetDocumentOpener(DocumentOpener opener) { Opener() = opener ? std::move(opener) : DocumentOpener(OpenWithShell); }

const fw::CommandEntry<CVellicorApp> CVellicorApp::kCommands[] = {
    {ID_APP_ABOUT, &CVellicorApp::OnAppAbout},
    {ID_HELP_TOPICS, &CVellicorApp::OnHelpTopics},
};

CVellicorApp::CVellicorApp() { runningApp = this; }

CVellicorApp::~CVellicorApp() {
    // The form before the frame: the frame's window owns the form's window.
    if (frame_) frame_->SetView(nullptr);
    view_.reset();
    frame_.reset();
    if (runningApp == this) runningApp = nullptr;
}

CVellicorView* CurrentView() { return runningApp ? runningApp->View() : nullptr; }

bool CVellicorApp::InitInstance() {
    // Common controls 6 (the manifest asks for them) are today's form of the
    // three-dimensional control look.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    if (!InitializeAppState()) return false;

    frame_ = std::make_unique<CMainFrame>();
    if (!frame_->Create("Vellicor", IDR_MAINFRAME)) return false;
    SetMainFrame(frame_.get());
    SetAccelerators(LoadAcceleratorsA(Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME)));

    view_ = std::make_unique<CVellicorView>();
    if (!view_->Create(*frame_)) return false;
    frame_->FitToView();
    view_->OnInitialUpdate();

    RelabelInterface();

    ShowWindow(frame_->Hwnd(), SW_SHOW);
    UpdateWindow(frame_->Hwnd());
    return true;
}

bool CVellicorApp::OnCommand(UINT id) { return fw::DispatchCommand(this, kCommands, id); }

bool CVellicorApp::OnUpdateCommand(fw::CCmdUI& ui) { return fw::DispatchUpdate(this, kCommands, ui); }

void CVellicorApp::OnAppAbout() {
    CAboutDlg about;
    about.DoModal();
}

std::string HelpFilePath() {
    char module[MAX_PATH * 2];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path(module, length < sizeof module ? length : 0);
    const size_t slash = path.find_last_of("\\/");
    path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return path + "Vellicor.htm";
}

// Windows no longer shows .HLP files; the help is an HTML page beside the
// program, opened with the system's browser.
void CVellicorApp::OnHelpTopics() {
    const std::string path = HelpFilePath();
    if (platform::FileIsReadable(path) && Opener()(path)) return;
    ShowRefusal(fw::MainWindowHandle(), InterfaceMessage(19006) + "\n" + path);
}
