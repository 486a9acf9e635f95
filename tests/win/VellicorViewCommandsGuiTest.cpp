// The File menu's catalog commands driven as a user drives them: menu items and
// shortcut keys, the questions and dialogs answered, then the list, the
// fields, the menu, the title bar, the registry values and the files checked.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <source_location>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "editor/CatalogRights.h"
#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "framework/Application.h"
#include "platform/Elevation.h"
#include "platform/FileReplace.h"
#include "platform/Registry.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "tests/unit/KeySecurity.h"
#include "tests/win/GuiTestSupport.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

constexpr const char* kUntitledTitle = "Quandrel  - Untitled";
constexpr const char* kProductCaption = "Quandrel ";

using guitest::PlantValues;
using guitest::ReadStoredValues;
using guitest::StoredValues;
using guitest::Sz;

// The papers of the worked example (the English default paper and a forced
// cover paper) in both registry forms, and as a catalog file.
const StoredValues kExampleKeyword = {
    {"Letter", Sz("LETTER,75,white,plain,F,0")},
    {"Blue Cover", Sz("TABLOID,160,blue,cover,T,1")},
};
const StoredValues kExampleDescriptive = {
    {"PaperDef0", Sz("Letter,8.5 x 11 in,612 792 ,75 gsm,white,plain,f")},
    {"PaperDef1", Sz("Blue Cover,11 x 17 in,792 1224 ,160 gsm,blue,cover,t")},
};
// The same two papers in the other order.
const StoredValues kSwappedKeyword = {
    {"Blue Cover", Sz("TABLOID,160,blue,cover,T,0")},
    {"Letter", Sz("LETTER,75,white,plain,F,1")},
};
const StoredValues kSwappedDescriptive = {
    {"PaperDef0", Sz("Blue Cover,11 x 17 in,792 1224 ,160 gsm,blue,cover,t")},
    {"PaperDef1", Sz("Letter,8.5 x 11 in,612 792 ,75 gsm,white,plain,f")},
};

std::string ExampleFileBytes() {
    const std::string rule = std::string(71, ';') + "\r\n";
    const std::string empty = ";" + std::string(69, ' ') + ";\r\n";
    return "[Paper Catalog]\r\n" + rule + empty +
           ";     Warning: Editing this file may cause unpredictable results.     ;\r\n" + empty + rule +
           "[Papers]\r\n"
           "Paper_000=Letter,LETTER,75,white,plain,F\r\n"
           "Paper_001=Blue Cover,TABLOID,160,blue,cover,T\r\n";
}

bool KeyExists(const std::string& path) {
    platform::RegKey key;
    return platform::OpenKeyForReading(path, key) == platform::kRegOk;
}

void PlantDword(const std::string& path, const std::string& name) {
    platform::RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(platform::CreateOrOpenKey(path, key, disposition), platform::kRegOk) << path;
    ASSERT_EQ(platform::SetRawValue(key, name, platform::kRegDword, "\x01\x00\x00\x00"s), platform::kRegOk);
}


// File > Save's picture, the administrator shield when one is shown.
bool SaveShield() {
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    return GetMenuItemInfoA(GetMenu(fw::MainWindowHandle()), ID_FILE_SAVE, FALSE, &item) && item.hbmpItem != nullptr;
}

// Whether the system has a shield to show (Wine may have none).
bool ShieldAvailable() {
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof info;
    const bool stock = SUCCEEDED(SHGetStockIconInfo(SIID_SHIELD, SHGSI_ICON | SHGSI_SMALLICON, &info)) && info.hIcon;
    if (stock) DestroyIcon(info.hIcon);
    return stock || LoadImageA(nullptr, MAKEINTRESOURCEA(32518), IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
}

int ButtonsOf(const platform::MessageBoxRequest& box) { return static_cast<int>(box.style & 0x0F); }
int IconOf(const platform::MessageBoxRequest& box) { return static_cast<int>(box.style & 0xF0); }

class DocumentCommandsGuiTest : public guitest::GuiTest {
protected:
    // Catalogs: "Main" (PS), "Other" (PCL), "Lower" (PDL "ps", which is not
    // the keyword form's "PS"), "Empty" (PS), and "Fresh" (PS), whose key does
    // not exist at start-up. Keys are made before the program starts, as the
    // program learns at start-up which catalogs can be opened.
    void SetUp() override {
        guitest::GuiTest::SetUp();
        WriteConfig("English", {{"Main", "PS", KeyPath("Main")},
                                {"Other", "PCL", KeyPath("Other")},
                                {"Lower", "ps", KeyPath("Lower")},
                                {"Empty", "PS", KeyPath("Empty")},
                                {"Fresh", "PS", KeyPath("Fresh")}});
        PlantValues(KeyPath("Main"), kExampleKeyword);
        PlantValues(KeyPath("Other"), kExampleDescriptive);
        PlantValues(KeyPath("Lower"), kExampleDescriptive);
        PlantValues(KeyPath("Empty"), {});
    }

    void Start(std::source_location where = std::source_location::current()) {
        testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "Start");
        ASSERT_TRUE(StartApp());
        ASSERT_EQ(Title(), kUntitledTitle);
    }

    std::string Title() const { return Text(Frame()); }

    // A dialog action: chooses the catalog `name` in the Open or Save As
    // dialog and presses its action button.
    static std::function<void(fw::CDialog&)> Choose(const std::string& name) {
        return [name](fw::CDialog& dialog) {
            const bool open = dialog.TemplateId() == IDD_OPEN_CATALOG;
            const int list = open ? IDC_OPEN_LIST : IDC_SAVE_AS_LIST;
            const std::vector<std::string> lines = DialogLines(dialog, list);
            for (size_t line = 0; line < lines.size(); ++line) {
                if (lines[line] != name) continue;
                ChooseDialogLine(dialog, list, static_cast<int>(line));
                SendMessageA(dialog.Item(open ? IDC_OPEN_BUTTON : IDC_SAVE_AS_BUTTON), BM_CLICK, 0, 0);
                return;
            }
            ADD_FAILURE() << "no catalog " << name << " in dialog " << dialog.TemplateId();
            dialog.EndDialog(IDCANCEL);
        };
    }
    static std::function<void(fw::CDialog&)> CancelDialog() {
        return [](fw::CDialog& dialog) { dialog.EndDialog(IDCANCEL); };
    }

    void OpenCatalog(const std::string& name, std::source_location where = std::source_location::current()) {
        testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "OpenCatalog " + name);
        OnNextDialog(Choose(name));
        Command(ID_FILE_OPEN);
        ASSERT_EQ(AppState.CurrentCatalogName, name);
        ASSERT_FALSE(CatalogModified());
    }

    // Typed text in the name field, not added or modified.
    void MakePendingEdit(std::source_location where = std::source_location::current()) {
        testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "MakePendingEdit");
        SetCaret(IDC_NAME, 0, -1);
        Type(IDC_NAME, "Draft");
        ASSERT_EQ(Text(IDC_NAME), "Draft");
        ASSERT_TRUE(View().PaperEditPending());
    }

    // A paper added with the selected paper's attributes under a new name.
    void AddPaperNamed(const std::string& name, std::source_location where = std::source_location::current()) {
        testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "AddPaperNamed " + name);
        SetCaret(IDC_NAME, 0, -1);
        Type(IDC_NAME, name);
        ASSERT_TRUE(Enabled(IDC_ADD));
        Click(IDC_ADD);
        ASSERT_TRUE(CatalogModified());
        ASSERT_FALSE(View().PaperEditPending());
    }

    std::string PathIn(const std::string& name) const { return (Dir() / name).string(); }

    // A dialog action for the question before overwriting a catalog changed
    // elsewhere: presses `button` (or Enter, for IDOK), keeping what it showed.
    std::function<void(fw::CDialog&)> AnswerStoredChange(int button) {
        return [this, button](fw::CDialog& dialog) {
            EXPECT_EQ(dialog.TemplateId(), static_cast<UINT>(IDD_STORED_CHANGE));
            storedChangeText_ = Text(dialog.Item(IDC_STORED_CHANGE_TEXT));
            storedChangeCaption_ = Text(dialog.Hwnd());
            if (button == IDOK) {
                SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
            } else {
                SendMessageA(dialog.Item(button), BM_CLICK, 0, 0);
            }
        };
    }
    std::string storedChangeText_;
    std::string storedChangeCaption_;
};

// ---------------------------------------------------------------- New, Close

TEST_F(DocumentCommandsGuiTest, NewCloseAndCtrlNGiveTheSameUntitledCatalogWithoutAQuestion) {
    platform::DeleteKeyTree(KeyPath("Main"));
    PlantValues(KeyPath("Main"), kSwappedKeyword);
    Start();
    struct Way {
        const char* name;
        std::function<void()> act;
    };
    const std::vector<Way> ways = {
        {"menu New", [this] { Command(ID_FILE_NEW); }},
        {"menu Close", [this] { Command(ID_FILE_CLOSE); }},
        {"Ctrl+N", [this] { PressKeys({VK_CONTROL, 'N'}); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        OpenCatalog("Main");
        ASSERT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Blue Cover", "Letter"}));
        ASSERT_EQ(Title(), "Quandrel  - Main");

        way.act();

        EXPECT_EQ(ListLines(IDC_PAPER_LIST), std::vector<std::string>{"Letter"});
        EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 0);
        EXPECT_EQ(Text(IDC_NAME), "Letter");
        EXPECT_EQ(Text(IDC_SIZE), "8.5 x 11 in");
        EXPECT_EQ(Text(IDC_WEIGHT), "75");
        EXPECT_EQ(Title(), kUntitledTitle);
        EXPECT_EQ(AppState.CurrentCatalogName, "");
        EXPECT_EQ(CatalogTitle(), "Untitled");
        EXPECT_FALSE(CatalogModified());
        EXPECT_FALSE(View().PaperEditPending());
        EXPECT_FALSE(MenuItemEnabled(ID_FILE_SAVE));
        EXPECT_TRUE(MenuItemEnabled(ID_FILE_SAVE_AS));
        EXPECT_FALSE(Enabled(IDC_MODIFY));
        EXPECT_FALSE(Enabled(IDC_MOVE_UP));
        EXPECT_FALSE(Enabled(IDC_MOVE_DOWN));
    }
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), kSwappedKeyword);
}

