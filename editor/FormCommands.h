// Which of the form's commands are enabled: one pure function of the form's
// state, asked by the form's buttons and by the menus' update handlers alike,
// so the two never disagree. Portable: it reads no window, and is tested natively.
#pragma once

#include <cstdint>
#include <string>

class CPaperCatalog;

// What the enabled states depend on, as the form holds it.
struct FormState {
    const CPaperCatalog* catalog = nullptr;
    std::string defaultPaperName;
    int32_t selectedLine = -1;  // the list mirrors the catalog: line i is paper i; -1 for none
    // The fields as typed.
    std::string name;
    std::string color;
    std::string weight;
    std::string type;
    // Answered elsewhere: the history, the last Find, the clipboard.
    bool canUndo = false;
    bool canRedo = false;
    bool findTextGiven = false;
    bool clipboardMayHoldPapers = false;
};

struct FormCommands {
    // The form's buttons.
    bool moveUp = false;
    bool moveDown = false;
    bool remove = false;
    bool add = false;
    bool modify = false;
    // The Edit menu's commands on the catalog.
    bool undo = false;
    bool redo = false;
    bool cut = false;
    bool copy = false;
    bool paste = false;
    bool duplicate = false;
    bool findAgain = false;
    bool moveToTop = false;
    bool moveToBottom = false;
    // The File menu's commands that change the catalog in place.
    bool getMedia = false;

    bool operator==(const FormCommands&) const = default;
};

FormCommands EnabledCommands(const FormState& state);
