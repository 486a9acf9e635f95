// Small seams to the operating system: file access, the system's error texts and
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

// The C runtime's access test in read mode.
bool FileIsReadable(const std::string& path);

// Opens the file for reading and closes it again: 0 when that works,
// otherwise the system's error code (Win32 numbering: 2 or 3 when there is no
// such file, 5 when it cannot be read, a folder included).
long ProbeFileForReading(const std::string& path);

// The whole file in `bytes`, read through one handle (on Windows one that
// lets nobody write to the file meanwhile, so that the bytes are one version
// of it): 0, or the system's error code as ProbeFileForReading gives it
// (`bytes` then empty).
long ReadWholeFile(const std::string& path, std::string& bytes);

#ifndef _WIN32
// An errno value as the Win32 error code that means the same.
long SystemErrorFromErrno(int error);
#endif

// GetVersionExA's dwPlatformId (1 = Windows 95/98, 2 = NT); false when the call
// fails. Natively it answers what tests set, NT by default.
bool QueryWindowsPlatform(unsigned long& platformId);
void SetWindowsPlatformForTesting(bool succeeds, unsigned long platformId);

// An English text of the program's string table (LoadStringA); "" when missing.
std::string LoadStringTableText(unsigned id);

}  // namespace platform
