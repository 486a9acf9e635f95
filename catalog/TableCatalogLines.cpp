#include "catalog/TableCatalogLines.h"

#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>

#include "catalog/PaperCatalog.h"

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

namespace {

// A catalog file's papers as the one reader of the format reads them (the
// numbers from 000 upward, a gap ends the list, the first of a repeated key,
// only "T" forces, only the Papers section), each a record on the line of its
// key, so that a merged file gives the papers Import and /check give.
void ReadWholeCatalogFile(std::string_view text, const std::function<bool(TableRecord&&)>& take) {
    const CatalogFile file = ReadCatalogFile(text);
    // The line of each paper's key: its first appearance in the Papers section.
    std::unordered_map<std::string, std::pair<int, std::pair<size_t, size_t>>> lineOfKey;
    bool papers = false;
    int line = 0;
    for (size_t offset = 0; offset < text.size();) {
        ++line;
        const size_t end = text.find_first_of("\r\n", offset);
        const size_t stop = end == std::string_view::npos ? text.size() : end;
        const size_t next = end == std::string_view::npos ? text.size() : end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        const std::string_view content = TrimCell(text.substr(offset, stop - offset));
        if (!content.empty() && content.front() == '[') {
            papers = platform::FoldRegistryName(std::string(content)) == "[PAPERS]";
        } else if (papers) {
            const size_t equals = content.find('=');
            if (equals != std::string_view::npos) {
                lineOfKey.emplace(platform::FoldRegistryName(std::string(TrimCell(content.substr(0, equals)))),
                                  std::make_pair(line, std::make_pair(offset, next)));
            }
        }
        offset = next;
    }
    for (size_t i = 0; i < file.papers.size(); ++i) {
        const CPaperDef& paper = file.papers[i];
        TableRecord record;
        char key[40];
        std::snprintf(key, sizeof key, "PAPER_%03zu", i);
        if (const auto found = lineOfKey.find(key); found != lineOfKey.end()) {
            record.row = found->second.first;
            record.begin = found->second.second.first;
            record.end = found->second.second.second;
        }
        record.cells = {paper.Name, paper.Size, paper.Weight, paper.Color, paper.Type, paper.ForceOneSided ? "T" : "F"};
        if (!take(std::move(record))) return;
    }
}

}  // namespace

void ReadCatalogFileLines(std::string_view text, const std::function<bool(TableRecord&&)>& take) {
    // A whole catalog file goes through the format's one reader; lines of one
    // pasted without the file's first line are read line by line.
    if (ReadCatalogFile(text).recognised) {
        ReadWholeCatalogFile(text, take);
        return;
    }
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
