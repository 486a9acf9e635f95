// The one function through which the common open and save dialogs are shown,
// so that tests can answer them.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace fw {

struct FileDialogRequest {
    bool save = false;           // the save dialog, else the open dialog
    std::string filter;          // "Name|*.ext|...||" as the string table holds it
    std::string defaultExtension;
    std::string initialName;
    DWORD flags = 0;             // OFN_* options
    HWND owner = nullptr;
    // Receives the 1-based number of the file type chosen last, when given.
    DWORD* chosenFilter = nullptr;
};

// The chosen full path, or nothing when the user cancelled.
std::optional<std::string> ShowFileDialog(const FileDialogRequest& request);

using FileDialogAnswerer = std::function<std::optional<std::string>(const FileDialogRequest&)>;
void SetFileDialogAnswerer(FileDialogAnswerer answerer);

}  // namespace fw
