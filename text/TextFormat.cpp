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

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += '\n';
        text += line;
    }
    return text;
}
