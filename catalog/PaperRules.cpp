#include "catalog/PaperRules.h"

#include <cctype>

#include "catalog/PaperDef.h"
#include "state/AppState.h"
#include "text/StringLists.h"

bool ContainsRefusedCharacter(std::string_view text, LeadByteTest isLeadByte) {
    const std::string_view refused(ForbiddenCharacters, sizeof ForbiddenCharacters - 1);
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (isLeadByte && isLeadByte(byte) && i + 1 < text.size()) {
            ++i;
            continue;
        }
        if (refused.find(static_cast<char>(byte)) != std::string_view::npos) return true;
    }
    return false;
}

bool HasUnprintableByte(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || (byte >= 0x7F && byte <= 0xA0)) return true;
    }
    return false;
}

FieldFault CheckTypedText(std::string_view text, size_t maxLength, LeadByteTest isLeadByte) {
    if (text.size() > maxLength) return FieldFault::TooLong;
    if (ContainsRefusedCharacter(text, isLeadByte)) return FieldFault::RefusedCharacter;
    if (HasUnprintableByte(text)) return FieldFault::Unprintable;
    return FieldFault::FieldOk;
}

FieldFault CheckTypedWeight(std::string_view text) {
    if (text.find_first_not_of("0123456789") != std::string_view::npos) return FieldFault::NotDigits;
    if (text.size() > kMaxWeightDigits) return FieldFault::TooLong;
    return FieldFault::FieldOk;
}

bool IsWeightInRange(std::string_view weight) {
    const int32_t value = LeadingNumber(std::string(weight));
    return value >= AppState.MinimumPaperWeight && value <= AppState.MaximumPaperWeight;
}

FieldFault CheckCompleteField(int attribute, std::string_view text, LeadByteTest isLeadByte, Blanks blanks) {
    if (text.empty()) return FieldFault::Empty;
    if (blanks == Blanks::Inside && attribute != PA_WEIGHT && text.front() != ' ' && text.back() != ' ' &&
        text.find(' ') != std::string_view::npos) {
        std::string joined(text);
        std::erase(joined, ' ');
        if (text.size() > (attribute == PA_NAME ? kMaxNameLength : kMaxWordLength)) return FieldFault::TooLong;
        return CheckTypedText(joined, kMaxNameLength, isLeadByte);
    }
    if (attribute == PA_WEIGHT) {
        if (const FieldFault fault = CheckTypedWeight(text); fault != FieldFault::FieldOk) return fault;
        return IsWeightInRange(text) ? FieldFault::FieldOk : FieldFault::OutOfRange;
    }
    return CheckTypedText(text, attribute == PA_NAME ? kMaxNameLength : kMaxWordLength, isLeadByte);
}

bool IsTransparencyType(std::string_view type) {
    return IsTransparencyType(type, GetLocalizedString(kVocabularyList, CAT_TYPE_TRANSPARENCY, AppState.CurrentLanguage));
}

bool IsTransparencyType(std::string_view type, std::string_view word) {
    if (word.size() != type.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(word[i])) != std::tolower(static_cast<unsigned char>(type[i])))
            return false;
    }
    return true;
}
