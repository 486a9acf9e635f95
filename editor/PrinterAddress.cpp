#include "editor/PrinterAddress.h"

#include <cstdio>
#include <optional>

#include "platform/FileReplace.h"
#include "platform/ProfileEdit.h"
#include "platform/ProfileFile.h"
#include "platform/System.h"
#include "state/AppState.h"

namespace {

// Longer than any address a printer's web page shows.
constexpr size_t kUriCapacity = 1024;

std::optional<size_t> ConfiguredIndex(const std::string& catalogName) {
    if (catalogName.empty() || AppState.ConfigurationSection.empty()) return std::nullopt;
    for (size_t i = 0; i < AppState.CatalogLocations.size(); ++i) {
        if (AppState.CatalogLocations[i].CatalogName == catalogName) return i;
    }
    return std::nullopt;
}

}  // namespace

namespace {

// "Registry_03" for the third configured catalog, as the start-up numbers them.
std::string NumberedKey(const char* prefix, size_t catalogIndex) {
    char key[48];
    std::snprintf(key, sizeof key, "%s%02zu", prefix, catalogIndex + 1);
    return key;
}

}  // namespace

std::string PrinterUriKey(size_t catalogIndex) { return NumberedKey("PrinterUri_", catalogIndex); }

std::string RememberedPrinterUri(const std::string& catalogName) {
    const std::optional<size_t> index = ConfiguredIndex(catalogName);
    if (!index) return "";
    std::string bytes;
    if (platform::ReadWholeFile(AppState.ConfigurationFile, bytes) != 0) return "";
    // As the start-up reads it: a UTF-8 mark is not part of the first section's name.
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    return platform::ProfileFile::Parse(bytes).GetString(AppState.ConfigurationSection, PrinterUriKey(*index), "",
                                                         kUriCapacity);
}

RememberOutcome RememberPrinterUri(const std::string& catalogName, const std::string& uri, long* error) {
    if (error) *error = 0;
    const std::optional<size_t> index = ConfiguredIndex(catalogName);
    if (!index) return RememberOutcome::NotConfigured;
    std::string bytes;
    if (const long failure = platform::ReadWholeFile(AppState.ConfigurationFile, bytes); failure != 0) {
        if (error) *error = failure;
        return RememberOutcome::Failed;
    }
    // A new key goes after the last of the keys that configure the catalog.
    const std::optional<std::string> changed = platform::SetProfileValue(
        bytes, AppState.ConfigurationSection, PrinterUriKey(*index), uri, NumberedKey("Registry_", *index));
    if (!changed) return RememberOutcome::Failed;
    if (*changed == bytes) return RememberOutcome::Written;
    return platform::WriteFileReplacing(AppState.ConfigurationFile, *changed, error) ? RememberOutcome::Written
                                                                                      : RememberOutcome::Failed;
}
