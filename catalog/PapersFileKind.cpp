#include "catalog/PapersFileKind.h"

#include "catalog/TableText.h"

PapersFileKind DetectPapersFileKind(std::string_view bytes) {
    if (IsSpreadsheetFileSignature(bytes)) return PapersFileKind::SpreadsheetFile;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const size_t start = bytes.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return PapersFileKind::Table;
    if (bytes[start] == '<') return PapersFileKind::JdfMedia;
    const size_t end = bytes.find_first_of("\r\n", start);
    std::string_view line = bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    // A section line: a bracketed name and nothing else, which no table's first row is.
    if (line.size() >= 3 && line.front() == '[' && line.back() == ']' &&
        line.find_first_of("[],;\t\"", 1) == line.size() - 1) {
        return PapersFileKind::CatalogFile;
    }
    return PapersFileKind::Table;
}
