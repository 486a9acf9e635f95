// The editor form driven as a user drives it: characters typed into the real
// edit fields (so the controls' own EN_UPDATE/EN_CHANGE and CBN_EDITUPDATE/
// CBN_EDITCHANGE reach the form), lines chosen in the real list and combo
// boxes, buttons clicked; then the fields, the list, the buttons, the editing
// state and the catalog are checked.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <source_location>
#include <string>
#include <utility>
#include <vector>

#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "tests/unit/PaperTestSupport.h"
#include "tests/win/GuiTestSupport.h"

namespace {

struct Paper {
    std::string name, size, weight, color, type;
    bool forced = false;
};

const Paper kLetter{"Letter", "LETTER", "75", "white", "plain"};
const Paper kBond{"Bond", "A4", "90", "yellow", "plain"};
const Paper kCard{"Card", "A3", "160", "blue", "cover", true};

struct Selection {
    int start, end;
    bool operator==(const Selection&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Selection& s) { return out << s.start << ".." << s.end; }

// Which of the five buttons are enabled: Move Up, Move Down, Delete, Add, Modify.
struct Buttons {
    bool moveUp, moveDown, remove, add, modify;
    bool operator==(const Buttons&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Buttons& b) {
    return out << "{up " << b.moveUp << ", down " << b.moveDown << ", delete " << b.remove << ", add " << b.add
               << ", modify " << b.modify << "}";
}

::testing::ScopedTrace TraceAt(const std::source_location& where) {
    return ::testing::ScopedTrace(where.file_name(), static_cast<int>(where.line()), "called from here");
}

class EditorGuiTest : public guitest::GuiTest {
protected:
    // Starts the program (in English unless told) with the given weight limits and, when
    // `papers` is given, puts that catalog in place of the start-up one as the
    // document commands do after replacing it.
    void Start(const std::vector<Paper>* papers = nullptr, int minimumWeight = 60, int maximumWeight = 200,
               const std::string& language = "English") {
        WriteConfig(language, {}, minimumWeight, maximumWeight);
        ASSERT_TRUE(StartApp());
        if (papers) UseCatalog(*papers);
    }

    void UseCatalog(const std::vector<Paper>& papers) {
        auto catalog = std::make_unique<CPaperCatalog>();
        for (const Paper& p : papers)
            catalog->AddPaper(p.name, p.size, p.weight, p.color, p.type, p.forced, catalog->GetCount());
        AppState.CurrentCatalog = std::move(catalog);
        View().RefreshPaperList();
        View().SelectDefaultPaperLine();
        View().ShowSelectedPaper();
        Pump();
    }

    static std::vector<Paper> Numbered(int count) {
        std::vector<Paper> papers;
        for (int i = 1; i <= count; ++i) {
            char name[16];
            snprintf(name, sizeof name, "Paper%02d", i);
            papers.push_back({name, "A4", "80", "white", "plain"});
        }
        return papers;
    }

    HWND EditOf(int controlId) const {
        HWND control = Control(controlId);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (controlId != IDC_NAME && GetComboBoxInfo(control, &info) && info.hwndItem) return info.hwndItem;
        return control;
    }

