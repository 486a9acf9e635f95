// Catalogs this user may read but not change: the registry is asked (never by
// writing) at Open and after every save; the title bar and File > Save show
// the answer; a save is then handed to the companion, started with the
// Windows elevation prompt. The editor never elevates itself.
#pragma once

#include <windows.h>

#include <string>

// The question before a save of a catalog this user cannot write: true for Yes.
bool AskSaveAsAdministrator(HWND window, const std::string& catalogName, const std::string& registryPath);

// Writes CurrentCatalog to a temporary catalog file and runs
// `VellicorCmd /import` on it for the configured catalog `catalogName`,
// elevated, waiting for it; with `askIfChangedElsewhere`, asks first when the
// key no longer holds what the catalog was opened or saved from. True when
// the companion stored it (what the key holds is then read again and
// remembered); otherwise the outcome has been reported: the companion's own
// message, a declined prompt in one line. The temporary files are removed.
bool SaveAsAdministrator(HWND window, const std::string& catalogName, bool askIfChangedElsewhere);
