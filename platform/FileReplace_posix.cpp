#include "platform/FileReplace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

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

// A leftover younger than this may be another export's complete file waiting
// for its rename (on a share, from another machine).
constexpr time_t kLeftoverAgeSeconds = 10 * 60;

// Files left by an export that never finished, ten minutes older than `now`:
// the time the file system gave the file just made, so that leftovers are
// aged by the clock that stamped them.
void RemoveLeftovers(const std::string& directory, time_t now) {
    DIR* folder = opendir(directory.empty() ? "." : directory.c_str());
    if (!folder) return;
    const size_t prefixLength = std::strlen(kReplacingFilePrefix);
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        struct stat status {};
        if (name.size() > prefixLength + 4 && name.compare(0, prefixLength, kReplacingFilePrefix) == 0 &&
            name.compare(name.size() - 4, 4, ".tmp") == 0 && lstat((directory + name).c_str(), &status) == 0 &&
            S_ISREG(status.st_mode) && status.st_mtime + kLeftoverAgeSeconds < now) {
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

bool Fail(ReplaceFailure* failure, int code) {
    if (failure) failure->error = SystemErrorFromErrno(code ? code : EIO);
    return false;
}

}  // namespace

// rename() puts the new file in place in one step: there is no moment
// without either file, so no backup is needed here.
bool WriteFileReplacing(const std::string& path, std::string_view bytes, ReplaceFailure* failure) {
    if (failure) *failure = ReplaceFailure{};
    const std::string directory = DirectoryOf(path);

    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(directory, attempt);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return Fail(failure, errno);
    }
    if (fd < 0) return Fail(failure, EEXIST);
    struct stat made {};
    RemoveLeftovers(directory, fstat(fd, &made) == 0 ? made.st_mtime : time(nullptr));

    int error = 0;
    if (!WriteAll(fd, bytes) || fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    if (error == 0) error = errno;
    unlink(temporary.c_str());
    return Fail(failure, error);
}

}  // namespace platform
