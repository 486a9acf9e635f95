#include "cmd/Commands.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "app/Configuration.h"
#include "app/Startup.h"
#include "catalog/CatalogBackup.h"
#include "catalog/CatalogDifference.h"
#include "catalog/CatalogMerge.h"
#include "catalog/CatalogSave.h"
#include "catalog/SaveRecord.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "catalog/PaperTable.h"
#include "catalog/PapersFileKind.h"
#include "platform/Files.h"
#include "platform/FolderSecurity.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

enum class Verb { None, List, Export, Import, Check, Compare, Merge, Help };

struct VerbSwitch {
    const char* name;
    Verb verb;
    size_t operands;
    bool takesCsv;
};

const VerbSwitch kVerbs[] = {
    {"list", Verb::List, 0, true},     {"export", Verb::Export, 2, false}, {"import", Verb::Import, 2, false},
    {"check", Verb::Check, 1, true},   {"compare", Verb::Compare, 2, true}, {"merge", Verb::Merge, 2, true},
    {"?", Verb::Help, 0, false},
};

// The command lines of the usage text: the program's own syntax, the same in every language.
const char* const kSyntax[] = {
    "  VellicorCmd /list [/csv]",
    "  VellicorCmd /export \"<catalog>\" <file.cat|file.csv>",
    "  VellicorCmd /import <file.cat|file.csv> \"<catalog>\" [/nobackup] [/allowempty] [/report <file>]",
    "  VellicorCmd /check <file.cat|file.csv> [/csv]",
    "  VellicorCmd /compare <file.cat|file.csv> \"<catalog>\" [/csv]",
    "  VellicorCmd /merge <file.cat|file.csv> \"<catalog>\" [/nobackup] [/csv]",
    "  VellicorCmd /?",
};

struct Invocation {
    Verb verb = Verb::None;
    const VerbSwitch* verbSwitch = nullptr;
    std::vector<std::string> operands;
    bool csv = false;
    bool noBackup = false;
    bool allowEmpty = false;  // a catalog file without papers may empty the catalog
    std::string reportPath;   // a new file that receives every line written
    std::string configurationPath = kConfigurationFileName;
};

std::string Message(MessageId id) { return InterfaceMessage(id); }

// A message of several lines (\r inside), one console line each; a value
// left empty (a reason the system did not give) leaves no blank line.
void PushLines(std::vector<std::string>& lines, std::string_view message) {
    for (;;) {
        const size_t end = message.find('\r');
        if (const std::string_view line = message.substr(0, end); !line.empty()) lines.emplace_back(line);
        if (end == std::string_view::npos) return;
        message.remove_prefix(end + 1);
    }
}

bool IsSwitch(const std::string& argument) {
    return argument.size() > 1 && (argument[0] == '/' || argument[0] == '-');
}

