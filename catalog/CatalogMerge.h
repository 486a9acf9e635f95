// Papers from another file brought into a catalog: the spreadsheet file's
// name rule and its export, and Merge, which adds the file's new papers and
// writes its fields over the same-named ones but never removes or renames one.
#pragma once

#include <string>
#include <vector>

#include "catalog/CatalogDifference.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperTable.h"

// A name ending in ".csv" (letter case ignored) is written as a spreadsheet
// file, any other as a catalog file. Files read are told apart by their
// content (PapersFileKind.h).
bool IsTableFileName(const std::string& path);

// The catalog as a CSV file: UTF-8 with its mark, header, commas, through the
// export's safe replace. Answers whether the file was written completely;
// `lost` receives the papers that would not import back as they are.
bool ExportTableFile(const CPaperCatalog& catalog, const std::string& path, StoreReport* report = nullptr,
                     NotReadBack* lost = nullptr);

struct MergeChange {
    int index = 0;                      // of the paper in the catalog
    CPaperDef paper;                    // its fields after the merge, its name kept
    std::vector<FieldChange> changes;   // what differs, stored forms ("T"/"F" for the flag)
};

struct MergePlan {
    std::vector<CPaperDef> added;       // in the file's order, for the end of the catalog
    std::vector<MergeChange> changed;   // in the catalog's order
    int leftAlone = 0;                  // the catalog's papers the merge does not change
    // Where the file's row for the default paper differs from it: what the
    // merge leaves alone, since the default paper keeps its fields.
    std::vector<FieldChange> defaultKept;
    bool Empty() const { return added.empty() && changed.empty(); }
};

// Names are compared as the registry compares them (letter case ignored); the
// first paper of a name in the catalog is the one written over. The default
// paper keeps its fields, as the form keeps them.
MergePlan PlanMerge(const CPaperCatalog& catalog, const std::vector<CPaperDef>& incoming);
void ApplyMerge(CPaperCatalog& catalog, const MergePlan& plan);

// The plan as the Compare view words it, one line per paper in `language`,
// positions after the merge.
std::vector<std::string> DescribeMerge(const MergePlan& plan, int catalogCount, int16_t language);
