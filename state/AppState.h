// The one global record of editing state. Every field is reached directly by
// the parts of the program that own its meaning.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CPaperCatalog;

// Deletes the current catalog where its type is complete (catalog/), so that
// this record needs nothing of the layers above it. It takes over from the
// default deleter, so a std::unique_ptr<CPaperCatalog> can be moved in.
struct CatalogDeleter {
    CatalogDeleter() = default;
    CatalogDeleter(std::default_delete<CPaperCatalog>) {}
    void operator()(CPaperCatalog* catalog) const;
};

// One configured catalog, in the order of the configuration file.
struct CatalogLocation {
    bool Available = false;    // its key could be opened for reading (or was saved to)
    std::string CatalogName;   // Catalog_NN
    std::string PdlName;       // PDL_NN
    std::string RegistryPath;  // Registry_NN, below HKEY_LOCAL_MACHINE
};

// One value of a catalog's key as it was read (name, registry type, raw data).
struct StoredValueImage {
    std::string Name;
    uint32_t Type = 0;
    std::string Data;
    // False when the name holds characters the code page cannot hold: Name
    // is then only its likeness, by which the value cannot be reached.
    bool ExactName = true;
    bool operator==(const StoredValueImage&) const = default;
};
using StoredKeyImage = std::vector<StoredValueImage>;

struct AppStateRecord {
    AppStateRecord();
    ~AppStateRecord();
    AppStateRecord(const AppStateRecord&) = delete;
    AppStateRecord& operator=(const AppStateRecord&) = delete;

    void* ResourceModule = nullptr;  // module holding the string lists; null = own module
    std::unique_ptr<CPaperCatalog, CatalogDeleter> CurrentCatalog;
    std::string ProductName;
    // The configuration file read at start-up, as it was named to the system
    // (relative to the current directory).
    std::string ConfigurationFile;
    // Its section that configures the catalogs (the Windows family's); empty
    // when the family is unknown.
    std::string ConfigurationSection;
    std::string DefaultPaperName;
    std::string CurrentCatalogName;
    std::string SaveAsName;
    std::vector<CatalogLocation> CatalogLocations;
    int16_t CurrentLanguage = 0;
    int32_t MinimumPaperWeight = 0;
    int32_t MaximumPaperWeight = 0;
    int16_t SizeChoiceCount = 0;
    int16_t WeightChoiceCount = 0;
    int16_t ColorChoiceCount = 0;
    int16_t TypeChoiceCount = 0;
    // The key of CurrentCatalogName cannot be written by this user, as the
    // registry answered at Open or after the last save: the title bar says so
    // and Save goes through the companion, started as administrator.
    bool CatalogReadOnly = false;
    // [Backups] of the configuration: where a catalog's content goes before a
    // save replaces it, and how many backups per catalog are kept (0: none).
    std::string BackupFolder;
    int32_t BackupKeep = 0;
    // What the key of CurrentCatalogName held when the catalog was opened or
    // last saved; Save reads the key again and asks before it overwrites a
    // change made by someone else. Nothing when it is not known.
    std::optional<StoredKeyImage> StoredCatalogImage;

    // Puts every field back to its initial value (tests start from it).
    void Reset();
};

extern AppStateRecord AppState;