    Selection CaretOf(int controlId) const {
        DWORD start = 0, end = 0;
        SendMessageA(EditOf(controlId), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {static_cast<int>(start), static_cast<int>(end)};
    }

    // Puts the caret (or a selection) into the field, then types there.
    void TypeAt(int controlId, int start, int end, const std::string& text) {
        Focus(controlId);
        SetCaret(controlId, start, end);
        Type(controlId, text);
    }

    // Selects the whole field, erases it with Backspace and types `text`.
    void Retype(int controlId, const std::string& text) { TypeAt(controlId, 0, -1, "\b" + text); }

    // Moves the focus elsewhere by a click's focus change and lets the posted check run.
    void Leave(int controlId, int to = IDC_NAME) {
        Focus(controlId);
        Focus(to);
    }

    Buttons EnabledButtons() const {
        return {Enabled(IDC_MOVE_UP), Enabled(IDC_MOVE_DOWN), Enabled(IDC_DELETE), Enabled(IDC_ADD),
                Enabled(IDC_MODIFY)};
    }

    int ComboSelection(int comboId) const { return static_cast<int>(SendMessageA(Control(comboId), CB_GETCURSEL, 0, 0)); }
    bool ForceChecked() const { return IsDlgButtonChecked(Form(), IDC_FORCE_ONE_SIDED) == BST_CHECKED; }
    int TopLine() const { return static_cast<int>(SendMessageA(Control(IDC_PAPER_LIST), LB_GETTOPINDEX, 0, 0)); }

    std::vector<std::string> CatalogNames() const {
        std::vector<std::string> names;
        for (int i = 0; i < AppState.CurrentCatalog->GetCount(); ++i)
            names.push_back(AppState.CurrentCatalog->GetPaper(i).GetText(PA_NAME));
        return names;
    }

    // Name, colour, weight and type as the fields show them.
    void ExpectFields(const std::string& name, const std::string& color, const std::string& weight,
                      const std::string& type, std::source_location where = std::source_location::current()) {
        auto trace = TraceAt(where);
        EXPECT_EQ(Text(IDC_NAME), name);
        EXPECT_EQ(Text(IDC_COLOR), color);
        EXPECT_EQ(Text(IDC_WEIGHT), weight);
        EXPECT_EQ(Text(IDC_TYPE), type);
    }

    void ExpectLastValid(const std::string& name, const std::string& color, const std::string& weight,
                         const std::string& type, std::source_location where = std::source_location::current()) {
        auto trace = TraceAt(where);
        EXPECT_EQ(View().LastValidTexts().name, name);
        EXPECT_EQ(View().LastValidTexts().color, color);
        EXPECT_EQ(View().LastValidTexts().weight, weight);
        EXPECT_EQ(View().LastValidTexts().type, type);
    }

    // The one recorded box, a refusal with the product caption and the stop icon.
    void ExpectOneRefusal(const std::string& text, std::source_location where = std::source_location::current()) {
        auto trace = TraceAt(where);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, text);
        EXPECT_EQ(Boxes()[0].caption, "Quandrel ");
        EXPECT_EQ(Boxes()[0].style, platform::kMbOk | platform::kMbIconHand);
        EXPECT_EQ(Boxes()[0].owner, static_cast<void*>(Form()));
    }
};

// --- keystroke checks ---

struct KeystrokeCase {
    const char* what;
    int field;
    std::string typed;  // one character, or a paste when longer
    bool accepted;
};

std::vector<KeystrokeCase> KeystrokeCases() {
    std::vector<KeystrokeCase> cases;
    // Each of the refused characters, in every field that takes words.
    const std::string forbidden = "!\"%'(),/;<>[\\]^{|}\xAB\xBB";
    for (int field : {IDC_NAME, IDC_COLOR, IDC_TYPE}) {
        for (char c : forbidden) cases.push_back({"forbidden", field, std::string(1, c), false});
        for (char c : {'\x20', '\x7F', '\x80', '\x9F', '\xA0'}) cases.push_back({"unprintable", field, std::string(1, c), false});
        for (char c : {'#', '~', '\xA1', '\xFF', 'Z', '4'})
            cases.push_back({"printable", field, std::string(1, c), true});
        // A paste is checked as a whole.
        cases.push_back({"paste with one comma", field, "ab,cd", false});
    }
    for (char c : std::string("a -+.,x")) cases.push_back({"weight non-digit", IDC_WEIGHT, std::string(1, c), false});
    cases.push_back({"weight digit", IDC_WEIGHT, "0", true});
    return cases;
}

// The default paper's fields: name "Letter", colour "white", weight "75", type
// "plain". Each character goes in at position 2, so a refused one must leave
// the caret at 2 again. The program starts once per field; before each case
// the default paper is shown again, as choosing it in the list shows it.
class KeystrokeTest : public EditorGuiTest, public ::testing::WithParamInterface<int> {};

TEST_P(KeystrokeTest, RefusedCharacterRestoresTheFieldAndTheCaret) {
    Start();
    const std::string before = Text(GetParam());
    const std::string lastValidName = View().LastValidTexts().name;
    int tried = 0;
    for (const KeystrokeCase& c : KeystrokeCases()) {
        if (c.field != GetParam()) continue;
        ++tried;
        std::string typed;
        for (unsigned char ch : c.typed) typed += std::to_string(ch) + " ";
        SCOPED_TRACE(std::string(c.what) + ": character codes " + typed);
        View().DropPendingEdit();
        View().ShowSelectedPaper();
        Pump();
        ASSERT_EQ(Text(c.field), before);
        ASSERT_FALSE(View().PaperEditPending());

        Focus(c.field);
        SetCaret(c.field, 2, 2);
        if (c.typed.size() == 1) {
            Type(c.field, c.typed);
        } else {
            Paste(c.field, c.typed);
        }

        if (c.accepted) {
            const std::string expected = before.substr(0, 2) + c.typed + before.substr(2);
            EXPECT_EQ(Text(c.field), expected);
            EXPECT_TRUE(View().PaperEditPending());
            const std::string& lastValid = c.field == IDC_NAME    ? View().LastValidTexts().name
                                           : c.field == IDC_COLOR ? View().LastValidTexts().color
                                           : c.field == IDC_WEIGHT ? View().LastValidTexts().weight
                                                                   : View().LastValidTexts().type;
            EXPECT_EQ(lastValid, expected);
        } else {
            EXPECT_EQ(Text(c.field), before);
            // A refused paste leaves the caret one place before where the pasted text ended.
            const int caret = c.typed.size() == 1 ? 2 : std::min<int>(1 + c.typed.size(), before.size());
            EXPECT_EQ(CaretOf(c.field), (Selection{caret, caret}));
            EXPECT_FALSE(View().PaperEditPending());
            ExpectLastValid(lastValidName, "white", "75", "plain");
        }
    }
    EXPECT_GT(tried, 0);
}

INSTANTIATE_TEST_SUITE_P(EditorGui, KeystrokeTest, ::testing::Values(IDC_NAME, IDC_COLOR, IDC_TYPE, IDC_WEIGHT),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == IDC_NAME    ? std::string("Name")
                                    : info.param == IDC_COLOR ? std::string("Color")
                                    : info.param == IDC_TYPE  ? std::string("Type")
                                                              : std::string("Weight");
                         });

TEST_F(EditorGuiTest, PastedTextIsCheckedAsAWhole) {
    Start();
    Focus(IDC_NAME);
    SetCaret(IDC_NAME, 6, 6);
    Paste(IDC_NAME, "Plus,More");
    EXPECT_EQ(Text(IDC_NAME), "Letter");
    EXPECT_FALSE(View().PaperEditPending());

    Focus(IDC_COLOR);
    SetCaret(IDC_COLOR, 5, 5);
    Paste(IDC_COLOR, "ish blue");
    EXPECT_EQ(Text(IDC_COLOR), "white");

    Focus(IDC_NAME);
    SetCaret(IDC_NAME, 6, 6);
    Paste(IDC_NAME, "Plus");
    EXPECT_EQ(Text(IDC_NAME), "LetterPlus");
    EXPECT_EQ(View().LastValidTexts().name, "LetterPlus");
    EXPECT_TRUE(View().PaperEditPending());
}

TEST_F(EditorGuiTest, CaretStaysWhereTheRefusedCharacterWasTyped) {
    Start();
    // A selection replaced by a refused character: the caret stands where it went in.
    TypeAt(IDC_NAME, 1, 4, " ");
    EXPECT_EQ(Text(IDC_NAME), "Letter");
    EXPECT_EQ(CaretOf(IDC_NAME), (Selection{1, 1}));

    TypeAt(IDC_WEIGHT, 0, 0, "x");
    EXPECT_EQ(Text(IDC_WEIGHT), "75");
    EXPECT_EQ(CaretOf(IDC_WEIGHT), (Selection{0, 0}));

    TypeAt(IDC_TYPE, 5, 5, "!");
    EXPECT_EQ(Text(IDC_TYPE), "plain");
    EXPECT_EQ(CaretOf(IDC_TYPE), (Selection{5, 5}));
}

// A field restored to a text that begins a list entry keeps exactly that
// text, and an emptied field stays empty.
TEST_F(EditorGuiTest, RestoredComboFieldKeepsItsExactText) {
    Start();
    Retype(IDC_COLOR, "bl");
    ASSERT_EQ(Text(IDC_COLOR), "bl");
    Type(IDC_COLOR, ",");
    EXPECT_EQ(Text(IDC_COLOR), "bl");
    EXPECT_EQ(View().LastValidTexts().color, "bl");

    Retype(IDC_TYPE, "c");
    Type(IDC_TYPE, " ");
    EXPECT_EQ(Text(IDC_TYPE), "c");

    // Last: leaving an empty weight would be reported.
    Retype(IDC_WEIGHT, "");
    ASSERT_EQ(Text(IDC_WEIGHT), "");
    Type(IDC_WEIGHT, "q");
    EXPECT_EQ(Text(IDC_WEIGHT), "");
    EXPECT_EQ(View().LastValidTexts().weight, "");
}

struct LengthCase {
    int field;
    char letter;
    size_t limit;
};

class LengthLimitTest : public EditorGuiTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(LengthLimitTest, OneByteMoreThanTheLimitIsRefused) {
    const LengthCase& c = GetParam();
    Start();
    const std::string full(c.limit, c.letter);
    Retype(c.field, full);
    ASSERT_EQ(Text(c.field), full);
    Type(c.field, std::string(1, c.letter));
    EXPECT_EQ(Text(c.field), full);
    EXPECT_EQ(CaretOf(c.field), (Selection{static_cast<int>(c.limit), static_cast<int>(c.limit)}));
}

// Narrow letters, so that the combo boxes' fields, which do not scroll, hold them.
INSTANTIATE_TEST_SUITE_P(EditorGui, LengthLimitTest,
                         ::testing::Values(LengthCase{IDC_NAME, 'N', 31}, LengthCase{IDC_COLOR, 'i', 19},
                                           LengthCase{IDC_TYPE, 'l', 19}, LengthCase{IDC_WEIGHT, '1', 3}));

TEST_F(EditorGuiTest, NameWithoutBlanksCanBeTyped) {
    Start();
    Retype(IDC_NAME, "A4 Cover");
    EXPECT_EQ(Text(IDC_NAME), "A4Cover");
    EXPECT_EQ(View().LastValidTexts().name, "A4Cover");
}

// --- choosing from the lists ---

TEST_F(EditorGuiTest, ChosenEntryIsTakenNotThePreviousText) {
    Start();
    ChooseComboLine(IDC_COLOR, 3);  // red
    EXPECT_EQ(Text(IDC_COLOR), "red");
    EXPECT_EQ(View().LastValidTexts().color, "red");
    EXPECT_TRUE(View().PaperEditPending());
    // A refused keystroke now puts back the chosen entry.
    TypeAt(IDC_COLOR, 3, 3, ",");
    EXPECT_EQ(Text(IDC_COLOR), "red");

    ChooseComboLine(IDC_WEIGHT, 9);  // 200
    EXPECT_EQ(Text(IDC_WEIGHT), "200");
    EXPECT_EQ(View().LastValidTexts().weight, "200");
    TypeAt(IDC_WEIGHT, 3, 3, "0");
    EXPECT_EQ(Text(IDC_WEIGHT), "200");
}

TEST_F(EditorGuiTest, ChoosingASizeThenAColourKeepsTheSize) {
    Start();
    ChooseComboLine(IDC_SIZE, 6);
    EXPECT_TRUE(View().PaperEditPending());
    ChooseComboLine(IDC_COLOR, 5);
    EXPECT_EQ(ComboSelection(IDC_SIZE), 6);
    EXPECT_EQ(Text(IDC_SIZE), "210 x 297 mm");
    EXPECT_EQ(Text(IDC_COLOR), "blue");
}

TEST_F(EditorGuiTest, ChoosingFromAListRecomputesAddAndModify) {
    const std::vector<Paper> papers{kLetter, kBond};
    Start(&papers);
    ClickListLine(IDC_PAPER_LIST, 1);
    Retype(IDC_TYPE, "");
    ASSERT_FALSE(Enabled(IDC_MODIFY));
    ChooseComboLine(IDC_TYPE, 1);  // cover
    EXPECT_TRUE(Enabled(IDC_MODIFY));

    // With a new name, the choice that completes the fields enables Add at once.
    Retype(IDC_NAME, "Fresh");
    for (int field : {IDC_COLOR, IDC_WEIGHT, IDC_TYPE}) {
        SCOPED_TRACE(field);
        Retype(field, "");
        ASSERT_FALSE(Enabled(IDC_ADD));
        ChooseComboLine(field, 2);
        EXPECT_TRUE(Enabled(IDC_ADD));
    }
}

TEST_F(EditorGuiTest, OnlyChoosingTransparencyForcesOneSided) {
    Start();
    ASSERT_FALSE(ForceChecked());
    ChooseComboLine(IDC_TYPE, 5);
    EXPECT_EQ(Text(IDC_TYPE), "transparency");
    EXPECT_TRUE(ForceChecked());
    EXPECT_EQ(View().LastValidTexts().type, "transparency");

    ChooseComboLine(IDC_TYPE, 0);
    EXPECT_EQ(Text(IDC_TYPE), "plain");
    EXPECT_TRUE(ForceChecked());

    Click(IDC_FORCE_ONE_SIDED);
    ASSERT_FALSE(ForceChecked());
    Retype(IDC_TYPE, "transparency");
    EXPECT_EQ(Text(IDC_TYPE), "transparency");
    EXPECT_FALSE(ForceChecked());
}

TEST_F(EditorGuiTest, ColourOrTypeTypedAndLeftJoinsTheListOnce) {
    Start();
    const std::vector<std::string> colours = ComboLines(IDC_COLOR);
    Retype(IDC_COLOR, "pink");
    Leave(IDC_COLOR);
    Leave(IDC_COLOR);
    std::vector<std::string> expected = colours;
    expected.push_back("pink");
    EXPECT_EQ(ComboLines(IDC_COLOR), expected);

    // Equal to an entry but for letter case: not added.
    Retype(IDC_COLOR, "Blue");
    Leave(IDC_COLOR);
    EXPECT_EQ(ComboLines(IDC_COLOR), expected);

    // An emptied field adds no empty line.
    Retype(IDC_COLOR, "");
    Leave(IDC_COLOR);
    EXPECT_EQ(ComboLines(IDC_COLOR), expected);

    const std::vector<std::string> types = ComboLines(IDC_TYPE);
    Retype(IDC_TYPE, "glossy");
    Leave(IDC_TYPE);
    Leave(IDC_TYPE);
    std::vector<std::string> expectedTypes = types;
    expectedTypes.push_back("glossy");
    EXPECT_EQ(ComboLines(IDC_TYPE), expectedTypes);
}

// --- the weight range check ---

TEST_F(EditorGuiTest, WeightOutOfRangeIsReportedWithTheConfiguredLimits) {
    Start(nullptr, 64, 220);
    Retype(IDC_WEIGHT, "250");
    AnswerBoxes({IDOK});
    Leave(IDC_WEIGHT);
    ExpectOneRefusal("Value out of range.\n\nControl: Weight (gsm)\nMinimum: 64\nMaximum: 220");
    // Back in the weight field with its text selected, the value kept.
    EXPECT_EQ(GetFocus(), EditOf(IDC_WEIGHT));
    EXPECT_EQ(CaretOf(IDC_WEIGHT), (Selection{0, 3}));
    EXPECT_EQ(Text(IDC_WEIGHT), "250");
    EXPECT_TRUE(View().WeightCheckArmed());
}

// French writes a no-break space before each colon; the field's name is shown
// without its colon, and without that space.
TEST_F(EditorGuiTest, WeightOutOfRangeInFrenchKeepsItsColonConvention) {
    Start(nullptr, 64, 220, "French");
    Retype(IDC_WEIGHT, "250");
    AnswerBoxes({IDOK});
    Leave(IDC_WEIGHT);
    ExpectOneRefusal("Valeur hors limites.\n\nChamp\xA0: Poids (g/m\xB2)\nMinimum\xA0: 64\nMaximum\xA0: 220");
}

struct RangeCase {
    std::string weight;
    bool reported;
};

class WeightRangeTest : public EditorGuiTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(WeightRangeTest, LimitsAreInclusive) {
    Start(nullptr, 64, 220);
    Retype(IDC_WEIGHT, GetParam().weight);
    ASSERT_EQ(Text(IDC_WEIGHT), GetParam().weight);
    if (GetParam().reported) AnswerBoxes({IDOK});
    Leave(IDC_WEIGHT);
    EXPECT_EQ(Boxes().size(), GetParam().reported ? 1u : 0u);
    if (GetParam().reported) {
        EXPECT_EQ(GetFocus(), EditOf(IDC_WEIGHT));
    }
}

INSTANTIATE_TEST_SUITE_P(EditorGui, WeightRangeTest,
                         ::testing::Values(RangeCase{"63", true}, RangeCase{"64", false}, RangeCase{"220", false},
                                           RangeCase{"221", true}, RangeCase{"", true}, RangeCase{"064", false},
                                           RangeCase{"0", true}));

TEST_F(EditorGuiTest, EmptyWeightIsReportedWithTheDefaultLimits) {
    Start();
    Retype(IDC_WEIGHT, "");
    AnswerBoxes({IDOK});
    Leave(IDC_WEIGHT, IDC_COLOR);
    ExpectOneRefusal("Value out of range.\n\nControl: Weight (gsm)\nMinimum: 60\nMaximum: 200");
    EXPECT_EQ(GetFocus(), EditOf(IDC_WEIGHT));
}

TEST_F(EditorGuiTest, WeightCheckIsSilentWhileTheProgramIsDeactivated) {
    Start();
    Retype(IDC_WEIGHT, "250");
    // Activation news from the X server still on its way would arm the check
    // again: let it arrive first.
    for (int i = 0; i < 5; ++i) {
        Sleep(20);
        Pump();
    }
    // The focus leaves because another program is activated: the frame learns
    // it before the posted check runs.
    SetFocus(EditOf(IDC_NAME));
    SendMessageA(Frame(), WM_ACTIVATEAPP, FALSE, 0);
    Pump();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(View().WeightCheckArmed());

    // Back, and leaving the field by a click reports.
    AnswerBoxes({IDOK});
    Leave(IDC_WEIGHT);
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(EditorGuiTest, WeightCheckRunsAfterTheClickThatLeftTheField) {
    Start();
    Retype(IDC_NAME, "Heavy");
    Retype(IDC_WEIGHT, "250");
    // Add is clicked while the weight is out of range: the click is handled
    // first, then the check reports.
    AnswerBoxes({IDOK});
    SetFocus(Control(IDC_ADD));
    Click(IDC_ADD);
    EXPECT_EQ(CatalogNames(), (std::vector<std::string>{"Letter", "Heavy"}));
    EXPECT_EQ(AppState.CurrentCatalog->GetPaper(1).GetText(PA_WEIGHT), "250");
    EXPECT_EQ(Boxes().size(), 1u);
}

// --- enable rules ---

TEST_F(EditorGuiTest, AddNeedsANewNameAndEveryField) {
    Start();
    ASSERT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter"}));
    EXPECT_FALSE(Enabled(IDC_ADD));
    Retype(IDC_NAME, "LETTER");
    EXPECT_FALSE(Enabled(IDC_ADD)) << "same name in other letter case";
    Type(IDC_NAME, "2");
    EXPECT_TRUE(Enabled(IDC_ADD));

    for (int field : {IDC_COLOR, IDC_WEIGHT, IDC_TYPE}) {
        SCOPED_TRACE(field);
        const std::string text = Text(field);
        Retype(field, "");
        EXPECT_FALSE(Enabled(IDC_ADD));
        Retype(field, text);
        EXPECT_TRUE(Enabled(IDC_ADD));
    }
    Retype(IDC_NAME, "");
    EXPECT_FALSE(Enabled(IDC_ADD));
}

TEST_F(EditorGuiTest, ModifyNeedsAnOtherThanDefaultPaperAndANameNoOtherPaperHas) {
    const std::vector<Paper> papers{kLetter, kBond, kCard};
    Start(&papers);
    ASSERT_EQ(ListSelection(IDC_PAPER_LIST), 0);
    EXPECT_FALSE(Enabled(IDC_MODIFY)) << "default paper";
    Retype(IDC_NAME, "Other");
    EXPECT_FALSE(Enabled(IDC_MODIFY)) << "default paper, new name";

    AnswerBoxes({IDNO});
    ClickListLine(IDC_PAPER_LIST, 1);
    ASSERT_EQ(Text(IDC_NAME), "Bond");
    EXPECT_TRUE(Enabled(IDC_MODIFY));
    Retype(IDC_NAME, "BOND");
    EXPECT_FALSE(Enabled(IDC_MODIFY)) << "case-only rename";
    Retype(IDC_NAME, "card");
    EXPECT_FALSE(Enabled(IDC_MODIFY)) << "another paper's name";
    Retype(IDC_NAME, "Bond2");
    EXPECT_TRUE(Enabled(IDC_MODIFY)) << "new name";
    Retype(IDC_WEIGHT, "");
    EXPECT_FALSE(Enabled(IDC_MODIFY)) << "empty weight";
}

TEST_F(EditorGuiTest, ButtonsFollowTheSelectedLine) {
    const std::vector<Paper> papers{kBond, kLetter, kCard};
    Start(&papers);
    // The default paper is selected at line 1; Modify is never offered for it.
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 1);
    EXPECT_EQ(EnabledButtons(), (Buttons{true, true, true, false, false}));
    ClickListLine(IDC_PAPER_LIST, 0);
    EXPECT_EQ(EnabledButtons(), (Buttons{false, true, true, false, true}));
    ClickListLine(IDC_PAPER_LIST, 2);
    EXPECT_EQ(EnabledButtons(), (Buttons{true, false, true, false, true}));

    const std::vector<Paper> one{kCard};
    UseCatalog(one);
    EXPECT_EQ(EnabledButtons(), (Buttons{false, false, true, false, true}));
}

// --- loading a paper into the fields ---

TEST_F(EditorGuiTest, SelectedPaperIsShownInTheFields) {
    const std::vector<Paper> papers{
        kLetter,
        {"Shiny", "A3", "120", "White", "TAB", true},
        {"Odd", "B5", "90", "pink", "glossy"},
    };
    Start(&papers);
    ClickListLine(IDC_PAPER_LIST, 1);
    // Colour and type show the vocabulary entries whatever their letter case.
    ExpectFields("Shiny", "white", "120", "tab");
    EXPECT_EQ(ComboSelection(IDC_COLOR), 1);
    EXPECT_EQ(Text(IDC_SIZE), "297 x 420 mm");
    EXPECT_TRUE(ForceChecked());
    ExpectLastValid("Shiny", "white", "120", "tab");

    const size_t colours = ComboLines(IDC_COLOR).size();
    ClickListLine(IDC_PAPER_LIST, 2);
    // An unknown size keyword shows the first size.
    EXPECT_EQ(Text(IDC_SIZE), "8.5 x 11 in");
    ExpectFields("Odd", "pink", "90", "glossy");
    EXPECT_FALSE(ForceChecked());
    EXPECT_EQ(ComboLines(IDC_COLOR).size(), colours + 1);
    EXPECT_EQ(ComboLines(IDC_COLOR).back(), "pink");
    EXPECT_EQ(ComboLines(IDC_TYPE).back(), "glossy");

    ClickListLine(IDC_PAPER_LIST, 0);
    ClickListLine(IDC_PAPER_LIST, 2);
    EXPECT_EQ(ComboLines(IDC_COLOR).size(), colours + 1) << "pink joins the list once";
}

TEST_F(EditorGuiTest, PendingEditIsKeptOrDiscardedOnASelectionChange) {
    const std::vector<Paper> papers{kLetter, kBond, kCard};
    Start(&papers);
    ClickListLine(IDC_PAPER_LIST, 1);
    Retype(IDC_NAME, "Bonded");
    Retype(IDC_WEIGHT, "95");
    ASSERT_TRUE(View().PaperEditPending());

    AnswerBoxes({IDYES});
    ClickListLine(IDC_PAPER_LIST, 2);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].style, platform::kMbYesNo | platform::kMbIconWarning);
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 1);
    ExpectFields("Bonded", "yellow", "95", "plain");
    EXPECT_TRUE(View().PaperEditPending());
    ExpectLastValid("Bonded", "yellow", "95", "plain");
    EXPECT_TRUE(Enabled(IDC_MODIFY));

    AnswerBoxes({IDNO});
    ClickListLine(IDC_PAPER_LIST, 2);
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 2);
    ExpectFields("Card", "blue", "160", "cover");
    EXPECT_FALSE(View().PaperEditPending());
    ExpectLastValid("Card", "blue", "160", "cover");
    EXPECT_EQ(CatalogNames(), (std::vector<std::string>{"Letter", "Bond", "Card"}));
}

