#include "catalog/TableCatalogLines.h"

#include <string>

#include "platform/Registry.h"

namespace {

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    return platform::FoldRegistryName(std::string(text.substr(0, prefix.size()))) ==
           platform::FoldRegistryName(std::string(prefix));
}

// "Paper_000" and the like: the catalog file's key of a paper.
bool IsPaperKey(std::string_view key) {
    if (!StartsWithFolded(key, "Paper_") || key.size() == 6) return false;
    return key.substr(6).find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

bool IsCatalogFileLine(std::string_view line) {
    line = TrimCell(line);
    if (StartsWithFolded(line, "[Paper Catalog]")) return true;
    const size_t equals = line.find('=');
    return equals != std::string_view::npos && IsPaperKey(TrimCell(line.substr(0, equals)));
}

void ReadCatalogFileLines(std::string_view text, const std::function<bool(TableRecord&&)>& take) {
    bool readable = true;
    int line = 0;
    size_t offset = 0;
    while (!text.empty()) {
        ++line;
        // CR LF, LF or a lone CR end a line.
        const size_t end = text.find_first_of("\r\n");
        const std::string_view raw = text.substr(0, end);
        const size_t begin = offset;
        const size_t step = end == std::string_view::npos ? text.size() : end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        text.remove_prefix(step);
        offset += step;
        std::string_view content = TrimCell(raw);
        while (!content.empty() && content.back() == '\r') content = TrimCell(content.substr(0, content.size() - 1));
        if (content.empty() || content.front() == ';') continue;
        if (content.front() == '[') {
            const std::string section = platform::FoldRegistryName(std::string(content));
            readable = section == "[PAPERS]" || section == "[PAPER CATALOG]";
            continue;
        }
        if (!readable) continue;
        TableRecord record;
        record.row = line;
        record.begin = begin;
        record.end = offset;
        const size_t equals = content.find('=');
        if (equals == std::string_view::npos || !IsPaperKey(TrimCell(content.substr(0, equals)))) {
            record.cells.emplace_back(content);
            record.notPaperLine = true;
            if (!take(std::move(record))) return;
            continue;
        }
        std::string_view value = TrimCell(content.substr(equals + 1));
        while (!value.empty()) {
            const size_t comma = value.find(',');
            const std::string_view piece = value.substr(0, comma);
            if (!piece.empty()) record.cells.emplace_back(TrimCell(piece));
            if (comma == std::string_view::npos) break;
            value.remove_prefix(comma + 1);
        }
        if (!take(std::move(record))) return;
    }
}
