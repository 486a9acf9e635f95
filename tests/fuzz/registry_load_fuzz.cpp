// Loading arbitrary registry values as a catalog, in both forms: no crash, and
// the catalog's positions run from 0 without gaps whatever was stored.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "catalog/PaperCatalog.h"
#include "platform/Registry.h"
#include "platform/RegistryTesting.h"
#include "state/AppState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AppState.SizeChoiceCount = 9;
    AppState.CurrentLanguage = 1;
    platform::ResetMemoryRegistry();
    const std::string path = "SOFTWARE\\Fuzz\\Catalog";
    platform::RegKey key;
    uint32_t disposition = 0;
    if (platform::CreateOrOpenKey(path, key, disposition) != platform::kRegOk) std::abort();

    // Values: a type byte, then the name up to a NUL, then the data up to a NUL.
    size_t i = 0;
    int values = 0;
    while (i < size && values < 200) {
        const uint32_t type = data[i++] % 5;
        std::string name, bytes;
        while (i < size && data[i] != 0) name += static_cast<char>(data[i++]);
        ++i;
        while (i < size && data[i] != 0) bytes += static_cast<char>(data[i++]);
        ++i;
        if (type == platform::kRegSz) bytes.push_back('\0');
        if (platform::SetRawValue(key, name, type, bytes) == platform::kRegOk) ++values;
    }
    key.Reset();

    for (const char* pdl : {"PS", "PCL"}) {
        CPaperCatalog catalog;
        if (catalog.LoadFromRegistry(path, pdl) != 0) std::abort();
        if (catalog.GetCount() > values) std::abort();
        for (int p = 0; p < catalog.GetCount(); ++p)
            if (catalog.GetPaper(p).Position != p) std::abort();
    }
    return 0;
}
