#include "cmd/CommandTable.h"

#include <string_view>

#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

constexpr unsigned kCsvVerbs =
    VerbBit(Verb::List) | VerbBit(Verb::Check) | VerbBit(Verb::Compare) | VerbBit(Verb::Merge) | VerbBit(Verb::GetMedia);

std::string Text(MessageId id, int16_t language) { return GetLocalizedString(kMessageList, id, language); }

std::string Html(std::string_view text) {
    std::string out;
    for (char c : Cp1252ToUtf8(text)) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        default: out += c;
        }
    }
    return out;
}

// Markdown outside code: "<path>" would be taken for a tag.
std::string Markdown(std::string_view text) {
    std::string out;
    for (char c : Cp1252ToUtf8(text)) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '|': out += "\\|"; break;
        default: out += c;
        }
    }
    return out;
}

// The line of the options every command takes.
std::string GlobalSyntaxLine() {
    std::string line = "VellicorCmd /<command> ...";
    for (const CommandSwitch& option : CommandSwitches()) {
        if (option.verb == Verb::None && option.verbs == 0) line += std::string(" [/") + option.name + " " + option.operands + "]";
    }
    return line;
}

std::vector<std::string> SyntaxLines() {
    std::vector<std::string> lines;
    for (const CommandSwitch& command : CommandSwitches()) {
        if (command.verb != Verb::None) lines.push_back(SyntaxLine(command));
        if (command.verb == Verb::GetMedia) lines.push_back(CheckFormSyntaxLine(command));
    }
    lines.push_back(GlobalSyntaxLine());
    return lines;
}

}  // namespace

const std::vector<CommandSwitch>& CommandSwitches() {
    static const std::vector<CommandSwitch> table = {
        {"list", Verb::List, "", 0, MSG_CMD_USAGE_LIST},
        {"export", Verb::Export, "\"<catalog>\" <file.cat|file.csv|file.jdf>", 0, MSG_CMD_USAGE_EXPORT},
        {"import", Verb::Import, "<file.cat|file.csv|file.jdf> \"<catalog>\"", 0, MSG_CMD_USAGE_IMPORT},
        {"check", Verb::Check, "<file.cat|file.csv|file.jdf>", 0, MSG_CMD_USAGE_CHECK},
        {"compare", Verb::Compare, "<file.cat|file.csv|file.jdf> \"<catalog>\"", 0, MSG_CMD_USAGE_COMPARE},
        {"merge", Verb::Merge, "<file.cat|file.csv|file.jdf> \"<catalog>\"", 0, MSG_CMD_USAGE_MERGE},
        {"getmedia", Verb::GetMedia, "<printer-uri> \"<catalog>\"", 0, MSG_CMD_USAGE_GETMEDIA},
        {"?", Verb::Help, "", 0, MSG_CMD_USAGE_HELP},
        {"csv", Verb::None, "", kCsvVerbs, MSG_CMD_USAGE_CSV},
        {"nobackup", Verb::None, "", VerbBit(Verb::Import) | VerbBit(Verb::Merge) | VerbBit(Verb::GetMedia),
         MSG_CMD_USAGE_NOBACKUP_MERGE},
        {"allowempty", Verb::None, "", VerbBit(Verb::Import), MSG_CMD_USAGE_ALLOWEMPTY},
        {"merged", Verb::None, "", VerbBit(Verb::Compare), MSG_CMD_USAGE_MERGED},
        {kGetMediaCheck, Verb::None, "", VerbBit(Verb::GetMedia), MSG_CMD_USAGE_GETMEDIA_CHECK},
        {"ready", Verb::None, "", VerbBit(Verb::GetMedia), MSG_CMD_USAGE_READY},
        {"timeout", Verb::None, "<seconds>", VerbBit(Verb::GetMedia), MSG_CMD_USAGE_TIMEOUT},
        {"config", Verb::None, "<path>", 0, MSG_CMD_USAGE_CONFIG},
        {"report", Verb::None, "<file>", 0, MSG_CMD_USAGE_REPORT},
    };
    return table;
}

const std::vector<ExitCodeRule>& ExitCodeRules() {
    static const std::vector<ExitCodeRule> table = {
        {kExitDone, MSG_CMD_EXIT_DONE},
        {kExitUsage, MSG_CMD_EXIT_USAGE},
        {kExitConfiguration, MSG_CMD_EXIT_CONFIGURATION},
        {kExitCatalog, MSG_CMD_EXIT_CATALOG},
        {kExitCatalogFile, MSG_CMD_EXIT_FILE},
        {kExitRegistry, MSG_CMD_EXIT_REGISTRY},
        {kExitRules, MSG_CMD_EXIT_RULES},
        {kExitBackup, MSG_CMD_EXIT_BACKUP},
        {kExitReport, MSG_CMD_EXIT_REPORT},
        {kExitPrinter, MSG_CMD_EXIT_PRINTER},
        {kExitDifferent, MSG_CMD_EXIT_DIFFERENT},
        {kExitRecovered, MSG_CMD_EXIT_RECOVERED},
    };
    return table;
}

