#include "text/StringLists.h"

#include <cstdio>
#include <cstring>

#include "platform/StringListResources.h"
#include "state/AppState.h"

namespace {

constexpr size_t kCountOffset = 6;
constexpr size_t kFirstStringOffset = 10;
constexpr char kNoBreakSpace = '\xA0';  // code page 1252

std::string ResourceName(int16_t id) {
    char name[8];
    std::snprintf(name, sizeof name, "+%hd", id);
    return name;
}

std::string FallbackText(int16_t id) {
    char text[32];
    std::snprintf(text, sizeof text, "??? %hd ???", id);
    return text;
}

uint32_t ReadCount(const platform::ResourceBytes& list) {
    const unsigned char* p = list.data + kCountOffset;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

platform::ResourceBytes FindList(const char* type, int16_t id) {
    platform::ResourceBytes list = platform::FindStringListResource(AppState.ResourceModule, type, ResourceName(id).c_str());
    if (list && list.size < kFirstStringOffset) return {};
    return list;
}

}  // namespace

std::string GetLocalizedString(const char* type, int16_t id, int16_t language, uint8_t textFlags) {
    std::string text = FallbackText(id);
    if (platform::ResourceBytes list = FindList(type, id)) {
        const uint32_t count = ReadCount(list);
        // The walk trusts the count but never leaves the resource: a list with
        // fewer strings than it claims gives the fallback, not a read past its end.
        size_t offset = kFirstStringOffset;
        for (uint32_t position = 1; position <= count && offset < list.size; ++position) {
            const unsigned char* start = list.data + offset;
            const void* nul = std::memchr(start, 0, list.size - offset);
            if (!nul) break;
            const size_t length = static_cast<const unsigned char*>(nul) - start;
            if (static_cast<int32_t>(position) == language) {
                text.assign(reinterpret_cast<const char*>(start), length);
                break;
            }
            offset += length + 1;
        }
    }
    ApplyTextFlags(text, textFlags);
    return text;
}

void GetLocalizedString(const char* type, int16_t id, int16_t language, char* buffer, size_t capacity,
                        uint8_t textFlags) {
    if (!buffer || capacity == 0) return;
    const std::string text = GetLocalizedString(type, id, language, textFlags);
    const size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::string InterfaceLabel(LabelId id, uint8_t textFlags) {
    return GetLocalizedString(kLabelList, id, AppState.CurrentLanguage, textFlags);
}

std::string InterfaceMessage(MessageId id) { return GetLocalizedString(kMessageList, id, AppState.CurrentLanguage); }

int32_t GetStringListCount(const char* type, int16_t id) {
    platform::ResourceBytes list = FindList(type, id);
    return list ? static_cast<int32_t>(ReadCount(list)) : 0;
}

int16_t FindLanguageIndex(const std::string& name) {
    if (name.empty()) return -1;
    const int32_t count = GetStringListCount(kLanguageList, kLanguageListId);
    if (count < 1) return -1;
    auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return s;
    };
    const std::string wanted = lower(name);
    for (int32_t position = 1; position <= count && position <= INT16_MAX; ++position) {
        if (lower(GetLocalizedString(kLanguageList, kLanguageListId, static_cast<int16_t>(position))) == wanted)
            return static_cast<int16_t>(position);
    }
    return -1;
}

void ApplyTextFlags(std::string& text, uint8_t textFlags) {
    std::string kept;
    kept.reserve(text.size() + 2);
    if (textFlags & TF_LEADING_SPACE) kept += ' ';
    for (char c : text) {
        if (c == ':' && (textFlags & TF_NO_COLON)) {
            // French writes a no-break space before a colon; it goes with the colon.
            if (!kept.empty() && kept.back() == kNoBreakSpace) kept.pop_back();
            continue;
        }
        if ((c == '&' && (textFlags & TF_NO_AMPERSAND)) || (c == '.' && (textFlags & TF_NO_PERIOD))) continue;
        kept += c;
    }
    if (textFlags & TF_TRAILING_SPACE) kept += ' ';
    text = std::move(kept);
}
