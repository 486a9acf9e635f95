// The string-list compiler: turns the UTF-8 text tables of resources/strings/
// into the binary lists the program reads (length word, translation type,
// 32-bit count, NUL-terminated code page 1252 strings), written
//   --res FILE   as a Win32 .res file (types "LAB#" etc., names "+id"), after
//                the resources of --merge FILE when given;
//   --cpp FILE   as a C++ table for the portable build;
//   --header FILE  as a C++ header naming every identifier (LAB_..., MSG_...),
//                rewritten only when its text changes, so that a new text
//                rebuilds only what uses it.
// It fails on a malformed row, a missing translation, a duplicate identifier or
// a character outside code page 1252, naming the file and line; and, given
//   --mnemonics FILE   the groups of labels shown together,
// on two labels of one group that share a mnemonic letter in some language, or
// a label that lacks the mnemonic its English text has.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const kLanguages[] = {"English", "Danish",    "Dutch",   "Finnish", "French",
                                  "German",  "Italian",   "Norwegian", "Spanish", "Swedish"};
constexpr int kLanguageCount = 10;

struct List {
    std::string type;  // "LAB#"
    int16_t id = 0;
    std::string name;     // "LAB_PRODUCT": the identifier's name in program code
    std::string comment;  // the comment line above it, if any
    std::vector<std::string> texts;  // code page 1252
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
    throw std::runtime_error(where + ": " + what);
}

// Code page 1252 bytes 0x80-0x9F; 0 marks the five undefined positions.
const char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char EncodeCp1252(char32_t c, const std::string& where) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c && c != 0) return static_cast<char>(0x80 + i);
    char buf[32];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    Fail(where, std::string("character ") + buf + " is not in code page 1252");
}

// UTF-8 with the escapes \r \t \n \\ to code page 1252.
std::string ToCp1252(const std::string& utf8, const std::string& where) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b == '\\') {
            if (i + 1 >= utf8.size()) Fail(where, "a backslash ends the text");
            char e = utf8[i + 1];
            if (e == 'r') out += '\r';
            else if (e == 't') out += '\t';
            else if (e == 'n') out += '\n';
            else if (e == '\\') out += '\\';
            else Fail(where, std::string("unknown escape \\") + e);
            i += 2;
            continue;
        }
        char32_t c;
        int extra;
        if (b < 0x80) { c = b; extra = 0; }
        else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
        else if ((b & 0xF8) == 0xF0) { c = b & 0x07; extra = 3; }
        else Fail(where, "invalid UTF-8");
        if (i + extra >= utf8.size() && extra > 0) Fail(where, "truncated UTF-8");
        for (int k = 1; k <= extra; ++k) {
            unsigned char cb = static_cast<unsigned char>(utf8[i + k]);
            if ((cb & 0xC0) != 0x80) Fail(where, "invalid UTF-8");
            c = (c << 6) | (cb & 0x3F);
        }
        if (c < 0x20 && c != '\t') Fail(where, "control character in the text (use \\r, \\t, \\n)");
        out += EncodeCp1252(c, where);
        i += 1 + extra;
    }
    return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return fields;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::vector<List> ReadTable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail(path, "cannot be read");
    const std::string type = BaseName(path) + "#";
    if (type.size() != 4) Fail(path, "the file name must be the three-letter list type, e.g. LAB.tsv");

    // Every name begins with the list's type: LAB_, MSG_, CAT_, LNG_.
    const std::string prefix = type.substr(0, 3) + "_";
    constexpr int kFields = kLanguageCount + 2;

    std::vector<List> lists;
    std::string line;
    std::string comment;
    int lineNo = 0;
    bool headerSeen = false;
    while (std::getline(in, line)) {
        ++lineNo;
        const std::string where = path + ":" + std::to_string(lineNo);
        if (!line.empty() && line.back() == '\r') Fail(where, "CR LF line end (use LF)");
        if (line.empty()) continue;
        if (line[0] == '#') {
            comment = line.substr(line.find_first_not_of("# ") == std::string::npos ? line.size()
                                                                                     : line.find_first_not_of("# "));
            continue;
        }
        std::vector<std::string> fields = SplitTabs(line);
        if (!headerSeen) {
            if (fields.size() != kFields || fields[0] != "id" || fields[1] != "name")
                Fail(where, "the header must be: id, name, then the ten languages");
            for (int l = 0; l < kLanguageCount; ++l)
                if (fields[l + 2] != kLanguages[l])
                    Fail(where, "language " + std::to_string(l + 1) + " must be " + kLanguages[l]);
            headerSeen = true;
            comment.clear();
            continue;
        }
        if (fields.size() != kFields)
            Fail(where, "expected 12 fields separated by TABs, found " + std::to_string(fields.size()));
        char* end = nullptr;
        long id = std::strtol(fields[0].c_str(), &end, 10);
        if (fields[0].empty() || *end != '\0' || id < INT16_MIN || id > INT16_MAX)
            Fail(where, "the identifier must be a signed 16-bit decimal number");
        const std::string& name = fields[1];
        if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size() ||
            name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") != std::string::npos)
            Fail(where, "the name must be " + prefix + " followed by capital letters, digits and _");
        List list;
        list.type = type;
        list.id = static_cast<int16_t>(id);
        list.name = name;
        list.comment = comment;
        for (int l = 0; l < kLanguageCount; ++l) {
            const std::string cellWhere = where + " (" + kLanguages[l] + ")";
            if (fields[l + 2].empty()) Fail(cellWhere, "missing translation");
            list.texts.push_back(ToCp1252(fields[l + 2], cellWhere));
        }
        lists.push_back(std::move(list));
    }
    if (!headerSeen) Fail(path, "no header line");
    return lists;
}

