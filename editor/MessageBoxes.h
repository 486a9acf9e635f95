// The shared questions and reports: finishing a half-done edit, saving a
// changed catalog, and internal errors.
#pragma once

#include <windows.h>

#include <cstdint>
#include <source_location>
#include <string>

// An error or a refusal: the text with the product label as caption, the stop
// icon and OK, owned by `owner`.
void ShowRefusal(HWND owner, const std::string& text);

// "Do you want to complete the operation?" with Yes and No: IDYES or IDNO.
int AskCompleteOperation(HWND window);

// Offers to save the changed catalog (Yes, No, Cancel) and saves on Yes,
// asking for a catalog name first when it has none. IDYES only when the save
// succeeded; IDCANCEL when the user cancelled or the save failed (the failure
// is reported), so the caller stops and nothing is lost. A catalog saved here
// is offered by Open from then on.
int PromptSaveChanges(HWND window);

// Box naming the message for `kind` (1: the key cannot be opened or created,
// 2: unexpected creation disposition, else a general internal error), the
// reporting source file and its line.
void ReportInternalError(int kind, std::source_location where = std::source_location::current());

// Reports a failed save: the name-collision message for that code, otherwise
// ReportInternalError with the store's code.
void ReportSaveFailure(HWND window, int16_t code, std::source_location where = std::source_location::current());
