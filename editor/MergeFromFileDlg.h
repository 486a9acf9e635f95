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
    // `canMerge` false: the lines only say what was not taken, and Merge is disabled.
    CMergeFromFileDlg(std::vector<std::string> lines, std::string summary, LabelId caption = LAB_FILE_MERGE,
                      bool canMerge = true);

protected:
    bool OnInitDialog() override;

private:
    std::string summary_;
    bool canMerge_;
};

// What a merge's preview shows besides the plan, and in which words.
struct MergePreview {
    LabelId caption = LAB_FILE_MERGE;
    MessageId nothingToMerge = MSG_MERGE_NOTHING;
    // Incoming papers whose lines carry `mark` (names as they come).
    std::vector<std::string> marked;
    LabelId mark = LAB_MEDIA_READY_MARK;
    // Lines after the plan's: what could not be taken, each with its reason.
    std::vector<std::string> notes;
};

// The one preview of a merge into AppState.CurrentCatalog: what it adds and
// changes, the default paper it leaves alone, and the preview's own lines;
// on Merge the merge is applied. Answers the catalog as it was before the
// merge; nothing when nothing was merged.
std::unique_ptr<CPaperCatalog> PreviewAndMerge(HWND window, const std::vector<CPaperDef>& incoming,
                                               const MergePreview& preview);

// Asks for a file (a catalog file, a CSV or JDF media), reads it once, refuses
// it with its reader's one message when a paper breaks the form's rules, shows
// what the merge would do and, on Merge, merges it into AppState.CurrentCatalog.
// Answers the catalog as it was before the merge; nothing when nothing was merged.
std::unique_ptr<CPaperCatalog> MergeFromFile(HWND window);
