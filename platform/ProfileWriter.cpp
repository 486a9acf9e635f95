#include "platform/ProfileWriter.h"

#include "platform/FileReplace.h"

namespace platform {

namespace {

// The characters the Windows profile functions strip from both ends of a value,
// including Ctrl-Z (0x1A), the old end-of-file mark.
bool IsProfileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

ProfileWriter::ProfileWriter(std::string_view prefix, std::string_view section)
    : bytes_(prefix), section_(UpToNul(section)) {}

void ProfileWriter::Add(std::string_view key, std::string_view value) {
    if (!sectionStarted_) {
        bytes_ += '[';
        bytes_ += section_;
        bytes_ += "]\r\n";
        sectionStarted_ = true;
    }
    value = UpToNul(value);
    while (!value.empty() && IsProfileBlank(value.front())) value.remove_prefix(1);
    while (!value.empty() && IsProfileBlank(value.back())) value.remove_suffix(1);

    bytes_ += UpToNul(key);
    bytes_ += '=';
    for (char c : value) bytes_ += (c == '\r' || c == '\n') ? ' ' : c;
    bytes_ += "\r\n";
}

bool ProfileWriter::WriteTo(const std::string& path, long* error) const {
    return WriteFileReplacing(path, bytes_, error);
}

}  // namespace platform
