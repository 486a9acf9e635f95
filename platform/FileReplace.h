// Writing a file so that a failed write never destroys the file it was to replace.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Writes `bytes` to a new file in the directory of `path`, flushes and closes
// it, and only then puts it in the place of `path`: over an existing file with
// the system's own replace, which keeps that file's attributes and
// permissions, otherwise by a plain move. On any failure the new file is
// removed and whatever `path` held is left as it was. True when `path` now
// holds exactly `bytes`; otherwise `error`, when given, receives the system's
// error code (Win32 numbering).
//
// The new file's name begins with kReplacingFilePrefix and ends in ".tmp", so
// that one left behind by a crash is known: the next write into that folder
// removes it.
bool WriteFileReplacing(const std::string& path, std::string_view bytes, long* error = nullptr);

inline constexpr const char* kReplacingFilePrefix = "~Vellicor-";

}  // namespace platform
