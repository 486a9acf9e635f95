// Prints a shortcut's target and working folder as Windows' own shell reads
// them, one per line, for the install test (scripts/dist-test.sh).
//   shortcut_info FILE.lnk
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: shortcut_info FILE.lnk\n");
        return 2;
    }
    if (FAILED(CoInitialize(nullptr))) return 1;
    int status = 1;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t path[MAX_PATH];
            char target[MAX_PATH] = "";
            char folder[MAX_PATH] = "";
            if (MultiByteToWideChar(CP_ACP, 0, argv[1], -1, path, MAX_PATH) > 0 &&
                SUCCEEDED(file->Load(path, STGM_READ)) &&
                SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
                SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH))) {
                std::printf("%s\n%s\n", target, folder);
                status = 0;
            } else {
                std::fprintf(stderr, "shortcut_info: cannot read %s\n", argv[1]);
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return status;
}
