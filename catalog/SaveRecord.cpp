#include "catalog/SaveRecord.h"

#include <string_view>
#include <unordered_map>

#include "catalog/CatalogSave.h"
#include "catalog/PaperCatalog.h"
#include "catalog/StoredImage.h"
#include "platform/Files.h"
#include "platform/FolderSecurity.h"
#include "platform/ProfileFile.h"
#include "platform/ProfileWriter.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

constexpr const char* kRecordName = "Save in progress.rec";
constexpr std::string_view kFirstLine = "[Save Record]";
constexpr const char* kRecordSection = "Save Record";
constexpr const char* kBeforeSection = "Values Before";
constexpr const char* kAfterSection = "Values After";
// The last line: a record without it was cut short while it was written,
// before the save changed anything.
constexpr const char* kEndSection = "End";

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return last == '\\' || last == '/' ? folder + name : folder + platform::kPathSeparator + name;
}

// Puts the key back to `target`, every value exactly, from `now`: values
// that differ are written, values that are not in `target` removed.
long PutBack(const platform::RegKey& key, const StoredKeyImage& now, const StoredKeyImage& target) {
    std::unordered_map<std::string, const StoredValueImage*> wanted;
    for (const StoredValueImage& value : target) wanted.emplace(platform::FoldRegistryName(value.Name), &value);
    std::unordered_map<std::string, const StoredValueImage*> held;
    for (const StoredValueImage& value : now) held.emplace(platform::FoldRegistryName(value.Name), &value);
    for (const StoredValueImage& value : target) {
        const auto found = held.find(platform::FoldRegistryName(value.Name));
        if (found != held.end() && *found->second == value) continue;
        // Another spelling of the name is removed first: setting keeps the old one.
        if (found != held.end() && found->second->Name != value.Name) {
            if (const long result = platform::DeleteValue(key, found->second->Name); result != platform::kRegOk) return result;
        }
        if (const long result = platform::SetRawValue(key, value.Name, value.Type, value.Data); result != platform::kRegOk) {
            return result;
        }
    }
    for (const StoredValueImage& value : now) {
        if (wanted.count(platform::FoldRegistryName(value.Name)) != 0) continue;
        if (const long result = platform::DeleteValue(key, value.Name);
            result != platform::kRegOk && result != platform::kRegNotFound) {
            return result;
        }
    }
    return platform::FlushKey(key);
}

}  // namespace

std::string SaveRecordPath(const BackupSettings& settings, const SaveTarget& target) {
    return Join(BackupFolderFor(settings, target.catalogName, target.registryPath), kRecordName);
}

bool WriteSaveRecord(const BackupSettings& settings, const SaveTarget& target, const StoredKeyImage& before,
                     const StoredKeyImage& after, std::string& path, std::string& reason) {
    std::string folder;
    if (!MakeCatalogFolder(settings, target.catalogName, target.registryPath, folder, reason)) return false;
    path = Join(folder, kRecordName);
    // The section's own header is the file's first line.
    platform::ProfileWriter head("", kRecordSection);
    head.Add("Key", target.registryPath);
    std::string bytes = AppendValuesSection(head.Bytes(), kBeforeSection, before);
    bytes = AppendValuesSection(std::move(bytes), kAfterSection, after);
    platform::ProfileWriter end(bytes, kEndSection);
    end.Add("Complete", "1");
    switch (platform::WriteNewFile(path, end.Bytes(), reason, true)) {
    case platform::NewFileResult::Written: return true;
    case platform::NewFileResult::Exists:
        // Only a record recovery could not settle stands in the way.
        reason = platform::SystemErrorText(platform::kFileExistsError);
        return false;
    case platform::NewFileResult::Failed: break;
    }
    return false;
}

