#include "cmd/Commands.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "config/Configuration.h"
#include "media/MediaFetch.h"
#include "config/Startup.h"
#include "catalog/CatalogBackup.h"
#include "catalog/CatalogDifference.h"
#include "catalog/CatalogMerge.h"
#include "catalog/CatalogSave.h"
#include "catalog/SaveRecord.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "catalog/PaperTable.h"
#include "catalog/PapersFileKind.h"
#include "media/JdfMedia.h"
#include "platform/Files.h"
#include "platform/FolderSecurity.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

struct Invocation {
    Verb verb = Verb::None;
    const CommandSwitch* verbSwitch = nullptr;
    std::vector<std::string> operands;
    bool csv = false;
    bool noBackup = false;
    bool allowEmpty = false;  // a catalog file without papers may empty the catalog
    bool merged = false;      // /compare: only what /merge would still change
    bool check = false;       // /getmedia: list, do not merge
    bool readyOnly = false;   // /getmedia: only the media loaded now
    int timeoutSeconds = 30;  // /getmedia: the longest wait for the printer
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
    for (std::string& line : UsageLines(AppState.CurrentLanguage)) lines.push_back(std::move(line));
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
    bool getMedia = false;
    std::optional<std::string> timeout;  // checked once the command is known to take it
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (IsSwitch(argument) && SwitchName(argument) == "getmedia") getMedia = true;
    }
    bool switchesEnded = false;
    std::vector<const CommandSwitch*> options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (switchesEnded || !IsSwitch(argument)) {
            invocation.operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            switchesEnded = true;
            continue;
        }
        const std::string name = SwitchName(argument);
        const CommandSwitch* found = nullptr;
        for (const CommandSwitch& candidate : CommandSwitches()) {
            // /check is a command, and with /getmedia its switch.
            if (name == candidate.name && (!found || (candidate.verb == Verb::None) == getMedia)) found = &candidate;
        }
        if (!found) return {MSG_CMD_UNKNOWN_SWITCH, argument};
        if (found->verb != Verb::None) {
            // One command per run: a second one is as wrong as an unknown one.
            if (invocation.verbSwitch) return {MSG_CMD_UNKNOWN_SWITCH, argument};
            invocation.verbSwitch = found;
            invocation.verb = found->verb;
            continue;
        }
        options.push_back(found);
        std::string value;
        if (*found->operands) {
            if (i + 1 == arguments.size()) return {MSG_CMD_MISSING_VALUE, argument};
            value = arguments[++i];
        }
        const std::string option = found->name;
        if (option == "csv") invocation.csv = true;
        if (option == "nobackup") invocation.noBackup = true;
        if (option == "allowempty") invocation.allowEmpty = true;
        if (option == "merged") invocation.merged = true;
        if (option == kGetMediaCheck) invocation.check = true;
        if (option == "ready") invocation.readyOnly = true;
        if (option == "timeout") timeout = value;
        if (option == "report") invocation.reportPath = value;
        if (option == "config") invocation.configurationPath = value;
    }
    if (!invocation.verbSwitch) return {MSG_CMD_NO_COMMAND, ""};
    const CommandSwitch& verb = *invocation.verbSwitch;
    size_t operands = OperandCount(verb);
    // /getmedia /check lists without a catalog too.
    if (invocation.check && invocation.operands.size() == 1) operands = 1;
    if (invocation.operands.size() < operands) return {MSG_CMD_MISSING_VALUE, std::string("/") + verb.name};
    if (invocation.operands.size() > operands) return {MSG_CMD_UNEXPECTED_ARGUMENT, invocation.operands[operands]};
    for (const CommandSwitch* option : options) {
        if (option->verbs != 0 && !(option->verbs & VerbBit(verb.verb))) return {MSG_CMD_UNKNOWN_SWITCH, std::string("/") + option->name};
    }
    if (timeout) {
        const bool digits = !timeout->empty() && timeout->size() <= 3 && timeout->find_first_not_of("0123456789") == std::string::npos;
        invocation.timeoutSeconds = digits ? std::stoi(*timeout) : 0;
        if (invocation.timeoutSeconds < 1 || invocation.timeoutSeconds > 600) return {MSG_CMD_BAD_TIMEOUT, *timeout};
    }
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
        StoreReport report;
        const bool read = location.Available && catalog.LoadFromRegistry(location.RegistryPath, location.PdlName, &report) == STORE_OK;
        const std::string papers = read ? std::to_string(catalog.GetCount()) : "";
        if (invocation.csv) {
            WriteCsvRow(output, {location.CatalogName, location.PdlName, KeyText(location),
                                 location.Available ? "yes" : "no", papers});
            continue;
        }
        // A key nobody has made yet is the usual state of a new catalog, not a fault.
        std::string state;
        if (read) {
            state = Message(MSG_CMD_AVAILABLE) + ", " + FormatText(Message(MSG_CMD_PAPERS_COUNT), {papers});
        } else {
            platform::RegKey key;
            const long opened = platform::OpenKeyForReading(location.RegistryPath, key);
            state = Message(opened == platform::kRegNotFound ? MSG_CMD_KEY_NOT_MADE : MSG_CMD_NOT_AVAILABLE);
        }
        output.out.push_back(FormatText(Message(MSG_CMD_LIST_ENTRY),
                                        {location.CatalogName, location.PdlName, KeyText(location), state}));
    }
    return kExitDone;
}

