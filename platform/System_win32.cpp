#include "platform/System.h"

#include <io.h>
#include <windows.h>

namespace platform {

bool FileIsReadable(const std::string& path) { return _access(path.c_str(), 4) == 0; }

long ProbeFileForReading(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error ? static_cast<long>(error) : ERROR_GEN_FAILURE;
    }
    CloseHandle(file);
    return 0;
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
