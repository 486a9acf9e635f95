// Writing a file so that a failed write never destroys the file it was to replace.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Where the files are after the system's replace failed in a way that may
// have moved the old file aside. Both stay for the user; nothing removes them.
struct KeptFiles {
    // The complete new file, under a name of its own beside the target
    // (ending in ".cat"; its temporary name when it could not be renamed);
    // empty when it is nowhere to be found.
    std::string newFile;
    // The old file under its backup name; empty when it is still in place
    // (`previousInPlace`) or nowhere to be found.
    std::string previousFile;
    bool previousInPlace = false;
};

// What a failed write tells.
struct ReplaceFailure {
    long error = 0;  // the system's error code (Win32 numbering)
    // Only after a replace that may have moved the old file aside; any other
    // failure leaves the target as it was and keeps nothing.
    std::optional<KeptFiles> kept;
};

// Writes `bytes` to a new file in the directory of `path`, flushes and closes
// it, and only then puts it in the place of `path`: over an existing file with
// the system's own replace, which keeps that file's attributes and
// permissions and moves the old file to a backup name beside it (removed
// once the replace has succeeded, or has failed with the old file still in
// place), otherwise by a plain move. On a failure
// the new file is removed and whatever `path` held is left as it was, except
// where `failure` says which files were kept. True when `path` now holds
// exactly `bytes`.
//
// The new file's name begins with kReplacingFilePrefix and ends in ".tmp", so
// that one left behind by a crash is known: a later write into that folder
// removes it once it is ten minutes older than the file that write makes
// (younger ones may belong to a write still going on, from another PC on a
// share). The backup's name has the same beginning and ends in ".bak"; no
// write ever removes one it did not make.
bool WriteFileReplacing(const std::string& path, std::string_view bytes, ReplaceFailure* failure);

inline bool WriteFileReplacing(const std::string& path, std::string_view bytes, long* error = nullptr) {
    ReplaceFailure failure;
    const bool written = WriteFileReplacing(path, bytes, &failure);
    if (error) *error = failure.error;
    return written;
}

inline constexpr const char* kReplacingFilePrefix = "~Vellicor-";

#ifdef _WIN32
// ReplaceFileA(replaced, replacement, backup) as WriteFileReplacing calls it:
// 0 or the system's error. Tests put a function of their own in its place to
// see the results the real one gives only when a volume misbehaves
// (ERROR_UNABLE_TO_MOVE_REPLACEMENT and _2); an empty one restores the system's.
using SystemReplace =
    std::function<unsigned long(const std::string& replaced, const std::string& replacement, const std::string& backup)>;
void SetSystemReplaceForTesting(SystemReplace replace);
#endif

}  // namespace platform
