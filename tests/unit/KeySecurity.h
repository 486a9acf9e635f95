// Windows only: a key's security set so that everyone may do given things on
// it and nothing more. With KEY_READ the key is one this user may read but not
// change, as HKEY_LOCAL_MACHINE is for a standard user.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

inline void GiveEveryone(const std::string& path, REGSAM rights) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS) << path;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    alignas(DWORD) char aclBytes[256];
    PACL acl = reinterpret_cast<PACL>(aclBytes);
    SECURITY_DESCRIPTOR descriptor;
    EXPECT_TRUE(InitializeAcl(acl, sizeof aclBytes, ACL_REVISION) && AddAccessAllowedAce(acl, ACL_REVISION, rights, everyone) &&
                InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
    FreeSid(everyone);
    RegCloseKey(key);
}
