#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "PaperTestSupport.h"
#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperCopies.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

CatalogHandle Handle(CPaperCatalog catalog) { return CatalogHandle(new CPaperCatalog(std::move(catalog))); }

CPaperDef Paper(const char* name) { return CPaperDef(name, "A3", "90", "blue", "cover", true, 0); }

// The list a listener keeps in step with the catalog, as the editor's list does.
struct ListMirror : EditListener {
    explicit ListMirror(const CatalogHandle& catalog) : source(catalog) { Replaced(); }
    void Inserted(int index) override { names.insert(names.begin() + index, source->GetPaper(index).Name); }
    void Removed(int index) override { names.erase(names.begin() + index); }
    void Changed(int index) override { names[static_cast<size_t>(index)] = source->GetPaper(index).Name; }
    void Replaced() override {
        names.clear();
        for (int i = 0; i < source->GetCount(); ++i) names.push_back(source->GetPaper(i).Name);
    }
    std::string Text() const {
        std::string text;
        for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
        return text;
    }
    const CatalogHandle& source;
    std::vector<std::string> names;
};

std::string Names(const CatalogHandle& catalog) {
    std::string text;
    for (int i = 0; i < catalog->GetCount(); ++i) text += (text.empty() ? "" : " ") + catalog->GetPaper(i).Name;
    return text;
}

TEST(EditHistory, EachChangeKindIsUndoneAndRedoneExactlyWithTheListInStep) {
    struct Case {
        const char* what;
        EditChange change;
        const char* after;
    } cases[] = {
        {"insert", {EditChange::Insert, 1, 0, Paper("N")}, "A N B C"},
        {"remove", {EditChange::Remove, 1, 0, CPaperDef("B", "A4", "80", "white", "plain", false, 1)}, "A C"},
        {"replace", {EditChange::Replace, 2, 0, CPaperDef("X", "A3", "90", "red", "tab", true, 2)}, "A B X"},
        {"move down", {EditChange::Move, 0, 2, {}}, "B C A"},
        {"move up", {EditChange::Move, 2, 0, {}}, "C A B"},
    };
    for (Case& c : cases) {
        CatalogHandle catalog = Handle(CatalogOf({"A", "B", "C"}));
        const std::string before = DescribeAll(*catalog);
        EditHistory history;
        history.Do(*catalog, EditAction::Modify, c.change, 7, 8);
        const std::string after = DescribeAll(*catalog);
        ASSERT_EQ(Names(catalog), c.after) << c.what;
        EXPECT_TRUE(history.Modified()) << c.what;
        std::string name = "Office";
        ListMirror list(catalog);

        EXPECT_EQ(history.Undo(catalog, name, &list), 7) << c.what;
        EXPECT_EQ(DescribeAll(*catalog), before) << c.what;  // every field and position back
        EXPECT_EQ(list.Text(), "A B C") << c.what;
        EXPECT_EQ(history.Redo(catalog, name, &list), 8) << c.what;
        EXPECT_EQ(DescribeAll(*catalog), after) << c.what;
        EXPECT_EQ(list.Text(), c.after) << c.what;
        EXPECT_FALSE(history.Redo(catalog, name)) << c.what;
        EXPECT_EQ(name, "Office");
    }
}

