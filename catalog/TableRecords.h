// A delimited text's records, as spreadsheets write them: the third part of
// reading a table. Quoted cells may hold separators, doubled quotes and line
// breaks; CR LF, LF or CR end a record outside quotes. Every cell is trimmed
// of blanks and tabs at either end alike, quoted or not (spreadsheets quote
// some cells and not others for the same content). Records are numbered as
// the spreadsheet numbers its rows: a line break inside a cell does not count,
// an empty row does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/TableDialect.h"

struct TableRecord {
    int row = 0;                     // 1-based, as the spreadsheet numbers it
    size_t begin = 0, end = 0;       // where it stands in the text
    std::vector<std::string> cells;  // trimmed
    bool unclosed = false;           // a quote opened in it is never closed
    bool notPaperLine = false;       // a catalog file's line that is no "Paper_nnn=" entry
    bool notUtf8 = false;            // holds bytes that are no UTF-8 in a UTF-8 file
    // No cell holds anything (an empty line, ",,,,," or a row of empty formulas).
    bool Empty() const;
};

// Reads records one at a time, so that a large text is never held as records all at once.
class TableRecordReader {
public:
    TableRecordReader(std::string_view text, TableDialect dialect) : text_(text), dialect_(dialect) {}
    // The next record, empty ones included; false at the end of the text.
    bool Next(TableRecord& record);

private:
    std::string_view text_;
    TableDialect dialect_;
    size_t pos_ = 0;
    int row_ = 0;
};

// Blanks and tabs dropped at either end.
std::string_view TrimCell(std::string_view text);
