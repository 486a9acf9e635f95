// The string-list seam: find a (type, name) resource of the program's module
// and hand out its bytes. The Windows build reads its own Win32 resources
// (FindResourceA, LoadResource, LockResource); the native build a table
// compiled from the same sources.
#pragma once

#include <cstddef>

namespace platform {

struct ResourceBytes {
    const unsigned char* data = nullptr;
    size_t size = 0;
    explicit operator bool() const { return data != nullptr; }
};

// `module` is a module handle, null for the program's own module.
ResourceBytes FindStringListResource(void* module, const char* type, const char* name);

// The program's own module (GetModuleHandle(nullptr) on Windows, null natively).
void* OwnModule();

}  // namespace platform
