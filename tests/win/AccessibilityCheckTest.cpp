// The accessibility check: the main window and every dialog the program can
// open are walked, and each edit, combo and list box must have a name a
// screen reader can say (the static text just before it in tab order, as
// Windows names it, or a name the program gave it through the annotation
// seam). Then the form's commands and the Edit menu are driven by real
// keyboard input, and after each one an enabled control must hold the focus;
// where the command selected a paper, the paper list holds it at that paper.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "platform/Accessibility.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "tests/win/GuiTestSupport.h"
#include "text/AccessibleNames.h"

namespace fs = std::filesystem;

namespace {

std::string ClassOf(HWND window) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A static control that shows text (not an icon, frame or picture), which
// Windows takes for the name of the control after it.
bool IsTextLabel(HWND window) {
    if (lstrcmpiA(ClassOf(window).c_str(), "Static") != 0) return false;
    const LONG type = GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
}

// What a screen reader says for the control: the name given through the seam
// first, as the system's annotation would take precedence, then the label
// just before it in tab order (the order of the windows).
std::string ScreenReaderName(HWND control) {
    const auto annotated = platform::RecordedAnnotation(control, platform::AccessibleProperty::Name);
    if (annotated && !annotated->empty()) return *annotated;
    HWND previous = GetWindow(control, GW_HWNDPREV);
    if (!previous || !IsTextLabel(previous)) return "";
    return AccessibleTextsOfLabel(fw::GetWindowTextString(previous)).name;
}

// The edit, combo and list boxes among the window's own controls that have
// no name, each as "<class> <id>".
std::vector<std::string> UnnamedControls(HWND window) {
    std::vector<std::string> unnamed;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string kind = ClassOf(child);
        const bool input = lstrcmpiA(kind.c_str(), "Edit") == 0 || lstrcmpiA(kind.c_str(), "ComboBox") == 0 ||
                           lstrcmpiA(kind.c_str(), "ListBox") == 0;
        if (!input || !IsWindowVisible(child)) continue;
        if (ScreenReaderName(child).empty()) unnamed.push_back(kind + " " + std::to_string(GetDlgCtrlID(child)));
    }
    return unnamed;
}

