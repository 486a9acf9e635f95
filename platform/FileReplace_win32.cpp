#include "platform/FileReplace.h"

#include <windows.h>

#include "platform/OwnedHandles_win32.h"

#include <cstring>
#include <utility>

namespace platform {

namespace {

SystemReplace replaceForTesting;

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

bool EndsWithTmp(const char* name) {
    const size_t length = std::strlen(name);
    return length > 4 && _stricmp(name + length - 4, ".tmp") == 0;
}

unsigned long long Ticks(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// A leftover younger than this may be another export's complete file waiting
// for its replace (on a share, from another PC): ten minutes, in FILETIME units.
constexpr unsigned long long kLeftoverAge = 10ull * 60 * 10000000;

// The time the file system gave the file just made: leftovers are aged by the
// clock that stamped them too, which on a share is the server's, not this PC's.
unsigned long long StampOf(HANDLE file) {
    FILETIME created{}, written{};
    if (GetFileTime(file, &created, nullptr, &written)) {
        const unsigned long long stamp = Ticks(created) > Ticks(written) ? Ticks(created) : Ticks(written);
        if (stamp != 0) return stamp;
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return Ticks(now);
}

// Files left by an export that never finished, ten minutes older than `now`.
// One another export is still writing is open without sharing and refuses to
// be deleted anyway. Backups (".bak") never match.
void RemoveLeftovers(const std::string& directory, unsigned long long now) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((directory + kReplacingFilePrefix + "*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // The pattern also matches short names; only our own long names count.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            _strnicmp(found.cFileName, kReplacingFilePrefix, std::strlen(kReplacingFilePrefix)) == 0 &&
            EndsWithTmp(found.cFileName) && Ticks(found.ftLastWriteTime) + kLeftoverAge < now) {
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

DWORD ErrorOr(DWORD code) { return code ? code : ERROR_GEN_FAILURE; }

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool NameIsFree(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// A name beside the temporary file, with `extension`, free now. Only this
// export owns the temporary's name, so no other export chooses the same one;
// a file an earlier failure left for the user is never overwritten.
std::string FreeNameBeside(const std::string& temporary, const char* extension) {
    const std::string stem = temporary.substr(0, temporary.size() - 4);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = stem + (attempt ? "-" + std::to_string(attempt) : std::string()) + extension;
        if (NameIsFree(name)) return name;
    }
    return {};
}

DWORD SystemReplaceFile(const std::string& replaced, const std::string& replacement, const std::string& backup) {
    if (replaceForTesting) return replaceForTesting(replaced, replacement, backup);
    return ReplaceFileA(replaced.c_str(), replacement.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                        nullptr, nullptr)
               ? ERROR_SUCCESS
               : ErrorOr(GetLastError());
}

// The attributes SetFileAttributesA can give a file.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Puts the complete new file in the place of `path`: over an existing file
// with ReplaceFileA, which keeps that file's attributes, owner and
// permissions (a move of the new file would drop them), otherwise by a plain
// move. ERROR_SUCCESS or the system's error; `backup` receives the name the
// old file was to be moved to.
DWORD PutInPlace(const std::string& temporary, const std::string& path, std::string& backup) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return MoveFileA(temporary.c_str(), path.c_str()) ? ERROR_SUCCESS : ErrorOr(GetLastError());
    }
    // Only a file that may be opened for writing and deleted is replaced: a
    // folder, a read-only file or one another program holds is refused here,
    // before ReplaceFileA (Wine's would take a folder or a read-only file, and
    // leave a file of its own behind when it fails).
    OwnedHandle old(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!old.valid()) return ErrorOr(GetLastError());
    old.Close();
    // Without a backup name a replace that fails after moving the old file
    // away leaves neither file in place, nor any name for the old one.
    backup = FreeNameBeside(temporary, ".bak");
    if (backup.empty()) return ERROR_FILE_EXISTS;
    if (const DWORD error = SystemReplaceFile(path, temporary, backup); error != ERROR_SUCCESS) return error;
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

bool Fail(ReplaceFailure* failure, DWORD code) {
    if (failure) failure->error = static_cast<long>(ErrorOr(code));
    return false;
}

}  // namespace

void SetSystemReplaceForTesting(SystemReplace replace) { replaceForTesting = std::move(replace); }

bool WriteFileReplacing(const std::string& target, std::string_view bytes, ReplaceFailure* failure) {
    if (failure) *failure = ReplaceFailure{};
    const std::string path = FullPath(target);
    const std::string directory = DirectoryOf(path);

    std::string temporary;
    OwnedHandle owned;
    for (unsigned attempt = 0; attempt < 100 && !owned.valid(); ++attempt) {
        temporary = TemporaryName(directory, attempt);
        owned = OwnedHandle(
            CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!owned.valid() && GetLastError() != ERROR_FILE_EXISTS) return Fail(failure, GetLastError());
    }
    if (!owned.valid()) return Fail(failure, ERROR_FILE_EXISTS);
    HANDLE file = owned.get();
    RemoveLeftovers(directory, StampOf(file));

    DWORD error = ERROR_SUCCESS;
    if (!WriteAll(file, bytes) || !FlushFileBuffers(file)) error = ErrorOr(GetLastError());
    if (!owned.Close() && error == ERROR_SUCCESS) error = ErrorOr(GetLastError());
    std::string backup;
    if (error == ERROR_SUCCESS) error = PutInPlace(temporary, path, backup);
    if (error == ERROR_SUCCESS) {
        if (!backup.empty()) DeleteFileA(backup.c_str());
        return true;
    }
    // With the target still there the old file is in place, and a backup the
    // replace made before it failed is only a copy, perhaps an incomplete one.
    const bool targetThere = FileExists(path);
    if (!backup.empty() && targetThere) DeleteFileA(backup.c_str());
    // ReplaceFileA's own word that it may have moved the old file aside, or
    // the target gone: the new file may be all the user has, and the old one
    // is wherever the replace left it. Both stay.
    const bool keep = !backup.empty() && (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
                                          error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 || !targetThere);
    if (!keep) {
        DeleteFileA(temporary.c_str());
        return Fail(failure, error);
    }
    // Under a name of its own the new file is safe from the removal of
    // leftovers, and the editor's Import offers it.
    std::string kept = FreeNameBeside(temporary, ".cat");
    if (kept.empty() || !MoveFileA(temporary.c_str(), kept.c_str())) kept = FileExists(temporary) ? temporary : "";
    if (failure) {
        KeptFiles& files = failure->kept.emplace();
        files.newFile = kept;
        files.previousInPlace = targetThere;
        // The backup name was free before the replace, so a file there is the old one.
        if (!targetThere && FileExists(backup)) files.previousFile = backup;
    }
    return Fail(failure, error);
}

}  // namespace platform
