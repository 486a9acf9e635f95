// The form's enabled states, without a window: the rules of the buttons and of
// the Edit menu's catalog commands for each kind of selection and of typed fields.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "catalog/PaperCatalog.h"
#include "editor/FormCommands.h"

// Found by the test's printer beside FormCommands itself.
std::ostream& operator<<(std::ostream& out, const FormCommands& c) {
    return out << "{up " << c.moveUp << ", down " << c.moveDown << ", delete " << c.remove << ", add " << c.add
               << ", modify " << c.modify << ", undo " << c.undo << ", redo " << c.redo << ", cut " << c.cut
               << ", copy " << c.copy << ", paste " << c.paste << ", duplicate " << c.duplicate << ", find again "
               << c.findAgain << ", top " << c.moveToTop << ", bottom " << c.moveToBottom << ", get media "
               << c.getMedia << "}";
}

namespace {

CPaperCatalog Catalog(const std::vector<std::string>& names) {
    CPaperCatalog catalog;
    for (const std::string& name : names) catalog.AddPaper(name, "A4", "80", "white", "plain", false, catalog.GetCount());
    return catalog;
}

// The buttons as the form shows them; the Edit menu's commands follow from them.
struct Buttons {
    bool up, down, remove, add, modify;
};

struct Case {
    const char* what;
    std::vector<std::string> papers;  // "Letter" is the default paper
    int32_t selected;
    std::string name;
    std::string weight;
    Buttons expected;
};

TEST(FormCommands, ButtonsFollowTheSelectionAndTheTypedName) {
    const std::vector<std::string> three{"Letter", "Bond", "Card"};
    const Case cases[] = {
        {"nothing selected, a new name", three, -1, "Vellum", "80", {false, false, false, true, false}},
        {"nothing selected, a name in use", three, -1, "Bond", "80", {false, false, false, false, false}},
        {"the default paper on the first line", three, 0, "Letter", "80", {false, true, true, false, false}},
        {"the default paper renamed", three, 0, "Other", "80", {false, true, true, true, false}},
        {"a middle line with its own name", three, 1, "Bond", "80", {true, true, true, false, true}},
        {"a middle line renamed", three, 1, "Bonded", "80", {true, true, true, true, true}},
        {"renamed only in letter case", three, 1, "BOND", "80", {true, true, true, false, false}},
        {"renamed to another paper's name", three, 1, "card", "80", {true, true, true, false, false}},
        {"the weight emptied", three, 1, "Bonded", "", {true, true, true, false, false}},
        {"the name emptied", three, 1, "", "80", {true, true, true, false, false}},
        {"the last line", three, 2, "Card", "80", {true, false, true, false, true}},
        {"the only paper", {"Card"}, 0, "Card", "80", {false, false, true, false, true}},
        {"a line past the end counts as none", three, 3, "Vellum", "80", {false, false, false, true, false}},
        {"an empty catalog", {}, -1, "Vellum", "80", {false, false, false, true, false}},
        // The default paper is known by its exact name; any letter case makes a name taken.
        {"the default paper's name in other case", {"LETTER", "Bond"}, 0, "LETTER", "80",
         {false, true, true, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CPaperCatalog catalog = Catalog(c.papers);
        FormState state;
        state.catalog = &catalog;
        state.defaultPaperName = "Letter";
        state.selectedLine = c.selected;
        state.name = c.name;
        state.color = "white";
        state.weight = c.weight;
        state.type = "plain";
        const FormCommands commands = EnabledCommands(state);
        EXPECT_EQ(commands.moveUp, c.expected.up);
        EXPECT_EQ(commands.moveDown, c.expected.down);
        EXPECT_EQ(commands.remove, c.expected.remove);
        EXPECT_EQ(commands.add, c.expected.add);
        EXPECT_EQ(commands.modify, c.expected.modify);
        // The menu moves a paper to an end exactly when the button moves it one step that way,
        // and takes a paper to the clipboard exactly when one is selected.
        EXPECT_EQ(commands.moveToTop, c.expected.up);
        EXPECT_EQ(commands.moveToBottom, c.expected.down);
        EXPECT_EQ(commands.cut, c.expected.remove);
        EXPECT_EQ(commands.copy, c.expected.remove);
        EXPECT_EQ(commands.duplicate, c.expected.remove);
    }
}

// Undo, Redo, Paste and Find Again depend on what the history, the clipboard
// and the last search answer, whatever the list and the fields hold.
TEST(FormCommands, TheHistoryTheClipboardAndTheSearchDecideTheirCommands) {
    const CPaperCatalog catalog = Catalog({"Letter", "Bond"});
    for (int bits = 0; bits < 16; ++bits) {
        for (const int32_t selected : {-1, 1}) {
            FormState state;
            state.catalog = &catalog;
            state.defaultPaperName = "Letter";
            state.selectedLine = selected;
            state.canUndo = (bits & 1) != 0;
            state.canRedo = (bits & 2) != 0;
            state.clipboardMayHoldPapers = (bits & 4) != 0;
            state.findTextGiven = (bits & 8) != 0;
            const FormCommands commands = EnabledCommands(state);
            SCOPED_TRACE(::testing::Message() << "inputs " << bits << ", line " << selected << ": " << commands);
            EXPECT_EQ(commands.undo, state.canUndo);
            EXPECT_EQ(commands.redo, state.canRedo);
            EXPECT_EQ(commands.paste, state.clipboardMayHoldPapers);
            EXPECT_EQ(commands.findAgain, state.findTextGiven);
            EXPECT_EQ(commands.remove, selected >= 0);
        }
    }
    EXPECT_EQ(EnabledCommands(FormState{}), FormCommands{}) << "no catalog: nothing to act on";
}

// Get Media from Printer merges into whatever catalog the form holds, even
// an empty one or with a line selected and fields half typed; without a
// catalog there is nothing to merge into.
TEST(FormCommands, GetMediaWantsOnlyACatalog) {
    const CPaperCatalog empty;
    const CPaperCatalog two = Catalog({"Letter", "Bond"});
    struct GetMediaCase {
        const char* what;
        const CPaperCatalog* catalog;
        int32_t selected;
        std::string name;
        bool expected;
    };
    const GetMediaCase cases[] = {
        {"no catalog", nullptr, -1, "", false},
        {"no catalog, a name typed", nullptr, -1, "Bond", false},
        {"an empty catalog", &empty, -1, "", true},
        {"the default paper selected", &two, 0, "Letter", true},
        {"a paper selected, its name half typed", &two, 1, "Bo", true},
    };
    for (const GetMediaCase& c : cases) {
        FormState state;
        state.catalog = c.catalog;
        state.defaultPaperName = "Letter";
        state.selectedLine = c.selected;
        state.name = c.name;
        EXPECT_EQ(EnabledCommands(state).getMedia, c.expected) << c.what;
    }
}

}  // namespace
