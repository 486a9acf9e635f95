// The Edit menu driven as a user drives it: the real menu commands and
// shortcut keys, the real clipboard, the Find dialog and drags in the paper
// list with the real mouse; then the list, the fields, the changed mark and
// the catalog are checked. Each test is one program start and a group of cases.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperCopies.h"
#include "catalog/PaperDef.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "tests/unit/PaperTestSupport.h"
#include "tests/win/GuiTestSupport.h"

namespace {

class EditMenuGuiTest : public guitest::GuiTest {
protected:
    void Start(const std::vector<const char*>& names, const std::string& language = "English",
               const std::vector<guitest::ConfiguredCatalog>& catalogs = {}) {
        WriteConfig(language, catalogs);
        ASSERT_TRUE(StartApp());
        AppState.CurrentCatalog = std::make_unique<CPaperCatalog>(CatalogOf({names.begin(), names.end()}));
        CatalogHistory().Clear();
        View().RefreshPaperList();
        View().SelectDefaultPaperLine();
        View().ShowSelectedPaper();
        Pump();
    }

    std::string Lines() const {
        std::string text;
        for (const std::string& line : ListLines(IDC_PAPER_LIST)) text += (text.empty() ? "" : " ") + line;
        return text;
    }

    // The item's text once its menu has been opened, as the user reads it.
    std::string MenuText(UINT id) {
        MenuItemEnabled(id);
        char buffer[128] = {};
        GetMenuStringA(GetMenu(Frame()), id, buffer, sizeof buffer, MF_BYCOMMAND);
        return buffer;
    }

    void Select(int line) { ClickListLine(IDC_PAPER_LIST, line); }

    // The clipboard's text in that format, as code page 1252.
    std::string ClipboardText(UINT format) {
        std::string text;
        if (!OpenClipboard(Frame())) return text;
        if (HANDLE memory = GetClipboardData(format)) {
            if (format == CF_UNICODETEXT) {
                const auto* wide = static_cast<const wchar_t*>(GlobalLock(memory));
                char buffer[512] = {};
                WideCharToMultiByte(1252, 0, wide, -1, buffer, sizeof buffer, nullptr, nullptr);
                text = buffer;
            } else {
                text = static_cast<const char*>(GlobalLock(memory));
            }
            GlobalUnlock(memory);
        }
        CloseClipboard();
        return text;
    }

    size_t BoxCount() const { return Boxes().size(); }

    // The list catalog and the list shown agree line for line.
    void ExpectListShowsCatalog() {
        const std::vector<std::string> lines = ListLines(IDC_PAPER_LIST);
        ASSERT_EQ(static_cast<int>(lines.size()), AppState.CurrentCatalog->GetCount());
        for (int i = 0; i < AppState.CurrentCatalog->GetCount(); ++i) {
            EXPECT_EQ(lines[static_cast<size_t>(i)], AppState.CurrentCatalog->GetPaper(i).Name) << "line " << i;
            EXPECT_EQ(AppState.CurrentCatalog->GetPaper(i).Position, i);
        }
    }

};

TEST_F(EditMenuGuiTest, EveryChangeIsUndoneAndRedoneWithItsPaperShownAndTheMarkFollowingTheSavedState) {
    Start({"Letter", "Bond", "Card", "Gloss"});
    EXPECT_FALSE(MenuItemEnabled(ID_EDIT_UNDO));
    EXPECT_EQ(MenuText(ID_EDIT_UNDO), "&Undo\tCtrl+Z");

    // Delete, undone: the paper is back in its place, selected and shown; nothing to save.
    Select(1);
    Click(IDC_DELETE);
    EXPECT_EQ(Lines(), "Letter Card Gloss");
    EXPECT_TRUE(CatalogModified());
    EXPECT_EQ(MenuText(ID_EDIT_UNDO), "&Undo Delete\tCtrl+Z");
    Select(2);
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(Lines(), "Letter Bond Card Gloss");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 1);
    EXPECT_EQ(Text(IDC_NAME), "Bond");
    EXPECT_FALSE(CatalogModified());
    EXPECT_EQ(MenuText(ID_EDIT_REDO), "&Redo Delete\tCtrl+Y");
    Command(ID_EDIT_REDO);
    EXPECT_EQ(Lines(), "Letter Card Gloss");
    EXPECT_TRUE(CatalogModified());
    Command(ID_EDIT_UNDO);

