#include "catalog/CatalogBackup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <tuple>

#include "catalog/CatalogSave.h"
#include "catalog/PaperCatalog.h"
#include "platform/FolderSecurity.h"
#include "platform/ProfileFile.h"
#include "platform/System.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

constexpr const char* kSection = "Backups";
// More than any path the ANSI file functions accept: a longer folder fails with
// the system's reason rather than being cut to another folder.
constexpr size_t kFolderCapacity = 1024;
// A value that fills this was cut: "0000000000000000000005" is no 0.
constexpr size_t kKeepCapacity = 64;
constexpr const char* kExtension = ".cat";
// More saves than this in one second are not expected; the limit ends the
// search, and backup names never carry more than three digits.
constexpr int kMaxSequence = 999;

bool IsSeparator(char c) { return c == '/' || c == platform::kPathSeparator; }

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (IsSeparator(folder.back())) return folder + name;
    return folder + platform::kPathSeparator + name;
}

// The configured folder as one names a folder to look at: "C:\Backups\" is
// "C:\Backups", a root keeps its separator.
std::string WithoutTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && IsSeparator(folder.back()) && !(folder.size() == 3 && folder[1] == ':')) {
        folder.pop_back();
    }
    return folder;
}

bool IsDeviceName(const std::string& name) {
    // The part before the first dot counts: "con.cat" is the console too.
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" || stem == "CONOUT$") {
        return true;
    }
    if (stem.size() != 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)) return false;
    // Windows reads the superscript digits of code page 1252 as digits here too.
    const auto digit = static_cast<unsigned char>(stem[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
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

// A catalog name with what no folder name may hold replaced.
std::string SanitizedName(const std::string& catalogName) {
    std::string safe = catalogName;
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || std::strchr("<>:\"/\\|?*", c)) c = '_';
    }
    // Windows drops blanks and dots at the end of a name.
    for (size_t i = safe.size(); i > 0 && (safe[i - 1] == ' ' || safe[i - 1] == '.'); --i) safe[i - 1] = '_';
    if (safe.empty()) safe = "_";
    if (IsDeviceName(safe)) safe.insert(0, "_");
    return safe;
}

// The registry compares key names without regard to letter case (code page
// 1252 letters included) and ignores a separator at either end.
std::string RegistryKeyIdentity(const std::string& registryPath) {
    const size_t begin = registryPath.find_first_not_of('\\');
    if (begin == std::string::npos) return "";
    std::string key = registryPath.substr(begin, registryPath.find_last_not_of('\\') - begin + 1);
    for (char& c : key) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)) {
            c = static_cast<char>(byte - 0x20);
        } else if (byte == 0x9A || byte == 0x9C || byte == 0x9E) {
            c = static_cast<char>(byte - 0x10);  // s, oe, z with caron or ligature
        } else if (byte == 0xFF) {
            c = static_cast<char>(0x9F);  // y with diaeresis
        }
    }
    return key;
}

bool ReadNumber(std::string_view text, size_t at, size_t length, int& number) {
    if (length == 0 || at + length > text.size()) return false;
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

// The time and sequence of a name BackupFileName could have written; false for
// any other name.
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
    if (time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31 || time.hour > 23 || time.minute > 59 ||
        time.second > 59) {
        return false;
    }
    sequence = 1;
    if (name.size() == 19) return true;
    // " (N)" with N from 2 to 999, written without leading zeros.
    if (name.size() < 23 || name.size() > 25 || name.substr(19, 2) != " (" || name.back() != ')' || name[21] == '0') {
        return false;
    }
    return ReadNumber(name, 21, name.size() - 22, sequence) && sequence >= 2;
}

auto TimeKey(const platform::LocalTime& t) { return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second); }

// The first %NAME% left in an expanded text: a variable that is not set
// (ExpandEnvironment keeps those as written).
std::string UnsetVariable(const std::string& expanded) {
    for (size_t open = expanded.find('%'); open != std::string::npos;) {
        const size_t close = expanded.find('%', open + 1);
        if (close == std::string::npos) break;
        const std::string reference = expanded.substr(open, close - open + 1);
        // A name with a separator or a colon is a path that holds "%", not a variable.
        const bool looksLikeName =
            close > open + 1 && reference.find_first_of("\\/:") == std::string::npos;
        if (looksLikeName && platform::ExpandEnvironment(reference) == reference) return reference;
        open = looksLikeName ? expanded.find('%', close + 1) : close;
    }
    return "";
}

