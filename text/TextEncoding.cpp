#include "text/TextEncoding.h"

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

uint32_t Cp1252CodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

bool AppendCp1252(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        out += static_cast<char>(codePoint);
        return true;
    }
    for (size_t i = 0; i < 32; ++i) {
        if (kHighControls[i] == codePoint && codePoint != 0) {
            out += static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char c : text) {
        uint32_t codePoint = Cp1252CodePoint(static_cast<unsigned char>(c));
        if (codePoint == 0 && c != '\0') codePoint = 0xFFFD;
        AppendUtf8(out, codePoint);
    }
    return out;
}

size_t Utf8SequenceAt(std::string_view bytes, size_t pos, uint32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    size_t length = 0;
    uint32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > bytes.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[pos + k]);
        if ((next & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return length;
}

bool Utf8ToCp1252(std::string_view utf8, std::string& text) {
    text.clear();
    text.reserve(utf8.size());
    bool complete = true;
    for (size_t i = 0; i < utf8.size();) {
        uint32_t codePoint = 0;
        const size_t length = Utf8SequenceAt(utf8, i, codePoint);
        if (length == 0) {
            text.assign(utf8);
            return false;
        }
        if (!AppendCp1252(text, codePoint)) {
            text += '?';
            complete = false;
        }
        i += length;
    }
    return complete;
}