    // Modify, undone by the keys: every field of the paper is back.
    const std::string before = DescribeAll(*AppState.CurrentCatalog);
    Select(2);
    SetCaret(IDC_NAME, 0, -1);
    Type(IDC_NAME, "Carton");
    Click(IDC_MODIFY);
    EXPECT_EQ(Lines(), "Letter Bond Carton Gloss");
    Focus(IDC_PAPER_LIST);
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_EQ(DescribeAll(*AppState.CurrentCatalog), before);
    EXPECT_EQ(Text(IDC_NAME), "Card");
    PressKeys({VK_CONTROL, VK_SHIFT, 'Z'});
    EXPECT_EQ(Lines(), "Letter Bond Carton Gloss");
    PressKeys({VK_CONTROL, 'Y'});  // nothing left to redo
    EXPECT_EQ(Lines(), "Letter Bond Carton Gloss");
    PressKeys({VK_MENU, VK_BACK});
    EXPECT_EQ(Lines(), "Letter Bond Card Gloss");

    // The moves, each one step; Move to Top and Bottom follow the Move Up and Down rules.
    Select(0);
    EXPECT_FALSE(MenuItemEnabled(ID_EDIT_MOVE_TOP));
    EXPECT_TRUE(MenuItemEnabled(ID_EDIT_MOVE_BOTTOM));
    Command(ID_EDIT_MOVE_BOTTOM);
    EXPECT_EQ(Lines(), "Bond Card Gloss Letter");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 3);
    EXPECT_FALSE(MenuItemEnabled(ID_EDIT_MOVE_BOTTOM));
    Select(2);
    Command(ID_EDIT_MOVE_TOP);
    EXPECT_EQ(Lines(), "Gloss Bond Card Letter");
    Click(IDC_MOVE_DOWN);
    EXPECT_EQ(Lines(), "Bond Gloss Card Letter");
    ExpectListShowsCatalog();
    EXPECT_EQ(MenuText(ID_EDIT_UNDO), "&Undo Move Down\tCtrl+Z");
    Command(ID_EDIT_UNDO);
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(Lines(), "Bond Card Gloss Letter");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 2);
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(Lines(), "Letter Bond Card Gloss");
    EXPECT_FALSE(CatalogModified());

    // A change after Undo ends the redo steps.
    Command(ID_EDIT_REDO);
    Select(1);
    Click(IDC_MOVE_UP);
    EXPECT_FALSE(MenuItemEnabled(ID_EDIT_REDO));

    // Undone back to the start: Close asks nothing (no box) and starts a new history.
    while (CatalogHistory().CanUndo()) Command(ID_EDIT_UNDO);
    EXPECT_EQ(Lines(), "Letter Bond Card Gloss");
    const size_t boxes = BoxCount();
    Command(ID_FILE_CLOSE);
    EXPECT_EQ(BoxCount(), boxes);
    EXPECT_FALSE(MenuItemEnabled(ID_EDIT_UNDO));
}

TEST_F(EditMenuGuiTest, TypedChangesAreAskedAboutAndTextFieldsKeepTheirOwnClipboardAndUndo) {
    Start({"Letter", "Bond", "Card"});
    Select(1);
    Click(IDC_DELETE);
    // A typed change that Undo would lose: the form's question first; Yes keeps the typing.
    SetCaret(IDC_NAME, 0, -1);
    Type(IDC_NAME, "Draft");
    Focus(IDC_PAPER_LIST);
    AnswerBoxes({IDYES});
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(Lines(), "Letter Card");
    EXPECT_EQ(Text(IDC_NAME), "Draft");
    AnswerBoxes({IDNO});
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(Lines(), "Letter Bond Card");
    EXPECT_EQ(Text(IDC_NAME), "Bond");

    // In the name field the keys and the menu act on its text, not on papers.
    Focus(IDC_NAME);
    SetCaret(IDC_NAME, 0, -1);
    PressKeys({VK_CONTROL, 'C'});
    SetCaret(IDC_NAME, 4, 4);
    PressKeys({VK_CONTROL, 'V'});
    EXPECT_EQ(Text(IDC_NAME), "BondBond");
    EXPECT_EQ(MenuText(ID_EDIT_UNDO), "&Undo\tCtrl+Z");
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(Text(IDC_NAME), "Bond");
    EXPECT_EQ(Lines(), "Letter Bond Card");
    EXPECT_FALSE(CatalogModified());
    View().DropPendingEdit();
}

