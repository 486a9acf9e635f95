#include "catalog/CatalogBackup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <tuple>

#include "catalog/PaperCatalog.h"
#include "platform/ProfileFile.h"
#include "platform/System.h"
#include "state/AppState.h"

namespace {

constexpr const char* kSection = "Backups";
// Enough for any path Windows accepts without the long-path prefix.
constexpr size_t kFolderCapacity = 260;
constexpr size_t kKeepCapacity = 16;
constexpr const char* kExtension = ".cat";
// More saves than this in one second are not expected; the limit ends the search.
constexpr int kMaxSequence = 999;

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    if (last == '/' || last == platform::kPathSeparator) return folder + name;
    return folder + platform::kPathSeparator + name;
}

bool IsDeviceName(const std::string& name) {
    // The part before the first dot counts: "con.cat" is the console too.
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" || stem == "CONOUT$") {
        return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '1' &&
           stem[3] <= '9';
}

// FNV-1a, shown as eight hex digits.
std::string Checksum(const std::string& text) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", hash);
    return digits;
}

bool ReadNumber(std::string_view text, size_t at, size_t length, int& number) {
    if (at + length > text.size()) return false;
    number = 0;
    for (size_t i = at; i < at + length; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
    }
    return true;
}

bool EndsWithExtension(std::string_view name) {
    if (name.size() < 4) return false;
    std::string_view tail = name.substr(name.size() - 4);
    for (size_t i = 0; i < 4; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kExtension[i]) return false;
    }
    return true;
}

// The time and sequence of a backup name; false for any other name.
bool ParseBackupName(std::string_view name, platform::LocalTime& time, int& sequence) {
    if (!EndsWithExtension(name)) return false;
    name.remove_suffix(4);
    if (name.size() < 19 || name[4] != '-' || name[7] != '-' || name[10] != ' ' || name[13] != '-' || name[16] != '-') {
        return false;
    }
    if (!ReadNumber(name, 0, 4, time.year) || !ReadNumber(name, 5, 2, time.month) || !ReadNumber(name, 8, 2, time.day) ||
        !ReadNumber(name, 11, 2, time.hour) || !ReadNumber(name, 14, 2, time.minute) ||
        !ReadNumber(name, 17, 2, time.second)) {
        return false;
    }
    sequence = 1;
    if (name.size() == 19) return true;
    // " (N)" with N from 2 on.
    if (name.size() < 23 || name.substr(19, 2) != " (" || name.back() != ')') return false;
    if (!ReadNumber(name, 21, name.size() - 22, sequence)) return false;
    return sequence >= 2;
}

}  // namespace

BackupSettings CurrentBackupSettings() { return {AppState.BackupFolder, AppState.BackupKeep}; }

std::string DefaultBackupFolder() {
    const std::string base = platform::ExpandEnvironment("%ProgramData%");
    return Join(Join(base, "Quandrel"), "Backups");
}

BackupSettings ReadBackupSettings(const platform::ProfileFile& configuration) {
    BackupSettings settings;
    const std::string folder = configuration.GetString(kSection, "Folder", "", kFolderCapacity);
    settings.Folder = folder.empty() ? DefaultBackupFolder() : platform::ExpandEnvironment(folder);
    // Only a number turns backups down or off: a slip of the pen keeps the default.
    const std::string keep = configuration.GetString(kSection, "Keep", "", kKeepCapacity);
    const size_t digits = keep.find_first_not_of(" \t");
    if (digits != std::string::npos && keep[digits] >= '0' && keep[digits] <= '9') {
        settings.Keep = configuration.GetInt(kSection, "Keep", kDefaultBackupKeep);
    }
    if (settings.Keep < 0) settings.Keep = kDefaultBackupKeep;
    return settings;
}

std::string SafeFileName(const std::string& catalogName) {
    std::string safe = catalogName;
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || std::strchr("<>:\"/\\|?*", c)) c = '_';
    }
    // Windows drops blanks and dots at the end of a name.
    for (size_t i = safe.size(); i > 0 && (safe[i - 1] == ' ' || safe[i - 1] == '.'); --i) safe[i - 1] = '_';
    if (safe.empty()) safe = "_";
    if (IsDeviceName(safe)) safe.insert(0, "_");
    if (safe != catalogName) safe += "~" + Checksum(catalogName);
    return safe;
}

