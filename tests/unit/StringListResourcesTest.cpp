// The compiled string lists themselves: their binary layout, and in the
// Windows build that the module's resources hold exactly the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "StringIds.h"
#include "platform/StringListResources.h"
#include "platform/StringListTable.h"
#include "text/TextFormat.h"

namespace {

struct Decoded {
    std::string type;
    std::string name;
    std::string translation;
    uint32_t count = 0;
    std::vector<std::string> texts;
};

Decoded Decode(const platform::EmbeddedStringList& list) {
    Decoded d;
    d.type = list.type;
    d.name = list.name;
    const unsigned char* p = list.bytes;
    EXPECT_GE(list.size, 10u) << d.type << d.name;
    if (list.size < 10) return d;
    EXPECT_EQ(unsigned(p[0] | p[1] << 8), list.size - 2) << "length word of " << d.type << d.name;
    d.translation.assign(reinterpret_cast<const char*>(p + 2), 4);
    d.count = uint32_t(p[6]) | uint32_t(p[7]) << 8 | uint32_t(p[8]) << 16 | uint32_t(p[9]) << 24;
    size_t offset = 10;
    while (offset < list.size) {
        const void* nul = std::memchr(p + offset, 0, list.size - offset);
        EXPECT_NE(nul, nullptr) << "unterminated string in " << d.type << d.name;
        if (!nul) break;
        size_t length = static_cast<const unsigned char*>(nul) - (p + offset);
        d.texts.emplace_back(reinterpret_cast<const char*>(p + offset), length);
        offset += length + 1;
    }
    return d;
}

std::vector<Decoded> AllLists() {
    std::vector<Decoded> all;
    for (unsigned i = 0; i < platform::kEmbeddedStringListCount; ++i) all.push_back(Decode(platform::kEmbeddedStringLists[i]));
    return all;
}

TEST(StringListLayout, EveryListHoldsTenTerminatedStringsAfterItsHeader) {
    const std::vector<Decoded> lists = AllLists();
    ASSERT_GE(lists.size(), 96u);  // every list the program reads
    for (const Decoded& d : lists) {
        SCOPED_TRACE(d.type + " " + d.name);
        EXPECT_EQ(d.translation, d.type == "LNG#" ? "NONE" : "LNG#");
        EXPECT_EQ(d.count, 10u);
        EXPECT_EQ(d.texts.size(), d.count);
        for (const std::string& t : d.texts) EXPECT_FALSE(t.empty());
    }
}

TEST(StringListLayout, TextsStayWithinTheLengthsTheirUsersAllow) {
    for (const Decoded& d : AllLists()) {
        // Messages added for this program's own reports may be longer than the
        // classic ones; nothing reads them into a fixed buffer.
        const bool newMessage = d.type == "MSG#" && d.name >= "+19004" && d.name.size() == 6;
        const size_t limit = d.type == "LAB#" ? 62 : d.type == "MSG#" ? (newMessage ? 255 : 154) : d.type == "CAT#" ? 20 : 32;
        for (size_t l = 0; l < d.texts.size(); ++l)
            EXPECT_LE(d.texts[l].size(), limit) << d.type << " " << d.name << " language " << l + 1 << ": " << d.texts[l];
    }
}

int CountSingleAmpersands(const std::string& s) {
    int n = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') continue;
        if (i + 1 < s.size() && s[i + 1] == '&') {
            ++i;
            continue;
        }
        ++n;
    }
    return n;
}

TEST(StringListLayout, TranslationsKeepMnemonicsShortcutsAndLineBreaks) {
    for (const Decoded& d : AllLists()) {
        if (d.texts.size() != 10 || d.type == "LNG#") continue;
        const std::string& english = d.texts[0];
        const bool hasMnemonic = CountSingleAmpersands(english) == 1;
        const bool hasTab = english.find('\t') != std::string::npos;
        const bool hasBreak = english.find('\r') != std::string::npos;
        for (size_t l = 1; l < d.texts.size(); ++l) {
            SCOPED_TRACE(d.type + " " + d.name + " language " + std::to_string(l + 1) + ": " + d.texts[l]);
            if (hasMnemonic) {
                EXPECT_EQ(CountSingleAmpersands(d.texts[l]), 1);
            }
            EXPECT_EQ(d.texts[l].find('\t') != std::string::npos, hasTab);
            if (hasBreak) {
                EXPECT_NE(d.texts[l].find('\r'), std::string::npos);
            }
            EXPECT_EQ(d.texts[l].find('\n'), std::string::npos) << "entries break lines with CR only";
        }
    }
}

// The placeholders %1 to %9 a text holds ("%%" is a percent sign), as a set of digits.
std::string Placeholders(const std::string& s) {
    std::string digits;
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != '%') continue;
        if (s[i + 1] >= '1' && s[i + 1] <= '9' && digits.find(s[i + 1]) == std::string::npos) digits += s[i + 1];
        ++i;
    }
    std::sort(digits.begin(), digits.end());
    return digits;
}

