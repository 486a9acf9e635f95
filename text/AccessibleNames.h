// What a screen reader says for a control that a label names: the label's
// text without its mnemonic mark and final colon, and the shortcut its
// mnemonic gives. Portable: the texts are code page 1252 as shown.
#pragma once

#include <string>
#include <string_view>

struct AccessibleTexts {
    std::string name;
    std::string shortcut;  // "Alt+P"; empty when the label has no mnemonic
};

AccessibleTexts AccessibleTextsOfLabel(std::string_view label);
