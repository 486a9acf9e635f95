// File > Get Media from Printer, driven with the keyboard as a user drives it:
// from a real IPP printer (ippeveprinter, started by the test's wrapper script,
// which names it in QUANDREL_TEST_PRINTER), from a socket that takes the
// connection and never answers, and from an address that is none. Run by its
// own ctest test: wine_get_media.
#include <windows.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "media/MediaFetch.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "tests/win/GuiTestSupport.h"

namespace {

using guitest::Sz;
using Clock = std::chrono::steady_clock;

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The catalog's papers as "name size weight colour type".
std::vector<std::string> Papers() {
    std::vector<std::string> papers;
    const CPaperCatalog& catalog = *AppState.CurrentCatalog;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const CPaperDef paper = catalog.GetPaper(i);
        papers.push_back(paper.Name + " " + paper.Size + " " + paper.Weight + " " + paper.Color + " " + paper.Type);
    }
    return papers;
}

// The test printer's media that cannot become papers here, as the preview names them.
std::string NotTaken(const char* name, int32_t width, int32_t height) {
    FetchedMedia refused;
    refused.media.name = name;
    refused.media.width = width;
    refused.media.height = height;
    refused.media.weight = 80;
    refused.media.color = "white";
    refused.media.type = "stationery";
    refused.paper = PaperFromMedia(refused.media, AppState.CurrentLanguage);
    return "Not taken: " + MediaRefusalText(refused);
}

class GetMediaGui : public guitest::GuiTest {
protected:
    // Keys through the real input queue into the dialog the hook received: the
    // text as typed characters, then the keys, each pressed and let go, with
    // Alt held for `alt`.
    void KeysToDialog(fw::CDialog& dialog, const std::string& text, std::vector<BYTE> keys, bool alt = false) {
        SetForegroundWindow(dialog.Hwnd());
        PumpDialog(dialog);
        std::vector<INPUT> inputs;
        const auto add = [&](WORD vk, WORD scan, DWORD flags) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = vk;
            input.ki.wScan = scan;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        };
        for (unsigned char c : text) {
            add(0, c, KEYEVENTF_UNICODE);
            add(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP);
        }
        if (alt) add(VK_MENU, 0, 0);
        for (BYTE key : keys) {
            add(key, 0, 0);
            add(key, 0, KEYEVENTF_KEYUP);
        }
        if (alt) add(VK_MENU, 0, KEYEVENTF_KEYUP);
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        for (int i = 0; i < 30 && dialog.Hwnd(); ++i) {
            Sleep(10);
            PumpDialog(dialog);
        }
    }
};

enum class Wait { OnItsOwn, CancelledWithEsc };
enum class PreviewKey { None, Escape, Enter };

struct FetchCase {
    const char* what;
    std::string address;           // typed over what the field offers; "" for the printer's
    std::string offered;           // what the field offers when the dialog opens; "*" for the printer's
    bool readyOnly;                // Alt+O before Enter
    Wait wait;
    bool refusedWithBox;           // the fetch failed: a message, then the address again, Esc
    PreviewKey preview;
    std::vector<std::string> lines;  // the preview's lines
    std::vector<std::string> after;  // the catalog's papers once the command is over
};

