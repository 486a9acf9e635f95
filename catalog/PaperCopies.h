// Names for papers that go into a catalog that already holds their name
// (Paste, Duplicate), in the manner of a file manager's copies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/PaperDef.h"

class CPaperCatalog;

// `name` itself when the catalog holds no paper of that name (letter case
// ignored, as the registry compares value names); otherwise the first of
// "name-Copy", "name-Copy2", "name-Copy3" ... (in `language`) that it does
// not hold, the name shortened so that the whole stays within the 31
// characters a paper name may have.
std::string NameForCopy(const CPaperCatalog& catalog, const std::string& name, int16_t language);
// The same for papers that go in together, each named as if the ones before
// it were in the catalog already.
void NameCopies(const CPaperCatalog& catalog, std::vector<CPaperDef>& papers, int16_t language);

// The papers as the editor's private clipboard format holds them: every
// stored field exactly, whatever bytes it holds. UnpackPapers refuses
// (false, `papers` untouched) anything PackPapers did not write.
#include <string_view>
#include <vector>

#include "catalog/PaperDef.h"

std::string PackPapers(const std::vector<CPaperDef>& papers);
bool UnpackPapers(std::string_view bytes, std::vector<CPaperDef>& papers);
