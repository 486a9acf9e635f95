// Papers written as a table, and what of them would not come back from it.
#include <algorithm>
#include <cctype>

#include "catalog/PaperTable.h"
#include "text/TextEncoding.h"

void AppendTableCell(std::string& out, std::string_view cell, char separator) {
    const bool quote = cell.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string_view::npos ||
                       (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
    if (!quote) {
        out += cell;
        return;
    }
    out += '"';
    for (char c : cell) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::string WritePaperTable(const std::vector<CPaperDef>& papers, char separator, TableEncoding encoding) {
    std::string text;
    text.reserve(48 + papers.size() * 48);
    const auto row = [&](std::initializer_list<std::string_view> cells) {
        bool first = true;
        for (std::string_view cell : cells) {
            if (!first) text += separator;
            first = false;
            AppendTableCell(text, cell, separator);
        }
        text += "\r\n";
    };
    row({"Name", "Size", "Weight", "Color", "Type", "ForceOneSided"});
    for (const CPaperDef& paper : papers) {
        row({paper.Name, paper.Size, paper.Weight, paper.Color, paper.Type, paper.ForceOneSided ? "yes" : "no"});
    }
    if (encoding == TableEncoding::CodePage1252) return text;
    return "\xEF\xBB\xBF" + Cp1252ToUtf8(text);
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits from `pos`; answers how many.
size_t Digits(std::string_view text, size_t& pos) {
    const size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos - start;
}

// "-12.5", "0080", "1E3", "12,50", "5%": what a spreadsheet reads as a number.
bool IsNumberText(std::string_view text) {
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    size_t digits = Digits(text, pos);
    if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
        ++pos;
        digits += Digits(text, pos);
    }
    if (digits == 0) return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
        if (Digits(text, pos) == 0) return false;
    }
    if (pos < text.size() && text[pos] == '%') ++pos;
    return pos == text.size();
}

// A number as a spreadsheet writes it back: no sign but a minus, no leading
// or trailing zeros, a decimal point, at most 15 digits.
bool IsNumberAsWritten(std::string_view text) {
    size_t pos = 0;
    if (pos < text.size() && text[pos] == '-') ++pos;
    const size_t start = pos;
    const size_t whole = Digits(text, pos);
    if (whole == 0 || whole > 15 || (whole > 1 && text[start] == '0')) return false;
    if (pos == text.size()) return true;
    if (text[pos] != '.') return false;
    ++pos;
    const size_t fraction = Digits(text, pos);
    return fraction > 0 && whole + fraction <= 15 && pos == text.size() && text.back() != '0';
}

bool IsMonthName(std::string_view word) {
    static constexpr const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (word.size() < 3) return false;
    std::string lower;
    for (char c : word) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* month : kMonths) {
        if (lower.compare(0, 3, month) == 0) return true;
    }
    return false;
}

// "3/4", "2024-03-01", "Mar-24", "24 March", "10:30": what a spreadsheet reads as a date or a time.
bool IsDateText(std::string_view text) {
    std::vector<std::string_view> parts;
    char separator = 0;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '-' && text[i] != '/' && text[i] != ':' && text[i] != ' ') continue;
        if (i < text.size()) {
            if (separator != 0 && text[i] != separator) return false;
            separator = text[i];
        }
        parts.push_back(text.substr(start, i - start));
        start = i + 1;
    }
    if (parts.size() < 2 || parts.size() > 3) return false;
    size_t numbers = 0;
    size_t months = 0;
    for (std::string_view part : parts) {
        size_t pos = 0;
        const size_t digits = Digits(part, pos);
        if (digits > 0 && digits <= 4 && pos == part.size()) {
            ++numbers;
        } else if (separator != ':' && IsMonthName(part) &&
                   std::all_of(part.begin(), part.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); })) {
            ++months;
        } else {
            return false;
        }
    }
    if (separator == ' ') return months == 1 && numbers >= 1;
    return months <= 1 && numbers >= 1;
}

}  // namespace

bool SpreadsheetChangesText(std::string_view cell) {
    if (!cell.empty() && cell.front() == '=') return true;  // taken as a formula
    if (IsNumberText(cell)) return !IsNumberAsWritten(cell);
    return IsDateText(cell);
}

NotReadBack PapersNotReadBack(const std::vector<CPaperDef>& papers) {
    PaperTableOptions options;
    options.keepAcceptedRows = true;
    const PaperTableRead read = ReadPaperTable(WritePaperTable(papers, ',', TableEncoding::Utf8WithMark), options);
    // The writer's header is row 1, paper i is row i + 2.
    std::vector<bool> lost(papers.size(), false);
    for (const RowRefusal& refusal : read.refusals) {
        if (refusal.line >= 2 && static_cast<size_t>(refusal.line - 2) < papers.size()) lost[static_cast<size_t>(refusal.line - 2)] = true;
    }
    for (size_t i = 0; i < read.papers.size(); ++i) {
        const size_t index = static_cast<size_t>(read.lines[i] - 2);
        if (index >= papers.size()) continue;
        const CPaperDef& was = papers[index];
        const CPaperDef& is = read.papers[i];
        if (!SameFields(was, is)) lost[index] = true;
    }
    NotReadBack result;
    for (size_t i = 0; i < papers.size(); ++i) {
        if (!lost[i] && !SpreadsheetChangesText(papers[i].Name)) continue;
        result.names.push_back(papers[i].Name);
    }
    // Refusals beyond those the reader keeps are counted, not named.
    result.count = result.names.size() + (read.refusedRows - read.refusals.size());
    return result;
}
