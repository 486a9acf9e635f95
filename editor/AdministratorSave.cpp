#include "editor/AdministratorSave.h"

#include <shellapi.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "catalog/CatalogSave.h"
#include "catalog/PaperCatalog.h"
#include "editor/MessageBoxes.h"
#include "editor/StoredChangeDlg.h"
#include "editor/CatalogRights.h"
#include "framework/Application.h"
#include "platform/Elevation.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

constexpr const char* kCompanionName = "VellicorCmd.exe";
constexpr unsigned long kNotSaved = ~0ul;

std::string KeyText(const std::string& registryPath) { return "HKEY_LOCAL_MACHINE\\" + registryPath; }

std::string ReasonLine(unsigned long systemError) {
    const std::string reason = platform::SystemErrorText(systemError);
    return "\n" + (reason.empty() ? std::string() : reason + " ") + "(" + std::to_string(systemError) + ")";
}

// Wide text as the ANSI functions take it; a path's short form when the code
// page cannot hold its letters (the short form is plain ASCII).
std::string AnsiPath(const std::wstring& path) {
    std::wstring usable = path;
    wchar_t shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (length > 0 && length < MAX_PATH) usable = shortPath;
    const int size = WideCharToMultiByte(CP_ACP, 0, usable.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(size > 0 ? size : 1), '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, usable.c_str(), -1, ansi.data(), size, nullptr, nullptr);
    ansi.resize(ansi.size() - 1);
    return ansi;
}

std::wstring FullPath(const std::wstring& name) {
    wchar_t full[1024];
    const DWORD length = GetFullPathNameW(name.c_str(), 1024, full, nullptr);
    return length > 0 && length < 1024 ? std::wstring(full, length) : name;
}

std::wstring Widened(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 1), L'\0');
    if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

// The companion beside the program.
std::string CompanionPath() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, length < MAX_PATH ? length : 0);
    const size_t slash = folder.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? L"." : folder.substr(0, slash);
    return AnsiPath(folder) + "\\" + kCompanionName;
}

// A path in the user's temporary folder with a random part in its name, for
// a file that only ever is created new: nobody can have put a file or a link
// there in advance, and two saves never share one.
std::string RandomTemporaryPath(const char* suffix) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return {};
    std::random_device random;
    char name[64];
    std::snprintf(name, sizeof name, "Vel%08x%08x%s", random(), random(), suffix);
    // The folder by its short name where the code page lacks its letters (a
    // user name in Greek); the file's own name is plain ASCII.
    std::wstring path(folder, length);
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return AnsiPath(path) + "\\" + name;
}

// Writes `bytes` into a new file of a new random name; "" when none could be
// made, with the system's reason.
std::string WriteTemporaryFile(const std::string& bytes, std::string& reason) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string path = RandomTemporaryPath(".cat");
        if (path.empty()) break;
        switch (platform::WriteNewFile(path, bytes, reason)) {
        case platform::NewFileResult::Written: return path;
        case platform::NewFileResult::Exists: continue;
        case platform::NewFileResult::Failed: return {};
        }
    }
    if (reason.empty()) reason = platform::SystemErrorText(GetLastError());
    return {};
}

// The companion's report: its lines, each line break as a message box shows one.
std::string ReadReport(const std::string& path) {
    std::string bytes;
    if (platform::ReadWholeFile(path, bytes) != 0) return {};
    std::string text;
    for (char c : bytes) {
        if (c != '\r') text += c;
    }
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

// Removes the temporary files on every way out.
struct TemporaryFiles {
    std::vector<std::string> paths;
    ~TemporaryFiles() {
        for (const std::string& path : paths) {
            if (!path.empty()) platform::RemoveFile(path);
        }
    }
};

// The command line: the switches first, then "--", so that neither the file
// nor the catalog's name can pass for a switch.
std::string CompanionParameters(const std::string& catalogFile, const std::string& catalogName,
                                const std::string& configuration, const std::string& report) {
    return "/import /config " + platform::QuoteArgument(configuration) + " /report " +
           platform::QuoteArgument(report) + " -- " + platform::QuoteArgument(catalogFile) + " " +
           platform::QuoteArgument(catalogName);
}

}  // namespace

