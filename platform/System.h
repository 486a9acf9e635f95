// Small seams to the operating system: the working directory, file access and
// the Windows family.
#pragma once

#include <string>

namespace platform {

// The separator appended between a directory and a file name.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// GetCurrentDirectoryA with a buffer of `capacity` bytes; "" when it fails.
std::string CurrentDirectory(unsigned capacity = 260);

// The C runtime's access test in read mode.
bool FileIsReadable(const std::string& path);

// GetVersionExA's dwPlatformId (1 = Windows 95/98, 2 = NT); false when the call
// fails. Natively it answers what tests set, NT by default.
bool QueryWindowsPlatform(unsigned long& platformId);
void SetWindowsPlatformForTesting(bool succeeds, unsigned long platformId);

// An English text of the program's string table (LoadStringA); "" when missing.
std::string LoadStringTableText(unsigned id);

}  // namespace platform
