#include "platform/ProfileFile.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/System.h"

namespace platform {

namespace {


// Names match without regard to ASCII case only: "É" and "é" stay different.
std::string FoldName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

// The name a caller asks for, as the lookups compare it.
std::string LookupName(std::string_view name) { return FoldName(TrimProfileSpace(UpToNul(name))); }

// The code page 1252 byte of a UTF-16 code unit. Units outside the code page
// become '?', where Windows would put a look-alike for some ("ā" as "a").
char ToCodePage1252(uint16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    // Code page 1252 leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D unassigned; they
    // stand for the C1 controls of the same number.
    if (unit == 0x81 || unit == 0x8D || unit == 0x8F || unit == 0x90 || unit == 0x9D) return static_cast<char>(unit);
    static const uint16_t kHighHalf[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
    };
    for (int i = 0; i < 32; ++i) {
        if (kHighHalf[i] != 0 && kHighHalf[i] == unit) return static_cast<char>(0x80 + i);
    }
    return '?';
}

// A file that starts with a UTF-16 byte-order mark is read as UTF-16 (Notepad
// saves "Unicode" files so) and seen by the program in code page 1252. Any
// other file is taken byte for byte: Windows does not recognise a UTF-8
// byte-order mark, whose bytes then start the first line.
std::string DecodeFile(std::string_view bytes) {
    const bool littleEndian = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    const bool bigEndian = bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF';
    if (!littleEndian && !bigEndian) return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(ToCodePage1252(static_cast<uint16_t>(littleEndian ? first | second << 8 : second | first << 8)));
    }
    return text;
}

}  // namespace

// The characters the profile functions trim from names and values: blank,
// tab, vertical tab, form feed, carriage return, line feed and Ctrl-Z (an
// old end-of-file mark).
bool IsProfileSpace(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1a';
}

std::string_view TrimProfileSpace(std::string_view text) {
    while (!text.empty() && IsProfileSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsProfileSpace(text.back())) text.remove_suffix(1);
    return text;
}

// Names and values end at a NUL byte, as C strings do, even when the line goes on.
std::string_view UpToNul(std::string_view text) {
    const size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

struct ProfileFile::Section {
    // Keyed by the lower-cased name. A key written without "=" is there (it
    // hides later duplicates) but has no value: reading it gives the default.
    std::unordered_map<std::string, std::optional<std::string>> keys;
};

struct ProfileFile::Index {
    std::unordered_map<std::string, Section> sections;
};

ProfileFile::ProfileFile() : index_(std::make_unique<Index>()) {}
ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(ProfileFile&&) noexcept = default;
ProfileFile& ProfileFile::operator=(ProfileFile&&) noexcept = default;

ProfileFile ProfileFile::Load(const std::string& path) {
    std::string bytes;
    if (ReadWholeFile(path, bytes) != 0) return ProfileFile();
    return Parse(bytes);
}

ProfileFile ProfileFile::Parse(std::string_view bytes) {
    ProfileFile file;
    const std::string text = DecodeFile(bytes);
    const std::string_view all(text);

    // Lines before the first section header belong to no section: Windows does
    // not find them, not even under the section name "".
    Section* current = nullptr;
    size_t position = 0;
    while (position < all.size()) {
        // CR, LF and CR LF all end a line, in any mixture.
        size_t end = all.find_first_of("\r\n", position);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view line = TrimProfileSpace(all.substr(position, end - position));
        position = end + 1;
        if (line.empty()) continue;

        // A header runs to the last "]" of its line; what follows is ignored.
        // Without any "]" the line is an ordinary key line.
        if (line.front() == '[') {
            const size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                const std::string name = FoldName(UpToNul(TrimProfileSpace(line.substr(1, close - 1))));
                // Only the first of duplicate sections is ever searched.
                auto [it, added] = file.index_->sections.try_emplace(name);
                current = added ? &it->second : nullptr;
                continue;
            }
        }
        if (current == nullptr) continue;

        // Only the first "=" splits; there are no comments after a value, and
        // a line starting with ";" is a key like any other.
        const size_t equals = line.find('=');
        std::string_view name = line;
        std::optional<std::string> value;
        if (equals != std::string_view::npos) {
            name = TrimProfileSpace(line.substr(0, equals));
            value.emplace(UpToNul(TrimProfileSpace(line.substr(equals + 1))));
        }
        // The first of duplicate keys wins.
        current->keys.try_emplace(FoldName(UpToNul(name)), std::move(value));
    }
    return file;
}

size_t ProfileFile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                              size_t capacity, std::string& out) const {
    out.clear();
    if (capacity == 0) return 0;

    std::string_view source;
    const std::optional<std::string>* found = nullptr;
    if (const Section* s = FindSection(section)) {
        if (const auto k = s->keys.find(LookupName(key)); k != s->keys.end()) found = &k->second;
    }
    if (found != nullptr && found->has_value()) {
        source = **found;
    } else {
        // Trailing blanks (not tabs) leave the default, though never its first character.
        source = UpToNul(defaultValue);
        while (source.size() > 1 && source.back() == ' ') source.remove_suffix(1);
    }

    // One pair of matching quotes around a value of two or more characters is
    // removed. The closing quote goes with the rest when the value does not
    // fit; when the buffer holds exactly the text between the quotes and its
    // terminating NUL, the last character of that text is lost too (measured so).
    if (source.size() >= 2 && (source.front() == '"' || source.front() == '\'') && source.back() == source.front()) {
        const std::string_view inner = source.substr(1);
        out.assign(inner.substr(0, std::min(capacity - 1, inner.size())));
        if (capacity >= inner.size() && !out.empty()) out.pop_back();
        return out.size();
    }
    out.assign(source.substr(0, std::min(capacity - 1, source.size())));
    return out.size();
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                   size_t capacity) const {
    std::string out;
    GetString(section, key, defaultValue, capacity, out);
    return out;
}

int32_t ProfileFile::GetInt(std::string_view section, std::string_view key, int32_t defaultValue) const {
    // The value is read as a string into a buffer of 30 characters first, so
    // only its first 29 characters count; an empty value gives the default.
    std::string text;
    if (GetString(section, key, "", 30, text) == 0) return defaultValue;

    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Prefixes "0x", "0o" and "0b" (lower case only) choose the base.
    uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        if (text[i + 1] == 'x') base = 16;
        else if (text[i + 1] == 'o') base = 8;
        else if (text[i + 1] == 'b') base = 2;
        if (base != 10) i += 2;
    }
    // Digits accumulate in 32 bits and wrap on overflow.
    uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        uint32_t digit = 36;
        if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'z') digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'Z') digit = static_cast<uint32_t>(c - 'A' + 10);
        if (digit >= base) break;
        total = total * base + digit;
    }
    if (negative) total = 0u - total;
    return static_cast<int32_t>(total);
}

bool ProfileFile::HasSection(std::string_view section) const { return FindSection(section) != nullptr; }

const ProfileFile::Section* ProfileFile::FindSection(std::string_view section) const {
    // A moved-from file reads as empty.
    if (!index_) return nullptr;
    const auto it = index_->sections.find(LookupName(section));
    return it == index_->sections.end() ? nullptr : &it->second;
}

}  // namespace platform
