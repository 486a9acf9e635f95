// A table's bytes as the program's text: the first part of reading a table.
// The encoding is decided for the whole file once and each line is held to
// it, never guessed line by line nor over the whole file silently:
// - UTF-16 with its byte-order mark;
// - UTF-8 when the file has the mark or holds any well-formed multi-byte
//   UTF-8 sequence; bytes that are no UTF-8 there (a line appended by a tool
//   that writes Windows-1252) are taken as Windows-1252 but marked, so that
//   their row is refused by number instead of reading as other letters;
// - Windows-1252 otherwise (or when the caller says the text is already so).
// Characters Windows-1252 cannot hold become kNotInCodePage.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Larger texts are refused whole: a catalog of 32,767 long rows is well below.
inline constexpr size_t kMaxPaperTableBytes = 8u * 1024u * 1024u;

// Stands for a character that code page 1252 cannot hold. NUL bytes are
// refused before decoding, so in decoded text a NUL can only be this.
inline constexpr char kNotInCodePage = '\0';

enum class TextFault : unsigned char {
    TextOk,
    TooLarge,         // over kMaxPaperTableBytes
    NulBytes,         // a NUL byte: no text file (UTF-16 without its mark, say)
    SpreadsheetFile,  // a ZIP archive (.xlsx, .ods) or an old binary spreadsheet (.xls)
};

enum class TextEncodingFound : unsigned char { Cp1252, Utf8, Utf16 };

struct TableText {
    TextFault fault = TextFault::TextOk;
    TextEncodingFound encoding = TextEncodingFound::Cp1252;
    std::string text;  // code page 1252
    // Offsets in `text`, ascending, where bytes stood that are no UTF-8 in a UTF-8 file.
    std::vector<size_t> notUtf8;
};

// `codePage1252`: the bytes are code page 1252 already (the clipboard's CF_TEXT).
TableText DecodeTableBytes(std::string_view bytes, bool codePage1252);

// Whether `bytes` start as a spreadsheet program's own file: a ZIP archive
// (.xlsx, .ods) or an OLE compound file (.xls).
bool IsSpreadsheetFileSignature(std::string_view bytes);
