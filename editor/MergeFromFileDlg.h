// File > Merge from File: the file's papers brought into the catalog being
// edited, after a preview of what the merge adds and changes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "catalog/PaperCatalog.h"
#include "editor/CompareCatalogDlg.h"

// The Compare view's list of lines, with the merge's summary under it and
// Merge (IDOK) beside Cancel.
class CMergeFromFileDlg : public CCompareCatalogDlg {
public:
    CMergeFromFileDlg(std::vector<std::string> lines, std::string summary);

protected:
    bool OnInitDialog() override;

private:
    std::string summary_;
};

// Asks for a file (a catalog file, a CSV or JDF media), reads it once, refuses
// it with its reader's one message when a paper breaks the form's rules, shows
// what the merge would do and, on Merge, merges it into AppState.CurrentCatalog.
// Answers the catalog as it was before the merge; nothing when nothing was merged.
std::unique_ptr<CPaperCatalog> MergeFromFile(HWND window);
