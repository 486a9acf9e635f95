#include "platform/Files.h"

#include <windows.h>

#include "platform/OwnedHandles_win32.h"

#include "platform/FolderSecurity.h"

namespace platform {

std::string SystemErrorText(unsigned long code) {
    char* buffer = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = length && buffer ? std::string(buffer, length) : "Error " + std::to_string(code);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

namespace {

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool CreateFolders(const std::string& path, std::string& reason) {
    const size_t root = WindowsRootLength(path);
    if (root == 0) {
        reason = SystemErrorText(ERROR_BAD_PATHNAME);
        return false;
    }
    // Each folder below the root in turn: a drive's root and "\\server\share"
    // cannot be created and need not be (asking for "\\server" fails at once).
    for (size_t end = path.find_first_of("\\/", root);; end = path.find_first_of("\\/", end + 1)) {
        const std::string prefix = path.substr(0, end);
        const bool creatable = prefix.size() > root && prefix.back() != '\\' && prefix.back() != '/';
        if (creatable && !IsFolder(prefix)) {
            const DWORD error = CreateProtectedFolder(prefix);
            if (error != 0 && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) {
                reason = SystemErrorText(error);
                return false;
            }
            // Something of that name exists: fine only when it is a folder.
            if (error != 0 && !IsFolder(prefix)) {
                reason = SystemErrorText(error == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : error);
                return false;
            }
        }
        if (end == std::string::npos) break;
    }
    return true;
}

bool IsAbsolutePath(const std::string& path) { return WindowsRootLength(path) > 0; }

NewFileResult WriteNewFile(const std::string& path, std::string_view bytes, std::string& reason, bool durable) {
    OwnedHandle owned(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    HANDLE file = owned.get();
    if (!owned.valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return NewFileResult::Exists;
        reason = SystemErrorText(error);
        return NewFileResult::Failed;
    }
    DWORD error = 0;
    while (!bytes.empty() && error == 0) {
        const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            error = GetLastError();
            if (error == 0) error = ERROR_WRITE_FAULT;
        }
        bytes.remove_prefix(written);
    }
    if (durable && error == 0 && !FlushFileBuffers(file)) error = GetLastError();
    if (!owned.Close() && error == 0) error = GetLastError();
    if (error == 0) return NewFileResult::Written;
    DeleteFileA(path.c_str());
    reason = SystemErrorText(error);
    return NewFileResult::Failed;
}

bool ListFiles(const std::string& folder, std::vector<std::string>& names, std::string& reason) {
    names.clear();
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        reason = SystemErrorText(error);
        return false;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

std::string FolderOfPath(const std::string& path) {
    char full[MAX_PATH];
    char* name = nullptr;
    const DWORD length = GetFullPathNameA(path.empty() ? "." : path.c_str(), MAX_PATH, full, &name);
    if (length == 0 || length >= MAX_PATH) return "";
    std::string folder(full, name && name > full ? static_cast<size_t>(name - full) : length);
    // "C:\" keeps its separator; "C:\Data\" does not.
    if (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

std::string ExpandEnvironment(const std::string& text) {
    const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::string expanded(needed, '\0');
    const DWORD length = ExpandEnvironmentStringsA(text.c_str(), expanded.data(), needed);
    if (length == 0 || length > needed) return text;
    expanded.resize(length - 1);
    return expanded;
}

LocalTime CurrentLocalTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace platform
