// The companion killed while it saves: a key of PAPERS papers, /import of
// PAPERS other papers, the process ended by TerminateProcess at INSTANTS
// moments spread over the save. After each, the next companion command must
// settle what was left, and the key must hold exactly the old or the new
// catalog. Prints what each instant left.
//   crash_test <papers> <instants>           kill from here, every instant
//   crash_test <papers> prepare | verify     for a kill from outside Wine
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "catalog/CatalogSave.h"
#include "catalog/PaperCatalog.h"
#include "platform/Registry.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace fs = std::filesystem;

namespace {

const std::string kKey = "SOFTWARE\\QuandrelTests\\Crash";

CPaperCatalog Catalog(int count, const char* prefix) {
    CPaperCatalog catalog;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%s%05d", prefix, i);
        catalog.AddPaper(name, "A4", std::to_string(60 + i % 140), "white", "plain", i % 7 == 0, i);
    }
    return catalog;
}

StoredKeyImage ImageOf(const CPaperCatalog& catalog) { return ImageOfValues(StoredValuesOf(catalog, "PS")); }

StoredKeyImage Held() {
    StoreReport report;
    CPaperCatalog catalog;
    if (catalog.LoadFromRegistry(kKey, "PS", &report) != STORE_OK) return {};
    return report.Image;
}

fs::path Folder() { return fs::temp_directory_path() / "quandrel-crash"; }

std::string Companion() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self, length);
    folder = folder.substr(0, folder.find_last_of("\\/"));
    // The test program sits in tests/, the companion in the build folder above it.
    for (const std::string& candidate : {folder + "\\VellicorCmd.exe", folder + "\\..\\VellicorCmd.exe"}) {
        if (GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) return candidate;
    }
    return folder + "\\VellicorCmd.exe";
}

PROCESS_INFORMATION Start(const std::string& arguments) {
    std::string line = "\"" + Companion() + "\" " + arguments + " /config \"" + (Folder() / "Vellicor.cfg").string() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "could not start %s (%lu)\n", line.c_str(), GetLastError());
        std::exit(2);
    }
    return process;
}

DWORD Run(const std::string& arguments) {
    const PROCESS_INFORMATION process = Start(arguments);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

void Prepare(int papers) {
    fs::remove_all(Folder());
    fs::create_directories(Folder());
    std::ofstream(Folder() / "Vellicor.cfg", std::ios::binary)
        << "[I18N]\r\nLanguage=English\r\n[Backups]\r\nFolder=" << (Folder() / "Backups").string()
        << "\r\nKeep=3\r\n[Windows NT]\r\nCatalog_01=Crash\r\nPDL_01=PS\r\nRegistry_01=" << kKey << "\r\n";
    Catalog(papers, "New").ExportToFile((Folder() / "new.cat").string());
    platform::DeleteKeyTree(kKey);
    Catalog(papers, "Old").SaveToRegistry(kKey, false);
}

// What the key holds once the next command has settled the record.
const char* Verify(int papers) {
    const DWORD code = Run("/list");
    const StoredKeyImage held = Held();
    const bool old = held == ImageOf(Catalog(papers, "Old"));
    const bool next = held == ImageOf(Catalog(papers, "New"));
    if (code != 0 && code != 11) return nullptr;
    if (old) return code == 11 ? "old (put right)" : "old";
    if (next) return "new";
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    AppState.CurrentLanguage = kEnglish;
    const int papers = argc > 1 ? std::atoi(argv[1]) : 2000;
    const std::string mode = argc > 2 ? argv[2] : "20";
    if (mode == "prepare") {
        Prepare(papers);
        std::printf("%s\n", (Folder() / "new.cat").string().c_str());
        return 0;
    }
    if (mode == "verify") {
        const char* left = Verify(papers);
        std::printf("killed from outside: %s\n", left ? left : "NEITHER CATALOG");
        return left ? 0 : 1;
    }
    const int instants = std::atoi(mode.c_str());

    // How long an import takes that nobody stops.
    Prepare(papers);
    const ULONGLONG began = GetTickCount64();
    const DWORD whole = Run("/import \"" + (Folder() / "new.cat").string() + "\" Crash");
    const ULONGLONG duration = GetTickCount64() - began;
    if (whole != 0 || Held() != ImageOf(Catalog(papers, "New"))) {
        std::fprintf(stderr, "the import itself failed (exit %lu)\n", whole);
        return 1;
    }
    std::printf("import of %d papers over %d: %llu ms\n", papers, papers, duration);

    int failed = 0;
    for (int i = 1; i <= instants; ++i) {
        Prepare(papers);
        const DWORD after = static_cast<DWORD>(duration * i / (instants + 1));
        const PROCESS_INFORMATION process = Start("/import \"" + (Folder() / "new.cat").string() + "\" Crash");
        const bool ended = WaitForSingleObject(process.hProcess, after) == WAIT_OBJECT_0;
        if (!ended) TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        const char* left = Verify(papers);
        std::printf("killed at %5lu ms%s: %s\n", after, ended ? " (had ended)" : "", left ? left : "NEITHER CATALOG");
        if (!left) ++failed;
    }
    fs::remove_all(Folder());
    platform::DeleteKeyTree(kKey);
    return failed == 0 ? 0 : 1;
}
