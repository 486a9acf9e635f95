#include "platform/Elevation.h"

#include <utility>

namespace platform {

// The real start, one per build (Elevation_win32.cpp, Elevation_posix.cpp).
unsigned long StartElevatedAndWait(void* owner, const ElevatedStart& request, unsigned long& exitCode);

namespace {
ElevatedStarter& TestStarter() {
    static ElevatedStarter starter;
    return starter;
}
}  // namespace

unsigned long RunElevatedAndWait(void* owner, const ElevatedStart& request, unsigned long& exitCode) {
    exitCode = 0;
    if (const ElevatedStarter& starter = TestStarter()) return starter(request, exitCode);
    return StartElevatedAndWait(owner, request, exitCode);
}

void SetElevatedStarterForTesting(ElevatedStarter starter) { TestStarter() = std::move(starter); }

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, the quote escaped.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    // Before the closing quote, too.
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

}  // namespace platform
