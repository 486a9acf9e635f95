// Tables of papers as text: what a spreadsheet puts on the clipboard or
// writes to a CSV file, and the catalog file's "Paper_nnn=" lines, read into
// papers with every row checked by the form's rules; and papers written as
// such a table. Nothing else in the program parses rows.
//
// Reading, in order:
// - the whole text is refused when it is larger than kMaxPaperTableBytes,
//   holds NUL bytes (UTF-16 without a byte-order mark, a binary file), or is a
//   spreadsheet's own file (a ZIP archive: .xlsx, .ods; an old .xls);
// - the encoding: UTF-16 with a byte-order mark, UTF-8 with the mark, UTF-8
//   without it when the bytes are valid UTF-8 holding non-ASCII characters
//   (unless the options say the text is code page 1252 already), otherwise
//   code page 1252. Characters code page 1252 cannot hold refuse their row;
// - text whose first line is "[Paper Catalog]" or "Paper_nnn=..." is read as
//   the catalog file's lines: the "Paper_nnn" entries outside other sections,
//   in the text's order, their value split at commas as Import does;
// - otherwise the separator is the one of tab, semicolon and comma found most
//   often outside quotes in the first line (ties: tab, then semicolon);
//   fields may be quoted ("a;b", "say ""x""", line breaks inside quotes);
//   blanks around an unquoted field are dropped; empty lines are skipped;
// - the first row is a header when one of its cells names a column: the
//   English names Name, Size, Weight, Color, Type, ForceOneSided, or the
//   form's labels in the current language ("Paper", "Size", "Weight (gsm)",
//   ...), letter case, "&" and a final colon ignored. Every non-empty header
//   cell must name a column, Name, Size, Weight, Color and Type must be
//   there, none twice. Without a header the columns are those the writer
//   writes, in its order (ForceOneSided may be left out);
// - each row: the name, colour and type as the form accepts them, but for
//   blanks inside them, which stored catalogs hold ("Blue Cover"); the size as
//   its keyword, or as the form shows it in any of the ten languages, or as
//   its points ("595 842"), letter case and blanks ignored, among the first
//   AppState.SizeChoiceCount sizes; the weight digits within the configured
//   limits; ForceOneSided yes/no, true/false, 1/0, T/F, x (a ticked cell),
//   the ten languages' yes/no words and the boolean words their spreadsheets
//   write (WAHR, FAUX, ...), empty meaning no. A paper of the transparency type
//   (IsTransparencyType) is forced to one side: an empty ForceOneSided
//   becomes yes, an explicit "no" refuses the row (a transparency cannot be
//   printed on both sides, and guessing would hide the row's mistake);
// - cells beyond the known columns must be empty; a name that an earlier row
//   holds already (letter case ignored, as the registry compares) refuses the
//   later row unless the options allow repeats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/PaperDef.h"
#include "catalog/PaperRules.h"

// Larger texts are refused whole: a catalog of 32,767 long rows is well below.
inline constexpr size_t kMaxPaperTableBytes = 8u * 1024u * 1024u;

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
};

struct RowRefusal {
    int line = 0;              // 1-based line of the text where the row starts
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
    UnknownHeader,      // a header cell that names no column (`headerCell`)
    MissingColumn,      // the header lacks a needed column (`missingColumn`)
    RepeatedColumn,     // the header names a column twice (`missingColumn`)
    RowsRefused,        // one or more rows refused: `refusals`
};

struct PaperTableOptions {
    // The text is code page 1252 already (the clipboard's CF_TEXT): no UTF-8 guess.
    bool codePage1252 = false;
    // Names repeated within the text are let through (the paste renames them).
    bool allowRepeatedNames = false;
};

struct PaperTableRead {
    TableFault fault = TableFault::TableOk;
    // The papers read, in the text's order, when nothing is refused; each with
    // Position 0, Size as its keyword, Weight as its digits.
    std::vector<CPaperDef> papers;
    std::vector<int> lines;  // the line each paper's row starts on
    std::vector<RowRefusal> refusals;  // the first kMaxRowRefusalsKept refused rows, in order
    size_t refusedRows = 0;            // all of them
    std::string headerCell;  // UnknownHeader
    int missingColumn = COL_NONE;  // MissingColumn, RepeatedColumn
    bool ok() const { return fault == TableFault::TableOk; }
};

PaperTableRead ReadPaperTable(std::string_view text, const PaperTableOptions& options = {});

// What the refusal is for: the heading of the message says what did not happen.
enum class TableUse : uint8_t { Paste, Import, Merge };

// The refusal of a read that is not ok() in the current language, one line an
// entry: the heading, then what was found in the text, or up to ten refused
// rows (line, name, column, reason) and "and N more".
std::vector<std::string> PaperTableRefusalLines(const PaperTableRead& read, TableUse use);
// The same lines as one message, joined by line feeds.
std::string PaperTableRefusalMessage(const PaperTableRead& read, TableUse use);

enum class TableEncoding : uint8_t {
    CodePage1252,  // as the program holds its texts (the clipboard's CF_TEXT)
    Utf8WithMark,  // a CSV file that spreadsheets open with accents right
};

// A header row "Name,Size,Weight,Color,Type,ForceOneSided" (separated by
// `separator`), then one row per paper: size as its keyword, ForceOneSided as
// yes/no; fields holding the separator, a quote, a line break or blanks at
// either end quoted, quotes doubled; every line ending in CR LF.
std::string WritePaperTable(const std::vector<CPaperDef>& papers, char separator, TableEncoding encoding);

// One cell of a table's line, appended to `out`: quoted when it holds the
// separator, a quote, a line break or a blank at either end, quotes doubled.
void AppendTableCell(std::string& out, std::string_view cell, char separator);

// Code page 1252 of UTF-8 text; false when a character has no place there
// (`text` then holds "?" in its place) or the bytes are no UTF-8.
bool Utf8ToCp1252(std::string_view utf8, std::string& text);
