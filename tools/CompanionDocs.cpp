// Prints one of the companion's lists the documents carry, made from the
// program's own table: scripts/companion-docs.sh puts them into the README
// and the help pages, and checks in `make test` that they are still there.
// Usage: companion_docs markdown|html <part> [language]   (part: syntax, exit-codes)
//        companion_docs switches                           (every switch, one a line)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cmd/CommandTable.h"
#include "text/StringLists.h"

int main(int argc, char** argv) {
    const std::string form = argc > 1 ? argv[1] : "";
    if (form == "switches") {
        for (const CommandSwitch& entry : CommandSwitches()) std::printf("/%s\n", entry.name);
        return 0;
    }
    if ((form != "markdown" && form != "html") || argc < 3) {
        std::fprintf(stderr, "usage: companion_docs markdown|html syntax|exit-codes [language] | switches\n");
        return 2;
    }
    const int16_t language = argc > 3 ? FindLanguageIndex(argv[3]) : kEnglish;
    if (language < 1) {
        std::fprintf(stderr, "companion_docs: no language %s\n", argv[3]);
        return 2;
    }
    const std::vector<std::string> lines = DocumentationBlock(argv[2], form == "html", language);
    if (lines.empty()) {
        std::fprintf(stderr, "companion_docs: no part %s\n", argv[2]);
        return 2;
    }
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    return 0;
}