// The dialog templates of the program's resources (linked into this test as into the program).
std::set<UINT> DialogTemplates() {
    std::set<UINT> ids;
    EnumResourceNamesA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(5),  // RT_DIALOG
        [](HMODULE, LPCSTR, LPSTR name, LONG_PTR found) -> BOOL {
            if (IS_INTRESOURCE(name))
                reinterpret_cast<std::set<UINT>*>(found)->insert(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

class AccessibilityCheck : public guitest::GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        platform::RecordAnnotations(true);
    }
    void TearDown() override {
        GuiTest::TearDown();
        platform::RecordAnnotations(false);
    }

    // The program on an in-memory catalog of these papers, line 0 selected.
    void Start(const std::vector<const char*>& names) {
        WriteConfig("English", {});
        ASSERT_TRUE(StartApp());
        auto catalog = std::make_unique<CPaperCatalog>();
        for (const char* name : names) catalog->AddPaper(name, "A4", "80", "white", "plain", false, catalog->GetCount());
        AppState.CurrentCatalog = std::move(catalog);
        CatalogHistory().Clear();
        View().RefreshPaperList();
        View().SelectDefaultPaperLine();
        View().ShowSelectedPaper();
        Pump();
    }

    // Checks a dialog the hook received and remembers that it was walked.
    void CheckDialog(fw::CDialog& dialog) {
        walked_.insert(dialog.TemplateId());
        EXPECT_EQ(UnnamedControls(dialog.Hwnd()), std::vector<std::string>{}) << "dialog " << dialog.TemplateId();
    }
    // A dialog action that checks the dialog, then closes it with Escape.
    std::function<void(fw::CDialog&)> CheckAndEscape() {
        return [this](fw::CDialog& dialog) {
            CheckDialog(dialog);
            PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
            PostMessageA(GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
            PumpDialog(dialog);
        };
    }

    // Keys as typed, in this order: (virtual key, pressed) pairs, through the real input queue.
    void TypeKeys(const std::vector<std::pair<BYTE, bool>>& strokes) {
        SetForegroundWindow(Frame());
        Pump();
        std::vector<INPUT> inputs;
        for (const auto& [key, down] : strokes) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = key;
            input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
            inputs.push_back(input);
        }
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        for (int i = 0; i < 20; ++i) {
            Sleep(10);
            Pump();
        }
    }

    // The focus rests on an enabled, visible control of the main window.
    ::testing::AssertionResult FocusUsable() {
        HWND focus = GetFocus();
        if (!focus) return ::testing::AssertionFailure() << "no window has the focus";
        const std::string which = ClassOf(focus) + " " + std::to_string(GetDlgCtrlID(focus));
        if (!IsWindowEnabled(focus)) return ::testing::AssertionFailure() << which << " has the focus, disabled";
        if (!IsWindowVisible(focus)) return ::testing::AssertionFailure() << which << " has the focus, hidden";
        if (focus != Frame() && !IsChild(Frame(), focus))
            return ::testing::AssertionFailure() << which << " has the focus, outside the main window";
        return ::testing::AssertionSuccess();
    }

    // "" when the paper list has the focus; otherwise the control that has it.
    std::string FocusOffList() {
        HWND focus = GetFocus();
        if (focus == Control(IDC_PAPER_LIST)) return "";
        return focus ? ClassOf(focus) + " " + std::to_string(GetDlgCtrlID(focus)) : "nothing";
    }

    std::string SelectedLine() {
        const int line = ListSelection(IDC_PAPER_LIST);
        return line < 0 ? "" : ListLines(IDC_PAPER_LIST)[static_cast<size_t>(line)];
    }

    std::set<UINT> walked_;
};

// Every edit, combo and list box of the form and of each dialog is named, in
// English and in German (the names follow the relabelling); no dialog
// template of the program escapes the walk.
TEST_F(AccessibilityCheck, EveryEditComboAndListOfEveryWindowIsNamed) {
    const std::string main = KeyPath("Main");
    WriteConfig("English", {{"Main", "PS", main}, {"Other", "PCL", KeyPath("Other")}});
    guitest::PlantValues(main, {{"Letter", std::string("LETTER,75,white,plain,F,0") + '\0'},
                                {"Blue Cover", std::string("TABLOID,160,blue,cover,T,1") + '\0'}});
    ASSERT_TRUE(StartApp());
    walked_.insert(IDD_VELLICOR_FORM);
    EXPECT_EQ(UnnamedControls(Form()), std::vector<std::string>{});
    EXPECT_EQ(platform::RecordedAnnotation(Control(IDC_PAPER_LIST), platform::AccessibleProperty::Name),
              "Papers in catalog");
    // The group box has no mnemonic, so the list has no shortcut.
    EXPECT_EQ(platform::RecordedAnnotation(Control(IDC_PAPER_LIST), platform::AccessibleProperty::KeyboardShortcut), "");

    // Open (by its shortcut): its list is named by its label's text, and
    // keeps the focus on Cancel with no line selected.
    HWND openList = nullptr;
    OnNextDialog([this, &openList](fw::CDialog& dialog) {
        CheckDialog(dialog);
        HWND list = openList = dialog.Item(IDC_OPEN_LIST);
        EXPECT_EQ(platform::RecordedAnnotation(list, platform::AccessibleProperty::Name), "Catalogs");
        EXPECT_EQ(platform::RecordedAnnotation(list, platform::AccessibleProperty::KeyboardShortcut), "");
        EXPECT_EQ(GetFocus(), dialog.Item(IDCANCEL));
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
        ChooseDialogLine(dialog, IDC_OPEN_LIST, 0);
        SendMessageA(dialog.Item(IDC_OPEN_BUTTON), BM_CLICK, 0, 0);
    });
    PressKeys({VK_CONTROL, 'O'});
    ASSERT_EQ(AppState.CurrentCatalogName, "Main");
    // Gone with the dialog: no later window with the same handle inherits the name.
    EXPECT_EQ(platform::RecordedAnnotation(openList, platform::AccessibleProperty::Name), "");

    OnNextDialog([this](fw::CDialog& dialog) {
        CheckDialog(dialog);
        EXPECT_EQ(platform::RecordedAnnotation(dialog.Item(IDC_SAVE_AS_LIST), platform::AccessibleProperty::Name),
                  "Catalogs");
        EXPECT_EQ(GetFocus(), dialog.Item(IDCANCEL));
        dialog.EndDialog(IDCANCEL);
    });
    Command(ID_FILE_SAVE_AS);
    OnNextDialog(CheckAndEscape());
    PressKeys({VK_CONTROL, 'F'});
    OnNextDialog(CheckAndEscape());
    Command(ID_APP_ABOUT);
    OnNextDialog(CheckAndEscape());
    Command(ID_FILE_COMPARE);

    // A save makes the backup that Restore offers.
    SetCaret(IDC_NAME, 0, -1);
    Type(IDC_NAME, "Draft");
    Click(IDC_ADD);
    PressKeys({VK_CONTROL, 'S'});
    ASSERT_FALSE(CatalogModified());
    OnNextDialog(CheckAndEscape());
    Command(ID_FILE_RESTORE_VERSION);

    // Changed by someone else: Save asks first.
    guitest::PlantValues(main, {{"Elsewhere", std::string("LETTER,80,white,plain,F,0") + '\0'}});
    SetCaret(IDC_NAME, 0, -1);
    Type(IDC_NAME, "Second");
    Click(IDC_ADD);
    OnNextDialog([this](fw::CDialog& dialog) {
        CheckDialog(dialog);
        dialog.EndDialog(IDCANCEL);
    });
    PressKeys({VK_CONTROL, 'S'});

    const fs::path csv = Dir() / "More.csv";
    std::ofstream(csv, std::ios::binary) << "Name;Size;Weight;Color;Type\r\nGreen;A4;90;green;plain\r\n";
    AnswerFileDialog(csv.string());
    OnNextDialog(CheckAndEscape());
    Command(ID_FILE_MERGE);

    // Get Media from Printer, and its wait on a printer that never answers.
    guitest::SilentListener silent;
    OnNextDialog([this, &silent](fw::CDialog& dialog) {
        CheckDialog(dialog);
        EXPECT_EQ(GetFocus(), dialog.Item(IDC_GET_MEDIA_ADDRESS));
        SetWindowTextA(dialog.Item(IDC_GET_MEDIA_ADDRESS), silent.PrinterAddress().c_str());
        SendMessageA(dialog.Item(IDOK), BM_CLICK, 0, 0);
    });
    OnNextDialog([this](fw::CDialog& dialog) {
        EXPECT_EQ(GetFocus(), dialog.Item(IDCANCEL)) << "the wait's one button";
        CheckAndEscape()(dialog);
    });
    Command(ID_FILE_GET_MEDIA);

    for (UINT id : DialogTemplates()) EXPECT_TRUE(walked_.count(id)) << "dialog " << id << " was not checked";

    // In German the names are German: set again by the relabelling.
    StopApp();
    WriteConfig("German", {{"Main", "PS", main}});
    platform::RecordAnnotations(true);
    ASSERT_TRUE(StartApp());
    EXPECT_EQ(platform::RecordedAnnotation(Control(IDC_PAPER_LIST), platform::AccessibleProperty::Name),
              "Papiere im Katalog");
    OnNextDialog([this](fw::CDialog& dialog) {
        CheckDialog(dialog);
        EXPECT_EQ(platform::RecordedAnnotation(dialog.Item(IDC_OPEN_LIST), platform::AccessibleProperty::Name),
                  "Kataloge");
        dialog.EndDialog(IDCANCEL);
    });
    Command(ID_FILE_OPEN);
    // The system's refusal (Wine's E_NOTIMPL) was reported nowhere.
    EXPECT_TRUE(Boxes().empty());
}

struct FocusStep {
    const char* what;
    std::function<void()> prepare;  // may be empty
    std::vector<std::pair<BYTE, bool>> keys;
    const char* listAt;  // the paper list has the focus at this paper; null: any enabled control
};

std::vector<std::pair<BYTE, bool>> Chord(std::initializer_list<BYTE> keys) {
    std::vector<std::pair<BYTE, bool>> strokes;
    for (BYTE key : keys) strokes.emplace_back(key, true);
    for (auto it = keys.end(); it != keys.begin();) strokes.emplace_back(*--it, false);
    return strokes;
}

// A menu item by its mnemonics, through the menu bar: Alt and the menu's letter, then the item's.
std::vector<std::pair<BYTE, bool>> MenuItem(BYTE menu, BYTE item) {
    return {{VK_MENU, true}, {menu, true}, {menu, false}, {VK_MENU, false}, {item, true}, {item, false}};
}

std::vector<std::pair<BYTE, bool>> EditMenu(BYTE item) { return MenuItem('E', item); }

// After each command of the form (its buttons by their mnemonics) and of the
// Edit menu (by its shortcuts and through the menu bar), in one session: an
// enabled control has the focus, and the paper list where a paper was selected.
TEST_F(AccessibilityCheck, AfterEveryCommandOfTheFormAndTheEditMenuAnEnabledControlHasTheFocus) {
    Start({"Alpha", "Beta", "Gamma"});
    const auto typeName = [this](const std::string& name) {
        return [this, name] {
            SetCaret(IDC_NAME, 0, -1);
            Type(IDC_NAME, name);
        };
    };
    const auto focus = [this](int id) { return [this, id] { Focus(id); }; };
    // From the Paper field, which the found paper's name then fills.
    const auto findDialog = [this](const std::string& text) {
        return [this, text] {
            Focus(IDC_NAME);
            OnNextDialog([text](fw::CDialog& dialog) {
                SetWindowTextA(dialog.Item(IDC_FIND_TEXT), text.c_str());
                SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
            });
        };
    };
    const fs::path csv = Dir() / "Green.csv";
    std::ofstream(csv, std::ios::binary) << "Name;Size;Weight;Color;Type\r\nGreen;A4;90;green;plain\r\n";
    const auto mergeFile = [this, csv] {
        Focus(IDC_NAME);
        AnswerFileDialog(csv.string());
        OnNextDialog([](fw::CDialog& dialog) { SendMessageA(dialog.Item(IDOK), BM_CLICK, 0, 0); });
    };
    const FocusStep steps[] = {
        // Add disables itself: the name is taken now.
        {"Add", typeName("Delta"), Chord({VK_MENU, 'A'}), "Delta"},
        {"Modify", typeName("Delta2"), Chord({VK_MENU, 'Y'}), nullptr},
        {"Move Up", nullptr, Chord({VK_MENU, 'M'}), nullptr},
        {"Move Up", nullptr, Chord({VK_MENU, 'M'}), nullptr},
        // At the top Move Up disables itself.
        {"Move Up to the top", nullptr, Chord({VK_MENU, 'M'}), "Delta2"},
        {"Move Down", nullptr, Chord({VK_MENU, 'O'}), nullptr},
        {"Move Down", nullptr, Chord({VK_MENU, 'O'}), nullptr},
        {"Move Down to the end", nullptr, Chord({VK_MENU, 'O'}), "Delta2"},
        {"Delete", focus(IDC_DELETE), Chord({VK_MENU, 'D'}), nullptr},
        {"Undo", focus(IDC_MOVE_UP), Chord({VK_CONTROL, 'Z'}), "Delta2"},
        {"Redo", focus(IDC_NAME), Chord({VK_CONTROL, 'Y'}), "Gamma"},
        {"Copy", nullptr, Chord({VK_CONTROL, 'C'}), "Gamma"},
        // From the size box, which takes no text: the catalog's Paste, not a field's.
        {"Paste", focus(IDC_SIZE), Chord({VK_CONTROL, 'V'}), "Gamma-Copy"},
        {"Duplicate", focus(IDC_MOVE_UP), Chord({VK_CONTROL, 'D'}), "Gamma-Copy-Copy"},
        {"Cut", nullptr, Chord({VK_CONTROL, 'X'}), nullptr},
        {"Find", findDialog("bet"), Chord({VK_CONTROL, 'F'}), "Beta"},
        {"Find Next", focus(IDC_NAME), Chord({VK_F3}), "Beta"},
        {"Find Previous", focus(IDC_WEIGHT), Chord({VK_SHIFT, VK_F3}), "Beta"},
        // Moved to the top while Move Up has the focus: Move Up disables itself.
        {"Move to Top", focus(IDC_MOVE_UP), EditMenu('O'), "Beta"},
        {"Move to Bottom", focus(IDC_MOVE_DOWN), EditMenu('B'), "Beta"},
        // File > Merge from File by its mnemonics, from the Paper field: the paper stays selected.
        {"Merge from File", mergeFile, MenuItem('F', 'G'), "Beta"},
    };
    for (const FocusStep& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.prepare) step.prepare();
        TypeKeys(step.keys);
        EXPECT_TRUE(FocusUsable());
        if (step.listAt) {
            EXPECT_EQ(FocusOffList(), "");
            EXPECT_EQ(SelectedLine(), step.listAt);
        }
    }
    // The walk changed the catalog as the commands say, so each key did reach its command.
    EXPECT_EQ(ListLines(IDC_PAPER_LIST),
              (std::vector<std::string>{"Alpha", "Gamma", "Gamma-Copy", "Beta", "Green"}));
    EXPECT_TRUE(Boxes().empty());
}

