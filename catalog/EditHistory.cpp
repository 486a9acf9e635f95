#include "catalog/EditHistory.h"

#include <utility>

void EditHistory::Clear() {
    steps_.clear();
    position_ = 0;
    saved_ = 0;
}

void EditHistory::Push(Step step) {
    // A change made after undoing ends the steps that were undone; a saved
    // position among them can no longer be reached.
    if (saved_ && *saved_ > position_) saved_.reset();
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(position_), steps_.end());
    steps_.push_back(std::move(step));
    position_ = steps_.size();
}

void EditHistory::Do(CPaperCatalog& catalog, EditAction action, EditChange change, int selectedBefore,
                     int selectedAfter) {
    ApplyChange(change, true, catalog, nullptr);
    Step step;
    step.action = action;
    step.changes.push_back(std::move(change));
    step.selectedBefore = selectedBefore;
    step.selectedAfter = selectedAfter;
    Push(std::move(step));
}

void EditHistory::DoGroup(CPaperCatalog& catalog, EditAction action, std::vector<EditChange> changes,
                          int selectedBefore, int selectedAfter) {
    if (changes.empty()) return;
    for (EditChange& change : changes) ApplyChange(change, true, catalog, nullptr);
    Step step;
    step.action = action;
    step.changes = std::move(changes);
    step.selectedBefore = selectedBefore;
    step.selectedAfter = selectedAfter;
    Push(std::move(step));
}

void EditHistory::RecordWholeCatalog(EditAction action, CatalogHandle previous, std::string previousName,
                                     int selectedBefore, int selectedAfter) {
    if (!previous) return;
    Step step;
    step.action = action;
    step.whole = std::move(previous);
    step.wholeName = std::move(previousName);
    step.selectedBefore = selectedBefore;
    step.selectedAfter = selectedAfter;
    Push(std::move(step));
}

std::optional<EditAction> EditHistory::UndoAction() const {
    if (!CanUndo()) return std::nullopt;
    return steps_[position_ - 1].action;
}

std::optional<EditAction> EditHistory::RedoAction() const {
    if (!CanRedo()) return std::nullopt;
    return steps_[position_].action;
}

std::optional<int> EditHistory::Undo(CatalogHandle& catalog, std::string& catalogName, EditListener* listener) {
    if (!CanUndo() || !catalog) return std::nullopt;
    Step& step = steps_[position_ - 1];
    Apply(step, false, catalog, catalogName, listener);
    --position_;
    return step.selectedBefore;
}

std::optional<int> EditHistory::Redo(CatalogHandle& catalog, std::string& catalogName, EditListener* listener) {
    if (!CanRedo() || !catalog) return std::nullopt;
    Step& step = steps_[position_];
    Apply(step, true, catalog, catalogName, listener);
    ++position_;
    return step.selectedAfter;
}

// Backwards, the changes are taken back last first, each by its inverse.
void EditHistory::Apply(Step& step, bool forwards, CatalogHandle& catalog, std::string& catalogName,
                        EditListener* listener) {
    if (step.whole) {
        std::swap(catalog, step.whole);
        std::swap(catalogName, step.wholeName);
        if (listener) listener->Replaced();
        return;
    }
    const size_t count = step.changes.size();
    for (size_t n = 0; n < count; ++n) {
        ApplyChange(step.changes[forwards ? n : count - 1 - n], forwards, *catalog, listener);
    }
}

void EditHistory::ApplyChange(EditChange& change, bool forwards, CPaperCatalog& catalog, EditListener* listener) {
    switch (change.kind) {
        case EditChange::Insert:
        case EditChange::Remove:
            // Inserting forwards is removing backwards, and the other way round.
            if ((change.kind == EditChange::Insert) == forwards) {
                catalog.InsertPaperAt(change.index, change.paper);
                if (listener) listener->Inserted(change.index);
            } else {
                catalog.RemovePaper(change.index);
                if (listener) listener->Removed(change.index);
            }
            break;
        case EditChange::Replace:
            catalog.ExchangePaper(change.index, change.paper);
            if (listener) listener->Changed(change.index);
            break;
        case EditChange::Move: {
            const int from = forwards ? change.index : change.to;
            const int to = forwards ? change.to : change.index;
            catalog.MovePaperTo(from, to);
            if (listener) {
                listener->Removed(from);
                listener->Inserted(to);
            }
            break;
        }
    }
}

void EditHistory::MarkSaved() {
    saved_ = position_;
}

EditHistory& CatalogHistory() {
    static EditHistory history;
    return history;
}
