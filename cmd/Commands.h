// The command-line companion's commands, apart from the console: arguments in,
// lines and an exit code out, so that tests run them natively and under Wine.
#pragma once

#include <string>
#include <vector>

#include "cmd/CommandTable.h"

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
