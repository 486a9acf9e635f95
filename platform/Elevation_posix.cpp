#include "platform/Elevation.h"

namespace platform {

unsigned long StartElevatedAndWait(void*, const ElevatedStart&, unsigned long& exitCode) {
    exitCode = 0;
    return 50;  // ERROR_NOT_SUPPORTED: there is no elevation prompt here
}

}  // namespace platform
