// The catalog: an ordered list of paper definitions, indexed from 0, each
// paper's Position equal to its index, none empty.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/PaperDef.h"
#include "platform/FileReplace.h"

// Result codes of the store and the catalog file.
enum : int16_t {
    STORE_OK = 0,
    STORE_KEY_FAILED = 1,          // the key cannot be opened, created, read to its end or written
    STORE_BAD_DISPOSITION = 2,     // the key was created or opened with an unexpected disposition
    IMPORT_FILE_INCOMPATIBLE = 3,  // the file may not be imported
    STORE_NAME_CASE_COLLISION = 4, // two paper names equal, or equal but for letter case: the keyword form cannot hold both
    STORE_ROLLBACK_FAILED = 5,     // a save failed part-way and the key could not be put back: it may hold a mix
    STORE_SAVE_DECLINED = -1,      // the caller's look before writing stopped the save: nothing written
};

// What a load, save or file operation can tell beside its result code.
struct StoreReport {
    // The system's error code behind a failure (a Win32 error code); 0 when
    // there is none, as for a refused empty path or a case collision.
    long SystemError = 0;
    // The load: the full names of string values too long for its buffers,
    // which it skipped; a save with a look before writing: those the key
    // holds, which the save removes.
    std::vector<std::string> UnreadableNames;
    // A failed export whose replace may have moved the old file aside: where
    // the new file and the old one now are.
    std::optional<platform::KeptFiles> Kept;
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
    // A load cut short by any failure is a failure, the catalog untouched.
    // A save either writes the whole catalog or puts the key back exactly as
    // it read it (STORE_ROLLBACK_FAILED when even that fails). `beforeWrite`,
    // when given, sees what the key holds (as the load would read it: the form
    // follows `descriptiveForm`) once it is read and before anything is
    // written, with the names of the values the load would skip already in
    // the report; false stops the save with STORE_SAVE_DECLINED.
    int16_t LoadFromRegistry(const std::string& registryPath, const std::string& pdlName,
                             StoreReport* report = nullptr);
    using BeforeWrite = std::function<bool(const CPaperCatalog& stored)>;
    int16_t SaveToRegistry(const std::string& registryPath, bool descriptiveForm,
                           const BeforeWrite& beforeWrite = nullptr, StoreReport* report = nullptr) const;

    // The catalog file (CatalogFile.cpp). ExportToFile answers whether the file
    // was written completely. A file CheckImportFile cannot open is refused
    // with the system's error in the report.
    bool ExportToFile(const std::string& path, StoreReport* report = nullptr) const;
    // The bytes ExportToFile writes, banner in the current language.
    std::string ExportBytes() const;
    int16_t CheckImportFile(const std::string& path, StoreReport* report = nullptr) const;
    void ImportFromFile(const std::string& path);
    // The same for a file's bytes, read once: what is checked is then what is
    // imported, however the file changes meanwhile. `acceptEmpty` also lets
    // through the file Export writes for a catalog without papers: the header
    // and no "Papers" section at all.
    int16_t CheckImportBytes(std::string_view bytes, bool acceptEmpty = false) const;
    void ImportFromBytes(std::string_view bytes);

private:
    std::vector<CPaperDef> papers_;
};


// Replaces AppState.CurrentCatalog by a new catalog holding only the default paper.
void BuildDefaultCatalog();

// Copies the registry path and PDL name of the first configured catalog named
// `catalogName` (exact comparison); leaves both untouched when none is.
void FindCatalogLocation(const std::string& catalogName, std::string& registryPath, std::string& pdlName);
