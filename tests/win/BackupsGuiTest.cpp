// Backups before a save, Restore Previous Version and Compare with Stored
// Catalog, driven through the File menu and the keyboard under Wine: the
// questions and dialogs answered, then the files, the registry and the form
// checked. With QUANDREL_SCREENSHOTS set to a folder, each new dialog is also
// saved there as a bitmap, to be looked at.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "catalog/EditHistory.h"
#include "catalog/CatalogBackup.h"
#include "catalog/PaperCatalog.h"
#include "editor/Backups.h"
#include "editor/Relabel.h"
#include "platform/FolderSecurity.h"
#include "platform/Registry.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "tests/win/GuiTestSupport.h"

namespace fs = std::filesystem;

namespace {

using guitest::PlantValues;
using guitest::ReadStoredValues;
using guitest::StoredValues;
using guitest::Sz;

const StoredValues kTwoPapers = {
    {"Letter", Sz("LETTER,75,white,plain,F,0")},
    {"Blue Cover", Sz("TABLOID,160,blue,cover,T,1")},
};

// Shows the dialog and holds it on the screen for a moment after writing
// "<name>.ready" into the folder, so that a screenshot of the display can be
// taken from outside (the dialog's loop has not shown it yet when the hook runs).
void HoldForScreenshot(HWND window, const std::string& name) {
    const char* folder = std::getenv("QUANDREL_SCREENSHOTS");
    if (!folder || !*folder) return;
    ShowWindow(window, SW_SHOWNORMAL);
    std::ofstream(fs::path(folder) / (name + ".ready")) << name;
    for (int i = 0; i < 150; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(window, &msg)) DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// A control's text fits it: measured as the catalog dialogs measure, with room left.
void ExpectTextFits(HWND control) {
    const RECT rect = ScreenRect(control);
    EXPECT_GE(rect.right - rect.left, MeasureItemText(control) + 8) << fw::GetWindowTextString(control);
}

void DoubleClickLine(HWND list, int line) {
    RECT item{};
    ASSERT_NE(SendMessageA(list, LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&item)), LB_ERR);
    const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(list, WM_LBUTTONUP, 0, point);
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    SendMessageA(list, WM_LBUTTONUP, 0, point);
}

class BackupsGuiTest : public guitest::GuiTest {
protected:
    // A key pressed in a dialog, handled by its own keyboard handling.
    static void PressInDialog(fw::CDialog& dialog, HWND target, WPARAM key) {
        SetFocus(target);
        PostMessageA(target, WM_KEYDOWN, key, 1);
        PostMessageA(target, WM_KEYUP, key, 0xC0000001);
        PumpDialog(dialog);
    }

    void Configure(const std::string& language, const std::string& mainName = "Main") {
        WriteConfig(language, {{mainName, "PS", KeyPath("Main")},
                               {"Other", "PCL", KeyPath("Other")},
                               {"Fresh", "PS", KeyPath("Fresh")}});
        PlantValues(KeyPath("Main"), kTwoPapers);
    }

    void AddPaperNamed(const std::string& name) {
        SetCaret(IDC_NAME, 0, -1);
        Type(IDC_NAME, name);
        Click(IDC_ADD);
        ASSERT_TRUE(CatalogModified());
    }

    std::vector<BackupEntry> Backups(const std::string& catalogName) {
        std::vector<BackupEntry> entries;
        std::string reason;
        EXPECT_TRUE(ListBackups(CurrentBackupSettings(), catalogName, KeyPath("Main"), "PS", platform::CurrentLocalTime(),
                                entries, reason))
            << reason;
        return entries;
    }
    // The backup folder of the catalog configured at the "Main" key.
    fs::path MainFolder(const std::string& catalogName = "Main") const {
        return BackupFolderFor(CurrentBackupSettings(), catalogName, KeyPath("Main"));
    }