// ------------------------------------------------------ the pending-edit gate

struct GatedCommand {
    const char* name;
    UINT command;
    // What the command shows once past the question: queued before it runs.
    enum Next { Nothing, Dialog, FileDialog } next;
};

class PendingEditGateTest : public DocumentCommandsGuiTest, public testing::WithParamInterface<GatedCommand> {};

// Answering Yes abandons the command with everything as it was; answering No
// lets the command run and clears the pending state.
TEST_P(PendingEditGateTest, YesAbandonsTheCommandAndNoLetsItRun) {
    const GatedCommand& c = GetParam();
    PlantDword(KeyPath("Main"), "Marker");
    Start();
    AnswerBoxes({IDOK});  // the marker, named as no paper
    OpenCatalog("Main");
    platform::ClearRecordedMessageBoxes();
    MakePendingEdit();
    const StoredValues stored = ReadStoredValues(KeyPath("Main"));

    AnswerBoxes({IDYES});
    Command(c.command);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(ButtonsOf(Boxes()[0]), MB_YESNO);
    EXPECT_EQ(IconOf(Boxes()[0]), MB_ICONWARNING);
    EXPECT_EQ(Boxes()[0].caption, kProductCaption);
    EXPECT_EQ(Boxes()[0].owner, Form());
    EXPECT_TRUE(View().PaperEditPending());
    EXPECT_EQ(Text(IDC_NAME), "Draft");
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover"}));
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 0);
    EXPECT_EQ(Title(), "Quandrel  - Main");
    EXPECT_EQ(AppState.CurrentCatalogName, "Main");
    EXPECT_TRUE(FileDialogs().empty());
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), stored);

    // Save goes on to ask before it removes the marker.
    AnswerBoxes({IDNO});
    if (c.command == ID_FILE_SAVE) AnswerBoxes({IDYES});
    bool dialogShown = false;
    if (c.next == GatedCommand::Dialog) {
        OnNextDialog([&dialogShown](fw::CDialog& dialog) {
            dialogShown = true;
            dialog.EndDialog(IDCANCEL);
        });
    }
    if (c.next == GatedCommand::FileDialog) AnswerFileDialog(std::nullopt);
    Command(c.command);
    EXPECT_EQ(Boxes().size(), c.command == ID_FILE_SAVE ? 3u : 2u);
    EXPECT_FALSE(View().PaperEditPending());
    EXPECT_EQ(dialogShown, c.next == GatedCommand::Dialog);
    EXPECT_EQ(FileDialogs().size(), c.next == GatedCommand::FileDialog ? 1u : 0u);
    switch (c.command) {
        case ID_FILE_NEW:
        case ID_FILE_CLOSE:
            EXPECT_EQ(ListLines(IDC_PAPER_LIST), std::vector<std::string>{"Letter"});
            EXPECT_EQ(Text(IDC_NAME), "Letter");
            EXPECT_EQ(Title(), kUntitledTitle);
            break;
        case ID_FILE_SAVE:
            // Written again: the value no paper accounts for is gone.
            EXPECT_EQ(ReadStoredValues(KeyPath("Main")), kExampleKeyword);
            EXPECT_EQ(Text(IDC_NAME), "Draft");
            break;
        default:
            // Cancelled dialogs: the typed text stays, no longer pending.
            EXPECT_EQ(Text(IDC_NAME), "Draft");
            EXPECT_EQ(Title(), "Quandrel  - Main");
            EXPECT_EQ(ReadStoredValues(KeyPath("Main")), stored);
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFileCommand, PendingEditGateTest,
                         testing::Values(GatedCommand{"New", ID_FILE_NEW, GatedCommand::Nothing},
                                         GatedCommand{"Close", ID_FILE_CLOSE, GatedCommand::Nothing},
                                         GatedCommand{"Open", ID_FILE_OPEN, GatedCommand::Dialog},
                                         GatedCommand{"Save", ID_FILE_SAVE, GatedCommand::Nothing},
                                         GatedCommand{"SaveAs", ID_FILE_SAVE_AS, GatedCommand::Dialog},
                                         GatedCommand{"Import", ID_FILE_IMPORT, GatedCommand::FileDialog},
                                         GatedCommand{"Export", ID_FILE_EXPORT, GatedCommand::FileDialog}),
                         [](const testing::TestParamInfo<GatedCommand>& info) { return info.param.name; });

// --------------------------------------------------- the unsaved-changes gate

TEST_F(DocumentCommandsGuiTest, SaveOfferYesStoresANamedCatalogBeforeNew) {
    Start();
    OpenCatalog("Main");
    AddPaperNamed("Draft");

    AnswerBoxes({IDYES});
    Command(ID_FILE_NEW);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(ButtonsOf(Boxes()[0]), MB_YESNOCANCEL);
    StoredValues expected = kExampleKeyword;
    expected["Draft"] = Sz("LETTER,75,white,plain,F,2");
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), expected);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), std::vector<std::string>{"Letter"});
    EXPECT_EQ(Title(), kUntitledTitle);
    EXPECT_FALSE(CatalogModified());
}

TEST_F(DocumentCommandsGuiTest, SaveOfferYesOnAnUntitledCatalogAsksForACatalogFirst) {
    Start();
    AddPaperNamed("Draft");

    AnswerBoxes({IDYES});
    OnNextDialog(Choose("Other"));
    Command(ID_FILE_CLOSE);
    EXPECT_EQ(ReadStoredValues(KeyPath("Other")),
              (StoredValues{{"PaperDef0", Sz("Letter,8.5 x 11 in,612 792 ,75 gsm,white,plain,f")},
                            {"PaperDef1", Sz("Draft,8.5 x 11 in,612 792 ,75 gsm,white,plain,f")}}));
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), std::vector<std::string>{"Letter"});
    EXPECT_EQ(Title(), kUntitledTitle);
    EXPECT_EQ(AppState.CurrentCatalogName, "");
    EXPECT_FALSE(CatalogModified());
}

TEST_F(DocumentCommandsGuiTest, SaveOfferNoDiscardsTheChangesWithoutWriting) {
    Start();
    OpenCatalog("Main");
    AddPaperNamed("Draft");

    AnswerBoxes({IDNO});
    Command(ID_FILE_NEW);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), kExampleKeyword);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), std::vector<std::string>{"Letter"});
    EXPECT_EQ(Title(), kUntitledTitle);
    EXPECT_FALSE(CatalogModified());
}

// Cancel, a cancelled catalog choice and a save that failed all stop the
// command: nothing is replaced and the catalog stays marked modified.
TEST_F(DocumentCommandsGuiTest, SaveOfferCancelledOrFailedStopsEveryReplacingCommand) {
    // Names equal but for case cannot both be value names of a keyword-form key.
    const fs::path twins = Dir() / "Twins.cat";
    WriteFileBytes(twins, "[Paper Catalog]\r\n[Papers]\r\nPaper_000=Letter,LETTER,75,white,plain,F\r\n"
                          "Paper_001=Blue,TABLOID,160,blue,cover,T\r\nPaper_002=BLUE,A4,80,white,plain,F\r\n");
    Start();
    struct Refusal {
        const char* name;
        std::function<void()> answer;
        size_t boxes;
    };
    const std::vector<Refusal> refusals = {
        {"Cancel", [this] { AnswerBoxes({IDCANCEL}); }, 1},
        {"Yes, then the catalog choice cancelled",
         [this] {
             AnswerBoxes({IDYES});
             OnNextDialog(CancelDialog());
         },
         1},
        {"Yes, then the save refused",
         [this] {
             AnswerBoxes({IDYES, IDOK});
             OnNextDialog(Choose("Main"));
         },
         2},
    };
    const std::vector<std::pair<const char*, UINT>> commands = {
        {"New", ID_FILE_NEW}, {"Close", ID_FILE_CLOSE}, {"Open", ID_FILE_OPEN}, {"Import", ID_FILE_IMPORT}};
    bool first = true;
    for (const Refusal& refusal : refusals) {
        for (const auto& [commandName, command] : commands) {
            SCOPED_TRACE(std::string(commandName) + ", " + refusal.name);
            // The previous round left a modified catalog: let it go.
            if (!first) AnswerBoxes({IDNO});
            first = false;
            AnswerFileDialog(twins.string());
            Command(ID_FILE_IMPORT);
            AddPaperNamed("Draft");
            platform::ClearRecordedMessageBoxes();
            const std::vector<std::string> lines = ListLines(IDC_PAPER_LIST);

            refusal.answer();
            Command(command);
            EXPECT_EQ(Boxes().size(), refusal.boxes);
            EXPECT_EQ(ListLines(IDC_PAPER_LIST), lines);
            EXPECT_TRUE(CatalogModified());
            EXPECT_EQ(ReadStoredValues(KeyPath("Main")), kExampleKeyword);
        }
    }
    // Only the set-up imports showed the file dialog, never a stopped Import.
    EXPECT_EQ(FileDialogs().size(), refusals.size() * commands.size());
}

TEST_F(DocumentCommandsGuiTest, DecliningToSaveThenCancellingOpenKeepsTheCatalogUnmarked) {
    Start();
    OpenCatalog("Main");
    AddPaperNamed("Draft");

    AnswerBoxes({IDNO});
    OnNextDialog(CancelDialog());
    Command(ID_FILE_OPEN);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover", "Draft"}));
    EXPECT_EQ(Title(), "Quandrel  - Main");
    EXPECT_FALSE(CatalogModified());

    // Nothing left to offer: New asks nothing.
    Command(ID_FILE_NEW);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), std::vector<std::string>{"Letter"});
}

// ---------------------------------------------------------------------- Open

