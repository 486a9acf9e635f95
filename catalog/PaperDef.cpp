#include "catalog/PaperDef.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

constexpr const char* kDescriptivePrefix = "PaperDef";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Fields the way the C library's token splitter finds them: runs of commas
// are one separator and commas at either end are ignored, so no field is
// empty. Fields past `maxFields` are not looked at.
std::vector<std::string> SplitFields(const std::string& data, size_t maxFields) {
    std::vector<std::string> fields;
    size_t pos = 0;
    while (fields.size() < maxFields) {
        pos = data.find_first_not_of(',', pos);
        if (pos == std::string::npos) break;
        size_t end = data.find(',', pos);
        if (end == std::string::npos) end = data.size();
        fields.push_back(data.substr(pos, end - pos));
        pos = end;
    }
    return fields;
}

// A missing field reads as an empty text.
const std::string& FieldOrEmpty(const std::vector<std::string>& fields, size_t index) {
    static const std::string empty;
    return index < fields.size() ? fields[index] : empty;
}

}  // namespace

int32_t LeadingNumber(const std::string& text) {
    size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int64_t value = 0;
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        value = std::min(value * 10 + (text[pos] - '0'), limit);
    }
    if (negative) return static_cast<int32_t>(-value);
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

namespace {

size_t SizeRowCount() {
    return static_cast<size_t>(std::clamp<int>(AppState.SizeChoiceCount, 0, static_cast<int>(PageSizeTable.size())));
}

const PageSizeRow* FindRowByKeyword(const std::string& keyword) {
    const size_t count = SizeRowCount();
    for (size_t row = 0; row < count; ++row) {
        if (keyword == PageSizeTable[row].Keyword) return &PageSizeTable[row];
    }
    return nullptr;
}

std::string Vocabulary(int16_t id, int16_t language) {
    return GetLocalizedString(kVocabularyList, id, language);
}

}  // namespace

CPaperDef::CPaperDef(std::string name, std::string size, std::string weight, std::string color, std::string type,
                     bool forceOneSided, int32_t position)
    : Name(std::move(name)),
      Size(std::move(size)),
      Color(std::move(color)),
      Weight(std::move(weight)),
      Type(std::move(type)),
      ForceOneSided(forceOneSided),
      Position(position) {}

CPaperDef CPaperDef::FromStoredValue(const std::string& valueName, const std::string& data,
                                     const std::string& pdlName) {
    CPaperDef paper;
    if (IsKeywordForm(pdlName)) {
        paper.ParseKeywordValue(valueName, data);
    } else {
        paper.ParseDescriptiveValue(valueName, data);
    }
    return paper;
}

std::string CPaperDef::GetText(int attribute) const {
    switch (attribute) {
    case PA_NAME: return Name;
    case PA_SIZE: return Size;
    case PA_COLOR: return Color;
    case PA_WEIGHT: return Weight;
    case PA_TYPE: return Type;
    default: return kUnknownText;
    }
}

void CPaperDef::SetText(int attribute, const std::string& text) {
    switch (attribute) {
    case PA_NAME: Name = text; break;
    case PA_SIZE: Size = text; break;
    case PA_COLOR: Color = text; break;
    case PA_WEIGHT: Weight = text; break;
    case PA_TYPE: Type = text; break;
    default: break;
    }
}

bool CPaperDef::GetFlag(int attribute) const { return attribute == PA_FORCE_ONE_SIDED && ForceOneSided; }

void CPaperDef::SetFlag(int attribute, bool value) {
    if (attribute == PA_FORCE_ONE_SIDED) ForceOneSided = value;
}

int32_t CPaperDef::GetNumber(int attribute) const { return attribute == PA_POSITION ? Position : -1; }

void CPaperDef::SetNumber(int attribute, int32_t value) {
    if (attribute == PA_POSITION) Position = value;
}

void CPaperDef::CopyFrom(const CPaperDef& other) { *this = other; }

void CPaperDef::FormatKeywordValue(std::string& valueName, std::string& data) const {
    valueName = Name;
    data.clear();
    data.reserve(Size.size() + Weight.size() + Color.size() + Type.size() + 20);
    data += Size;
    data += ',';
    data += Weight;
    data += ',';
    data += Color;
    data += ',';
    data += Type;
    data += ',';
    data += ForceOneSided ? 'T' : 'F';
    data += ',';
    data += std::to_string(Position);
}

