// The command-line companion's commands, apart from the console: arguments in,
// lines and an exit code out, so that tests run them natively and under Wine.
#pragma once

#include <string>
#include <vector>

// Exit codes, as the usage text and the help page give them.
enum CommandExit : int {
    kExitDone = 0,
    kExitUsage = 1,
    kExitConfiguration = 2,
    kExitCatalog = 3,           // not configured, or its key cannot be read
    kExitCatalogFile = 4,       // cannot be read or written, or refused
    kExitRegistry = 5,          // the registry refused the save; the key is as it was
    kExitRules = 6,             // the catalog's rules refuse it
    kExitBackup = 7,            // no backup could be written, or (as administrator) the configuration is not one
                                // only administrators control; nothing saved
    kExitDifferent = 10,        // /compare found differences
    kExitRecovered = 11,        // a save cut short earlier was settled first; nothing else was done
};

struct CommandOutput {
    std::vector<std::string> out;  // standard output, one entry a line
    std::vector<std::string> err;  // standard error
    // Standard output holds UTF-8 with a byte-order mark (/csv) rather than
    // code page 1252 text; standard error is always code page 1252.
    bool utf8 = false;
};

// Runs one command line (the arguments after the program's name, already in
// code page 1252). The configuration is read from `/config <path>` or from
// Vellicor.cfg in the current directory.
int RunCommand(const std::vector<std::string>& arguments, CommandOutput& output);