// --- Add ---

TEST_F(EditorGuiTest, AddAppendsAndSelectsTheNewLastLine) {
    std::vector<Paper> papers = Numbered(60);
    papers[0] = kLetter;
    Start(&papers);
    ASSERT_EQ(ListSelection(IDC_PAPER_LIST), 0);
    Retype(IDC_NAME, "Extra");
    ChooseComboLine(IDC_SIZE, 7);
    Retype(IDC_COLOR, "Blue");
    ChooseComboLine(IDC_TYPE, 5);  // transparency: forced
    Retype(IDC_WEIGHT, "105");
    ASSERT_TRUE(Enabled(IDC_ADD));

    Click(IDC_ADD);

    ASSERT_EQ(AppState.CurrentCatalog->GetCount(), 61);
    EXPECT_EQ(Describe(AppState.CurrentCatalog->GetPaper(60)), "Extra|A3|105|Blue|transparency|T|60");
    EXPECT_EQ(ListLines(IDC_PAPER_LIST).back(), "Extra");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 60);
    const int top = TopLine();
    EXPECT_LE(top, 60);
    EXPECT_GT(top, 40) << "the new line is scrolled into view";
    // The field shows the list's entry; a refused keystroke puts that back.
    ExpectFields("Extra", "blue", "105", "transparency");
    ExpectLastValid("Extra", "blue", "105", "transparency");
    EXPECT_EQ(EnabledButtons(), (Buttons{true, false, true, false, true}));
    EXPECT_TRUE(CatalogModified());
    EXPECT_FALSE(View().PaperEditPending());
}

