// The catalog: an ordered list of paper definitions, indexed from 0, each
// paper's Position equal to its index, none empty.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalog/PaperDef.h"

// Result codes of the store and the catalog file.
enum : int16_t {
    STORE_OK = 0,
    STORE_KEY_FAILED = 1,          // the key cannot be opened or created (or a value cannot be deleted)
    STORE_BAD_DISPOSITION = 2,     // the key was created or opened with an unexpected disposition
    IMPORT_FILE_INCOMPATIBLE = 3,  // the file may not be imported
    STORE_NAME_CASE_COLLISION = 4, // two paper names equal but for letter case: the keyword form cannot hold both
    STORE_SAVE_DECLINED = -1,      // the caller's look before writing stopped the save: nothing written
};

class CPaperCatalog {
public:
    int GetCount() const { return static_cast<int>(papers_.size()); }
    CPaperDef GetPaper(int index) const;

    void AddPaper(const std::string& name, const std::string& size, const std::string& weight,
                  const std::string& color, const std::string& type, bool forceOneSided, int32_t position);
    void SetPaperAt(int index, const std::string& name, const std::string& size, const std::string& weight,
                    const std::string& color, const std::string& type, bool forceOneSided);
    void ModifyPaper(const std::string& name, const std::string& size, const std::string& weight,
                     const std::string& color, const std::string& type, bool forceOneSided, int index);
    void RemovePaper(int index);
    void MovePaper(bool down, int index);
    bool ContainsName(const std::string& name) const;

    // The registry store (RegistryStore.cpp).
    int16_t LoadFromRegistry(const std::string& registryPath, const std::string& pdlName);
    // `beforeWrite`, when given, sees what the key holds (as the load would
    // read it: the form follows `descriptiveForm`) once it is read and before
    // anything is written; false stops the save with STORE_SAVE_DECLINED.
    using BeforeWrite = std::function<bool(const CPaperCatalog& stored)>;
    int16_t SaveToRegistry(const std::string& registryPath, bool descriptiveForm,
                           const BeforeWrite& beforeWrite = nullptr) const;

    // The catalog file (CatalogFile.cpp). ExportToFile answers whether the file
    // was written completely.
    bool ExportToFile(const std::string& path) const;
    // The bytes ExportToFile writes, banner in the current language.
    std::string ExportBytes() const;
    int16_t CheckImportFile(const std::string& path) const;
    void ImportFromFile(const std::string& path);

private:
    std::vector<CPaperDef> papers_;
};

// Replaces AppState.CurrentCatalog by a new catalog holding only the default paper.
void BuildDefaultCatalog();

// Copies the registry path and PDL name of the first configured catalog named
// `catalogName` (exact comparison); leaves both untouched when none is.
void FindCatalogLocation(const std::string& catalogName, std::string& registryPath, std::string& pdlName);
