#include "catalog/EditHistory.h"
#include "tests/win/GuiTestSupport.h"

#include <fstream>

#include "app/MainFrame.h"
#include "framework/FormView.h"
#include "platform/Registry.h"
#include "resources/resource.h"
#include "state/AppState.h"

namespace fs = std::filesystem;

namespace guitest {

void PlantValues(const std::string& path, const StoredValues& values) {
    platform::RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(platform::CreateOrOpenKey(path, key, disposition), platform::kRegOk) << path;
    for (const auto& [name, bytes] : values) {
        ASSERT_EQ(platform::SetRawValue(key, name, platform::kRegSz, bytes), platform::kRegOk) << name;
    }
}

StoredValues ReadStoredValues(const std::string& path) {
    StoredValues values;
    platform::RegKey key;
    if (platform::OpenKeyForReading(path, key) != platform::kRegOk) return values;
    for (uint32_t index = 0;; ++index) {
        platform::RegValue value;
        if (platform::EnumValue(key, index, 16384, 65536, value) != platform::kRegOk) break;
        values[value.name] =
            value.type == platform::kRegSz ? value.data : "<type " + std::to_string(value.type) + ">" + value.data;
    }
    return values;
}

void GuiTest::SetUp() {
    AppState.Reset();
    platform::ClearRecordedMessageBoxes();
    platform::DeleteKeyTree(kTestRoot);
    previousDir_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("quandrel-gui-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);

    platform::SetMessageBoxAnswerer([this](const platform::MessageBoxRequest& box) -> int {
        if (!boxAnswers_.empty()) {
            auto answer = std::move(boxAnswers_.front());
            boxAnswers_.pop_front();
            return answer();
        }
        ADD_FAILURE() << "unexpected message box: " << box.text;
        const unsigned buttons = box.style & 0x0F;
        return buttons == platform::kMbYesNo ? platform::kIdNo
               : buttons == platform::kMbYesNoCancel ? platform::kIdCancel
                                                     : platform::kIdOk;
    });
    fw::SetModalDialogHook([this](fw::CDialog& dialog) {
        if (runningAlone_.count(dialog.TemplateId())) return;
        if (dialogActions_.empty()) {
            ADD_FAILURE() << "unexpected dialog " << dialog.TemplateId();
            dialog.EndDialog(IDCANCEL);
            return;
        }
        auto action = std::move(dialogActions_.front());
        dialogActions_.pop_front();
        action(dialog);
    });
    fw::SetFileDialogAnswerer([this](const fw::FileDialogRequest& request) -> std::optional<std::string> {
        fileDialogs_.push_back(request);
        if (fileAnswers_.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return std::nullopt;
        }
        auto [answer, fileType] = fileAnswers_.front();
        fileAnswers_.pop_front();
        if (request.chosenFilter) *request.chosenFilter = fileType;
        return answer;
    });
}

void GuiTest::TearDown() {
    StopApp();
    EXPECT_TRUE(boxAnswers_.empty()) << boxAnswers_.size() << " message box answers left unused";
    EXPECT_TRUE(dialogActions_.empty()) << dialogActions_.size() << " dialog actions left unused";
    EXPECT_TRUE(fileAnswers_.empty()) << fileAnswers_.size() << " file dialog answers left unused";
    platform::SetMessageBoxAnswerer(nullptr);
    fw::SetModalDialogHook(nullptr);
    fw::SetFileDialogAnswerer(nullptr);
    fs::current_path(previousDir_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
    platform::DeleteKeyTree(kTestRoot);
    AppState.Reset();
}

SilentListener::SilentListener() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(socket_, 4) == 0 &&
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port_ = ntohs(address.sin_port);
}

SilentListener::~SilentListener() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    WSACleanup();
}

void GuiTest::WriteConfig(const std::string& language, const std::vector<ConfiguredCatalog>& catalogs,
                          int minimumWeight, int maximumWeight, const std::string& productName) {
    std::string text = "[I18N]\r\nLanguage=" + language + "\r\n[Limits]\r\nMinimumPaperWeight=" +
                       std::to_string(minimumWeight) + "\r\nMaximumPaperWeight=" + std::to_string(maximumWeight) +
                       "\r\n[Strings]\r\nProduct_Name=" + productName + "\r\n[Windows NT]\r\n";
    for (size_t i = 0; i < catalogs.size(); ++i) {
        char number[8];
        snprintf(number, sizeof number, "%02d", static_cast<int>(i + 1));
        text += std::string("Catalog_") + number + "=" + catalogs[i].name + "\r\n";
        text += std::string("PDL_") + number + "=" + catalogs[i].pdl + "\r\n";
        text += std::string("Registry_") + number + "=" + catalogs[i].registryPath + "\r\n";
    }
    // Backups go into the test's own directory, never the machine's.
    text += "[Backups]\r\nFolder=" + BackupDir().string() + "\r\n" + backupKeys_;
    WriteConfigBytes(text);
}

void GuiTest::WriteConfigBytes(const std::string& bytes) {
    std::ofstream out(dir_ / "Vellicor.cfg", std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool GuiTest::StartApp() {
    app_ = std::make_unique<CVellicorApp>();
    const bool started = app_->InitInstance();
    Pump();
    return started;
}

void GuiTest::Pump() {
    if (app_) {
        app_->PumpPendingMessages();
        return;
    }
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

HWND GuiTest::Frame() const { return app_ && app_->Frame() ? app_->Frame()->Hwnd() : nullptr; }
HWND GuiTest::Form() const { return app_ && app_->View() ? app_->View()->Hwnd() : nullptr; }
HWND GuiTest::Control(int id) const { return GetDlgItem(Form(), id); }

std::string GuiTest::Text(HWND hwnd) const { return fw::GetWindowTextString(hwnd); }

// The texts of a list box's or a combo box's lines.
static std::vector<std::string> Lines(HWND control, bool combo) {
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
        lines.push_back(combo ? fw::GetComboLineText(control, i) : fw::GetListLineText(control, i));
    return lines;
}

std::vector<std::string> GuiTest::ListLines(int listId) const { return Lines(Control(listId), false); }

int GuiTest::ListSelection(int listId) const {
    return static_cast<int>(SendMessageA(Control(listId), LB_GETCURSEL, 0, 0));
}

std::vector<std::string> GuiTest::ComboLines(int comboId) const {
    return Lines(Control(comboId), true);
}

// The edit control that takes the keys: the control itself, or a combo box's edit field.
static HWND KeyTarget(HWND control) {
    char className[32];
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "ComboBox") == 0) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (GetComboBoxInfo(control, &info) && info.hwndItem) return info.hwndItem;
    }
    return control;
}

void GuiTest::Type(int controlId, const std::string& text) {
    HWND target = KeyTarget(Control(controlId));
    SetFocus(target);
    for (unsigned char c : text) {
        SendMessageA(target, WM_CHAR, c, 1);
        Pump();
    }
}

void GuiTest::SetCaret(int controlId, int start, int end) {
    HWND target = KeyTarget(Control(controlId));
    SendMessageA(target, EM_SETSEL, start, end);
}

void GuiTest::Paste(int controlId, const std::string& text) {
    HWND target = KeyTarget(Control(controlId));
    SetFocus(target);
    PutOnClipboard(text);
    SendMessageA(target, WM_PASTE, 0, 0);
    Pump();
}

void GuiTest::PutOnClipboard(const std::string& text, UINT format) {
    ASSERT_TRUE(OpenClipboard(Frame()));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(format, memory);
    CloseClipboard();
}

// A mouse click in the middle of a list box's line.
static void ClickLine(HWND list, int line) {
    RECT item{};
    ASSERT_NE(SendMessageA(list, LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&item)), LB_ERR);
    const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(list, WM_LBUTTONUP, 0, point);
}