bool AskSaveAsAdministrator(HWND window, const std::string& catalogName, const std::string& registryPath) {
    const std::string text = FormatText(InterfaceMessage(MSG_ADMIN_ONLY), {catalogName, KeyText(registryPath)}) +
                             "\n\n" + InterfaceMessage(MSG_ADMIN_SAVE_QUESTION);
    return platform::ShowMessageBox(window, text, InterfaceLabel(LAB_PRODUCT),
                                    platform::kMbYesNo | platform::kMbIconWarning) == platform::kIdYes;
}

bool SaveAsAdministrator(HWND window, const std::string& catalogName, bool askIfChangedElsewhere) {
    SaveTarget target{catalogName, "", ""};
    FindCatalogLocation(catalogName, target.registryPath, target.pdlName);

    // The key as it stands, read as Open reads it: a change made by someone
    // else since the catalog was opened or saved, and the entries a save
    // would remove, are asked about here, where the user is. The companion
    // then writes only over exactly what the user saw.
    StoreReport before;
    std::optional<StoredKeyImage> expected;
    {
        CPaperCatalog stored;
        if (stored.LoadFromRegistry(target.registryPath, target.pdlName, &before) == STORE_OK) {
            expected = before.Image;
        } else if (before.SystemError == platform::kRegNotFound) {
            expected = StoredKeyImage{};
        }
    }
    if (askIfChangedElsewhere && AppState.StoredCatalogImage && expected && *expected != *AppState.StoredCatalogImage &&
        !AskToOverwriteStoredChange(window, catalogName)) {
        return false;
    }
    if (!before.Skipped.empty() &&
        ReportSkippedEntries(window, catalogName, target.registryPath, before.Skipped, true) != IDYES) {
        return false;
    }

    // The exact values a save here would write, beside the papers.
    const StoredKeyImage values = ImageOfValues(StoredValuesOf(*AppState.CurrentCatalog, target.pdlName));
    TemporaryFiles temporary;
    std::string reason;
    const std::string catalogFile =
        WriteTemporaryFile(CatalogFileBytes(*AppState.CurrentCatalog, &values, &expected), reason);
    const std::string report = RandomTemporaryPath(".txt");
    temporary.paths = {catalogFile, report};
    if (catalogFile.empty() || report.empty()) {
        ShowRefusal(window, FormatText(InterfaceMessage(MSG_ADMIN_FILE_FAILED), {catalogName, catalogFile}) +
                                (reason.empty() ? "" : "\n" + reason));
        return false;
    }

    wchar_t current[1024];
    const DWORD currentLength = GetCurrentDirectoryW(1024, current);
    const std::wstring folder = currentLength > 0 && currentLength < 1024 ? std::wstring(current, currentLength) : L".";
    platform::ElevatedStart start;
    start.program = CompanionPath();
    start.directory = AnsiPath(folder);
    start.parameters = CompanionParameters(catalogFile, catalogName,
                                           AnsiPath(FullPath(Widened(AppState.ConfigurationFile))), report);
    unsigned long exitCode = kNotSaved;
    const unsigned long error = platform::RunElevatedAndWait(window, start, exitCode);
    if (error == platform::kElevationCancelled) {
        ShowRefusal(window, FormatText(InterfaceMessage(MSG_ADMIN_DECLINED), {catalogName}));
        return false;
    }
    if (error != 0) {
        ShowRefusal(window, FormatText(InterfaceMessage(MSG_ADMIN_NOT_STARTED), {catalogName}) + ReasonLine(error));
        return false;
    }
    if (exitCode != 0) {
        std::string said = ReadReport(report);
        if (said.empty()) said = InterfaceMessage(MSG_ADMIN_NO_REPORT);
        ShowRefusal(window, FormatText(InterfaceMessage(MSG_ADMIN_SAVE_FAILED),
                                       {catalogName, KeyText(target.registryPath), std::to_string(exitCode)}) +
                                "\n\n" + said);
        return false;
    }
    // Stored by the companion: what the key holds now is what a later Save
    // compares with.
    StoreReport after;
    CPaperCatalog stored;
    if (stored.LoadFromRegistry(target.registryPath, target.pdlName, &after) == STORE_OK) {
        AppState.StoredCatalogImage = std::move(after.Image);
    } else {
        AppState.StoredCatalogImage.reset();
    }
    return true;
}