std::string SwitchName(const std::string& argument) {
    std::string name = argument.substr(1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

void WriteUsage(std::vector<std::string>& lines) {
    lines.push_back(Message(MSG_CMD_USAGE_INTRODUCTION));
    lines.push_back(Message(MSG_CMD_USAGE_HEADING));
    for (const char* line : kSyntax) lines.emplace_back(line);
    for (MessageId id : {MSG_CMD_USAGE_LIST, MSG_CMD_USAGE_EXPORT, MSG_CMD_USAGE_IMPORT, MSG_CMD_USAGE_CHECK, MSG_CMD_USAGE_COMPARE, MSG_CMD_USAGE_MERGE,
                       MSG_CMD_USAGE_CSV_FILES, MSG_CMD_USAGE_CSV,
                       MSG_CMD_USAGE_NOBACKUP, MSG_CMD_USAGE_CONFIG, MSG_CMD_USAGE_ALLOWEMPTY, MSG_CMD_USAGE_REPORT, MSG_CMD_USAGE_END_OF_SWITCHES,
                       MSG_CMD_USAGE_EXIT_CODES, MSG_CMD_USAGE_EXIT_RECOVERED}) {
        lines.push_back(Message(id));
    }
}

// What is wrong with a command line: a message and the argument it names.
struct ParseError {
    MessageId messageId{};  // none: the command line is right
    std::string argument;
};

// Reads the arguments into `invocation`; answers what is wrong with them, if anything.
// A lone "--" ends the switches: what follows is a file or catalog name even
// when it begins with "/" or "-" (a file named "-old.cat").
ParseError Parse(const std::vector<std::string>& arguments, Invocation& invocation) {
    bool switchesEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (switchesEnded || !IsSwitch(argument)) {
            invocation.operands.push_back(argument);
            continue;
        }
        const std::string name = SwitchName(argument);
        if (argument == "--") {
            switchesEnded = true;
        } else if (name == "csv") {
            invocation.csv = true;
        } else if (name == "nobackup") {
            invocation.noBackup = true;
        } else if (name == "allowempty") {
            invocation.allowEmpty = true;
        } else if (name == "report") {
            if (i + 1 == arguments.size()) return {MSG_CMD_MISSING_VALUE, argument};
            invocation.reportPath = arguments[++i];
        } else if (name == "config") {
            if (i + 1 == arguments.size()) return {MSG_CMD_MISSING_VALUE, argument};
            invocation.configurationPath = arguments[++i];
        } else {
            const VerbSwitch* found = nullptr;
            for (const VerbSwitch& candidate : kVerbs) {
                if (name == candidate.name) found = &candidate;
            }
            // One command per run: a second one is as wrong as an unknown one.
            if (!found || invocation.verbSwitch) return {MSG_CMD_UNKNOWN_SWITCH, argument};
            invocation.verbSwitch = found;
            invocation.verb = found->verb;
        }
    }
    if (!invocation.verbSwitch) return {MSG_CMD_NO_COMMAND, ""};
    const VerbSwitch& verb = *invocation.verbSwitch;
    if (invocation.operands.size() < verb.operands) return {MSG_CMD_MISSING_VALUE, std::string("/") + verb.name};
    if (invocation.operands.size() > verb.operands) return {MSG_CMD_UNEXPECTED_ARGUMENT, invocation.operands[verb.operands]};
    if (invocation.csv && !verb.takesCsv) return {MSG_CMD_UNKNOWN_SWITCH, "/csv"};
    if (invocation.noBackup && invocation.verb != Verb::Import && invocation.verb != Verb::Merge)
        return {MSG_CMD_UNKNOWN_SWITCH, "/nobackup"};
    if (invocation.allowEmpty && invocation.verb != Verb::Import) return {MSG_CMD_UNKNOWN_SWITCH, "/allowempty"};
    return {};
}

// The configured catalog the operator means: the first of its exact name, as
// the editor finds it, otherwise the one whose name differs only in letter
// case. Where several names differ from it only so ("Office" and "OFFICE"
// for "office"), none is chosen: `candidates` receives them.
const CatalogLocation* FindCatalog(const std::string& name, std::vector<std::string>& candidates) {
    candidates.clear();
    for (const CatalogLocation& location : AppState.CatalogLocations) {
        if (location.CatalogName == name) return &location;
    }
    const std::string folded = platform::FoldRegistryName(name);
    const CatalogLocation* found = nullptr;
    for (const CatalogLocation& location : AppState.CatalogLocations) {
        if (platform::FoldRegistryName(location.CatalogName) != folded) continue;
        // A name configured twice is one catalog, as the editor opens the first.
        if (std::find(candidates.begin(), candidates.end(), location.CatalogName) != candidates.end()) continue;
        candidates.push_back(location.CatalogName);
        if (!found) found = &location;
    }
    if (candidates.size() > 1) return nullptr;
    candidates.clear();
    return found;
}

std::string KeyText(const CatalogLocation& location) { return "HKEY_LOCAL_MACHINE\\" + location.RegistryPath; }

// A failure's message, then the system's own reason on a line of its own.
void Complain(CommandOutput& output, const std::string& message, long systemError) {
    output.err.push_back(message);
    if (systemError != 0) output.err.push_back(platform::SystemErrorText(static_cast<unsigned long>(systemError)));
}

// One CSV line: fields quoted where they must be, code page 1252 turned into UTF-8;
// the first line carries the byte-order mark.
void WriteCsvRow(CommandOutput& output, std::initializer_list<std::string> fields) {
    std::string line = output.out.empty() ? "\xEF\xBB\xBF" : "";
    bool first = true;
    for (const std::string& field : fields) {
        if (!first) line += ',';
        first = false;
        AppendTableCell(line, Cp1252ToUtf8(field), ',');
    }
    output.out.push_back(line);
    output.utf8 = true;
}

// Two paper names that the keyword form cannot keep apart, or an empty pair.
std::pair<std::string, std::string> CaseTwins(const CPaperCatalog& catalog) {
    std::vector<std::string> names;
    for (int i = 0; i < catalog.GetCount(); ++i) names.push_back(catalog.GetPaper(i).Name);
    return RegistryNameTwins(names);
}

// A save of the catalog cut short earlier is settled before anything reads or
// writes its key; when there was one to settle, the line saying how, and true.
bool Recovered(const CatalogLocation& location, CommandOutput& output) {
    const SaveTarget target{location.CatalogName, location.RegistryPath, location.PdlName};
    const std::string line = RecoveryMessage(RecoverInterruptedSave(CurrentBackupSettings(), target), target);
    if (line.empty()) return false;
    output.err.push_back(line);
    return true;
}

int List(const Invocation& invocation, CommandOutput& output) {
    bool recovered = false;
    for (const CatalogLocation& location : AppState.CatalogLocations) recovered = Recovered(location, output) || recovered;
    if (recovered) return kExitRecovered;
    if (invocation.csv) WriteCsvRow(output, {"Catalog", "PDL", "Key", "Available", "Papers"});
    if (AppState.CatalogLocations.empty() && !invocation.csv) output.out.push_back(Message(MSG_CMD_NO_CATALOGS));
    for (const CatalogLocation& location : AppState.CatalogLocations) {
        CPaperCatalog catalog;
        const bool read = location.Available && catalog.LoadFromRegistry(location.RegistryPath, location.PdlName) == STORE_OK;
        const std::string papers = read ? std::to_string(catalog.GetCount()) : "";
        if (invocation.csv) {
            WriteCsvRow(output, {location.CatalogName, location.PdlName, KeyText(location),
                                 location.Available ? "yes" : "no", papers});
        } else {
            output.out.push_back(FormatText(Message(MSG_CMD_LIST_LINE),
                                            {location.CatalogName, location.PdlName, KeyText(location),
                                             Message(location.Available ? MSG_CMD_AVAILABLE : MSG_CMD_NOT_AVAILABLE),
                                             read ? papers : "-"}));
        }
    }
    return kExitDone;
}

// The configured catalog named by `name`, or the exit code after the message.
// A save of it cut short earlier is settled first: then the command stops
// with its own exit code, so that a script sees it and runs it again.
int ResolveCatalog(const std::string& name, const CatalogLocation*& location, CommandOutput& output) {
    std::vector<std::string> candidates;
    location = FindCatalog(name, candidates);
    if (location) return Recovered(*location, output) ? kExitRecovered : kExitDone;
    if (candidates.empty()) {
        output.err.push_back(FormatText(Message(MSG_CMD_CATALOG_NOT_CONFIGURED), {name}));
        return kExitCatalog;
    }
    output.err.push_back(FormatText(Message(MSG_CMD_CATALOG_AMBIGUOUS), {name}));
    for (const std::string& candidate : candidates) output.err.push_back("  " + candidate);
    return kExitCatalog;
}

int LoadStored(const CatalogLocation& location, CPaperCatalog& catalog, CommandOutput& output) {
    StoreReport report;
    if (catalog.LoadFromRegistry(location.RegistryPath, location.PdlName, &report) == STORE_OK) return kExitDone;
    Complain(output, FormatText(Message(MSG_CMD_CATALOG_NOT_READ), {location.CatalogName, KeyText(location)}), report.SystemError);
    return kExitCatalog;
}

// A table the reader refused: the file named, then what was found or the
// refused rows, one a line. Refused rows break the catalog's rules (6); a file
// that holds no table at all is a refused file (4).
int RefuseTable(const PaperTableRead& read, const std::string& path, TableUse use, CommandOutput& output) {
    if (read.ok()) return kExitDone;
    std::vector<std::string> lines = PaperTableRefusalLines(read, use);
    lines.front() = FormatText(Message(use == TableUse::Merge ? MSG_CMD_MERGE_REFUSED : MSG_CMD_TABLE_REFUSED), {path});
    for (size_t i = 0; i < lines.size(); ++i) output.err.push_back(i == 0 ? lines[i] : "  " + lines[i]);
    const bool rows = read.fault == TableFault::RowsRefused || read.fault == TableFault::HeaderOnly ||
                      read.fault == TableFault::Empty || read.fault == TableFault::NoPaperRow;
    return rows ? kExitRules : kExitCatalogFile;
}

// Reads a catalog file as Import does, refusing what Import refuses. The file
// is read once and those bytes are checked and imported: a file replaced or
// locked meanwhile cannot pass the check and then import as nothing. A
// catalog of no papers would empty the stored one, so it is refused unless
// the operator says it is meant (`emptyMeant`). A backup's papers come from
// the key's exact values, read by the load's rules for `pdlName` when it is
// given; `file` receives what the one reader read.
int LoadFile(const std::string& path, CPaperCatalog& catalog, CommandOutput& output, bool emptyMeant = false,
             const std::string* pdlName = nullptr, CatalogFile* file = nullptr) {
    std::string bytes;
    if (const long error = platform::ReadWholeFile(path, bytes); error != 0) {
        Complain(output, FormatText(Message(MSG_CMD_FILE_NOT_READ), {path}), error);
        return kExitCatalogFile;
    }
    // The content decides, whatever the name: a table saved as .txt reads as one.
    if (DetectPapersFileKind(bytes) != PapersFileKind::CatalogFile) {
        const PaperTableRead read = ReadPaperTable(bytes);
        if (read.fault == TableFault::HeaderOnly && emptyMeant) return kExitDone;
        if (int code = RefuseTable(read, path, TableUse::Import, output)) return code;
        catalog.AppendPapers(read.papers);
        return kExitDone;
    }
    CatalogFile read = ReadCatalogFile(bytes);
    const bool empty = read.values ? read.values->empty() : read.papers.empty();
    if (!read.recognised || read.valuesBroken || (empty && read.hasPapersSection && !read.values) ||
        (read.expectedGiven && !read.values)) {
        output.err.push_back(FormatText(Message(MSG_CMD_FILE_REFUSED), {path}));
        return kExitCatalogFile;
    }
    catalog.AppendPapers(read.values && pdlName ? PapersFromImage(*read.values, *pdlName) : read.papers);
    if (file) *file = std::move(read);
    if (catalog.GetCount() == 0 && !emptyMeant) {
        PushLines(output.err, FormatText(Message(MSG_CMD_NO_PAPERS), {path}));
        return kExitRules;
    }
    return kExitDone;
}

int Export(const Invocation& invocation, CommandOutput& output) {
    const CatalogLocation* location = nullptr;
    if (int code = ResolveCatalog(invocation.operands[0], location, output)) return code;
    CPaperCatalog catalog;
    if (int code = LoadStored(*location, catalog, output)) return code;
    const std::string& path = invocation.operands[1];
    StoreReport report;
    NotReadBack lost;
    if (!(IsTableFileName(path) ? ExportTableFile(catalog, path, &report, &lost) : catalog.ExportToFile(path, &report))) {
        Complain(output, FormatText(Message(MSG_CMD_FILE_NOT_WRITTEN), {path}), report.SystemError);
        // The replace failed after it may have moved the old file aside: say where both are.
        if (const auto& kept = report.Kept) {
            if (!kept->newFile.empty()) output.err.push_back(FormatText(Message(MSG_CMD_NEW_FILE_KEPT), {kept->newFile}));
            if (!kept->previousFile.empty()) {
                output.err.push_back(FormatText(Message(MSG_CMD_PREVIOUS_MOVED), {kept->previousFile}));
            } else if (kept->previousInPlace) {
                output.err.push_back(FormatText(Message(MSG_CMD_PREVIOUS_IN_PLACE), {path}));
            } else {
                output.err.push_back(Message(MSG_CMD_PREVIOUS_NOT_FOUND));
            }
        }
        return kExitCatalogFile;
    }
    output.out.push_back(FormatText(Message(MSG_CMD_EXPORTED), {std::to_string(catalog.GetCount()), path}));
    if (const std::string note = NotReadBackMessage(lost); !note.empty()) output.err.push_back(note);
    return kExitDone;
}

int Check(const Invocation& invocation, CommandOutput& output) {
    CPaperCatalog catalog;
    if (int code = LoadFile(invocation.operands[0], catalog, output)) return code;
    if (invocation.csv) {
        WriteCsvRow(output, {"Position", "Name", "Size", "Color", "Weight", "Type", "ForceOneSided"});
    } else {
        output.out.push_back(FormatText(Message(MSG_CMD_CHECK_ACCEPTED), {std::to_string(catalog.GetCount())}));
    }
    const std::string oneSided = InterfaceLabel(LAB_FORCE_ONE_SIDED, TF_NO_AMPERSAND);
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const CPaperDef paper = catalog.GetPaper(i);
        if (invocation.csv) {
            WriteCsvRow(output, {std::to_string(i + 1), paper.Name, paper.Size, paper.Color, paper.Weight, paper.Type,
                                 paper.ForceOneSided ? "yes" : "no"});
            continue;
        }
        std::string line = "  " + std::to_string(i + 1) + ". " + paper.Name + ", " + SizeLabelFromKeyword(paper.Size) +
                           ", " + paper.Color + ", " + paper.Weight + ", " + paper.Type;
        if (paper.ForceOneSided) line += ", " + oneSided;
        output.out.push_back(line);
    }
    if (const auto twins = CaseTwins(catalog); !twins.first.empty() && !invocation.csv) {
        output.out.push_back(FormatText(Message(MSG_CMD_CHECK_CASE_TWINS), {twins.first, twins.second}));
    }
    return kExitDone;
}

