// Importing arbitrary bytes as a catalog file: no crash, and an accepted file
// gives a catalog whose positions run from 0 without gaps.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "catalog/PaperCatalog.h"
#include "state/AppState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AppState.SizeChoiceCount = 9;
    AppState.CurrentLanguage = 1;
    static const std::string path = "/tmp/quandrel-import-fuzz-" + std::to_string(getpid()) + ".cat";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CPaperCatalog catalog;
    const int16_t verdict = catalog.CheckImportFile(path);
    if (verdict != 0 && verdict != IMPORT_FILE_INCOMPATIBLE) std::abort();
    if (verdict != 0) return 0;
    catalog.ImportFromFile(path);
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const CPaperDef paper = catalog.GetPaper(i);
        if (paper.Position != i) std::abort();
        for (const std::string* text : {&paper.Name, &paper.Size, &paper.Weight, &paper.Color, &paper.Type})
            if (text->size() > 31) std::abort();  // each piece has a 32-byte slot
    }
    return 0;
}
