#include "editor/MessageBoxes.h"

#include <cstdio>
#include <string>

#include "catalog/CatalogBackup.h"
#include "catalog/CatalogSave.h"
#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "framework/Application.h"
#include "platform/MessageBox.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {
// Entries named in a report of skipped ones, and the characters shown of each name.
constexpr size_t kNamesShown = 10;
constexpr size_t kNameCharactersShown = 40;

// The file name without its directories, whichever separator the compiler used.
std::string BareFileName(const char* path) {
    const std::string full(path ? path : "");
    const size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? full : full.substr(slash + 1);
}

std::string FormatErrorLocation(const std::string& message, const std::string& file, int line) {
    std::string format = platform::LoadStringTableText(IDS_ERROR_LOCATION);
    if (format.empty()) format = TXT_ERROR_LOCATION;
    const int length = std::snprintf(nullptr, 0, format.c_str(), message.c_str(), file.c_str(), line);
    if (length <= 0) return message;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format.c_str(), message.c_str(), file.c_str(), line);
    text.resize(static_cast<size_t>(length));
    return text;
}

// A message about a catalog: %1 its name, %2 its key in full.
std::string CatalogMessage(MessageId id, const std::string& catalogName, const std::string& registryPath) {
    return FormatText(InterfaceMessage(id), {catalogName, "HKEY_LOCAL_MACHINE\\" + registryPath});
}

// The system's own words for the error, and its number for whoever helps.
std::string ReasonLine(long systemError) {
    if (systemError == 0) return {};
    const std::string reason = platform::SystemErrorText(systemError);
    return "\n" + (reason.empty() ? std::string() : reason + " ") + "(" + std::to_string(systemError) + ")";
}

std::string Shortened(const std::string& name) {
    return name.size() > kNameCharactersShown ? name.substr(0, kNameCharactersShown) + "..." : name;
}

// One line per entry, each with its reason, the first few only.
std::string EntryLines(const std::vector<SkippedEntry>& entries) {
    std::string text;
    for (size_t i = 0; i < entries.size() && i < kNamesShown; ++i) {
        const SkippedEntry& entry = entries[i];
        text += "\n" + FormatText(InterfaceMessage(SkippedEntryMessage(entry.reason)),
                                  {Shortened(entry.value.Name), Shortened(entry.displacedBy)});
    }
    if (entries.size() > kNamesShown) text += "\n...";
    return text;
}

}  // namespace

void ShowRefusal(HWND owner, const std::string& text) {
    platform::ShowMessageBox(owner, text, InterfaceLabel(LAB_PRODUCT), platform::kMbOk | platform::kMbIconHand);
}

int AskCompleteOperation(HWND window) {
    const std::string text = InterfaceMessage(MSG_PENDING_EDIT) + "\n\n" + InterfaceMessage(MSG_COMPLETE_QUESTION);
    return platform::ShowMessageBox(window, text, InterfaceLabel(LAB_PRODUCT), platform::kMbYesNo | platform::kMbIconWarning);
}

void ReportInternalError(int kind, std::source_location where) {
    const unsigned messageId = kind == 1   ? IDS_REGISTRY_OPEN_FAILED
                               : kind == 2 ? IDS_REGISTRY_DISPOSITION
                                           : IDS_INTERNAL_ERROR;
    const std::string text = FormatErrorLocation(platform::LoadStringTableText(messageId),
                                                 BareFileName(where.file_name()), static_cast<int>(where.line()));
    platform::ShowMessageBox(fw::MainWindowHandle(), text, platform::LoadStringTableText(IDS_APP_TITLE),
                             platform::kMbOk | platform::kMbIconHand);
}

int ReportStoreFailure(HWND window, bool saving, const std::string& catalogName, const std::string& registryPath,
                       int16_t code, long systemError, bool offerAdministrator, std::source_location where) {
    if (code == STORE_NAME_CASE_COLLISION) {
        ShowRefusal(window, InterfaceMessage(MSG_CASE_COLLISION));
        return platform::kIdOk;
    }
    if (code == STORE_BAD_DISPOSITION) {
        ReportInternalError(code, where);
        return platform::kIdOk;
    }
    const MessageId messageId = code == STORE_ROLLBACK_FAILED ? MSG_ROLLBACK_FAILED
                              : saving                      ? MSG_SAVE_FAILED
                                                            : MSG_OPEN_FAILED;
    std::string text = CatalogMessage(messageId, catalogName, registryPath) + ReasonLine(systemError);
    // Every catalog lives below HKEY_LOCAL_MACHINE, which only administrators may change.
    if (saving && systemError == ERROR_ACCESS_DENIED) {
        if (offerAdministrator) {
            text += "\n\n" + InterfaceMessage(MSG_ADMIN_SAVE_QUESTION);
            return platform::ShowMessageBox(window, text, InterfaceLabel(LAB_PRODUCT),
                                            platform::kMbYesNo | platform::kMbIconHand);
        }
        text += "\n\n" + InterfaceMessage(MSG_NEEDS_ADMINISTRATOR);
    }
    ShowRefusal(window, text);
    return platform::kIdOk;
}

