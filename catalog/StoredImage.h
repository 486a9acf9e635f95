// What a catalog's key holds, value by value: read once by every load and
// every save, remembered when the catalog is opened or saved, and compared by
// the next save to tell whether someone else (another operator, another copy
// of the program, another tool) changed the stored catalog in between.
#pragma once

#include "platform/Registry.h"
#include "state/AppState.h"

// Every value of the open key (name, type, raw data) in the registry's own
// order, whatever the length of its name or data. kRegOk, or the result that
// cut the reading short (then `image` holds what was read before it).
long ReadKeyImage(const platform::RegKey& key, StoredKeyImage& image);

// In name order: the registry's order of values carries no meaning (a save
// rewrites only the values that changed), so images are compared sorted.
void SortKeyImage(StoredKeyImage& image);