void GuiTest::ClickListLine(int listId, int line) {
    HWND list = Control(listId);
    SendMessageA(list, LB_SETTOPINDEX, line, 0);
    ClickLine(list, line);
    Pump();
}

// The middle of a list line on the screen; the line is scrolled into view first.
static POINT LineOnScreen(HWND list, int line) {
    RECT client{};
    GetClientRect(list, &client);
    RECT item{};
    if (SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&item)) == LB_ERR ||
        item.top < client.top || item.bottom > client.bottom) {
        SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(line), 0);
        SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&item));
    }
    POINT point{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
}

// One mouse event through the input queue; the position in SendInput's
// absolute units, 0 to 65535 across the primary screen.
static void SendMouse(DWORD flags, POINT at) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((at.x * 65536 + width - 1) / width);
    input.mi.dy = static_cast<LONG>((at.y * 65536 + height - 1) / height);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ASSERT_EQ(SendInput(1, &input, sizeof input), 1u);
}

// Input sent to the system reaches the program's queue through the display
// driver; it is handled once a few rounds find no input queued. A timer that
// keeps firing (a drag's scrolling) does not hold the test up for longer than
// a second.
void GuiTest::HandleInput() {
    for (int quiet = 0, round = 0; quiet < 3 && round < 200; ++round) {
        Sleep(5);
        if (HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0)
            quiet = 0;
        else
            ++quiet;
        Pump();
    }
}