TEST_F(DocumentCommandsGuiTest, OpenOfAnEmptyStoreGivesTheDefaultPaperUnderTheCatalogsName) {
    Start();
    OnNextDialog(Choose("Empty"));
    PressKeys({VK_CONTROL, 'O'});
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), std::vector<std::string>{"Letter"});
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 0);
    EXPECT_EQ(Text(IDC_NAME), "Letter");
    EXPECT_EQ(Title(), "Quandrel  - Empty");
    EXPECT_EQ(AppState.CurrentCatalogName, "Empty");
    EXPECT_EQ(CatalogTitle(), "Empty");
    EXPECT_FALSE(CatalogModified());
    EXPECT_TRUE(MenuItemEnabled(ID_FILE_SAVE));
    // Opening stores nothing.
    EXPECT_TRUE(ReadStoredValues(KeyPath("Empty")).empty());
}

TEST_F(DocumentCommandsGuiTest, OpeningTheOpenCatalogAgainReloadsItFromTheStore) {
    platform::DeleteKeyTree(KeyPath("Main"));
    PlantValues(KeyPath("Main"), kSwappedKeyword);
    Start();
    OpenCatalog("Main");
    // The default paper's line, not line 0.
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 1);
    EXPECT_EQ(Text(IDC_NAME), "Letter");
    AddPaperNamed("Draft");

    AnswerBoxes({IDNO});
    OpenCatalog("Main");
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Blue Cover", "Letter"}));
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 1);
    EXPECT_EQ(Title(), "Quandrel  - Main");
}

TEST_F(DocumentCommandsGuiTest, OpenOfAKeyThatCannotBeReadIsReportedAndKeepsTheCatalog) {
    Start();
    OpenCatalog("Other");
    ClickListLine(IDC_PAPER_LIST, 1);
    ASSERT_EQ(Text(IDC_NAME), "Blue Cover");
    // The key was there at start-up, so the catalog is offered; it is gone now.
    ASSERT_EQ(platform::DeleteKeyTree(KeyPath("Main")), platform::kRegOk);

    AnswerBoxes({IDOK});
    OnNextDialog(Choose("Main"));
    Command(ID_FILE_OPEN);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "The catalog could not be opened.\rCatalog: Main\rRegistry key: HKEY_LOCAL_MACHINE\\" +
                                   KeyPath("Main") + "\n" + platform::SystemErrorText(ERROR_FILE_NOT_FOUND) + " (2)");
    EXPECT_EQ(Boxes()[0].caption, kProductCaption);
    EXPECT_EQ(IconOf(Boxes()[0]), MB_ICONHAND);

    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover"}));
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 1);
    EXPECT_EQ(Text(IDC_NAME), "Blue Cover");
    EXPECT_EQ(Title(), "Quandrel  - Other");
    EXPECT_EQ(AppState.CurrentCatalogName, "Other");
    EXPECT_EQ(AppState.CurrentCatalog->GetCount(), 2);

    // Save still goes where the catalog came from, and nothing was emptied
    // (the marker planted meanwhile is a change made elsewhere, and an entry
    // that is no paper: both overwritten when the user agrees).
    PlantDword(KeyPath("Other"), "Marker");
    OnNextDialog(AnswerStoredChange(IDC_STORED_CHANGE_OVERWRITE));
    AnswerBoxes({IDYES});
    Command(ID_FILE_SAVE);
    EXPECT_EQ(ReadStoredValues(KeyPath("Other")), kExampleDescriptive);
    EXPECT_FALSE(KeyExists(KeyPath("Main")));
}

// Entries that are not part of the catalog (a value too long for the load, a
// value of another type, a paper another value displaced): Open names each
// with its reason; a save into the key asks before removing them, says that
// the backup keeps them, and No writes nothing. A change made elsewhere while
// the question is open is asked about before anything is written.
TEST_F(DocumentCommandsGuiTest, EntriesNotPartOfTheCatalogAreNamedAndOnlyRemovedWhenTheUserAgrees) {
    const std::string longName = "Production paper with a very long name " + std::string(31, 'x');
    ASSERT_EQ(longName.size(), 70u);
    // "Zinc" claims "Letter"'s position and is enumerated after it.
    PlantValues(KeyPath("Main"), {{longName, Sz("A4,80,white,plain,F,2")}, {"Zinc", Sz("A4,80,white,plain,F,0")}});
    PlantDword(KeyPath("Main"), "Version");
    const StoredValues planted = ReadStoredValues(KeyPath("Main"));
    Start();
    AnswerBoxes({IDOK});
    OpenCatalog("Main");
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Zinc", "Blue Cover"}));
    ASSERT_EQ(Boxes().size(), 1u);
    const std::string named = "Catalog: Main\rRegistry key: HKEY_LOCAL_MACHINE\\" + KeyPath("Main") +
                              "\n\nLetter: its place in the catalog is taken by Zinc\n" + longName.substr(0, 40) +
                              "...: too long to be read\nVersion: not text\n\nEntries that are not part of the catalog: 3";
    EXPECT_EQ(Boxes()[0].text, "The catalog's registry key holds entries that are not part of the catalog:\r" + named);
    EXPECT_EQ(ButtonsOf(Boxes()[0]), MB_OK);
    EXPECT_EQ(IconOf(Boxes()[0]), MB_ICONWARNING);

    AddPaperNamed("Draft");
    AnswerBoxes({IDNO});
    Command(ID_FILE_SAVE);
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_TRUE(Boxes()[1].text.ends_with(named + "\r\rA backup of the key, these entries included, is made before "
                                                  "saving.\rSaving the catalog removes these entries. Do you want to "
                                                  "remove them?"))
        << Boxes()[1].text;
    EXPECT_EQ(ButtonsOf(Boxes()[1]), MB_YESNO);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), planted);
    EXPECT_TRUE(CatalogModified());

    // Another operator adds a paper while the question is open: the save
    // reads the key again, asks, and Cancel leaves their paper in place.
    AnswerBoxWith([this] {
        PlantValues(KeyPath("Main"), {{"Theirs", Sz("A4,80,white,plain,F,3")}});
        return IDYES;
    });
    OnNextDialog(AnswerStoredChange(IDCANCEL));
    Command(ID_FILE_SAVE);
    StoredValues theirs = planted;
    theirs["Theirs"] = Sz("A4,80,white,plain,F,3");
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), theirs);
    EXPECT_TRUE(CatalogModified());
    // The backup made before it keeps every entry, the papers for Import.
    std::vector<fs::path> backups;
    for (const auto& file : fs::recursive_directory_iterator(BackupDir())) {
        if (file.is_regular_file()) backups.push_back(file.path());
    }
    ASSERT_EQ(backups.size(), 1u);
    const std::string backup = ReadFileBytes(backups[0]);
    EXPECT_NE(backup.find("Paper_000=Zinc,A4,80,white,plain,F\r\n"), std::string::npos) << backup;
    // Every value of the key exactly, papers and other entries alike.
    EXPECT_NE(backup.find("\r\n[Registry Values]\r\nCount=" + std::to_string(planted.size()) + "\r\n"), std::string::npos)
        << backup;
    EXPECT_NE(backup.find("=1,4c6574746572,"), std::string::npos) << backup;
    EXPECT_NE(backup.find("=4,56657273696f6e,01000000\r\n"), std::string::npos) << backup;

    // Saved again: the change is asked about first, then the entries; Yes to both.
    OnNextDialog(AnswerStoredChange(IDC_STORED_CHANGE_OVERWRITE));
    AnswerBoxes({IDYES});
    Command(ID_FILE_SAVE);
    EXPECT_EQ(Boxes().size(), 4u);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), (StoredValues{{"Zinc", Sz("A4,80,white,plain,F,0")},
                                                              {"Blue Cover", Sz("TABLOID,160,blue,cover,T,1")},
                                                              {"Draft", Sz("A4,80,white,plain,F,2")}}));
    EXPECT_FALSE(CatalogModified());

    // Nothing of the kind is left: opening it again says nothing.
    OpenCatalog("Main");
    EXPECT_EQ(Boxes().size(), 4u);
}

// A key the operator may read but not change, as a key below
// HKEY_LOCAL_MACHINE is for a user without administrator rights: the save
// says so in the operator's language, with the way to get those rights.
TEST_F(DocumentCommandsGuiTest, AKeyOnlyAnAdministratorMayChangeIsShownReadOnlyAndSaveAsksFirst) {
    const std::string path = KeyPath("Guarded");
    PlantValues(path, kExampleKeyword);
    GiveEveryone(path, KEY_READ);
    for (const char* language : {"English", "German"}) {
        SCOPED_TRACE(language);
        StopApp();
        WriteConfig(language, {{"Guarded", "PS", path}, {"Main", "PS", KeyPath("Main")}});
        ASSERT_TRUE(StartApp());
        const int16_t l = AppState.CurrentLanguage;
        const auto msg = [l](int16_t id) { return GetLocalizedString(kMessageList, id, l); };
        const std::string product = GetLocalizedString(kLabelList, 10109, l);
        OnNextDialog(Choose("Guarded"));
        Command(ID_FILE_OPEN);
        ASSERT_EQ(AppState.CurrentCatalogName, "Guarded");
        EXPECT_EQ(Title(), product + " - Guarded " + GetLocalizedString(kLabelList, 11800, l));
        EXPECT_EQ(SaveShield(), ShieldAvailable());
        // Editing stays allowed.
        AddPaperNamed("Draft");

        platform::ClearRecordedMessageBoxes();
        AnswerBoxes({IDNO});
        Command(ID_FILE_SAVE);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, FormatText(msg(19900), {"Guarded", "HKEY_LOCAL_MACHINE\\" + path}) + "\n\n" + msg(19901));
        EXPECT_EQ(Boxes()[0].caption, product);
        EXPECT_EQ(ButtonsOf(Boxes()[0]), MB_YESNO);
        EXPECT_TRUE(CatalogModified());
        EXPECT_EQ(ReadStoredValues(path), kExampleKeyword);

        // A catalog this user may write: no mark, no shield.
        AnswerBoxes({IDNO});
        OnNextDialog(Choose("Main"));
        Command(ID_FILE_OPEN);
        EXPECT_EQ(Title(), product + " - Main");
        EXPECT_FALSE(SaveShield());
    }
    GiveEveryone(path, KEY_ALL_ACCESS);
}

