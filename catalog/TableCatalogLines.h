// The catalog file's own lines read as a table's records, for text that holds
// them (a catalog file merged, "Paper_nnn=" lines pasted). The one input path
// of the table reader that knows the catalog file's layout: kept apart so that
// it can follow the catalog file's reader.
#pragma once

#include <functional>
#include <string_view>

#include "catalog/TableRecords.h"

// Whether a text whose first line holding anything is `line` is read as a
// catalog file's lines: "[Paper Catalog]" or a "Paper_nnn=" entry.
bool IsCatalogFileLine(std::string_view line);

// A record per "Paper_nnn=" entry outside other sections, in the text's order,
// its value split into the non-empty runs between commas as Import splits it;
// other lines there are records marked notPaperLine. Stops when `take` answers false.
void ReadCatalogFileLines(std::string_view text, const std::function<bool(TableRecord&&)>& take);
