// A printer's media as papers: what an IPP printer reports in its media
// collections and what a print controller writes as JDF media both come here
// as PrinterMedia, and one mapping turns them into papers of this PC, or names
// why one cannot become a paper. Nothing is guessed: a size this PC does not
// offer, a missing weight or a colour without a word here refuses the media.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/PaperDef.h"
#include "catalog/PaperRules.h"

inline constexpr int32_t kMediaUnknown = -1;

// One media as the printer or controller describes it, in IPP's terms.
struct PrinterMedia {
    std::string name;                // UTF-8: media-info / DescriptiveName; may be empty
    std::string key;                 // media-key, a keyword; may be empty
    int32_t width = kMediaUnknown;   // hundredths of a millimetre
    int32_t height = kMediaUnknown;
    int32_t weight = kMediaUnknown;  // grams per square metre
    std::string color;               // IPP media-color keyword ("white", "no-color"); empty when not given
    std::string type;                // IPP media-type keyword ("stationery", "tab-stock"); empty when not given
    bool ready = false;              // loaded in the printer now (media-col-ready)
};

enum class MediaRefusal : uint8_t {
    None,
    NoSize,            // no media-size, or one without both dimensions
    SizeNotOffered,    // no size this PC offers within 1 mm, either orientation
    NoWeight,
    WeightOutOfRange,  // outside this PC's configured limits
    UnknownColor,      // a colour keyword without a word in the form's list
    UnknownType,       // the same for the type
    NameUnusable,      // no longer given: a name the field refuses gives way to the key or a made name
    SameName,          // another media of the same answer already gives a paper of this name
};

struct MediaPaper {
    CPaperDef paper;  // Position 0; Size a keyword; words in the language asked for
    MediaRefusal refusal = MediaRefusal::None;
    FieldFault nameFault = FieldFault::FieldOk;  // why the name field refused the media's own name
    bool ok() const { return refusal == MediaRefusal::None; }
};

// The size keyword among the sizes this PC offers (AppState.SizeChoiceCount)
// within 1 mm of width and height, either orientation; empty when none.
std::string SizeKeywordForMedia(int32_t width, int32_t height);
// A size keyword's dimensions in hundredths of a millimetre; false when unknown.
bool MediaSizeOfKeyword(std::string_view keyword, int32_t& width, int32_t& height);

// The form's colour and type words of one language, looked up once for the
// many media of one answer (each lookup reads the string lists).
class MediaWords {
public:
    explicit MediaWords(int16_t language);
    // Empty when the table has no word for the keyword.
    const std::string& Color(std::string_view keyword) const;
    const std::string& Type(std::string_view keyword) const;
    const std::string& Transparency() const { return transparency_; }

private:
    std::string anyColor_;
    std::vector<std::string> colors_;  // in the order of the colour table
    std::vector<std::string> types_;
    std::string transparency_;
    std::string none_;
};

// The paper a media becomes in `language`. Its name: the media's own name when
// the name field takes it, else the media key when the name field takes it,
// else one made of size, type, weight and a colour other than white
// (`nameFault` says why the media's own name was not taken).
MediaPaper PaperFromMedia(const PrinterMedia& media, int16_t language);
MediaPaper PaperFromMedia(const PrinterMedia& media, const MediaWords& words);

// The keyword of a colour or type word of any of the program's languages
// (letter case ignored); MediaWords gives the way from keyword to word. Empty
// when the table has no such entry.
std::string ColorKeywordForWord(std::string_view word);
std::string TypeKeywordForWord(std::string_view word);

// A paper as a media (for JDF export): size in hundredths of a millimetre,
// keywords for the colour and type words; a word without a keyword is left
// empty and the caller writes the word itself.
PrinterMedia MediaFromPaper(const CPaperDef& paper);
