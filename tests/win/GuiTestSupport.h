// Driving the real program under Wine: a fresh configuration in a directory of
// its own, the application started as the program starts it, and helpers that
// act as a user does (typing, clicking, choosing list lines, menu commands and
// shortcut keys). Message boxes, the catalog dialogs and the file dialogs are
// answered by the test; every message box is recorded.
#pragma once

#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <source_location>
#include <string>
#include <vector>

#include "app/VellicorApp.h"
#include "editor/VellicorView.h"
#include "framework/Dialog.h"
#include "framework/FileDialog.h"
#include "platform/MessageBox.h"
#include "tests/unit/PaperTestSupport.h"

namespace guitest {

// Registry keys the tests create live below this one.
inline constexpr const char* kTestRoot = "SOFTWARE\\QuandrelTests\\Gui";

// A key's values by name, each as its bytes are stored.
using StoredValues = std::map<std::string, std::string>;
// A REG_SZ value's bytes as stored: the text and its terminating zero.
inline std::string Sz(const std::string& text) { return text + '\0'; }
// Writes the values as REG_SZ into the key below HKEY_LOCAL_MACHINE, creating it.
void PlantValues(const std::string& path, const StoredValues& values);
// Every value of the key; a value of another type than REG_SZ is marked with
// its type, so that it cannot pass for a paper. None when the key is missing.
StoredValues ReadStoredValues(const std::string& path);

// Takes connections on 127.0.0.1 (the system completes them from its backlog)
// and never reads or answers: a printer that hangs. Port 0 when it could not listen.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int Port() const { return port_; }
    std::string PrinterAddress() const { return "ipp://127.0.0.1:" + std::to_string(port_) + "/ipp/print"; }

private:
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};

struct ConfiguredCatalog {
    std::string name;
    std::string pdl;
    std::string registryPath;  // below HKEY_LOCAL_MACHINE
};

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes Vellicor.cfg into the test's directory (the current one).
    void WriteConfig(const std::string& language, const std::vector<ConfiguredCatalog>& catalogs,
                     int minimumWeight = 60, int maximumWeight = 200, const std::string& productName = "Quandrel Test");
    void WriteConfigBytes(const std::string& bytes);
    // Starts the program as WinMain does; false when start-up ended it.
    bool StartApp();
    void Pump();

    CVellicorApp& App() { return *app_; }
    CVellicorView& View() { return *app_->View(); }
    HWND Frame() const;
    HWND Form() const;
    HWND Control(int id) const;
    std::string Text(HWND hwnd) const;
    std::string Text(int controlId) const { return Text(Control(controlId)); }
    bool Enabled(int controlId) const { return IsWindowEnabled(Control(controlId)) != FALSE; }
    std::vector<std::string> ListLines(int listId) const;
    int ListSelection(int listId) const;
    std::vector<std::string> ComboLines(int comboId) const;

    // User actions.
    void Type(int controlId, const std::string& text);  // characters at the caret, one by one
    void SetCaret(int controlId, int start, int end);
    void Paste(int controlId, const std::string& text);  // through the clipboard
    // Text put on the clipboard as another program puts it (CF_TEXT only, or the format given).
    void PutOnClipboard(const std::string& text, UINT format = CF_TEXT);
    void ClickListLine(int listId, int line);            // a mouse click on the line
    // The user's hand on the mouse: real input through the system's input queue
    // (SendInput) at the middle of a list line's rectangle, mapped to the screen,
    // so the list box and everything watching it see what a click makes of it.
    void MouseClickListLine(int listId, int line, std::source_location where = std::source_location::current());
    // Pressed on line `from`, moved in steps onto line `to`, released there;
    // `whileHeld`, when given, runs before the button is released.
    void MouseDragListLine(int listId, int from, int to, const std::function<void()>& whileHeld = nullptr,
                           std::source_location where = std::source_location::current());
    void ChooseComboLine(int comboId, int line);         // a choice the combo box reports itself
    void Click(int buttonId);
    void Focus(int controlId);
    void Command(UINT id);                                // a menu item
    // File > Open, the configured catalog of that name chosen in the dialog.
    void OpenCatalog(const std::string& name);
    void PressKeys(std::initializer_list<BYTE> keys);     // a shortcut, through the real input queue
    // Whether a File or Help menu item is enabled after its popup opened.
    bool MenuItemEnabled(UINT id);

    // Answers for the next message boxes, in order; a box with no answer left
    // is answered with OK (or No/Cancel for questions) and fails the test.
    void AnswerBoxes(std::initializer_list<int> answers);
    // The next box is answered by `answer`, which may act while the box is open.
    void AnswerBoxWith(std::function<int()> answer);
    const std::vector<platform::MessageBoxRequest>& Boxes() const;
    // Called for the next modal dialog, in order.
    void OnNextDialog(std::function<void(fw::CDialog&)> action);
    // Dialogs of this template run on their own, taking no action, until
    // the test says otherwise: a wait that may end before its loop runs.
    void LetDialogRun(UINT templateId, bool run) {
        if (run)
            runningAlone_.insert(templateId);
        else
            runningAlone_.erase(templateId);
    }
    // `fileType`: the 1-based file type the user chose in the dialog.
    void AnswerFileDialog(std::optional<std::string> path, DWORD fileType = 1);
    const std::vector<fw::FileDialogRequest>& FileDialogs() const { return fileDialogs_; }

    // Acting inside a dialog the hook received.
    static void ChooseDialogLine(fw::CDialog& dialog, int listId, int line);
    static std::vector<std::string> DialogLines(fw::CDialog& dialog, int listId);
    // Handles the queued messages as the dialog's own loop would (keys through
    // its dialog keyboard handling), from inside a dialog action.
    static void PumpDialog(fw::CDialog& dialog);

    // Ends the running program as TearDown does and forgets its state, so that
    // a test can start it again on another configuration.
    void StopApp();

    std::filesystem::path Dir() const { return dir_; }
    // The backup folder WriteConfig configures; more [Backups] lines for it.
    std::filesystem::path BackupDir() const { return dir_ / "Backups"; }
    std::string backupKeys_;
    std::string KeyPath(const std::string& leaf) const { return std::string(kTestRoot) + "\\" + leaf; }

private:
    void HandleInput();
    void MoveMouseTo(POINT at);

    std::filesystem::path previousDir_;
    std::filesystem::path dir_;
    std::unique_ptr<CVellicorApp> app_;
    std::deque<std::function<int()>> boxAnswers_;
    std::deque<std::function<void(fw::CDialog&)>> dialogActions_;
    std::set<UINT> runningAlone_;
    std::deque<std::pair<std::optional<std::string>, DWORD>> fileAnswers_;
    std::vector<fw::FileDialogRequest> fileDialogs_;
};

}  // namespace guitest
