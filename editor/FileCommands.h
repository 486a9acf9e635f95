// The File menu's catalog commands: New, Open, Save, Save As, Import, Export,
// Merge from File, Get Media from Printer, Restore Previous Version and
// Compare with Stored Catalog.
// The main window hands them their menu commands; they work on AppState and
// show the result in the form.
#pragma once

#include <windows.h>

class CVellicorView;
namespace fw {
class CCmdUI;
}

// Carries out the File menu's command `id` on the form; false for another command.
bool FileCommand(CVellicorView& view, UINT id);
// Enables the File menu's command; false for another command.
bool UpdateFileCommand(fw::CCmdUI& ui);

// File > New and Close.
void StartNewCatalog(CVellicorView& view);
