// Reading a table: the parts joined in order, the header found, every row
// taken or refused.
#include "catalog/PaperTable.h"

#include <algorithm>
#include <deque>

#include "catalog/PaperTableRows.h"
#include "catalog/TableCatalogLines.h"
#include "catalog/TableDialect.h"
#include "catalog/TableHeader.h"
#include "catalog/TableRecords.h"
#include "catalog/TableText.h"

namespace {

// Takes the records one by one as they are read: the header, then every row.
class TableBuilder {
public:
    TableBuilder(const TableText& text, bool catalogLines, const PaperTableOptions& options, PaperTableRead& read)
        : text_(text), catalogLines_(catalogLines), rows_(options), read_(read), keep_(options.keepAcceptedRows) {
        if (catalogLines_) searching_ = false;
        if (!searching_) DefaultColumns();
    }

    // False once the header refuses the whole text.
    bool Take(TableRecord&& record) {
        MarkNotUtf8(record);
        if (record.Empty()) return true;
        if (!searching_) {
            TakeRow(record);
            return true;
        }
        std::string unnamed;
        switch (JudgeLeadingRow(record, words_, unnamed, [this](std::string_view cell) { return rows_.IsSize(cell); })) {
        case LeadingRow::Header: {
            searching_ = false;
            titles_.clear();
            headed_ = true;
            HeaderColumns header = ReadHeaderColumns(record, words_);
            if (header.fault != TableFault::TableOk) {
                read_.fault = header.fault;
                read_.missingColumn = header.column;
                return false;
            }
            columnOfCell_ = std::move(header.columnOfCell);
            return true;
        }
        case LeadingRow::NamesNoColumn:
            read_.fault = TableFault::UnknownHeader;
            read_.headerCell = unnamed;
            return false;
        case LeadingRow::Title:
            titles_.push_back(std::move(record));
            if (titles_.size() > kMaxTitleRows) EndSearch();
            return true;
        case LeadingRow::Data:
            EndSearch();
            TakeRow(record);
            return true;
        }
        return true;
    }

    void Finish() {
        if (read_.fault != TableFault::TableOk) return;
        if (searching_) EndSearch();
        if (rowCount_ == 0) {
            read_.fault = headed_ ? TableFault::HeaderOnly : TableFault::Empty;
            return;
        }
        if (read_.refusedRows == 0) return;
        const bool noTable = catalogLines_ ? !anyPaperLine_ : !anyShapedRow_;
        read_.fault = noTable ? TableFault::NoPaperRow : TableFault::RowsRefused;
        if (!keep_) {
            read_.papers.clear();
            read_.lines.clear();
        }
    }

private:
    void DefaultColumns() {
        columnOfCell_.clear();
        for (int column = 0; column < COL_COUNT; ++column) columnOfCell_.push_back(column);
    }

    // No header above the rows: the title rows held back are rows of the table.
    void EndSearch() {
        searching_ = false;
        DefaultColumns();
        std::deque<TableRecord> held;
        held.swap(titles_);
        for (const TableRecord& title : held) TakeRow(title);
    }

    void MarkNotUtf8(TableRecord& record) {
        const std::vector<size_t>& marks = text_.notUtf8;
        const auto first = std::lower_bound(marks.begin(), marks.end(), record.begin);
        record.notUtf8 = first != marks.end() && *first < record.end;
    }

    void TakeRow(const TableRecord& record) {
        ++rowCount_;
        RowRefusal refusal;
        refusal.line = record.row;
        refusal.name = record.cells.empty() ? std::string() : record.cells.front();
        if (record.notPaperLine) {
            refusal.fault = RowFault::NotAPaperLine;
            // The line itself stands for the name it does not have.
            refusal.value = record.cells.front();
            refusal.name = refusal.value.substr(0, kMaxNameLength);
            Refuse(std::move(refusal));
            return;
        }
        if (record.unclosed) {
            refusal.fault = RowFault::QuoteNotClosed;
            anyShapedRow_ = true;
            Refuse(std::move(refusal));
            return;
        }
        if (record.notUtf8) {
            // Checked before the row's shape: its cells may be split wrongly too.
            refusal.fault = RowFault::NotUtf8;
            anyShapedRow_ = true;
            anyPaperLine_ = true;
            Refuse(std::move(refusal));
            return;
        }
        if (!headed_ && !catalogLines_ && record.cells.size() < COL_FORCE_ONE_SIDED) {
            refusal.fault = RowFault::TooFewColumns;
            refusal.count = static_cast<int>(record.cells.size());
            Refuse(std::move(refusal));
            return;
        }
        anyShapedRow_ = true;
        anyPaperLine_ = true;
        CPaperDef paper;
        if (rows_.Read(record, columnOfCell_, paper, refusal)) {
            // Once a row is refused nothing is taken: only the refusals go on counting.
            if (read_.refusedRows == 0 || keep_) {
                read_.papers.push_back(std::move(paper));
                read_.lines.push_back(record.row);
            }
        } else {
            Refuse(std::move(refusal));
        }
    }

    void Refuse(RowRefusal&& refusal) {
        ++read_.refusedRows;
        if (read_.refusals.size() < kMaxRowRefusalsKept) read_.refusals.push_back(std::move(refusal));
    }

    const TableText& text_;
    const bool catalogLines_;
    const HeaderWords words_;
    PaperRowReader rows_;
    PaperTableRead& read_;
    const bool keep_;
    std::vector<int> columnOfCell_;
    std::deque<TableRecord> titles_;  // rows above a header that may still come
    bool searching_ = true;
    bool headed_ = false;
    bool anyShapedRow_ = false;
    bool anyPaperLine_ = false;
    size_t rowCount_ = 0;
};

TableFault FaultOfText(TextFault fault) {
    switch (fault) {
    case TextFault::TooLarge: return TableFault::TooLarge;
    case TextFault::NulBytes: return TableFault::NulBytes;
    case TextFault::SpreadsheetFile: return TableFault::SpreadsheetFile;
    case TextFault::TextOk: break;
    }
    return TableFault::TableOk;
}

}  // namespace

PaperTableRead ReadPaperTable(std::string_view bytes, const PaperTableOptions& options) {
    PaperTableRead read;
    const TableText text = DecodeTableBytes(bytes, options.codePage1252);
    if (text.fault != TextFault::TextOk) {
        read.fault = FaultOfText(text.fault);
        return read;
    }
    // The first line that holds anything decides the kind of text.
    const std::string_view view = text.text;
    const size_t start = view.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        read.fault = TableFault::Empty;
        return read;
    }
    const size_t lineEnd = view.find_first_of("\r\n", start);
    const bool catalogLines =
        IsCatalogFileLine(view.substr(start, lineEnd == std::string_view::npos ? lineEnd : lineEnd - start));
    TableBuilder builder(text, catalogLines, options, read);
    if (catalogLines) {
        ReadCatalogFileLines(view, [&builder](TableRecord&& record) { return builder.Take(std::move(record)); });
    } else {
        TableRecordReader records(view, SniffDialect(view));
        TableRecord record;
        while (records.Next(record)) {
            if (!builder.Take(std::move(record))) break;
        }
    }
    builder.Finish();
    if (read.fault == TableFault::TableOk && read.papers.empty()) read.fault = TableFault::Empty;
    return read;
}
