// Times the catalog's storage: the catalog file (export, check + import) and
// the registry store (save, load) for 1,000, 10,000 and 30,000 papers, against
// the bare registry calls a save and a load cannot do without. Under Wine it
// also times the per-key profile functions the file format was designed for.
// Prints a table; not a test.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "catalog/CatalogBackup.h"
#include "catalog/CatalogSave.h"
#include "catalog/PaperCatalog.h"
#include "platform/Registry.h"
#include "state/AppState.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const char* const kKey = "SOFTWARE\\QuandrelBench\\Catalog";
const char* const kBareKey = "SOFTWARE\\QuandrelBench\\Bare";

// One set per paper, as a save must do at least.
double BareSets(const CPaperCatalog& catalog) {
    std::vector<std::pair<std::string, std::string>> values;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        std::string name, data;
        catalog.GetPaper(i).FormatKeywordValue(name, data);
        values.emplace_back(std::move(name), std::move(data));
    }
    platform::RegKey key;
    uint32_t disposition = 0;
    platform::CreateOrOpenKey(kBareKey, key, disposition);
    return BestOfThree([&] {
        for (const auto& [name, data] : values) platform::SetStringValue(key, name, data);
    });
}

// One enumeration per value, as a load must do at least.
double BareEnumerations() {
    platform::RegKey key;
    platform::OpenKeyForReading(kBareKey, key);
    return BestOfThree([&] {
        platform::RegValue value;
        for (uint32_t i = 0; platform::EnumValue(key, i, 64, 128, value) == platform::kRegOk; ++i) {
        }
    });
}

#ifdef _WIN32
// The per-key profile functions: one WritePrivateProfileStringA per paper after
// the banner, one GetPrivateProfileStringA per key when reading.
double ProfileFunctionsRoundTrip(const CPaperCatalog& catalog, const std::string& path) {
    return Seconds([&] {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs("[Paper Catalog]\r\n;\r\n", f);
        std::fclose(f);
        for (int i = 0; i < catalog.GetCount(); ++i) {
            const CPaperDef p = catalog.GetPaper(i);
            char key[32];
            std::snprintf(key, sizeof key, "Paper_%03d", i);
            const std::string value = p.Name + "," + p.Size + "," + p.Weight + "," + p.Color + "," + p.Type + "," +
                                      (p.ForceOneSided ? "T" : "F");
            WritePrivateProfileStringA("Papers", key, value.c_str(), path.c_str());
        }
        char buffer[128];
        for (int i = 0;; ++i) {
            char key[32];
            std::snprintf(key, sizeof key, "Paper_%03d", i);
            if (GetPrivateProfileStringA("Papers", key, "", buffer, sizeof buffer, path.c_str()) == 0) break;
        }
    });
}
#endif

}  // namespace

