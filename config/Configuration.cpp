#include "config/Configuration.h"

#include <cstdio>

#include "catalog/CatalogBackup.h"
#include "catalog/PaperTable.h"
#include "platform/MessageBox.h"
#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "resources/StringTable.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

// Capacities of the buffers the values are read into: a longer value is cut to
// capacity - 1 characters, as the profile functions do.
constexpr size_t kLanguageCapacity = 32;
constexpr size_t kProductNameCapacity = 128;
constexpr size_t kCatalogNameCapacity = 64;
constexpr size_t kPdlNameCapacity = 16;
constexpr size_t kRegistryPathCapacity = 256;

std::string NumberedKey(const char* prefix, int number) {
    char key[48];
    std::snprintf(key, sizeof key, "%s%02d", prefix, number);
    return key;
}

void ShowStartupError(const std::string& text) {
    // The user's language is not known yet: the caption is always English.
    const std::string caption = GetLocalizedString(kLabelList, LAB_PRODUCT, kEnglish);
    platform::ShowMessageBox(nullptr, text, caption, platform::kMbOk | platform::kMbIconHand);
}

void AppendLocations(const platform::ProfileFile& file, const std::string& section) {
    // An unknown Windows family has no catalogs, even should the file hold a "[]" section.
    if (section.empty()) return;
    for (int number = 1;; ++number) {
        CatalogLocation location;
        location.CatalogName = file.GetString(section, NumberedKey("Catalog_", number), "", kCatalogNameCapacity);
        location.PdlName = file.GetString(section, NumberedKey("PDL_", number), "", kPdlNameCapacity);
        location.RegistryPath = file.GetString(section, NumberedKey("Registry_", number), "", kRegistryPathCapacity);
        if (location.CatalogName.empty() || location.PdlName.empty() || location.RegistryPath.empty()) return;

        // Opened only to learn whether the key exists and may be read; the
        // owner closes it again at once.
        platform::RegKey key;
        location.Available = platform::OpenKeyForReading(location.RegistryPath, key) == platform::kRegOk;
        AppState.CatalogLocations.push_back(std::move(location));
    }
}

}  // namespace

std::string GetWindowsFamily() {
    unsigned long platformId = 0;
    if (!platform::QueryWindowsPlatform(platformId)) return "";
    if (platformId == 1) return "Windows 95_98";
    if (platformId == 2) return "Windows NT";
    return "";
}

void DiscoverCatalogLocations(const std::string& configurationPath, const std::string& section) {
    AppendLocations(platform::ProfileFile::Load(configurationPath), section);
}

std::string KnownLanguageNames() {
    std::string names;
    const int32_t count = GetStringListCount(kLanguageList, kLanguageListId);
    for (int32_t position = 1; position <= count && position <= INT16_MAX; ++position) {
        if (!names.empty()) names += ", ";
        names += GetLocalizedString(kLanguageList, kLanguageListId, static_cast<int16_t>(position));
    }
    return names;
}

ConfigurationResult LoadConfiguration(const std::string& path, long* error, std::string* language) {
    // A file that is missing and one that is there but cannot be read are told
    // apart: the second is not an invalid language.
    std::string bytes;
    long failure = platform::ProbeFileForReading(path);
    if (failure == 0) failure = platform::ReadWholeFile(path, bytes);
    if (failure != 0) {
        if (error) *error = failure;
        const bool missing = failure == 2 || failure == 3;  // no such file, no such folder
        return missing ? ConfigurationResult::Missing : ConfigurationResult::Unreadable;
    }
    // The profile functions would take the mark for part of the first
    // section's name and lose the section; an administrator who saved the
    // file from Notepad as UTF-8 means it as text.
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        bytes.erase(0, 3);
        if (std::string text; Utf8ToCp1252(bytes, text)) bytes = std::move(text);
    }
    const platform::ProfileFile file = platform::ProfileFile::Parse(bytes);

    ConfigurationResult result = ConfigurationResult::Read;
    const std::string languageName = file.GetString("I18N", "Language", "", kLanguageCapacity);
    if (language) *language = languageName;
    AppState.CurrentLanguage = FindLanguageIndex(languageName);
    if (AppState.CurrentLanguage == -1) {
        AppState.CurrentLanguage = kEnglish;
        result = ConfigurationResult::InvalidLanguage;
    }

    AppState.MinimumPaperWeight = file.GetInt("Limits", "MinimumPaperWeight", 60);
    AppState.MaximumPaperWeight = file.GetInt("Limits", "MaximumPaperWeight", 200);
    AppState.ProductName = file.GetString("Strings", "Product_Name", "? ? ? ? ?", kProductNameCapacity);

    const BackupSettings backups = ReadBackupSettings(file);
    AppState.BackupFolder = backups.Folder;
    AppState.BackupKeep = backups.Keep;

    AppState.ConfigurationSection = GetWindowsFamily();
    AppendLocations(file, AppState.ConfigurationSection);
    return result;
}

bool ReadConfiguration() {
    // The bare name, which the system resolves against the current directory
    // itself: a directory name outside the ANSI code page would come back from
    // GetCurrentDirectoryA with its letters replaced, naming no folder at all.
    const std::string path = kConfigurationFileName;

    long error = 0;
    const ConfigurationResult result = LoadConfiguration(path, &error);
    // The companion started for a save as administrator reads the same file.
    AppState.ConfigurationFile = path;
    switch (result) {
    case ConfigurationResult::Missing:
    case ConfigurationResult::Unreadable: {
        const bool missing = error == 2 || error == 3;
        const std::string format = platform::LoadStringTableText(missing ? IDS_CONFIG_NOT_OPENED : IDS_CONFIG_NOT_READ);
        char text[512];
        std::snprintf(text, sizeof text, format.c_str(), kConfigurationFileName);
        std::string report = text;
        if (!missing) {
            const std::string reason = platform::SystemErrorText(error);
            if (!reason.empty()) report += "\n" + reason;
        }
        ShowStartupError(report);
        return false;
    }
    case ConfigurationResult::InvalidLanguage:
        ShowStartupError(platform::LoadStringTableText(IDS_INVALID_LANGUAGE));
        return true;
    case ConfigurationResult::Read:
        return true;
    }
    return true;
}
