// Folders and whole files, for the catalog backups: create a folder with its
// parents, write a file that must not exist yet, list and remove files, expand
// environment variables, read the local time. Failures carry the system's own
// reason, so that the user can be told why.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The system's text for its own error code (FormatMessageA / strerror),
// without a trailing line break.
std::string SystemErrorText(unsigned long code);

// The system's code for "the file exists" (ERROR_FILE_EXISTS, EEXIST).
#ifdef _WIN32
inline constexpr unsigned long kFileExistsError = 80;
#else
inline constexpr unsigned long kFileExistsError = 17;
#endif

// Creates `path` and any missing parent folders below its root, each with the
// rights of CreateProtectedFolder (platform/FolderSecurity.h). `path` must be
// absolute (IsAbsolutePath). True when `path` is a folder afterwards; otherwise
// `reason` holds the system's text (a file standing where a folder should be
// included).
bool CreateFolders(const std::string& path, std::string& reason);

// A path that names the same folder whatever the current folder and drive:
// with a root of WindowsRootLength on Windows, from "/" elsewhere.
bool IsAbsolutePath(const std::string& path);

// The root of a Windows path that names a folder absolutely, a part nobody
// creates: "C:\" (3) of "C:\Data", "\\server\share" of
// "\\server\share\Data". 0 for a path that depends on the current folder
// or drive ("Data", "C:Data", "\Data"), for "\\server" without a share, and
// for the device and literal namespaces "\\.\" and "\\?\". Portable, so that
// it is tested everywhere.
size_t WindowsRootLength(std::string_view path);

enum class NewFileResult { Written, Exists, Failed };

// Creates `path` only when nothing of that name exists, writes `bytes` and
// closes it. On a failure part-way the file is removed again. Exists when the
// name is taken (nothing was touched); Failed with `reason` otherwise. The file
// is not forced to the disk unless `durable` says so: a backup is as lasting
// as the registry save that follows it, and forcing it doubled its cost; the
// record a save writes before it changes a key must outlive a power cut.
NewFileResult WriteNewFile(const std::string& path, std::string_view bytes, std::string& reason, bool durable = false);

// The names of the plain files in `folder` (no sub-folders). A missing folder
// lists nothing and is no failure.
bool ListFiles(const std::string& folder, std::vector<std::string>& names, std::string& reason);

bool RemoveFile(const std::string& path);

// %NAME% replaced by the environment variable's value; an unknown variable is
// left as written, as ExpandEnvironmentStringsA does.
std::string ExpandEnvironment(const std::string& text);

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
LocalTime CurrentLocalTime();

}  // namespace platform
