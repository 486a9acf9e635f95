#include "editor/FormCommands.h"

#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"

// Each rule keeps its operation valid: a new name for Add, a selected line for
// the others. The default paper may be deleted only to be refused with a
// message, and is never modified. Letter case: a name equal to another
// paper's but for case is taken (ContainsName ignores it), while the selected
// paper and the default paper are recognised by their exact names.
FormCommands EnabledCommands(const FormState& state) {
    FormCommands commands;
    const int32_t count = state.catalog ? state.catalog->GetCount() : 0;
    const bool selected = state.selectedLine >= 0 && state.selectedLine < count;
    const bool complete = !state.name.empty() && !state.color.empty() && !state.weight.empty() && !state.type.empty();
    const bool nameTaken = state.catalog && state.catalog->ContainsName(state.name);

    commands.moveUp = selected && state.selectedLine > 0;
    commands.moveDown = selected && state.selectedLine + 1 < count;
    commands.remove = selected;
    commands.add = complete && !nameTaken;
    if (complete && selected) {
        const std::string line = state.catalog->GetPaper(state.selectedLine).Name;
        commands.modify = line != state.defaultPaperName && (state.name == line || !nameTaken);
    }

    commands.undo = state.canUndo;
    commands.redo = state.canRedo;
    commands.cut = selected;
    commands.copy = selected;
    commands.duplicate = selected;
    commands.paste = state.clipboardMayHoldPapers;
    commands.findAgain = state.findTextGiven;
    commands.moveToTop = commands.moveUp;
    commands.moveToBottom = commands.moveDown;
    // Whatever is selected or typed: the merge adds and changes papers of the
    // catalog in the form, and any catalog there may be changed.
    commands.getMedia = state.catalog != nullptr;
    return commands;
}
