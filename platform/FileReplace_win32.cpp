#include "platform/FileReplace.h"

#include <windows.h>

namespace platform {

namespace {

// A short name in the directory of `path`: the move then stays on one volume,
// and the name does not lengthen a path that is already close to MAX_PATH.
std::string TemporaryName(const std::string& path, unsigned attempt) {
    size_t separator = path.find_last_of("\\/:");
    std::string directory = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
    return directory + "~" + std::to_string(GetCurrentProcessId() % 100000) + "-" + std::to_string(attempt) + ".tmp";
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, std::string_view bytes) {
    std::string temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryName(path, attempt);
        file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (file == INVALID_HANDLE_VALUE) return false;

    bool complete = WriteAll(file, bytes) && FlushFileBuffers(file);
    complete = CloseHandle(file) && complete;
    // std::rename does not replace an existing file on Windows; MoveFileExA does,
    // and refuses a read-only target as opening it for writing would.
    if (complete && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileA(temporary.c_str());
    return false;
}

}  // namespace platform