void ReportFileFailure(HWND window, MessageId messageId, const std::string& path, long systemError) {
    ShowRefusal(window, FormatText(InterfaceMessage(messageId), {path}) + ReasonLine(systemError));
}

void ReportExportFailure(HWND window, const std::string& path, long systemError,
                         const std::optional<platform::KeptFiles>& kept) {
    std::string text = InterfaceMessage(MSG_EXPORT_FAILED) + "\n" + path + ReasonLine(systemError);
    if (kept) {
        text += "\n";
        if (!kept->newFile.empty()) text += "\n" + FormatText(InterfaceMessage(MSG_EXPORT_NEW_FILE_KEPT), {kept->newFile});
        if (!kept->previousFile.empty()) {
            text += "\n" + FormatText(InterfaceMessage(MSG_EXPORT_PREVIOUS_MOVED), {kept->previousFile});
        } else {
            text += "\n" + InterfaceMessage(kept->previousInPlace ? MSG_EXPORT_PREVIOUS_IN_PLACE : MSG_EXPORT_PREVIOUS_NOT_FOUND);
        }
    }
    ShowRefusal(window, text);
}

int ReportSkippedEntries(HWND window, const std::string& catalogName, const std::string& registryPath,
                         const std::vector<SkippedEntry>& entries, bool askToRemove) {
    const MessageId closing = !askToRemove                        ? MSG_SKIPPED_COUNT
                            : CurrentBackupSettings().Keep > 0 ? MSG_SKIPPED_IN_BACKUP
                                                               : MSG_SKIPPED_NOT_BACKED_UP;
    const std::string text = CatalogMessage(MSG_SKIPPED_ENTRIES, catalogName, registryPath) + "\n" + EntryLines(entries) +
                             "\n\n" + FormatText(InterfaceMessage(closing), {std::to_string(entries.size())});
    if (!askToRemove) {
        platform::ShowMessageBox(window, text, InterfaceLabel(LAB_PRODUCT), platform::kMbOk | platform::kMbIconWarning);
        return platform::kIdOk;
    }
    return platform::ShowMessageBox(window, text, InterfaceLabel(LAB_PRODUCT), platform::kMbYesNo | platform::kMbIconWarning);
}

int ReportSaveFailure(HWND window, const SaveTarget& target, const SaveResult& result) {
    switch (result.outcome) {
    case SaveOutcome::Saved:
    case SaveOutcome::ChangeKept:
    case SaveOutcome::EntriesKept:
    case SaveOutcome::BackupRefused:
    case SaveOutcome::RecordRefused:
        // The user's answer said it all.
        return platform::kIdOk;
    case SaveOutcome::NotStorable: {
        std::string lines;
        for (size_t i = 0; i < result.unstorable.size() && i < kNamesShown; ++i) {
            const UnstorableValue& value = result.unstorable[i];
            lines += "\n" + FormatText(InterfaceMessage(UnstorableValueMessage(value.reason)), {Shortened(value.name)});
        }
        if (result.unstorable.size() > kNamesShown) lines += "\n...";
        ShowRefusal(window, CatalogMessage(MSG_SAVE_NOT_STORABLE, target.catalogName, target.registryPath) + lines +
                                "\n\n" + InterfaceMessage(MSG_SAVE_NOT_STORABLE_ADVICE));
        return platform::kIdOk;
    }
    case SaveOutcome::NamesNotWritable:
        ReportNamesNotWritable(window, target.catalogName, target.registryPath, result.skipped);
        return platform::kIdOk;
    case SaveOutcome::CaseCollision:
        return ReportStoreFailure(window, true, target.catalogName, target.registryPath, STORE_NAME_CASE_COLLISION, 0);
    case SaveOutcome::BadDisposition:
        return ReportStoreFailure(window, true, target.catalogName, target.registryPath, STORE_BAD_DISPOSITION, 0);
    case SaveOutcome::RollbackFailed:
        return ReportStoreFailure(window, true, target.catalogName, target.registryPath, STORE_ROLLBACK_FAILED,
                                  result.systemError, true);
    case SaveOutcome::KeyFailed: break;
    }
    return ReportStoreFailure(window, true, target.catalogName, target.registryPath, STORE_KEY_FAILED, result.systemError,
                              true);
}

void ReportNamesNotWritable(HWND window, const std::string& catalogName, const std::string& registryPath,
                            const std::vector<SkippedEntry>& entries) {
    std::vector<SkippedEntry> named;
    for (const SkippedEntry& entry : entries) {
        if (entry.reason == SkippedEntry::NameNotWritable) named.push_back(entry);
    }
    ShowRefusal(window, CatalogMessage(MSG_NAMES_NOT_WRITABLE, catalogName, registryPath) + EntryLines(named) +
                            "\n\n" + InterfaceMessage(MSG_NAMES_NOT_WRITABLE_ADVICE));
}

void ReportCompareFailure(HWND window, const std::string& catalogName, const std::string& registryPath,
                          long systemError) {
    ShowRefusal(window, CatalogMessage(MSG_COMPARE_NOT_READ, catalogName, registryPath) + ReasonLine(systemError));
}
