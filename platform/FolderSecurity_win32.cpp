#include "platform/FolderSecurity.h"
#include "platform/OwnedHandles_win32.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "platform/Files.h"

namespace platform {

namespace {

// Administrators and SYSTEM change, Users read and list, in the folder and all
// that is made in it; protected from the rights of the folder above, which
// below %ProgramData% let Users add files.
constexpr const char* kProtectedRights = "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// As %ProgramData% lets Users add files and folders, for Users and Everyone
// (Wine keeps only what Everyone may do, in the folder's Unix mode).
constexpr const char* kProgramDataRights =
    "D:AI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICI;0x1200a9;;;WD)(A;CI;0x116;;;BU)(A;CI;0x116;;;WD)";

// Enough to plant, remove or replace a backup: adding files or folders,
// removing what the folder holds or the folder itself, changing its rights or
// owner. On a file the same bits are writing and appending its data.
constexpr ACCESS_MASK kChangingRights =
    FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;

using LocalMemory = std::unique_ptr<void, LocalFreeDeleter>;

LocalMemory DescriptorFromText(const char* text) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1, &descriptor, nullptr)) return {};
    return LocalMemory(descriptor);
}

bool IsRunningUser(PSID sid) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const OwnedHandle owner(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0) return false;
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    if (!GetTokenInformation(token, TokenUser, buffer.get(), size, &size)) return false;
    return EqualSid(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, sid) != FALSE;
}

bool OwnerMayBeTrusted(PSID owner) {
    return owner && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) || IsWellKnownSid(owner, WinLocalSystemSid) ||
                     IsRunningUser(owner));
}

// TrustedInstaller, the service that owns the system's own files.
bool IsTrustedInstaller(PSID sid) {
    static const LocalMemory trustedInstaller = [] {
        PSID parsed = nullptr;
        ConvertStringSidToSidA("S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", &parsed);
        return LocalMemory(parsed);
    }();
    return trustedInstaller && EqualSid(sid, trustedInstaller.get());
}

bool MayChange(PSID sid) {
    return IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid) ||
           IsTrustedInstaller(sid) || IsRunningUser(sid);
}

// Whether an entry of the list lets someone other than those who may change
// the folder add, remove or re-secure what it holds. A deny entry is not
// weighed against it: whoever is allowed by one entry and denied by another
// is a question of group memberships this program cannot see.
bool OthersMayChange(PACL dacl) {
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(dacl, index, &entry)) continue;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceFlags & INHERIT_ONLY_ACE) continue;  // for what is made in the folder, not the folder
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) continue;
        // These types share one layout: header, mask, then the SID.
        auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        ACCESS_MASK mask = ace->Mask;
        MapGenericMask(&mask, &mapping);
        if ((mask & kChangingRights) && !MayChange(reinterpret_cast<PSID>(&ace->SidStart))) return true;
    }
    return false;
}

FolderSafety CheckSafety(const std::string& path, bool folder, std::string& reason) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return FolderSafety::Missing;
        reason = SystemErrorText(error);
        return FolderSafety::Failed;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FolderSafety::ReparsePoint;
    if (folder != ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        reason = SystemErrorText(folder ? ERROR_DIRECTORY : ERROR_ACCESS_DENIED);
        return FolderSafety::Failed;
    }
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT,
                                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                                              &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        reason = SystemErrorText(error);
        return FolderSafety::Failed;
    }
    const LocalMemory release(descriptor);
    // No list at all lets everyone do everything (a FAT drive, for one).
    if (!dacl || !OwnerMayBeTrusted(owner)) return FolderSafety::OpenToUsers;
    return OthersMayChange(dacl) ? FolderSafety::OpenToUsers : FolderSafety::Safe;
}

}  // namespace

FolderSafety CheckFolderSafety(const std::string& path, std::string& reason) {
    return CheckSafety(path, true, reason);
}

FolderSafety CheckFileSafety(const std::string& path, std::string& reason) {
    return CheckSafety(path, false, reason);
}

bool RunsAsAdministrator() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const OwnedHandle owner(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) && elevation.TokenIsElevated;
}

unsigned long CreateProtectedFolder(const std::string& path) {
    const LocalMemory descriptor = DescriptorFromText(kProtectedRights);
    if (!descriptor) return GetLastError();
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    return CreateDirectoryA(path.c_str(), &attributes) ? 0 : GetLastError();
}

bool OpenFolderToUsersForTesting(const std::string& path) {
    const LocalMemory descriptor = DescriptorFromText(kProgramDataRights);
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    if (!descriptor || !GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted)) return false;
    std::string name = path;
    return SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                 dacl, nullptr) == ERROR_SUCCESS;
}

}  // namespace platform