// F6 and Shift+F6 go from the paper list (or its buttons) to the Paper field,
// and from any field (or its buttons) back to the list.
TEST_F(AccessibilityCheck, F6AndShiftF6MoveBetweenThePaperListAndThePapersFields) {
    Start({"Alpha", "Beta", "Gamma"});
    struct PaneCase {
        int from;
        bool shift;
        int to;
    };
    const PaneCase cases[] = {
        {IDC_PAPER_LIST, false, IDC_NAME}, {IDC_NAME, false, IDC_PAPER_LIST},  {IDC_PAPER_LIST, true, IDC_NAME},
        {IDC_NAME, true, IDC_PAPER_LIST},  {IDC_DELETE, false, IDC_NAME},      {IDC_MOVE_DOWN, true, IDC_NAME},
        {IDC_SIZE, false, IDC_PAPER_LIST}, {IDC_COLOR, true, IDC_PAPER_LIST},  {IDC_TYPE, false, IDC_PAPER_LIST},
        {IDC_FORCE_ONE_SIDED, false, IDC_PAPER_LIST},
    };
    for (const PaneCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + (c.shift ? " Shift+F6" : " F6"));
        Focus(c.from);
        TypeKeys(c.shift ? Chord({VK_SHIFT, VK_F6}) : Chord({VK_F6}));
        EXPECT_EQ(GetFocus(), Control(c.to)) << ClassOf(GetFocus()) << " " << GetDlgCtrlID(GetFocus());
    }
    // The selection and the fields stay as they were.
    EXPECT_EQ(SelectedLine(), "Alpha");
    EXPECT_EQ(Text(IDC_NAME), "Alpha");
    EXPECT_FALSE(View().PaperEditPending());
}

}  // namespace
