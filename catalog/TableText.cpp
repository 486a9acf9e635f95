#include "catalog/TableText.h"

#include "text/TextEncoding.h"

namespace {

// UTF-16 after its byte-order mark; a lone surrogate is a character code page
// 1252 cannot hold, a NUL is refused as in any text.
bool DecodeUtf16(std::string_view in, bool bigEndian, std::string& out) {
    out.clear();
    out.reserve(in.size() / 2);
    for (size_t i = 0; i + 1 < in.size(); i += 2) {
        const auto a = static_cast<unsigned char>(in[i]);
        const auto b = static_cast<unsigned char>(in[i + 1]);
        const uint32_t unit = bigEndian ? (a << 8 | b) : (b << 8 | a);
        if (unit == 0) return false;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < in.size()) {
            i += 2;  // a pair stands for one character outside code page 1252
            out += kNotInCodePage;
            continue;
        }
        if (!AppendCp1252(out, unit)) out += kNotInCodePage;
    }
    return true;
}

bool HasMultiByteUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) continue;
        uint32_t codePoint = 0;
        const size_t length = Utf8SequenceAt(bytes, i, codePoint);
        if (length > 1) return true;
    }
    return false;
}

void DecodeUtf8(std::string_view bytes, TableText& out) {
    out.text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        uint32_t codePoint = 0;
        const size_t length = Utf8SequenceAt(bytes, i, codePoint);
        if (length == 0) {
            // Kept as the Windows-1252 letter it would be, for the message; its row is refused.
            out.notUtf8.push_back(out.text.size());
            out.text += bytes[i];
            ++i;
            continue;
        }
        if (!AppendCp1252(out.text, codePoint)) out.text += kNotInCodePage;
        i += length;
    }
}

}  // namespace

bool IsSpreadsheetFileSignature(std::string_view bytes) {
    return bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4) ||
           bytes.substr(0, 4) == std::string_view("PK\x05\x06", 4) ||
           bytes.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
}

TableText DecodeTableBytes(std::string_view bytes, bool codePage1252) {
    TableText out;
    if (bytes.size() > kMaxPaperTableBytes) {
        out.fault = TextFault::TooLarge;
        return out;
    }
    if (IsSpreadsheetFileSignature(bytes)) {
        out.fault = TextFault::SpreadsheetFile;
        return out;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        out.encoding = TextEncodingFound::Utf16;
        if (!DecodeUtf16(bytes.substr(2), bytes[0] == '\xFE', out.text)) out.fault = TextFault::NulBytes;
        return out;
    }
    if (bytes.find('\0') != std::string_view::npos) {
        out.fault = TextFault::NulBytes;
        return out;
    }
    const bool marked = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    if (marked) bytes.remove_prefix(3);
    if (marked || (!codePage1252 && HasMultiByteUtf8(bytes))) {
        out.encoding = TextEncodingFound::Utf8;
        DecodeUtf8(bytes, out);
    } else {
        out.text.assign(bytes);
    }
    return out;
}
