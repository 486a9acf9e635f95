// Times the command-line companion's /import of a 10,000-paper catalog file
// against the bare work it cannot do without: reading the file as Import does
// and saving the catalog into the key. The companion adds the configuration,
// the checks and the backup of what the key held. Prints a table; not a test.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "catalog/PaperCatalog.h"
#include "BenchSupport.h"
#include "cmd/Commands.h"
#include "platform/Registry.h"
#include "state/AppState.h"

namespace {

const char* const kKey = "SOFTWARE\\QuandrelBench\\Companion";

}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "quandrel-companion-bench";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    {
        std::ofstream config("Vellicor.cfg", std::ios::binary);
        config << "[I18N]\r\nLanguage=English\r\n[Backups]\r\nFolder=" << (dir / "Backups").string()
               << "\r\n[Windows NT]\r\nCatalog_01=Bench\r\nPDL_01=PS\r\nRegistry_01=" << kKey << "\r\n";
    }
    constexpr int kPapers = 10000;
    AppState.CurrentLanguage = 1;
    AppState.SizeChoiceCount = 9;
    {
        CPaperCatalog catalog;
        for (int i = 0; i < kPapers; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Paper%06d", i);
            catalog.AddPaper(name, "A4", std::to_string(60 + i % 140), "white", "plain", i % 7 == 0, i);
        }
        catalog.ExportToFile("papers.cat");
    }
    platform::DeleteKeyTree(kKey);

    // Each run replaces a key that already holds the same catalog, as a
    // deployment run on a PC that is up to date does.
    CommandOutput output;
    int code = RunCommand({"/import", "papers.cat", "Bench"}, output);
    const double bare = BestOfThree([] {
        CPaperCatalog catalog;
        catalog.CheckImportFile("papers.cat");
        catalog.ImportFromFile("papers.cat");
        catalog.SaveToRegistry(kKey, false);
    });
    const double companion = BestOfThree([&] {
        CommandOutput each;
        code = std::max(code, RunCommand({"/import", "papers.cat", "Bench"}, each));
    });
    std::printf("Companion /import of %d papers, seconds, best of three runs\n\n", kPapers);
    std::printf("%12s %12s %8s %6s\n", "load+save", "/import", "ratio", "exit");
    std::printf("%12.3f %12.3f %8.2f %6d\n", bare, companion, companion / bare, code);
    platform::DeleteKeyTree("SOFTWARE\\QuandrelBench");
    fs::current_path(dir.parent_path());
    fs::remove_all(dir);
    return 0;
}