TEST_F(EditMenuGuiTest, PapersGoThroughTheClipboardRenamedAfterTheSelectionAsOneStep) {
    Start({"Letter", "Bond", "Card"});
    // Cut of the default paper is refused as Delete refuses it.
    Select(0);
    const size_t boxes = BoxCount();
    AnswerBoxes({IDOK});
    Command(ID_EDIT_CUT);
    ASSERT_EQ(BoxCount(), boxes + 1);
    EXPECT_NE(Boxes().back().text.find("Default papers cannot be deleted"), std::string::npos);
    EXPECT_EQ(Lines(), "Letter Bond Card");

    // Copy and Paste: the copy goes in after the selection, renamed, selected.
    AppState.CurrentCatalog->ModifyPaper("Bond", "A3", "105", "Ivory", "Laid", true, 1);
    Select(1);
    Command(ID_EDIT_COPY);
    Select(0);
    Command(ID_EDIT_PASTE);
    EXPECT_EQ(Lines(), "Letter Bond-Copy Bond Card");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 1);
    EXPECT_EQ(Text(IDC_NAME), "Bond-Copy");
    CPaperDef pasted = AppState.CurrentCatalog->GetPaper(1);
    EXPECT_EQ(Describe(pasted), "Bond-Copy|A3|105|Ivory|Laid|T|1");
    PressKeys({VK_SHIFT, VK_INSERT});
    EXPECT_EQ(Lines(), "Letter Bond-Copy Bond-Copy2 Bond Card");
    ExpectListShowsCatalog();

    // Duplicate names and places its copy the same way.
    Select(4);
    PressKeys({VK_CONTROL, 'D'});
    EXPECT_EQ(Lines(), "Letter Bond-Copy Bond-Copy2 Bond Card Card-Copy");
    EXPECT_EQ(MenuText(ID_EDIT_UNDO), "&Undo Duplicate\tCtrl+Z");

    // Cut: the paper leaves, and comes back elsewhere under its own name.
    Select(4);
    Command(ID_EDIT_CUT);
    EXPECT_EQ(Lines(), "Letter Bond-Copy Bond-Copy2 Bond Card-Copy");
    Select(0);
    Command(ID_EDIT_PASTE);
    EXPECT_EQ(Lines(), "Letter Card Bond-Copy Bond-Copy2 Bond Card-Copy");
    for (int i = 0; i < 5; ++i) Command(ID_EDIT_UNDO);
    EXPECT_EQ(Lines(), "Letter Bond Card");
    EXPECT_FALSE(CatalogModified());

    // Copy leaves text a spreadsheet reads, in both text formats.
    Select(1);
    Command(ID_EDIT_COPY);
    const std::string copied = "Name\tSize\tWeight\tColor\tType\tForceOneSided\r\nBond\tA3\t105\tIvory\tLaid\tyes\r\n";
    EXPECT_EQ(ClipboardText(CF_TEXT), copied);
    EXPECT_EQ(ClipboardText(CF_UNICODETEXT), copied);

    // Spreadsheet rows under a header in the interface language: both go in, one step.
    PutOnClipboard("Paper\tSize\tWeight (gsm)\tColor\tType\r\nCard\tA4\t90\tblue\tcover\r\nVellum\tLetter\t75\tclear\tplain\r\n");
    Select(2);
    Command(ID_EDIT_PASTE);
    EXPECT_EQ(Lines(), "Letter Bond Card Card-Copy Vellum");
    EXPECT_EQ(Describe(AppState.CurrentCatalog->GetPaper(4)), "Vellum|LETTER|75|clear|plain|F|4");
    EXPECT_EQ(MenuText(ID_EDIT_UNDO), "&Undo Paste\tCtrl+Z");
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(Lines(), "Letter Bond Card");

    // Bad text: a clear message and nothing changed.
    const std::string tenMegabytes(10 * 1024 * 1024, 'x');
    // Any program may put the papers' own format there too: it passes the same checks.
    const std::string plantedPaper = PackPapers({CPaperDef("Bad,Name", "A4", "90", "white", "plain", false, 0)});
    const UINT papersFormat = RegisterClipboardFormatA("Quandrel.PaperCatalog.Papers");
    for (const auto& [text, format] : {std::pair<std::string, UINT>{"just some words", CF_TEXT},
                                       {"Gloss,A4,90,white,plain\r\nBad/Name,A4,90,white,plain\r\n", CF_TEXT},
                                       {tenMegabytes, CF_TEXT},
                                       {plantedPaper, papersFormat}}) {
        PutOnClipboard(text, format);
        AnswerBoxes({IDOK});
        const size_t before = BoxCount();
        Command(ID_EDIT_PASTE);
        ASSERT_EQ(BoxCount(), before + 1) << text.substr(0, 40);
        EXPECT_NE(Boxes().back().text.find("Nothing was pasted"), std::string::npos) << Boxes().back().text;
        EXPECT_EQ(Lines(), "Letter Bond Card");
    }
    EXPECT_FALSE(CatalogModified());
}