// The key's entries that are not part of the catalog, one line each with the
// reason (the editor's words for it).
void ListSkipped(const std::vector<SkippedEntry>& skipped, CommandOutput& output) {
    for (const SkippedEntry& entry : skipped) {
        output.err.push_back("  " + FormatText(Message(SkippedEntryMessage(entry.reason)),
                                               {entry.value.Name, entry.displacedBy}));
    }
}

// The one save's questions, answered by the command line: nobody is there to
// ask. A change made elsewhere is never written over; the entries that are no
// papers are removed only when the editor's user agreed to it (they are in
// the image the hand-off expects); a save never goes on without its backup.
class CompanionQuestions final : public SaveQuestions {
public:
    explicit CompanionQuestions(const std::optional<StoredKeyImage>& agreed) : agreed_(agreed) {}

    bool OverwriteChange(const StoredKeyImage&) override { return false; }

    bool RemoveEntries(const std::vector<SkippedEntry>& entries) override {
        if (!agreed_) return false;
        return std::all_of(entries.begin(), entries.end(), [&](const SkippedEntry& entry) {
            return std::find(agreed_->begin(), agreed_->end(), entry.value) != agreed_->end();
        });
    }

    bool SaveWithoutBackup(const BackupResult&) override { return false; }

    bool SaveWithoutRecord(const std::string&, const std::string&) override { return false; }

private:
    const std::optional<StoredKeyImage>& agreed_;
};

