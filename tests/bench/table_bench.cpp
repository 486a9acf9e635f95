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

#include "catalog/CatalogMerge.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperTable.h"
#include "platform/System.h"
#include "state/AppState.h"

namespace {

using Clock = std::chrono::steady_clock;

// The best of three runs: the machine's other work only ever adds time.
double BestOfThree(const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

CPaperCatalog MakeCatalog(int count, int first, int weightOffset) {
    static const char* const sizes[] = {"LETTER", "LEGAL", "A4", "A3", "TABLOID"};
    static const char* const colors[] = {"white", "blue", "yellow", "red", "green"};
    static const char* const types[] = {"plain", "cover", "color", "tab", "insert"};
    CPaperCatalog catalog;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Paper%06d", first + i);
        catalog.AddPaper(name, sizes[i % 5], std::to_string(60 + (i + weightOffset) % 140), colors[i % 5], types[i % 5],
                         i % 7 == 0, i);
    }
    return catalog;
}

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
    const CPaperCatalog catalog = MakeCatalog(kCount, 0, 0);

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
        const PaperTableRead read = ReadPapersFile(bytes);
        CPaperCatalog back;
        for (const CPaperDef& p : read.papers)
            back.AddPaper(p.Name, p.Size, p.Weight, p.Color, p.Type, p.ForceOneSided, back.GetCount());
        csvCount = back.GetCount();
    });

    // Half the names already there (other weights), half new.
    const CPaperCatalog incoming = MakeCatalog(kCount, kCount / 2, 3);
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