TEST_F(EditorGuiTest, AddWithoutAChosenSizeAsksForOne) {
    Start();
    // The state of a form that started on an empty catalog: no line, no size.
    AppState.CurrentCatalog = std::make_unique<CPaperCatalog>();
    SendMessageA(Control(IDC_SIZE), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    View().RefreshPaperList();
    View().SelectDefaultPaperLine();
    View().ShowSelectedPaper();
    Pump();
    ASSERT_EQ(ComboSelection(IDC_SIZE), -1);
    Retype(IDC_NAME, "First");
    ASSERT_TRUE(Enabled(IDC_ADD));

    AnswerBoxes({IDOK});
    Click(IDC_ADD);
    ExpectOneRefusal("Choose a size before adding the paper.");
    EXPECT_EQ(AppState.CurrentCatalog->GetCount(), 0);
    EXPECT_TRUE(ListLines(IDC_PAPER_LIST).empty());
    EXPECT_EQ(GetFocus(), Control(IDC_SIZE));
    EXPECT_TRUE(View().PaperEditPending());
    EXPECT_FALSE(CatalogModified());

    ChooseComboLine(IDC_SIZE, 6);
    Click(IDC_ADD);
    ASSERT_EQ(AppState.CurrentCatalog->GetCount(), 1);
    EXPECT_EQ(Describe(AppState.CurrentCatalog->GetPaper(0)), "First|A4|75|white|plain|F|0");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 0);
}

