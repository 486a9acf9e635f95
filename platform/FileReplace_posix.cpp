#include "platform/FileReplace.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/System.h"

namespace platform {

namespace {

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A name in the directory of `path`, so that the final rename never crosses a file system.
std::string TemporaryName(const std::string& directory, unsigned attempt) {
    return directory + kReplacingFilePrefix + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
}

// Files left by an export that never finished.
void RemoveLeftovers(const std::string& directory) {
    DIR* folder = opendir(directory.empty() ? "." : directory.c_str());
    if (!folder) return;
    const size_t prefixLength = std::strlen(kReplacingFilePrefix);
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() > prefixLength + 4 && name.compare(0, prefixLength, kReplacingFilePrefix) == 0 &&
            name.compare(name.size() - 4, 4, ".tmp") == 0) {
            unlink((directory + name).c_str());
        }
    }
    closedir(folder);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool Fail(long* error, int code) {
    if (error) *error = SystemErrorFromErrno(code);
    return false;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, std::string_view bytes, long* error) {
    const std::string directory = DirectoryOf(path);
    RemoveLeftovers(directory);

    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(directory, attempt);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return Fail(error, errno);
    }
    if (fd < 0) return Fail(error, EEXIST);

    int failure = 0;
    if (!WriteAll(fd, bytes) || fsync(fd) != 0) failure = errno;
    if (close(fd) != 0 && failure == 0) failure = errno;
    if (failure == 0 && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    if (failure == 0) failure = errno;
    unlink(temporary.c_str());
    return Fail(error, failure);
}

}  // namespace platform
