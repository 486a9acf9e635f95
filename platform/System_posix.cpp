#include "platform/System.h"

#include <unistd.h>

#include <vector>

#include "resources/StringTable.h"

namespace platform {

namespace {
bool platformQuerySucceeds = true;
unsigned long platformIdAnswer = 2;  // the NT family
}  // namespace

std::string CurrentDirectory(unsigned capacity) {
    std::vector<char> buffer(capacity ? capacity : 1, '\0');
    if (!getcwd(buffer.data(), buffer.size())) return {};
    return std::string(buffer.data());
}

bool FileIsReadable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

bool QueryWindowsPlatform(unsigned long& platformId) {
    if (!platformQuerySucceeds) return false;
    platformId = platformIdAnswer;
    return true;
}

void SetWindowsPlatformForTesting(bool succeeds, unsigned long platformId) {
    platformQuerySucceeds = succeeds;
    platformIdAnswer = platformId;
}

std::string LoadStringTableText(unsigned id) {
    switch (id) {
        case IDS_INTERNAL_ERROR: return TXT_INTERNAL_ERROR;
        case IDS_CONFIG_NOT_OPENED: return TXT_CONFIG_NOT_OPENED;
        case IDS_INVALID_LANGUAGE: return TXT_INVALID_LANGUAGE;
        case IDS_REGISTRY_OPEN_FAILED: return TXT_REGISTRY_OPEN_FAILED;
        case IDS_REGISTRY_DISPOSITION: return TXT_REGISTRY_DISPOSITION;
        case IDS_ERROR_LOCATION: return TXT_ERROR_LOCATION;
        case IDS_DEFAULT_EXPORT_NAME: return TXT_DEFAULT_EXPORT_NAME;
        case IDS_CATALOG_FILE_FILTER: return TXT_CATALOG_FILE_FILTER;
        default: return {};
    }
}

}  // namespace platform
