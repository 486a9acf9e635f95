#include "platform/ProfileEdit.h"

#include "platform/ProfileFile.h"

#include <vector>

namespace platform {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    a = TrimProfileSpace(UpToNul(a));
    b = TrimProfileSpace(UpToNul(b));
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// One line of the file: where its text starts and ends, and where the next
// line starts (after its CR, LF or CR LF).
struct Line {
    size_t start;
    size_t end;
    size_t next;
};

// Lines as the reader splits them, except that CR LF is one line end here: the
// reader sees an empty line between CR and LF, which it skips anyway.
std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    size_t position = 0;
    while (position < text.size()) {
        size_t end = text.find_first_of("\r\n", position);
        if (end == std::string_view::npos) {
            lines.push_back({position, text.size(), text.size()});
            break;
        }
        size_t next = end + 1;
        if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
        lines.push_back({position, end, next});
        position = next;
    }
    return lines;
}

// A header's name, when the line is one: it runs to the line's last "]".
std::optional<std::string_view> HeaderName(std::string_view line) {
    line = TrimProfileSpace(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos) return std::nullopt;
    return line.substr(1, close - 1);
}

std::string CleanValue(std::string_view value) {
    value = TrimProfileSpace(UpToNul(value));
    std::string clean;
    for (char c : value) clean += (c == '\r' || c == '\n') ? ' ' : c;
    return clean;
}

}  // namespace

std::optional<std::string> SetProfileValue(std::string_view bytes, std::string_view section, std::string_view key,
                                           std::string_view value, std::string_view after) {
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return std::nullopt;
    const std::string clean = CleanValue(value);
    const std::vector<Line> lines = SplitLines(bytes);
    std::string eol = "\r\n";
    if (!lines.empty() && lines.front().next > lines.front().end)
        eol = std::string(bytes.substr(lines.front().end, lines.front().next - lines.front().end));

    // The first section of the name, as the reader searches only that one.
    size_t first = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = HeaderName(bytes.substr(lines[i].start, lines[i].end - lines[i].start));
        if (name && SameName(*name, section)) {
            first = i;
            break;
        }
    }
    std::string out;
    if (first == lines.size()) {
        out = bytes;
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += eol;
        out += '[';
        out += TrimProfileSpace(UpToNul(section));
        out += ']' + eol;
        out += std::string(TrimProfileSpace(UpToNul(key))) + '=' + clean + eol;
        return out;
    }

    size_t lastFilled = first;
    std::optional<size_t> afterLine;
    for (size_t i = first + 1; i < lines.size(); ++i) {
        const std::string_view line = bytes.substr(lines[i].start, lines[i].end - lines[i].start);
        if (HeaderName(line)) break;
        if (TrimProfileSpace(line).empty()) continue;
        lastFilled = i;
        const size_t equals = line.find('=');
        if (!after.empty() && !afterLine && SameName(line.substr(0, equals), after)) afterLine = i;
        if (!SameName(line.substr(0, equals), key)) continue;
        // The key's own spelling and whatever stood before its "=" stay.
        const size_t valueStart = equals == std::string_view::npos ? lines[i].end : lines[i].start + equals + 1;
        out = bytes.substr(0, valueStart);
        if (equals == std::string_view::npos) out += '=';
        out += clean;
        out += bytes.substr(lines[i].end);
        return out;
    }
    const Line& previous = lines[afterLine.value_or(lastFilled)];
    out = bytes.substr(0, previous.next);
    if (previous.next == previous.end) out += eol;  // the file's last line had no line end
    out += std::string(TrimProfileSpace(UpToNul(key))) + '=' + clean + eol;
    out += bytes.substr(previous.next);
    return out;
}

}  // namespace platform