void CPaperDef::FormatDescriptiveValue(int index, std::string& valueName, std::string& data) const {
    // The index is written in full: a 16-bit number would turn negative past 32,767.
    valueName = kDescriptivePrefix + std::to_string(index);
    data.clear();
    data += Name;
    data += ',';
    data += SizeLabelFromKeyword(Size);
    data += ',';
    data += PointsFromKeyword(Size);
    data += " ,";
    data += Weight;
    data += " gsm,";
    data += Color;
    data += ',';
    data += Type;
    data += ',';
    data += ForceOneSided ? 't' : 'f';
}

void CPaperDef::ParseKeywordValue(const std::string& valueName, const std::string& data) {
    const std::vector<std::string> fields = SplitFields(data, 6);
    Name = valueName;
    Size = FieldOrEmpty(fields, 0);
    Weight = FieldOrEmpty(fields, 1);
    Color = FieldOrEmpty(fields, 2);
    Type = FieldOrEmpty(fields, 3);
    ForceOneSided = FieldOrEmpty(fields, 4) == "T";
    Position = LeadingNumber(FieldOrEmpty(fields, 5));
}

void CPaperDef::ParseDescriptiveValue(const std::string& valueName, const std::string& data) {
    const std::vector<std::string> fields = SplitFields(data, 7);
    Name = FieldOrEmpty(fields, 0);
    // Field 1, the size label, is language-dependent; the points identify the size.
    Size = SizeKeywordFromPoints(FieldOrEmpty(fields, 2));
    Weight = LeadingDigits(FieldOrEmpty(fields, 3));
    Color = FieldOrEmpty(fields, 4);
    Type = FieldOrEmpty(fields, 5);
    ForceOneSided = FieldOrEmpty(fields, 6) == "t";
    Position = PositionFromValueName(valueName);
}

std::string SizeKeywordFromPoints(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    const std::string trimmed = text.substr(first, last - first);
    const size_t count = SizeRowCount();
    for (size_t row = 0; row < count; ++row) {
        if (trimmed == PageSizeTable[row].Points) return PageSizeTable[row].Keyword;
    }
    return kUnknownText;
}

std::string SizeLabelFromKeyword(const std::string& keyword) {
    const PageSizeRow* row = FindRowByKeyword(keyword);
    if (row == nullptr) return {};
    // A decimal comma would split the label into two fields of the descriptive form.
    std::string label = Vocabulary(row->LabelId, AppState.CurrentLanguage);
    std::replace(label.begin(), label.end(), ',', '.');
    return label;
}

std::string PointsFromKeyword(const std::string& keyword) {
    const PageSizeRow* row = FindRowByKeyword(keyword);
    return row == nullptr ? std::string() : std::string(row->Points);
}

std::string LeadingDigits(const std::string& text) {
    size_t end = 0;
    while (end < text.size() && IsDigit(text[end])) ++end;
    return text.substr(0, end);
}

int32_t PositionFromValueName(const std::string& valueName) {
    const std::string prefix = kDescriptivePrefix;
    std::string rest;
    rest.reserve(valueName.size());
    size_t pos = 0;
    for (size_t found; (found = valueName.find(prefix, pos)) != std::string::npos; pos = found + prefix.size()) {
        rest.append(valueName, pos, found - pos);
    }
    rest.append(valueName, pos, std::string::npos);
    return LeadingNumber(rest);
}

std::string DefaultPaperNameFor(int16_t language) {
    return Vocabulary(language == kEnglish ? CAT_DEFAULT_PAPER_ENGLISH : CAT_DEFAULT_PAPER, language);
}

CPaperDef DefaultPaperFor(int16_t language) {
    const bool english = language == kEnglish;
    return CPaperDef(DefaultPaperNameFor(language), english ? "LETTER" : "A4",
                     Vocabulary(english ? CAT_WEIGHT_75 : CAT_WEIGHT_80, language), Vocabulary(CAT_COLOR_WHITE, language),
                     Vocabulary(CAT_TYPE_PLAIN, language), false, 0);
}
