// Where the program may load DLLs from. The program is started from the folder
// that holds its configuration, which may be a shared or download folder; a DLL
// dropped there, or beside the program, must never stand in for a system DLL.
#pragma once

namespace platform {

// Restricts the DLL search of the whole process to the system folder and takes
// the current folder out of it. Called first thing by every program of the
// product, before any window or dialog makes the system load more DLLs. True
// when both restrictions took effect.
bool RestrictDllSearchToSystemFolder();

}  // namespace platform
