#include <windows.h>

#include "app/VellicorApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CVellicorApp app;
    if (!app.InitInstance()) return 0;
    return app.Run();
}
