#include "catalog/CatalogMerge.h"

#include <unordered_map>

#include "platform/FileReplace.h"
#include "platform/Registry.h"
#include "state/AppState.h"

bool IsTableFileName(const std::string& path) {
    if (path.size() < 4) return false;
    return platform::FoldRegistryName(path.substr(path.size() - 4)) == ".CSV";
}

bool ExportTableFile(const CPaperCatalog& catalog, const std::string& path, StoreReport* report, NotReadBack* lost) {
    std::vector<CPaperDef> papers;
    papers.reserve(static_cast<size_t>(catalog.GetCount()));
    for (int i = 0; i < catalog.GetCount(); ++i) papers.push_back(catalog.GetPaper(i));
    platform::ReplaceFailure failure;
    const bool written = platform::WriteFileReplacing(path, WritePaperTable(papers, ',', TableEncoding::Utf8WithMark), &failure);
    if (report) {
        *report = StoreReport{};
        if (!written) {
            report->SystemError = failure.error;
            report->Kept = failure.kept;
        }
    }
    if (lost) *lost = written ? PapersNotReadBack(papers) : NotReadBack{};
    return written;
}

namespace {

std::vector<FieldChange> ChangedFields(const CPaperDef& old, const CPaperDef& now) {
    std::vector<FieldChange> changes;
    for (int attribute : {PA_SIZE, PA_WEIGHT, PA_COLOR, PA_TYPE}) {
        if (old.GetText(attribute) != now.GetText(attribute))
            changes.push_back({attribute, old.GetText(attribute), now.GetText(attribute)});
    }
    if (old.ForceOneSided != now.ForceOneSided)
        changes.push_back({PA_FORCE_ONE_SIDED, old.ForceOneSided ? "T" : "F", now.ForceOneSided ? "T" : "F"});
    return changes;
}

}  // namespace

MergePlan PlanMerge(const CPaperCatalog& catalog, const std::vector<CPaperDef>& incoming) {
    MergePlan plan;
    std::unordered_map<std::string, int> indexOf;
    indexOf.reserve(static_cast<size_t>(catalog.GetCount()) * 2);
    for (int i = 0; i < catalog.GetCount(); ++i) indexOf.emplace(platform::FoldRegistryName(catalog.GetPaper(i).Name), i);
    // A paper the file names twice is written over once, by its last row.
    std::unordered_map<int, size_t> changedAt;
    std::unordered_map<std::string, size_t> addedAt;
    for (const CPaperDef& paper : incoming) {
        const std::string folded = platform::FoldRegistryName(paper.Name);
        const auto found = indexOf.find(folded);
        if (found == indexOf.end()) {
            if (const auto again = addedAt.find(folded); again != addedAt.end()) {
                plan.added[again->second] = paper;
                continue;
            }
            addedAt.emplace(folded, plan.added.size());
            plan.added.push_back(paper);
            continue;
        }
        const CPaperDef current = catalog.GetPaper(found->second);
        CPaperDef merged(current.Name, paper.Size, paper.Weight, paper.Color, paper.Type, paper.ForceOneSided,
                         current.Position);
        if (current.Name == AppState.DefaultPaperName) {
            plan.defaultKept = ChangedFields(current, merged);
            continue;
        }
        std::vector<FieldChange> changes = ChangedFields(current, merged);
        const auto previous = changedAt.find(found->second);
        if (previous != changedAt.end()) {
            plan.changed[previous->second].paper = merged;
            plan.changed[previous->second].changes = std::move(changes);
            continue;
        }
        if (changes.empty()) continue;
        changedAt.emplace(found->second, plan.changed.size());
        plan.changed.push_back({found->second, std::move(merged), std::move(changes)});
    }
    std::erase_if(plan.changed, [](const MergeChange& change) { return change.changes.empty(); });
    std::sort(plan.changed.begin(), plan.changed.end(),
              [](const MergeChange& a, const MergeChange& b) { return a.index < b.index; });
    plan.leftAlone = catalog.GetCount() - static_cast<int>(plan.changed.size());
    return plan;
}

void ApplyMerge(CPaperCatalog& catalog, const MergePlan& plan) {
    for (const MergeChange& change : plan.changed) {
        const CPaperDef& p = change.paper;
        catalog.SetPaperAt(change.index, p.Name, p.Size, p.Weight, p.Color, p.Type, p.ForceOneSided);
    }
    catalog.AppendPapers(plan.added);
}

std::vector<std::string> DescribeMerge(const MergePlan& plan, int catalogCount, int16_t language) {
    std::vector<std::string> lines;
    lines.reserve(plan.added.size() + plan.changed.size());
    for (const MergeChange& change : plan.changed) {
        lines.push_back(DescribeDifference({PaperDifference::Changed, change.paper.Name, change.index, change.index, change.changes},
                                           language));
    }
    int position = catalogCount;
    for (const CPaperDef& paper : plan.added) {
        lines.push_back(DescribeDifference({PaperDifference::Added, paper.Name, -1, position++, {}}, language));
    }
    return lines;
}