SaveRequest RequestFor(const Invocation& invocation, const CatalogLocation& location) {
    SaveRequest request;
    request.target = {location.CatalogName, location.RegistryPath, location.PdlName};
    request.backups = CurrentBackupSettings();
    if (invocation.noBackup) request.backups.Keep = 0;
    return request;
}

// Saves through the one save and says what became of it; the exit code.
int Save(const SaveRequest& request, const CatalogLocation& location, CommandOutput& output, SaveResult& result,
         const std::optional<StoredKeyImage>& agreed = std::nullopt) {
    CompanionQuestions questions(agreed);
    result = SaveCatalog(request, questions);
    const std::string& catalog = location.CatalogName;
    const std::string key = KeyText(location);
    switch (result.outcome) {
    case SaveOutcome::Saved: return kExitDone;
    case SaveOutcome::EntriesKept:
        output.err.push_back(
            FormatText(Message(MSG_CMD_SKIPPED_ENTRIES), {catalog, key, std::to_string(result.skipped.size())}));
        ListSkipped(result.skipped, output);
        return kExitCatalog;
    case SaveOutcome::NamesNotWritable:
        output.err.push_back(FormatText(Message(MSG_CMD_NAMES_NOT_WRITABLE), {catalog, key}));
        std::erase_if(result.skipped, [](const SkippedEntry& e) { return e.reason != SkippedEntry::NameNotWritable; });
        ListSkipped(result.skipped, output);
        return kExitCatalog;
    case SaveOutcome::ChangeKept:
        output.err.push_back(FormatText(Message(MSG_CMD_CHANGED_MEANWHILE), {catalog, key}));
        return kExitRegistry;
    case SaveOutcome::RecordRefused:
        output.err.push_back(FormatText(Message(MSG_CMD_RECORD_NOT_WRITTEN),
                                        {catalog, BackupFolderFor(request.backups, catalog, location.RegistryPath),
                                         result.recordReason}));
        return kExitBackup;
    case SaveOutcome::BackupRefused:
        PushLines(output.err,
                  FormatText(Message(MSG_CMD_BACKUP_NOT_WRITTEN), {catalog, result.backup.folder, result.backup.reason}));
        return kExitBackup;
    case SaveOutcome::NotStorable:
        output.err.push_back(FormatText(Message(MSG_CMD_NOT_STORABLE), {catalog, key}));
        for (const UnstorableValue& value : result.unstorable) {
            output.err.push_back("  " + FormatText(Message(UnstorableValueMessage(value.reason)), {value.name}));
        }
        return kExitRules;
    case SaveOutcome::CaseCollision: {
        // The editor's message, one line per line break, says what is wrong and
        // why; its last line tells the operator to save again, which means
        // nothing here, so the companion's own advice takes its place.
        std::vector<std::string> lines;
        PushLines(lines, Message(MSG_CASE_COLLISION));
        if (!lines.empty()) lines.pop_back();
        for (std::string& line : lines) output.err.push_back(std::move(line));
        output.err.push_back(Message(MSG_CMD_CASE_COLLISION_ADVICE));
        return kExitRules;
    }
    case SaveOutcome::RollbackFailed:
        Complain(output, FormatText(Message(MSG_CMD_ROLLBACK_FAILED), {catalog, key}), result.systemError);
        return kExitRegistry;
    case SaveOutcome::KeyFailed:
    case SaveOutcome::BadDisposition: break;
    }
    Complain(output, FormatText(Message(MSG_CMD_SAVE_REFUSED), {catalog, key}), result.systemError);
    return kExitRegistry;
}

