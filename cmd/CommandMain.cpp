// VellicorCmd.exe: the console around the commands. Arguments arrive as UTF-16
// and are handed on in the ANSI code page the rest of the program speaks;
// lines go to the console as UTF-16, or to a file or pipe in the console's code
// page (UTF-8 as it stands for /csv).
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "cmd/Commands.h"
#include "platform/DllSearch.h"

namespace {

std::string ToCodePage(const std::wstring& text, UINT codePage, bool* lossy = nullptr) {
    if (text.empty()) return {};
    BOOL usedDefault = FALSE;
    // UTF-8 takes neither a default character nor its flag.
    const bool exact = codePage == CP_UTF8;
    const int size = WideCharToMultiByte(codePage, exact ? 0 : WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, exact ? nullptr : &usedDefault);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(codePage, exact ? 0 : WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out.data(),
                        size, nullptr, exact ? nullptr : &usedDefault);
    if (lossy) *lossy = usedDefault != FALSE;
    return out;
}

std::wstring FromCodePage(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

// A path with letters the ANSI code page lacks (a folder named in Greek on a
// Western system) is reached through its short name, which is plain ASCII.
// For a file that does not exist yet, the folder's short name and the file's
// own name are used. Anything else is passed on as converted: the command then
// reports the file it could not open.
std::string ToAnsiArgument(const std::wstring& argument) {
    bool lossy = false;
    std::string ansi = ToCodePage(argument, CP_ACP, &lossy);
    if (!lossy) return ansi;
    wchar_t shortPath[MAX_PATH];
    DWORD length = GetShortPathNameW(argument.c_str(), shortPath, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const std::string converted = ToCodePage(shortPath, CP_ACP, &lossy);
        if (!lossy) return converted;
    }
    const size_t slash = argument.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return ansi;
    const std::wstring folder = argument.substr(0, slash);
    length = GetShortPathNameW(folder.c_str(), shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return ansi;
    const std::string converted = ToCodePage(std::wstring(shortPath) + argument.substr(slash), CP_ACP, &lossy);
    return lossy ? ansi : converted;
}

void WriteLines(DWORD which, const std::vector<std::string>& lines, bool utf8) {
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    const UINT source = utf8 ? CP_UTF8 : 1252;
    DWORD mode = 0;
    const bool console = GetConsoleMode(handle, &mode) != FALSE;
    const UINT target = utf8 ? CP_UTF8 : (GetConsoleOutputCP() ? GetConsoleOutputCP() : GetOEMCP());
    for (const std::string& line : lines) {
        DWORD written = 0;
        if (console) {
            std::wstring wide = FromCodePage(line, source) + L"\r\n";
            // The byte-order mark means nothing on a screen.
            if (!wide.empty() && wide.front() == 0xFEFF) wide.erase(0, 1);
            WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        } else {
            const std::string bytes = (utf8 ? line : ToCodePage(FromCodePage(line, source), target)) + "\r\n";
            WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
    }
}

}  // namespace

int main() {
    // Deployment tools start the companion from any folder, a share among them.
    platform::RestrictDllSearchToSystemFolder();
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i) arguments.push_back(ToAnsiArgument(wide[i]));
    if (wide) LocalFree(wide);

    CommandOutput output;
    const int code = RunCommand(arguments, output);
    WriteLines(STD_OUTPUT_HANDLE, output.out, output.utf8);
    WriteLines(STD_ERROR_HANDLE, output.err, false);
    return code;
}
