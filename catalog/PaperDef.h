// One paper definition, its vocabulary tables and the two text forms in which
// it is stored as a registry value.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "StringIds.h"

// Attribute numbers by which the editor and the stored forms address a field.
enum PaperAttribute : int {
    PA_NAME = 0,
    PA_SIZE = 1,
    PA_COLOR = 2,
    PA_WEIGHT = 3,
    PA_TYPE = 4,
    PA_FORCE_ONE_SIDED = 5,
    PA_POSITION = 6,
};

// Marks a size that could not be recognised, and answers a text request for
// an attribute that is not a text.
inline constexpr const char* kUnknownText = "? ? ? ? ?";

// The PDL name "PS", exactly, stores papers in the keyword form (the paper's
// name is the value's name); every other one in the descriptive form.
inline constexpr std::string_view kKeywordFormPdl = "PS";
inline bool IsKeywordForm(std::string_view pdlName) { return pdlName == kKeywordFormPdl; }

class CPaperDef {
public:
    CPaperDef() = default;
    // Weight comes before colour here and in both stored forms, unlike the fields.
    CPaperDef(std::string name, std::string size, std::string weight, std::string color, std::string type,
              bool forceOneSided, int32_t position);

    // Keyword form when `pdlName` is exactly "PS", descriptive form otherwise.
    static CPaperDef FromStoredValue(const std::string& valueName, const std::string& data,
                                     const std::string& pdlName);

    std::string GetText(int attribute) const;
    void SetText(int attribute, const std::string& text);
    bool GetFlag(int attribute) const;
    void SetFlag(int attribute, bool value);
    int32_t GetNumber(int attribute) const;
    void SetNumber(int attribute, int32_t value);
    void CopyFrom(const CPaperDef& other);

    // Value name = Name; data "size,weight,colour,type,T|F,position".
    void FormatKeywordValue(std::string& valueName, std::string& data) const;
    // Value name = "PaperDef<index>"; data "name,label,points ,weight gsm,colour,type,t|f"
    // with the size label in the current language.
    void FormatDescriptiveValue(int index, std::string& valueName, std::string& data) const;
    void ParseKeywordValue(const std::string& valueName, const std::string& data);
    void ParseDescriptiveValue(const std::string& valueName, const std::string& data);

    std::string Name;
    std::string Size;
    std::string Color;
    std::string Weight;
    std::string Type;
    bool ForceOneSided = false;
    int32_t Position = 0;
};

// The fields a user sees are the same: name, size, weight, colour, type and
// the one-sided flag (the position aside).
inline bool SameFields(const CPaperDef& a, const CPaperDef& b) {
    return a.Name == b.Name && a.Size == b.Size && a.Weight == b.Weight && a.Color == b.Color && a.Type == b.Type &&
           a.ForceOneSided == b.ForceOneSided;
}

struct PageSizeRow {
    const char* Keyword;  // language-independent, stored in Size
    int16_t LabelId;      // "CAT#" id of the localised label
    const char* Points;   // width and height in PostScript points
};

// Row order is the order of the editor's size list.
inline constexpr std::array<PageSizeRow, 9> PageSizeTable = {{
    {"LETTER", CAT_SIZE_LETTER, "612 792"},
    {"LEGAL", CAT_SIZE_LEGAL, "612 1008"},
    {"8_0x10_5", CAT_SIZE_8X10_5, "576 756"},
    {"LETTERTAB", CAT_SIZE_LETTER_TAB, "648 792"},
    {"TABLOID", CAT_SIZE_TABLOID, "792 1224"},
    {"9_0x12_0", CAT_SIZE_9X12, "648 864"},
    {"A4", CAT_SIZE_A4, "595 842"},
    {"A3", CAT_SIZE_A3, "842 1191"},
    {"A4TAB", CAT_SIZE_A4_TAB, "638 842"},
}};

inline constexpr std::array<int16_t, 9> SizeLabelIds = {CAT_SIZE_LETTER, CAT_SIZE_LEGAL, CAT_SIZE_8X10_5, CAT_SIZE_LETTER_TAB, CAT_SIZE_TABLOID, CAT_SIZE_9X12, CAT_SIZE_A4, CAT_SIZE_A3, CAT_SIZE_A4_TAB};
inline constexpr std::array<int16_t, 7> ColorWordIds = {CAT_COLOR_ANY, CAT_COLOR_WHITE, CAT_COLOR_CLEAR, CAT_COLOR_RED, CAT_COLOR_YELLOW, CAT_COLOR_BLUE, CAT_COLOR_GREEN};
// Ascending weight, not ascending id.
inline constexpr std::array<int16_t, 10> WeightWordIds = {CAT_WEIGHT_75, CAT_WEIGHT_80, CAT_WEIGHT_90, CAT_WEIGHT_105, CAT_WEIGHT_120,
                                                          CAT_WEIGHT_135, CAT_WEIGHT_160, CAT_WEIGHT_165, CAT_WEIGHT_175, CAT_WEIGHT_200};
inline constexpr std::array<int16_t, 6> TypeWordIds = {CAT_TYPE_PLAIN, CAT_TYPE_COVER, CAT_TYPE_COLOR, CAT_TYPE_TAB, CAT_TYPE_INSERT, CAT_TYPE_TRANSPARENCY};

// Lookups over the first AppState.SizeChoiceCount rows of PageSizeTable; the
// first row that matches exactly (case-sensitive) wins.
std::string SizeKeywordFromPoints(const std::string& text);  // kUnknownText when none matches
std::string SizeLabelFromKeyword(const std::string& keyword); // "," turned into "."; empty when none
std::string PointsFromKeyword(const std::string& keyword);    // empty when none

std::string LeadingDigits(const std::string& text);
// The decimal number at the start of the text: leading white space, an optional
// sign, then digits up to the first other character; no digits give 0. Numbers
// out of range are held at the int32 limits rather than wrapping.
int32_t LeadingNumber(const std::string& text);
// Drops every "PaperDef" and reads the rest as a decimal number (0 without digits).
int32_t PositionFromValueName(const std::string& valueName);

// The name of the default paper in `language`: CAT_DEFAULT_PAPER_ENGLISH in English,
// CAT_DEFAULT_PAPER otherwise.
std::string DefaultPaperNameFor(int16_t language);
// The default paper of a new catalog, every text in `language`, at position 0.
CPaperDef DefaultPaperFor(int16_t language);
