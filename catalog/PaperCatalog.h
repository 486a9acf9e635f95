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
#include "state/AppState.h"

// Result codes of the store and the catalog file.
enum : int16_t {
    STORE_OK = 0,
    STORE_KEY_FAILED = 1,          // the key cannot be opened, created, read to its end or written
    STORE_BAD_DISPOSITION = 2,     // the key was created or opened with an unexpected disposition
    IMPORT_FILE_INCOMPATIBLE = 3,  // the file may not be imported
    STORE_NAME_CASE_COLLISION = 4, // two paper names equal, or equal but for letter case: the keyword form cannot hold both
    STORE_ROLLBACK_FAILED = 5,     // a save failed part-way and the key could not be put back: it may hold a mix
    STORE_NAMES_NOT_WRITABLE = 6,  // the key holds values whose names the code page cannot hold, which a save
                                   // could neither remove nor put back: nothing written
    STORE_NOT_STORABLE = 8,        // a paper's value would not be read back as it was written: nothing written
    STORE_SAVE_DECLINED = -1,      // a question of the save stopped it: nothing written
};

// A value of the key that is not part of the catalog the load reads.
struct SkippedEntry {
    enum Reason : uint8_t {
        TooLong,         // a string value whose name or text is too long for the load's buffers
        NotText,         // a value of another type than REG_SZ
        Displaced,       // another value claims its position and, enumerated later, took it
        NameNotWritable, // its name holds characters the code page cannot hold
    } reason;
    StoredValueImage value;
    std::string displacedBy;  // Displaced: the name of the value in its place
};

// The message (MSG#) naming a skipped entry and why, one line: %1 its name,
// %2 the value in its place.
MessageId SkippedEntryMessage(SkippedEntry::Reason reason);

// What a load, save or file operation can tell beside its result code.
struct StoreReport {
    // The system's error code behind a failure (a Win32 error code); 0 when
    // there is none, as for a refused empty path or a case collision.
    long SystemError = 0;
    // The entries of the key that are not part of the catalog, by name: the
    // load skipped them; a save's look (and STORE_NAMES_NOT_WRITABLE) is told
    // of those the save would remove.
    std::vector<SkippedEntry> Skipped;
    // Every value of the key in name order, from the one reading of the key:
    // what the load read, what a save's look is shown, what the key holds
    // after a save, and after STORE_CHANGED_MEANWHILE what it holds now.
    StoredKeyImage Image;
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
    // By index, each renumbering the positions it shifts; a bad index changes nothing.
    // InsertPaperAt takes 0 to GetCount(); MovePaperTo puts the paper at `from` at `to`.
    void InsertPaperAt(int index, CPaperDef paper);
    // Each at the end, in this order, numbered by its place.
    void AppendPapers(const std::vector<CPaperDef>& papers);
    void MovePaperTo(int from, int to);
    // Exchanges the paper at `index` with `paper` (its position kept).
    void ExchangePaper(int index, CPaperDef& paper);
    bool ContainsName(const std::string& name) const;

    // The registry store (PaperCatalogRegistry.cpp). Each reads the key once, every
    // value whole; the load takes the catalog from that reading.
    // A load cut short by any failure is a failure, the catalog untouched.
    // SaveToRegistry is the one save (CatalogSave.h) asked nothing and backing
    // up nothing: it writes the whole catalog over whatever the key holds, or
    // puts the key back exactly as it read it (STORE_ROLLBACK_FAILED when even
    // that fails); a key the save created and left empty is removed again.
    int16_t LoadFromRegistry(const std::string& registryPath, const std::string& pdlName,
                             StoreReport* report = nullptr);
    int16_t SaveToRegistry(const std::string& registryPath, bool descriptiveForm, StoreReport* report = nullptr) const;

    // The catalog file (PaperCatalogFile.cpp). ExportToFile answers whether the file
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


// A catalog file as the one reader of the format reads it. Import, the
// companion, the restore of a backup and the table reader's catalog-file
// input all take their papers from here.
struct CatalogFile {
    bool recognised = false;        // it begins with the catalog file's first line
    bool hasPapersSection = false;  // an exported empty catalog has none
    // The "Papers" entries by the file's rules: numbered from 000 upward, the
    // first gap ends the list, the first of a repeated key counts, only "T"
    // forces, each value split into at most six pieces of 31 characters.
    std::vector<CPaperDef> papers;
    // A backup's, or a hand-off's, exact values of the key (in name order).
    std::optional<StoredKeyImage> values;
    // A hand-off's image the key must hold; `expectedGiven` without
    // `expected`: it may hold anything.
    bool expectedGiven = false;
    std::optional<StoredKeyImage> expected;
    bool valuesBroken = false;  // a section of values that cannot be read whole
};
CatalogFile ReadCatalogFile(std::string_view bytes);

// A catalog file of `catalog`'s papers, with the key's exact `values` (a
// backup, a hand-off) and, for a hand-off, the image the key must hold
// (`expected` pointing at none: anything).
std::string CatalogFileBytes(const CPaperCatalog& catalog, const StoredKeyImage* values,
                             const std::optional<StoredKeyImage>* expected);

// A section of exact values in a file of the catalog file's INI layout
// ("Count=N", then "Value_NNN=type,name,data" in hexadecimal): appended to
// `bytes`, and read back; none when the section is missing, and `broken` set
// when it is there but cannot be read whole.
std::string AppendValuesSection(std::string bytes, const char* section, const StoredKeyImage& values);
std::optional<StoredKeyImage> ReadValuesSection(std::string_view bytes, const char* section, bool& broken);

// Replaces AppState.CurrentCatalog by a new catalog holding only the default paper.
void BuildDefaultCatalog();

// Copies the registry path and PDL name of the first configured catalog named
// `catalogName` (exact comparison); leaves both untouched when none is.
void FindCatalogLocation(const std::string& catalogName, std::string& registryPath, std::string& pdlName);