// ---------------------------------------------------------------------- Save

struct SaveCase {
    const char* name;
    const char* catalog;
    const StoredValues* after;
    bool shortcut;
};

class SaveFormTest : public DocumentCommandsGuiTest, public testing::WithParamInterface<SaveCase> {};

// The stored form follows the catalog's PDL, compared case-sensitively with
// "PS"; every value no paper accounts for is gone afterwards, once the user
// has agreed (named at Open, asked about at Save).
TEST_P(SaveFormTest, SaveWritesTheFormOfTheCatalogsPdl) {
    const SaveCase& c = GetParam();
    PlantDword(KeyPath(c.catalog), "Marker");
    Start();
    AnswerBoxes({IDOK, IDYES});
    OpenCatalog(c.catalog);
    ClickListLine(IDC_PAPER_LIST, 0);
    Click(IDC_MOVE_DOWN);
    ASSERT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Blue Cover", "Letter"}));
    ASSERT_TRUE(CatalogModified());
    ASSERT_TRUE(MenuItemEnabled(ID_FILE_SAVE));

    if (c.shortcut)
        PressKeys({VK_CONTROL, 'S'});
    else
        Command(ID_FILE_SAVE);
    EXPECT_EQ(ReadStoredValues(KeyPath(c.catalog)), *c.after);
    EXPECT_FALSE(CatalogModified());
    EXPECT_EQ(Title(), "Quandrel  - "s + c.catalog);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Blue Cover", "Letter"}));
    EXPECT_EQ(Boxes().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SaveFormTest,
    testing::Values(SaveCase{"KeywordForPS", "Main", &kSwappedKeyword, false},
                    SaveCase{"KeywordForPSByCtrlS", "Main", &kSwappedKeyword, true},
                    SaveCase{"DescriptiveForPCL", "Other", &kSwappedDescriptive, false},
                    SaveCase{"DescriptiveForLowerCasePs", "Lower", &kSwappedDescriptive, true}),
    [](const testing::TestParamInfo<SaveCase>& info) { return info.param.name; });

TEST_F(DocumentCommandsGuiTest, CtrlSDoesNothingWhileSaveIsDisabled) {
    Start();
    AddPaperNamed("Draft");
    ASSERT_FALSE(MenuItemEnabled(ID_FILE_SAVE));

    PressKeys({VK_CONTROL, 'S'});
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(CatalogModified());
    EXPECT_EQ(Title(), kUntitledTitle);
    for (const char* catalog : {"Main", "Other", "Lower"})
        EXPECT_EQ(ReadStoredValues(KeyPath(catalog)).count("Draft"), 0u) << catalog;
    EXPECT_FALSE(KeyExists(KeyPath("Fresh")));

    // The keyboard does reach the commands: Ctrl+N asks to save.
    AnswerBoxes({IDNO});
    PressKeys({VK_CONTROL, 'N'});
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), std::vector<std::string>{"Letter"});
}

// The catalog's key is re-created by a save; a key below a volatile key can
// only be volatile itself, so the registry refuses to create it again.
TEST_F(DocumentCommandsGuiTest, AFailedSaveIsReportedAndChangesNothing) {
    const std::string parent = KeyPath("Volatile");
    const std::string path = parent + "\\Catalog";
    for (const std::string& key : {parent, path}) {
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(handle);
    }
    PlantValues(path, kExampleKeyword);
    WriteConfig("English", {{"Main", "PS", KeyPath("Main")}, {"Brittle", "PS", path}});
    Start();
    OpenCatalog("Brittle");
    AddPaperNamed("Draft");
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str()), ERROR_SUCCESS);

    // Gone, it cannot be made again: the save fails before it asks anything.
    AnswerBoxes({IDOK});
    Command(ID_FILE_SAVE);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Boxes()[0].text.starts_with("The catalog could not be saved.\rCatalog: Brittle\rRegistry key: "
                                            "HKEY_LOCAL_MACHINE\\" + path + "\n"))
        << Boxes()[0].text;
    EXPECT_TRUE(CatalogModified());
    EXPECT_FALSE(View().PaperEditPending());
    EXPECT_EQ(Title(), "Quandrel  - Brittle");
    EXPECT_TRUE(MenuItemEnabled(ID_FILE_SAVE));
    EXPECT_FALSE(KeyExists(path));

    // Save As onto it fails alike and keeps the name and the title.
    AnswerBoxes({IDOK});
    OnNextDialog(Choose("Brittle"));
    Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_TRUE(CatalogModified());
    EXPECT_EQ(AppState.CurrentCatalogName, "Brittle");
    EXPECT_EQ(Title(), "Quandrel  - Brittle");

    // The user's way out: another catalog.
    OnNextDialog(Choose("Main"));
    Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).count("Draft"), 1u);
    EXPECT_FALSE(CatalogModified());
    EXPECT_EQ(Title(), "Quandrel  - Main");
}

// ------------------------------------------------------------------- Save As

TEST_F(DocumentCommandsGuiTest, SaveAsStoresTheCatalogAndMakesItOpenableUnderItsName) {
    Start();
    ASSERT_FALSE(AppState.CatalogLocations[4].Available);
    AddPaperNamed("Draft");

    std::vector<std::string> offered;
    OnNextDialog([&offered](fw::CDialog& dialog) {
        offered = DialogLines(dialog, IDC_SAVE_AS_LIST);
        Choose("Fresh")(dialog);
    });
    Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(offered, (std::vector<std::string>{"Main", "Other", "Lower", "Empty", "Fresh"}));
    EXPECT_EQ(ReadStoredValues(KeyPath("Fresh")),
              (StoredValues{{"Letter", Sz("LETTER,75,white,plain,F,0")}, {"Draft", Sz("LETTER,75,white,plain,F,1")}}));
    EXPECT_EQ(Title(), "Quandrel  - Fresh");
    EXPECT_EQ(AppState.CurrentCatalogName, "Fresh");
    EXPECT_EQ(AppState.SaveAsName, "Fresh");
    EXPECT_FALSE(CatalogModified());
    EXPECT_TRUE(AppState.CatalogLocations[4].Available);
    EXPECT_TRUE(MenuItemEnabled(ID_FILE_SAVE));
    EXPECT_TRUE(Boxes().empty());

    std::vector<std::string> openable;
    OnNextDialog([&openable](fw::CDialog& dialog) {
        openable = DialogLines(dialog, IDC_OPEN_LIST);
        dialog.EndDialog(IDCANCEL);
    });
    Command(ID_FILE_OPEN);
    EXPECT_EQ(openable, (std::vector<std::string>{"Main", "Other", "Lower", "Empty", "Fresh"}));
}

TEST_F(DocumentCommandsGuiTest, SaveAsCancelledChangesNothing) {
    Start();
    OpenCatalog("Main");
    AddPaperNamed("Draft");
    OnNextDialog(CancelDialog());
    Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(Title(), "Quandrel  - Main");
    EXPECT_TRUE(CatalogModified());
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), kExampleKeyword);
}

TEST_F(DocumentCommandsGuiTest, SaveAsRefusesNamesEqualButForCaseInTheKeywordForm) {
    const fs::path twins = Dir() / "Twins.cat";
    WriteFileBytes(twins, "[Paper Catalog]\r\n[Papers]\r\nPaper_000=Letter,LETTER,75,white,plain,F\r\n"
                          "Paper_001=Blue,TABLOID,160,blue,cover,T\r\nPaper_002=BLUE,A4,80,white,plain,F\r\n");
    Start();
    AnswerFileDialog(twins.string());
    Command(ID_FILE_IMPORT);
    ASSERT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue", "BLUE"}));

    for (const char* target : {"Main", "Fresh"}) {
        SCOPED_TRACE(target);
        platform::ClearRecordedMessageBoxes();
        AnswerBoxes({IDOK});
        OnNextDialog(Choose(target));
        Command(ID_FILE_SAVE_AS);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text.rfind("The catalog holds papers with the same name, or with names that differ only "
                                        "in letter case.", 0), 0u)
            << Boxes()[0].text;
        EXPECT_EQ(Boxes()[0].caption, kProductCaption);
        EXPECT_EQ(IconOf(Boxes()[0]), MB_ICONHAND);
        EXPECT_EQ(Title(), kUntitledTitle);
        EXPECT_EQ(AppState.CurrentCatalogName, "");
        EXPECT_FALSE(MenuItemEnabled(ID_FILE_SAVE));
    }
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), kExampleKeyword);
    EXPECT_FALSE(KeyExists(KeyPath("Fresh")));
    EXPECT_FALSE(AppState.CatalogLocations[4].Available);

    // The descriptive form keeps them apart.
    OnNextDialog(Choose("Other"));
    Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(ReadStoredValues(KeyPath("Other")).size(), 3u);
    EXPECT_EQ(Title(), "Quandrel  - Other");
}

// --------------------------------------------------------- Import and Export

