#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "PaperTestSupport.h"
#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"

namespace {

CatalogHandle CatalogOf(std::initializer_list<const char*> names) {
    CatalogHandle catalog(new CPaperCatalog);
    for (const char* name : names) catalog->AddPaper(name, "A4", "80", "white", "plain", false, catalog->GetCount());
    return catalog;
}

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
        {"replace", {EditChange::Replace, 2, 0, CPaperDef("C", "A4", "80", "white", "plain", false, 2)}, "A B X"},
        {"move down", {EditChange::Move, 0, 2, {}}, "B C A"},
        {"move up", {EditChange::Move, 2, 0, {}}, "C A B"},
    };
    for (Case& c : cases) {
        CatalogHandle catalog = CatalogOf({"A", "B", "C"});
        const std::string before = DescribeAll(*catalog);
        // The change as the editor makes it, then recorded.
        switch (c.change.kind) {
            case EditChange::Insert: catalog->InsertPaperAt(c.change.index, c.change.paper); break;
            case EditChange::Remove: catalog->RemovePaper(c.change.index); break;
            case EditChange::Replace: catalog->ModifyPaper("X", "A3", "90", "red", "tab", true, 2); break;
            case EditChange::Move: catalog->MovePaperTo(c.change.index, c.change.to); break;
        }
        const std::string after = DescribeAll(*catalog);
        ASSERT_EQ(Names(catalog), c.after) << c.what;
        EditHistory history;
        history.Record(EditAction::Modify, c.change, 7, 8);
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

TEST(EditHistory, TheChangedMarkFollowsTheSavedPosition) {
    bool modified = true;
    EditHistory history(&modified);
    history.Clear();
    EXPECT_FALSE(modified);
    CatalogHandle catalog = CatalogOf({"A", "B"});
    std::string name;
    catalog->MovePaperTo(0, 1);
    history.Record(EditAction::MoveDown, {EditChange::Move, 0, 1, {}}, 0, 1);
    EXPECT_TRUE(modified);
    history.Undo(catalog, name);
    EXPECT_FALSE(modified) << "undone back to what was opened";
    history.Redo(catalog, name);
    EXPECT_TRUE(modified) << "redone past it";
    history.MarkSaved();
    EXPECT_FALSE(modified);
    history.Undo(catalog, name);
    EXPECT_TRUE(modified) << "undone behind the save";
    history.Redo(catalog, name);
    EXPECT_FALSE(modified);

    // Undo behind the save, then a new change: the saved state is out of reach for good.
    history.Undo(catalog, name);
    catalog->MovePaperTo(1, 0);
    history.Record(EditAction::MoveUp, {EditChange::Move, 1, 0, {}}, 1, 0);
    EXPECT_FALSE(history.CanRedo());
    history.Undo(catalog, name);
    EXPECT_TRUE(modified) << "the saved position was cut off with the redo steps";
}

TEST(EditHistory, ANewChangeEndsTheRedoStepsAndNamesFollowTheSteps) {
    EditHistory history;
    CatalogHandle catalog = CatalogOf({"A", "B", "C"});
    std::string name;
    EXPECT_FALSE(history.UndoAction());
    catalog->RemovePaper(2);
    history.Record(EditAction::Delete, {EditChange::Remove, 2, 0, Paper("C")}, 2, 1);
    catalog->MovePaperTo(1, 0);
    history.Record(EditAction::MoveToTop, {EditChange::Move, 1, 0, {}}, 1, 0);
    EXPECT_EQ(history.UndoAction(), EditAction::MoveToTop);
    history.Undo(catalog, name);
    EXPECT_EQ(history.UndoAction(), EditAction::Delete);
    EXPECT_EQ(history.RedoAction(), EditAction::MoveToTop);
    catalog->InsertPaperAt(0, Paper("N"));
    history.Record(EditAction::Paste, {EditChange::Insert, 0, 0, Paper("N")}, 0, 0);
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.StepCount(), 2u);
    history.Undo(catalog, name);
    history.Undo(catalog, name);
    EXPECT_EQ(Names(catalog), "A B C");
    EXPECT_FALSE(history.Undo(catalog, name));
}

TEST(EditHistory, AGroupIsOneStepTakenBackLastChangeFirst) {
    EditHistory history;
    CatalogHandle catalog = CatalogOf({"A", "B"});
    std::string name;
    // Three pasted papers after A, then the first of them replaced: order matters on the way back.
    std::vector<EditChange> changes;
    for (int i = 0; i < 3; ++i) {
        const CPaperDef paper = Paper(i == 0 ? "P" : i == 1 ? "Q" : "R");
        catalog->InsertPaperAt(1 + i, paper);
        changes.push_back({EditChange::Insert, 1 + i, 0, paper});
    }
    CPaperDef replaced = catalog->GetPaper(1);
    catalog->ModifyPaper("P2", "A4", "80", "white", "plain", false, 1);
    changes.push_back({EditChange::Replace, 1, 0, replaced});
    history.RecordGroup(EditAction::Paste, std::move(changes), 0, 1);
    EXPECT_EQ(Names(catalog), "A P2 Q R B");
    EXPECT_EQ(history.StepCount(), 1u);
    EXPECT_EQ(history.Undo(catalog, name), 0);
    EXPECT_EQ(NamesAndPositions(*catalog), "A@0 B@1");
    EXPECT_EQ(history.Redo(catalog, name), 1);
    EXPECT_EQ(NamesAndPositions(*catalog), "A@0 P2@1 Q@2 R@3 B@4");
    EXPECT_EQ(catalog->GetPaper(2).Size, "A3");
}

TEST(EditHistory, AWholeCatalogStepExchangesCatalogAndNameBothWays) {
    bool modified = false;
    EditHistory history(&modified);
    CatalogHandle catalog = CatalogOf({"A", "B"});
    std::string name = "Office";
    CatalogHandle previous = std::move(catalog);
    catalog = CatalogOf({"X"});
    const CPaperCatalog* imported = catalog.get();
    history.RecordWholeCatalog(EditAction::Import, std::move(previous), "Office", 0, 0);
    name.clear();
    EXPECT_TRUE(modified);
    ListMirror list(catalog);

    history.Undo(catalog, name, &list);
    EXPECT_EQ(list.Text(), "A B");
    EXPECT_EQ(name, "Office");
    EXPECT_FALSE(modified);
    history.Redo(catalog, name, &list);
    // The same catalog object comes back: it was kept once, not copied.
    EXPECT_EQ(catalog.get(), imported);
    EXPECT_EQ(list.Text(), "X");
    EXPECT_EQ(name, "");
    EXPECT_TRUE(modified);
}

TEST(EditHistory, ClearForgetsEveryStep) {
    bool modified = false;
    EditHistory history(&modified);
    CatalogHandle catalog = CatalogOf({"A"});
    std::string name;
    history.Record(EditAction::Add, {EditChange::Insert, 1, 0, Paper("N")}, 0, 1);
    history.Undo(catalog, name);
    history.Clear();
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_FALSE(modified);
}

TEST(PaperCatalogByIndex, InsertMoveAndExchangeRenumberAndIgnoreBadIndexes) {
    CatalogHandle catalog = CatalogOf({"A", "B", "C", "D"});
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

}  // namespace
