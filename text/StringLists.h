// Lookup of the multilingual string lists: one resource per text item, holding
// the item in all ten languages in the order of the language list LNG_LANGUAGES.
// The identifiers are named in StringIds.h, which the string-list compiler
// writes from the tables in resources/strings/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "StringIds.h"

// String-list resource types.
inline constexpr const char* kLabelList = "LAB#";
inline constexpr const char* kMessageList = "MSG#";
inline constexpr const char* kVocabularyList = "CAT#";
inline constexpr const char* kLanguageList = "LNG#";

inline constexpr int16_t kLanguageListId = LNG_LANGUAGES;
inline constexpr int16_t kEnglish = 1;

// Text flags, applied after a lookup.
enum : uint8_t {
    TF_LEADING_SPACE = 0x01,
    TF_TRAILING_SPACE = 0x02,
    TF_NO_AMPERSAND = 0x04,
    TF_NO_COLON = 0x08,
    TF_NO_PERIOD = 0x10,
};

// The text of list (type, id) at the 1-based `language`, post-processed with
// `textFlags`; "??? <id> ???" (post-processed too) when the list or the entry
// is missing.
std::string GetLocalizedString(const char* type, int16_t id, int16_t language, uint8_t textFlags = 0);

// The same into a caller's buffer of `capacity` bytes, always terminated; an
// entry longer than the buffer is cut rather than overrunning it.
void GetLocalizedString(const char* type, int16_t id, int16_t language, char* buffer, size_t capacity,
                        uint8_t textFlags);

// A label or a message in the interface language, AppState.CurrentLanguage.
std::string InterfaceLabel(LabelId id, uint8_t textFlags = 0);
std::string InterfaceMessage(MessageId id);

// The count field of list (type, id), or 0 when it cannot be found.
int32_t GetStringListCount(const char* type, int16_t id);

// 1-based position of `name` in the language list, ASCII case ignored; -1 if absent.
int16_t FindLanguageIndex(const std::string& name);

// Drops "&", ":" (with a no-break space just before it) or "." and adds a
// leading or trailing blank as the flags say.
void ApplyTextFlags(std::string& text, uint8_t textFlags);