TEST_F(DocumentCommandsGuiTest, ImportReadsTheExampleFileIntoAnUntitledCatalog) {
    const fs::path example = Dir() / "Example.cat";
    WriteFileBytes(example, ExampleFileBytes());
    Start();
    OpenCatalog("Empty");

    AnswerFileDialog(example.string());
    Command(ID_FILE_IMPORT);
    ASSERT_EQ(FileDialogs().size(), 1u);
    const fw::FileDialogRequest& request = FileDialogs()[0];
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.filter, "Paper Catalog   (*.cat)|*.cat|CSV (spreadsheet)   (*.csv)|*.csv|JDF media   (*.jdf)|*.jdf|All Files   (*.*)|*.*||");
    EXPECT_EQ(request.defaultExtension, "cat");
    EXPECT_EQ(request.initialName, "");
    EXPECT_EQ(request.flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
    EXPECT_EQ(request.owner, Frame());

    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover"}));
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 0);
    EXPECT_EQ(Text(IDC_NAME), "Letter");
    EXPECT_EQ(Title(), kUntitledTitle);
    EXPECT_EQ(AppState.CurrentCatalogName, "");
    EXPECT_FALSE(CatalogModified());
    EXPECT_FALSE(MenuItemEnabled(ID_FILE_SAVE));
    EXPECT_TRUE(MenuItemEnabled(ID_FILE_SAVE_AS));

    ClickListLine(IDC_PAPER_LIST, 1);
    EXPECT_EQ(Text(IDC_NAME), "Blue Cover");
    EXPECT_EQ(Text(IDC_SIZE), "11 x 17 in");
    EXPECT_EQ(Text(IDC_WEIGHT), "160");
    EXPECT_EQ(Text(IDC_COLOR), "blue");
    EXPECT_EQ(Text(IDC_TYPE), "cover");
    EXPECT_EQ(IsDlgButtonChecked(Form(), IDC_FORCE_ONE_SIDED), BST_CHECKED);

    // Nothing to offer for saving: New asks nothing.
    Command(ID_FILE_NEW);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), std::vector<std::string>{"Letter"});
}

TEST_F(DocumentCommandsGuiTest, ARefusedImportFileKeepsTheCatalog) {
    const std::string refused = "File not compatible with format\rrequired for importing a catalog.";
    // A file that cannot be read is no question of format: the system says why.
    const std::string unreadable = "The catalog could not be imported from this file:\r" +
                                   (Dir() / "missing file.cat").string() + "\n" +
                                   platform::SystemErrorText(ERROR_FILE_NOT_FOUND) + " (2)";
    const std::vector<std::tuple<const char*, std::string, std::string>> files = {
        {"lower-case header", "[paper catalog]\r\n[Papers]\r\nPaper_000=Letter,LETTER,75,white,plain,F\r\n", refused},
        {"no first paper", "[Paper Catalog]\r\n[Papers]\r\nPaper_001=Letter,LETTER,75,white,plain,F\r\n", refused},
        {"missing file", "", unreadable},
    };
    Start();
    OpenCatalog("Other");
    ClickListLine(IDC_PAPER_LIST, 1);
    for (const auto& [name, bytes, message] : files) {
        SCOPED_TRACE(name);
        platform::ClearRecordedMessageBoxes();
        const fs::path path = Dir() / (std::string(name) + ".cat");
        if (!bytes.empty()) WriteFileBytes(path, bytes);
        AnswerBoxes({IDOK});
        AnswerFileDialog(path.string());
        Command(ID_FILE_IMPORT);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, message);
        EXPECT_EQ(Boxes()[0].caption, kProductCaption);
        EXPECT_EQ(Boxes()[0].style, static_cast<unsigned>(MB_OK | MB_ICONHAND));
        EXPECT_EQ(Boxes()[0].owner, Form());
        EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover"}));
        EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 1);
        EXPECT_EQ(Text(IDC_NAME), "Blue Cover");
        EXPECT_EQ(Title(), "Quandrel  - Other");
        EXPECT_EQ(AppState.CurrentCatalogName, "Other");
        EXPECT_EQ(AppState.CurrentCatalog->GetCount(), 2);
        EXPECT_TRUE(MenuItemEnabled(ID_FILE_SAVE));
    }
}

TEST_F(DocumentCommandsGuiTest, ExportWritesTheCatalogAsItStandsAndChangesNothing) {
    platform::DeleteKeyTree(KeyPath("Main"));
    PlantValues(KeyPath("Main"), kSwappedKeyword);
    Start();
    OpenCatalog("Main");
    ClickListLine(IDC_PAPER_LIST, 0);
    Click(IDC_MOVE_DOWN);
    ASSERT_TRUE(CatalogModified());

    const fs::path out = Dir() / "Out.cat";
    AnswerFileDialog(out.string());
    Command(ID_FILE_EXPORT);
    ASSERT_EQ(FileDialogs().size(), 1u);
    const fw::FileDialogRequest& request = FileDialogs()[0];
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.filter, "Paper Catalog   (*.cat)|*.cat|CSV (spreadsheet)   (*.csv)|*.csv|JDF media   (*.jdf)|*.jdf|All Files   (*.*)|*.*||");
    EXPECT_EQ(request.defaultExtension, "cat");
    EXPECT_EQ(request.initialName, "Paper Catalog.cat");
    EXPECT_EQ(request.flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));

    EXPECT_EQ(ReadFileBytes(out), ExampleFileBytes());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(CatalogModified());
    EXPECT_EQ(Title(), "Quandrel  - Main");
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), kSwappedKeyword);

    // And back: the same papers.
    AnswerBoxes({IDNO});
    AnswerFileDialog(out.string());
    Command(ID_FILE_IMPORT);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover"}));
}

TEST_F(DocumentCommandsGuiTest, SpreadsheetFilesAndMergeFromFile) {
    Start();
    OpenCatalog("Main");

    // Export by the typed extension: UTF-8 with its mark, a header, CR LF.
    const fs::path csv = Dir() / "Papers.csv";
    AnswerFileDialog(csv.string());
    Command(ID_FILE_EXPORT);
    EXPECT_EQ(ReadFileBytes(csv), "\xEF\xBB\xBFName,Size,Weight,Color,Type,ForceOneSided\r\n"
                                  "Letter,LETTER,75,white,plain,no\r\nBlue Cover,TABLOID,160,blue,cover,yes\r\n");

    // The CSV type chosen with another extension typed writes CSV too; a typed .cat a catalog file.
    AnswerFileDialog((Dir() / "Papers.txt").string(), 2);
    Command(ID_FILE_EXPORT);
    EXPECT_EQ(ReadFileBytes(Dir() / "Papers.txt"), ReadFileBytes(csv));
    AnswerFileDialog((Dir() / "Papers.cat").string(), 2);
    Command(ID_FILE_EXPORT);
    EXPECT_EQ(ReadFileBytes(Dir() / "Papers.cat"), ExampleFileBytes());

    // One refused row keeps every row out, and the one message names it.
    const fs::path bad = Dir() / "Bad.csv";
    WriteFileBytes(bad, "Name;Size;Weight;Color;Type\r\nGood;A4;80;white;plain\r\nHeavy;A4;300;white;plain\r\n");
    AnswerBoxes({IDOK});
    AnswerFileDialog(bad.string());
    Command(ID_FILE_IMPORT);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Nothing was imported.\nRows refused: 1\n"
                               "Line 3, \"Heavy\", Weight (gsm): 300 is outside the limits of this PC, 60 to 200");
    EXPECT_EQ(Title(), "Quandrel  - Main");

    // Merge: the preview in the Compare view's words; Cancel changes nothing.
    const fs::path central = Dir() / "Central.csv";
    WriteFileBytes(central, "Name\tSize\tWeight\tColor\tType\tForceOneSided\r\n"
                            "BLUE COVER\t11 x 17 in\t200\tblue\tcover\tyes\r\nGreen\tA4\t90\tgreen\tplain\tno\r\n");
    std::vector<std::string> preview;
    std::string summary;
    const auto look = [&](INT_PTR button) {
        return [&, button](fw::CDialog& dialog) {
            EXPECT_EQ(dialog.TemplateId(), static_cast<UINT>(IDD_MERGE_FROM_FILE));
            preview = DialogLines(dialog, IDC_COMPARE_LIST);
            summary = Text(dialog.Item(IDC_MERGE_SUMMARY));
            dialog.EndDialog(button);
        };
    };
    platform::ClearRecordedMessageBoxes();
    AnswerFileDialog(central.string());
    OnNextDialog(look(IDCANCEL));
    Command(ID_FILE_MERGE);
    EXPECT_EQ(preview, (std::vector<std::string>{"Changed: \"Blue Cover\": Weight (gsm) 160 -> 200",
                                                 "Added: \"Green\" at position 3"}));
    EXPECT_EQ(summary, "Papers to add: 1, to change: 1, left alone: 1.");
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover"}));
    EXPECT_FALSE(CatalogModified());

    AnswerFileDialog(central.string());
    OnNextDialog(look(IDOK));
    Command(ID_FILE_MERGE);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover", "Green"}));
    EXPECT_EQ(AppState.CurrentCatalog->GetPaper(1).Weight, "200");
    EXPECT_TRUE(CatalogModified());
    EXPECT_EQ(CatalogHistory().UndoAction(), EditAction::Merge);
    // Nothing reaches the registry until the user saves.
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), kExampleKeyword);

    // Merged again: nothing left to do, said so.
    AnswerBoxes({IDOK});
    AnswerFileDialog(central.string());
    Command(ID_FILE_MERGE);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "The catalog already holds every paper of the file as it is: there is nothing to merge.");

    // The merge is one step: Undo puts the catalog back as it was opened.
    Focus(IDC_PAPER_LIST);
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover"}));
    EXPECT_EQ(AppState.CurrentCatalog->GetPaper(1).Weight, "160");
    EXPECT_FALSE(CatalogModified());

    // The content decides, not the name nor the type chosen: the CSV written as
    // Papers.txt imports with the catalog file's type chosen.
    const fs::path numbers = Dir() / "Numbers.csv";
    WriteFileBytes(numbers, "Name;Size;Weight;Color;Type\r\n0080;A4;80;white;plain\r\n");
    platform::ClearRecordedMessageBoxes();
    AnswerFileDialog(numbers.string());
    OnNextDialog(look(IDOK));
    Command(ID_FILE_MERGE);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover", "0080"}));
    AnswerBoxes({IDNO});
    AnswerFileDialog((Dir() / "Papers.txt").string(), 1);
    Command(ID_FILE_IMPORT);
    ASSERT_EQ(Boxes().size(), 1u);  // only the question about the unsaved merge
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover"}));

    // An export says which papers will not come back as they are: a spreadsheet makes 0080 a number.
    AnswerFileDialog(numbers.string());
    OnNextDialog(look(IDOK));
    Command(ID_FILE_MERGE);
    platform::ClearRecordedMessageBoxes();
    AnswerBoxes({IDOK});
    AnswerFileDialog((Dir() / "Numbers out.csv").string());
    Command(ID_FILE_EXPORT);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "The file was written. Papers that will not import back as they are: 1. This PC refuses them, "
                               "or a spreadsheet changes their names (format the Name column as text): 0080");
    EXPECT_NE(ReadFileBytes(Dir() / "Numbers out.csv").find("\r\n0080,A4,80,white,plain,no\r\n"), std::string::npos);
}

