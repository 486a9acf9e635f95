#include "platform/FolderSecurity.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Files.h"

namespace platform {

namespace {

FolderSafety CheckSafety(const std::string& path, bool folder, std::string& reason) {
    struct stat info {};
    // lstat: a symbolic link is judged as such, not by where it leads.
    if (lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return FolderSafety::Missing;
        reason = SystemErrorText(static_cast<unsigned long>(errno));
        return FolderSafety::Failed;
    }
    if (S_ISLNK(info.st_mode)) return FolderSafety::ReparsePoint;
    if (folder != S_ISDIR(info.st_mode)) {
        reason = SystemErrorText(folder ? ENOTDIR : EISDIR);
        return FolderSafety::Failed;
    }
    if (info.st_uid != 0 && info.st_uid != geteuid()) return FolderSafety::OpenToUsers;
    if (info.st_mode & S_IWOTH) return FolderSafety::OpenToUsers;
    if ((info.st_mode & S_IWGRP) && info.st_gid != 0 && info.st_gid != getegid()) {
        return FolderSafety::OpenToUsers;
    }
    return FolderSafety::Safe;
}

}  // namespace

FolderSafety CheckFolderSafety(const std::string& path, std::string& reason) {
    return CheckSafety(path, true, reason);
}

FolderSafety CheckFileSafety(const std::string& path, std::string& reason) {
    return CheckSafety(path, false, reason);
}

bool RunsAsAdministrator() { return geteuid() == 0; }

unsigned long CreateProtectedFolder(const std::string& path) {
    // The owner alone writes, whatever the process's umask would allow.
    if (mkdir(path.c_str(), 0755) != 0) return static_cast<unsigned long>(errno);
    return chmod(path.c_str(), 0755) == 0 ? 0 : static_cast<unsigned long>(errno);
}

bool OpenFolderToUsersForTesting(const std::string& path) { return chmod(path.c_str(), 0777) == 0; }

}  // namespace platform