// The values a hand-off gives, exactly as the editor would have written them:
// text values only. False for anything else, which no editor writes.
bool HandOffValues(const StoredKeyImage& image, StoredValues& values) {
    values.clear();
    for (const StoredValueImage& value : image) {
        if (value.Type != platform::kRegSz || value.Data.empty() || value.Data.find('\0') != value.Data.size() - 1) {
            return false;
        }
        values.push_back({value.Name, value.Data.substr(0, value.Data.size() - 1)});
    }
    return true;
}

// After a save: where its backup went, so that a log names the file to restore.
void SayBackup(const SaveResult& result, CommandOutput& output) {
    if (result.backup.outcome == BackupResult::Written) {
        output.out.push_back(FormatText(Message(MSG_CMD_BACKUP_WRITTEN), {result.backup.path}));
    }
}

int Import(const Invocation& invocation, CommandOutput& output) {
    const CatalogLocation* location = nullptr;
    if (int code = ResolveCatalog(invocation.operands[1], location, output)) return code;
    CPaperCatalog catalog;
    CatalogFile file;
    const std::string& path = invocation.operands[0];
    if (int code = LoadFile(path, catalog, output, invocation.allowEmpty, &location->PdlName, &file)) return code;
    SaveRequest request = RequestFor(invocation, *location);
    if (file.expectedGiven) {
        // The editor's hand-off: its exact values, written only over what its
        // user saw before the elevation prompt.
        if (!HandOffValues(*file.values, request.values)) {
            output.err.push_back(FormatText(Message(MSG_CMD_FILE_REFUSED), {path}));
            return kExitCatalogFile;
        }
        request.expected = file.expected;
    } else {
        request.values = StoredValuesOf(catalog, location->PdlName);
    }
    SaveResult result;
    if (int code = Save(request, *location, output, result, file.expected)) return code;
    if (result.unchanged) {
        output.out.push_back(FormatText(Message(MSG_CMD_IMPORT_UNCHANGED), {location->CatalogName}));
        return kExitDone;
    }
    output.out.push_back(FormatText(Message(MSG_CMD_IMPORTED), {std::to_string(catalog.GetCount()), location->CatalogName}));
    SayBackup(result, output);
    return kExitDone;
}

