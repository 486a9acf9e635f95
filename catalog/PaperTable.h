// Tables of papers as text: what a spreadsheet puts on the clipboard or
// writes to a CSV file, and the catalog file's "Paper_nnn=" lines, read into
// papers with every row checked by the form's rules; and papers written as
// such a table. Nothing else in the program parses rows.
//
// The reader is made of parts, each with one job, in the order they run:
// - bytes to text (TableText.h): size, spreadsheets' own files, NUL bytes,
//   UTF-16, UTF-8 held line by line, Windows-1252;
// - the catalog file's lines (TableCatalogLines.h), for text whose first line
//   is "[Paper Catalog]" or a "Paper_nnn=" entry;
// - otherwise the dialect (TableDialect.h), the records (TableRecords.h):
//   cells trimmed alike, rows numbered as the spreadsheet numbers them, empty
//   rows skipped wherever they stand;
// - the header and its words (TableHeader.h): the first row whose every
//   non-empty cell names a column, below up to ten title rows; a row that
//   looks like a header but names no column is refused as one, never read as
//   a paper. Without a header the columns are those the writer writes, in
//   its order (ForceOneSided may be left out);
// - rows to papers (PaperTableRows.h) with the form's rules: the size as its
//   keyword, as the form shows it in any of the ten languages or as its
//   points; ForceOneSided as yes/no words of the ten languages and the
//   booleans their spreadsheets write; a transparency forced to one side; a
//   name that an earlier row holds already (letter case ignored) refused
//   unless the options allow repeats;
// - the messages (PaperTableMessages.cpp) and the writer (PaperTableWriter.cpp) apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/PaperDef.h"
#include "catalog/PaperRules.h"
#include "catalog/TableText.h"
#include "text/TextEncoding.h"

// A text of many bad rows keeps only the first refusals it met; the message
// names ten of them.
inline constexpr size_t kMaxRowRefusalsKept = 100;

// The column numbers of the table, in the writer's order.
enum PaperColumn : int {
    COL_NAME = 0,
    COL_SIZE,
    COL_WEIGHT,
    COL_COLOR,
    COL_TYPE,
    COL_FORCE_ONE_SIDED,
    COL_COUNT,
    COL_NONE = -1,  // a refusal of the row as a whole
};

// Why a row is refused.
enum class RowFault : uint8_t {
    Field,              // the field breaks the form's rule given in `field`
    UnknownSize,        // no configured size reads so
    NotYesNo,           // ForceOneSided is no yes/no word
    TransparencyBothSides,
    RepeatedName,       // `otherLine` holds the name already
    TooManyColumns,     // non-empty cells beyond the known columns (`count` of them in all)
    TooFewColumns,      // a row without a header holds fewer than five cells
    QuoteNotClosed,     // a quote opened in this row is never closed
    NotInCodePage,      // a character code page 1252 cannot hold
    NotAPaperLine,      // a catalog file's line that is no "Paper_nnn=" entry
    NotUtf8,            // bytes that are no UTF-8 in a file that is UTF-8 elsewhere
};

struct RowRefusal {
    int line = 0;              // 1-based row, as the spreadsheet numbers it (a catalog file's line)
    std::string name;          // the row's name cell as read (may be empty)
    int column = COL_NONE;     // PaperColumn
    RowFault fault = RowFault::Field;
    FieldFault field = FieldFault::FieldOk;  // RowFault::Field
    std::string value;         // the refused cell's text
    int otherLine = 0;         // RowFault::RepeatedName
    int count = 0;             // RowFault::TooManyColumns, TooFewColumns
};

// Why the whole text is refused.
enum class TableFault : uint8_t {
    TableOk,
    Empty,              // nothing but blanks and empty lines
    TooLarge,           // over kMaxPaperTableBytes
    NulBytes,           // NUL bytes: no text file (UTF-16 without its mark, say)
    SpreadsheetFile,    // a ZIP archive (.xlsx, .ods) or an old binary spreadsheet (.xls)
    HeaderOnly,         // a header row and no paper row
    NoPaperRow,         // no row holds the cells of a paper (prose, a list of words)
    UnknownHeader,      // a header, or a row that looks like one, with a cell that names no column (`headerCell`)
    MissingColumn,      // the header lacks a needed column (`missingColumn`)
    RepeatedColumn,     // the header names a column twice (`missingColumn`)
    RowsRefused,        // one or more rows refused: `refusals`
};

