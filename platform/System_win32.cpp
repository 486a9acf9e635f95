#include "platform/System.h"

#include <io.h>
#include <windows.h>

#include <vector>

namespace platform {

std::string CurrentDirectory(unsigned capacity) {
    std::vector<char> buffer(capacity ? capacity : 1, '\0');
    DWORD length = GetCurrentDirectoryA(capacity, buffer.data());
    if (length == 0 || length >= capacity) return {};
    return std::string(buffer.data(), length);
}

bool FileIsReadable(const std::string& path) { return _access(path.c_str(), 4) == 0; }

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
