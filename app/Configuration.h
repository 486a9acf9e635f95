// The configuration file Vellicor.cfg, read once at start-up from the current
// directory: language, weight limits, product name and the configured catalogs.
#pragma once

#include <string>

inline constexpr const char* kConfigurationFileName = "Vellicor.cfg";

// Sets CurrentLanguage, the weight limits, ProductName and CatalogLocations.
// False (after its error box) when the file cannot be opened.
bool ReadConfiguration();

// The catalog section for the running Windows family: "Windows 95_98",
// "Windows NT", or "" when the family is unknown.
std::string GetWindowsFamily();

// Appends one CatalogLocation per configured catalog of `section`, probing each
// registry key for readability.
void DiscoverCatalogLocations(const std::string& configurationPath, const std::string& section);
