// The catalog being edited as a document: the questions before a command
// replaces it, the one way the editor opens and stores a catalog, and a
// replaced catalog shown and kept as one step of the history. The File menu's
// commands (FileCommands.h) and the main window's close are built on these.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class CPaperCatalog;
class CVellicorView;
enum class EditAction : int;
struct StoreReport;

// True when the command may replace the catalog. A cancelled prompt, or a save
// the prompt could not complete, keeps the catalog marked modified.
bool PassUnsavedChangesGate(HWND window);

// Offers to save the changed catalog (Yes, No, Cancel) and saves on Yes,
// asking for a catalog name first when it has none. IDYES only when the save
// succeeded; IDCANCEL when the user cancelled or the save failed (the failure
// is reported), so the caller stops and nothing is lost. A catalog saved here
// is offered by Open from then on.
int PromptSaveChanges(HWND window);

// After the catalog has been replaced: the list, the default paper's line and
// its fields, then the title bar.
void ShowReplacedCatalog(CVellicorView& view);
// A command that replaces the catalog as a whole (Import, Restore Previous
// Version): `replacement` becomes the catalog, named `name` (empty: none of
// the configured ones), shown, and one step of the history.
void ReplaceCatalogAsStep(CVellicorView& view, EditAction action, std::unique_ptr<CPaperCatalog> replacement,
                          std::string name);
// One undo step for a change that replaced the catalog's content in place (Merge).
void RecordCatalogReplaced(std::unique_ptr<CPaperCatalog> previous, int selectedBefore, int selectedAfter);

int16_t OpenCatalogFromStore(const std::string& registryPath, const std::string& pdlName, StoreReport& report);
// The one way the editor stores a catalog: writes CurrentCatalog into the
// configured catalog `catalogName`, in the form its PDL demands, after asking
// before entries that are not part of the catalog would be removed and, with
// `askIfChangedElsewhere`, before a change made by someone else since the
// catalog was opened or saved would be overwritten. A change made while its
// questions were open is asked about in any case. True when stored (what the
// key holds then is remembered); otherwise the failure has been reported (or
// the user said No).
bool SaveCatalogAs(HWND window, const std::string& catalogName, bool askIfChangedElsewhere);
void SetCatalogAvailable(const std::string& catalogName, bool available);
// Before the main window closes (Exit, logoff): a pending edit, then unsaved
// changes; IDCANCEL keeps the window.
int QueryCloseMainWindow(HWND owner);
