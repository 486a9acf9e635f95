#include "platform/Files.h"

#include <cctype>

namespace platform {

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

size_t WindowsRootLength(std::string_view path) {
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && IsSeparator(path[2])) {
        return 3;
    }
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return 0;
    if (path.size() >= 3 && (path[2] == '.' || path[2] == '?') && (path.size() == 3 || IsSeparator(path[3]))) return 0;
    // "\\server\share": neither part may be empty; the server alone is no folder.
    size_t serverEnd = 2;
    while (serverEnd < path.size() && !IsSeparator(path[serverEnd])) ++serverEnd;
    if (serverEnd == 2 || serverEnd == path.size()) return 0;
    size_t shareEnd = serverEnd + 1;
    while (shareEnd < path.size() && !IsSeparator(path[shareEnd])) ++shareEnd;
    return shareEnd == serverEnd + 1 ? 0 : shareEnd;
}

}  // namespace platform