std::string Quoted(const std::string& name) { return FormatText(Message(MSG_CMD_QUOTED_NAME), {name}); }

// The configured catalog the command's catalog operand names, or the exit
// code after the message. A name that is no catalog is shown quoted (a
// trailing blank is seen) with the names that are; a file and a catalog
// given the other way round are told as such.
int ResolveCatalog(const Invocation& invocation, const CatalogLocation*& location, CommandOutput& output) {
    const size_t catalogOperand = invocation.verb == Verb::Export ? 0 : 1;
    const std::string& name = invocation.operands[catalogOperand];
    std::vector<std::string> candidates;
    location = FindCatalog(name, candidates);
    if (location) return Recovered(*location, output) ? kExitRecovered : kExitDone;
    if (candidates.empty()) {
        const std::string& other = invocation.operands[1 - catalogOperand];
        std::vector<std::string> otherCandidates;
        if (FindCatalog(other, otherCandidates) || !otherCandidates.empty()) {
            output.err.push_back(FormatText(Message(MSG_CMD_OPERANDS_SWAPPED), {Quoted(other), Quoted(name)}));
            output.err.push_back("  " + SyntaxLine(*invocation.verbSwitch));
            return kExitUsage;
        }
        output.err.push_back(FormatText(Message(MSG_CMD_NOT_A_CATALOG), {Quoted(name)}));
        if (AppState.CatalogLocations.empty()) output.err.push_back(Message(MSG_CMD_NO_CATALOGS));
        std::vector<std::string> listed;
        for (const CatalogLocation& configured : AppState.CatalogLocations) {
            if (std::find(listed.begin(), listed.end(), configured.CatalogName) != listed.end()) continue;
            listed.push_back(configured.CatalogName);
            output.err.push_back("  " + Quoted(configured.CatalogName));
        }
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

// The exit code of a table the reader refused, by the one rule of the exit
// codes: a file that holds no table (empty, prose, a spreadsheet's own file, a
// header the reader does not know) is a refused file (4); a table whose papers
// the rules refuse, or that holds none, breaks the catalog's rules (6).
int TableExitCode(TableFault fault) {
    switch (fault) {
    case TableFault::TableOk: return kExitDone;
    case TableFault::RowsRefused:
    case TableFault::HeaderOnly: return kExitRules;
    case TableFault::Empty:
    case TableFault::TooLarge:
    case TableFault::NulBytes:
    case TableFault::SpreadsheetFile:
    case TableFault::NoPaperRow:
    case TableFault::UnknownHeader:
    case TableFault::MissingColumn:
    case TableFault::RepeatedColumn: return kExitCatalogFile;
    }
    return kExitCatalogFile;
}

// A table the reader refused: the file named, then what was found or the
// refused rows, one a line.
int RefuseTable(const PaperTableRead& read, const std::string& path, TableUse use, CommandOutput& output) {
    if (read.ok()) return kExitDone;
    std::vector<std::string> lines = PaperTableRefusalLines(read, use);
    lines.front() = FormatText(Message(use == TableUse::Merge ? MSG_CMD_MERGE_REFUSED : MSG_CMD_TABLE_REFUSED), {path});
    for (size_t i = 0; i < lines.size(); ++i) output.err.push_back(i == 0 ? lines[i] : "  " + lines[i]);
    return TableExitCode(read.fault);
}

// JDF media the reader refused, by the same rule: a file that is no JDF or
// JMF (not XML, other XML) is a refused file (4); JDF without media, or whose
// media the rules refuse, breaks the catalog's rules (6).
int RefuseJdf(const JdfMediaRead& read, const std::string& path, TableUse use, CommandOutput& output) {
    if (read.ok()) return kExitDone;
    std::vector<std::string> lines = JdfRefusalLines(read, use);
    lines.front() = FormatText(Message(use == TableUse::Merge ? MSG_CMD_MERGE_REFUSED : MSG_CMD_TABLE_REFUSED), {path});
    for (size_t i = 0; i < lines.size(); ++i) output.err.push_back(i == 0 ? lines[i] : "  " + lines[i]);
    return read.fault == JdfFault::NotXml || read.fault == JdfFault::NotJdf ? kExitCatalogFile : kExitRules;
}

// A catalog file by its first line: that line alone is an empty catalog file.
bool IsCatalogFile(std::string_view bytes) {
    return CPaperCatalog().CheckImportBytes(bytes.substr(0, bytes.find_first_of("\r\n")), true) == STORE_OK;
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
    const PapersFileKind kind = DetectPapersFileKind(bytes);
    if (kind == PapersFileKind::JdfMedia) {
        const JdfMediaRead read = ReadJdfMedia(bytes, AppState.CurrentLanguage);
        if (int code = RefuseJdf(read, path, TableUse::Import, output)) return code;
        catalog.AppendPapers(read.papers);
        return kExitDone;
    }
    if (kind != PapersFileKind::CatalogFile) {
        const PaperTableRead read = ReadPaperTable(bytes);
        if (read.fault == TableFault::HeaderOnly && emptyMeant) return kExitDone;
        if (int code = RefuseTable(read, path, TableUse::Import, output)) return code;
        catalog.AppendPapers(read.papers);
        return kExitDone;
    }
    // A catalog file without a first paper holds no papers, whatever else it
    // holds: the rules refuse it as they refuse an empty export (6).
    CatalogFile read = ReadCatalogFile(bytes);
    if (!read.recognised || read.valuesBroken || (read.expectedGiven && !read.values)) {
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
    if (int code = ResolveCatalog(invocation, location, output)) return code;
    CPaperCatalog catalog;
    if (int code = LoadStored(*location, catalog, output)) return code;
    const std::string& path = invocation.operands[1];
    StoreReport report;
    NotReadBack lost;
    const bool written = IsJdfFileName(path)     ? ExportJdfFile(catalog, path, location->CatalogName, &report, &lost)
                         : IsTableFileName(path) ? ExportTableFile(catalog, path, &report, &lost)
                                                 : catalog.ExportToFile(path, &report);
    if (!written) {
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
    output.out.push_back(FormatText(Message(MSG_CMD_EXPORTED_COUNT), {std::to_string(catalog.GetCount()), path}));
    const std::string note = IsJdfFileName(path) ? NotReadBackMessage(lost, MSG_JDF_NOT_READ_BACK) : NotReadBackMessage(lost);
    if (!note.empty()) output.err.push_back(note);
    return kExitDone;
}

int Check(const Invocation& invocation, CommandOutput& output) {
    CPaperCatalog catalog;
    if (int code = LoadFile(invocation.operands[0], catalog, output)) return code;
    if (invocation.csv) {
        // The export's columns, so that the output imports back.
        WriteCsvRow(output, {"Name", "Size", "Weight", "Color", "Type", "ForceOneSided"});
    } else {
        output.out.push_back(FormatText(Message(MSG_CMD_CHECK_ACCEPTED_COUNT), {std::to_string(catalog.GetCount())}));
    }
    const std::string oneSided = InterfaceLabel(LAB_FORCE_ONE_SIDED, TF_NO_AMPERSAND);
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const CPaperDef paper = catalog.GetPaper(i);
        if (invocation.csv) {
            WriteCsvRow(output, {paper.Name, paper.Size, paper.Weight, paper.Color, paper.Type,
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
            FormatText(Message(MSG_CMD_SKIPPED_ENTRIES_COUNT), {catalog, key, std::to_string(result.skipped.size())}));
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
    if (int code = ResolveCatalog(invocation, location, output)) return code;
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
    output.out.push_back(FormatText(Message(MSG_CMD_IMPORTED_COUNT), {std::to_string(catalog.GetCount()), location->CatalogName}));
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

// The stored catalog a merge goes into: a key that does not exist yet is an
// empty catalog, one that cannot be read stops the command.
int LoadStoredOrEmpty(const CatalogLocation& location, CPaperCatalog& stored, StoreReport& report,
                      CommandOutput& output) {
    if (stored.LoadFromRegistry(location.RegistryPath, location.PdlName, &report) == STORE_OK) return kExitDone;
    if (report.SystemError != platform::kRegNotFound) {
        Complain(output, FormatText(Message(MSG_CMD_CATALOG_NOT_READ), {location.CatalogName, KeyText(location)}),
                 report.SystemError);
        return kExitCatalog;
    }
    stored = CPaperCatalog();
    return kExitDone;
}

// A merge's changes as CSV rows, the added papers at the positions after `storedCount`.
void WriteMergePlanCsv(const MergePlan& plan, int storedCount, CommandOutput& output) {
    WriteCsvRow(output, {"Change", "Name", "Position", "Field", "OldValue", "NewValue"});
    for (const MergeChange& change : plan.changed) {
        for (const FieldChange& field : change.changes) {
            WriteCsvRow(output, {"changed", change.paper.Name, PositionText(change.index), FieldName(field.attribute),
                                 field.oldValue, field.newValue});
        }
    }
    int position = storedCount;
    for (const CPaperDef& paper : plan.added) WriteCsvRow(output, {"added", paper.Name, PositionText(position++), "", "", ""});
}

// /compare /merged: what /merge would still change, so that a deployment by
// merge can be checked. Papers the file does not name, and the order, are
// the PC's own affair and never differences here.
int CompareMerged(const Invocation& invocation, const CatalogLocation& location, const CPaperCatalog& file,
                  CommandOutput& output) {
    CPaperCatalog stored;
    StoreReport report;
    if (int code = LoadStoredOrEmpty(location, stored, report, output)) return code;
    std::vector<CPaperDef> papers;
    for (int i = 0; i < file.GetCount(); ++i) papers.push_back(file.GetPaper(i));
    const MergePlan plan = PlanMerge(stored, papers);
    if (invocation.csv) {
        WriteMergePlanCsv(plan, stored.GetCount(), output);
    } else {
        for (const std::string& line : DescribeMerge(plan, stored.GetCount(), AppState.CurrentLanguage)) output.out.push_back(line);
        if (plan.Empty()) output.out.push_back(FormatText(Message(MSG_CMD_MERGED_SAME), {location.CatalogName}));
    }
    return plan.Empty() ? kExitDone : kExitDifferent;
}

// The catalog file against what the key holds, as the editor's Compare shows
// the catalog being edited against it: one line per difference.
int Compare(const Invocation& invocation, CommandOutput& output) {
    const CatalogLocation* location = nullptr;
    if (int code = ResolveCatalog(invocation, location, output)) return code;
    CPaperCatalog catalog;
    if (int code = LoadFile(invocation.operands[0], catalog, output)) return code;
    if (invocation.merged) return CompareMerged(invocation, *location, catalog, output);
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

// Papers merged into the stored catalog: the new ones added at the end, their
// fields written over the same-named papers; then saved through the one save,
// unless there is nothing to change. /merge and /getmedia both end here.
int MergeAndSave(const Invocation& invocation, const CatalogLocation& location, const CPaperCatalog& stored,
                 const StoreReport& loadReport, const std::vector<CPaperDef>& papers, MessageId nothing,
                 CommandOutput& output) {
    const MergePlan plan = PlanMerge(stored, papers);
    SaveResult result;
    if (!plan.Empty()) {
        CPaperCatalog merged = stored;
        ApplyMerge(merged, plan);
        // Written only over what was merged into: a change made meanwhile is kept.
        SaveRequest request = RequestFor(invocation, location);
        request.values = StoredValuesOf(merged, location.PdlName);
        request.expected = loadReport.Image;
        if (int code = Save(request, location, output, result)) return code;
    }
    if (invocation.csv) {
        WriteMergePlanCsv(plan, stored.GetCount(), output);
        return kExitDone;
    }
    for (const std::string& line : DescribeMerge(plan, stored.GetCount(), AppState.CurrentLanguage)) output.out.push_back("  " + line);
    // Said, so that a script comparing the file with the catalog knows why
    // the default paper still differs: Merge never changes it.
    if (!plan.defaultKept.empty()) {
        output.out.push_back(FormatText(Message(MSG_CMD_MERGE_DEFAULT_KEPT), {AppState.DefaultPaperName}));
    }
    if (plan.Empty()) {
        output.out.push_back(FormatText(Message(nothing), {location.CatalogName}));
    } else {
        output.out.push_back(FormatText(Message(MSG_CMD_MERGED_COUNTS),
                                        {location.CatalogName, std::to_string(plan.added.size()),
                                         std::to_string(plan.changed.size()), std::to_string(plan.leftAlone)}));
        SayBackup(result, output);
    }
    return kExitDone;
}

// The file's papers merged into the stored catalog: its new papers added at the
// end, its fields written over the same-named papers; then saved as /import
// saves, unless there is nothing to change. A key that does not exist yet
// merges as an empty catalog.
int Merge(const Invocation& invocation, CommandOutput& output) {
    const CatalogLocation* location = nullptr;
    if (int code = ResolveCatalog(invocation, location, output)) return code;
    CPaperCatalog stored;
    StoreReport loadReport;
    if (int code = LoadStoredOrEmpty(*location, stored, loadReport, output)) return code;
    const std::string& path = invocation.operands[0];
    std::string bytes;
    if (const long error = platform::ReadWholeFile(path, bytes); error != 0) {
        Complain(output, FormatText(Message(MSG_CMD_FILE_NOT_READ), {path}), error);
        return kExitCatalogFile;
    }
    // A catalog file is held to the rules Import holds it to.
    const PapersFileKind kind = DetectPapersFileKind(bytes);
    if (kind == PapersFileKind::CatalogFile && CPaperCatalog().CheckImportBytes(bytes) != STORE_OK) {
        output.err.push_back(FormatText(Message(MSG_CMD_FILE_REFUSED), {path}));
        return kExitCatalogFile;
    }
    std::vector<CPaperDef> papers;
    if (kind == PapersFileKind::JdfMedia) {
        JdfMediaRead read = ReadJdfMedia(bytes, AppState.CurrentLanguage);
        if (int code = RefuseJdf(read, path, TableUse::Merge, output)) return code;
        papers = std::move(read.papers);
    } else {
        PaperTableRead read = ReadPaperTable(bytes);
        if (int code = RefuseTable(read, path, TableUse::Merge, output)) return code;
        papers = std::move(read.papers);
    }

    return MergeAndSave(invocation, *location, stored, loadReport, papers, MSG_CMD_MERGE_NOTHING, output);
}

// The lines naming each media that gives no paper here, with its reason; a
// media that gives the same paper as another is no refusal and not named.
void ListRefusedMedia(const MediaFetchResult& fetched, std::vector<std::string>& lines) {
    std::vector<std::string> refused;
    for (const FetchedMedia& media : fetched.media) {
        if (!media.paper.ok() && !media.duplicate) refused.push_back("  " + MediaRefusalText(media));
    }
    if (refused.empty()) return;
    lines.push_back(FormatText(Message(MSG_CMD_GETMEDIA_REFUSED_COUNT), {std::to_string(refused.size())}));
    for (std::string& line : refused) lines.push_back(std::move(line));
}

// The printer's media as papers, merged into the catalog as /merge merges a
// file's, or with /check only listed. Nothing is saved unless the whole
// answer could be read and at least one media became a paper.
int GetMedia(const Invocation& invocation, CommandOutput& output) {
    const std::string& uri = invocation.operands[0];
    const CatalogLocation* location = nullptr;
    if (invocation.operands.size() == 2) {
        if (int code = ResolveCatalog(invocation, location, output)) return code;
    }
    const MediaFetchResult fetched =
        FetchPrinterMedia(uri, AppState.CurrentLanguage, nullptr, invocation.timeoutSeconds * 1000);
    if (!fetched.ok()) {
        PushLines(output.err, MediaFetchFaultText(fetched, uri));
        return kExitPrinter;
    }
    // What is said besides the changes goes to standard error with /csv, so
    // that standard output holds the table alone.
    std::vector<std::string>& notes = invocation.csv ? output.err : output.out;
    const size_t loaded = static_cast<size_t>(
        std::count_if(fetched.media.begin(), fetched.media.end(), [](const FetchedMedia& m) { return m.media.ready; }));
    notes.push_back(FormatText(Message(MSG_CMD_GETMEDIA_COUNTS), {uri, std::to_string(fetched.media.size()), std::to_string(loaded)}));
    ListRefusedMedia(fetched, notes);
    const std::vector<CPaperDef> papers = PapersOfFetch(fetched, invocation.readyOnly);
    if (papers.empty()) {
        output.err.push_back(Message(invocation.readyOnly ? MSG_CMD_GETMEDIA_NONE_READY : MSG_CMD_GETMEDIA_NONE_USABLE));
        return kExitPrinter;
    }

    if (invocation.check && !location) {
        if (invocation.csv) {
            // The export's columns, so that the output imports back.
            WriteCsvRow(output, {"Name", "Size", "Weight", "Color", "Type", "ForceOneSided"});
        } else {
            output.out.push_back(FormatText(Message(MSG_CMD_GETMEDIA_PAPERS_COUNT), {std::to_string(papers.size())}));
        }
        const std::string oneSided = InterfaceLabel(LAB_FORCE_ONE_SIDED, TF_NO_AMPERSAND);
        const std::string readyMark = Message(MSG_CMD_GETMEDIA_READY_MARK);
        int number = 0;
        for (const FetchedMedia& media : fetched.media) {
            if (!media.paper.ok() || (invocation.readyOnly && !media.media.ready)) continue;
            const CPaperDef& paper = media.paper.paper;
            if (invocation.csv) {
                WriteCsvRow(output, {paper.Name, paper.Size, paper.Weight, paper.Color, paper.Type,
                                     paper.ForceOneSided ? "yes" : "no"});
                continue;
            }
            std::string line = "  " + std::to_string(++number) + ". " + paper.Name + ", " + SizeLabelFromKeyword(paper.Size) +
                               ", " + paper.Color + ", " + paper.Weight + ", " + paper.Type;
            if (paper.ForceOneSided) line += ", " + oneSided;
            if (media.media.ready) line += " (" + readyMark + ")";
            output.out.push_back(line);
        }
        return kExitDone;
    }

    // Read after the wait for the printer: the save writes only over what was read.
    CPaperCatalog stored;
    StoreReport loadReport;
    if (int code = LoadStoredOrEmpty(*location, stored, loadReport, output)) return code;
    if (invocation.check) {
        const MergePlan plan = PlanMerge(stored, papers);
        if (invocation.csv) {
            WriteMergePlanCsv(plan, stored.GetCount(), output);
        } else {
            for (const std::string& line : DescribeMerge(plan, stored.GetCount(), AppState.CurrentLanguage)) {
                output.out.push_back("  " + line);
            }
            if (plan.Empty()) output.out.push_back(FormatText(Message(MSG_CMD_GETMEDIA_NOTHING), {location->CatalogName}));
        }
        return kExitDone;
    }
    return MergeAndSave(invocation, *location, stored, loadReport, papers, MSG_CMD_GETMEDIA_NOTHING, output);
}

// The lines of a run in the file named by /report, for a program that cannot
// see the console (the editor, which starts the companion elevated; a
// deployment tool's log): standard output's lines, then standard error's,
// each ended by CR LF, in code page 1252 as the program's texts are. The file
// must not exist yet, so that a companion running as administrator never
// writes over a file someone put in its way. A report that cannot be written
// fails the run: a log that silently stops is worse than none.
bool WriteReport(const std::string& path, CommandOutput& output) {
    std::string bytes;
    for (const auto* lines : {&output.out, &output.err}) {
        for (const std::string& line : *lines) bytes += line + "\r\n";
    }
    std::string reason;
    const platform::NewFileResult result = platform::WriteNewFile(path, bytes, reason);
    if (result == platform::NewFileResult::Written) return true;
    if (result == platform::NewFileResult::Exists) {
        output.err.push_back(FormatText(Message(MSG_CMD_REPORT_EXISTS), {path}));
    } else {
        output.err.push_back(FormatText(Message(MSG_CMD_REPORT_NOT_WRITTEN), {path}));
        if (!reason.empty()) output.err.push_back(reason);
    }
    return false;
}

int RunInvocation(const std::vector<std::string>& arguments, Invocation& invocation, CommandOutput& output);

// Why a configuration may not give orders to a companion running as
// administrator, or "": it decides which key below HKEY_LOCAL_MACHINE is
// cleared and written, so it and its folder must be beyond the reach of
// everyone but administrators and the user running this (another user's
// portable copy, a file planted where users may add files). The running
// user's own files count as that user's: Windows does not defend one user's
// elevated programs from the same user's other programs either.
std::string UntrustedConfiguration(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
    for (const bool file : {true, false}) {
        std::string reason;
        const platform::FolderSafety safety = file ? platform::CheckFileSafety(path, reason)
                                                   : platform::CheckFolderSafety(folder, reason);
        if (safety == platform::FolderSafety::Safe) continue;
        return safety == platform::FolderSafety::Failed && !reason.empty() ? reason : Message(MSG_CMD_CONFIG_OPEN_TO_USERS);
    }
    return "";
}

}  // namespace

int RunCommand(const std::vector<std::string>& arguments, CommandOutput& output) {
    Invocation invocation;
    const int code = RunInvocation(arguments, invocation, output);
    if (code == kExitReport || invocation.reportPath.empty()) return code;
    // The command's own failure says more than the report's.
    if (!WriteReport(invocation.reportPath, output) && code == kExitDone) return kExitReport;
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
    std::string language;
    const ConfigurationResult configuration = LoadConfiguration(invocation.configurationPath, &configurationError, &language);
    if (configuration != ConfigurationResult::Read) AppState.CurrentLanguage = kEnglish;
    InitializeEditingState();
    // The editor's rule: a missing or unknown language is English, said once.
    if (configuration == ConfigurationResult::InvalidLanguage) {
        output.err.push_back(language.empty()
                                 ? FormatText(Message(MSG_CMD_LANGUAGE_MISSING), {invocation.configurationPath, KnownLanguageNames()})
                                 : FormatText(Message(MSG_CMD_LANGUAGE_UNKNOWN),
                                              {invocation.configurationPath, Quoted(language), KnownLanguageNames()}));
    }

    if (error.messageId != 0) {
        output.err.push_back(FormatText(Message(error.messageId), {error.argument}));
        WriteUsage(output.err);
        return kExitUsage;
    }
    // Refused before anything is done: the run could not report it.
    if (!invocation.reportPath.empty()) {
        const long probe = platform::ProbeFileForReading(invocation.reportPath);
        if (probe != 2 && probe != 3) {  // anything there but "no such file" or "no such folder"
            output.err.push_back(FormatText(Message(MSG_CMD_REPORT_EXISTS), {invocation.reportPath}));
            return kExitReport;
        }
    }
    if (invocation.verb == Verb::Help) {
        WriteUsage(output.out);
        return kExitDone;
    }
    if (configuration == ConfigurationResult::Missing) {
        // Deployment tools start programs in their own folder (often
        // C:\Windows\System32): say where it looked and how to name the file.
        output.err.push_back(FormatText(Message(MSG_CMD_CONFIGURATION_NOT_FOUND),
                                        {invocation.configurationPath, platform::FolderOfPath(invocation.configurationPath)}));
        output.err.push_back(FormatText(Message(MSG_CMD_CONFIGURATION_HINT),
                                        {platform::ExpandEnvironment(kInstalledConfiguration)}));
        return kExitConfiguration;
    }
    if (configuration == ConfigurationResult::Unreadable) {
        Complain(output, FormatText(Message(MSG_CMD_CONFIGURATION_NOT_READ), {invocation.configurationPath}), configurationError);
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
    case Verb::GetMedia: return GetMedia(invocation, output);
    case Verb::Help:
    case Verb::None: break;
    }
    return kExitUsage;
}

}  // namespace
