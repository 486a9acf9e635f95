#include "text/TextFormat.h"

#include <cstdint>
#include <vector>

std::string FormatText(std::string_view format, std::initializer_list<std::string_view> arguments) {
    const std::vector<std::string_view> values(arguments);
    std::string text;
    text.reserve(format.size() + 32);
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            text += c;
            continue;
        }
        const char next = format[i + 1];
        if (next == '%') {
            text += '%';
            ++i;
        } else if (next >= '1' && next <= '9' && static_cast<size_t>(next - '1') < values.size()) {
            text += values[static_cast<size_t>(next - '1')];
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

namespace {

// Code points of bytes 0x80 to 0x9F; 0 where code page 1252 defines no character.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        uint32_t codePoint = byte;
        if (byte >= 0x80 && byte <= 0x9F) {
            codePoint = kHighControls[byte - 0x80];
            if (codePoint == 0) codePoint = 0xFFFD;
        }
        AppendUtf8(out, codePoint);
    }
    return out;
}