size_t OperandCount(const CommandSwitch& command) {
    size_t count = 0;
    bool inWord = false;
    for (const char* c = command.operands; *c; ++c) {
        if (*c != ' ' && !inWord) ++count;
        inWord = *c != ' ';
    }
    return count;
}

namespace {

// /getmedia's list form: the catalog optional, /check required, no save's options.
bool InCheckForm(const CommandSwitch& option) {
    return std::string_view(option.name) != "nobackup" && std::string_view(option.name) != kGetMediaCheck;
}

std::string OptionsText(const CommandSwitch& command, bool checkForm) {
    std::string text;
    for (const CommandSwitch& option : CommandSwitches()) {
        if (option.verb != Verb::None || !(option.verbs & VerbBit(command.verb))) continue;
        if (command.verb == Verb::GetMedia && (checkForm ? !InCheckForm(option) : std::string_view(option.name) == kGetMediaCheck)) {
            continue;
        }
        text += std::string(" [/") + option.name + (*option.operands ? std::string(" ") + option.operands : "") + "]";
    }
    return text;
}

}  // namespace

std::string SyntaxLine(const CommandSwitch& command) {
    std::string line = std::string("VellicorCmd /") + command.name;
    if (*command.operands) line += std::string(" ") + command.operands;
    return line + OptionsText(command, false);
}

std::string CheckFormSyntaxLine(const CommandSwitch& command) {
    return std::string("VellicorCmd /") + command.name + " <printer-uri> [\"<catalog>\"] /" + kGetMediaCheck +
           OptionsText(command, true);
}

std::vector<std::string> UsageLines(int16_t language) {
    std::vector<std::string> lines = {Text(MSG_CMD_USAGE_INTRODUCTION, language), Text(MSG_CMD_USAGE_HEADING, language)};
    for (const std::string& line : SyntaxLines()) lines.push_back("  " + line);
    for (const CommandSwitch& entry : CommandSwitches()) {
        if (entry.verb != Verb::None && entry.verb != Verb::Help) lines.push_back(Text(entry.meaning, language));
    }
    lines.push_back(Text(MSG_CMD_USAGE_CSV_FILES, language));
    for (const CommandSwitch& entry : CommandSwitches()) {
        if (entry.verb == Verb::None) lines.push_back(Text(entry.meaning, language));
    }
    lines.push_back(Text(MSG_CMD_USAGE_END_OF_SWITCHES, language));
    lines.push_back(Text(MSG_CMD_USAGE_EXIT_HEADING, language));
    for (const ExitCodeRule& rule : ExitCodeRules()) {
        lines.push_back((rule.code < 10 ? "   " : "  ") + std::to_string(rule.code) + "  " + Text(rule.meaning, language));
    }
    return lines;
}

std::vector<std::string> DocumentationBlock(const std::string& part, bool html, int16_t language) {
    std::vector<std::string> lines;
    if (part == "syntax") {
        if (html) {
            const std::vector<std::string> syntax = SyntaxLines();
            for (size_t i = 0; i < syntax.size(); ++i) {
                lines.push_back((i == 0 ? "<pre>" : "") + Html(syntax[i]) + (i + 1 == syntax.size() ? "</pre>" : ""));
            }
            return lines;
        }
        lines.push_back("```");
        for (const std::string& line : SyntaxLines()) lines.push_back(line);
        lines.push_back("```");
        lines.push_back("");
        for (const CommandSwitch& entry : CommandSwitches()) {
            if (entry.verb != Verb::Help) lines.push_back("- " + Markdown(Text(entry.meaning, language)));
        }
        lines.push_back("- " + Markdown(Text(MSG_CMD_USAGE_END_OF_SWITCHES, language)));
        return lines;
    }
    if (part == "exit-codes") {
        const std::string code = Text(MSG_CMD_DOC_CODE, language);
        const std::string meaning = Text(MSG_CMD_DOC_MEANING, language);
        if (html) {
            lines.push_back("<table>");
            lines.push_back("  <tr><th>" + Html(code) + "</th><th>" + Html(meaning) + "</th></tr>");
        } else {
            lines.push_back("| " + Markdown(code) + " | " + Markdown(meaning) + " |");
            lines.push_back("|---|---|");
        }
        for (const ExitCodeRule& rule : ExitCodeRules()) {
            const std::string number = std::to_string(rule.code);
            if (html) {
                lines.push_back("  <tr><td>" + number + "</td><td>" + Html(Text(rule.meaning, language)) + "</td></tr>");
            } else {
                lines.push_back("| " + number + " | " + Markdown(Text(rule.meaning, language)) + " |");
            }
        }
        if (html) lines.push_back("</table>");
    }
    return lines;
}
