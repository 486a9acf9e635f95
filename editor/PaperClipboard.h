// Papers on the Windows clipboard: the editor's private format with the exact
// stored fields, and text that a spreadsheet reads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "catalog/PaperDef.h"

// Empties the clipboard and puts the papers on it in every format; false when
// the clipboard could not be opened or written.
bool PutPapersOnClipboard(HWND owner, const std::vector<CPaperDef>& papers);
// A format Paste may read is on the clipboard.
bool ClipboardMayHoldPapers();
// The papers on the clipboard: the private format when present, else text.
// False with the message to show when there is nothing to paste.
bool ReadPapersFromClipboard(HWND owner, std::vector<CPaperDef>& papers, std::string& refusal);
