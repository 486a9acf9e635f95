// The two stored forms of a paper: any value is read without harm, and a
// definition written in either form reads back the same whenever its texts are
// non-empty and comma-free, its size a table keyword and its weight digits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/PaperDef.h"
#include "state/AppState.h"

namespace {

// The input's pieces, separated by NUL bytes.
std::vector<std::string> Pieces(const uint8_t* data, size_t size) {
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) pieces.emplace_back();
        else pieces.back() += static_cast<char>(data[i]);
    }
    return pieces;
}

bool Plain(const std::string& text) { return !text.empty() && text.find(',') == std::string::npos; }

bool Digits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

void Same(const CPaperDef& a, const CPaperDef& b) {
    if (a.Name != b.Name || a.Size != b.Size || a.Color != b.Color || a.Weight != b.Weight || a.Type != b.Type ||
        a.ForceOneSided != b.ForceOneSided || a.Position != b.Position)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AppState.SizeChoiceCount = 9;
    AppState.CurrentLanguage = static_cast<int16_t>(size % 10 + 1);
    const std::vector<std::string> p = Pieces(data, size);

    // Any value name and data, in both forms.
    const std::string name = p.size() > 0 ? p[0] : "";
    const std::string value = p.size() > 1 ? p[1] : "";
    for (const char* pdl : {"PS", "PCL"}) {
        CPaperDef read = CPaperDef::FromStoredValue(name, value, pdl);
        std::string n, d;
        read.FormatKeywordValue(n, d);
        read.FormatDescriptiveValue(read.Position < 0 ? 0 : read.Position, n, d);
    }

    // A definition built from the pieces, round trip through both forms.
    if (p.size() < 6) return 0;
    const unsigned row = p[1].empty() ? 0u : static_cast<unsigned char>(p[1][0]) % PageSizeTable.size();
    CPaperDef def(p[0], PageSizeTable[row].Keyword, p[2], p[3], p[4], !p[5].empty() && (p[5][0] & 1),
                  p[5].size() > 1 ? static_cast<int32_t>(std::strtol(p[5].c_str() + 1, nullptr, 10)) : 0);
    if (!Plain(def.Name) || !Plain(def.Color) || !Plain(def.Type) || !Digits(def.Weight)) return 0;

    std::string valueName, text;
    def.FormatKeywordValue(valueName, text);
    CPaperDef keyword;
    keyword.ParseKeywordValue(valueName, text);
    Same(def, keyword);

    if (def.Position >= 0) {
        def.FormatDescriptiveValue(def.Position, valueName, text);
        CPaperDef descriptive;
        descriptive.ParseDescriptiveValue(valueName, text);
        Same(def, descriptive);
    }
    return 0;
}
