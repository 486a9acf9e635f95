#include "catalog/PaperCopies.h"

#include <set>

#include "catalog/PaperCatalog.h"
#include "catalog/PaperRules.h"
#include "platform/Registry.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

// The copy's name among names `taken` answers for; `count` names at most are taken.
template <class Taken>
std::string CopyName(Taken taken, size_t count, const std::string& name, int16_t language) {
    if (!taken(name)) return name;
    const std::string single = GetLocalizedString(kLabelList, LAB_COPY_NAME, language);
    const std::string numbered = GetLocalizedString(kLabelList, LAB_COPY_NAME_NUMBERED, language);
    // At most `count` names are taken: one number past them is free.
    for (size_t number = 1; number <= count + 1; ++number) {
        const std::string digits = std::to_string(number);
        // The suffix alone, to know how much of the name it leaves room for.
        const std::string suffix =
            number == 1 ? FormatText(single, {""}) : FormatText(numbered, {"", digits});
        const size_t room = suffix.size() < kMaxNameLength ? kMaxNameLength - suffix.size() : 0;
        const std::string base = name.substr(0, room);
        const std::string candidate = number == 1 ? FormatText(single, {base}) : FormatText(numbered, {base, digits});
        if (!taken(candidate)) return candidate;
    }
    return name;
}

}  // namespace

std::string NameForCopy(const CPaperCatalog& catalog, const std::string& name, int16_t language) {
    return CopyName([&](const std::string& candidate) { return catalog.ContainsName(candidate); },
                    static_cast<size_t>(catalog.GetCount()), name, language);
}

void NameCopies(const CPaperCatalog& catalog, std::vector<CPaperDef>& papers, int16_t language) {
    std::set<std::string> chosen;  // folded as the registry folds them
    for (CPaperDef& paper : papers) {
        paper.Name = CopyName(
            [&](const std::string& candidate) {
                return catalog.ContainsName(candidate) || chosen.count(platform::FoldRegistryName(candidate)) != 0;
            },
            static_cast<size_t>(catalog.GetCount()) + chosen.size(), paper.Name, language);
        chosen.insert(platform::FoldRegistryName(paper.Name));
    }
}

namespace {

constexpr std::string_view kPackedHeader = "Quandrel papers 1\n";

// Each field as its length in decimal, a colon, then its bytes.
void PackField(std::string& out, const std::string& field) {
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

bool UnpackField(std::string_view& bytes, std::string& field) {
    size_t length = 0;
    size_t digits = 0;
    while (digits < bytes.size() && bytes[digits] >= '0' && bytes[digits] <= '9' && digits < 9) {
        length = length * 10 + static_cast<size_t>(bytes[digits] - '0');
        ++digits;
    }
    if (digits == 0 || digits >= bytes.size() || bytes[digits] != ':') return false;
    bytes.remove_prefix(digits + 1);
    if (length > bytes.size()) return false;
    field.assign(bytes.substr(0, length));
    bytes.remove_prefix(length);
    return true;
}

}  // namespace

std::string PackPapers(const std::vector<CPaperDef>& papers) {
    std::string out(kPackedHeader);
    for (const CPaperDef& paper : papers) {
        for (const std::string* field : {&paper.Name, &paper.Size, &paper.Weight, &paper.Color, &paper.Type}) {
            PackField(out, *field);
        }
        out += paper.ForceOneSided ? 'T' : 'F';
        out += '\n';
    }
    return out;
}

bool UnpackPapers(std::string_view bytes, std::vector<CPaperDef>& papers) {
    if (bytes.substr(0, kPackedHeader.size()) != kPackedHeader) return false;
    bytes.remove_prefix(kPackedHeader.size());
    std::vector<CPaperDef> read;
    while (!bytes.empty()) {
        CPaperDef paper;
        for (std::string* field : {&paper.Name, &paper.Size, &paper.Weight, &paper.Color, &paper.Type}) {
            if (!UnpackField(bytes, *field)) return false;
        }
        if (bytes.size() < 2 || (bytes[0] != 'T' && bytes[0] != 'F') || bytes[1] != '\n') return false;
        paper.ForceOneSided = bytes[0] == 'T';
        bytes.remove_prefix(2);
        // A paper without a name is no paper of a catalog.
        if (paper.Name.empty()) return false;
        read.push_back(std::move(paper));
    }
    if (read.empty()) return false;
    papers = std::move(read);
    return true;
}