// --- Modify ---

TEST_F(EditorGuiTest, ModifyChangesThePaperInPlaceAndKeepsTheScrollPosition) {
    std::vector<Paper> papers = Numbered(60);
    papers[0] = kLetter;
    Start(&papers);
    ClickListLine(IDC_PAPER_LIST, 30);
    ASSERT_EQ(Text(IDC_NAME), "Paper31");
    SendMessageA(Control(IDC_PAPER_LIST), LB_SETTOPINDEX, 25, 0);
    ASSERT_EQ(TopLine(), 25);

    Retype(IDC_NAME, "Renamed");
    Retype(IDC_COLOR, "Red");
    ChooseComboLine(IDC_SIZE, 1);
    Click(IDC_FORCE_ONE_SIDED);
    ASSERT_TRUE(Enabled(IDC_MODIFY));
    Click(IDC_MODIFY);

    EXPECT_EQ(TopLine(), 25);
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 30);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST)[30], "Renamed");
    EXPECT_EQ(ListLines(IDC_PAPER_LIST).size(), 60u);
    EXPECT_EQ(Describe(AppState.CurrentCatalog->GetPaper(30)), "Renamed|LEGAL|80|Red|plain|T|30");
    ExpectFields("Renamed", "red", "80", "plain");
    ExpectLastValid("Renamed", "red", "80", "plain");
    EXPECT_FALSE(Enabled(IDC_ADD));
    EXPECT_TRUE(Enabled(IDC_MODIFY));
    EXPECT_TRUE(CatalogModified());
    EXPECT_FALSE(View().PaperEditPending());
}

