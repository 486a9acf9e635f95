// What a catalog's key holds, value by value: remembered when the catalog is
// opened or saved, and read again before Save writes, to tell whether someone
// else (another operator, another copy of the program, another tool) changed
// the stored catalog in between.
#pragma once

#include <optional>
#include <string>

#include "state/AppState.h"

// Every value of HKEY_LOCAL_MACHINE\registryPath (name, type, raw data), in
// name order; a key that does not exist reads as holding nothing. Nothing
// when the key cannot be read to its end: then no one can tell.
std::optional<StoredKeyImage> ReadStoredImage(const std::string& registryPath);
