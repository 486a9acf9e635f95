// The editing history: every change to the current catalog as one step that
// can be undone and redone. A step keeps only what it changed (a paper
// inserted, removed or replaced at an index, a paper moved from one index to
// another), several of them for a command that changes many papers at once;
// a command that replaces the whole catalog keeps the previous catalog once.
// Every change goes through the history (Do, DoGroup), which applies it and
// keeps its step in one call, so no change can be made without its undo step;
// undo and redo go through the catalog's own operations.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "state/AppState.h"

// What the user did, named in the Edit menu's "Undo ..." and "Redo ...".
enum class EditAction : int {
    Add,
    Modify,
    Delete,
    Cut,
    Paste,
    Duplicate,
    MoveUp,
    MoveDown,
    MoveToTop,
    MoveToBottom,
    Drag,
    Import,
    RestoreVersion,
    Merge,
};

// One change at an index. Applying it forwards repeats the change, backwards
// takes it back; `paper` holds what the forward change inserts, what it
// removes, or for Replace the paper that is not in the catalog right now.
struct EditChange {
    enum Kind : unsigned char { Insert, Remove, Replace, Move } kind = Insert;
    int index = 0;
    int to = 0;  // Move: the index the paper ends at
    CPaperDef paper;
};

using CatalogHandle = std::unique_ptr<CPaperCatalog, CatalogDeleter>;

// Told of every line of the catalog that an undo or redo changed, so that a
// list showing the catalog can follow without being filled again.
struct EditListener {
    virtual ~EditListener() = default;
    virtual void Inserted(int index) = 0;
    virtual void Removed(int index) = 0;
    virtual void Changed(int index) = 0;
    // The whole catalog was exchanged (a whole-catalog step).
    virtual void Replaced() = 0;
};

class EditHistory {
public:
    EditHistory() = default;
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // Open, New and Close: no step to undo or redo, and the catalog as it
    // now stands is the saved one.
    void Clear();

    // Makes the change to `catalog` and keeps it as one step. `selectedBefore`
    // is the line selected before it (undo selects it again), `selectedAfter`
    // the line selected after it (redo selects it). Ends every step that was
    // undone. A Replace change carries the paper that goes in.
    void Do(CPaperCatalog& catalog, EditAction action, EditChange change, int selectedBefore, int selectedAfter);
    // Several changes made in this order (Paste of many rows): one step.
    void DoGroup(CPaperCatalog& catalog, EditAction action, std::vector<EditChange> changes, int selectedBefore,
                 int selectedAfter);
    // The catalog (and its configured name) was replaced as a whole; the
    // previous one is kept in the step and exchanged again on undo and redo.
    void RecordWholeCatalog(EditAction action, CatalogHandle previous, std::string previousName,
                            int selectedBefore, int selectedAfter);

    bool CanUndo() const { return position_ > 0; }
    bool CanRedo() const { return position_ < steps_.size(); }
    // The action the next Undo (Redo) takes back (repeats); none when there is none.
    std::optional<EditAction> UndoAction() const;
    std::optional<EditAction> RedoAction() const;

    // Apply the step to `catalog` (a whole-catalog step exchanges the catalog
    // and `catalogName`), tell `listener` of each line changed, and answer the
    // line to select; none when there was nothing to undo or redo.
    std::optional<int> Undo(CatalogHandle& catalog, std::string& catalogName, EditListener* listener = nullptr);
    std::optional<int> Redo(CatalogHandle& catalog, std::string& catalogName, EditListener* listener = nullptr);

    // The catalog as it now stands is what is stored (after a save), or what
    // the user chose not to store (a declined offer to save is not repeated).
    void MarkSaved();
    // What is stored is none of the catalogs the history can reach.
    void ForgetSavePoint() { saved_.reset(); }
    // The catalog differs from what was opened or last saved: the history is
    // not at the saved position, or that position was lost (changes made after
    // undoing past it ended the steps that led back to it).
    bool Modified() const { return !saved_ || *saved_ != position_; }
    // Counts, for tests and the benchmark.
    size_t StepCount() const { return steps_.size(); }
    size_t Position() const { return position_; }

private:
    struct Step {
        EditAction action = EditAction::Add;
        std::vector<EditChange> changes;
        CatalogHandle whole;  // a whole-catalog step: the catalog not in use now
        std::string wholeName;
        int selectedBefore = -1;
        int selectedAfter = -1;
    };
    void Push(Step step);
    void Apply(Step& step, bool forwards, CatalogHandle& catalog, std::string& catalogName,
               EditListener* listener);
    static void ApplyChange(EditChange& change, bool forwards, CPaperCatalog& catalog, EditListener* listener);

    std::vector<Step> steps_;
    size_t position_ = 0;               // steps applied: steps_[position_ - 1] is the one Undo takes back
    std::optional<size_t> saved_ = 0;   // the position of the stored catalog
};

// The history of the catalog being edited (AppState.CurrentCatalog).
EditHistory& CatalogHistory();
// The catalog being edited differs from what is stored: the history's answer.
inline bool CatalogModified() { return CatalogHistory().Modified(); }
