// The one version number (project() in CMakeLists.txt) reaches the version
// resource, the manifest and the About box's text alike. The resources are the
// program's own: this test program links the same resource object.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ProgramVersion.h"
#include "config/Startup.h"
#include "resources/resource.h"

namespace {

std::vector<char> OwnVersionInfo() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_GT(length, 0u);
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(path, &ignored));
    EXPECT_FALSE(info.empty());
    if (!info.empty()) {
        EXPECT_TRUE(GetFileVersionInfoA(path, 0, static_cast<DWORD>(info.size()), info.data()));
    }
    return info;
}

std::string StringValue(std::vector<char>& info, const char* name) {
    char* text = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&text), &length) || !text) return "";
    return text;
}

std::string Manifest() {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    if (!found) return "";
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    return bytes ? std::string(bytes, SizeofResource(nullptr, found)) : "";
}

TEST(VersionResource, EveryPlaceShowsTheProjectVersion) {
    char twoDigits[32];
    std::snprintf(twoDigits, sizeof twoDigits, "%02d.%02d.%02d", QUANDREL_VERSION_MAJOR, QUANDREL_VERSION_MINOR,
                  QUANDREL_VERSION_PATCH);
    EXPECT_STREQ(kProgramVersion, twoDigits);

    std::vector<char> info = OwnVersionInfo();
    ASSERT_FALSE(info.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const DWORD high = MAKELONG(QUANDREL_VERSION_MINOR, QUANDREL_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, QUANDREL_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(StringValue(info, "FileVersion"), kProgramVersion);
    EXPECT_EQ(StringValue(info, "ProductVersion"), kProgramVersion);

    char assembly[64];
    std::snprintf(assembly, sizeof assembly, "name=\"Quandrel.Vellicor\" version=\"%d.%d.%d.0\"",
                  QUANDREL_VERSION_MAJOR, QUANDREL_VERSION_MINOR, QUANDREL_VERSION_PATCH);
    EXPECT_NE(Manifest().find(assembly), std::string::npos) << Manifest();
}

// The manifest asks for each monitor's own scale, with the older declarations
// for Windows that do not know it; the icon has a drawing for every size the
// scales and views ask for.
TEST(VersionResource, SharpAtEveryScale) {
    const std::string manifest = Manifest();
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos) << manifest;

    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(bytes, nullptr);
    // GRPICONDIR: reserved, type, count, then 14-byte entries beginning with width and height (0 for 256).
    const int count = bytes[4] | bytes[5] << 8;
    std::vector<int> widths;
    for (int i = 0; i < count; ++i) {
        const unsigned char* entry = bytes + 6 + 14 * i;
        EXPECT_EQ(entry[0], entry[1]);
        widths.push_back(entry[0] == 0 ? 256 : entry[0]);
    }
    EXPECT_EQ(widths, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
}

}  // namespace
