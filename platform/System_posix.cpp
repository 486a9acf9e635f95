#include "platform/System.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "resources/StringTable.h"

namespace platform {

namespace {
bool platformQuerySucceeds = true;
unsigned long platformIdAnswer = 2;  // the NT family
}  // namespace

bool FileIsReadable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

long SystemErrorFromErrno(int error) {
    switch (error) {
        case 0: return 0;
        case ENOENT: return 2;              // ERROR_FILE_NOT_FOUND
        case ENOTDIR: return 3;             // ERROR_PATH_NOT_FOUND
        case EACCES: case EPERM: case EISDIR: case EROFS: return 5;  // ERROR_ACCESS_DENIED
        case EEXIST: return 80;             // ERROR_FILE_EXISTS
        case ENOSPC: return 112;            // ERROR_DISK_FULL
        case EFBIG: return 223;             // ERROR_FILE_TOO_LARGE
        case ENAMETOOLONG: return 206;      // ERROR_FILENAME_EXCED_RANGE
        default: return 31;                 // ERROR_GEN_FAILURE
    }
}

long ProbeFileForReading(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return SystemErrorFromErrno(errno);
    // A folder opens for reading here, but not on Windows.
    struct stat status {};
    const bool folder = fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
    close(fd);
    return folder ? SystemErrorFromErrno(EISDIR) : 0;
}

long ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return SystemErrorFromErrno(errno);
    int error = 0;
    struct stat status {};
    if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) error = EISDIR;
    char buffer[65536];
    while (error == 0) {
        const ssize_t read = ::read(fd, buffer, sizeof buffer);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) error = errno ? errno : EIO;
        if (read <= 0) break;
        bytes.append(buffer, static_cast<size_t>(read));
    }
    close(fd);
    if (error != 0) bytes.clear();
    return SystemErrorFromErrno(error);
}

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
        case IDS_CONFIG_NOT_READ: return TXT_CONFIG_NOT_READ;
        case IDS_DEFAULT_EXPORT_NAME: return TXT_DEFAULT_EXPORT_NAME;
        case IDS_CATALOG_FILE_FILTER: return TXT_CATALOG_FILE_FILTER;
        default: return {};
    }
}

}  // namespace platform
