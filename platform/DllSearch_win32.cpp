#include <windows.h>

#include "platform/DllSearch.h"

namespace platform {

bool RestrictDllSearchToSystemFolder() {
    // Windows 7 has SetDefaultDllDirectories only with its update KB2533623:
    // looked up, so that the program still starts without it.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                         reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                   : nullptr;
    const bool systemOnly = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // An empty string removes the current folder from the search (which the
    // default directories above do not cover on a system without them).
    const bool noCurrentFolder = SetDllDirectoryA("") != FALSE;
    return systemOnly && noCurrentFolder;
}

}  // namespace platform