// --- Delete ---

TEST_F(EditorGuiTest, DefaultPaperCannotBeDeletedButOneNamedLikeItInOtherCaseCan) {
    const std::vector<Paper> papers{kBond, kLetter, {"LETTER", "LETTER", "80", "white", "plain"}};
    Start(&papers);
    ASSERT_EQ(ListSelection(IDC_PAPER_LIST), 1);
    ASSERT_TRUE(Enabled(IDC_DELETE));

    AnswerBoxes({IDOK});
    Click(IDC_DELETE);
    ExpectOneRefusal("The selected paper is a default paper.\r\rDefault papers cannot be deleted.");
    EXPECT_EQ(CatalogNames(), (std::vector<std::string>{"Bond", "Letter", "LETTER"}));
    EXPECT_FALSE(CatalogModified());

    ClickListLine(IDC_PAPER_LIST, 2);
    Click(IDC_DELETE);
    EXPECT_EQ(CatalogNames(), (std::vector<std::string>{"Bond", "Letter"}));
    EXPECT_TRUE(CatalogModified());
}

struct DeleteCase {
    int line;
    std::vector<std::string> linesAfter;
    int selectedAfter;
    std::string shownAfter;
};

class DeleteTest : public EditorGuiTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, NextPaperTakesTheLine) {
    const DeleteCase& c = GetParam();
    const std::vector<Paper> papers{kLetter, kBond, kCard};
    Start(&papers);
    ClickListLine(IDC_PAPER_LIST, c.line);
    Retype(IDC_WEIGHT, "99");  // a pending edit is dropped, not asked about
    Click(IDC_DELETE);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), c.linesAfter);
    EXPECT_EQ(CatalogNames(), c.linesAfter);
    EXPECT_EQ(AppState.CurrentCatalog->GetPaper(c.selectedAfter).Position, c.selectedAfter);
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), c.selectedAfter);
    EXPECT_EQ(Text(IDC_NAME), c.shownAfter);
    EXPECT_EQ(View().LastValidTexts().name, c.shownAfter);
    EXPECT_FALSE(View().PaperEditPending());
    EXPECT_TRUE(CatalogModified());
}