void GuiTest::MoveMouseTo(POINT at) {
    SendMouse(0, at);
    HandleInput();
    POINT cursor{};
    GetCursorPos(&cursor);
    ASSERT_TRUE(cursor.x == at.x && cursor.y == at.y)
        << "cursor at " << cursor.x << "," << cursor.y << ", not " << at.x << "," << at.y;
}

void GuiTest::MouseClickListLine(int listId, int line, std::source_location where) {
    ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "mouse click");
    SetForegroundWindow(Frame());
    Pump();
    const POINT at = LineOnScreen(Control(listId), line);
    ASSERT_NO_FATAL_FAILURE(MoveMouseTo(at));
    SendMouse(MOUSEEVENTF_LEFTDOWN, at);
    HandleInput();
    SendMouse(MOUSEEVENTF_LEFTUP, at);
    HandleInput();
}

void GuiTest::MouseDragListLine(int listId, int from, int to, const std::function<void()>& whileHeld,
                                std::source_location where) {
    ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "mouse drag");
    SetForegroundWindow(Frame());
    Pump();
    HWND list = Control(listId);
    const POINT start = LineOnScreen(list, from);
    const POINT end = LineOnScreen(list, to);
    ASSERT_NO_FATAL_FAILURE(MoveMouseTo(start));
    SendMouse(MOUSEEVENTF_LEFTDOWN, start);
    HandleInput();
    // In steps, as a hand moves: past the distance that starts a drag, then on to the line.
    constexpr int kSteps = 4;
    for (int step = 1; step <= kSteps; ++step) {
        POINT at{start.x + (end.x - start.x) * step / kSteps, start.y + (end.y - start.y) * step / kSteps};
        if (step == 1 && from == to) at.x += GetSystemMetrics(SM_CXDRAG) + 1;
        if (step == kSteps) at = end;
        ASSERT_NO_FATAL_FAILURE(MoveMouseTo(at));
    }
    if (whileHeld) whileHeld();
    SendMouse(MOUSEEVENTF_LEFTUP, end);
    HandleInput();
}