    // The Compare dialog's lines; it is closed with Esc.
    std::vector<std::string> Compare(const std::string& screenshot = "") {
        std::vector<std::string> lines;
        OnNextDialog([&lines, screenshot](fw::CDialog& dialog) {
            EXPECT_EQ(dialog.TemplateId(), static_cast<UINT>(IDD_COMPARE_CATALOG));
            lines = DialogLines(dialog, IDC_COMPARE_LIST);
            ExpectTextFits(dialog.Item(IDCANCEL));
            if (!screenshot.empty()) HoldForScreenshot(dialog.Hwnd(), screenshot);
            PressInDialog(dialog, dialog.Item(IDC_COMPARE_LIST), VK_ESCAPE);
        });
        Command(ID_FILE_COMPARE);
        return lines;
    }
};

// ------------------------------------------------------------------- English

TEST_F(BackupsGuiTest, SavesBackUpTheStoredCatalogWhichCompareAndRestoreThenUse) {
    backupKeys_ = "Keep=2\r\n";
    Configure("English");
    ASSERT_TRUE(StartApp());
    // Untitled: nothing to restore or compare with.
    EXPECT_FALSE(MenuItemEnabled(ID_FILE_RESTORE_VERSION));
    EXPECT_FALSE(MenuItemEnabled(ID_FILE_COMPARE));
    EXPECT_EQ(Text(Frame()), "Quandrel  - Untitled");
    OpenCatalog("Main");
    EXPECT_TRUE(MenuItemEnabled(ID_FILE_RESTORE_VERSION));
    EXPECT_TRUE(MenuItemEnabled(ID_FILE_COMPARE));

    // Compare: nothing yet, then an added paper, changed fields and a move.
    EXPECT_EQ(Compare(), std::vector<std::string>{"The catalog in the editor is the same as the stored catalog."});
    AddPaperNamed("Draft");
    ClickListLine(IDC_PAPER_LIST, 1);
    Click(IDC_MOVE_UP);
    EXPECT_EQ(Compare("compare-english"),
              (std::vector<std::string>{"Moved: \"Blue Cover\" from position 2 to 1", "Added: \"Draft\" at position 3"}));
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), kTwoPapers);

    // No backup yet: Restore says so and names the folder.
    AnswerBoxes({IDOK});
    Command(ID_FILE_RESTORE_VERSION);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "There is no backup of this catalog yet.\rBackup folder: " + MainFolder().string());

    // Ctrl+S: the key's former content is the backup, in the Export layout.
    PressKeys({VK_CONTROL, 'S'});
    EXPECT_FALSE(CatalogModified());
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).size(), 3u);
    std::vector<BackupEntry> backups = Backups("Main");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].paperCount, 2);
    CPaperCatalog first;
    ASSERT_TRUE(ReadBackup(backups[0].path, "PS", first));
    EXPECT_EQ(first.GetPaper(0).Name, "Letter");
    EXPECT_EQ(first.GetPaper(1).Name, "Blue Cover");
    EXPECT_EQ(Compare(), std::vector<std::string>{"The catalog in the editor is the same as the stored catalog."});

    // Two more saves (Save As onto the same catalog, and the save offer of New):
    // only the newest two backups stay, each save's own among them, however
    // far ahead of the clock other files are dated.
    for (const char* name : {"2099-01-01 00-00-00.cat", "2099-01-01 00-00-01.cat"}) {
        WriteFileBytes(MainFolder() / name, first.ExportBytes());
    }
    AddPaperNamed("Fourth");
    OnNextDialog([](fw::CDialog& dialog) {
        ChooseDialogLine(dialog, IDC_SAVE_AS_LIST, 0);
        SendMessageA(dialog.Item(IDC_SAVE_AS_BUTTON), BM_CLICK, 0, 0);
    });
    Command(ID_FILE_SAVE_AS);
    AddPaperNamed("Fifth");
    AnswerBoxes({IDYES});
    Command(ID_FILE_NEW);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).size(), 5u);
    backups = Backups("Main");
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups[0].paperCount, 4);
    EXPECT_EQ(backups[1].paperCount, 3);
    EXPECT_EQ(Boxes().size(), 2u);

    // Restore: the dialog lists newest first; Cancel (Esc) changes nothing.
    OpenCatalog("Main");
    std::vector<std::string> lines;
    OnNextDialog([&lines](fw::CDialog& dialog) {
        EXPECT_EQ(fw::GetWindowTextString(dialog.Hwnd()), "Restore Previous Version");
        EXPECT_EQ(fw::GetWindowTextString(dialog.Item(IDC_RESTORE_LABEL)), "&Backups:");
        EXPECT_EQ(fw::GetWindowTextString(dialog.Item(IDC_RESTORE_BUTTON)), "&Restore");
        EXPECT_FALSE(IsWindowEnabled(dialog.Item(IDC_RESTORE_BUTTON)));
        lines = DialogLines(dialog, IDC_RESTORE_LIST);
        PressInDialog(dialog, dialog.Item(IDC_RESTORE_LIST), VK_ESCAPE);
    });
    Command(ID_FILE_RESTORE_VERSION);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(lines[0].find('\t')), "\tPapers: 4");
    EXPECT_EQ(lines[1].substr(lines[1].find('\t')), "\tPapers: 3");
    EXPECT_EQ(lines[0].substr(0, 19).size(), 19u);
    EXPECT_EQ(lines[0][4], '-');
    EXPECT_EQ(lines[0][13], ':');
    EXPECT_EQ(ListLines(IDC_PAPER_LIST).size(), 5u);
    EXPECT_FALSE(CatalogModified());

    // A double-click takes the older one: loaded, marked changed, nothing stored.
    OnNextDialog([](fw::CDialog& dialog) {
        ExpectTextFits(dialog.Item(IDC_RESTORE_BUTTON));
        ExpectTextFits(dialog.Item(IDCANCEL));
        EXPECT_LE(ScreenRect(dialog.Item(IDC_RESTORE_BUTTON)).right, ScreenRect(dialog.Item(IDCANCEL)).left);
        HoldForScreenshot(dialog.Hwnd(), "restore-english");
        DoubleClickLine(dialog.Item(IDC_RESTORE_LIST), 1);
    });
    Command(ID_FILE_RESTORE_VERSION);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Blue Cover", "Letter", "Draft"}));
    EXPECT_TRUE(CatalogModified());
    EXPECT_EQ(Text(Frame()), "Quandrel  - Main");
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).size(), 5u);
    EXPECT_EQ(Compare(), (std::vector<std::string>{"Removed: \"Fourth\" from position 4", "Removed: \"Fifth\" from position 5"}));

    // Enter on a chosen line, with the changed catalog: the save offer first
    // (No), then the newer backup.
    AnswerBoxes({IDNO});
    OnNextDialog([](fw::CDialog& dialog) {
        ChooseDialogLine(dialog, IDC_RESTORE_LIST, 0);
        EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDC_RESTORE_BUTTON)));
        PressInDialog(dialog, dialog.Item(IDC_RESTORE_LIST), VK_RETURN);
    });
    Command(ID_FILE_RESTORE_VERSION);
    EXPECT_EQ(Boxes().back().text.substr(0, 24), "The catalog has changed.");
    EXPECT_EQ(ListLines(IDC_PAPER_LIST).size(), 4u);
    EXPECT_TRUE(CatalogModified());
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).size(), 5u);
}

