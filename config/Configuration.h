// The configuration file Vellicor.cfg, read once at start-up from the current
// directory: language, weight limits, product name and the configured catalogs.
#pragma once

#include <string>

inline constexpr const char* kConfigurationFileName = "Vellicor.cfg";
// Where the installer puts it (the Start menu shortcut's working folder).
inline constexpr const char* kInstalledConfiguration = "%ProgramData%\\Quandrel\\Vellicor.cfg";

// Sets CurrentLanguage, the weight limits, ProductName and CatalogLocations.
// False (after its error box) when the file cannot be opened.
bool ReadConfiguration();

// What LoadConfiguration found. An invalid language still loads the rest, in English.
enum class ConfigurationResult { Read, Missing, Unreadable, InvalidLanguage };

// The reading itself, without a word to the user: the command-line companion
// reports in its own way what the editor reports in boxes. `error` receives
// the system's error code when the file is missing or cannot be read;
// `language` the Language value as written (for a report of one not known).
// A UTF-8 file (Notepad's "UTF-8 with BOM") is read through its byte-order
// mark, its texts in the program's code page where they fit it.
ConfigurationResult LoadConfiguration(const std::string& path, long* error = nullptr, std::string* language = nullptr);

// The ten language names the Language key accepts, in the list's order.
std::string KnownLanguageNames();

// The catalog section for the running Windows family: "Windows 95_98",
// "Windows NT", or "" when the family is unknown.
std::string GetWindowsFamily();

// Appends one CatalogLocation per configured catalog of `section`, probing each
// registry key for readability.
void DiscoverCatalogLocations(const std::string& configurationPath, const std::string& section);
