// Times the catalog's storage for 1,000, 10,000 and 30,000 papers, each figure
// held to a limit measured in the same run: the catalog file (export, check +
// import) against writing and reading its bytes plainly, the registry store's
// save and load against the bare registry calls they cannot do without, the
// time per paper at 30,000 against that at 1,000, a save with its backup
// against the same save without, and under Wine the file against the per-key
// profile functions its format was designed for. Exit code 1 when a median
// misses its limit or a timed command fails. The limits made of registry and
// file calls hold in the Windows build; the native one shows those figures.
#include <cstdio>
#include <filesystem>
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

const char* const kRoot = "SOFTWARE\\QuandrelBench";
const char* const kKey = "SOFTWARE\\QuandrelBench\\Catalog";
const char* const kBareKey = "SOFTWARE\\QuandrelBench\\Bare";
constexpr int kRuns = 5;

// The limits: how many times its bare work each figure may take. A store that
// read or wrote every value twice, or a file read that grew with the square of
// its lines, misses them.
constexpr double kFileOverPlainBytes = 25;    // the file's text is built and parsed, not only moved
constexpr double kSameSaveOverBareEnum = 3;   // the key read in full, nothing written
constexpr double kSaveAllOverBare = 2;        // every value set once, the key read once
constexpr double kLoadOverBareEnum = 2.5;     // each value read in full, not into small buffers
constexpr double kPerPaperGrowth = 1.5;       // per paper at 30,000 over per paper at 1,000
constexpr double kBackupOverSave = 1.3;
// The record is one small file written and flushed once per save.
constexpr double kRecordOverSave = 1.3;
#ifdef _WIN32
constexpr double kFileOverProfileFunctions = 0.1;
#endif

// One set per paper, as a save must do at least.
Timing BareSets(const CPaperCatalog& catalog) {
    std::vector<std::pair<std::string, std::string>> values;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        std::string name, data;
        catalog.GetPaper(i).FormatKeywordValue(name, data);
        values.emplace_back(std::move(name), std::move(data));
    }
    platform::RegKey key;
    uint32_t disposition = 0;
    platform::CreateOrOpenKey(kBareKey, key, disposition);
    return Time(kRuns, [&] {
        for (const auto& [name, data] : values) platform::SetStringValue(key, name, data);
    });
}

// One enumeration per value, as a load must do at least.
Timing BareEnumerations() {
    platform::RegKey key;
    platform::OpenKeyForReading(kBareKey, key);
    return Time(kRuns, [&] {
        platform::RegValue value;
        for (uint32_t i = 0; platform::EnumValue(key, i, 64, 128, value) == platform::kRegOk; ++i) {
        }
    });
}

// The file's bytes written and read back as they are, with nothing built or parsed.
Timing PlainBytes(const std::string& bytes, const std::string& path) {
    return Time(kRuns, [&] {
        FILE* out = std::fopen(path.c_str(), "wb");
        if (!out) return;
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        FILE* in = std::fopen(path.c_str(), "rb");
        if (!in) return;
        std::string back(bytes.size(), '\0');
        if (std::fread(back.data(), 1, back.size(), in) != back.size()) back.clear();
        std::fclose(in);
    });
}

#ifdef _WIN32
// The per-key profile functions: one WritePrivateProfileStringA per paper after
// the banner, one GetPrivateProfileStringA per key when reading.
void ProfileFunctionsRoundTrip(const CPaperCatalog& catalog, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
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
}
#endif

// The native build's registry is the tests' in-memory one: its calls cost
// next to nothing and its files sit in the page cache, so a limit made of them
// says nothing there. Those figures are judged in the Windows build, against
// the real registry and file system, and only shown in the native one.
void HoldAgainstTheSystem(Judge& judge, const std::string& what, const Timing& timing, double limit,
                          const std::string& how) {
#ifdef _WIN32
    judge.Hold(what, timing, limit, how);
#else
    (void)limit;
    judge.Show(what + " [limit in the Windows build: " + how + "]", timing);
#endif
}

std::string Times(double factor, const char* of) {
    char text[96];
    std::snprintf(text, sizeof text, "%g x %s", factor, of);
    return text;
}

}  // namespace

