#include "platform/StringListResources.h"

#include <windows.h>

namespace platform {

ResourceBytes FindStringListResource(void* module, const char* type, const char* name) {
    HMODULE hModule = static_cast<HMODULE>(module);
    HRSRC info = FindResourceA(hModule, name, type);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(hModule, info);
    if (!loaded) return {};
    const void* data = LockResource(loaded);
    if (!data) return {};
    return {static_cast<const unsigned char*>(data), static_cast<size_t>(SizeofResource(hModule, info))};
}

void* OwnModule() { return GetModuleHandleA(nullptr); }

}  // namespace platform
