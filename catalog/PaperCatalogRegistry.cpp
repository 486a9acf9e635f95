// Loading and saving a catalog: one registry key per catalog, one REG_SZ value
// per paper, in the keyword or the descriptive form of CPaperDef.
#include <string>
#include <utility>
#include <vector>

#include "catalog/CatalogSave.h"
#include "catalog/PaperCatalog.h"
#include "catalog/StoredImage.h"
#include "platform/Registry.h"

namespace {

// The questions of a save nobody is asked: it writes over whatever it finds.
class WriteOver final : public SaveQuestions {
public:
    bool OverwriteChange(const StoredKeyImage&) override { return true; }
    bool RemoveEntries(const std::vector<SkippedEntry>&) override { return true; }
    bool SaveWithoutBackup(const BackupResult&) override { return true; }
    bool SaveWithoutRecord(const std::string&, const std::string&) override { return true; }
};

int16_t StoreResult(SaveOutcome outcome) {
    switch (outcome) {
    case SaveOutcome::Saved: return STORE_OK;
    case SaveOutcome::CaseCollision: return STORE_NAME_CASE_COLLISION;
    case SaveOutcome::NotStorable: return STORE_NOT_STORABLE;
    case SaveOutcome::NamesNotWritable: return STORE_NAMES_NOT_WRITABLE;
    case SaveOutcome::BadDisposition: return STORE_BAD_DISPOSITION;
    case SaveOutcome::RollbackFailed: return STORE_ROLLBACK_FAILED;
    case SaveOutcome::ChangeKept:
    case SaveOutcome::EntriesKept:
    case SaveOutcome::BackupRefused:
    case SaveOutcome::RecordRefused: return STORE_SAVE_DECLINED;
    case SaveOutcome::KeyFailed: break;
    }
    return STORE_KEY_FAILED;
}

}  // namespace

MessageId SkippedEntryMessage(SkippedEntry::Reason reason) {
    switch (reason) {
    case SkippedEntry::TooLong: return MSG_SKIPPED_TOO_LONG;
    case SkippedEntry::NotText: return MSG_SKIPPED_NOT_TEXT;
    case SkippedEntry::Displaced: return MSG_SKIPPED_DISPLACED;
    case SkippedEntry::NameNotWritable: return MSG_SKIPPED_NAME_NOT_WRITABLE;
    case SkippedEntry::Unnamed: return MSG_SKIPPED_UNNAMED;
    }
    return MSG_SKIPPED_TOO_LONG;
}

int16_t CPaperCatalog::LoadFromRegistry(const std::string& registryPath, const std::string& pdlName,
                                        StoreReport* report) {
    StoreReport unused;
    StoreReport& out = report ? *report : unused;
    out = StoreReport{};
    // An empty path names HKEY_LOCAL_MACHINE itself, which holds no catalog.
    if (registryPath.empty()) return STORE_KEY_FAILED;
    platform::RegKey key;
    if (const long result = platform::OpenKeyForReading(registryPath, key); result != platform::kRegOk) {
        out.SystemError = result;
        return STORE_KEY_FAILED;
    }
    // Any failure ends the load with the catalog untouched: a later save would
    // otherwise delete the papers never read.
    StoredKeyImage values;
    if (const long result = ReadKeyImage(key, values); result != platform::kRegOk) {
        out.SystemError = result;
        return STORE_KEY_FAILED;
    }
    papers_ = PapersFromImage(values, pdlName, &out.Skipped);
    SortKeyImage(values);
    out.Image = std::move(values);
    return STORE_OK;
}

int16_t CPaperCatalog::SaveToRegistry(const std::string& registryPath, bool descriptiveForm, StoreReport* report) const {
    SaveRequest request;
    request.target = {"", registryPath, descriptiveForm ? "" : std::string(kKeywordFormPdl)};
    request.values = StoredValuesOf(*this, request.target.pdlName);
    request.backups.Keep = 0;
    request.record = false;
    WriteOver questions;
    SaveResult result = SaveCatalog(request, questions);
    if (report) {
        *report = StoreReport{};
        report->SystemError = result.systemError;
        report->Skipped = std::move(result.skipped);
        report->Image = std::move(result.image);
    }
    return StoreResult(result.outcome);
}
