// The entry rules of a paper's fields, in one place: the form checks every
// keystroke with them, and rows read from text (the clipboard, spreadsheet
// files, a merged file) are checked with the same rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Refused in names, colours and types. The comma separates the fields of the
// stored forms; the guillemets mark the vocabulary's "any" words ("«Any Color»").
inline constexpr char ForbiddenCharacters[] = "!\"%'(),/;<>[\\]^{|}\xAB\xBB";
static_assert(sizeof ForbiddenCharacters == 20 + 1);

inline constexpr size_t kMaxNameLength = 31;
inline constexpr size_t kMaxWordLength = 19;  // colour and type
inline constexpr size_t kMaxWeightDigits = 3;

// Tells a lead byte of a double-byte character in the system code page, so
// that its trail byte is never taken for a refused character. Code page 1252
// has none; the editor passes the system's own test.
using LeadByteTest = bool (*)(unsigned char byte);

// Why a field's text is refused; FieldOk when it is not.
enum class FieldFault : uint8_t {
    FieldOk,
    Empty,             // a complete paper needs every field
    TooLong,           // longer than its field holds
    RefusedCharacter,  // one of ForbiddenCharacters
    Unprintable,       // a blank, a control character or one of 0x7F-0xA0
    NotDigits,         // a weight is digits only
    OutOfRange,        // a weight outside this PC's configured limits
};

bool ContainsRefusedCharacter(std::string_view text, LeadByteTest isLeadByte = nullptr);
// Blanks, control characters and the unprintable 0x7F-0xA0 range.
bool HasUnprintableByte(std::string_view text);

// What typing may leave in a field (empty is allowed while typing): a name
// (maxLength kMaxNameLength) or a colour or type (kMaxWordLength).
FieldFault CheckTypedText(std::string_view text, size_t maxLength, LeadByteTest isLeadByte = nullptr);
// What typing may leave in the weight field: up to kMaxWeightDigits digits.
FieldFault CheckTypedWeight(std::string_view text);
// The weight's number within AppState's MinimumPaperWeight..MaximumPaperWeight.
bool IsWeightInRange(std::string_view weight);

// Where a blank may stand in a complete text. The form refuses typing one,
// but stored catalogs hold names such as "Blue Cover" (the driver's own
// examples, catalog files from other machines): papers read from text keep
// them, inside the text, never at either end.
enum class Blanks : uint8_t { Refused, Inside };

// A complete field of a paper that is to join a catalog: what typing allows,
// not empty, and for the weight its range too. `attribute` is PA_NAME,
// PA_COLOR, PA_TYPE or PA_WEIGHT.
FieldFault CheckCompleteField(int attribute, std::string_view text, LeadByteTest isLeadByte = nullptr,
                              Blanks blanks = Blanks::Refused);

// The type word that forces one-sided printing: the transparency word of the
// current language, letter case ignored.
bool IsTransparencyType(std::string_view type);
// The same against the word looked up once, for many rows.
bool IsTransparencyType(std::string_view type, std::string_view transparencyWord);
