// What a file of papers is, told from its bytes and never from its name: a
// catalog file, a table (CSV, tab-separated "Unicode text", whatever its
// extension), or a spreadsheet program's own file. Every command that reads
// papers from a file asks this first.
#pragma once

#include <string_view>

enum class PapersFileKind : unsigned char {
    CatalogFile,      // INI layout: read with the catalog file's rules
    Table,            // read with the table reader
    SpreadsheetFile,  // .xlsx, .ods (ZIP) or .xls (OLE): to be saved as CSV first
    JdfMedia,         // XML: read as JDF or JMF media (media/JdfMedia.h), refused if it is other XML
};

// A catalog file begins, after an optional UTF-8 byte-order mark and blank
// lines, with a section line ("[Paper Catalog]", in any letter case: the
// catalog file's rules then say whether it may be read). A text whose first
// character, after the same, is "<" is XML: no table's header and no catalog
// file begins so. Anything else that is no spreadsheet's own file is a table,
// refused by the table reader if it holds none.
PapersFileKind DetectPapersFileKind(std::string_view bytes);
