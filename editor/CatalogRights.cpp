#include "editor/CatalogRights.h"

#include <shellapi.h>

#include "catalog/PaperCatalog.h"
#include "framework/Application.h"
#include "platform/Registry.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

// The stock shield at the small icon size: Windows' own picture of "needs an
// administrator". Wine answers SHGetStockIconInfo without an icon; IDI_SHIELD
// then gives it.
HICON ShieldIcon() {
    static const HICON icon = [] {
        SHSTOCKICONINFO info{};
        info.cbSize = sizeof info;
        if (SUCCEEDED(SHGetStockIconInfo(SIID_SHIELD, SHGSI_ICON | SHGSI_SMALLICON, &info)) && info.hIcon) {
            return info.hIcon;
        }
        const int size = GetSystemMetrics(SM_CXSMICON);
        return static_cast<HICON>(
            LoadImageA(nullptr, MAKEINTRESOURCEA(32518) /* IDI_SHIELD */, IMAGE_ICON, size, size, LR_SHARED));
    }();
    return icon;
}

}  // namespace

std::string CatalogTitle() {
    return AppState.CurrentCatalogName.empty() ? InterfaceLabel(LAB_UNTITLED) : AppState.CurrentCatalogName;
}

void UpdateMainWindowTitle() {
    HWND frame = fw::MainWindowHandle();
    if (!frame) return;
    std::string title = InterfaceLabel(LAB_PRODUCT) + " - " + CatalogTitle();
    if (AppState.CatalogReadOnly) title += " " + InterfaceLabel(LAB_READ_ONLY);
    SetWindowTextA(frame, title.c_str());
}

void ShowSaveShield(bool shown) {
    HWND frame = fw::MainWindowHandle();
    HMENU menu = frame ? GetMenu(frame) : nullptr;
    if (!menu) return;
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    // Drawn by the window when asked (MeasureSaveShield, DrawSaveShield): a
    // bitmap would need its transparency, which not every menu honours.
    item.hbmpItem = shown && ShieldIcon() ? HBMMENU_CALLBACK : nullptr;
    SetMenuItemInfoA(menu, ID_FILE_SAVE, FALSE, &item);
}

bool MeasureSaveShield(MEASUREITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU || item.itemID != ID_FILE_SAVE) return false;
    item.itemWidth = static_cast<UINT>(GetSystemMetrics(SM_CXSMICON));
    item.itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYSMICON));
    return true;
}

bool DrawSaveShield(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU || item.itemID != ID_FILE_SAVE || !ShieldIcon()) return false;
    const int width = GetSystemMetrics(SM_CXSMICON);
    const int height = GetSystemMetrics(SM_CYSMICON);
    const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - height) / 2;
    DrawIconEx(item.hDC, item.rcItem.left, top, ShieldIcon(), width, height, 0, nullptr, DI_NORMAL);
    return true;
}

void CheckCatalogRights() {
    bool readOnly = false;
    if (!AppState.CurrentCatalogName.empty()) {
        std::string registryPath;
        std::string pdlName;
        FindCatalogLocation(AppState.CurrentCatalogName, registryPath, pdlName);
        readOnly = platform::KeyIsReadOnly(registryPath);
    }
    AppState.CatalogReadOnly = readOnly;
    ShowSaveShield(readOnly);
    UpdateMainWindowTitle();
}

