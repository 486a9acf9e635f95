#include "app/VellicorApp.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "app/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/Startup.h"
#include "editor/Backups.h"
#include "editor/MessageBoxes.h"
#include "editor/VellicorView.h"
#include "state/AppState.h"
#include "resources/resource.h"
#include "text/StringLists.h"

namespace {

// Wide, so that a program folder named in any script still finds its page.
bool OpenWithShell(const std::wstring& path) {
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    // The apartment is given up right after the call: the shell must have
    // finished with it by then.
    execute.fMask = SEE_MASK_NOASYNC;
    execute.hwnd = fw::MainWindowHandle();
    execute.lpVerb = L"open";
    execute.lpFile = path.c_str();
    execute.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&execute) != FALSE;
}

// The shell may hand the page to extensions that are COM objects, which need
// a single-threaded apartment on the calling thread.
class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

// File names of the help pages by interface language (1 = English, the page
// every other language falls back to).
constexpr const wchar_t* kHelpPageNames[] = {
    L"Vellicor.htm",     L"Vellicor_DAN.htm", L"Vellicor_NLD.htm", L"Vellicor_FIN.htm", L"Vellicor_FRA.htm",
    L"Vellicor_DEU.htm", L"Vellicor_ITA.htm", L"Vellicor_NOR.htm", L"Vellicor_ESP.htm", L"Vellicor_SVE.htm",
};

bool PageExists(const std::wstring& path) {
    // Beyond MAX_PATH the file functions take only the "\\?\" form.
    std::wstring query = path;
    if (path.size() >= MAX_PATH && path.size() > 2 && path[1] == L':') query = L"\\\\?\\" + path;
    else if (path.size() >= MAX_PATH && path.rfind(L"\\\\", 0) == 0) query = L"\\\\?\\UNC\\" + path.substr(2);
    const DWORD attributes = GetFileAttributesW(query.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(), size, nullptr, nullptr);
    return ansi;
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

bool CVellicorApp::InitInstance() {
    // A failure caught at a window procedure is reported as every other
    // failure is: the product label as caption and the stop icon.
    fw::SetFailureReporter([](HWND owner, const std::string& what) { ShowRefusal(owner, what); });
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
    // A save cut short since the last start (a crash, a power cut) is put right now.
    SettleInterruptedSaves(frame_->Hwnd());
    return true;
}

bool CVellicorApp::OnCommand(UINT id) { return fw::DispatchCommand(this, kCommands, id); }

bool CVellicorApp::OnUpdateCommand(fw::CCmdUI& ui) { return fw::DispatchUpdate(this, kCommands, ui); }

void CVellicorApp::OnAppAbout() {
    CAboutDlg about;
    about.DoModal();
}

std::wstring ModuleFileName(DWORD firstCapacity) {
    // A path that does not fit is cut and the call returns the capacity
    // (without a terminating NUL before Vista): grow until it fits.
    constexpr DWORD kLongestPath = 32768;
    std::wstring path(firstCapacity > 0 ? firstCapacity : 1, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= kLongestPath) return std::wstring();
        path.resize(std::min<size_t>(path.size() * 2, kLongestPath));
    }
}

std::wstring HelpPageName(int16_t language) {
    const bool known = language >= 1 && language <= static_cast<int16_t>(std::size(kHelpPageNames));
    return kHelpPageNames[known ? language - 1 : 0];
}

std::wstring HelpFilePath(DWORD firstCapacity) {
    std::wstring folder = ModuleFileName(firstCapacity);
    const size_t slash = folder.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
    const std::wstring page = folder + HelpPageName(AppState.CurrentLanguage);
    return PageExists(page) ? page : folder + HelpPageName(kEnglish);
}

// Windows no longer shows .HLP files; the help is an HTML page beside the
// program, in the interface language, opened with the system's browser.
void CVellicorApp::OnHelpTopics() {
    const std::wstring path = HelpFilePath();
    if (PageExists(path)) {
        ComApartment apartment;
        if (Opener()(path)) return;
    }
    ShowRefusal(fw::MainWindowHandle(), InterfaceMessage(MSG_HELP_NOT_OPENED) + "\n" + ToAnsi(path));
}
