#include "platform/System.h"

#include <io.h>
#include <windows.h>

#include "platform/OwnedHandles_win32.h"

namespace platform {

bool FileIsReadable(const std::string& path) { return _access(path.c_str(), 4) == 0; }

long ProbeFileForReading(const std::string& path) {
    const OwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        return error ? static_cast<long>(error) : ERROR_GEN_FAILURE;
    }
    return 0;
}

long ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    const OwnedHandle owned(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    HANDLE file = owned.get();
    if (!owned.valid()) {
        const DWORD error = GetLastError();
        return error ? static_cast<long>(error) : ERROR_GEN_FAILURE;
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < 0x40000000) {
        bytes.reserve(static_cast<size_t>(size.QuadPart));
    }
    char buffer[65536];
    DWORD error = ERROR_SUCCESS;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
            error = GetLastError() ? GetLastError() : ERROR_READ_FAULT;
            break;
        }
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    if (error != ERROR_SUCCESS) bytes.clear();
    return static_cast<long>(error);
}

bool QueryWindowsPlatform(unsigned long& platformId) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
    platformId = info.dwPlatformId;
    return true;
}

void SetWindowsPlatformForTesting(bool, unsigned long) {}

std::string LoadStringTableText(unsigned id) {
    char buffer[1024];
    int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, length) : std::string();
}

}  // namespace platform
