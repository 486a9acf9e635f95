// Filling message texts with values, and turning code page 1252 texts into UTF-8.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// `format` with "%1" to "%9" replaced by the arguments and "%%" by "%": a
// translation may put the values in the order its language needs. A number
// without an argument stays as it is.
std::string FormatText(std::string_view format, std::initializer_list<std::string_view> arguments);

// Code page 1252 text as UTF-8, for output that programs read as UTF-8. The five
// bytes that code page 1252 leaves undefined become U+FFFD.
std::string Cp1252ToUtf8(std::string_view text);
