#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/FolderSecurity.h"

namespace platform {

std::string SystemErrorText(unsigned long code) { return std::strerror(static_cast<int>(code)); }

bool CreateFolders(const std::string& path, std::string& reason) {
    if (!IsAbsolutePath(path)) {
        reason = SystemErrorText(ENOENT);
        return false;
    }
    // Each prefix in turn; one that exists as a folder is fine, anything else fails.
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string prefix = path.substr(0, end);
        struct stat existing {};
        if (!prefix.empty() && prefix.back() != '/' && stat(prefix.c_str(), &existing) != 0) {
            const unsigned long error = CreateProtectedFolder(prefix);
            if (error != 0 && error != EEXIST) {
                reason = SystemErrorText(error);
                return false;
            }
        }
        if (end == std::string::npos) break;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        reason = SystemErrorText(static_cast<unsigned long>(errno));
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        reason = SystemErrorText(ENOTDIR);
        return false;
    }
    return true;
}

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

NewFileResult WriteNewFile(const std::string& path, std::string_view bytes, std::string& reason, bool durable) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST) return NewFileResult::Exists;
        reason = SystemErrorText(static_cast<unsigned long>(errno));
        return NewFileResult::Failed;
    }
    int error = 0;
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    if (durable && error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0) return NewFileResult::Written;
    unlink(path.c_str());
    reason = SystemErrorText(static_cast<unsigned long>(error));
    return NewFileResult::Failed;
}

bool ListFiles(const std::string& folder, std::vector<std::string>& names, std::string& reason) {
    names.clear();
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        if (errno == ENOENT) return true;
        reason = SystemErrorText(static_cast<unsigned long>(errno));
        return false;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat info {};
        if (stat((folder + '/' + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(name);
    }
    closedir(dir);
    return true;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

std::string ExpandEnvironment(const std::string& text) {
    std::string result;
    size_t start = 0;
    while (start < text.size()) {
        const size_t open = text.find('%', start);
        const size_t close = open == std::string::npos ? std::string::npos : text.find('%', open + 1);
        if (close == std::string::npos) break;
        const std::string name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        result += text.substr(start, open - start);
        if (value) {
            result += value;
            start = close + 1;
        } else {
            // Unknown: kept, and its closing % may open the next name.
            result += text.substr(open, close - open);
            start = close;
        }
    }
    result += text.substr(start);
    return result;
}

LocalTime CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

}  // namespace platform
