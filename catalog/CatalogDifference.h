// What a save would change: the papers of the catalog being edited against
// those its key holds now. Portable, never writes, free of any window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CPaperCatalog;

struct FieldChange {
    int attribute;  // PA_SIZE, PA_COLOR, PA_WEIGHT, PA_TYPE or PA_FORCE_ONE_SIDED
    std::string oldValue;  // as stored: the size keyword, "T" or "F" for the flag
    std::string newValue;
};

struct PaperDifference {
    enum Kind { Added, Removed, Changed, Moved } kind;
    std::string name;
    int oldPosition = -1;  // 0-based; -1 for an added paper
    int newPosition = -1;  // 0-based; -1 for a removed paper
    std::vector<FieldChange> changes;  // Changed only
};

// Papers are matched by name (the n-th paper of a name with the n-th of the
// same name). Unmatched stored papers are removed, unmatched edited ones added.
// A matched paper with other attributes is changed; matched papers whose order
// relative to the others differs are moved (the fewest such, so inserting or
// removing a paper moves nothing). Removed papers come first in stored order,
// then the rest in the edited catalog's order.
std::vector<PaperDifference> CompareCatalogs(const CPaperCatalog& stored, const CPaperCatalog& edited);

// Compares `edited`, as the key would hold it after a save (through the PDL's
// value form), with the key's content read by the store's own load. A key
// that does not exist counts as an empty catalog; one that cannot be read is
// a failure (the load's result, the system's error in `systemError`), never
// a catalog whose papers would all seem new.
int16_t CompareWithStore(const CPaperCatalog& edited, const std::string& registryPath, const std::string& pdlName,
                         std::vector<PaperDifference>& differences, long* systemError = nullptr);

// One line for the user in `language`.
std::string DescribeDifference(const PaperDifference& difference, int16_t language);
