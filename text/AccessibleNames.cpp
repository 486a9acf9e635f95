#include "text/AccessibleNames.h"

namespace {

constexpr char kNoBreakSpace = '\xA0';
// Code page 1252 letters with an upper-case form 32 below them (the accented
// lower-case letters but the division sign).
constexpr unsigned char kFirstAccentedLower = 0xE0;
constexpr unsigned char kDivisionSign = 0xF7;
constexpr unsigned char kLastAccentedLower = 0xFE;

char UpperCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    if (byte >= kFirstAccentedLower && byte <= kLastAccentedLower && byte != kDivisionSign)
        return static_cast<char>(byte - 0x20);
    return c;
}

bool IsBlank(char c) { return c == ' ' || c == kNoBreakSpace; }

}  // namespace

AccessibleTexts AccessibleTextsOfLabel(std::string_view label) {
    AccessibleTexts texts;
    for (size_t i = 0; i < label.size(); ++i) {
        const char c = label[i];
        if (c != '&') {
            texts.name += c;
            continue;
        }
        // "&&" shows one ampersand; "&x" underlines x, the first one only.
        if (i + 1 >= label.size()) break;
        const char next = label[++i];
        if (next != '&' && texts.shortcut.empty() && !IsBlank(next)) texts.shortcut = std::string("Alt+") + UpperCase(next);
        texts.name += next;
    }
    // "Catalogs:" is read as "Catalogs"; French puts a no-break space before the colon.
    while (!texts.name.empty() && IsBlank(texts.name.back())) texts.name.pop_back();
    if (!texts.name.empty() && texts.name.back() == ':') texts.name.pop_back();
    while (!texts.name.empty() && IsBlank(texts.name.back())) texts.name.pop_back();
    return texts;
}