void PutU16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string ListBytes(const List& list) {
    std::string body = list.type == "LNG#" ? "NONE" : "LNG#";
    PutU32(body, static_cast<uint32_t>(list.texts.size()));
    for (const std::string& t : list.texts) {
        body += t;
        body += '\0';
    }
    if (body.size() > 0xFFFF) throw std::runtime_error(list.type + " " + std::to_string(list.id) + " is too long");
    std::string bytes;
    PutU16(bytes, static_cast<uint16_t>(body.size()));
    return bytes + body;
}

std::string ResourceName(int16_t id) {
    char name[8];
    std::snprintf(name, sizeof name, "+%hd", id);
    return name;
}

// A name or type in a .res header: a UTF-16 string (ASCII here), NUL-terminated.
void PutResString(std::string& out, const std::string& s) {
    for (char c : s) PutU16(out, static_cast<unsigned char>(c));
    PutU16(out, 0);
}

void Align4(std::string& out) {
    while (out.size() % 4) out += '\0';
}

// One .res entry: DataSize, HeaderSize, TYPE, NAME, DataVersion, MemoryFlags,
// LanguageId, Version, Characteristics, then the data padded to 4 bytes.
std::string ResEntry(const std::string& type, const std::string& name, const std::string& data) {
    std::string header;
    PutResString(header, type);
    PutResString(header, name);
    Align4(header);
    PutU32(header, 0);       // DataVersion
    PutU16(header, 0x0030);  // MemoryFlags: pure, preload-free, discardable-free defaults
    PutU16(header, 0x0409);  // English (United States)
    PutU32(header, 0);       // Version
    PutU32(header, 0);       // Characteristics
    std::string entry;
    PutU32(entry, static_cast<uint32_t>(data.size()));
    PutU32(entry, static_cast<uint32_t>(header.size() + 8));
    entry += header;
    entry += data;
    Align4(entry);
    return entry;
}

// The empty entry every .res file begins with.
std::string ResFileStart() {
    std::string s;
    PutU32(s, 0);
    PutU32(s, 32);
    PutU16(s, 0xFFFF);
    PutU16(s, 0);
    PutU16(s, 0xFFFF);
    PutU16(s, 0);
    PutU32(s, 0);
    PutU16(s, 0);
    PutU16(s, 0);
    PutU32(s, 0);
    PutU32(s, 0);
    return s;
}

// A "LAB#" identifier as the groups file names it: by its name (LAB_FILE_NEW)
// or its number.
int16_t ParseId(const std::string& word, const std::map<std::string, int16_t>& labelIds, const std::string& where) {
    if (const auto named = labelIds.find(word); named != labelIds.end()) return named->second;
    char* end = nullptr;
    long id = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || id < INT16_MIN || id > INT16_MAX)
        Fail(where, "\"" + word + "\" is not a label's name or identifier");
    return static_cast<int16_t>(id);
}

struct MnemonicGroup {
    std::string where;  // file:line
    std::string name;
    std::vector<int16_t> ids;
};