TEST_F(DocumentCommandsGuiTest, AFailedExportIsReportedWithThePathAndLeavesTheOldFile) {
    const fs::path locked = Dir() / "Locked.cat";
    WriteFileBytes(locked, "old contents");
    // Held open by another program that shares it with nobody.
    HANDLE holder = CreateFileA(locked.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const std::vector<std::string> paths = {(Dir() / "missing" / "Out.cat").string(), locked.string()};
    Start();
    OpenCatalog("Main");
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        platform::ClearRecordedMessageBoxes();
        AnswerBoxes({IDOK});
        AnswerFileDialog(path);
        Command(ID_FILE_EXPORT);
        ASSERT_EQ(Boxes().size(), 1u);
        // The system's reason and its number follow the path.
        const std::string heading = "The catalog could not be exported to this file:\n" + path + "\n";
        EXPECT_TRUE(Boxes()[0].text.starts_with(heading)) << Boxes()[0].text;
        EXPECT_GT(Boxes()[0].text.size(), heading.size() + 4);
        EXPECT_TRUE(Boxes()[0].text.ends_with(")")) << Boxes()[0].text;
        EXPECT_EQ(Boxes()[0].caption, kProductCaption);
        EXPECT_EQ(Boxes()[0].style, static_cast<unsigned>(MB_OK | MB_ICONHAND));
        EXPECT_EQ(Boxes()[0].owner, Form());
    }
    CloseHandle(holder);
    EXPECT_FALSE(fs::exists(Dir() / "missing"));
    EXPECT_EQ(ReadFileBytes(locked), "old contents");
    // Nothing left behind beside it.
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(Dir())) files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"Locked.cat", "Vellicor.cfg"}));

    // The system's replace fails after moving the old file aside: both files
    // stay, and the report says where each is.
    std::string aside;
    platform::SetSystemReplaceForTesting(
        [&](const std::string& replaced, const std::string&, const std::string& backup) -> unsigned long {
            aside = backup;
            return MoveFileA(replaced.c_str(), backup.c_str()) ? ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 : GetLastError();
        });
    platform::ClearRecordedMessageBoxes();
    AnswerBoxes({IDOK});
    AnswerFileDialog(locked.string());
    Command(ID_FILE_EXPORT);
    platform::SetSystemReplaceForTesting(nullptr);
    ASSERT_EQ(Boxes().size(), 1u);
    const std::string kept = aside.substr(0, aside.size() - 4) + ".cat";
    const std::string reason = platform::SystemErrorText(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
    EXPECT_EQ(Boxes()[0].text, "The catalog could not be exported to this file:\n" + locked.string() + "\n" +
                                   (reason.empty() ? "" : reason + " ") + "(1177)\n\n"
                                   "The complete new catalog is in this file:\r" + kept + "\n"
                                   "The file's previous content is now in this file:\r" + aside);
    EXPECT_EQ(ReadFileBytes(aside), "old contents");
    EXPECT_EQ(ReadFileBytes(kept), AppState.CurrentCatalog->ExportBytes());
    EXPECT_FALSE(fs::exists(locked));
}

// ------------------------------------------------------- Save menu enabling

TEST_F(DocumentCommandsGuiTest, SaveAndSaveAsNeedAPaperInTheList) {
    Start();
    EXPECT_FALSE(MenuItemEnabled(ID_FILE_SAVE));
    EXPECT_TRUE(MenuItemEnabled(ID_FILE_SAVE_AS));
    OpenCatalog("Other");
    EXPECT_TRUE(MenuItemEnabled(ID_FILE_SAVE));
    // A catalog without the default paper can be emptied.
    platform::DeleteKeyTree(KeyPath("Empty"));
    PlantValues(KeyPath("Empty"), {{"Blue Cover", Sz("TABLOID,160,blue,cover,T,0")}});
    OpenCatalog("Empty");
    ClickListLine(IDC_PAPER_LIST, 0);
    Click(IDC_DELETE);
    ASSERT_TRUE(ListLines(IDC_PAPER_LIST).empty());
    EXPECT_FALSE(MenuItemEnabled(ID_FILE_SAVE));
    EXPECT_FALSE(MenuItemEnabled(ID_FILE_SAVE_AS));
    PressKeys({VK_CONTROL, 'S'});
    Command(ID_FILE_SAVE);
    Command(ID_FILE_SAVE_AS);  // no dialog: the command is disabled
    EXPECT_EQ(ReadStoredValues(KeyPath("Empty")).size(), 1u);
    EXPECT_TRUE(Boxes().empty());
}

// ------------------------------------------------------ closing the window

TEST_F(DocumentCommandsGuiTest, ClosingTheWindowAsksTheSameQuestions) {
    Start();
    const HWND frame = Frame();
    OpenCatalog("Main");

    // A pending edit the user wants to finish: the window stays.
    MakePendingEdit();
    AnswerBoxes({IDYES});
    SendMessageA(frame, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_TRUE(View().PaperEditPending());
    EXPECT_EQ(Text(IDC_NAME), "Draft");

    // The edit finished by Add; then Cancel the save offer: it stays.
    Click(IDC_ADD);
    ASSERT_TRUE(CatalogModified());
    ASSERT_FALSE(View().PaperEditPending());
    AnswerBoxes({IDCANCEL});
    Command(ID_APP_EXIT);
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_TRUE(CatalogModified());
    EXPECT_EQ(ListLines(IDC_PAPER_LIST).size(), 3u);

    // No: the window closes and the store is untouched.
    AnswerBoxes({IDNO});
    SendMessageA(frame, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), kExampleKeyword);
}

TEST_F(DocumentCommandsGuiTest, ClosingAnUnchangedCatalogAsksNothing) {
    Start();
    const HWND frame = Frame();
    OpenCatalog("Main");
    Command(ID_APP_EXIT);
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_TRUE(Boxes().empty());
}

// --------------------------------------- A catalog changed by someone else

TEST_F(DocumentCommandsGuiTest, SaveAsksBeforeOverwritingACatalogChangedElsewhere) {
    Start();
    OpenCatalog("Main");
    AddPaperNamed("Mine");
    // Another operator adds a paper to the stored catalog meanwhile.
    PlantValues(KeyPath("Main"), {{"Theirs", Sz("A4,80,white,plain,F,2")}});
    const StoredValues theirs = ReadStoredValues(KeyPath("Main"));

    // Cancel: nothing written, the changes still there and still marked.
    OnNextDialog(AnswerStoredChange(IDCANCEL));
    Command(ID_FILE_SAVE);
    EXPECT_EQ(storedChangeCaption_, "Stored Catalog Changed");
    EXPECT_EQ(storedChangeText_,
              "Someone else has changed the stored catalog since you opened or last saved it.\rCatalog: Main\r\r"
              "If you save now, the changes made in the meantime will be lost.\r\r"
              "Do you want to overwrite the stored catalog?");
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), theirs);
    EXPECT_TRUE(CatalogModified());
    EXPECT_TRUE(Boxes().empty());

    // Enter presses the default button, Show Differences: the comparison of the
    // File menu, what the save would change there (their paper would go);
    // then the question again.
    std::vector<std::string> differences;
    OnNextDialog(AnswerStoredChange(IDOK));
    OnNextDialog([&differences](fw::CDialog& dialog) {
        EXPECT_EQ(dialog.TemplateId(), static_cast<UINT>(IDD_COMPARE_CATALOG));
        differences = DialogLines(dialog, IDC_COMPARE_LIST);
        dialog.EndDialog(IDCANCEL);
    });
    OnNextDialog(AnswerStoredChange(IDCANCEL));
    PressKeys({VK_CONTROL, 'S'});
    EXPECT_EQ(differences.size(), 2u) << testing::PrintToString(differences);
    EXPECT_TRUE(std::any_of(differences.begin(), differences.end(),
                            [](const std::string& line) { return line.find("Theirs") != std::string::npos; }))
        << testing::PrintToString(differences);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), theirs);
    EXPECT_TRUE(CatalogModified());

    // Overwrite: the editor's catalog replaces theirs.
    OnNextDialog(AnswerStoredChange(IDC_STORED_CHANGE_OVERWRITE));
    Command(ID_FILE_SAVE);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")),
              (StoredValues{{"Letter", Sz("LETTER,75,white,plain,F,0")},
                            {"Blue Cover", Sz("TABLOID,160,blue,cover,T,1")},
                            {"Mine", Sz("LETTER,75,white,plain,F,2")}}));
    EXPECT_FALSE(CatalogModified());

    // What was saved is remembered: the next Save asks nothing (an unexpected
    // dialog fails the test) until someone else changes the catalog again.
    AddPaperNamed("Second");
    Command(ID_FILE_SAVE);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).count("Second"), 1u);
    EXPECT_FALSE(CatalogModified());
    PlantDword(KeyPath("Main"), "Stamp");
    AddPaperNamed("Third");
    OnNextDialog(AnswerStoredChange(IDCANCEL));
    Command(ID_FILE_SAVE);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).count("Third"), 0u);
}

