#include "media/MediaPapers.h"

#include <array>
#include <cctype>
#include <cstdlib>
#include <string>

#include "catalog/PaperRules.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextEncoding.h"

namespace {

constexpr int16_t kLanguages = 10;
constexpr int32_t kSizeTolerance = 100;  // 1 mm in hundredths

// One word of the form's list and the keywords that mean it. The first keyword
// is the one written; the others are read as the same word.
struct KeywordRow {
    int16_t wordId;
    std::array<const char*, 4> keywords;
};

// IPP's media-color keywords. A media without a colour fits any colour.
constexpr std::array<KeywordRow, 6> kColorRows = {{
    {CAT_COLOR_WHITE, {"white"}},
    {CAT_COLOR_CLEAR, {"transparent", "clear"}},
    {CAT_COLOR_RED, {"red"}},
    {CAT_COLOR_YELLOW, {"yellow"}},
    {CAT_COLOR_BLUE, {"blue"}},
    {CAT_COLOR_GREEN, {"green"}},
}};
constexpr const char* kAnyColorKeyword = "no-color";

// IPP's media-type keywords.
constexpr std::array<KeywordRow, 6> kTypeRows = {{
    {CAT_TYPE_PLAIN, {"stationery"}},
    {CAT_TYPE_COVER, {"cover", "cardstock"}},
    {CAT_TYPE_COLOR, {"stationery-colored"}},
    {CAT_TYPE_TAB, {"tab-stock", "pre-cut-tabs", "full-cut-tabs"}},
    {CAT_TYPE_INSERT, {"stationery-preprinted"}},
    {CAT_TYPE_TRANSPARENCY, {"transparency"}},
}};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

template <size_t N>
const KeywordRow* RowForKeyword(const std::array<KeywordRow, N>& rows, std::string_view keyword) {
    for (const KeywordRow& row : rows) {
        for (const char* k : row.keywords) {
            if (k != nullptr && SameIgnoringCase(k, keyword)) return &row;
        }
    }
    return nullptr;
}

template <size_t N>
const KeywordRow* RowForWord(const std::array<KeywordRow, N>& rows, std::string_view word) {
    for (const KeywordRow& row : rows) {
        for (int16_t language = 1; language <= kLanguages; ++language) {
            if (SameIgnoringCase(GetLocalizedString(kVocabularyList, row.wordId, language), word)) return &row;
        }
    }
    return nullptr;
}

// "612 792" to hundredths of a millimetre: 1 point is 2540/72 hundredths.
bool PointsToHundredths(const char* points, int32_t& width, int32_t& height) {
    char* end = nullptr;
    const long w = std::strtol(points, &end, 10);
    const long h = std::strtol(end, nullptr, 10);
    if (w <= 0 || h <= 0) return false;
    width = static_cast<int32_t>((w * 2540 + 36) / 72);
    height = static_cast<int32_t>((h * 2540 + 36) / 72);
    return true;
}

bool Near(int32_t a, int32_t b) { return std::abs(a - b) <= kSizeTolerance; }

// The size table in hundredths of a millimetre, converted once.
struct SizeHundredths {
    int32_t width = 0;
    int32_t height = 0;
};
const std::array<SizeHundredths, PageSizeTable.size()>& SizesInHundredths() {
    static const std::array<SizeHundredths, PageSizeTable.size()> sizes = [] {
        std::array<SizeHundredths, PageSizeTable.size()> table{};
        for (size_t i = 0; i < PageSizeTable.size(); ++i) PointsToHundredths(PageSizeTable[i].Points, table[i].width, table[i].height);
        return table;
    }();
    return sizes;
}

}  // namespace

std::string SizeKeywordForMedia(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return {};
    const size_t offered = std::min<size_t>(AppState.SizeChoiceCount, PageSizeTable.size());
    const auto& sizes = SizesInHundredths();
    for (size_t i = 0; i < offered; ++i) {
        const int32_t w = sizes[i].width;
        const int32_t h = sizes[i].height;
        if (w <= 0 || h <= 0) continue;
        if ((Near(w, width) && Near(h, height)) || (Near(w, height) && Near(h, width))) return PageSizeTable[i].Keyword;
    }
    return {};
}

bool MediaSizeOfKeyword(std::string_view keyword, int32_t& width, int32_t& height) {
    const auto& sizes = SizesInHundredths();
    for (size_t i = 0; i < PageSizeTable.size(); ++i) {
        if (keyword != PageSizeTable[i].Keyword) continue;
        width = sizes[i].width;
        height = sizes[i].height;
        return width > 0 && height > 0;
    }
    return false;
}