// Whether `folder` may hold backups: true when it is one only administrators
// can change, or is not there yet; otherwise false with the reason.
bool MayHoldBackups(const std::string& folder, std::string& reason) {
    std::string systemReason;
    switch (platform::CheckFolderSafety(folder, systemReason)) {
    case platform::FolderSafety::Safe:
    case platform::FolderSafety::Missing:
        return true;
    case platform::FolderSafety::OpenToUsers:
        reason = FormatText(InterfaceMessage(MSG_BACKUP_FOLDER_USERS_WRITE), {folder});
        return false;
    case platform::FolderSafety::ReparsePoint:
        reason = FormatText(InterfaceMessage(MSG_BACKUP_FOLDER_LINK), {folder});
        return false;
    case platform::FolderSafety::Failed:
        reason = systemReason;
        return false;
    }
    return false;
}

// The configured folder usable, and it and the catalog's folder trustworthy.
bool CatalogFolderMayBeUsed(const BackupSettings& settings, const std::string& folder, std::string& reason) {
    reason = BackupFolderProblem(settings);
    if (!reason.empty()) return false;
    return MayHoldBackups(WithoutTrailingSeparators(settings.Folder), reason) && MayHoldBackups(folder, reason);
}

// A file standard users could have planted or changed is no backup to offer.
bool FileMayBeTrusted(const std::string& path) {
    std::string reason;
    return platform::CheckFileSafety(path, reason) == platform::FolderSafety::Safe;
}

