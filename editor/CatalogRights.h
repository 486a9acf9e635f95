// What the main window says about the catalog being edited: its title (the
// catalog's name, or "Untitled"), whether this user may only read it, and the
// administrator shield on File > Save.
#pragma once

#include <windows.h>

#include <string>

// The catalog's name as the title bar and the questions show it.
std::string CatalogTitle();
// The title bar: the product, the catalog's title and, for a catalog this
// user cannot write, the read-only mark.
void UpdateMainWindowTitle();

// Asks whether the current catalog's key can be written, keeps the answer in
// AppState.CatalogReadOnly and shows it: the title bar and the shield on
// File > Save. A catalog without a configured name is never read-only.
void CheckCatalogRights();

// The administrator shield on File > Save, or no picture. The main window
// hands its WM_MEASUREITEM and WM_DRAWITEM to the two functions below, which
// answer true for the shield.
void ShowSaveShield(bool shown);
bool MeasureSaveShield(MEASUREITEMSTRUCT& item);
bool DrawSaveShield(const DRAWITEMSTRUCT& item);