TEST_F(DocumentCommandsGuiTest, SaveAsksNothingWhenTheStoredCatalogIsAsItWas) {
    Start();
    OpenCatalog("Other");
    AddPaperNamed("Mine");
    // Changed and changed back by someone else: the content is what counts,
    // however the values were rewritten (and in whatever order).
    PlantValues(KeyPath("Other"), {{"PaperDef0", Sz("Letter,8.5 x 11 in,612 792 ,80 gsm,white,plain,f")}});
    platform::RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(platform::CreateOrOpenKey(KeyPath("Other"), key, disposition), platform::kRegOk);
    ASSERT_EQ(platform::DeleteValue(key, "PaperDef0"), platform::kRegOk);
    PlantValues(KeyPath("Other"), {{"PaperDef0", kExampleDescriptive.at("PaperDef0")}});

    Command(ID_FILE_SAVE);
    EXPECT_EQ(ReadStoredValues(KeyPath("Other")).count("PaperDef2"), 1u);
    EXPECT_FALSE(CatalogModified());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(DocumentCommandsGuiTest, SaveAsReplacesByIntentAndTheSaveOfferAsksLikeSave) {
    Start();
    OpenCatalog("Main");
    AddPaperNamed("Mine");
    PlantValues(KeyPath("Main"), {{"Theirs", Sz("A4,80,white,plain,F,2")}});

    // The save offer before New: Yes saves into the open catalog, so it asks
    // first; Cancel there stops New with everything kept.
    AnswerBoxes({IDYES});
    OnNextDialog(AnswerStoredChange(IDCANCEL));
    Command(ID_FILE_NEW);
    EXPECT_EQ(AppState.CurrentCatalogName, "Main");
    EXPECT_TRUE(CatalogModified());
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).count("Theirs"), 1u);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST).size(), 3u);

    // Save As, even into the same catalog, replaces it by the user's choice.
    OnNextDialog(Choose("Main"));
    Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).count("Theirs"), 0u);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).count("Mine"), 1u);
    EXPECT_FALSE(CatalogModified());

    // ... and what it saved is remembered: the save offer then asks nothing more.
    AddPaperNamed("Later");
    AnswerBoxes({IDYES});
    Command(ID_FILE_NEW);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).count("Later"), 1u);
    EXPECT_EQ(Title(), kUntitledTitle);
}

// ------------------------------------------------- The command-line companion

struct CompanionRun {
    DWORD code = 0;
    std::string out;
    std::string err;
};

HANDLE InheritableFile(const fs::path& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Runs VellicorCmd.exe (built beside the program, a folder above the tests) in
// `folder`, as a deployment tool would, collecting both output streams in files.
CompanionRun RunCompanion(const std::wstring& arguments, const fs::path& folder) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path program = fs::path(self).parent_path().parent_path() / "VellicorCmd.exe";
    // New files for every run: Wine may still hold the last run's files for a
    // moment after its process ended.
    static int runs = 0;
    ++runs;
    const fs::path outPath = folder / ("companion-out-" + std::to_string(runs) + ".txt");
    const fs::path errPath = folder / ("companion-err-" + std::to_string(runs) + ".txt");
    HANDLE out = InheritableFile(outPath);
    HANDLE err = InheritableFile(errPath);
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) ADD_FAILURE() << "output files not made: " << GetLastError();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    CompanionRun run;
    run.code = 0xFFFF;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       folder.wstring().c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &run.code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        ADD_FAILURE() << "VellicorCmd.exe did not start: " << GetLastError();
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = ReadFileBytes(outPath);
    run.err = ReadFileBytes(errPath);
    return run;
}

TEST_F(DocumentCommandsGuiTest, TheCompanionWritesTheBytesTheEditorWrites) {
    const fs::path example = Dir() / "Example.cat";
    WriteFileBytes(example, ExampleFileBytes());
    Start();
    OpenCatalog("Main");
    AnswerFileDialog(PathIn("editor.cat"));
    Command(ID_FILE_EXPORT);
    // The editor's Import, then Save As into a catalog of either stored form.
    AnswerFileDialog(example.string());
    Command(ID_FILE_IMPORT);
    OnNextDialog(Choose("Fresh"));
    Command(ID_FILE_SAVE_AS);
    OnNextDialog(Choose("Lower"));
    Command(ID_FILE_SAVE_AS);
    ASSERT_TRUE(Boxes().empty());

    CompanionRun run = RunCompanion(L"/export main companion.cat", Dir());
    EXPECT_EQ(run.code, 0u) << run.err;
    EXPECT_EQ(ReadFileBytes(Dir() / "companion.cat"), ReadFileBytes(Dir() / "editor.cat"));

    run = RunCompanion(L"/import Example.cat Empty", Dir());
    EXPECT_EQ(run.code, 0u) << run.err;
    EXPECT_EQ(run.out, "Stored in the catalog Empty. Papers: 2\r\n") << run.err;
    EXPECT_EQ(ReadStoredValues(KeyPath("Empty")), ReadStoredValues(KeyPath("Fresh")));
    run = RunCompanion(L"/import Example.cat \"OTHER\"", Dir());
    EXPECT_EQ(run.code, 0u) << run.err;
    EXPECT_EQ(ReadStoredValues(KeyPath("Other")), ReadStoredValues(KeyPath("Lower")));
}

// JDF media under Wine: the editor's Export and the companion's /export write
// the same file, which the companion's /import and the editor's Import bring
// back as the same papers; Merge from File reads a controller's JMF answer and
// names a refused Media as a refused row is named.
TEST_F(DocumentCommandsGuiTest, JdfMediaExportsAndImportsBackUnchanged) {
    const StoredValues papers = {
        {"Letter", Sz("LETTER,75,white,plain,F,0")},
        {"Blue Cover", Sz("TABLOID,160,blue,cover,T,1")},
        {"Salmon Tab", Sz("A4TAB,90,salmon,tab,F,2")},
        {"Foil", Sz("A4,120,clear,transparency,T,3")},
        {"Anything", Sz("A3,105,any,heavy board,F,4")},
    };
    PlantValues(KeyPath("Main"), papers);
    Start();
    OpenCatalog("Main");
    AnswerFileDialog(PathIn("editor.jdf"), 3);
    Command(ID_FILE_EXPORT);
    ASSERT_TRUE(Boxes().empty());

    CompanionRun run = RunCompanion(L"/export main companion.jdf", Dir());
    EXPECT_EQ(run.code, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFileBytes(Dir() / "companion.jdf"), ReadFileBytes(Dir() / "editor.jdf"));
    run = RunCompanion(L"/import companion.jdf Empty", Dir());
    EXPECT_EQ(run.code, 0u) << run.err;
    EXPECT_EQ(ReadStoredValues(KeyPath("Empty")), papers);

    // The editor's Import of the same file: the same papers in the same order.
    const auto describe = [] {
        std::string text;
        for (int i = 0; i < AppState.CurrentCatalog->GetCount(); ++i) {
            const CPaperDef paper = AppState.CurrentCatalog->GetPaper(i);
            text += paper.Name + "|" + paper.Size + "|" + paper.Weight + "|" + paper.Color + "|" + paper.Type + "|" +
                    (paper.ForceOneSided ? "T" : "F") + "\n";
        }
        return text;
    };
    const std::vector<std::string> before = ListLines(IDC_PAPER_LIST);
    const std::string described = describe();
    AnswerFileDialog(PathIn("companion.jdf"));
    Command(ID_FILE_IMPORT);
    ASSERT_TRUE(Boxes().empty());
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), before);
    EXPECT_EQ(describe(), described);

    const fs::path answer = Dir() / "answer.jmf";
    const std::string head = "<JMF xmlns=\"http://www.CIP4.org/JDFSchema_1_1\">\r\n<Response Type=\"Resource\"><ResourceInfo>\r\n";
    WriteFileBytes(answer, head + "<Media DescriptiveName=\"Green\" Dimension=\"595.28 841.89\" Weight=\"90\" MediaColorName=\"Green\"/>\r\n"
                                  "<Media DescriptiveName=\"Board\" Dimension=\"595.28 841.89\" Weight=\"300\"/>\r\n"
                                  "</ResourceInfo></Response></JMF>\r\n");
    AnswerBoxes({IDOK});
    AnswerFileDialog(answer.string());
    Command(ID_FILE_MERGE);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Nothing was merged.\nMedia refused: 1\n"
                               "Line 4, \"Board\", Weight: 300 is outside the limits of this PC, 60 to 200");
    WriteFileBytes(answer, head + "<Media DescriptiveName=\"Green\" Dimension=\"595.28 841.89\" Weight=\"90\" MediaColorName=\"Green\"/>\r\n"
                                  "</ResourceInfo></Response></JMF>\r\n");
    platform::ClearRecordedMessageBoxes();
    AnswerFileDialog(answer.string());
    OnNextDialog([](fw::CDialog& dialog) { dialog.EndDialog(IDOK); });
    Command(ID_FILE_MERGE);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ListLines(IDC_PAPER_LIST).back(), "Green");
    EXPECT_EQ(AppState.CurrentCatalog->GetPaper(5).Color, "green");
}

TEST_F(DocumentCommandsGuiTest, TheCompanionTakesAnyPathAndAnswersWithItsExitCode) {
    // A folder named in Greek letters, with blanks, as a deployment share might be.
    const fs::path folder = Dir() / L"\u039A\u03B1\u03C4\u03AC\u03BB\u03BF\u03B3\u03BF\u03B9 \u03C7\u03B1\u03C1\u03C4\u03B9\u03BF\u03CD";
    fs::create_directories(folder);
    WriteFileBytes(folder / "office papers.cat", ExampleFileBytes());

    CompanionRun run = RunCompanion(L"/check \"" + (folder / "office papers.cat").wstring() + L"\"", Dir());
    EXPECT_EQ(run.code, 0u) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\r')), "The catalog file can be imported. Papers: 2");
    EXPECT_EQ(run.err, "");

    const struct {
        const wchar_t* arguments;
        DWORD code;
    } cases[] = {
        {L"/check absent.cat", 4}, {L"/export \"No Such Catalog\" x.cat", 3}, {L"/frobnicate", 1},
        {L"", 1},                  {L"/list /config elsewhere.cfg", 2},
    };
    for (const auto& c : cases) {
        run = RunCompanion(c.arguments, Dir());
        EXPECT_EQ(run.code, c.code) << run.err;
        // Failures speak on standard error only.
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err, "");
    }
    run = RunCompanion(L"/list /csv", Dir());
    EXPECT_EQ(run.code, 0u);
    EXPECT_EQ(run.out.substr(0, 37), "\xEF\xBB\xBF" "Catalog,PDL,Key,Available,Papers\r\n") << run.code << " " << run.err;
    EXPECT_FALSE(fs::exists(Dir() / "x.cat"));
}

