// Changing one key of an existing profile file in place: every other byte of
// the file stays as it was (comments, blank lines, letter case, line ends),
// where WritePrivateProfileStringA would write the file anew in its own form.
// For the few values the program remembers in a file that people edit by hand.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The file's bytes with `key` of `section` set to `value`, found as the
// profile reader finds them (names trimmed, ASCII letter case ignored, the
// first of duplicate sections and keys). An existing key keeps its line and
// its spelling, only what follows its "=" is replaced; a new key goes after
// the line of the key `after` when the section has one (so that keys that
// belong together stay together), else after the section's last line that is
// not blank; a missing section is added at the end. New lines end as the file's first line does (CR LF in an empty file).
// The value is written as ProfileWriter writes it: cut at a NUL, trimmed, a
// line break a blank. Nothing for a UTF-16 file, which is not edited byte-wise.
std::optional<std::string> SetProfileValue(std::string_view bytes, std::string_view section, std::string_view key,
                                           std::string_view value, std::string_view after = {});

}  // namespace platform