// One group a line: its name, then the "LAB#" identifiers of its items.
std::vector<MnemonicGroup> ReadMnemonicGroups(const std::string& path, const std::vector<List>& lists) {
    std::map<std::string, int16_t> labelIds;
    for (const List& l : lists)
        if (l.type == "LAB#") labelIds.emplace(l.name, l.id);
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail(path, "cannot be read");
    std::vector<MnemonicGroup> groups;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        const std::string where = path + ":" + std::to_string(lineNo);
        std::istringstream words(line);
        MnemonicGroup group;
        if (!(words >> group.name) || group.name[0] == '#') continue;
        group.where = where;
        for (std::string word; words >> word;) group.ids.push_back(ParseId(word, labelIds, where));
        if (group.ids.size() < 2) Fail(where, "a group needs at least two labels");
        groups.push_back(std::move(group));
    }
    return groups;
}

// The letters after each single "&" ("&&" shows an ampersand); a trailing "&" marks nothing.
std::vector<unsigned char> MnemonicsOf(const std::string& text) {
    std::vector<unsigned char> letters;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] != '&') letters.push_back(static_cast<unsigned char>(text[i + 1]));
        ++i;
    }
    return letters;
}

// Windows matches mnemonics without regard to case; an accented letter is a
// letter of its own ("ö" is not "o"). Code page 1252 pairs.
unsigned char FoldCase(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<unsigned char>(c + 0x20);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 0x10);  // Š Œ Ž
    if (c == 0x9F) return 0xFF;                                                             // Ÿ
    return c;
}

