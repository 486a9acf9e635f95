// The shared questions and reports: finishing a half-done edit, saving a
// changed catalog, failures of the store and of files, and internal errors.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <source_location>
#include <string>
#include <vector>

#include "platform/FileReplace.h"
#include "catalog/PaperCatalog.h"

// An error or a refusal: the text with the product label as caption, the stop
// icon and OK, owned by `owner`.
void ShowRefusal(HWND owner, const std::string& text);

// "Do you want to complete the operation?" with Yes and No: IDYES or IDNO.
int AskCompleteOperation(HWND window);

// Box naming the message for `kind` (1: the key cannot be opened or created,
// 2: unexpected creation disposition, else a general internal error), the
// reporting source file and its line.
void ReportInternalError(int kind, std::source_location where = std::source_location::current());

// Reports a failed save (`saving`) or open of the configured catalog
// `catalogName` in the operator's language: what failed, the catalog, its key
// below HKEY_LOCAL_MACHINE and the system's reason for `systemError`; for a
// save refused with access denied, that it needs administrator rights and how
// to get them. A save whose key could not be put back says that the stored
// catalog may be incomplete. Two names the keyword form cannot hold apart
// give their own message; an impossible creation disposition is an internal
// error. With `offerAdministrator`, a save refused with access denied asks
// instead whether to save as administrator: IDYES or IDNO; otherwise IDOK.
int ReportStoreFailure(HWND window, bool saving, const std::string& catalogName, const std::string& registryPath,
                       int16_t code, long systemError, bool offerAdministrator = false,
                       std::source_location where = std::source_location::current());

// Reports a failed export or import (`messageId`: its heading), the file's
// path and the system's reason.
void ReportFileFailure(HWND window, MessageId messageId, const std::string& path, long systemError);

// Reports a failed export as ReportFileFailure does; when the replace failed
// after it may have moved the old file aside, also where the complete new
// file and the file's previous content now are.
void ReportExportFailure(HWND window, const std::string& path, long systemError,
                         const std::optional<platform::KeptFiles>& kept);

// The entries of a catalog's key that are not part of the catalog, each named
// (shortened) with the reason, and counted: reported after an Open, or
// (`askToRemove`) asked about before a save would remove them, saying whether
// the backup before the save keeps them: IDYES or IDNO.
int ReportSkippedEntries(HWND window, const std::string& catalogName, const std::string& registryPath,
                         const std::vector<SkippedEntry>& entries, bool askToRemove);

// A save refused because the key holds entries whose names the program cannot
// write (STORE_NAMES_NOT_WRITABLE): names them and says how to get rid of them.
// A save the one save did not carry out, said as the outcome needs: nothing
// for an answer the user gave; IDYES when the user, told that the registry
// refused the rights, agrees to save as administrator.
struct SaveResult;
struct SaveTarget;
int ReportSaveFailure(HWND window, const SaveTarget& target, const SaveResult& result);

void ReportNamesNotWritable(HWND window, const std::string& catalogName, const std::string& registryPath,
                            const std::vector<SkippedEntry>& entries);

// Compare with Stored Catalog could not read the catalog's key.
void ReportCompareFailure(HWND window, const std::string& catalogName, const std::string& registryPath,
                          long systemError);
