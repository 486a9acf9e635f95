// Whether a folder may be trusted with what administrators restore into the
// registry, and folders created so that it can: a backup folder that standard
// users could change would let any of them plant a catalog that an
// administrator then restores into HKEY_LOCAL_MACHINE.
#pragma once

#include <string>

namespace platform {

enum class FolderSafety {
    Safe,          // only administrators, SYSTEM or the user running the program can change it
    Missing,       // nothing of that name
    OpenToUsers,   // standard users can add, remove or re-secure what it holds
    ReparsePoint,  // a junction, a symbolic link or another reparse point: it may lead anywhere
    Failed,        // not a folder, or its rights cannot be read: `reason` says why
};

// Win32 side: the folder's attributes, then its owner and access list through
// GetNamedSecurityInfoA. Any entry that allows changing it (adding, removing,
// re-securing) to anyone but Administrators, SYSTEM, TrustedInstaller and
// the user running the program makes it unsafe: a domain group, a local
// "Operators" group or a named colleague is as untrusted as Everyone. The
// owner must be the Administrators group, SYSTEM or the user running the
// program, since an owner can always change the rights. Portable side: a
// symbolic link, another owner than root or this user, or write rights for
// others (or for a group that is neither root's nor this user's).
FolderSafety CheckFolderSafety(const std::string& path, std::string& reason);

// The same judgement of one file (a backup, a configuration): by its owner
// and its access list, whatever the folder around it allows. Missing when
// there is no such file.
FolderSafety CheckFileSafety(const std::string& path, std::string& reason);

// Whether this process runs with administrator rights (an elevated token on
// Windows, root elsewhere).
bool RunsAsAdministrator();

// Creates one folder that only Administrators and SYSTEM may change, readable
// by Users, whatever the rights of the folder it is made in; the files made
// in it later inherit those rights. 0 when made, otherwise the system's error
// code (Win32 numbering: 183 when something of that name exists).
unsigned long CreateProtectedFolder(const std::string& path);

// Tests only: gives an existing folder rights under which standard users may
// add files and folders, as a folder made below %ProgramData% has by default.
bool OpenFolderToUsersForTesting(const std::string& path);

}  // namespace platform
