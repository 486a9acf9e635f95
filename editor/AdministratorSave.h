// Catalogs this user may read but not change: the registry is asked (never by
// writing) at Open and after every save; the title bar and File > Save show
// the answer; a save is then handed to the companion, started with the
// Windows elevation prompt. The editor never elevates itself.
#pragma once

#include <windows.h>

#include <string>

// Asks whether the current catalog's key can be written, keeps the answer in
// AppState.CatalogReadOnly and shows it: the title bar and the shield on
// File > Save. A catalog without a configured name is never read-only.
void CheckCatalogRights();

// The key can be written by nobody but an administrator, as far as the
// registry's answer goes (a question it cannot answer is no refusal).
bool KeyIsReadOnly(const std::string& registryPath);

// The administrator shield on File > Save, or no picture. The main window
// hands its WM_MEASUREITEM and WM_DRAWITEM to the two functions below, which
// answer true for the shield.
void ShowSaveShield(bool shown);
bool MeasureSaveShield(MEASUREITEMSTRUCT& item);
bool DrawSaveShield(const DRAWITEMSTRUCT& item);

// The question before a save of a catalog this user cannot write: true for Yes.
bool AskSaveAsAdministrator(HWND window, const std::string& catalogName, const std::string& registryPath);

// Writes CurrentCatalog to a temporary catalog file and runs
// `VellicorCmd /import` on it for the configured catalog `catalogName`,
// elevated, waiting for it; with `askIfChangedElsewhere`, asks first when the
// key no longer holds what the catalog was opened or saved from. True when
// the companion stored it (what the key holds is then read again and
// remembered); otherwise the outcome has been reported: the companion's own
// message, a declined prompt in one line. The temporary files are removed.
bool SaveAsAdministrator(HWND window, const std::string& catalogName, bool askIfChangedElsewhere);