// The keyboard's way of choosing: the line before it, quietly, then Down, which
// the combo box answers by selecting the line and reporting the change. Line 0
// is reached from line 1 with Up (Down from no selection moves on from the
// list's caret line, which need not be before line 0).
void GuiTest::ChooseComboLine(int comboId, int line) {
    HWND combo = Control(comboId);
    const WPARAM key = line == 0 ? VK_UP : VK_DOWN;
    SendMessageA(combo, CB_SETCURSEL, line == 0 ? 1 : line - 1, 0);
    HWND target = KeyTarget(combo);
    SetFocus(target);
    SendMessageA(target, WM_KEYDOWN, key, 1);
    SendMessageA(target, WM_KEYUP, key, 0xC0000001);
    Pump();
}

void GuiTest::Click(int buttonId) {
    SendMessageA(Control(buttonId), BM_CLICK, 0, 0);
    Pump();
}

void GuiTest::Focus(int controlId) {
    SetFocus(KeyTarget(Control(controlId)));
    Pump();
}

void GuiTest::Command(UINT id) {
    SendMessageA(Frame(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump();
}

void GuiTest::PressKeys(std::initializer_list<BYTE> keys) {
    SetForegroundWindow(Frame());
    Pump();
    std::vector<INPUT> inputs;
    for (BYTE key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        --it;
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *it;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    // The keys arrive through the X server; give them a moment.
    for (int i = 0; i < 20; ++i) {
        Sleep(10);
        Pump();
    }
}

void GuiTest::OpenCatalog(const std::string& name) {
    OnNextDialog([name](fw::CDialog& dialog) {
        const std::vector<std::string> lines = DialogLines(dialog, IDC_OPEN_LIST);
        for (size_t line = 0; line < lines.size(); ++line) {
            if (lines[line] != name) continue;
            ChooseDialogLine(dialog, IDC_OPEN_LIST, static_cast<int>(line));
            SendMessageA(dialog.Item(IDC_OPEN_BUTTON), BM_CLICK, 0, 0);
            return;
        }
        ADD_FAILURE() << "no catalog " << name;
        dialog.EndDialog(IDCANCEL);
    });
    Command(ID_FILE_OPEN);
    ASSERT_EQ(AppState.CurrentCatalogName, name);
}

bool GuiTest::MenuItemEnabled(UINT id) {
    HMENU bar = GetMenu(Frame());
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        HMENU popup = GetSubMenu(bar, i);
        for (int j = 0; j < GetMenuItemCount(popup); ++j) {
            if (GetMenuItemID(popup, j) != id) continue;
            SendMessageA(Frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(i, 0));
            return (GetMenuState(popup, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
        }
    }
    ADD_FAILURE() << "no menu item " << id;
    return false;
}

void GuiTest::AnswerBoxes(std::initializer_list<int> answers) {
    for (int answer : answers) boxAnswers_.push_back([answer] { return answer; });
}

void GuiTest::AnswerBoxWith(std::function<int()> answer) { boxAnswers_.push_back(std::move(answer)); }

const std::vector<platform::MessageBoxRequest>& GuiTest::Boxes() const { return platform::RecordedMessageBoxes(); }

void GuiTest::OnNextDialog(std::function<void(fw::CDialog&)> action) { dialogActions_.push_back(std::move(action)); }

void GuiTest::AnswerFileDialog(std::optional<std::string> path, DWORD fileType) {
    fileAnswers_.emplace_back(std::move(path), fileType);
}

void GuiTest::ChooseDialogLine(fw::CDialog& dialog, int listId, int line) { ClickLine(dialog.Item(listId), line); }

std::vector<std::string> GuiTest::DialogLines(fw::CDialog& dialog, int listId) {
    return Lines(dialog.Item(listId), false);
}

void GuiTest::PumpDialog(fw::CDialog& dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        if (dialog.Hwnd() && IsDialogMessageA(dialog.Hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void GuiTest::StopApp() {
    if (app_) {
        // Close without the questions: the test is over.
        CatalogHistory().MarkSaved();
        if (app_->View()) app_->View()->DropPendingEdit();
        app_.reset();
    }
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) DispatchMessageA(&msg);
    }
    AppState.Reset();
}

}  // namespace guitest