// ------------------------------------------------------ Save as administrator

std::wstring Widened(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

// The arguments as the companion receives them.
std::vector<std::string> ArgumentsOf(const std::string& parameters) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW((L"VellicorCmd.exe " + Widened(parameters)).c_str(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i) {
        char ansi[1024];
        WideCharToMultiByte(CP_ACP, 0, wide[i], -1, ansi, sizeof ansi, nullptr, nullptr);
        arguments.emplace_back(ansi);
    }
    if (wide) LocalFree(wide);
    return arguments;
}

// The catalog "Guarded" (PS), which this user may read but not change, and
// "Main". The start of an elevated program is the test's: it records what it
// was asked to start and what existed then.
class AdministratorSaveGuiTest : public DocumentCommandsGuiTest {
protected:
    void SetUp() override {
        DocumentCommandsGuiTest::SetUp();
        PlantValues(Guarded(), kExampleKeyword);
        GiveEveryone(Guarded(), KEY_READ);
        WriteConfig("English", {{"Guarded", "PS", Guarded()}, {"Main", "PS", KeyPath("Main")}});
    }
    void TearDown() override {
        platform::SetElevatedStarterForTesting(nullptr);
        GiveEveryone(Guarded(), KEY_ALL_ACCESS);
        DocumentCommandsGuiTest::TearDown();
    }
    std::string Guarded() const { return KeyPath("Guarded"); }
    static std::string Msg(int16_t id) { return GetLocalizedString(kMessageList, id, kEnglish); }

    // Elevation as an administrator's consent gives it: the key may be written
    // while the real companion runs the command line it was given.
    void StartCompanionAsAdministrator() {
        platform::SetElevatedStarterForTesting([this](const platform::ElevatedStart& start, unsigned long& code) {
            Record(start);
            GiveEveryone(Guarded(), KEY_ALL_ACCESS);
            const CompanionRun run = RunCompanion(Widened(start.parameters), start.directory);
            GiveEveryone(Guarded(), KEY_READ);
            code = run.code;
            return 0ul;
        });
    }
    void Record(const platform::ElevatedStart& start) {
        ++starts_;
        program_ = start.program;
        arguments_ = ArgumentsOf(start.parameters);
        catalogFileThere_ = arguments_.size() == 8 && fs::exists(arguments_[6]);
        reportThere_ = arguments_.size() == 8 && fs::exists(arguments_[4]);
    }
    // The temporary catalog file and the report are gone.
    void ExpectTemporaryFilesRemoved() {
        ASSERT_EQ(arguments_.size(), 8u);
        EXPECT_TRUE(catalogFileThere_);
        EXPECT_FALSE(reportThere_);
        EXPECT_FALSE(fs::exists(arguments_[4]));
        EXPECT_FALSE(fs::exists(arguments_[6]));
    }

    int starts_ = 0;
    std::string program_;
    std::vector<std::string> arguments_;
    bool catalogFileThere_ = false;
    bool reportThere_ = false;
};

TEST_F(AdministratorSaveGuiTest, YesSavesThroughTheCompanionStartedAsAdministrator) {
    ASSERT_TRUE(StartApp());
    OpenCatalog("Guarded");
    AddPaperNamed("Draft");
    StartCompanionAsAdministrator();
    AnswerBoxes({IDYES});
    Command(ID_FILE_SAVE);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(starts_, 1);
    EXPECT_EQ(fs::path(program_).filename(), "VellicorCmd.exe");
    ASSERT_EQ(arguments_.size(), 8u);
    EXPECT_EQ(arguments_[0], "/import");
    EXPECT_EQ(arguments_[1], "/config");
    EXPECT_TRUE(fs::equivalent(arguments_[2], Dir() / "Vellicor.cfg"));
    EXPECT_EQ(arguments_[3], "/report");
    EXPECT_EQ(arguments_[5], "--");
    EXPECT_EQ(arguments_[7], "Guarded");
    ExpectTemporaryFilesRemoved();
    const StoredValues stored = ReadStoredValues(Guarded());
    EXPECT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored.count("Draft"), 1u);
    EXPECT_FALSE(CatalogModified());
    EXPECT_EQ(Title(), "Quandrel  - Guarded (read-only)");
    // The companion made the backup, as its /import does.
    EXPECT_FALSE(fs::is_empty(BackupDir()));

    // What the key holds now is what the next save compares with: no
    // question about a change made elsewhere.
    AddPaperNamed("Second");
    AnswerBoxes({IDYES});
    Command(ID_FILE_SAVE);
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(ReadStoredValues(Guarded()).count("Second"), 1u);
    EXPECT_FALSE(CatalogModified());

    // A change made elsewhere meanwhile is asked about first; Cancel writes nothing.
    GiveEveryone(Guarded(), KEY_ALL_ACCESS);
    PlantValues(Guarded(), {{"Elsewhere", Sz("A4,80,white,plain,F,9")}});
    GiveEveryone(Guarded(), KEY_READ);
    AddPaperNamed("Third");
    AnswerBoxes({IDYES});
    OnNextDialog(AnswerStoredChange(IDCANCEL));
    Command(ID_FILE_SAVE);
    EXPECT_EQ(starts_, 2);
    EXPECT_TRUE(CatalogModified());
}

TEST_F(AdministratorSaveGuiTest, TheCompanionsRefusalIsReportedInItsOwnWords) {
    // Another program changes the key while the elevation prompt is open: the
    // companion compares after the prompt, writes nothing and says why.
    const StoredValues before = ReadStoredValues(Guarded());
    ASSERT_TRUE(StartApp());
    OpenCatalog("Guarded");
    AddPaperNamed("Draft");
    platform::SetElevatedStarterForTesting([this](const platform::ElevatedStart& start, unsigned long& code) {
        Record(start);
        GiveEveryone(Guarded(), KEY_ALL_ACCESS);
        PlantValues(Guarded(), {{"Theirs", Sz("A4,80,white,plain,F,9")}});
        const CompanionRun run = RunCompanion(Widened(start.parameters), start.directory);
        GiveEveryone(Guarded(), KEY_READ);
        code = run.code;
        return 0ul;
    });
    platform::ClearRecordedMessageBoxes();
    AnswerBoxes({IDYES, IDOK});
    Command(ID_FILE_SAVE);
    ASSERT_EQ(Boxes().size(), 2u);
    const std::string heading =
        FormatText(Msg(19903), {"Guarded", "HKEY_LOCAL_MACHINE\\" + Guarded(), "5"}) + "\n\n";
    EXPECT_EQ(Boxes()[1].text.substr(0, heading.size()), heading);
    EXPECT_NE(Boxes()[1].text.find("changed by another program"), std::string::npos) << Boxes()[1].text;
    EXPECT_EQ(IconOf(Boxes()[1]), MB_ICONHAND);
    EXPECT_TRUE(CatalogModified());
    StoredValues theirs = before;
    theirs["Theirs"] = Sz("A4,80,white,plain,F,9");
    EXPECT_EQ(ReadStoredValues(Guarded()), theirs);
    ExpectTemporaryFilesRemoved();

    // A companion that said nothing: its exit code is all there is. The key
    // changed since the catalog was opened, which is asked first.
    platform::SetElevatedStarterForTesting([this](const platform::ElevatedStart& start, unsigned long& code) {
        Record(start);
        code = 7;
        return 0ul;
    });
    OnNextDialog(AnswerStoredChange(IDC_STORED_CHANGE_OVERWRITE));
    AnswerBoxes({IDYES, IDOK});
    Command(ID_FILE_SAVE);
    ASSERT_EQ(Boxes().size(), 4u);
    EXPECT_EQ(Boxes()[3].text, FormatText(Msg(19903), {"Guarded", "HKEY_LOCAL_MACHINE\\" + Guarded(), "7"}) +
                                   "\n\n" + Msg(19908));
    ExpectTemporaryFilesRemoved();
}

TEST_F(AdministratorSaveGuiTest, ADeclinedPromptOrNoWritesNothingAndSaysSoInOneLine) {
    ASSERT_TRUE(StartApp());
    OpenCatalog("Guarded");
    AddPaperNamed("Draft");
    platform::SetElevatedStarterForTesting([this](const platform::ElevatedStart& start, unsigned long&) {
        Record(start);
        return platform::kElevationCancelled;
    });
    AnswerBoxes({IDNO});
    Command(ID_FILE_SAVE);
    EXPECT_EQ(starts_, 0);

    AnswerBoxes({IDYES, IDOK});
    Command(ID_FILE_SAVE);
    ASSERT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Boxes()[2].text, FormatText(Msg(19902), {"Guarded"}));
    EXPECT_EQ(starts_, 1);
    ExpectTemporaryFilesRemoved();

    // The companion could not be started at all: the system's reason.
    platform::SetElevatedStarterForTesting([this](const platform::ElevatedStart& start, unsigned long&) {
        Record(start);
        return static_cast<unsigned long>(ERROR_FILE_NOT_FOUND);
    });
    AnswerBoxes({IDYES, IDOK});
    Command(ID_FILE_SAVE);
    ASSERT_EQ(Boxes().size(), 5u);
    EXPECT_EQ(Boxes()[4].text, FormatText(Msg(19904), {"Guarded"}) + "\n" +
                                   platform::SystemErrorText(ERROR_FILE_NOT_FOUND) + " (2)");
    EXPECT_TRUE(CatalogModified());
    EXPECT_EQ(ReadStoredValues(Guarded()), kExampleKeyword);
    ExpectTemporaryFilesRemoved();
}

}  // namespace