// A translation that drops or renumbers a placeholder loses a value the
// program fills in, or shows "%3" to the user.
TEST(StringListLayout, TranslationsFillInTheSameValues) {
    for (const Decoded& d : AllLists()) {
        if (d.texts.size() != 10 || d.type == "LNG#") continue;
        const std::string english = Placeholders(d.texts[0]);
        for (size_t l = 1; l < d.texts.size(); ++l) {
            EXPECT_EQ(Placeholders(d.texts[l]), english)
                << d.type << " " << d.name << " language " << l + 1 << ": " << d.texts[l];
        }
    }
}

// French puts a no-break space before these signs; a plain one lets the line
// break between the word and its sign.
TEST(StringListLayout, FrenchKeepsItsSignsToTheirWords) {
    constexpr size_t kFrench = 4;
    for (const Decoded& d : AllLists()) {
        if (d.texts.size() != 10 || d.type == "LNG#") continue;
        const std::string& french = d.texts[kFrench];
        for (size_t i = 1; i < french.size(); ++i) {
            if (french[i - 1] == ' ' && std::string_view(":;?!").find(french[i]) != std::string_view::npos)
                ADD_FAILURE() << d.type << " " << d.name << ": a plain space before '" << french[i] << "' in " << french;
        }
    }
}

// The code points of a UTF-8 text.
std::vector<uint32_t> CodePoints(std::string_view utf8) {
    std::vector<uint32_t> points;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t point = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k)
            point = point << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

// What a console code page holds: ASCII and the characters of bytes 128 to 255.
std::set<uint32_t> ConsoleCharacters(std::string_view upperHalf) {
    const std::vector<uint32_t> upper = CodePoints(upperHalf);
    EXPECT_EQ(upper.size(), 128u);
    std::set<uint32_t> characters(upper.begin(), upper.end());
    for (uint32_t c = 0; c < 0x80; ++c) characters.insert(c);
    return characters;
}

// The messages the companion's sources name.
constexpr MessageId kCompanionMessages[] = {
#include "CompanionMessages.inc"
};

// The companion writes its lines in the console's code page when its output is
// redirected: 850 in Western Europe, 437 in the United States. A character
// either lacks comes out as "?". Only the Danish and Norwegian letter ø is
// spared 437: their consoles use 850.
TEST(StringListLayout, CompanionLinesFitTheConsolesCodePages) {
    const std::set<uint32_t> cp437 = ConsoleCharacters(
        "ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
        "αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0");
    const std::set<uint32_t> cp850 = ConsoleCharacters(
        "ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜø£Ø×ƒáíóúñÑªº¿®¬½¼¡«»░▒▓│┤ÁÂÀ©╣║╗╝¢¥┐└┴┬├─┼ãÃ╚╔╩╦╠═╬¤ðÐÊËÈıÍÎÏ┘┌█▄¦Ì▀"
        "ÓßÔÒõÕµþÞÚÛÙýÝ¯´\u00AD±‗¾¶§÷¸°¨·¹³²■\u00A0");
    const std::vector<Decoded> lists = AllLists();
    ASSERT_GT(std::size(kCompanionMessages), 50u);
    for (const MessageId id : kCompanionMessages) {
        const std::string name = "+" + std::to_string(static_cast<int>(id));
        const auto list =
            std::find_if(lists.begin(), lists.end(), [&](const Decoded& d) { return d.type == "MSG#" && d.name == name; });
        ASSERT_NE(list, lists.end()) << name;
        for (size_t l = 0; l < list->texts.size(); ++l) {
            const std::string utf8 = Cp1252ToUtf8(list->texts[l]);
            for (const uint32_t c : CodePoints(utf8)) {
                const bool spared = c == 0xF8 || c == 0xD8;
                EXPECT_TRUE(cp850.count(c) && (cp437.count(c) || spared))
                    << "MSG# " << name << " language " << l + 1 << ": U+" << std::hex << c << " in " << utf8;
            }
        }
    }
}

TEST(StringListResources, TheModuleHoldsTheSameBytesAsTheTable) {
    for (unsigned i = 0; i < platform::kEmbeddedStringListCount; ++i) {
        const platform::EmbeddedStringList& list = platform::kEmbeddedStringLists[i];
        SCOPED_TRACE(std::string(list.type) + " " + list.name);
        platform::ResourceBytes found = platform::FindStringListResource(platform::OwnModule(), list.type, list.name);
        ASSERT_TRUE(found);
        ASSERT_EQ(found.size, list.size);
        EXPECT_EQ(std::memcmp(found.data, list.bytes, list.size), 0);
    }
    EXPECT_FALSE(platform::FindStringListResource(platform::OwnModule(), "LAB#", "+12345"));
    EXPECT_FALSE(platform::FindStringListResource(platform::OwnModule(), "ZZZ#", "+10109"));
}

}  // namespace
