#include "catalog/PaperTable.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

#include "platform/Registry.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

constexpr int16_t kLanguageCount = 10;

// The header's names of the columns, as the writer writes them in every language.
constexpr const char* kHeaderNames[COL_COUNT] = {"Name", "Size", "Weight", "Color", "Type", "ForceOneSided"};

// Stands for a character that code page 1252 cannot hold. NUL bytes are
// refused before decoding, so in decoded text a NUL can only be this.
constexpr char kNotInCodePage = '\0';

// Code points of bytes 0x80 to 0x9F; 0 where code page 1252 defines no character.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendCp1252(std::string& out, uint32_t codePoint, char missing) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        out += static_cast<char>(codePoint);
        return;
    }
    for (size_t i = 0; i < 32; ++i) {
        if (kHighControls[i] == codePoint && codePoint != 0) {
            out += static_cast<char>(0x80 + i);
            return;
        }
    }
    out += missing;
}

// Decodes UTF-8 into code page 1252; false when the bytes are no UTF-8
// (overlong forms and surrogates included).
bool DecodeUtf8(std::string_view in, std::string& out, char missing) {
    out.clear();
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        const auto lead = static_cast<unsigned char>(in[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        size_t length = 0;
        uint32_t codePoint = 0;
        uint32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, codePoint = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, codePoint = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, codePoint = lead & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (i + length > in.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(in[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return false;
        AppendCp1252(out, codePoint, missing);
        i += length;
    }
    return true;
}

// UTF-16 after its byte-order mark; a lone surrogate is a character code page
// 1252 cannot hold, a NUL is refused as in any text.
bool DecodeUtf16(std::string_view in, bool bigEndian, std::string& out) {
    out.clear();
    out.reserve(in.size() / 2);
    for (size_t i = 0; i + 1 < in.size(); i += 2) {
        const auto a = static_cast<unsigned char>(in[i]);
        const auto b = static_cast<unsigned char>(in[i + 1]);
        const uint32_t unit = bigEndian ? (a << 8 | b) : (b << 8 | a);
        if (unit == 0) return false;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < in.size()) {
            i += 2;  // a pair stands for one character outside code page 1252
            out += kNotInCodePage;
            continue;
        }
        AppendCp1252(out, unit, kNotInCodePage);
    }
    return true;
}

bool HasNonAscii(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Upper case as the registry compares names, blanks and "&" dropped, a final
// colon (with the no-break space French puts before it) dropped.
std::string HeaderKey(std::string_view cell) {
    std::string text;
    for (char c : cell) {
        if (c != '&') text += c;
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\xA0')) text.pop_back();
    if (!text.empty() && text.back() == ':') text.pop_back();
    return platform::FoldRegistryName(text);
}

// Letter case and blanks ignored, for sizes and yes/no words.
std::string LooseKey(std::string_view cell) {
    std::string text;
    for (char c : cell) {
        if (c != ' ' && c != '\xA0' && c != '\t') text += c;
    }
    return platform::FoldRegistryName(text);
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The words a table is read with, gathered once per read.
struct Vocabulary {
    std::unordered_map<std::string, std::string> sizes;  // loose key -> keyword
    std::unordered_map<std::string, bool> yesNo;         // loose key -> yes
    std::unordered_map<std::string, int> headers;        // header key -> column
    std::string transparency = GetLocalizedString(kVocabularyList, CAT_TYPE_TRANSPARENCY, AppState.CurrentLanguage);

    Vocabulary() {
        const size_t sizeCount = std::min<size_t>(PageSizeTable.size(), static_cast<size_t>(std::max<int16_t>(AppState.SizeChoiceCount, 0)));
        for (size_t i = 0; i < sizeCount; ++i) {
            const PageSizeRow& row = PageSizeTable[i];
            // The first row that reads so wins, as the stored forms' lookups do.
            sizes.emplace(LooseKey(row.Keyword), row.Keyword);
            sizes.emplace(LooseKey(row.Points), row.Keyword);
            for (int16_t language = 1; language <= kLanguageCount; ++language) {
                sizes.emplace(LooseKey(GetLocalizedString(kVocabularyList, row.LabelId, language)), row.Keyword);
            }
        }
        // Spreadsheets write their booleans in the language of their settings.
        static constexpr const char* kYes[] = {"yes", "true", "1", "T", "si", "x", "sand", "waar", "tosi", "vrai",
                                               "wahr", "vero", "sann", "verdadero", "sant"};
        static constexpr const char* kNo[] = {"no", "false", "0", "F", "falsk", "onwaar", "ep\xE4tosi", "faux",
                                              "falsch", "falso", "usann", "falskt"};
        for (const char* word : kYes) yesNo.emplace(LooseKey(word), true);
        for (const char* word : kNo) yesNo.emplace(LooseKey(word), false);
        for (int16_t language = 1; language <= kLanguageCount; ++language) {
            yesNo.emplace(LooseKey(GetLocalizedString(kLabelList, LAB_YES, language)), true);
            yesNo.emplace(LooseKey(GetLocalizedString(kLabelList, LAB_NO, language)), false);
        }
        static constexpr LabelId kLabels[COL_COUNT] = {LAB_PAPER, LAB_SIZE, LAB_WEIGHT, LAB_COLOR, LAB_TYPE, LAB_FORCE_ONE_SIDED};
        for (int column = 0; column < COL_COUNT; ++column) {
            headers.emplace(HeaderKey(kHeaderNames[column]), column);
            headers.emplace(HeaderKey(GetLocalizedString(kLabelList, kLabels[column], kEnglish)), column);
            headers.emplace(HeaderKey(InterfaceLabel(kLabels[column])), column);
        }
        headers.emplace(HeaderKey("Colour"), COL_COLOR);
    }
};

struct Record {
    int line = 0;
    std::vector<std::string> cells;
    bool unclosed = false;      // a quote opened in it is never closed
    bool notPaperLine = false;  // a catalog file's line that is no "Paper_nnn=" entry
};

// The separator the first line uses most outside quotes.
char DetectSeparator(std::string_view text) {
    size_t counts[3] = {};
    constexpr char kCandidates[3] = {'\t', ';', ','};
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\r' || c == '\n') break;
        for (size_t k = 0; k < 3; ++k) counts[k] += c == kCandidates[k];
    }
    size_t best = 0;
    for (size_t k = 1; k < 3; ++k) {
        if (counts[k] > counts[best]) best = k;
    }
    return counts[best] == 0 ? ',' : kCandidates[best];
}

// Splits delimited text into records as spreadsheets write it: quoted cells
// may hold separators, doubled quotes and line breaks; CR LF, LF or CR end a
// row. Each record goes to `take` as it is read, until it answers false.
template <class Sink>
void SplitRecords(std::string_view text, char separator, Sink&& take) {
    size_t pos = 0;
    int line = 1;
    const size_t n = text.size();
    while (pos < n) {
        Record record;
        record.line = line;
        for (;;) {
            std::string cell;
            bool quoted = false;
            while (pos < n && text[pos] == ' ' && separator != ' ') ++pos;
            if (pos < n && text[pos] == '"') {
                quoted = true;
                ++pos;
                for (;;) {
                    const size_t close = text.find('"', pos);
                    const std::string_view part = text.substr(pos, close == std::string_view::npos ? n - pos : close - pos);
                    for (size_t k = 0; k < part.size(); ++k) {
                        // A CR LF inside quotes is one line break.
                        if (part[k] == '\n' || (part[k] == '\r' && (k + 1 == part.size() || part[k + 1] != '\n'))) ++line;
                    }
                    cell += part;
                    if (close == std::string_view::npos) {
                        record.unclosed = true;
                        pos = n;
                        break;
                    }
                    pos = close + 1;
                    if (pos < n && text[pos] == '"') {
                        cell += '"';
                        ++pos;
                        continue;
                    }
                    break;
                }
            }
            // Unquoted text, or what follows a closing quote before the separator.
            const size_t start = pos;
            while (pos < n && text[pos] != separator && text[pos] != '\r' && text[pos] != '\n') ++pos;
            std::string_view rest = text.substr(start, pos - start);
            if (!quoted) rest = Trim(rest);
            cell += rest;
            record.cells.push_back(std::move(cell));
            if (pos < n && text[pos] == separator) {
                ++pos;
                continue;
            }
            if (pos < n && text[pos] == '\r') ++pos;
            if (pos < n && text[pos] == '\n') ++pos;
            ++line;
            break;
        }
        const bool empty = record.cells.size() == 1 && record.cells[0].empty() && !record.unclosed;
        if (!empty && !take(std::move(record))) return;
    }
}

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    return platform::FoldRegistryName(std::string(text.substr(0, prefix.size()))) ==
           platform::FoldRegistryName(std::string(prefix));
}

// "Paper_000" and the like: the catalog file's key of a paper.
bool IsPaperKey(std::string_view key) {
    if (!StartsWithFolded(key, "Paper_") || key.size() == 6) return false;
    return key.substr(6).find_first_not_of("0123456789") == std::string_view::npos;
}

bool IsCatalogLine(std::string_view line) {
    line = Trim(line);
    if (StartsWithFolded(line, "[Paper Catalog]")) return true;
    const size_t equals = line.find('=');
    return equals != std::string_view::npos && IsPaperKey(Trim(line.substr(0, equals)));
}

// The catalog file's lines: a paper per "Paper_nnn=" entry outside other
// sections, its value split into the non-empty runs between commas as Import
// splits it. Other lines there are refused rows.
template <class Sink>
void CatalogRecords(std::string_view text, Sink&& take) {
    bool readable = true;
    int line = 0;
    while (!text.empty()) {
        ++line;
        // CR LF, LF or a lone CR end a line.
        const size_t end = text.find_first_of("\r\n");
        const std::string_view raw = text.substr(0, end);
        if (end == std::string_view::npos) {
            text = {};
        } else {
            text.remove_prefix(end + (text.substr(end, 2) == "\r\n" ? 2 : 1));
        }
        const std::string_view content = Trim(raw);
        if (content.empty() || content.front() == ';') continue;
        if (content.front() == '[') {
            const std::string section = platform::FoldRegistryName(std::string(content));
            readable = section == "[PAPERS]" || section == "[PAPER CATALOG]";
            continue;
        }
        if (!readable) continue;
        Record record;
        record.line = line;
        const size_t equals = content.find('=');
        if (equals == std::string_view::npos || !IsPaperKey(Trim(content.substr(0, equals)))) {
            record.cells.emplace_back(content);
            record.notPaperLine = true;
            if (!take(std::move(record))) return;
            continue;
        }
        std::string_view value = Trim(content.substr(equals + 1));
        while (!value.empty()) {
            const size_t comma = value.find(',');
            const std::string_view piece = value.substr(0, comma);
            if (!piece.empty()) record.cells.emplace_back(Trim(piece));
            if (comma == std::string_view::npos) break;
            value.remove_prefix(comma + 1);
        }
        if (!take(std::move(record))) return;
    }
}

struct RowReader {
    const Vocabulary& words;
    const PaperTableOptions& options;
    std::unordered_map<std::string, int> namesSeen;

    // Reads one record through the column map; refuses with the first fault.
    bool Read(const Record& record, const std::vector<int>& columnOfCell, CPaperDef& paper, RowRefusal& refusal) {
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
        refusal.line = record.line;
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
        const auto size = words.sizes.find(LooseKey(sizeCell));
        if (size == words.sizes.end()) {
            refusal.column = COL_SIZE;
            refusal.value = sizeCell;
            if (sizeCell.empty()) {
                refusal.field = FieldFault::Empty;
            } else {
                refusal.fault = RowFault::UnknownSize;
            }
            return false;
        }
        if (fieldFault(COL_WEIGHT, PA_WEIGHT) || fieldFault(COL_COLOR, PA_COLOR) || fieldFault(COL_TYPE, PA_TYPE))
            return false;
        const std::string& forceCell = *cells[COL_FORCE_ONE_SIDED];
        const bool transparency = IsTransparencyType(*cells[COL_TYPE], words.transparency);
        bool force = transparency;
        if (!forceCell.empty()) {
            const auto word = words.yesNo.find(LooseKey(forceCell));
            if (word == words.yesNo.end()) {
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
        if (!options.allowRepeatedNames) {
            const auto [seen, fresh] = namesSeen.emplace(platform::FoldRegistryName(*cells[COL_NAME]), record.line);
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
};

// Takes the records one by one as they are read: the header, then every row,
// so that a large text is never held as records all at once.
class TableBuilder {
public:
    TableBuilder(bool catalogLines, const PaperTableOptions& options, PaperTableRead& read)
        : catalogLines_(catalogLines), reader_{words_, options, {}}, read_(read) {}

    // False once the header refuses the whole text.
    bool Take(Record&& record) {
        if (!started_) {
            started_ = true;
            if (!catalogLines_ && IsHeader(record)) return ReadHeader(record);
            for (int column = 0; column < COL_COUNT; ++column) columnOfCell_.push_back(column);
        }
        ++rows_;
        RowRefusal refusal;
        refusal.line = record.line;
        refusal.name = record.cells.empty() ? std::string() : record.cells.front();
        if (record.notPaperLine) {
            refusal.fault = RowFault::NotAPaperLine;
            // The line itself stands for the name it does not have.
            refusal.value = record.cells.front();
            refusal.name = refusal.value.substr(0, kMaxNameLength);
            Refuse(std::move(refusal));
            return true;
        }
        if (record.unclosed) {
            refusal.fault = RowFault::QuoteNotClosed;
            anyShapedRow_ = true;
            Refuse(std::move(refusal));
            return true;
        }
        if (!headed_ && !catalogLines_ && record.cells.size() < COL_FORCE_ONE_SIDED) {
            refusal.fault = RowFault::TooFewColumns;
            refusal.count = static_cast<int>(record.cells.size());
            Refuse(std::move(refusal));
            return true;
        }
        anyShapedRow_ = true;
        anyPaperLine_ = true;
        CPaperDef paper;
        if (reader_.Read(record, columnOfCell_, paper, refusal)) {
            // Once a row is refused nothing is taken: only the refusals go on counting.
            if (read_.refusedRows == 0) {
                read_.papers.push_back(std::move(paper));
                read_.lines.push_back(record.line);
            }
        } else {
            Refuse(std::move(refusal));
        }
        return true;
    }

    void Finish() {
        if (read_.fault != TableFault::TableOk) return;
        if (rows_ == 0) {
            read_.fault = headed_ ? TableFault::HeaderOnly : TableFault::Empty;
            return;
        }
        if (read_.refusedRows == 0) return;
        const bool noTable = catalogLines_ ? !anyPaperLine_ : !anyShapedRow_;
        read_.fault = noTable ? TableFault::NoPaperRow : TableFault::RowsRefused;
        read_.papers.clear();
        read_.lines.clear();
    }

private:
    bool IsHeader(const Record& head) const {
        return std::any_of(head.cells.begin(), head.cells.end(),
                           [&](const std::string& cell) { return words_.headers.count(HeaderKey(cell)) != 0; });
    }

    bool ReadHeader(const Record& head) {
        headed_ = true;
        std::array<bool, COL_COUNT> present{};
        for (const std::string& cell : head.cells) {
            if (cell.empty()) {
                columnOfCell_.push_back(COL_NONE);
                continue;
            }
            const auto found = words_.headers.find(HeaderKey(cell));
            if (found == words_.headers.end()) {
                read_.fault = TableFault::UnknownHeader;
                read_.headerCell = cell;
                return false;
            }
            if (present[static_cast<size_t>(found->second)]) {
                read_.fault = TableFault::RepeatedColumn;
                read_.missingColumn = found->second;
                return false;
            }
            present[static_cast<size_t>(found->second)] = true;
            columnOfCell_.push_back(found->second);
        }
        for (int column = 0; column < COL_FORCE_ONE_SIDED; ++column) {
            if (!present[static_cast<size_t>(column)]) {
                read_.fault = TableFault::MissingColumn;
                read_.missingColumn = column;
                return false;
            }
        }
        return true;
    }

    void Refuse(RowRefusal&& refusal) {
        ++read_.refusedRows;
        if (read_.refusals.size() < kMaxRowRefusalsKept) read_.refusals.push_back(std::move(refusal));
    }

    const bool catalogLines_;
    const Vocabulary words_;
    RowReader reader_;
    PaperTableRead& read_;
    std::vector<int> columnOfCell_;
    bool started_ = false;
    bool headed_ = false;
    bool anyShapedRow_ = false;
    bool anyPaperLine_ = false;
    size_t rows_ = 0;
};

}  // namespace

bool Utf8ToCp1252(std::string_view utf8, std::string& text) {
    if (!DecodeUtf8(utf8, text, kNotInCodePage)) {
        text.assign(utf8);
        return false;
    }
    // NULs of the input pass through as they are; any others stand for a missing character.
    const auto nulsIn = std::count(utf8.begin(), utf8.end(), '\0');
    const auto nulsOut = std::count(text.begin(), text.end(), '\0');
    if (nulsOut == nulsIn) return true;
    if (nulsIn == 0) std::replace(text.begin(), text.end(), kNotInCodePage, '?');
    return false;
}

PaperTableRead ReadPaperTable(std::string_view bytes, const PaperTableOptions& options) {
    PaperTableRead read;
    if (bytes.size() > kMaxPaperTableBytes) {
        read.fault = TableFault::TooLarge;
        return read;
    }
    // ZIP (.xlsx, .ods) and the compound file of an old .xls.
    if (bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4) ||
        bytes.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
        read.fault = TableFault::SpreadsheetFile;
        return read;
    }
    std::string text;
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        if (!DecodeUtf16(bytes.substr(2), bytes[0] == '\xFE', text)) {
            read.fault = TableFault::NulBytes;
            return read;
        }
    } else if (bytes.find('\0') != std::string_view::npos) {
        read.fault = TableFault::NulBytes;
        return read;
    } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        // With the mark, bytes that are no UTF-8 are read as code page 1252 rather than refused.
        if (!DecodeUtf8(bytes.substr(3), text, kNotInCodePage)) text.assign(bytes.substr(3));
    } else if (!options.codePage1252 && HasNonAscii(bytes) && DecodeUtf8(bytes, text, kNotInCodePage)) {
        // Valid UTF-8 with characters beyond ASCII is hardly ever meant as code page 1252.
    } else {
        text.assign(bytes);
    }

    // The first line that holds anything decides the kind of text.
    std::string_view view = text;
    size_t start = view.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        read.fault = TableFault::Empty;
        return read;
    }
    const size_t lineEnd = view.find_first_of("\r\n", start);
    const bool catalogLines = IsCatalogLine(view.substr(start, lineEnd == std::string_view::npos ? lineEnd : lineEnd - start));
    TableBuilder builder(catalogLines, options, read);
    const auto take = [&builder](Record&& record) { return builder.Take(std::move(record)); };
    if (catalogLines) {
        CatalogRecords(view, take);
    } else {
        SplitRecords(view, DetectSeparator(view.substr(start)), take);
    }
    builder.Finish();
    if (read.fault == TableFault::TableOk && read.papers.empty()) read.fault = TableFault::Empty;
    return read;
}

namespace {

std::string ColumnLabel(int column) {
    static constexpr LabelId kLabels[COL_COUNT] = {LAB_PAPER, LAB_SIZE, LAB_WEIGHT_FIELD, LAB_COLOR, LAB_TYPE, LAB_FORCE_ONE_SIDED};
    if (column < 0 || column >= COL_COUNT) return InterfaceMessage(MSG_ROW_WHOLE);
    return InterfaceLabel(kLabels[column], TF_NO_AMPERSAND | TF_NO_COLON);
}

// A header fault names the column as a header names it, not as the form labels its field.
std::string HeaderName(int column) {
    if (column < 0 || column >= COL_COUNT) return InterfaceMessage(MSG_ROW_WHOLE);
    return kHeaderNames[column];
}

std::string RefusedCharacters() {
    std::string list;
    for (const char* c = ForbiddenCharacters; *c; ++c) {
        if (!list.empty()) list += ' ';
        list += *c;
    }
    return list;
}

std::string Reason(const RowRefusal& refusal) {
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
        case FieldFault::NotDigits: return FormatText(InterfaceMessage(MSG_ROW_NOT_DIGITS), {refusal.value});
        case FieldFault::OutOfRange:
            return FormatText(InterfaceMessage(MSG_ROW_OUT_OF_RANGE),
                              {refusal.value, std::to_string(AppState.MinimumPaperWeight),
                               std::to_string(AppState.MaximumPaperWeight)});
        case FieldFault::FieldOk: break;
        }
        return {};
    case RowFault::UnknownSize: return FormatText(InterfaceMessage(MSG_ROW_UNKNOWN_SIZE), {refusal.value});
    case RowFault::NotYesNo: return FormatText(InterfaceMessage(MSG_ROW_NOT_YES_NO), {refusal.value});
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
    }
    return {};
}

}  // namespace

std::vector<std::string> PaperTableRefusalLines(const PaperTableRead& read, TableUse use) {
    std::vector<std::string> lines;
    if (read.ok()) return lines;
    const MessageId heading = use == TableUse::Paste    ? MSG_TABLE_NOT_PASTED
                              : use == TableUse::Import ? MSG_TABLE_NOT_IMPORTED
                                                        : MSG_TABLE_NOT_MERGED;
    lines.push_back(InterfaceMessage(heading));
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
        lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_UNKNOWN_HEADER), {read.headerCell}));
        break;
    case TableFault::MissingColumn:
        lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_MISSING_COLUMN), {HeaderName(read.missingColumn)}));
        break;
    case TableFault::RepeatedColumn:
        lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_REPEATED_COLUMN), {HeaderName(read.missingColumn)}));
        break;
    case TableFault::RowsRefused: {
        lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_ROWS_REFUSED), {std::to_string(read.refusedRows)}));
        constexpr size_t kShown = 10;
        for (size_t i = 0; i < read.refusals.size() && i < kShown; ++i) {
            const RowRefusal& refusal = read.refusals[i];
            lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_ROW_LINE),
                                       {std::to_string(refusal.line), refusal.name, ColumnLabel(refusal.column),
                                        Reason(refusal)}));
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