// Each row is a run of commands and the changed mark after each of them:
// c a change (the first two papers swapped), u Undo, r Redo, s Save, o Open
// (the history cleared); * changed, . as stored.
TEST(EditHistory, TheChangedMarkFollowsTheSavedPosition) {
    const struct {
        const char* what;
        const char* commands;
        const char* marks;
    } cases[] = {
        {"undone back to what was opened, redone past it", "cur", "*.*"},
        {"undone behind the save and redone to it", "csur", "*.*."},
        {"a change after undoing behind the save: the saved state is out of reach", "csuc", "*.**"},
        {"and stays out of reach however far it is undone or redone", "csucur", "*.****"},
        {"the same with the save two steps ahead", "ccsuucc", "**.****"},
        {"a change after undoing steps made after the save keeps it", "cscucu", "*.*.*."},
        {"a save after the lost one counts again", "csucsu", "*.**.*"},
        {"Open after a lost save: as stored, nothing to undo", "csucou", "*.**.."},
        {"Open ends the steps that could be redone", "ccuor", "***.."},
        {"Open ends the steps that could be undone", "ccsou", "**..."},
        {"a forgotten save point: changed wherever it goes until saved", "csfurs", "*.***."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EditHistory history;
        history.Clear();
        EXPECT_FALSE(history.Modified());
        CatalogHandle catalog = Handle(CatalogOf({"A", "B"}));
        std::string name;
        std::string marks;
        for (const char* command = c.commands; *command; ++command) {
            switch (*command) {
                case 'c': history.Do(*catalog, EditAction::MoveDown, {EditChange::Move, 0, 1, {}}, 0, 1); break;
                case 'u': history.Undo(catalog, name); break;
                case 'r': history.Redo(catalog, name); break;
                case 's': history.MarkSaved(); break;
                case 'f': history.ForgetSavePoint(); break;
                case 'o': history.Clear(); break;
            }
            marks += history.Modified() ? '*' : '.';
        }
        EXPECT_EQ(marks, c.marks) << c.commands;
    }
}

TEST(EditHistory, ANewChangeEndsTheRedoStepsAndNamesFollowTheSteps) {
    EditHistory history;
    CatalogHandle catalog = Handle(CatalogOf({"A", "B", "C"}));
    std::string name;
    EXPECT_FALSE(history.UndoAction());
    history.Do(*catalog, EditAction::Delete, {EditChange::Remove, 2, 0, catalog->GetPaper(2)}, 2, 1);
    history.Do(*catalog, EditAction::MoveToTop, {EditChange::Move, 1, 0, {}}, 1, 0);
    EXPECT_EQ(history.UndoAction(), EditAction::MoveToTop);
    history.Undo(catalog, name);
    EXPECT_EQ(history.UndoAction(), EditAction::Delete);
    EXPECT_EQ(history.RedoAction(), EditAction::MoveToTop);
    history.Do(*catalog, EditAction::Paste, {EditChange::Insert, 0, 0, Paper("N")}, 0, 0);
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.StepCount(), 2u);
    history.Undo(catalog, name);
    history.Undo(catalog, name);
    EXPECT_EQ(Names(catalog), "A B C");
    EXPECT_FALSE(history.Undo(catalog, name));
}

TEST(EditHistory, AGroupIsOneStepTakenBackLastChangeFirst) {
    EditHistory history;
    CatalogHandle catalog = Handle(CatalogOf({"A", "B"}));
    std::string name;
    // Three pasted papers after A, then the first of them replaced: order matters on the way back.
    std::vector<EditChange> changes;
    for (int i = 0; i < 3; ++i) changes.push_back({EditChange::Insert, 1 + i, 0, Paper(i == 0 ? "P" : i == 1 ? "Q" : "R")});
    changes.push_back({EditChange::Replace, 1, 0, CPaperDef("P2", "A4", "80", "white", "plain", false, 1)});
    history.DoGroup(*catalog, EditAction::Paste, std::move(changes), 0, 1);
    EXPECT_EQ(Names(catalog), "A P2 Q R B");
    EXPECT_EQ(history.StepCount(), 1u);
    EXPECT_EQ(history.Undo(catalog, name), 0);
    EXPECT_EQ(NamesAndPositions(*catalog), "A@0 B@1");
    EXPECT_EQ(history.Redo(catalog, name), 1);
    EXPECT_EQ(NamesAndPositions(*catalog), "A@0 P2@1 Q@2 R@3 B@4");
    EXPECT_EQ(catalog->GetPaper(2).Size, "A3");
    // A command that changed nothing (every row refused) leaves no step to undo.
    history.DoGroup(*catalog, EditAction::Duplicate, {}, 1, 1);
    EXPECT_EQ(history.StepCount(), 1u);
    EXPECT_EQ(history.UndoAction(), EditAction::Paste);
}

TEST(EditHistory, AWholeCatalogStepExchangesCatalogAndNameBothWays) {
    EditHistory history;
    CatalogHandle catalog = Handle(CatalogOf({"A", "B"}));
    std::string name = "Office";
    CatalogHandle previous = std::move(catalog);
    catalog = Handle(CatalogOf({"X"}));
    const CPaperCatalog* imported = catalog.get();
    history.RecordWholeCatalog(EditAction::Import, std::move(previous), "Office", 0, 0);
    name.clear();
    EXPECT_TRUE(history.Modified());
    ListMirror list(catalog);

    history.Undo(catalog, name, &list);
    EXPECT_EQ(list.Text(), "A B");
    EXPECT_EQ(name, "Office");
    EXPECT_FALSE(history.Modified());
    history.Redo(catalog, name, &list);
    // The same catalog object comes back: it was kept once, not copied.
    EXPECT_EQ(catalog.get(), imported);
    EXPECT_EQ(list.Text(), "X");
    EXPECT_EQ(name, "");
    EXPECT_TRUE(history.Modified());
    // No previous catalog (nothing was replaced): no step.
    history.RecordWholeCatalog(EditAction::RestoreVersion, nullptr, "Office", 0, 0);
    EXPECT_EQ(history.StepCount(), 1u);
    EXPECT_EQ(history.UndoAction(), EditAction::Import);
}