std::string Utf8Of(const std::string& cp1252) {
    std::string out;
    for (unsigned char b : cp1252) {
        char32_t c = b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Every problem of every group and language, one line each; empty when none.
std::vector<std::string> CheckMnemonics(const std::vector<MnemonicGroup>& groups, const std::vector<List>& lists) {
    std::map<int16_t, const List*> labels;
    for (const List& l : lists)
        if (l.type == "LAB#") labels[l.id] = &l;
    std::vector<std::string> problems;
    for (const MnemonicGroup& group : groups) {
        const std::string where = group.where + " (" + group.name + ")";
        bool known = true;
        for (int16_t id : group.ids) {
            if (!labels.count(id)) {
                problems.push_back(where + ": LAB# " + std::to_string(id) + " does not exist");
                known = false;
            }
        }
        if (!known) continue;
        for (int l = 0; l < kLanguageCount; ++l) {
            std::map<unsigned char, int16_t> owner;  // folded letter -> first label using it
            for (int16_t id : group.ids) {
                const std::string& text = labels[id]->texts[l];
                const std::string label = "LAB# " + std::to_string(id) + " \"" + Utf8Of(text) + "\"";
                const std::vector<unsigned char> letters = MnemonicsOf(text);
                const bool englishHasOne = !MnemonicsOf(labels[id]->texts[0]).empty();
                if (letters.size() > 1) {
                    problems.push_back(where + ": " + kLanguages[l] + ": " + label + " has more than one mnemonic");
                } else if (letters.empty() && englishHasOne) {
                    problems.push_back(where + ": " + kLanguages[l] + ": " + label +
                                       " has no mnemonic, but the English text has one");
                }
                if (letters.empty()) continue;
                const unsigned char letter = FoldCase(letters[0]);
                auto [first, inserted] = owner.emplace(letter, id);
                if (inserted) continue;
                const std::string& other = labels[first->second]->texts[l];
                problems.push_back(where + ": " + kLanguages[l] + ": LAB# " + std::to_string(first->second) + " \"" +
                                   Utf8Of(other) + "\" and " + label + " share the mnemonic letter " +
                                   Utf8Of(std::string(1, static_cast<char>(letters[0]))));
            }
        }
    }
    return problems;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": cannot be read");
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error(path + ": cannot be written");
}

std::string CppTable(const std::vector<List>& lists) {
    std::ostringstream cpp;
    cpp << "// Generated by tools/stringlistc from resources/strings/. Do not edit.\n"
           "#include \"platform/StringListTable.h\"\n\nnamespace {\n";
    for (size_t i = 0; i < lists.size(); ++i) {
        std::string bytes = ListBytes(lists[i]);
        cpp << "const unsigned char kList" << i << "[] = {";
        for (size_t b = 0; b < bytes.size(); ++b) {
            if (b % 24 == 0) cpp << "\n    ";
            cpp << static_cast<unsigned>(static_cast<unsigned char>(bytes[b])) << ",";
        }
        cpp << "\n};\n";
    }
    cpp << "}  // namespace\n\nnamespace platform {\nconst EmbeddedStringList kEmbeddedStringLists[] = {\n";
    for (size_t i = 0; i < lists.size(); ++i)
        cpp << "    {\"" << lists[i].type << "\", \"" << ResourceName(lists[i].id) << "\", kList" << i
            << ", sizeof kList" << i << "},\n";
    if (lists.empty()) cpp << "    {nullptr, nullptr, nullptr, 0},\n";
    cpp << "};\nconst unsigned kEmbeddedStringListCount = " << lists.size() << ";\n}  // namespace platform\n";
    return cpp.str();
}

// One enumeration per list type, so that a label's name cannot be passed
// where a message is looked up. The comment above a row says where it is used.
std::string IdHeader(const std::vector<List>& lists) {
    static const struct {
        const char* type;
        const char* enumName;
        const char* what;
    } kKinds[] = {{"LAB#", "LabelId", "Labels: menu items, control captions, window titles"},
                  {"MSG#", "MessageId", "Messages"},
                  {"CAT#", "VocabularyId", "Vocabulary of the catalog's fields"},
                  {"LNG#", "LanguageListId", "The language list"}};
    std::ostringstream h;
    h << "// Generated by tools/stringlistc from resources/strings/. Do not edit: add a row\n"
         "// with its name to the table of its type instead.\n"
         "#pragma once\n\n#include <cstdint>\n";
    for (const auto& kind : kKinds) {
        h << "\n// " << kind.what << " (\"" << kind.type << "\").\nenum " << kind.enumName << " : int16_t {\n";
        std::string lastComment;
        for (const List& l : lists) {
            if (l.type != kind.type) continue;
            if (!l.comment.empty() && l.comment != lastComment) h << "    // " << l.comment << "\n";
            lastComment = l.comment;
            h << "    " << l.name << " = " << l.id << ",\n";
        }
        h << "};\n";
    }
    return h.str();
}

bool SameAsFile(const std::string& path, const std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str() == bytes;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::string resPath, cppPath, mergePath, mnemonicsPath, headerPath;
        std::vector<std::string> inputs;
        for (int i = 1; i < argc; ++i) {
            std::string a = argv[i];
            if ((a == "--res" || a == "--cpp" || a == "--merge" || a == "--mnemonics" || a == "--header") && i + 1 < argc) {
                (a == "--res"      ? resPath
                 : a == "--cpp"    ? cppPath
                 : a == "--merge"  ? mergePath
                 : a == "--header" ? headerPath
                                   : mnemonicsPath) = argv[++i];
            } else if (a.rfind("--", 0) == 0) {
                throw std::runtime_error("unknown option " + a);
            } else {
                inputs.push_back(a);
            }
        }
        if (inputs.empty()) throw std::runtime_error("usage: stringlistc [--merge in.res] [--res out.res] [--cpp out.cpp] [--header out.h] [--mnemonics groups.txt] TABLE.tsv...");

        std::vector<List> lists;
        std::map<std::pair<std::string, int16_t>, std::string> seen;
        std::map<std::string, std::string> names;
        for (const std::string& path : inputs) {
            for (List& l : ReadTable(path)) {
                auto key = std::make_pair(l.type, l.id);
                if (seen.count(key)) throw std::runtime_error(path + ": " + l.type + " " + std::to_string(l.id) + " is defined twice");
                if (!names.emplace(l.name, path).second) throw std::runtime_error(path + ": the name " + l.name + " is used twice");
                seen[key] = path;
                lists.push_back(std::move(l));
            }
        }
        if (!mnemonicsPath.empty()) {
            const std::vector<std::string> problems = CheckMnemonics(ReadMnemonicGroups(mnemonicsPath, lists), lists);
            for (const std::string& p : problems) std::fprintf(stderr, "stringlistc: %s\n", p.c_str());
            if (!problems.empty())
                throw std::runtime_error(std::to_string(problems.size()) + " mnemonic problem(s); nothing written");
        }

        if (!resPath.empty()) {
            std::string res = ResFileStart();
            if (!mergePath.empty()) {
                std::string merged = ReadFile(mergePath);
                if (merged.size() < 32 || merged.compare(0, 32, ResFileStart()) != 0)
                    throw std::runtime_error(mergePath + ": not a .res file");
                res += merged.substr(32);
                Align4(res);
            }
            for (const List& l : lists) res += ResEntry(l.type, ResourceName(l.id), ListBytes(l));
            WriteFile(resPath, res);
        }
        if (!cppPath.empty()) WriteFile(cppPath, CppTable(lists));
        if (!headerPath.empty()) {
            const std::string header = IdHeader(lists);
            if (!SameAsFile(headerPath, header)) WriteFile(headerPath, header);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "stringlistc: %s\n", e.what());
        return 1;
    }
}