std::string PaperTableRefusalMessage(const PaperTableRead& read, TableUse use) {
    std::string message;
    for (const std::string& line : PaperTableRefusalLines(read, use)) {
        if (!message.empty()) message += '\n';
        message += line;
    }
    return message;
}

void AppendTableCell(std::string& out, std::string_view cell, char separator) {
    const bool quote = cell.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string_view::npos ||
                       (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
    if (!quote) {
        out += cell;
        return;
    }
    out += '"';
    for (char c : cell) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::string WritePaperTable(const std::vector<CPaperDef>& papers, char separator, TableEncoding encoding) {
    std::string text;
    text.reserve(48 + papers.size() * 48);
    const auto row = [&](std::initializer_list<std::string_view> cells) {
        bool first = true;
        for (std::string_view cell : cells) {
            if (!first) text += separator;
            first = false;
            AppendTableCell(text, cell, separator);
        }
        text += "\r\n";
    };
    row({kHeaderNames[0], kHeaderNames[1], kHeaderNames[2], kHeaderNames[3], kHeaderNames[4], kHeaderNames[5]});
    for (const CPaperDef& paper : papers) {
        row({paper.Name, paper.Size, paper.Weight, paper.Color, paper.Type, paper.ForceOneSided ? "yes" : "no"});
    }
    if (encoding == TableEncoding::CodePage1252) return text;
    return "\xEF\xBB\xBF" + Cp1252ToUtf8(text);
}
