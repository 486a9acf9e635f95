// Rows to papers: the fifth part of reading a table. Each row's cells are
// checked with the form's entry rules (catalog/PaperRules) and the words of
// the ten languages.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/PaperDef.h"
#include "catalog/PaperTable.h"
#include "catalog/TableRecords.h"

class PaperRowReader {
public:
    explicit PaperRowReader(const PaperTableOptions& options);
    // Reads one record through the column map (the column of each cell);
    // refuses it with the first fault found.
    bool Read(const TableRecord& record, const std::vector<int>& columnOfCell, CPaperDef& paper, RowRefusal& refusal);
    // Whether the cell reads as one of the sizes this PC offers.
    bool IsSize(std::string_view cell) const;

private:
    const PaperTableOptions& options_;
    std::unordered_map<std::string, std::string> sizes_;  // loose key -> keyword
    std::unordered_map<std::string, bool> yesNo_;         // loose key -> yes
    std::string transparency_;
    std::unordered_map<std::string, int> namesSeen_;      // folded name -> row
};
