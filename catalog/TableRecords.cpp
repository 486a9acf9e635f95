#include "catalog/TableRecords.h"

#include <algorithm>

bool TableRecord::Empty() const {
    return !unclosed && std::all_of(cells.begin(), cells.end(), [](const std::string& cell) { return cell.empty(); });
}

std::string_view TrimCell(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool TableRecordReader::Next(TableRecord& record) {
    const std::string_view text = text_;
    const size_t n = text.size();
    if (pos_ >= n) return false;
    const char separator = dialect_.separator;
    record = TableRecord{};
    record.row = ++row_;
    record.begin = pos_;
    size_t pos = pos_;
    for (;;) {
        std::string cell;
        while (pos < n && (text[pos] == ' ' || (text[pos] == '\t' && separator != '\t'))) ++pos;
        if (pos < n && text[pos] == '"') {
            ++pos;
            for (;;) {
                const size_t close = text.find('"', pos);
                cell += text.substr(pos, close == std::string_view::npos ? n - pos : close - pos);
                if (close == std::string_view::npos) {
                    record.unclosed = true;
                    pos = n;
                    break;
                }
                pos = close + 1;
                if (pos < n && text[pos] == '"') {
                    cell += '"';
                    ++pos;
                    continue;
                }
                break;
            }
        }
        // Unquoted text, or what follows a closing quote before the separator.
        const size_t start = pos;
        while (pos < n && text[pos] != separator && text[pos] != '\r' && text[pos] != '\n') ++pos;
        cell += text.substr(start, pos - start);
        record.cells.emplace_back(TrimCell(cell));
        if (pos < n && text[pos] == separator) {
            ++pos;
            continue;
        }
        if (pos < n && text[pos] == '\r') ++pos;
        if (pos < n && text[pos] == '\n') ++pos;
        break;
    }
    record.end = pos;
    pos_ = pos;
    return true;
}