std::string BackupFolderFor(const BackupSettings& settings, const std::string& catalogName) {
    return Join(settings.Folder, SafeFileName(catalogName));
}

std::string BackupFileName(const platform::LocalTime& t, int sequence) {
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d %02d-%02d-%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    std::string result = name;
    if (sequence > 1) result += " (" + std::to_string(sequence) + ")";
    return result + kExtension;
}

BackupResult WriteBackup(const BackupSettings& settings, const std::string& catalogName, const CPaperCatalog& stored,
                         const platform::LocalTime& now, const StoredKeyImage& kept) {
    BackupResult result;
    if (settings.Keep <= 0) {
        result.outcome = BackupResult::Off;
        return result;
    }
    result.folder = BackupFolderFor(settings, catalogName);
    if (stored.GetCount() == 0 && kept.empty()) return result;

    if (!platform::CreateFolders(result.folder, result.reason)) {
        result.outcome = BackupResult::Failed;
        return result;
    }
    const std::string bytes = stored.ExportBytes(kept);
    for (int sequence = 1; sequence <= kMaxSequence; ++sequence) {
        result.path = Join(result.folder, BackupFileName(now, sequence));
        switch (platform::WriteNewFile(result.path, bytes, result.reason)) {
            case platform::NewFileResult::Written: result.outcome = BackupResult::Written; return result;
            case platform::NewFileResult::Exists: continue;
            case platform::NewFileResult::Failed: result.outcome = BackupResult::Failed; return result;
        }
    }
    result.outcome = BackupResult::Failed;
    result.reason = platform::SystemErrorText(platform::kFileExistsError);
    return result;
}

BackupResult BackUpStoredCatalog(const BackupSettings& settings, const std::string& catalogName,
                                 const std::string& registryPath, const std::string& pdlName,
                                 const platform::LocalTime& now) {
    if (settings.Keep <= 0) return WriteBackup(settings, catalogName, CPaperCatalog(), now);
    CPaperCatalog stored;
    // A key that cannot be opened holds nothing to lose.
    if (stored.LoadFromRegistry(registryPath, pdlName) != STORE_OK) {
        BackupResult result;
        result.folder = BackupFolderFor(settings, catalogName);
        return result;
    }
    return WriteBackup(settings, catalogName, stored, now);
}

bool ListBackups(const BackupSettings& settings, const std::string& catalogName, std::vector<BackupEntry>& entries,
                 std::string& reason, bool countPapers) {
    entries.clear();
    const std::string folder = BackupFolderFor(settings, catalogName);
    std::vector<std::string> names;
    if (!platform::ListFiles(folder, names, reason)) return false;
    for (const std::string& name : names) {
        BackupEntry entry;
        if (!ParseBackupName(name, entry.time, entry.sequence)) continue;
        entry.path = Join(folder, name);
        if (countPapers) {
            CPaperCatalog catalog;
            if (ReadBackup(entry.path, catalog)) entry.paperCount = catalog.GetCount();
        }
        entries.push_back(std::move(entry));
    }
    const auto key = [](const BackupEntry& e) {
        return std::tie(e.time.year, e.time.month, e.time.day, e.time.hour, e.time.minute, e.time.second, e.sequence);
    };
    std::sort(entries.begin(), entries.end(), [&key](const BackupEntry& a, const BackupEntry& b) { return key(a) > key(b); });
    return true;
}

void PruneBackups(const BackupSettings& settings, const std::string& catalogName) {
    if (settings.Keep <= 0) return;
    std::vector<BackupEntry> entries;
    std::string reason;
    if (!ListBackups(settings, catalogName, entries, reason, false)) return;
    for (size_t i = static_cast<size_t>(settings.Keep); i < entries.size(); ++i) platform::RemoveFile(entries[i].path);
}

bool ReadBackup(const std::string& path, CPaperCatalog& catalog) {
    CPaperCatalog read;
    if (read.CheckImportFile(path) != STORE_OK) return false;
    read.ImportFromFile(path);
    catalog = std::move(read);
    return true;
}