TEST_F(GetMediaGui, FetchesFromThePrinterMergesAsOneStepAndCancelOrAFaultChangesNothing) {
    const char* printerVariable = std::getenv("QUANDREL_TEST_PRINTER");
    ASSERT_NE(printerVariable, nullptr) << "run by the wine_get_media test, which starts the printer";
    const std::string printer = printerVariable;
    guitest::SilentListener silent;
    ASSERT_NE(silent.Port(), 0);
    const std::string hanging = "ipp://127.0.0.1:" + std::to_string(silent.Port()) + "/ipp/print";

    guitest::PlantValues(KeyPath("Main"), {{"Letter", Sz("LETTER,75,white,plain,F,0")},
                                           {"Card", Sz("A4,160,white,cover,F,1")}});
    // Written by hand: a comment, blank lines, the other family's section.
    const std::string config = "; Our print room\r\n[I18N]\r\nLanguage=English\r\n\r\n[Windows 95_98]\r\nCatalog_01=Main\r\n"
                               "PDL_01=PS\r\nRegistry_01=" + KeyPath("Main") +
                               "\r\n\r\n[Windows NT]\r\nCatalog_01=Main\r\nPDL_01=PS\r\nRegistry_01=" + KeyPath("Main") +
                               "\r\n\r\n[Backups]\r\nFolder=" + BackupDir().string() + "\r\n";
    WriteConfigBytes(config);
    ASSERT_TRUE(StartApp());
    OpenCatalog("Main");
    const std::vector<std::string> opened = {"Letter LETTER 75 white plain", "Card A4 160 white cover"};
    ASSERT_EQ(Papers(), opened);
    LetDialogRun(IDD_GET_MEDIA_WAIT, true);

    const std::string notTaken = NotTaken("Odd Square", 10000, 10000);
    const std::string defaultKept = "Letter: the default paper stays as it is (a merge never changes it)";
    const std::vector<std::string> merged = {"Letter LETTER 75 white plain", "Card A4 180 white cover",
                                             "Bond 90 A4 90 white plain", "Blue Cover A3 160 blue cover"};
    const FetchCase cases[] = {
        {"not an IPP address: said so, then asked again", "http://127.0.0.1/ipp/print", "", false, Wait::OnItsOwn, true,
         PreviewKey::None, {}, opened},
        {"a printer that never answers, cancelled at once", hanging, "", false, Wait::CancelledWithEsc, false,
         PreviewKey::None, {}, opened},
        {"every media, the preview cancelled", "", "", false, Wait::OnItsOwn, false, PreviewKey::Escape,
         {"Changed: \"Card\": Weight (gsm) 160 -> 180", "Added: \"Bond 90\" at position 3 (loaded now)",
          "Added: \"Blue Cover\" at position 4 (loaded now)", defaultKept, notTaken},
         opened},
        {"every media, merged", "", "*", false, Wait::OnItsOwn, false, PreviewKey::Enter,
         {"Changed: \"Card\": Weight (gsm) 160 -> 180", "Added: \"Bond 90\" at position 3 (loaded now)",
          "Added: \"Blue Cover\" at position 4 (loaded now)", defaultKept, notTaken},
         merged},
        {"only the media loaded now, merged", "", "*", true, Wait::OnItsOwn, false, PreviewKey::Enter,
         {"Added: \"Bond 90\" at position 3 (loaded now)", "Added: \"Blue Cover\" at position 4 (loaded now)"},
         {"Letter LETTER 75 white plain", "Card A4 160 white cover", "Bond 90 A4 90 white plain",
          "Blue Cover A3 160 blue cover"}},
    };
    bool remembered = false;
    for (const FetchCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string address = c.address.empty() ? printer : c.address;
        const std::vector<std::string> before = Papers();
        platform::ClearRecordedMessageBoxes();
        std::string offered;
        const auto ask = [&](fw::CDialog& dialog) {
            EXPECT_EQ(dialog.TemplateId(), static_cast<UINT>(IDD_GET_MEDIA));
            offered = Text(dialog.Item(IDC_GET_MEDIA_ADDRESS));
            KeysToDialog(dialog, address, {});
            if (c.readyOnly) KeysToDialog(dialog, "", {'O'}, true);
            EXPECT_EQ(SendMessageA(dialog.Item(IDC_GET_MEDIA_READY), BM_GETCHECK, 0, 0), c.readyOnly ? BST_CHECKED : 0);
            KeysToDialog(dialog, "", {VK_RETURN});
        };
        OnNextDialog(ask);
        Clock::time_point cancelledAt{};
        if (c.wait == Wait::CancelledWithEsc) {
            LetDialogRun(IDD_GET_MEDIA_WAIT, false);
            OnNextDialog([&](fw::CDialog& dialog) {
                EXPECT_EQ(dialog.TemplateId(), static_cast<UINT>(IDD_GET_MEDIA_WAIT));
                // The wait stays while the printer keeps silent, the program answering.
                const Clock::time_point shown = Clock::now();
                while (Clock::now() - shown < std::chrono::milliseconds(300)) PumpDialog(dialog);
                ASSERT_TRUE(IsWindow(dialog.Hwnd()));
                DWORD_PTR answer = 0;
                EXPECT_NE(SendMessageTimeoutA(dialog.Hwnd(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
                EXPECT_EQ(Text(dialog.Item(IDC_GET_MEDIA_WAIT_TEXT)), "Asking the printer at " + address + " for its media...");
                cancelledAt = Clock::now();
                KeysToDialog(dialog, "", {VK_ESCAPE});
            });
        }
        std::string fault;
        if (c.refusedWithBox) {
            AnswerBoxes({IDOK});
            MediaFetchResult bad;
            bad.fault = MediaFetchFault::BadAddress;
            fault = MediaFetchFaultText(bad, address);
            // Asked again, the address as typed.
            OnNextDialog([&](fw::CDialog& dialog) {
                EXPECT_EQ(Text(dialog.Item(IDC_GET_MEDIA_ADDRESS)), address);
                KeysToDialog(dialog, "", {VK_ESCAPE});
            });
        }
        std::vector<std::string> lines;
        if (c.preview != PreviewKey::None) {
            OnNextDialog([&](fw::CDialog& dialog) {
                EXPECT_EQ(dialog.TemplateId(), static_cast<UINT>(IDD_MERGE_FROM_FILE));
                EXPECT_EQ(Text(dialog.Hwnd()), "Get Media from Printer");
                lines = DialogLines(dialog, IDC_COMPARE_LIST);
                KeysToDialog(dialog, "", {static_cast<BYTE>(c.preview == PreviewKey::Enter ? VK_RETURN : VK_ESCAPE)});
            });
        }
        const std::string configBefore = ReadBytes(Dir() / "Vellicor.cfg");
        EXPECT_TRUE(MenuItemEnabled(ID_FILE_GET_MEDIA));
        Command(ID_FILE_GET_MEDIA);
        if (c.wait == Wait::CancelledWithEsc) {
            EXPECT_LT(Clock::now() - cancelledAt, std::chrono::seconds(3)) << "the wait outlived its Cancel";
            LetDialogRun(IDD_GET_MEDIA_WAIT, true);
        }

        EXPECT_EQ(offered, c.offered == "*" ? printer : c.offered);
        EXPECT_EQ(lines, c.lines);
        if (c.refusedWithBox) {
            ASSERT_EQ(Boxes().size(), 1u);
            EXPECT_EQ(Boxes()[0].text, fault);
        } else {
            EXPECT_TRUE(Boxes().empty());
        }
        EXPECT_EQ(Papers(), c.after);
        // The address is written once a fetch succeeded, into the catalog's own section only.
        const bool fetched = c.preview != PreviewKey::None;
        std::string expectedConfig = configBefore;
        if (fetched && !remembered) {
            expectedConfig.insert(expectedConfig.rfind("\r\n\r\n[Backups]") + 2, "PrinterUri_01=" + printer + "\r\n");
            remembered = true;
        }
        EXPECT_EQ(ReadBytes(Dir() / "Vellicor.cfg"), expectedConfig);

        // A merge is one step: one Undo gives the catalog back as it was.
        if (c.after != before) {
            EXPECT_EQ(CatalogHistory().UndoAction(), EditAction::Merge);
            EXPECT_TRUE(CatalogModified());
            PressKeys({VK_CONTROL, 'Z'});
            EXPECT_EQ(Papers(), before);
            EXPECT_FALSE(CatalogModified());
        }
    }

    // The address is read from the configuration file when the program starts again.
    StopApp();
    ASSERT_TRUE(StartApp());
    OpenCatalog("Main");
    std::string offered;
    OnNextDialog([&](fw::CDialog& dialog) {
        offered = Text(dialog.Item(IDC_GET_MEDIA_ADDRESS));
        KeysToDialog(dialog, "", {VK_ESCAPE});
    });
    Command(ID_FILE_GET_MEDIA);
    EXPECT_EQ(offered, printer);
}

}  // namespace
