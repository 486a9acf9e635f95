// Reading arbitrary bytes as a table of papers: no crash, and what is accepted
// keeps the form's rules, reads back the same after writing, and is refused
// with rows that name real lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "catalog/PaperRules.h"
#include "catalog/PaperTable.h"
#include "state/AppState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AppState.SizeChoiceCount = 9;
    AppState.CurrentLanguage = 1;
    AppState.MinimumPaperWeight = 60;
    AppState.MaximumPaperWeight = 200;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const PaperTableRead read = ReadPaperTable(text);
    if (!read.ok()) {
        if (read.papers.size() != 0 || PaperTableRefusalLines(read, TableUse::Import).size() < 2) std::abort();
        for (const RowRefusal& refusal : read.refusals)
            if (refusal.line < 1 || static_cast<size_t>(refusal.line) > size + 1) std::abort();
        return 0;
    }
    if (read.papers.empty() || read.papers.size() != read.lines.size()) std::abort();
    for (const CPaperDef& paper : read.papers) {
        if (CheckCompleteField(PA_NAME, paper.Name, nullptr, Blanks::Inside) != FieldFault::FieldOk ||
            CheckCompleteField(PA_WEIGHT, paper.Weight, nullptr, Blanks::Inside) != FieldFault::FieldOk ||
            CheckCompleteField(PA_COLOR, paper.Color, nullptr, Blanks::Inside) != FieldFault::FieldOk ||
            CheckCompleteField(PA_TYPE, paper.Type, nullptr, Blanks::Inside) != FieldFault::FieldOk)
            std::abort();
    }
    const PaperTableRead again = ReadPaperTable(WritePaperTable(read.papers, ',', TableEncoding::Utf8WithMark));
    if (!again.ok() || again.papers.size() != read.papers.size()) std::abort();
    for (size_t i = 0; i < read.papers.size(); ++i) {
        const CPaperDef& a = read.papers[i];
        const CPaperDef& b = again.papers[i];
        if (a.Name != b.Name || a.Size != b.Size || a.Weight != b.Weight || a.Color != b.Color || a.Type != b.Type ||
            a.ForceOneSided != b.ForceOneSided)
            std::abort();
    }
    return 0;
}
