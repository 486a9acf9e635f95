// The open and save dialogs' request for a file of papers (Import, Export,
// Merge from File), and which kind of file the user chose to write.
#pragma once

#include <windows.h>

#include <string>

#include "framework/FileDialog.h"

// The catalog file (*.cat, the first type), a CSV file (*.csv, the second),
// JDF media (*.jdf, the third) or any file; `chosenFilter` receives the type chosen.
fw::FileDialogRequest PapersFileRequest(bool save, DWORD* chosenFilter);
inline constexpr DWORD kCsvFilter = 2;
inline constexpr DWORD kJdfFilter = 3;

// Whether the file the dialog answered is a CSV file: by the extension typed
// or added for the chosen type, .csv or .cat; by the type chosen otherwise.
bool ChosenTableFile(const std::string& path, DWORD chosenFilter);
// The same for JDF media: .jdf, or the third type with no known extension.
bool ChosenJdfFile(const std::string& path, DWORD chosenFilter);
