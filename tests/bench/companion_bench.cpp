// Times the command-line companion's /import of a 10,000-paper catalog file
// against the bare work it cannot do without, measured in the same run:
// reading the file as Import does and saving the catalog into the key with
// the store's own save. The companion adds the configuration, the checks and
// the backup of what the key held. Every /import must succeed: a failed one
// is no figure. Exit code 1 when the median misses or an /import fails.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchSupport.h"
#include "catalog/PaperCatalog.h"
#include "cmd/Commands.h"
#include "platform/Registry.h"
#include "state/AppState.h"

namespace {

const char* const kKey = "SOFTWARE\\QuandrelBench\\Companion";
constexpr int kRuns = 5;
// The backup writes the stored catalog as a file, about what the read of the
// file costs; the rest is the configuration and the checks.
constexpr double kImportOverBare = 2;

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
    MakeCatalog(kPapers).ExportToFile("papers.cat");
    platform::DeleteKeyTree(kKey);
#ifdef _WIN32
    Judge judge("companion_bench (Windows build)");
#else
    Judge judge("companion_bench (native build)");
#endif

    // Each run replaces a key that already holds the same catalog, as a
    // deployment run on a PC that is up to date does.
    int worst = 0;
    std::string said;
    const auto runImport = [&] {
        CommandOutput output;
        const int code = RunCommand({"/import", "papers.cat", "Bench"}, output);
        if (code != 0 && worst == 0) {
            for (const std::string& line : output.err) said += line + " ";
        }
        worst = std::max(worst, code);
    };
    runImport();
    bool saved = true;
    const Timing bare = Time(kRuns, [&] {
        CPaperCatalog catalog;
        if (catalog.CheckImportFile("papers.cat") == STORE_OK) catalog.ImportFromFile("papers.cat");
        saved = catalog.GetCount() == kPapers && catalog.SaveToRegistry(kKey, false) == STORE_OK && saved;
    });
    const Timing companion = Time(kRuns, runImport);
    if (!saved) judge.Fail("the bare read and save failed");
    if (worst != 0) judge.Fail("/import ended with exit code " + std::to_string(worst) + ": " + said);
    CPaperCatalog stored;
    if (stored.LoadFromRegistry(kKey, "PS") != STORE_OK || stored.GetCount() != kPapers) {
        judge.Fail("the key holds " + std::to_string(stored.GetCount()) + " papers after /import");
    }

    std::printf("Companion /import of %d papers, milliseconds, median of %d runs\n\n", kPapers, kRuns);
    judge.Show("  file read + store's save", bare);
    judge.Hold("/import", companion, kImportOverBare * bare.Median(), "2 x (file read + store's save)");
    platform::DeleteKeyTree("SOFTWARE\\QuandrelBench");
    fs::current_path(dir.parent_path());
    fs::remove_all(dir);
    return judge.Finish();
}