// Language-independent names for /compare /csv.
const char* KindName(PaperDifference::Kind kind) {
    switch (kind) {
    case PaperDifference::Added: return "added";
    case PaperDifference::Removed: return "removed";
    case PaperDifference::Changed: return "changed";
    case PaperDifference::Moved: return "moved";
    }
    return "";
}

const char* FieldName(int attribute) {
    switch (attribute) {
    case PA_SIZE: return "Size";
    case PA_COLOR: return "Color";
    case PA_WEIGHT: return "Weight";
    case PA_TYPE: return "Type";
    case PA_FORCE_ONE_SIDED: return "ForceOneSided";
    default: return "";
    }
}

std::string PositionText(int position) { return position < 0 ? "" : std::to_string(position + 1); }

// The catalog file against what the key holds, as the editor's Compare shows
// the catalog being edited against it: one line per difference.
int Compare(const Invocation& invocation, CommandOutput& output) {
    const CatalogLocation* location = nullptr;
    if (int code = ResolveCatalog(invocation.operands[1], location, output)) return code;
    CPaperCatalog catalog;
    if (int code = LoadFile(invocation.operands[0], catalog, output)) return code;
    // Only a key that does not exist compares as empty: one that cannot be read
    // is no catalog whose every paper would be new.
    std::vector<PaperDifference> differences;
    long systemError = 0;
    if (CompareWithStore(catalog, location->RegistryPath, location->PdlName, differences, &systemError) != STORE_OK) {
        Complain(output, FormatText(Message(MSG_CMD_CATALOG_NOT_READ), {location->CatalogName, KeyText(*location)}), systemError);
        return kExitCatalog;
    }

    if (invocation.csv) WriteCsvRow(output, {"Change", "Name", "OldPosition", "NewPosition", "Field", "OldValue", "NewValue"});
    for (const PaperDifference& difference : differences) {
        if (!invocation.csv) {
            output.out.push_back(DescribeDifference(difference, AppState.CurrentLanguage));
            continue;
        }
        const std::string kind = KindName(difference.kind);
        const std::string from = PositionText(difference.oldPosition);
        const std::string to = PositionText(difference.newPosition);
        if (difference.changes.empty()) WriteCsvRow(output, {kind, difference.name, from, to, "", "", ""});
        for (const FieldChange& change : difference.changes) {
            WriteCsvRow(output, {kind, difference.name, from, to, FieldName(change.attribute), change.oldValue, change.newValue});
        }
    }
    if (differences.empty()) {
        if (!invocation.csv) output.out.push_back(FormatText(Message(MSG_CMD_SAME_CATALOG), {location->CatalogName}));
        return kExitDone;
    }
    return kExitDifferent;
}