SaveRecovery RecoverInterruptedSave(const BackupSettings& settings, const SaveTarget& target) {
    SaveRecovery recovery;
    recovery.record = SaveRecordPath(settings, target);
    std::string bytes;
    if (!platform::FileIsReadable(recovery.record)) return recovery;
    const std::string folder = BackupFolderFor(settings, target.catalogName, target.registryPath);
    std::string reason;
    if (!CatalogFolderTrusted(settings, folder, reason) ||
        platform::CheckFileSafety(recovery.record, reason) != platform::FolderSafety::Safe) {
        recovery.outcome = SaveRecovery::Untrusted;
        recovery.reason = reason;
        return recovery;
    }
    if (platform::ReadWholeFile(recovery.record, bytes) != 0) {
        recovery.outcome = SaveRecovery::Unreadable;
        return recovery;
    }
    const platform::ProfileFile file = platform::ProfileFile::Parse(bytes);
    if (bytes.substr(0, kFirstLine.size()) == kFirstLine && !file.HasSection(kEndSection)) {
        // Cut short while it was written: the save had not begun to change the key.
        platform::RemoveFile(recovery.record);
        recovery.outcome = SaveRecovery::Finished;
        return recovery;
    }
    bool broken = false;
    const std::optional<StoredKeyImage> before = ReadValuesSection(bytes, kBeforeSection, broken);
    const std::optional<StoredKeyImage> after = ReadValuesSection(bytes, kAfterSection, broken);
    const std::string key = file.GetString(kRecordSection, "Key", "", 1024);
    if (bytes.substr(0, kFirstLine.size()) != kFirstLine || broken || !before || !after ||
        platform::FoldRegistryName(key) != platform::FoldRegistryName(target.registryPath)) {
        recovery.outcome = SaveRecovery::Unreadable;
        return recovery;
    }

    platform::RegKey open;
    StoredKeyImage now;
    // A key that is not there holds nothing, which may be the old catalog.
    long result = platform::OpenKeyForReading(target.registryPath, open);
    if (result == platform::kRegOk) result = ReadKeyImage(open, now);
    if (result == platform::kRegNotFound) result = platform::kRegOk;
    if (result != platform::kRegOk) {
        recovery.outcome = SaveRecovery::Failed;
        recovery.reason = platform::SystemErrorText(static_cast<unsigned long>(result));
        return recovery;
    }
    SortKeyImage(now);
    StoredKeyImage old = *before;
    StoredKeyImage next = *after;
    SortKeyImage(old);
    SortKeyImage(next);
    if (now == old || now == next) {
        platform::RemoveFile(recovery.record);
        recovery.outcome = SaveRecovery::Finished;
        return recovery;
    }
    // Nothing typed is lost: the catalog the save was writing becomes a backup.
    CPaperCatalog written;
    written.AppendPapers(PapersFromImage(*after, target.pdlName));
    BackupSettings keep = settings;
    if (keep.Keep <= 0) keep.Keep = 1;
    const BackupResult backup =
        WriteBackup(keep, target.catalogName, target.registryPath, written, platform::CurrentLocalTime(), *after);
    if (backup.outcome != BackupResult::Written) {
        recovery.outcome = SaveRecovery::Failed;
        recovery.reason = backup.reason;
        return recovery;
    }
    recovery.kept = backup.path;
    uint32_t disposition = 0;
    result = platform::CreateOrOpenKey(target.registryPath, open, disposition);
    if (result == platform::kRegOk) result = PutBack(open, now, old);
    if (result != platform::kRegOk) {
        recovery.outcome = SaveRecovery::Failed;
        recovery.reason = platform::SystemErrorText(static_cast<unsigned long>(result));
        return recovery;
    }
    platform::RemoveFile(recovery.record);
    recovery.outcome = SaveRecovery::PutRight;
    return recovery;
}

std::string RecoveryMessage(const SaveRecovery& recovery, const SaveTarget& target) {
    switch (recovery.outcome) {
    case SaveRecovery::None:
    case SaveRecovery::Finished: return "";
    case SaveRecovery::PutRight:
        return FormatText(InterfaceMessage(MSG_RECOVERY_PUT_RIGHT), {target.catalogName, recovery.record, recovery.kept});
    case SaveRecovery::Unreadable:
        return FormatText(InterfaceMessage(MSG_RECOVERY_UNREADABLE), {target.catalogName, recovery.record});
    case SaveRecovery::Untrusted:
        return FormatText(InterfaceMessage(MSG_RECOVERY_UNTRUSTED), {target.catalogName, recovery.record, recovery.reason});
    case SaveRecovery::Failed:
        return FormatText(InterfaceMessage(MSG_RECOVERY_FAILED), {target.catalogName, recovery.record, recovery.reason});
    }
    return "";
}
