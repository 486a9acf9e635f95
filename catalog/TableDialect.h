// How a table's text is delimited, decided from the text as spreadsheets'
// import dialogs and Python's csv.Sniffer decide it: the second part of
// reading a table.
#pragma once

#include <string_view>

struct TableDialect {
    char separator = ',';
};

// The separator among tab, semicolon and comma that splits the first rows
// (up to kSniffedRows, quoted text left out) most consistently: the one found
// the same number of times in the most rows, then the one found most often,
// then tab before semicolon before comma. A title row above the table ("Papers,
// March") does not decide it; a text with none of them is read as commas.
TableDialect SniffDialect(std::string_view text);

inline constexpr int kSniffedRows = 20;
