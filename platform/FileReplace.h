// Writing a file so that a failed write never destroys the file it was to replace.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Writes `bytes` to a new file in the directory of `path`, flushes and closes
// it, and only then moves it over `path`, replacing any file there. On any
// failure the new file is removed and whatever `path` held is left as it was.
// True when `path` now holds exactly `bytes`.
bool WriteFileReplacing(const std::string& path, std::string_view bytes);

}  // namespace platform