TEST(PaperCatalogByIndex, InsertMoveAndExchangeRenumberAndIgnoreBadIndexes) {
    CatalogHandle catalog = Handle(CatalogOf({"A", "B", "C", "D"}));
    catalog->MovePaperTo(0, 3);
    EXPECT_EQ(NamesAndPositions(*catalog), "B@0 C@1 D@2 A@3");
    catalog->MovePaperTo(3, 1);
    EXPECT_EQ(NamesAndPositions(*catalog), "B@0 A@1 C@2 D@3");
    catalog->MovePaperTo(0, 4);
    catalog->MovePaperTo(-1, 0);
    catalog->InsertPaperAt(5, Paper("Z"));
    catalog->InsertPaperAt(-1, Paper("Z"));
    EXPECT_EQ(NamesAndPositions(*catalog), "B@0 A@1 C@2 D@3");
    catalog->InsertPaperAt(4, Paper("E"));
    EXPECT_EQ(NamesAndPositions(*catalog), "B@0 A@1 C@2 D@3 E@4");
    CPaperDef other = Paper("Y");
    catalog->ExchangePaper(2, other);
    EXPECT_EQ(NamesAndPositions(*catalog), "B@0 A@1 Y@2 D@3 E@4");
    EXPECT_EQ(other.Name, "C");
}

TEST(PaperCopies, ACopyTakesTheFirstFreeNameWithinThirtyOneCharactersInTheCurrentLanguage) {
    CatalogHandle catalog = Handle(CatalogOf({"Bond", "bond-copy", "Bond-Copy2", "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"}));
    EXPECT_EQ(NameForCopy(*catalog, "Gloss", kEnglish), "Gloss");
    // Letter case ignored, as the registry compares value names.
    EXPECT_EQ(NameForCopy(*catalog, "BOND", kEnglish), "BOND-Copy3");
    const std::string longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234";
    const std::string copy = NameForCopy(*catalog, longName, kEnglish);
    EXPECT_EQ(copy, "ABCDEFGHIJKLMNOPQRSTUVWXYZ-Copy");
    EXPECT_EQ(copy.size(), 31u);
    catalog->AddPaper(copy, "A4", "80", "white", "plain", false, catalog->GetCount());
    EXPECT_EQ(NameForCopy(*catalog, longName, kEnglish), "ABCDEFGHIJKLMNOPQRSTUVWXY-Copy2");
    EXPECT_EQ(NameForCopy(*catalog, "Bond", FindLanguageIndex("German")), "Bond-Kopie");
    // Papers going in together: each named as if those before it were in already.
    std::vector<CPaperDef> pasted = {Paper("Bond"), Paper("bond"), Paper("Gloss"), Paper("GLOSS")};
    NameCopies(*catalog, pasted, kEnglish);
    EXPECT_EQ(pasted[0].Name + " " + pasted[1].Name + " " + pasted[2].Name + " " + pasted[3].Name,
              "Bond-Copy3 bond-Copy4 Gloss GLOSS-Copy");
}

TEST(PaperCopies, ThePrivateFormatKeepsEveryFieldExactlyAndRefusesAnythingElse) {
    std::vector<CPaperDef> papers = {CPaperDef("A:1", "A4", "80", "white", "plain", false, 0),
                                     CPaperDef("B\n", "? ? ? ? ?", "", "r\xe9", "tab 12:3", true, 1)};
    const std::string packed = PackPapers(papers);
    std::vector<CPaperDef> read;
    ASSERT_TRUE(UnpackPapers(packed, read));
    ASSERT_EQ(read.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        papers[i].Position = 0;
        EXPECT_EQ(Describe(read[i]), Describe(papers[i]));
    }
    std::vector<CPaperDef> untouched = {papers[0]};
    for (const std::string& bad : {std::string(), std::string("Name\tSize\n"), packed.substr(0, packed.size() - 3),
                                   packed + "9:x", packed.substr(0, 18) + "0:2:A42:802:ab2:xyF\n"}) {
        EXPECT_FALSE(UnpackPapers(bad, untouched)) << bad;
        EXPECT_EQ(untouched.size(), 1u);
    }
}

}  // namespace