// The file's papers merged into the stored catalog: its new papers added at the
// end, its fields written over the same-named papers; then saved as /import
// saves, unless there is nothing to change. A key that does not exist yet
// merges as an empty catalog.
int Merge(const Invocation& invocation, CommandOutput& output) {
    const CatalogLocation* location = nullptr;
    if (int code = ResolveCatalog(invocation.operands[1], location, output)) return code;
    CPaperCatalog stored;
    StoreReport loadReport;
    if (stored.LoadFromRegistry(location->RegistryPath, location->PdlName, &loadReport) != STORE_OK) {
        if (loadReport.SystemError != platform::kRegNotFound) {
            Complain(output, FormatText(Message(MSG_CMD_CATALOG_NOT_READ), {location->CatalogName, KeyText(*location)}),
                     loadReport.SystemError);
            return kExitCatalog;
        }
        stored = CPaperCatalog();
    }
    const std::string& path = invocation.operands[0];
    std::string bytes;
    if (const long error = platform::ReadWholeFile(path, bytes); error != 0) {
        Complain(output, FormatText(Message(MSG_CMD_FILE_NOT_READ), {path}), error);
        return kExitCatalogFile;
    }
    // A catalog file is held to the rules Import holds it to.
    if (DetectPapersFileKind(bytes) == PapersFileKind::CatalogFile && CPaperCatalog().CheckImportBytes(bytes) != STORE_OK) {
        output.err.push_back(FormatText(Message(MSG_CMD_FILE_REFUSED), {path}));
        return kExitCatalogFile;
    }
    const PaperTableRead read = ReadPaperTable(bytes);
    if (int code = RefuseTable(read, path, TableUse::Merge, output)) return code;

    const MergePlan plan = PlanMerge(stored, read.papers);
    SaveResult result;
    if (!plan.Empty()) {
        CPaperCatalog merged = stored;
        ApplyMerge(merged, plan);
        // Written only over what was merged into: a change made meanwhile is kept.
        SaveRequest request = RequestFor(invocation, *location);
        request.values = StoredValuesOf(merged, location->PdlName);
        request.expected = loadReport.Image;
        if (int code = Save(request, *location, output, result)) return code;
    }
    if (invocation.csv) {
        WriteCsvRow(output, {"Change", "Name", "Position", "Field", "OldValue", "NewValue"});
        for (const MergeChange& change : plan.changed) {
            for (const FieldChange& field : change.changes) {
                WriteCsvRow(output, {"changed", change.paper.Name, PositionText(change.index), FieldName(field.attribute),
                                     field.oldValue, field.newValue});
            }
        }
        int position = stored.GetCount();
        for (const CPaperDef& paper : plan.added) WriteCsvRow(output, {"added", paper.Name, PositionText(position++), "", "", ""});
        return kExitDone;
    }
    for (const std::string& line : DescribeMerge(plan, stored.GetCount(), AppState.CurrentLanguage)) output.out.push_back("  " + line);
    if (plan.Empty()) {
        output.out.push_back(FormatText(Message(MSG_CMD_MERGE_NOTHING), {location->CatalogName}));
    } else {
        output.out.push_back(FormatText(Message(MSG_CMD_MERGED),
                                        {location->CatalogName, std::to_string(plan.added.size()),
                                         std::to_string(plan.changed.size()), std::to_string(plan.leftAlone)}));
        SayBackup(result, output);
    }
    return kExitDone;
}

