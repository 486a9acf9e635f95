// Shared by the catalog tests: papers and catalogs written as one line each,
// so that a failed comparison shows every field of both sides.
#pragma once

#include <string>
#include <vector>

#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"

inline std::string Describe(const CPaperDef& paper) {
    return paper.Name + "|" + paper.Size + "|" + paper.Weight + "|" + paper.Color + "|" + paper.Type + "|" +
           (paper.ForceOneSided ? "T" : "F") + "|" + std::to_string(paper.Position);
}

// Name and position of every paper, in catalog order: "A@0 B@1".
inline std::string NamesAndPositions(const CPaperCatalog& catalog) {
    std::string text;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const CPaperDef paper = catalog.GetPaper(i);
        if (!text.empty()) text += ' ';
        text += paper.Name + "@" + std::to_string(paper.Position);
    }
    return text;
}

inline std::string DescribeAll(const CPaperCatalog& catalog) {
    std::string text;
    for (int i = 0; i < catalog.GetCount(); ++i) text += Describe(catalog.GetPaper(i)) + "\n";
    return text;
}

// A catalog of these papers in this order, each at its index.
inline CPaperCatalog CatalogOfPapers(const std::vector<CPaperDef>& papers) {
    CPaperCatalog catalog;
    catalog.AppendPapers(papers);
    return catalog;
}
