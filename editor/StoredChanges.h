// A catalog changed by someone else is not overwritten silently. What the
// catalog's key held when it was opened or last saved is remembered
// (AppState.StoredCatalogImage); before Save writes into the same catalog it
// reads the key again and, when it changed, asks whether to overwrite it,
// to look at the differences first, or to cancel. Save As, which replaces a
// catalog by intent, is not affected.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"

// Remembers what the key of configured catalog `catalogName` holds now, after
// it was saved there; forgets it when the key cannot be read.
void RememberStoredCatalog(const std::string& catalogName);

// Before a save into CurrentCatalogName: true when it may write (the key is as
// remembered, nothing is remembered, or the user chose to overwrite); false
// when the user cancelled.
bool PassStoredChangeGate(HWND window);

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
