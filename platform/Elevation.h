// Starting a program with the Windows elevation prompt and waiting for it.
// The editor never elevates itself: a save that needs administrator rights
// is handed to the companion through this one seam, which tests replace so
// that they see the command line and hand back an exit code.
#pragma once

#include <functional>
#include <string>

namespace platform {

// ERROR_CANCELLED: the user said No at the elevation prompt.
inline constexpr unsigned long kElevationCancelled = 1223;

struct ElevatedStart {
    std::string program;     // full path of the program
    std::string parameters;  // its command line after the program's name, quoted as CommandLineToArgvW reads it
    std::string directory;   // the folder it starts in
};

// Starts `request.program` with the "runas" verb and waits for it to end; the
// window `owner` keeps being painted meanwhile and takes no input. 0 with the
// program's exit code in `exitCode`, or the system's error code
// (kElevationCancelled when the prompt was declined). Without Windows:
// ERROR_NOT_SUPPORTED (50).
unsigned long RunElevatedAndWait(void* owner, const ElevatedStart& request, unsigned long& exitCode);

// Tests only: the starter that stands in for the prompt and the program;
// an empty one restores the real start.
using ElevatedStarter = std::function<unsigned long(const ElevatedStart& request, unsigned long& exitCode)>;
void SetElevatedStarterForTesting(ElevatedStarter starter);

// One argument quoted so that CommandLineToArgvW gives it back unchanged:
// blanks and quotes kept, backslashes doubled only before a quote.
std::string QuoteArgument(const std::string& argument);

}  // namespace platform
