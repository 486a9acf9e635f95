// Writing an INI-layout ("profile") file in one pass, with exactly the bytes
// that writing its keys one by one with WritePrivateProfileStringA would leave.
// That function re-reads and rewrites the whole file on every call; a catalog
// of thousands of papers cannot wait for that.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Some bytes, then one section of keys in the order they were added.
class ProfileWriter {
public:
    // `prefix` is kept as it is. WritePrivateProfileStringA rewrites the file it
    // changes, so the prefix must already be in the form it writes back: whole
    // lines ending in CR LF, none of them blank. `section` is a plain name.
    ProfileWriter(std::string_view prefix, std::string_view section);

    // What WritePrivateProfileStringA(section, key, value) does to the file so
    // far: the first key brings the section header. `key` is a plain name that
    // differs from every earlier one (ignoring case). The value is cut at a NUL
    // and loses the blanks at either end (space, tab, line breaks, vertical tab,
    // form feed, Ctrl-Z), as with the Windows function; a line break inside it
    // becomes a blank, where the Windows function would let the rest of the
    // value stand on lines of its own, to be read as other keys or sections.
    void Add(std::string_view key, std::string_view value);

    const std::string& Bytes() const { return bytes_; }

    // Writes the bytes to `path`, replacing the file there only once they are
    // all written (see WriteFileReplacing). True when `path` holds them;
    // otherwise `error`, when given, receives the system's error code.
    bool WriteTo(const std::string& path, long* error = nullptr) const;

private:
    std::string bytes_;
    std::string section_;
    bool sectionStarted_ = false;
};

}  // namespace platform