TEST_F(BackupsGuiTest, ABackupThatCannotBeWrittenAsksAndNoWritesNothing) {
    Configure("English", "Sales/East: A?");
    ASSERT_TRUE(StartApp());
    OpenCatalog("Sales/East: A?");
    // A file where the backup folder should be.
    WriteFileBytes(BackupDir(), "not a folder");
    AddPaperNamed("Draft");

    AnswerBoxes({IDNO});
    Command(ID_FILE_SAVE);
    ASSERT_EQ(Boxes().size(), 1u);
    const platform::MessageBoxRequest& box = Boxes()[0];
    EXPECT_EQ(box.style & 0x0F, static_cast<unsigned>(MB_YESNO));
    EXPECT_EQ(box.style & 0xF0, static_cast<unsigned>(MB_ICONWARNING));
    const std::string folder = MainFolder("Sales/East: A?").string();
    EXPECT_EQ(box.text.substr(0, box.text.find('\r')), "The stored catalog could not be backed up before it is replaced.");
    EXPECT_NE(box.text.find("\rBackup folder: " + folder + "\r"), std::string::npos);
    EXPECT_NE(box.text.find("\r\rDo you want to save without a backup?"), std::string::npos);
    // The system's reason stands between the folder and the question.
    const size_t reasonStart = box.text.find('\r', box.text.find("Backup folder:")) + 1;
    EXPECT_GT(box.text.find("\r\r"), reasonStart);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")), kTwoPapers);
    EXPECT_TRUE(CatalogModified());

    // Yes: saved without a backup; the file is left as it was.
    AnswerBoxes({IDYES});
    Command(ID_FILE_SAVE);
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).size(), 3u);
    EXPECT_FALSE(CatalogModified());
    EXPECT_TRUE(fs::is_regular_file(BackupDir()));

    // The folder readable again: a catalog name with characters no file name
    // may hold gets a safe folder of its own.
    fs::remove(BackupDir());
    AddPaperNamed("More");
    Command(ID_FILE_SAVE);
    EXPECT_EQ(Boxes().size(), 2u);
    const std::vector<BackupEntry> backups = Backups("Sales/East: A?");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(fs::path(backups[0].path).parent_path().filename().string().substr(0, 15), "Sales_East_ A_~");

    // Standard users may change the catalog's folder: the same question, with
    // that reason, and Restore offers nothing from it.
    const std::string salesFolder = fs::path(backups[0].path).parent_path().string();
    ASSERT_TRUE(platform::OpenFolderToUsersForTesting(salesFolder));
    AddPaperNamed("Extra");
    AnswerBoxes({IDNO});
    Command(ID_FILE_SAVE);
    ASSERT_EQ(Boxes().size(), 3u);
    const std::string openReason = "Users without administrator rights can change the folder " + salesFolder +
                                   ", so backups are neither kept in it nor restored from it.";
    EXPECT_NE(Boxes()[2].text.find("\rBackup folder: " + salesFolder + "\r" + openReason + "\r\r"), std::string::npos)
        << Boxes()[2].text;
    EXPECT_EQ(ReadStoredValues(KeyPath("Main")).size(), 4u);
    EXPECT_TRUE(CatalogModified());
    AnswerBoxes({IDOK});
    Command(ID_FILE_RESTORE_VERSION);
    ASSERT_EQ(Boxes().size(), 4u);
    EXPECT_EQ(Boxes()[3].text, "The backups of this catalog cannot be listed.\r" + salesFolder + "\r" + openReason);

    // Save As onto a catalog whose key does not exist yet needs no backup.
    OnNextDialog([](fw::CDialog& dialog) {
        ChooseDialogLine(dialog, IDC_SAVE_AS_LIST, 2);
        SendMessageA(dialog.Item(IDC_SAVE_AS_BUTTON), BM_CLICK, 0, 0);
    });
    Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(AppState.CurrentCatalogName, "Fresh");
    EXPECT_EQ(Boxes().size(), 4u);
    // Its folder holds the save's record while the key is written, and nothing afterwards.
    const fs::path fresh = BackupFolderFor(CurrentBackupSettings(), "Fresh", KeyPath("Fresh"));
    EXPECT_TRUE(!fs::exists(fresh) || fs::is_empty(fresh));
}

