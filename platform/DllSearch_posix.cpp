#include "platform/DllSearch.h"

namespace platform {

// Other systems load no DLLs by a Windows search order.
bool RestrictDllSearchToSystemFolder() { return true; }

}  // namespace platform
