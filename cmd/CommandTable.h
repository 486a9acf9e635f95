// The companion's command line as one table: its commands and switches, what
// each does, and its exit codes. The parser, the usage text (/?) and the
// README's and help pages' lists (scripts/companion-docs.sh) are made from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "StringIds.h"

// Exit codes, as the table below says them.
enum CommandExit : int {
    kExitDone = 0,
    kExitUsage = 1,
    kExitConfiguration = 2,
    kExitCatalog = 3,      // not configured, or its key cannot be read
    kExitCatalogFile = 4,  // cannot be read or written, or no catalog file or table
    kExitRegistry = 5,     // the registry refused the save; the key is as it was
    kExitRules = 6,        // the catalog's rules refuse the file's papers
    kExitBackup = 7,       // no backup or no record could be written, or (as administrator) the
                           // configuration is not one only administrators control; nothing saved
    kExitReport = 8,       // the /report file could not be written
    kExitPrinter = 9,      // the printer could not be asked or its answer could not be used; nothing saved
    kExitDifferent = 10,   // /compare found differences
    kExitRecovered = 11,   // a save cut short earlier was settled first; nothing else was done
};

enum class Verb : uint8_t { None, List, Export, Import, Check, Compare, Merge, GetMedia, Help };

// A command (a verb with its operands) or an option. An option applies to the
// verbs in `verbs` (a mask of VerbBit), or to every command when it is 0.
struct CommandSwitch {
    const char* name;      // without its "/"
    Verb verb;             // Verb::None for an option
    const char* operands;  // a command's operands, an option's value, as the usage writes them
    unsigned verbs;        // options only
    MessageId meaning;     // what it does, in the usage's words
};

constexpr unsigned VerbBit(Verb verb) { return 1u << static_cast<unsigned>(verb); }

struct ExitCodeRule {
    int code;
    MessageId meaning;
};

const std::vector<CommandSwitch>& CommandSwitches();
const std::vector<ExitCodeRule>& ExitCodeRules();

// /getmedia's switch that makes it list instead of merge: named as the
// /check command is, told apart by the command it goes with.
inline constexpr const char* kGetMediaCheck = "check";

// How many operands a command's `operands` text names.
size_t OperandCount(const CommandSwitch& command);

// A command's usage line: "VellicorCmd /import <file.cat|file.csv> "<catalog>" [/nobackup] ..."
// with the options that apply to it alone.
std::string SyntaxLine(const CommandSwitch& command);
// /getmedia's other form: "VellicorCmd /getmedia <printer-uri> ["<catalog>"] /check ...".
std::string CheckFormSyntaxLine(const CommandSwitch& command);

// The usage text (/?) in `language`.
std::vector<std::string> UsageLines(int16_t language);

// The lists the README (Markdown) and the help pages (HTML, per language)
// carry: `part` is "syntax" or "exit-codes". Empty for an unknown part.
std::vector<std::string> DocumentationBlock(const std::string& part, bool html, int16_t language);