TEST_F(BackupsGuiTest, UnreadableBackupsAreReportedAndTheCatalogKept) {
    Configure("English");
    ASSERT_TRUE(StartApp());
    OpenCatalog("Main");
    const fs::path folder = MainFolder();
    fs::create_directories(folder);
    WriteFileBytes(folder / "2026-01-01 00-00-00.cat", "[Papers]\r\nPaper_000=X,A4,80,white,plain,F\r\n");
    // Dated ahead of any clock this test runs by: listed last, and said so.
    CPaperCatalog later;
    later.AddPaper("Later", "A4", "80", "white", "plain", false, 0);
    WriteFileBytes(folder / "2099-12-31 23-59-59.cat", later.ExportBytes());
    AddPaperNamed("Draft");

    OnNextDialog([](fw::CDialog& dialog) {
        const std::vector<std::string> lines = DialogLines(dialog, IDC_RESTORE_LIST);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].substr(19), "\tnot a catalog file");
        EXPECT_EQ(lines[1], "2099-12-31 23:59:59\tPapers: 1 (date in the future)");
        ChooseDialogLine(dialog, IDC_RESTORE_LIST, 0);
        SendMessageA(dialog.Item(IDC_RESTORE_BUTTON), BM_CLICK, 0, 0);
    });
    AnswerBoxes({IDOK});
    Command(ID_FILE_RESTORE_VERSION);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "This backup is not a catalog file that can be read. The catalog in the editor is kept.\r" +
                                   (folder / "2026-01-01 00-00-00.cat").string());
    EXPECT_EQ(Boxes()[0].style, static_cast<unsigned>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Blue Cover", "Draft"}));
    EXPECT_TRUE(CatalogModified());

    // The backup folder is a file: the list cannot be read, and says why.
    fs::remove_all(folder);
    WriteFileBytes(folder, "a file");
    AnswerBoxes({IDOK});
    Command(ID_FILE_RESTORE_VERSION);
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[1].text.substr(0, Boxes()[1].text.find('\r')), "The backups of this catalog cannot be listed.");
    EXPECT_EQ(ListLines(IDC_PAPER_LIST).size(), 3u);
}