INSTANTIATE_TEST_SUITE_P(EditorGui, DeleteTest,
                         ::testing::Values(DeleteCase{1, {"Letter", "Card"}, 1, "Card"},
                                           DeleteCase{2, {"Letter", "Bond"}, 1, "Bond"}));

TEST_F(EditorGuiTest, DeletingTheOnlyPaperLeavesAnEmptyList) {
    const std::vector<Paper> papers{kCard};
    Start(&papers);
    ASSERT_EQ(ListSelection(IDC_PAPER_LIST), 0);
    Click(IDC_DELETE);
    EXPECT_TRUE(ListLines(IDC_PAPER_LIST).empty());
    EXPECT_EQ(AppState.CurrentCatalog->GetCount(), 0);
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), -1);
    EXPECT_EQ(View().SelectedPaper(), -1);
    ExpectFields("Card", "blue", "160", "cover");
    EXPECT_EQ(EnabledButtons(), (Buttons{false, false, false, true, false}));

    // The deleted paper can be added back.
    Click(IDC_ADD);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Card"}));
    EXPECT_EQ(Describe(AppState.CurrentCatalog->GetPaper(0)), "Card|A3|160|blue|cover|T|0");
}

// --- Move Up, Move Down ---

TEST_F(EditorGuiTest, MovesTakeThePaperAndTheSelectionAlong) {
    const std::vector<Paper> papers{kLetter, kBond, kCard};
    Start(&papers);
    ClickListLine(IDC_PAPER_LIST, 1);
    Retype(IDC_NAME, "Typed");  // pending: the moves keep it
    const std::string lastValidName = View().LastValidTexts().name;

    Click(IDC_MOVE_UP);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Bond", "Letter", "Card"}));
    EXPECT_EQ(NamesAndPositions(*AppState.CurrentCatalog), "Bond@0 Letter@1 Card@2");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 0);
    EXPECT_FALSE(Enabled(IDC_MOVE_UP));
    EXPECT_TRUE(Enabled(IDC_MOVE_DOWN));
    EXPECT_EQ(Text(IDC_NAME), "Typed");
    EXPECT_TRUE(View().PaperEditPending());
    EXPECT_EQ(View().LastValidTexts().name, lastValidName);
    EXPECT_TRUE(CatalogModified());

    Click(IDC_MOVE_DOWN);
    Click(IDC_MOVE_DOWN);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Letter", "Card", "Bond"}));
    EXPECT_EQ(NamesAndPositions(*AppState.CurrentCatalog), "Letter@0 Card@1 Bond@2");
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 2);
    EXPECT_TRUE(Enabled(IDC_MOVE_UP));
    EXPECT_FALSE(Enabled(IDC_MOVE_DOWN));
    EXPECT_TRUE(View().PaperEditPending());

    // The default paper moves too.
    AnswerBoxes({IDNO});
    ClickListLine(IDC_PAPER_LIST, 0);
    Click(IDC_MOVE_DOWN);
    EXPECT_EQ(ListLines(IDC_PAPER_LIST), (std::vector<std::string>{"Card", "Letter", "Bond"}));
    EXPECT_EQ(ListSelection(IDC_PAPER_LIST), 1);
}

