// Loads a system DLL by name as the system's own code does, from the folder it
// is started in: with the argument "guarded" after the program's DLL-search
// restriction, otherwise without it. Exit code 0 when the load succeeded.
#include <windows.h>

#include <cstring>

#include "platform/DllSearch.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (argc > 2 && std::strcmp(argv[2], "guarded") == 0) platform::RestrictDllSearchToSystemFolder();
    return LoadLibraryA(argv[1]) ? 0 : 1;
}
