// A DLL planted beside the program under a system DLL's name is never loaded:
// the real Vellicor.exe, started from a folder that holds one (as the portable
// zip runs), loads the system's own DLL of that name and opens its file dialog
// without touching the planted one.
//
// The planted name is the desktop-composition library, which the file dialogs
// of Windows load by name and which is a classic planting target. Two things of
// Wine shape the test. Wine prefers its builtin system DLLs over any file it
// finds, where Windows takes the first file on the search path: per-program DLL
// overrides make Wine search as Windows does. And Wine's own file dialog loads
// its DLLs as delay-loaded imports, which Wine resolves on a fixed path that
// ignores the process's DLL directories (Windows honours them); so the test
// makes the load by name itself, inside the running program, before it opens
// the file dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "resources/resource.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPlantedName = "dwmapi.dll";

fs::path TestProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

// While it lives, the probe and the program prefer a native DLL of the planted
// name (Wine's per-program DLL overrides; Windows ignores the key).
class NativeFirstOverride {
public:
    NativeFirstOverride() {
        for (const char* program : kPrograms) {
            HKEY key = nullptr;
            const std::string path = std::string(kAppDefaults) + program + "\\DllOverrides";
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                nullptr) != ERROR_SUCCESS) {
                ADD_FAILURE() << "cannot write " << path;
                continue;
            }
            static const char kNativeFirst[] = "native,builtin";
            RegSetValueExA(key, "dwmapi", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNativeFirst), sizeof kNativeFirst);
            RegCloseKey(key);
        }
    }
    ~NativeFirstOverride() {
        for (const char* program : kPrograms)
            RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(kAppDefaults) + program).c_str());
    }
    NativeFirstOverride(const NativeFirstOverride&) = delete;
    NativeFirstOverride& operator=(const NativeFirstOverride&) = delete;

private:
    static constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\";
    static constexpr const char* kPrograms[] = {"dll_search_probe.exe", "Vellicor.exe"};
};

class ChildProcess {
public:
    ChildProcess(const fs::path& program, const std::string& arguments, const fs::path& folder) {
        std::string commandLine = "\"" + program.string() + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  folder.string().c_str(), &startup, &info_) != FALSE;
    }
    ~ChildProcess() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return started_; }
    HANDLE Handle() const { return info_.hProcess; }
    DWORD Id() const { return info_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD Wait(DWORD milliseconds) {
        if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION info_{};
};

struct WindowQuery {
    DWORD processId;
    const char* className;
    HWND owner;  // nullptr: any
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* query = reinterpret_cast<WindowQuery*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (processId == query->processId && lstrcmpA(className, query->className) == 0 && IsWindowVisible(window) &&
        (!query->owner || GetWindow(window, GW_OWNER) == query->owner)) {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the process, waited for up to 20 s.
HWND WaitForWindow(DWORD processId, const char* className, HWND owner = nullptr) {
    for (int i = 0; i < 200; ++i) {
        WindowQuery query{processId, className, owner, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
        if (query.found) return query.found;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return nullptr;
}

// LoadLibraryA(name) on a thread of the process, as a system DLL loads another
// by name; true when the load succeeded.
bool LoadLibraryInProcess(HANDLE process, const std::string& name) {
    // kernel32 lies at the same address in every process of a session.
    const auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    void* remoteName = VirtualAllocEx(process, nullptr, name.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remoteName) return false;
    bool loaded = false;
    if (WriteProcessMemory(process, remoteName, name.c_str(), name.size() + 1, nullptr)) {
        HANDLE thread = CreateRemoteThread(process, nullptr, 0, loadLibrary, remoteName, 0, nullptr);
        if (thread) {
            DWORD module = 0;  // the low half of the module handle: zero when the load failed
            if (WaitForSingleObject(thread, 20000) == WAIT_OBJECT_0) GetExitCodeThread(thread, &module);
            loaded = module != 0;
            CloseHandle(thread);
        }
    }
    VirtualFreeEx(process, remoteName, 0, MEM_RELEASE);
    return loaded;
}

class DllSearch : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / "quandrel-dll-search";
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        const fs::path built = TestProgramFolder();
        fs::copy_file(built / "planted_dll.dll", folder_ / kPlantedName);
        fs::copy_file(built / "dll_search_probe.exe", folder_ / "dll_search_probe.exe");
        fs::copy_file(built.parent_path() / "Vellicor.exe", folder_ / "Vellicor.exe");
        std::ofstream(folder_ / "Vellicor.cfg", std::ios::binary)
            << "[I18N]\r\nLanguage=English\r\n[Limits]\r\nMinimumPaperWeight=60\r\nMaximumPaperWeight=200\r\n"
               "[Windows NT]\r\nCatalog_01=Planted\r\nPDL_01=PS\r\nRegistry_01=SOFTWARE\\QuandrelTests\\Planted\r\n";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    bool PlantedDllLoaded() const { return fs::exists(folder_ / (std::string(kPlantedName) + ".loaded")); }
    void ForgetLoad() const { fs::remove(folder_ / (std::string(kPlantedName) + ".loaded")); }

    fs::path folder_;
};

TEST_F(DllSearch, APlantedSystemDllIsFoundWithoutTheRestrictionAndNeverByTheProgram) {
    NativeFirstOverride override;

    // Without the restriction the system's search finds the planted DLL first:
    // this is what the program must not do.
    {
        ChildProcess probe(folder_ / "dll_search_probe.exe", kPlantedName, folder_);
        ASSERT_TRUE(probe.Started());
        EXPECT_EQ(probe.Wait(20000), 1u) << "the planted DLL refuses to load, so the load fails";
        ASSERT_TRUE(PlantedDllLoaded()) << "without the restriction the planted DLL should have been loaded; "
                                           "the test could not tell the restriction working from failing";
        ForgetLoad();
    }
    {
        ChildProcess probe(folder_ / "dll_search_probe.exe", std::string(kPlantedName) + " guarded", folder_);
        ASSERT_TRUE(probe.Started());
        EXPECT_EQ(probe.Wait(20000), 0u) << "the system's own DLL loads";
        EXPECT_FALSE(PlantedDllLoaded());
        ForgetLoad();
    }

    // The program: started from the folder, its main window up; a load by
    // name inside it, then File > Import, whose dialog loads that DLL too.
    ChildProcess program(folder_ / "Vellicor.exe", "", folder_);
    ASSERT_TRUE(program.Started());
    HWND frame = WaitForWindow(program.Id(), "QuandrelFrame");
    ASSERT_NE(frame, nullptr) << "the main window did not appear";
    EXPECT_TRUE(LoadLibraryInProcess(program.Handle(), kPlantedName)) << "the system's own DLL loads";
    EXPECT_FALSE(PlantedDllLoaded()) << "Vellicor.exe loaded the DLL planted beside it";
    PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_FILE_IMPORT, 0), 0);
    HWND fileDialog = WaitForWindow(program.Id(), "#32770", frame);
    ASSERT_NE(fileDialog, nullptr) << "the Import file dialog did not open";
    EXPECT_FALSE(PlantedDllLoaded()) << "Vellicor.exe loaded the DLL planted beside it";

    PostMessageA(fileDialog, WM_COMMAND, IDCANCEL, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.Wait(20000), 0u) << "the program ends normally";
}

}  // namespace