TEST_F(EditorGuiTest, ClickingTheSelectedLineKeepsTheFieldsAsLastValid) {
    const std::vector<Paper> papers{kLetter, kBond};
    Start(&papers);
    ClickListLine(IDC_PAPER_LIST, 1);
    Retype(IDC_COLOR, "greenish");
    ClickListLine(IDC_PAPER_LIST, 1);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Text(IDC_COLOR), "greenish");
    EXPECT_EQ(View().LastValidTexts().color, "greenish");
    EXPECT_TRUE(View().PaperEditPending());
}

// --- the paper list under the mouse ---

struct ListMouseCase {
    const char* what;
    int selected;            // the line selected first
    const char* typed;       // typed into the name field then (a pending change), or null
    int answer;              // the answer to the pending-change question; 0: no question expected
    bool drag;               // a drag from `from` onto `to`; otherwise a click on `to`
    int from, to;
    std::vector<std::string> lines;  // the list afterwards
    int selection;
    const char* name;        // the name field afterwards
};

// Letter, Bond, Card and Gloss; Letter is the default paper. The clicks and
// drags are real mouse input, so the list box itself decides what a press
// selects, as it does for the user.
TEST_F(EditorGuiTest, EveryRuleOfThePaperListHoldsUnderTheRealMouse) {
    const std::vector<Paper> papers{kLetter, kBond, kCard, {"Gloss", "A4", "120", "white", "plain"}};
    const std::vector<std::string> unchanged{"Letter", "Bond", "Card", "Gloss"};
    const ListMouseCase cases[] = {
        {"a click selects the line", 0, nullptr, 0, false, 0, 2, unchanged, 2, "Card"},
        {"a click on the selected line changes nothing", 1, nullptr, 0, false, 0, 1, unchanged, 1, "Bond"},
        {"a typed change is asked about; Yes keeps the paper being edited", 1, "Bonded", IDYES, false, 0, 2,
         unchanged, 1, "Bonded"},
        {"a typed change is asked about; No shows the clicked paper", 1, "Bonded", IDNO, false, 0, 2, unchanged, 2,
         "Card"},
        {"a typed change is asked about; a box closed otherwise keeps the edit", 1, "Bonded", IDCANCEL, false, 0, 0,
         unchanged, 1, "Bonded"},
        {"a click on the line being edited asks nothing", 1, "Bonded", 0, false, 0, 1, unchanged, 1, "Bonded"},
        {"a drag upwards puts the paper before the marked line", 0, nullptr, 0, true, 3, 1,
         {"Letter", "Gloss", "Bond", "Card"}, 1, "Gloss"},
        {"a drag downwards puts the paper before the marked line", 0, nullptr, 0, true, 0, 2,
         {"Bond", "Letter", "Card", "Gloss"}, 1, "Letter"},
        {"a drag down to the last line", 1, nullptr, 0, true, 1, 3, {"Letter", "Card", "Bond", "Gloss"}, 2, "Bond"},
        {"a drag onto the line below leaves the paper where it is", 1, nullptr, 0, true, 1, 2, unchanged, 1, "Bond"},
        {"a drag onto itself changes nothing but the selection", 0, nullptr, 0, true, 2, 2, unchanged, 2, "Card"},
        {"a drag with a typed change from another line asks; Yes moves nothing", 1, "Bonded", IDYES, true, 3, 0,
         unchanged, 1, "Bonded"},
        {"a drag with a typed change from another line asks; No moves that paper", 1, "Bonded", IDNO, true, 3, 0,
         {"Gloss", "Letter", "Bond", "Card"}, 0, "Gloss"},
        {"a drag of the paper being edited keeps the typed text", 1, "Bonded", 0, true, 1, 3,
         {"Letter", "Card", "Bond", "Gloss"}, 2, "Bonded"},
    };
    Start(&papers);
    for (const ListMouseCase& c : cases) {
        SCOPED_TRACE(c.what);
        UseCatalog(papers);
        CatalogHistory().Clear();
        if (c.selected != 0) ClickListLine(IDC_PAPER_LIST, c.selected);
        if (c.typed) Retype(IDC_NAME, c.typed);
        if (c.answer) AnswerBoxes({c.answer});
        const size_t boxes = Boxes().size();

        if (c.drag)
            MouseDragListLine(IDC_PAPER_LIST, c.from, c.to);
        else
            MouseClickListLine(IDC_PAPER_LIST, c.to);

        EXPECT_EQ(Boxes().size(), boxes + (c.answer ? 1 : 0));
        if (c.answer && Boxes().size() > boxes) {
            EXPECT_EQ(Boxes()[boxes].style, platform::kMbYesNo | platform::kMbIconWarning);
        }
        EXPECT_EQ(ListLines(IDC_PAPER_LIST), c.lines);
        EXPECT_EQ(CatalogNames(), c.lines);
        EXPECT_EQ(ListSelection(IDC_PAPER_LIST), c.selection);
        EXPECT_EQ(View().SelectedPaper(), c.selection);
        EXPECT_EQ(Text(IDC_NAME), c.name);
        const bool keptTyping = c.typed && std::string(c.name) == c.typed;
        EXPECT_EQ(View().PaperEditPending(), keptTyping);
        // A move is one step to undo; anything else none.
        EXPECT_EQ(CatalogHistory().UndoAction(),
                  c.lines != unchanged ? std::optional<EditAction>(EditAction::Drag) : std::nullopt);
        View().DropPendingEdit();
    }
}

}  // namespace