// ------------------------------------------------------------------- German

TEST_F(BackupsGuiTest, TheDialogsSpeakTheConfiguredLanguage) {
    Configure("German");
    ASSERT_TRUE(StartApp());
    OpenCatalog("Main");
    AddPaperNamed("Entwurf");
    PressKeys({VK_CONTROL, 'S'});
    ASSERT_EQ(Backups("Main").size(), 1u);
    ClickListLine(IDC_PAPER_LIST, 0);
    SetCaret(IDC_WEIGHT, 0, -1);
    Type(IDC_WEIGHT, "90");
    Click(IDC_MODIFY);

    const std::vector<std::string> lines = Compare("compare-german");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Ge\xE4ndert: \"Letter\": Gewicht (g/m\xB2) 75 -> 90");

    OnNextDialog([](fw::CDialog& dialog) {
        EXPECT_EQ(fw::GetWindowTextString(dialog.Hwnd()), "Vorherige Version wiederherstellen");
        EXPECT_EQ(fw::GetWindowTextString(dialog.Item(IDC_RESTORE_BUTTON)), "&Wiederherstellen");
        EXPECT_EQ(fw::GetWindowTextString(dialog.Item(IDCANCEL)), "Abbrechen");
        EXPECT_EQ(DialogLines(dialog, IDC_RESTORE_LIST)[0].substr(19), "\tPapiere: 2");
        ExpectTextFits(dialog.Item(IDC_RESTORE_BUTTON));
        ExpectTextFits(dialog.Item(IDCANCEL));
        EXPECT_LE(ScreenRect(dialog.Item(IDC_RESTORE_BUTTON)).right, ScreenRect(dialog.Item(IDCANCEL)).left);
        HoldForScreenshot(dialog.Hwnd(), "restore-german");
        dialog.EndDialog(IDCANCEL);
    });
    Command(ID_FILE_RESTORE_VERSION);
    EXPECT_TRUE(CatalogModified());
}

}  // namespace
