#include "catalog/TableHeader.h"

#include <algorithm>
#include <array>

#include "platform/Registry.h"
#include "text/StringLists.h"

namespace {

constexpr int16_t kLanguageCount = 10;

bool IsBlank(char c) { return c == ' ' || c == '\xA0' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// "Gewicht (g/m²)" is also typed as "Gewicht".
std::string WithoutParentheses(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty() || text.back() != ')') return {};
    const size_t open = text.rfind('(');
    if (open == std::string_view::npos || open == 0) return {};
    return std::string(TrimBlanks(text.substr(0, open)));
}

constexpr const char* kEnglishNames[COL_COUNT] = {"Name", "Size", "Weight", "Color", "Type", "ForceOneSided"};

}  // namespace

std::string HeaderKey(std::string_view cell) {
    std::string text;
    for (char c : cell) {
        if (c != '&') text += c;
    }
    std::string_view key = TrimBlanks(text);
    if (!key.empty() && key.back() == ':') key = TrimBlanks(key.substr(0, key.size() - 1));
    return platform::FoldRegistryName(std::string(key));
}

std::vector<HeaderWords::Word> HeaderWords::AllWords() {
    static constexpr LabelId kLabels[] = {LAB_PAPER,  LAB_TABLE_NAME, LAB_SIZE,  LAB_WEIGHT,
                                          LAB_WEIGHT_FIELD, LAB_COLOR, LAB_TYPE, LAB_FORCE_ONE_SIDED};
    static constexpr int kColumns[] = {COL_NAME, COL_NAME, COL_SIZE, COL_WEIGHT, COL_WEIGHT, COL_COLOR, COL_TYPE, COL_FORCE_ONE_SIDED};
    std::vector<Word> words;
    for (int column = 0; column < COL_COUNT; ++column) words.push_back({kEnglishNames[column], column});
    words.push_back({"Colour", COL_COLOR});
    for (size_t i = 0; i < std::size(kLabels); ++i) {
        for (int16_t language = 1; language <= kLanguageCount; ++language) {
            const std::string label = GetLocalizedString(kLabelList, kLabels[i], language);
            words.push_back({label, kColumns[i]});
            if (std::string shorter = WithoutParentheses(HeaderKey(label)); !shorter.empty()) {
                words.push_back({shorter, kColumns[i]});
            }
        }
    }
    return words;
}

HeaderWords::HeaderWords() {
    for (const Word& word : AllWords()) columns_.emplace(HeaderKey(word.text), word.column);
}

int HeaderWords::ColumnOf(std::string_view cell) const {
    const auto found = columns_.find(HeaderKey(cell));
    return found == columns_.end() ? COL_NONE : found->second;
}

LeadingRow JudgeLeadingRow(const TableRecord& record, const HeaderWords& words, std::string& unnamed,
                           const std::function<bool(std::string_view)>& isSize) {
    size_t filled = 0;
    size_t named = 0;
    bool digits = false;
    bool number = false;  // a cell of digits alone, as a weight is
    bool size = false;
    unnamed.clear();
    for (const std::string& cell : record.cells) {
        if (cell.empty()) continue;
        ++filled;
        const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
        digits = digits || std::any_of(cell.begin(), cell.end(), isDigit);
        number = number || std::all_of(cell.begin(), cell.end(), isDigit);
        size = size || isSize(cell);
        if (words.ColumnOf(cell) != COL_NONE) {
            ++named;
        } else if (unnamed.empty()) {
            unnamed = cell;
        }
    }
    if (record.unclosed || record.notPaperLine) return LeadingRow::Data;
    if (named > 0 && named == filled) return LeadingRow::Header;
    // A paper may be called "Papier" or be of the type "Type": a row with a weight is a row.
    if (named > 0) return number ? LeadingRow::Data : LeadingRow::NamesNoColumn;
    if (filled <= 1) return LeadingRow::Title;
    // Every paper has a weight of digits and a size: a row of other words is a header nobody could read.
    if (!digits && !size) return LeadingRow::NamesNoColumn;
    return LeadingRow::Data;
}

HeaderColumns ReadHeaderColumns(const TableRecord& header, const HeaderWords& words) {
    HeaderColumns result;
    std::array<bool, COL_COUNT> present{};
    for (const std::string& cell : header.cells) {
        const int column = cell.empty() ? COL_NONE : words.ColumnOf(cell);
        result.columnOfCell.push_back(column);
        if (column == COL_NONE) continue;
        if (present[static_cast<size_t>(column)]) {
            result.fault = TableFault::RepeatedColumn;
            result.column = column;
            return result;
        }
        present[static_cast<size_t>(column)] = true;
    }
    for (int column = 0; column < COL_FORCE_ONE_SIDED; ++column) {
        if (!present[static_cast<size_t>(column)]) {
            result.fault = TableFault::MissingColumn;
            result.column = column;
            return result;
        }
    }
    return result;
}

const char* ColumnHeaderName(int column) { return column >= 0 && column < COL_COUNT ? kEnglishNames[column] : ""; }