// The lines of a run in the file named by /report, for a program that cannot
// see the console (the editor, which starts the companion elevated): standard
// output's lines, then standard error's, each ended by CR LF, in code page
// 1252 as the program's texts are. The file must not exist yet, so that a
// companion running as administrator never writes over a file someone put in
// its way. Its own failure is said on standard error.
void WriteReport(const std::string& path, CommandOutput& output) {
    std::string bytes;
    for (const auto* lines : {&output.out, &output.err}) {
        for (const std::string& line : *lines) bytes += line + "\r\n";
    }
    std::string reason;
    if (platform::WriteNewFile(path, bytes, reason) != platform::NewFileResult::Written) {
        output.err.push_back(FormatText(Message(MSG_CMD_REPORT_NOT_WRITTEN), {path}));
        if (!reason.empty()) output.err.push_back(reason);
    }
}

int RunInvocation(const std::vector<std::string>& arguments, Invocation& invocation, CommandOutput& output);

// Why a configuration may not give orders to a companion running as
// administrator, or "": it decides which key below HKEY_LOCAL_MACHINE is
// cleared and written, so it and its folder must be beyond the reach of
// anyone but administrators, the user running this included (whose own
// unelevated programs could have written them).
std::string UntrustedConfiguration(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
    for (const bool file : {true, false}) {
        std::string reason;
        const platform::FolderSafety safety = file ? platform::CheckFileSafety(path, reason, false)
                                                   : platform::CheckFolderSafety(folder, reason, false);
        if (safety == platform::FolderSafety::Safe) continue;
        return safety == platform::FolderSafety::Failed && !reason.empty() ? reason : Message(MSG_CMD_CONFIG_OPEN_TO_USERS);
    }
    return "";
}

}  // namespace

int RunCommand(const std::vector<std::string>& arguments, CommandOutput& output) {
    Invocation invocation;
    const int code = RunInvocation(arguments, invocation, output);
    if (!invocation.reportPath.empty()) WriteReport(invocation.reportPath, output);
    return code;
}

namespace {

int RunInvocation(const std::vector<std::string>& arguments, Invocation& invocation, CommandOutput& output) {
    AppState.Reset();
    AppState.CurrentLanguage = kEnglish;

    const ParseError error = Parse(arguments, invocation);
    // Read first, so that even a wrong command line is answered in the
    // configured language; its own failure counts only for a real command.
    long configurationError = 0;
    const ConfigurationResult configuration = LoadConfiguration(invocation.configurationPath, &configurationError);
    if (configuration != ConfigurationResult::Read) AppState.CurrentLanguage = kEnglish;
    InitializeEditingState();

    if (error.messageId != 0) {
        output.err.push_back(FormatText(Message(error.messageId), {error.argument}));
        WriteUsage(output.err);
        return kExitUsage;
    }
    if (invocation.verb == Verb::Help) {
        WriteUsage(output.out);
        return kExitDone;
    }
    if (configuration == ConfigurationResult::Missing) {
        output.err.push_back(FormatText(Message(MSG_CMD_CONFIGURATION_NOT_OPENED), {invocation.configurationPath}));
        return kExitConfiguration;
    }
    if (configuration == ConfigurationResult::Unreadable) {
        Complain(output, FormatText(Message(MSG_CMD_CONFIGURATION_NOT_READ), {invocation.configurationPath}), configurationError);
        return kExitConfiguration;
    }
    if (configuration == ConfigurationResult::InvalidLanguage) {
        output.err.push_back(FormatText(Message(MSG_CMD_CONFIGURATION_LANGUAGE), {invocation.configurationPath}));
        return kExitConfiguration;
    }

    if (platform::RunsAsAdministrator()) {
        if (const std::string why = UntrustedConfiguration(invocation.configurationPath); !why.empty()) {
            output.err.push_back(FormatText(Message(MSG_CMD_CONFIG_NOT_TRUSTED), {invocation.configurationPath, why}));
            return kExitBackup;
        }
    }

    switch (invocation.verb) {
    case Verb::List: return List(invocation, output);
    case Verb::Export: return Export(invocation, output);
    case Verb::Import: return Import(invocation, output);
    case Verb::Check: return Check(invocation, output);
    case Verb::Compare: return Compare(invocation, output);
    case Verb::Merge: return Merge(invocation, output);
    case Verb::Help:
    case Verb::None: break;
    }
    return kExitUsage;
}

}  // namespace
