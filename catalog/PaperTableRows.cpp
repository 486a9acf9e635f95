#include "catalog/PaperTableRows.h"

#include <algorithm>
#include <array>

#include "catalog/PaperRules.h"
#include "catalog/TableText.h"
#include "platform/Registry.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

constexpr int16_t kLanguageCount = 10;

// Letter case and blanks ignored, for sizes and yes/no words.
std::string LooseKey(std::string_view cell) {
    std::string text;
    for (char c : cell) {
        if (c != ' ' && c != '\xA0' && c != '\t') text += c;
    }
    return platform::FoldRegistryName(text);
}

}  // namespace

PaperRowReader::PaperRowReader(const PaperTableOptions& options)
    : options_(options),
      transparency_(GetLocalizedString(kVocabularyList, CAT_TYPE_TRANSPARENCY, AppState.CurrentLanguage)) {
    const size_t sizeCount = std::min<size_t>(PageSizeTable.size(), static_cast<size_t>(std::max<int16_t>(AppState.SizeChoiceCount, 0)));
    for (size_t i = 0; i < sizeCount; ++i) {
        const PageSizeRow& row = PageSizeTable[i];
        // The first row that reads so wins, as the stored forms' lookups do.
        sizes_.emplace(LooseKey(row.Keyword), row.Keyword);
        sizes_.emplace(LooseKey(row.Points), row.Keyword);
        for (int16_t language = 1; language <= kLanguageCount; ++language) {
            sizes_.emplace(LooseKey(GetLocalizedString(kVocabularyList, row.LabelId, language)), row.Keyword);
        }
    }
    // Spreadsheets write their booleans in the language of their settings.
    static constexpr const char* kYes[] = {"yes", "true", "1", "T", "si", "x", "sand", "waar", "tosi", "vrai",
                                           "wahr", "vero", "sann", "verdadero", "sant"};
    static constexpr const char* kNo[] = {"no", "false", "0", "F", "falsk", "onwaar", "ep\xE4tosi", "faux",
                                          "falsch", "falso", "usann", "falskt"};
    for (const char* word : kYes) yesNo_.emplace(LooseKey(word), true);
    for (const char* word : kNo) yesNo_.emplace(LooseKey(word), false);
    for (int16_t language = 1; language <= kLanguageCount; ++language) {
        yesNo_.emplace(LooseKey(GetLocalizedString(kLabelList, LAB_YES, language)), true);
        yesNo_.emplace(LooseKey(GetLocalizedString(kLabelList, LAB_NO, language)), false);
    }
}

bool PaperRowReader::IsSize(std::string_view cell) const { return sizes_.count(LooseKey(cell)) != 0; }

bool PaperRowReader::Read(const TableRecord& record, const std::vector<int>& columnOfCell, CPaperDef& paper,
                          RowRefusal& refusal) {
    std::array<const std::string*, COL_COUNT> cells{};
    static const std::string kEmpty;
    cells.fill(&kEmpty);
    size_t used = 0;
    for (size_t i = 0; i < record.cells.size(); ++i) {
        if (i < columnOfCell.size() && columnOfCell[i] != COL_NONE) {
            cells[static_cast<size_t>(columnOfCell[i])] = &record.cells[i];
        } else if (!record.cells[i].empty()) {
            used = i + 1;
        }
    }
    refusal = RowRefusal{};
    refusal.line = record.row;
    refusal.name = *cells[COL_NAME];
    if (used > 0) {
        refusal.fault = RowFault::TooManyColumns;
        refusal.count = static_cast<int>(record.cells.size());
        return false;
    }
    for (int column = 0; column < COL_COUNT; ++column) {
        const std::string& cell = *cells[static_cast<size_t>(column)];
        if (cell.find(kNotInCodePage) != std::string::npos) {
            refusal.column = column;
            refusal.fault = RowFault::NotInCodePage;
            refusal.value = cell;
            std::replace(refusal.value.begin(), refusal.value.end(), kNotInCodePage, '?');
            std::replace(refusal.name.begin(), refusal.name.end(), kNotInCodePage, '?');
            return false;
        }
    }
    const auto fieldFault = [&](int column, int attribute) {
        const std::string& cell = *cells[static_cast<size_t>(column)];
        const FieldFault fault = CheckCompleteField(attribute, cell, nullptr, Blanks::Inside);
        if (fault == FieldFault::FieldOk) return false;
        refusal.column = column;
        refusal.fault = RowFault::Field;
        refusal.field = fault;
        refusal.value = cell;
        return true;
    };
    if (fieldFault(COL_NAME, PA_NAME)) return false;
    const std::string& sizeCell = *cells[COL_SIZE];
    const auto size = sizes_.find(LooseKey(sizeCell));
    if (size == sizes_.end()) {
        refusal.column = COL_SIZE;
        refusal.value = sizeCell;
        if (sizeCell.empty()) {
            refusal.field = FieldFault::Empty;
        } else {
            refusal.fault = RowFault::UnknownSize;
        }
        return false;
    }
    if (fieldFault(COL_WEIGHT, PA_WEIGHT) || fieldFault(COL_COLOR, PA_COLOR) || fieldFault(COL_TYPE, PA_TYPE)) return false;
    const std::string& forceCell = *cells[COL_FORCE_ONE_SIDED];
    const bool transparency = IsTransparencyType(*cells[COL_TYPE], transparency_);
    bool force = transparency;
    if (!forceCell.empty()) {
        const auto word = yesNo_.find(LooseKey(forceCell));
        if (word == yesNo_.end()) {
            refusal.column = COL_FORCE_ONE_SIDED;
            refusal.fault = RowFault::NotYesNo;
            refusal.value = forceCell;
            return false;
        }
        if (transparency && !word->second) {
            refusal.column = COL_FORCE_ONE_SIDED;
            refusal.fault = RowFault::TransparencyBothSides;
            refusal.value = forceCell;
            return false;
        }
        force = word->second;
    }
    if (!options_.allowRepeatedNames) {
        const auto [seen, fresh] = namesSeen_.emplace(platform::FoldRegistryName(*cells[COL_NAME]), record.row);
        if (!fresh) {
            refusal.column = COL_NAME;
            refusal.fault = RowFault::RepeatedName;
            refusal.value = *cells[COL_NAME];
            refusal.otherLine = seen->second;
            return false;
        }
    }
    paper = CPaperDef(*cells[COL_NAME], size->second, *cells[COL_WEIGHT], *cells[COL_COLOR], *cells[COL_TYPE], force, 0);
    return true;
}
