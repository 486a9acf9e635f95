#include "platform/FileReplace.h"

#include <windows.h>

#include <cstring>

namespace platform {

namespace {

// The directory part of `path`, with its separator.
std::string DirectoryOf(const std::string& path) {
    const size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// A short name in the directory of `path`: the move then stays on one volume,
// and the name does not lengthen a path that is already close to MAX_PATH.
std::string TemporaryName(const std::string& directory, unsigned attempt) {
    return directory + kReplacingFilePrefix + std::to_string(GetCurrentProcessId() % 100000) + "-" +
           std::to_string(attempt) + ".tmp";
}

// Files left by an export that never finished. One another export is still
// writing is open without sharing and refuses to be deleted.
void RemoveLeftovers(const std::string& directory) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((directory + kReplacingFilePrefix + "*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // The pattern also matches short names; only our own long names count.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            _strnicmp(found.cFileName, kReplacingFilePrefix, std::strlen(kReplacingFilePrefix)) == 0) {
            DeleteFileA((directory + found.cFileName).c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// The attributes SetFileAttributesA can give a file.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Puts the complete new file in the place of `path`: over an existing file
// with ReplaceFileA, which keeps that file's attributes, owner and
// permissions (a move of the new file would drop them), otherwise by a plain
// move. ERROR_SUCCESS or the system's error.
DWORD PutInPlace(const std::string& temporary, const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return MoveFileA(temporary.c_str(), path.c_str()) ? ERROR_SUCCESS : GetLastError();
    }
    // Only a file that may be opened for writing and deleted is replaced: a
    // folder, a read-only file or one another program holds is refused here,
    // before ReplaceFileA (Wine's would take a folder or a read-only file, and
    // leave a file of its own behind when it fails).
    HANDLE old = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (old == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(old);
    if (!ReplaceFileA(path.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        return GetLastError();
    }
    // Windows has kept them already; Wine has not.
    const DWORD now = GetFileAttributesA(path.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & kSettableAttributes) != (attributes & kSettableAttributes)) {
        const DWORD wanted = attributes & kSettableAttributes;
        SetFileAttributesA(path.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL);
    }
    return ERROR_SUCCESS;
}

// The full path: Wine's ReplaceFileA refuses a bare file name (ERROR_DIRECTORY),
// and the command-line companion is given names relative to where it runs.
std::string FullPath(const std::string& path) {
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::string full(needed, '\0');
    const DWORD length = GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    return full;
}

bool Fail(long* error, DWORD code) {
    if (error) *error = static_cast<long>(code ? code : ERROR_GEN_FAILURE);
    return false;
}

}  // namespace

bool WriteFileReplacing(const std::string& target, std::string_view bytes, long* error) {
    const std::string path = FullPath(target);
    const std::string directory = DirectoryOf(path);
    RemoveLeftovers(directory);

    std::string temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryName(directory, attempt);
        file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return Fail(error, GetLastError());
    }
    if (file == INVALID_HANDLE_VALUE) return Fail(error, ERROR_FILE_EXISTS);

    DWORD failure = ERROR_SUCCESS;
    if (!WriteAll(file, bytes) || !FlushFileBuffers(file)) failure = GetLastError();
    if (!CloseHandle(file) && failure == ERROR_SUCCESS) failure = GetLastError();
    if (failure == ERROR_SUCCESS) failure = PutInPlace(temporary, path);
    if (failure == ERROR_SUCCESS) return true;
    DeleteFileA(temporary.c_str());
    return Fail(error, failure);
}

}  // namespace platform
