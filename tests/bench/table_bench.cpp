// Times the spreadsheet file against the catalog file (export, then read back
// and import) for 10,000 papers, and a merge of 10,000 papers into a catalog
// of 10,000 (half of them the same names with other weights, half new).
// Prints a table; not a test.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "catalog/CatalogMerge.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperTable.h"
#include "platform/System.h"
#include "state/AppState.h"

namespace {

}  // namespace

int main() {
    AppState.CurrentLanguage = 1;
    AppState.SizeChoiceCount = 9;
    AppState.MinimumPaperWeight = 60;
    AppState.MaximumPaperWeight = 200;
    const auto dir = std::filesystem::temp_directory_path();
    const std::string catPath = (dir / "quandrel-table-bench.cat").string();
    const std::string csvPath = (dir / "quandrel-table-bench.csv").string();
    constexpr int kCount = 10000;
    const CPaperCatalog catalog = MakeCatalog(kCount);

    const double catalogFile = BestOfThree([&] {
        catalog.ExportToFile(catPath);
        CPaperCatalog back;
        if (back.CheckImportFile(catPath) == 0) back.ImportFromFile(catPath);
    });
    int csvCount = 0;
    const double csvFile = BestOfThree([&] {
        ExportTableFile(catalog, csvPath);
        std::string bytes;
        platform::ReadWholeFile(csvPath, bytes);
        const PaperTableRead read = ReadPaperTable(bytes);
        CPaperCatalog back;
        for (const CPaperDef& p : read.papers)
            back.AddPaper(p.Name, p.Size, p.Weight, p.Color, p.Type, p.ForceOneSided, back.GetCount());
        csvCount = back.GetCount();
    });

    // Half the names already there (other weights), half new.
    const CPaperCatalog incoming = MakeCatalog(kCount, 3, kCount / 2);
    std::vector<CPaperDef> papers;
    for (int i = 0; i < incoming.GetCount(); ++i) papers.push_back(incoming.GetPaper(i));
    MergePlan plan;
    const double merge = BestOfThree([&] {
        CPaperCatalog target = catalog;
        plan = PlanMerge(target, papers);
        ApplyMerge(target, plan);
    });

#ifdef _WIN32
    const char* where = "Windows build";
#else
    const char* where = "native build";
#endif
    std::printf("Spreadsheet files and Merge (%s), %d papers, seconds, best of three runs\n\n", where, kCount);
    std::printf("%-44s %9.4f\n", "catalog file: export, check + import", catalogFile);
    std::printf("%-44s %9.4f   ratio %.2f (at most 1.5)   %d papers read back\n", "CSV file: export, read + import", csvFile,
                csvFile / catalogFile, csvCount);
    std::printf("%-44s %9.4f   (at most 0.5)   %zu added, %zu changed\n", "merge 10,000 into 10,000: plan + apply", merge,
                plan.added.size(), plan.changed.size());
    std::filesystem::remove(catPath);
    std::filesystem::remove(csvPath);
    return 0;
}
