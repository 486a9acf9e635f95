// A catalog changed by someone else is not overwritten silently. What the
// catalog's key held when it was opened or last saved is remembered
// (AppState.StoredCatalogImage); a Save into the same catalog compares it with
// its own reading of the key before it writes and, when it changed, asks
// whether to overwrite it, to look at the differences first, or to cancel.
// Save As, which replaces a catalog by intent, asks only when the key changed
// while the save's own questions were open.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"

// The question below, shown again after the differences until the user
// decides: true to overwrite the stored catalog of `catalogName`.
bool AskToOverwriteStoredChange(HWND window, const std::string& catalogName);

// The question: the catalog's name, what happened, and the buttons Overwrite,
// Show Differences (the Compare with Stored Catalog of the File menu: what the
// save would change in the stored catalog) and Cancel. Ends with
// IDC_STORED_CHANGE_OVERWRITE, IDC_STORED_CHANGE_DIFFERENCES or IDCANCEL.
class CStoredChangeDlg : public fw::CDialog {
public:
    explicit CStoredChangeDlg(std::string catalogName);

protected:
    bool OnInitDialog() override;
    bool OnNotify(int controlId, UINT code) override;
    // Enter presses the default button, which never overwrites.
    void OnOK() override;

private:
    void FitButtons();

    std::string catalogName_;
};