int main() {
    AppState.CurrentLanguage = 1;
    AppState.SizeChoiceCount = 9;
    namespace fs = std::filesystem;
    const std::string path = (fs::temp_directory_path() / "quandrel-bench.cat").string();
    const std::string plainPath = (fs::temp_directory_path() / "quandrel-bench.bytes").string();
#ifdef _WIN32
    Judge judge("catalog_bench (Windows build)");
#else
    Judge judge("catalog_bench (native build)");
#endif
    std::printf("Catalog storage, milliseconds, median of %d runs\n\n", kRuns);

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
        platform::DeleteKeyTree(kRoot);
        const CPaperCatalog catalog = MakeCatalog(count);
        const std::string papers = " (" + std::to_string(count) + " papers)";

        bool exported = true;
        const Timing exportTime = Time(kRuns, [&] { exported = catalog.ExportToFile(path) && exported; });
        CPaperCatalog imported;
        const Timing importTime = Time(
            kRuns, [&] { imported = CPaperCatalog(); },
            [&] {
                if (imported.CheckImportFile(path) == STORE_OK) imported.ImportFromFile(path);
            });
        if (!exported) judge.Fail("export failed" + papers);
        if (imported.GetCount() != count) judge.Fail("import read " + std::to_string(imported.GetCount()) + papers);
        const Timing fileTime = Time(kRuns, [&] {
            catalog.ExportToFile(path);
            CPaperCatalog back;
            if (back.CheckImportFile(path) == STORE_OK) back.ImportFromFile(path);
        });
        const Timing plain = PlainBytes(catalog.ExportBytes(), plainPath);

        // A save over the catalog's previous save, as Save does after an edit.
        bool saved = catalog.SaveToRegistry(kKey, false) == STORE_OK;
        const Timing saveTime = Time(kRuns, [&] { saved = catalog.SaveToRegistry(kKey, false) == STORE_OK && saved; });
        // A save in which every paper changed: each value is written afresh.
        const CPaperCatalog changed = MakeCatalog(count, 1);
        const Timing changedSave = Time(
            kRuns, [&] { catalog.SaveToRegistry(kKey, false); },
            [&] { saved = changed.SaveToRegistry(kKey, false) == STORE_OK && saved; });
        if (!saved) judge.Fail("a save failed" + papers);
        catalog.SaveToRegistry(kKey, false);
        CPaperCatalog loaded;
        const Timing loadTime = Time(
            kRuns, [&] { loaded = CPaperCatalog(); }, [&] { loaded.LoadFromRegistry(kKey, "PS"); });
        if (loaded.GetCount() != count) judge.Fail("load read " + std::to_string(loaded.GetCount()) + papers);

        BareSets(catalog);  // the key holds them once before, as for the save
        const Timing bareSet = BareSets(catalog);
        const Timing bareEnum = BareEnumerations();

        judge.Show("  export" + papers, exportTime);
        judge.Show("  check + import" + papers, importTime);
        judge.Show("  plain write + read of the file's bytes" + papers, plain);
        HoldAgainstTheSystem(judge, "catalog file: export, check + import" + papers, fileTime, kFileOverPlainBytes * plain.Median(),
                   Times(kFileOverPlainBytes, "plain bytes"));
        judge.Show("  bare sets, one per paper" + papers, bareSet);
        judge.Show("  bare enumeration, one per value" + papers, bareEnum);
        HoldAgainstTheSystem(judge, "save of the same catalog" + papers, saveTime, kSameSaveOverBareEnum * bareEnum.Median(),
                   Times(kSameSaveOverBareEnum, "bare enumeration"));
        HoldAgainstTheSystem(judge, "save with every paper changed" + papers, changedSave,
                   kSaveAllOverBare * (bareSet.Median() + bareEnum.Median()), Times(kSaveAllOverBare, "(sets + enum)"));
        HoldAgainstTheSystem(judge, "load" + papers, loadTime, kLoadOverBareEnum * bareEnum.Median(),
                   Times(kLoadOverBareEnum, "bare enumeration"));

        const double perPaper = (fileTime.Median() + saveTime.Median() + loadTime.Median()) / count;
        if (count == 1000) perPaperAt1000 = perPaper;
        if (count == 30000) perPaperAt30000 = perPaper;
    }
    judge.Hold("file + save + load per paper, 30,000 papers", perPaperAt30000 * 1000, perPaperAt30000 * 1000,
               kPerPaperGrowth * perPaperAt1000 * 1000, Times(kPerPaperGrowth, "per paper at 1,000"), "us");

    // A save of 10,000 papers with the backup written before it (and the old
    // backups pruned after it), against the same save without.
    {
        const int count = 10000;
        BackupSettings backups;
        backups.Folder = (fs::temp_directory_path() / "quandrel-bench-backups").string();
        backups.Keep = 20;
        fs::remove_all(backups.Folder);
        platform::DeleteKeyTree(kRoot);
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
        bool backedUp = true;
        // As the editor saves: the one save, its record and its backup from its own read of the key.
        const auto backedUpSave = [&](const CPaperCatalog& next) {
            const SaveResult result =
                SaveCatalog({{"Bench", kKey, "PS"}, StoredValuesOf(next, "PS"), std::nullopt, backups}, agree);
            backedUp = backedUp && result.outcome == SaveOutcome::Saved && result.backup.outcome == BackupResult::Written;
        };
        // The record alone (backups off): written and flushed before the key changes.
        BackupSettings recordOnly = backups;
        recordOnly.Keep = 0;
        bool recorded = true;
        const auto recordedSave = [&](const CPaperCatalog& next) {
            const SaveResult result =
                SaveCatalog({{"Bench", kKey, "PS"}, StoredValuesOf(next, "PS"), std::nullopt, recordOnly}, agree);
            recorded = recorded && result.outcome == SaveOutcome::Saved;
        };
        struct Case {
            const char* name;
            const CPaperCatalog& next;
        } cases[] = {{"one paper changed", oneChanged}, {"every paper changed", allChanged}};
        for (const Case& c : cases) {
            const Timing plain = Time(
                kRuns, [&] { catalog.SaveToRegistry(kKey, false); }, [&] { c.next.SaveToRegistry(kKey, false); });
            const Timing withBackup = Time(
                kRuns, [&] { catalog.SaveToRegistry(kKey, false); }, [&] { backedUpSave(c.next); });
            judge.Show(std::string("  save without a backup, ") + c.name + " (10,000)", plain);
            HoldAgainstTheSystem(judge, std::string("save with its backup, ") + c.name + " (10,000)", withBackup,
                       kBackupOverSave * plain.Median(), Times(kBackupOverSave, "save without a backup"));
            const Timing withRecord = Time(
                kRuns, [&] { catalog.SaveToRegistry(kKey, false); }, [&] { recordedSave(c.next); });
            HoldAgainstTheSystem(judge, std::string("save with its record, ") + c.name + " (10,000)", withRecord,
                       kRecordOverSave * plain.Median(), Times(kRecordOverSave, "save without a record"));
        }
        if (!backedUp) judge.Fail("a save with its backup failed or wrote no backup");
        if (!recorded) judge.Fail("a save with its record failed");
        fs::remove_all(backups.Folder);
    }

#ifdef _WIN32
    for (int count : {1000, 4000}) {
        const CPaperCatalog catalog = MakeCatalog(count);
        const std::string oldPath = (fs::temp_directory_path() / "quandrel-bench-perkey.cat").string();
        const Timing perKey = Time(3, [&] { ProfileFunctionsRoundTrip(catalog, oldPath); });
        const Timing ours = Time(kRuns, [&] {
            catalog.ExportToFile(path);
            CPaperCatalog back;
            if (back.CheckImportFile(path) == STORE_OK) back.ImportFromFile(path);
        });
        const std::string papers = " (" + std::to_string(count) + " papers)";
        judge.Show("  per-key profile functions, write + read" + papers, perKey);
        judge.Hold("catalog file in one pass" + papers, ours, kFileOverProfileFunctions * perKey.Median(),
                   Times(kFileOverProfileFunctions, "per-key functions"));
        fs::remove(oldPath);
    }
#endif
    platform::DeleteKeyTree(kRoot);
    fs::remove(path);
    fs::remove(plainPath);
    return judge.Finish();
}
