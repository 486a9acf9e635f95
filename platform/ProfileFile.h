// Reading INI-layout ("profile") files with the same observable results as
// GetPrivateProfileStringA / GetPrivateProfileIntA, on every platform. The file
// is read and indexed once; each lookup is then a hash lookup, where the
// Windows functions re-scan the file for every key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The characters the profile functions trim from names and values (blank, tab,
// vertical tab, form feed, CR, LF and Ctrl-Z), and the trim itself.
bool IsProfileSpace(char c);
std::string_view TrimProfileSpace(std::string_view text);
// Names and values end at a NUL byte, as C strings do.
std::string_view UpToNul(std::string_view text);

class ProfileFile {
public:
    ProfileFile();
    ~ProfileFile();
    ProfileFile(ProfileFile&&) noexcept;
    ProfileFile& operator=(ProfileFile&&) noexcept;

    // Reads the file at `path`; a missing or unreadable file reads as empty.
    static ProfileFile Load(const std::string& path);
    // Parses bytes as they would be on disk.
    static ProfileFile Parse(std::string_view bytes);

    // GetPrivateProfileStringA(section, key, defaultValue, buffer, capacity):
    // the value (or the default) cut to capacity - 1 characters. Returns the
    // number of characters copied; capacity 0 gives "" and 0.
    size_t GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                     size_t capacity, std::string& out) const;
    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                          size_t capacity) const;

    // GetPrivateProfileIntA(section, key, defaultValue).
    int32_t GetInt(std::string_view section, std::string_view key, int32_t defaultValue) const;

    // Whether a section of that name exists (names compared as the lookups do).
    bool HasSection(std::string_view section) const;

private:
    struct Index;
    struct Section;
    const Section* FindSection(std::string_view section) const;
    std::unique_ptr<Index> index_;
};

}  // namespace platform
