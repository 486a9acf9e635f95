#include <windows.h>

#include "app/VellicorApp.h"
#include "platform/DllSearch.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything loads a DLL by name (the first window loads the theme
    // library, the file dialogs the shell's).
    platform::RestrictDllSearchToSystemFolder();
    CVellicorApp app;
    if (!app.InitInstance()) return 0;
    return app.Run();
}
