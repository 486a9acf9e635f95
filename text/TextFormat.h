// Filling message texts with values (and, through TextEncoding.h, code page 1252 into UTF-8).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "text/TextEncoding.h"

// `format` with "%1" to "%9" replaced by the arguments and "%%" by "%": a
// translation may put the values in the order its language needs. A number
// without an argument stays as it is.
std::string FormatText(std::string_view format, std::initializer_list<std::string_view> arguments);

// Lines as one text, joined by line feeds (a message box's lines).
std::string JoinLines(const std::vector<std::string>& lines);
