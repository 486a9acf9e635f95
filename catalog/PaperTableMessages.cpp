// The table reader's refusals in words: apart from the reading, so that the
// reader's parts say only what they found.
#include <algorithm>
#include <cstdio>

#include "catalog/PaperTable.h"
#include "catalog/TableHeader.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

std::string VisibleText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n') {
            shown += '\xB6';
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}

namespace {

std::string ColumnLabel(int column) {
    static constexpr LabelId kLabels[COL_COUNT] = {LAB_PAPER, LAB_SIZE, LAB_WEIGHT_FIELD, LAB_COLOR, LAB_TYPE, LAB_FORCE_ONE_SIDED};
    if (column < 0 || column >= COL_COUNT) return InterfaceMessage(MSG_ROW_WHOLE);
    return InterfaceLabel(kLabels[column], TF_NO_AMPERSAND | TF_NO_COLON);
}

std::string RefusedCharacters() {
    std::string list;
    for (const char* c = ForbiddenCharacters; *c; ++c) {
        if (!list.empty()) list += ' ';
        list += *c;
    }
    return list;
}

}  // namespace

std::string RowRefusalReason(const RowRefusal& refusal) {
    switch (refusal.fault) {
    case RowFault::Field:
        switch (refusal.field) {
        case FieldFault::Empty: return InterfaceMessage(MSG_ROW_EMPTY);
        case FieldFault::TooLong:
            return FormatText(InterfaceMessage(MSG_ROW_TOO_LONG),
                              {std::to_string(refusal.column == COL_WEIGHT ? kMaxWeightDigits
                                              : refusal.column == COL_NAME ? kMaxNameLength
                                                                           : kMaxWordLength)});
        case FieldFault::RefusedCharacter:
            return FormatText(InterfaceMessage(MSG_ROW_REFUSED_CHARACTER), {RefusedCharacters()});
        case FieldFault::Unprintable: return InterfaceMessage(MSG_ROW_UNPRINTABLE);
        case FieldFault::NotDigits: return FormatText(InterfaceMessage(MSG_ROW_NOT_DIGITS), {VisibleText(refusal.value)});
        case FieldFault::OutOfRange:
            return FormatText(InterfaceMessage(MSG_ROW_OUT_OF_RANGE),
                              {VisibleText(refusal.value), std::to_string(AppState.MinimumPaperWeight),
                               std::to_string(AppState.MaximumPaperWeight)});
        case FieldFault::FieldOk: break;
        }
        return {};
    case RowFault::UnknownSize: return FormatText(InterfaceMessage(MSG_ROW_UNKNOWN_SIZE), {VisibleText(refusal.value)});
    case RowFault::NotYesNo: return FormatText(InterfaceMessage(MSG_ROW_NOT_YES_NO), {VisibleText(refusal.value)});
    case RowFault::TransparencyBothSides: return InterfaceMessage(MSG_ROW_TRANSPARENCY);
    case RowFault::RepeatedName:
        return FormatText(InterfaceMessage(MSG_ROW_REPEATED_NAME), {std::to_string(refusal.otherLine)});
    case RowFault::TooManyColumns:
        return FormatText(InterfaceMessage(MSG_ROW_TOO_MANY_COLUMNS), {std::to_string(refusal.count)});
    case RowFault::TooFewColumns:
        return FormatText(InterfaceMessage(MSG_ROW_TOO_FEW_COLUMNS), {std::to_string(refusal.count)});
    case RowFault::QuoteNotClosed: return InterfaceMessage(MSG_ROW_QUOTE_NOT_CLOSED);
    case RowFault::NotInCodePage: return InterfaceMessage(MSG_ROW_NOT_IN_CODE_PAGE);
    case RowFault::NotAPaperLine: return InterfaceMessage(MSG_ROW_NOT_PAPER_LINE);
    case RowFault::NotUtf8: return InterfaceMessage(MSG_ROW_NOT_UTF8);
    }
    return {};
}


std::vector<std::string> PaperTableRefusalLines(const PaperTableRead& read, TableUse use) {
    std::vector<std::string> lines;
    if (read.ok()) return lines;
    lines.push_back(RefusalHeading(use));
    switch (read.fault) {
    case TableFault::Empty: lines.push_back(InterfaceMessage(MSG_TABLE_EMPTY)); break;
    case TableFault::TooLarge:
        lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_TOO_LARGE), {std::to_string(kMaxPaperTableBytes >> 20)}));
        break;
    case TableFault::NulBytes: lines.push_back(InterfaceMessage(MSG_TABLE_NUL_BYTES)); break;
    case TableFault::SpreadsheetFile: lines.push_back(InterfaceMessage(MSG_TABLE_SPREADSHEET_FILE)); break;
    case TableFault::HeaderOnly: lines.push_back(InterfaceMessage(MSG_TABLE_HEADER_ONLY)); break;
    case TableFault::NoPaperRow: lines.push_back(InterfaceMessage(MSG_TABLE_NO_PAPER_ROW)); break;
    case TableFault::UnknownHeader:
        lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_UNKNOWN_HEADER), {VisibleText(read.headerCell)}));
        break;
    case TableFault::MissingColumn:
        // A header fault names the column as a header names it, not as the form labels its field.
        lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_MISSING_COLUMN), {ColumnHeaderName(read.missingColumn)}));
        break;
    case TableFault::RepeatedColumn:
        lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_REPEATED_COLUMN), {ColumnHeaderName(read.missingColumn)}));
        break;
    case TableFault::RowsRefused: {
        lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_ROWS_REFUSED), {std::to_string(read.refusedRows)}));
        constexpr size_t kShown = 10;
        for (size_t i = 0; i < read.refusals.size() && i < kShown; ++i) {
            const RowRefusal& refusal = read.refusals[i];
            lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_ROW_LINE),
                                       {std::to_string(refusal.line), VisibleText(refusal.name), ColumnLabel(refusal.column),
                                        RowRefusalReason(refusal)}));
        }
        if (read.refusedRows > kShown) {
            lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_MORE_ROWS), {std::to_string(read.refusedRows - kShown)}));
        }
        break;
    }
    case TableFault::TableOk: break;
    }
    return lines;
}

std::string PaperTableRefusalMessage(const PaperTableRead& read, TableUse use) { return JoinLines(PaperTableRefusalLines(read, use)); }

std::string RefusalHeading(TableUse use) {
    return InterfaceMessage(use == TableUse::Paste    ? MSG_TABLE_NOT_PASTED
                            : use == TableUse::Import ? MSG_TABLE_NOT_IMPORTED
                                                      : MSG_TABLE_NOT_MERGED);
}

std::string NotReadBackMessage(const NotReadBack& lost, MessageId message) {
    if (lost.count == 0) return {};
    constexpr size_t kShown = 10;
    std::string names;
    for (size_t i = 0; i < lost.names.size() && i < kShown; ++i) {
        if (!names.empty()) names += ", ";
        names += VisibleText(lost.names[i]);
    }
    const size_t shown = std::min(lost.names.size(), kShown);
    if (lost.count > shown) names += " " + FormatText(InterfaceMessage(MSG_TABLE_MORE_ROWS), {std::to_string(lost.count - shown)});
    return FormatText(InterfaceMessage(message), {std::to_string(lost.count), names});
}
