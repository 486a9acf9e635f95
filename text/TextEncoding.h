// Code page 1252, the program's own text, against UTF-8 and UTF-16: the one
// table of the bytes 0x80-0x9F and the conversions every reader and writer of
// text files uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The Unicode code point of a code page 1252 byte; 0 for the five bytes the
// code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
uint32_t Cp1252CodePoint(unsigned char byte);

// Appends the code page 1252 byte of `codePoint`; false (and nothing
// appended) when the code page has no place for it.
bool AppendCp1252(std::string& out, uint32_t codePoint);

// Code page 1252 text as UTF-8, for output that programs read as UTF-8. The five
// bytes that code page 1252 leaves undefined become U+FFFD.
std::string Cp1252ToUtf8(std::string_view text);

// Code page 1252 of UTF-8 text; false when a character has no place there
// (`text` then holds "?" in its place) or the bytes are no UTF-8 (`text` then
// holds the bytes as they are).
bool Utf8ToCp1252(std::string_view utf8, std::string& text);

// The length of the well-formed UTF-8 sequence at `pos` (1 for ASCII) and its
// code point; 0 when the bytes there are no UTF-8 (overlong forms, surrogates
// and cut sequences included).
size_t Utf8SequenceAt(std::string_view bytes, size_t pos, uint32_t& codePoint);