int main() {
    AppState.CurrentLanguage = 1;
    AppState.SizeChoiceCount = 9;
    const std::string path = (std::filesystem::temp_directory_path() / "quandrel-bench.cat").string();
#ifdef _WIN32
    const char* where = "Windows build";
#else
    const char* where = "native build";
#endif
    std::printf("Catalog storage (%s), seconds, best of three runs\n\n", where);
    std::printf("%8s %8s %8s %8s %8s %8s %8s %8s %8s %7s %7s %7s\n", "papers", "export", "import", "file", "save",
                "save-all", "load", "b-set", "b-enum", "save/s", "all/se", "load/e");

    // A first round that is not counted: the first registry and file calls of
    // a process pay for loading and caches.
    {
        const CPaperCatalog warmUp = MakeCatalog(1000);
        warmUp.ExportToFile(path);
        warmUp.SaveToRegistry(kKey, false);
        CPaperCatalog back;
        back.LoadFromRegistry(kKey, "PS");
        BareSets(warmUp);
        BareEnumerations();
    }

    double perPaperAt1000 = 0;
    double perPaperAt30000 = 0;
    for (int count : {1000, 10000, 30000}) {
        platform::DeleteKeyTree("SOFTWARE\\QuandrelBench");
        const CPaperCatalog catalog = MakeCatalog(count);

        const double exportTime = BestOfThree([&] { catalog.ExportToFile(path); });
        CPaperCatalog imported;
        const double importTime = BestOfThree([&] {
            imported = CPaperCatalog();
            if (imported.CheckImportFile(path) == 0) imported.ImportFromFile(path);
        });
        if (imported.GetCount() != count) std::printf("  import read %d papers!\n", imported.GetCount());

        // A save over the catalog's previous save, as Save does after an edit.
        catalog.SaveToRegistry(kKey, false);
        const double saveTime = BestOfThree([&] { catalog.SaveToRegistry(kKey, false); });
        // A save in which every paper changed: each value is written afresh.
        const CPaperCatalog changed = MakeCatalog(count, 1);
        double changedSave = 1e9;
        for (int run = 0; run < 3; ++run) {
            catalog.SaveToRegistry(kKey, false);
            changedSave = std::min(changedSave, Seconds([&] { changed.SaveToRegistry(kKey, false); }));
        }
        catalog.SaveToRegistry(kKey, false);
        CPaperCatalog loaded;
        const double loadTime = BestOfThree([&] {
            loaded = CPaperCatalog();
            loaded.LoadFromRegistry(kKey, "PS");
        });
        if (loaded.GetCount() != count) std::printf("  load read %d papers!\n", loaded.GetCount());

        BareSets(catalog);  // the key holds them once before, as for the save
        const double bareSet = BareSets(catalog);
        const double bareEnum = BareEnumerations();

        std::printf("%8d %8.4f %8.4f %8.4f %8.4f %8.4f %8.4f %8.4f %8.4f %7.2f %7.2f %7.2f\n", count, exportTime,
                    importTime, exportTime + importTime, saveTime, changedSave, loadTime, bareSet, bareEnum,
                    saveTime / bareSet, changedSave / (bareSet + bareEnum), loadTime / bareEnum);
        const double perPaper = (exportTime + importTime + saveTime + loadTime) / count;
        if (count == 1000) perPaperAt1000 = perPaper;
        if (count == 30000) perPaperAt30000 = perPaper;
    }
    std::printf("\nsave: the same catalog saved again (values that hold their text already are not rewritten);\n"
                "save-all: a save in which every paper changed. b-set: one RegSetValueExA per paper; b-enum: one\n"
                "RegEnumValueA per value. save/s = save / b-set; all/se = save-all / (b-set + b-enum): a save must\n"
                "also enumerate what the key holds, to remove what is not in the catalog; load/e = load / b-enum.\n");
    std::printf("Time per paper at 30,000 / at 1,000: %.2f\n", perPaperAt30000 / perPaperAt1000);

    // A save of 10,000 papers with the backup written before it (and the old
    // backups pruned after it), against the same save without.
    {
        const int count = 10000;
        BackupSettings backups;
        backups.Folder = (std::filesystem::temp_directory_path() / "quandrel-bench-backups").string();
        backups.Keep = 20;
        std::filesystem::remove_all(backups.Folder);
        platform::DeleteKeyTree("SOFTWARE\\QuandrelBench");
        const CPaperCatalog catalog = MakeCatalog(count);
        CPaperCatalog oneChanged = MakeCatalog(count);
        oneChanged.ModifyPaper("Paper000000", "A4", "99", "white", "plain", false, 0);
        const CPaperCatalog allChanged = MakeCatalog(count, 1);
        struct Agree final : SaveQuestions {
            bool OverwriteChange(const StoredKeyImage&) override { return true; }
            bool RemoveEntries(const std::vector<SkippedEntry>&) override { return true; }
            bool SaveWithoutBackup(const BackupResult&) override { return false; }
            bool SaveWithoutRecord(const std::string&, const std::string&) override { return false; }
        } agree;
        // As the editor saves: the one save, its backup from its own read of the key.
        const auto backedUpSave = [&](const CPaperCatalog& next) {
            SaveCatalog({{"Bench", kKey, "PS"}, StoredValuesOf(next, "PS"), std::nullopt, backups}, agree);
        };
        std::printf("\nSave of %d papers with and without its backup, seconds, best of three runs\n", count);
        std::printf("%-28s %9s %9s %7s\n", "", "save", "+backup", "ratio");
        struct Case {
            const char* name;
            const CPaperCatalog& next;
        } cases[] = {{"one paper changed", oneChanged}, {"every paper changed", allChanged}};
        for (const Case& c : cases) {
            double plain = 1e9;
            double withBackup = 1e9;
            for (int run = 0; run < 3; ++run) {
                catalog.SaveToRegistry(kKey, false);
                plain = std::min(plain, Seconds([&] { c.next.SaveToRegistry(kKey, false); }));
                catalog.SaveToRegistry(kKey, false);
                withBackup = std::min(withBackup, Seconds([&] { backedUpSave(c.next); }));
            }
            std::printf("%-28s %9.4f %9.4f %7.2f\n", c.name, plain, withBackup, withBackup / plain);
        }
        std::printf("Target: the save with its backup takes at most 1.3 times the save alone.\n");
        std::filesystem::remove_all(backups.Folder);
    }

#ifdef _WIN32
    std::printf("\nPer-key profile functions (WritePrivateProfileStringA + GetPrivateProfileStringA), seconds\n");
    for (int count : {1000, 4000}) {
        const CPaperCatalog catalog = MakeCatalog(count);
        const std::string oldPath = (std::filesystem::temp_directory_path() / "quandrel-bench-perkey.cat").string();
        const double perKey = ProfileFunctionsRoundTrip(catalog, oldPath);
        const double ours = Seconds([&] {
            catalog.ExportToFile(path);
            CPaperCatalog back;
            if (back.CheckImportFile(path) == 0) back.ImportFromFile(path);
        });
        std::printf("%8d per-key %8.3f   one pass %8.4f   ratio %6.1f\n", count, perKey, ours, perKey / ours);
        std::filesystem::remove(oldPath);
    }
#endif
    platform::DeleteKeyTree("SOFTWARE\\QuandrelBench");
    std::filesystem::remove(path);
    return 0;
}
