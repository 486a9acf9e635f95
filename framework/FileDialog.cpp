#include "framework/FileDialog.h"

#include <commdlg.h>

#include <utility>
#include <vector>

#include "framework/Application.h"

namespace fw {

namespace {
FileDialogAnswerer& Answerer() {
    static FileDialogAnswerer answerer;
    return answerer;
}
}  // namespace

void SetFileDialogAnswerer(FileDialogAnswerer answerer) { Answerer() = std::move(answerer); }

std::optional<std::string> ShowFileDialog(const FileDialogRequest& request) {
    FileDialogRequest effective = request;
    if (!effective.owner) effective.owner = MainWindowHandle();
    if (Answerer()) return Answerer()(effective);

    // The string table writes the filter with "|" between its parts; the
    // dialog wants NUL characters.
    std::string filter = effective.filter;
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.push_back('\0');

    std::vector<char> file(MAX_PATH * 4, '\0');
    effective.initialName.copy(file.data(), file.size() - 1);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = effective.owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = effective.defaultExtension.empty() ? nullptr : effective.defaultExtension.c_str();
    ofn.Flags = effective.flags | OFN_EXPLORER;
    // The dialog makes the folder the user chose the current one (the open
    // dialog whatever its flags say), and the program finds its configuration
    // file in the current folder: the folder is put back. The wide functions,
    // since a folder name outside the code page would not survive the ANSI ones.
    std::vector<wchar_t> folder(GetCurrentDirectoryW(0, nullptr) + 1, L'\0');
    const bool folderKnown = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()) != 0;
    const BOOL ok = effective.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (folderKnown) SetCurrentDirectoryW(folder.data());
    if (!ok) return std::nullopt;
    if (effective.chosenFilter) *effective.chosenFilter = ofn.nFilterIndex;
    return std::string(file.data());
}

}  // namespace fw