TEST_F(EditMenuGuiTest, FindSelectsMatchingNamesWrappingRoundAndDragMovesAPaperAsOneStep) {
    Start({"Letter", "Bond", "Card", "Cardboard", "Gloss"});
    Select(3);
    // Enter finds from the selection on, case ignored, wrapping round.
    OnNextDialog([](fw::CDialog& dialog) {
        HWND edit = dialog.Item(IDC_FIND_TEXT);
        SetWindowTextA(edit, "CARD");
        SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    });
    Command(ID_EDIT_FIND);
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 2);
    EXPECT_EQ(Text(IDC_NAME), "Card");
    PressKeys({VK_F3});
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 3);
    PressKeys({VK_F3});
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 2);
    PressKeys({VK_SHIFT, VK_F3});
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 3);

    // Text that nothing matches: the message names it and the dialog stays for another try.
    const size_t boxes = BoxCount();
    AnswerBoxes({IDOK});
    OnNextDialog([](fw::CDialog& dialog) {
        SetWindowTextA(dialog.Item(IDC_FIND_TEXT), "Vellum");
        SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        EXPECT_TRUE(IsWindow(dialog.Hwnd()));
        SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    });
    Command(ID_EDIT_FIND);
    ASSERT_EQ(BoxCount(), boxes + 1);
    EXPECT_EQ(Boxes().back().text, "No paper name contains \"Vellum\".");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 3);

    // Dropping a paper on a line puts it before that line: one step, selected.
    MouseDragListLine(IDC_PAPER_LIST, 4, 1);
    EXPECT_EQ(Lines(), "Letter Gloss Bond Card Cardboard");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 1);
    EXPECT_EQ(Text(IDC_NAME), "Gloss");
    ExpectListShowsCatalog();
    EXPECT_EQ(MenuText(ID_EDIT_UNDO), "&Undo Drag and Drop\tCtrl+Z");
    // Escape during a drag cancels it; the release that follows moves nothing.
    MouseDragListLine(IDC_PAPER_LIST, 0, 3, [&] { PressKeys({VK_ESCAPE}); });
    EXPECT_EQ(Lines(), "Letter Gloss Bond Card Cardboard");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 0);
    EXPECT_EQ(MenuText(ID_EDIT_UNDO), "&Undo Drag and Drop\tCtrl+Z");
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(Lines(), "Letter Bond Card Cardboard Gloss");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 4);
}

TEST_F(EditMenuGuiTest, SaveMovesTheSavedStateAndImportIsUndoneWithTheCatalogsName) {
    Start({"Letter", "Bond", "Card"}, "English", {{"Main", "PS", KeyPath("Main")}});
    AppState.CurrentCatalogName = "Main";
    Select(1);
    Click(IDC_DELETE);
    Command(ID_FILE_SAVE);
    ASSERT_FALSE(CatalogModified()) << "saved";
    // Behind the save and back to it: the mark follows.
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(Lines(), "Letter Bond Card");
    EXPECT_TRUE(CatalogModified());
    Command(ID_EDIT_REDO);
    EXPECT_FALSE(CatalogModified());
    // Behind the save, then a new change: the saved state is out of reach for
    // good, even with the same papers again, so closing asks.
    Command(ID_EDIT_UNDO);
    Select(1);
    Click(IDC_DELETE);
    EXPECT_EQ(Lines(), "Letter Card");
    EXPECT_TRUE(CatalogModified());
    Command(ID_FILE_SAVE);
    ASSERT_FALSE(CatalogModified()) << "saved again";

    // Import replaces the catalog as one step, unnamed and (as ever) not marked as changed.
    CPaperCatalog file;
    file.AddPaper("Imported", "A4", "90", "blue", "cover", false, 0);
    const std::filesystem::path path = Dir() / "other.cat";
    WriteFileBytes(path, file.ExportBytes());
    AnswerFileDialog(path.string());
    Command(ID_FILE_IMPORT);
    EXPECT_EQ(Lines(), "Imported");
    EXPECT_EQ(AppState.CurrentCatalogName, "");
    EXPECT_FALSE(CatalogModified());
    EXPECT_EQ(MenuText(ID_EDIT_UNDO), "&Undo Import\tCtrl+Z");
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(Lines(), "Letter Card");
    EXPECT_EQ(AppState.CurrentCatalogName, "Main");
    EXPECT_EQ(Text(Frame()), "Quandrel  - Main");
    Command(ID_EDIT_REDO);
    EXPECT_EQ(Lines(), "Imported");
    EXPECT_EQ(Text(Frame()), "Quandrel  - Untitled");
}

TEST_F(EditMenuGuiTest, TheEditMenuSpeaksTheInterfaceLanguage) {
    Start({"A4", "Bond"}, "German");
    Select(1);
    Click(IDC_DELETE);
    EXPECT_EQ(MenuText(ID_EDIT_UNDO), "&R\xFC" "ckg\xE4ngig: L\xF6schen\tStrg+Z");
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(MenuText(ID_EDIT_REDO), "&Wiederholen: L\xF6schen\tStrg+Y");
    Command(ID_EDIT_DUPLICATE);
    EXPECT_EQ(Lines(), "A4 Bond Bond-Kopie");
}

}  // namespace
