// Times the spreadsheet file against the catalog file (export, then read back
// and import) for 10,000 papers, and a merge of 10,000 papers into a catalog
// of 10,000 (half of them the same names with other weights, half new)
// against the catalog file's round trip of the same papers. Exit code 1 when
// a median misses its limit or the timed work does not give what it should.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "catalog/CatalogMerge.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperTable.h"
#include "platform/System.h"
#include "state/AppState.h"

namespace {

constexpr int kRuns = 5;
// The spreadsheet's cells are quoted and checked one by one; the catalog
// file's are not.
constexpr double kCsvOverCatalogFile = 1.5;
// A merge looks each name up once: less work than writing and parsing a file.
constexpr double kMergeOverCatalogFile = 1;

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
#ifdef _WIN32
    Judge judge("table_bench (Windows build)");
#else
    Judge judge("table_bench (native build)");
#endif

    int catCount = 0;
    const Timing catalogFile = Time(kRuns, [&] {
        catalog.ExportToFile(catPath);
        CPaperCatalog back;
        if (back.CheckImportFile(catPath) == STORE_OK) back.ImportFromFile(catPath);
        catCount = back.GetCount();
    });
    int csvCount = 0;
    const Timing csvFile = Time(kRuns, [&] {
        ExportTableFile(catalog, csvPath);
        std::string bytes;
        platform::ReadWholeFile(csvPath, bytes);
        const PaperTableRead read = ReadPaperTable(bytes);
        CPaperCatalog back;
        back.AppendPapers(read.papers);
        csvCount = back.GetCount();
    });
    if (catCount != kCount) judge.Fail("the catalog file read back " + std::to_string(catCount) + " papers");
    if (csvCount != kCount) judge.Fail("the CSV file read back " + std::to_string(csvCount) + " papers");

    // Half the names already there (other weights), half new.
    const CPaperCatalog incoming = MakeCatalog(kCount, 3, kCount / 2);
    std::vector<CPaperDef> papers;
    for (int i = 0; i < incoming.GetCount(); ++i) papers.push_back(incoming.GetPaper(i));
    MergePlan plan;
    int merged = 0;
    const Timing merge = Time(kRuns, [&] {
        CPaperCatalog target = catalog;
        plan = PlanMerge(target, papers);
        ApplyMerge(target, plan);
        merged = target.GetCount();
    });
    if (plan.added.size() != kCount / 2 || plan.changed.size() != kCount / 2 || merged != kCount + kCount / 2) {
        judge.Fail("the merge added " + std::to_string(plan.added.size()) + " and changed " +
                   std::to_string(plan.changed.size()) + " papers");
    }

    std::printf("Spreadsheet files and Merge, %d papers, milliseconds, median of %d runs\n\n", kCount, kRuns);
    judge.Show("catalog file: export, check + import", catalogFile);
    judge.Hold("CSV file: export, read + import", csvFile, kCsvOverCatalogFile * catalogFile.Median(),
               "1.5 x catalog file");
    judge.Hold("merge 10,000 into 10,000: plan + apply", merge, kMergeOverCatalogFile * catalogFile.Median(),
               "1 x catalog file");
    std::filesystem::remove(catPath);
    std::filesystem::remove(csvPath);
    return judge.Finish();
}