std::string ColorKeywordForWord(std::string_view word) {
    for (int16_t language = 1; language <= kLanguages; ++language) {
        if (SameIgnoringCase(GetLocalizedString(kVocabularyList, CAT_COLOR_ANY, language), word)) return kAnyColorKeyword;
    }
    const KeywordRow* row = RowForWord(kColorRows, word);
    return row ? row->keywords[0] : std::string();
}

std::string TypeKeywordForWord(std::string_view word) {
    const KeywordRow* row = RowForWord(kTypeRows, word);
    return row ? row->keywords[0] : std::string();
}

MediaWords::MediaWords(int16_t language)
    : anyColor_(GetLocalizedString(kVocabularyList, CAT_COLOR_ANY, language)),
      transparency_(GetLocalizedString(kVocabularyList, CAT_TYPE_TRANSPARENCY, language)) {
    for (const KeywordRow& row : kColorRows) colors_.push_back(GetLocalizedString(kVocabularyList, row.wordId, language));
    for (const KeywordRow& row : kTypeRows) types_.push_back(GetLocalizedString(kVocabularyList, row.wordId, language));
}

const std::string& MediaWords::Color(std::string_view keyword) const {
    if (keyword.empty() || SameIgnoringCase(keyword, kAnyColorKeyword)) return anyColor_;
    const KeywordRow* row = RowForKeyword(kColorRows, keyword);
    return row ? colors_[static_cast<size_t>(row - kColorRows.data())] : none_;
}

const std::string& MediaWords::Type(std::string_view keyword) const {
    const KeywordRow* row = RowForKeyword(kTypeRows, keyword);
    return row ? types_[static_cast<size_t>(row - kTypeRows.data())] : none_;
}

MediaPaper PaperFromMedia(const PrinterMedia& media, int16_t language) {
    return PaperFromMedia(media, MediaWords(language));
}

MediaPaper PaperFromMedia(const PrinterMedia& media, const MediaWords& words) {
    MediaPaper result;
    CPaperDef& paper = result.paper;
    if (media.width <= 0 || media.height <= 0) {
        result.refusal = MediaRefusal::NoSize;
        return result;
    }
    paper.Size = SizeKeywordForMedia(media.width, media.height);
    if (paper.Size.empty()) {
        result.refusal = MediaRefusal::SizeNotOffered;
        return result;
    }
    if (media.weight == kMediaUnknown) {
        result.refusal = MediaRefusal::NoWeight;
        return result;
    }
    paper.Weight = std::to_string(media.weight);
    if (media.weight <= 0 || CheckCompleteField(PA_WEIGHT, paper.Weight) != FieldFault::FieldOk) {
        result.refusal = MediaRefusal::WeightOutOfRange;
        return result;
    }
    paper.Color = words.Color(media.color);
    if (paper.Color.empty()) {
        result.refusal = MediaRefusal::UnknownColor;
        return result;
    }
    // A media without a type is plain paper, as a printer's default media is.
    paper.Type = words.Type(media.type.empty() ? std::string_view("stationery") : media.type);
    if (paper.Type.empty()) {
        result.refusal = MediaRefusal::UnknownType;
        return result;
    }
    paper.ForceOneSided = IsTransparencyType(paper.Type, words.Transparency());

    const auto nameFault = [](std::string_view utf8, std::string& name) {
        if (!Utf8ToCp1252(utf8, name)) return FieldFault::RefusedCharacter;
        return CheckCompleteField(PA_NAME, name, nullptr, Blanks::Inside);
    };
    // A printer's own name often holds what a paper name may not ("Plain
    // (Tray 1)") or runs longer: the key, else a made name, takes its place,
    // and `nameFault` keeps why.
    if (!media.name.empty()) {
        result.nameFault = nameFault(media.name, paper.Name);
        if (result.nameFault == FieldFault::FieldOk) return result;
    }
    if (!media.key.empty() && nameFault(media.key, paper.Name) == FieldFault::FieldOk) return result;
    // "A4 plain 80", with its colour unless white or any: a name the operator
    // recognises, and two colours of one paper keep two names.
    paper.Name = paper.Size + " " + paper.Type + " " + paper.Weight;
    if (!media.color.empty() && !SameIgnoringCase(media.color, kAnyColorKeyword) && !SameIgnoringCase(media.color, "white")) {
        paper.Name += " " + paper.Color;
    }
    if (paper.Name.size() > kMaxNameLength) paper.Name.resize(kMaxNameLength);
    while (!paper.Name.empty() && paper.Name.back() == ' ') paper.Name.pop_back();
    return result;
}

PrinterMedia MediaFromPaper(const CPaperDef& paper) {
    PrinterMedia media;
    media.name = Cp1252ToUtf8(paper.Name);
    MediaSizeOfKeyword(paper.Size, media.width, media.height);
    media.weight = LeadingNumber(paper.Weight);
    media.color = ColorKeywordForWord(paper.Color);
    media.type = TypeKeywordForWord(paper.Type);
    return media;
}
