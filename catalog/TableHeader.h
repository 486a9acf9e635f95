// A table's header and its words: the fourth part of reading a table. Header
// cells are read as people type them: the column names the writer writes
// (Name, Size, Weight, Color, Type, ForceOneSided), the form's labels in any
// of the ten languages ("Papier :", "Größe", "Gewicht (g/m²)", ...) and the
// word for a name in each; compared without the mnemonic mark, without a
// final colon and the blanks or no-break space before it, letter case
// ignored, with or without a final part in parentheses.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/PaperTable.h"
#include "catalog/TableRecords.h"

// The cell as compared: upper case as the registry compares names, "&" dropped,
// blanks at either end and a final colon (with the blanks before it) dropped.
std::string HeaderKey(std::string_view cell);

class HeaderWords {
public:
    HeaderWords();
    // The column a header cell names, or COL_NONE.
    int ColumnOf(std::string_view cell) const;
    // Every word of every language with the column it names, for checking that
    // no word names two columns.
    struct Word {
        std::string text;
        int column;
    };
    static std::vector<Word> AllWords();

private:
    std::unordered_map<std::string, int> columns_;
};

// What a row at the top of a table is, read before the header is found.
enum class LeadingRow : unsigned char {
    Header,        // every non-empty cell names a column
    NamesNoColumn, // looks like a header (some cell names a column, or words with no digit and no size) but a cell names none
    Title,         // one cell of text above the table: skipped when a header follows
    Data,          // a row of the table itself
};

// `unnamed` receives the first cell that names no column (NamesNoColumn);
// `isSize` tells a cell that reads as a size, which no header holds.
LeadingRow JudgeLeadingRow(const TableRecord& record, const HeaderWords& words, std::string& unnamed,
                           const std::function<bool(std::string_view)>& isSize);

// The rows a header may stand below: more title rows than this mean there is none.
inline constexpr size_t kMaxTitleRows = 10;

struct HeaderColumns {
    TableFault fault = TableFault::TableOk;  // RepeatedColumn, MissingColumn
    int column = COL_NONE;                   // the column repeated or missing
    std::vector<int> columnOfCell;           // per cell of the header
};

// The column of each cell of a Header row; Name, Size, Weight, Color and Type
// must be there, none twice.
HeaderColumns ReadHeaderColumns(const TableRecord& header, const HeaderWords& words);

// The header's name of a column as the writer writes it ("Name", "Size", ...).
const char* ColumnHeaderName(int column);
