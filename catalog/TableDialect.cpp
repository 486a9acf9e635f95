#include "catalog/TableDialect.h"

#include <array>
#include <cstddef>
#include <map>
#include <vector>

TableDialect SniffDialect(std::string_view text) {
    constexpr std::array<char, 3> kCandidates = {'\t', ';', ','};
    // Per candidate, how often it stands in each row read.
    std::array<std::vector<size_t>, 3> counts;
    std::array<size_t, 3> row{};
    bool quoted = false;
    bool rowHasText = false;
    int rows = 0;
    const auto endRow = [&] {
        if (rowHasText) {
            for (size_t k = 0; k < 3; ++k) counts[k].push_back(row[k]);
            ++rows;
        }
        row = {};
        rowHasText = false;
    };
    for (size_t i = 0; i < text.size() && rows < kSniffedRows; ++i) {
        const char c = text[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\r' || c == '\n') {
            endRow();
            continue;
        }
        if (c != ' ') rowHasText = true;
        for (size_t k = 0; k < 3; ++k) row[k] += c == kCandidates[k];
    }
    endRow();

    size_t best = 0;
    std::array<size_t, 3> consistent{};
    std::array<size_t, 3> total{};
    for (size_t k = 0; k < 3; ++k) {
        // The number of rows that hold the candidate as often as most rows holding it do.
        std::map<size_t, size_t> rowsWith;
        for (size_t count : counts[k]) {
            total[k] += count;
            if (count > 0) ++rowsWith[count];
        }
        for (const auto& [count, many] : rowsWith) consistent[k] = std::max(consistent[k], many);
    }
    for (size_t k = 1; k < 3; ++k) {
        if (consistent[k] > consistent[best] || (consistent[k] == consistent[best] && total[k] > total[best])) best = k;
    }
    TableDialect dialect;
    dialect.separator = total[best] == 0 ? ',' : kCandidates[best];
    return dialect;
}
