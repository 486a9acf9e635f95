// Shared by the tests: papers and catalogs written as one line each, so that
// a failed comparison shows every field of both sides; catalogs made of a few
// papers; whole files written and read.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "state/AppState.h"
#include "text/StringLists.h"

// A fresh state in English with every size offered and the weights from 60 gsm
// to `maximumWeight`, as the readers of papers are tested.
inline void ResetToEnglishPapers(int32_t maximumWeight = 200) {
    AppState.Reset();
    AppState.CurrentLanguage = kEnglish;
    AppState.SizeChoiceCount = 9;
    AppState.MinimumPaperWeight = 60;
    AppState.MaximumPaperWeight = maximumWeight;
}

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

// A catalog of these papers in this order: "Name" (A4, 80 gsm, `color`,
// `type`, not forced) or "Name:size,weight,colour,type,T|F".
inline CPaperCatalog CatalogOf(const std::vector<std::string>& papers, const std::string& color = "white",
                               const std::string& type = "plain") {
    CPaperCatalog catalog;
    for (const std::string& text : papers) {
        const size_t colon = text.find(':');
        std::string fields[5] = {"A4", "80", color, type, "F"};
        if (colon != std::string::npos) {
            size_t start = colon + 1;
            for (std::string& field : fields) {
                const size_t comma = text.find(',', start);
                field = text.substr(start, comma - start);
                start = comma == std::string::npos ? text.size() : comma + 1;
            }
        }
        catalog.AddPaper(text.substr(0, colon), fields[0], fields[1], fields[2], fields[3], fields[4] == "T",
                         catalog.GetCount());
    }
    return catalog;
}

// A whole file's bytes, written over what was there, or read ("" when it cannot be).
inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    EXPECT_TRUE(out) << path;
}

inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