bool ListFolder(const std::string& folder, const std::string& pdlName, const platform::LocalTime& now, bool earlier,
                bool countPapers, std::vector<BackupEntry>& entries, std::string& reason) {
    std::vector<std::string> names;
    if (!platform::ListFiles(folder, names, reason)) return false;
    for (const std::string& name : names) {
        BackupEntry entry;
        if (!ParseBackupName(name, entry.time, entry.sequence)) continue;
        entry.path = Join(folder, name);
        if (!FileMayBeTrusted(entry.path)) continue;
        entry.future = TimeKey(entry.time) > TimeKey(now);
        entry.earlierFolder = earlier;
        if (countPapers) {
            CPaperCatalog catalog;
            if (ReadBackup(entry.path, pdlName, catalog)) entry.paperCount = catalog.GetCount();
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

void SortBackups(std::vector<BackupEntry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
        if (a.future != b.future) return b.future;
        const auto keyA = std::tuple_cat(TimeKey(a.time), std::tie(a.sequence));
        const auto keyB = std::tuple_cat(TimeKey(b.time), std::tie(b.sequence));
        if (keyA != keyB) return a.future ? keyA < keyB : keyA > keyB;
        return b.earlierFolder && !a.earlierFolder;
    });
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
    // Only a plain number in range turns backups down or off: "-1", "5x" or a
    // number too large to hold keep the default.
    const std::string keep = configuration.GetString(kSection, "Keep", "", kKeepCapacity);
    const size_t first = keep.find_first_not_of(" \t");
    const size_t last = keep.find_last_not_of(" \t");
    if (first == std::string::npos || keep.size() + 1 >= kKeepCapacity) return settings;
    int32_t value = 0;
    for (size_t i = first; i <= last; ++i) {
        if (keep[i] < '0' || keep[i] > '9') return settings;
        value = value * 10 + (keep[i] - '0');
        if (value > kMaxBackupKeep) return settings;
    }
    settings.Keep = value;
    return settings;
}

std::string BackupFolderProblem(const BackupSettings& settings) {
    const std::string unset = UnsetVariable(settings.Folder);
    if (!unset.empty()) return FormatText(InterfaceMessage(MSG_BACKUP_FOLDER_UNSET_VARIABLE), {unset});
    if (!platform::IsAbsolutePath(settings.Folder)) return InterfaceMessage(MSG_BACKUP_FOLDER_NOT_FULL_PATH);
    return "";
}

std::string SafeFileName(const std::string& catalogName) {
    const std::string safe = SanitizedName(catalogName);
    return safe == catalogName ? safe : safe + "~" + Checksum(catalogName);
}

std::string BackupFolderFor(const BackupSettings& settings, const std::string& catalogName,
                            const std::string& registryPath) {
    const std::string identity = catalogName + '\0' + RegistryKeyIdentity(registryPath);
    return Join(settings.Folder, SanitizedName(catalogName) + "~" + Checksum(identity));
}

std::string EarlierBackupFolderFor(const BackupSettings& settings, const std::string& catalogName) {
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

bool MakeCatalogFolder(const BackupSettings& settings, const std::string& catalogName, const std::string& registryPath,
                       std::string& folder, std::string& reason) {
    folder = BackupFolderFor(settings, catalogName, registryPath);
    // Checked before anything is made below the configured folder, and the
    // catalog's folder again once it exists, whoever made it.
    reason = BackupFolderProblem(settings);
    if (!reason.empty() || !MayHoldBackups(WithoutTrailingSeparators(settings.Folder), reason)) return false;
    if (!platform::CreateFolders(folder, reason)) return false;
    return CatalogFolderMayBeUsed(settings, folder, reason);
}

bool CatalogFolderTrusted(const BackupSettings& settings, const std::string& folder, std::string& reason) {
    return CatalogFolderMayBeUsed(settings, folder, reason);
}

BackupResult WriteBackup(const BackupSettings& settings, const std::string& catalogName,
                         const std::string& registryPath, const CPaperCatalog& stored, const platform::LocalTime& now,
                         const StoredKeyImage& values) {
    BackupResult result;
    if (settings.Keep <= 0) {
        result.outcome = BackupResult::Off;
        return result;
    }
    result.folder = BackupFolderFor(settings, catalogName, registryPath);
    if (stored.GetCount() == 0 && values.empty()) return result;

    result.outcome = BackupResult::Failed;
    if (!MakeCatalogFolder(settings, catalogName, registryPath, result.folder, result.reason)) return result;

    const std::string bytes = CatalogFileBytes(stored, &values, nullptr);
    for (int sequence = 1; sequence <= kMaxSequence; ++sequence) {
        result.path = Join(result.folder, BackupFileName(now, sequence));
        switch (platform::WriteNewFile(result.path, bytes, result.reason)) {
            case platform::NewFileResult::Written: result.outcome = BackupResult::Written; return result;
            case platform::NewFileResult::Exists: continue;
            case platform::NewFileResult::Failed: result.path.clear(); return result;
        }
    }
    result.path.clear();
    result.reason = platform::SystemErrorText(platform::kFileExistsError);
    return result;
}

bool ListBackups(const BackupSettings& settings, const std::string& catalogName, const std::string& registryPath,
                 const std::string& pdlName, const platform::LocalTime& now, std::vector<BackupEntry>& entries,
                 std::string& reason, bool countPapers) {
    entries.clear();
    const std::string folder = BackupFolderFor(settings, catalogName, registryPath);
    if (!CatalogFolderMayBeUsed(settings, folder, reason) ||
        !ListFolder(folder, pdlName, now, false, countPapers, entries, reason)) {
        entries.clear();
        return false;
    }
    // An earlier folder that may not be trusted is passed over, and named only
    // when nothing else is offered, so that "no backup yet" never hides
    // backups that are there.
    const std::string earlier = EarlierBackupFolderFor(settings, catalogName);
    std::string earlierReason;
    if ((!MayHoldBackups(earlier, earlierReason) ||
         !ListFolder(earlier, pdlName, now, true, countPapers, entries, earlierReason)) &&
        entries.empty()) {
        reason = earlierReason;
        return false;
    }
    SortBackups(entries);
    return true;
}

void PruneBackups(const BackupSettings& settings, const std::string& catalogName, const std::string& registryPath,
                  const platform::LocalTime& now, const std::string& justWritten) {
    if (settings.Keep <= 0) return;
    const std::string folder = BackupFolderFor(settings, catalogName, registryPath);
    std::vector<BackupEntry> entries;
    std::string reason;
    if (!CatalogFolderMayBeUsed(settings, folder, reason) || !ListFolder(folder, "", now, false, false, entries, reason)) {
        return;
    }
    SortBackups(entries);
    int32_t kept = justWritten.empty() ? 0 : 1;
    for (const BackupEntry& entry : entries) {
        if (entry.path == justWritten) continue;
        if (kept < settings.Keep) {
            ++kept;
        } else {
            platform::RemoveFile(entry.path);
        }
    }
}

bool ReadBackup(const std::string& path, const std::string& pdlName, CPaperCatalog& catalog) {
    if (!FileMayBeTrusted(path)) return false;
    // Read once: Restore counts the papers of every backup it lists.
    std::string bytes;
    if (platform::ReadWholeFile(path, bytes) != 0) return false;
    const CatalogFile file = ReadCatalogFile(bytes);
    if (!file.recognised || file.valuesBroken) return false;
    CPaperCatalog read;
    if (file.values) {
        read.AppendPapers(PapersFromImage(*file.values, pdlName));
    } else {
        if (file.papers.empty()) return false;
        read.AppendPapers(file.papers);
    }
    catalog = std::move(read);
    return true;
}