struct PaperTableOptions {
    // The text is code page 1252 already (the clipboard's CF_TEXT): no UTF-8 guess.
    bool codePage1252 = false;
    // Names repeated within the text are let through (the paste renames them).
    bool allowRepeatedNames = false;
    // The papers of the rows accepted are kept even when others are refused.
    bool keepAcceptedRows = false;
};

struct PaperTableRead {
    TableFault fault = TableFault::TableOk;
    // The papers read, in the text's order, when nothing is refused; each with
    // Position 0, Size as its keyword, Weight as its digits.
    std::vector<CPaperDef> papers;
    std::vector<int> lines;  // the row of each paper
    std::vector<RowRefusal> refusals;  // the first kMaxRowRefusalsKept refused rows, in order
    size_t refusedRows = 0;            // all of them
    std::string headerCell;  // UnknownHeader
    int missingColumn = COL_NONE;  // MissingColumn, RepeatedColumn
    bool ok() const { return fault == TableFault::TableOk; }
};

PaperTableRead ReadPaperTable(std::string_view text, const PaperTableOptions& options = {});

// What the refusal is for: the heading of the message says what did not happen.
enum class TableUse : uint8_t { Paste, Import, Merge };
// That heading, in the current language, for every reader's refusal.
std::string RefusalHeading(TableUse use);

// The refusal of a read that is not ok() in the current language, one line an
// entry: the heading, then what was found in the text, or up to ten refused
// rows (line, name, column, reason) and "and N more". Line breaks and other
// control characters of the texts quoted are shown as visible marks, so that
// each refused row stays on one line.
std::vector<std::string> PaperTableRefusalLines(const PaperTableRead& read, TableUse use);
// The same lines as one message, joined by line feeds.
std::string PaperTableRefusalMessage(const PaperTableRead& read, TableUse use);
// Why one row is refused, in the current language ("empty", "longer than 31
// characters"): the last part of a refused row's line.
std::string RowRefusalReason(const RowRefusal& refusal);

enum class TableEncoding : uint8_t {
    CodePage1252,  // as the program holds its texts (the clipboard's CF_TEXT)
    Utf8WithMark,  // a CSV file that spreadsheets open with accents right
};

// A header row "Name,Size,Weight,Color,Type,ForceOneSided" (separated by
// `separator`), then one row per paper: size as its keyword, ForceOneSided as
// yes/no; fields holding the separator, a quote, a line break or blanks at
// either end quoted, quotes doubled; every line ending in CR LF.
std::string WritePaperTable(const std::vector<CPaperDef>& papers, char separator, TableEncoding encoding);

// The papers of `papers` that would not come back as they are from the CSV
// file the writer makes of them: those this PC's rules refuse on import
// (weights outside its limits, names that differ only in letter case, sizes
// it does not offer, ...), and those whose names a spreadsheet reads as a
// number or a date and changes ("0080", "1E3", "12.50", "Mar-24"). Their
// names, in catalog order.
struct NotReadBack {
    size_t count = 0;                // all of them
    std::vector<std::string> names;  // those known by name (all but refusals beyond kMaxRowRefusalsKept)
};
NotReadBack PapersNotReadBack(const std::vector<CPaperDef>& papers);
// The note on an export that names them, up to ten; empty when there are none.
// `message` says which kind of file: the CSV export's by default, MSG_JDF_NOT_READ_BACK for JDF.
std::string NotReadBackMessage(const NotReadBack& lost, MessageId message = MSG_EXPORT_NOT_READ_BACK);

// Whether a spreadsheet opening a CSV file turns this cell into a number or
// a date that it then saves differently.
bool SpreadsheetChangesText(std::string_view cell);

// Text for a message: line breaks as the pilcrow (0xB6), other control
// characters as "\xHH".
std::string VisibleText(std::string_view text);

// One cell of a table's line, appended to `out`: quoted when it holds the
// separator, a quote, a line break or a blank at either end, quotes doubled.
void AppendTableCell(std::string& out, std::string_view cell, char separator);

