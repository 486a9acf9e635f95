#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

TEST(GetLocalizedString, FindsTheEntryOfTheLanguageAndFallsBackOutsideTheList) {
    EXPECT_EQ(GetLocalizedString(kLabelList, 10109, 1), "Quandrel ");
    EXPECT_EQ(GetLocalizedString(kLabelList, 10109, 0), "??? 10109 ???");
    EXPECT_EQ(GetLocalizedString(kLabelList, 10109, 11), "??? 10109 ???");
    EXPECT_EQ(GetLocalizedString(kLabelList, 10109, -1), "??? 10109 ???");
    EXPECT_EQ(GetLocalizedString(kLabelList, 12345, 1), "??? 12345 ???");
    EXPECT_EQ(GetLocalizedString("XYZ#", 10109, 1), "??? 10109 ???");
    EXPECT_EQ(GetLocalizedString(kLabelList, -5, 1), "??? -5 ???");
    // The type chooses the list: the same number in another type is another text.
    EXPECT_EQ(GetLocalizedString(kMessageList, 10109, 1), "??? 10109 ???");
}

TEST(GetLocalizedString, KeepsCarriageReturnsAndAppliesFlagsToTheFallbackToo) {
    EXPECT_EQ(GetLocalizedString(kLabelList, 2039, 1), "Quandrel\rfor\rMicrosoft Windows Systems");
    EXPECT_EQ(GetLocalizedString(kLabelList, 2033, 1, TF_NO_AMPERSAND | TF_NO_PERIOD), "About");
    EXPECT_EQ(GetLocalizedString(kLabelList, 2033, 0, TF_NO_AMPERSAND | TF_NO_PERIOD), "??? 2033 ???");
    EXPECT_EQ(GetLocalizedString(kLabelList, 10098, 1, TF_NO_COLON), "Weight (gsm)");
    const int16_t french = FindLanguageIndex("French");
    EXPECT_EQ(GetLocalizedString(kLabelList, 10098, french), "Poids (g/m\xB2)\xA0:");
    EXPECT_EQ(GetLocalizedString(kLabelList, 10098, french, TF_NO_COLON), "Poids (g/m\xB2)");
    EXPECT_EQ(GetLocalizedString(kLabelList, 10064, 1, TF_NO_PERIOD), "&Save As");
}

TEST(GetLocalizedString, BufferFormNeverWritesPastItsCapacity) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    GetLocalizedString(kLabelList, 2039, 1, buffer, 6, 0);
    EXPECT_STREQ(buffer, "Quand");
    EXPECT_EQ(buffer[6], 'x');
    GetLocalizedString(kLabelList, 10109, 1, buffer, sizeof buffer, 0);
    EXPECT_STREQ(buffer, "Quandre");
    char big[64];
    GetLocalizedString(kVocabularyList, 8300, 6, big, sizeof big, 0);
    EXPECT_STREQ(big, "weiss");
}

TEST(GetStringListCount, IsTenForShippedListsAndZeroForMissingOnes) {
    EXPECT_EQ(GetStringListCount(kLanguageList, kLanguageListId), 10);
    EXPECT_EQ(GetStringListCount(kLabelList, 10109), 10);
    EXPECT_EQ(GetStringListCount(kVocabularyList, 8501), 10);
    EXPECT_EQ(GetStringListCount(kLabelList, 12345), 0);
    EXPECT_EQ(GetStringListCount("LNG#", 10001), 0);
}

TEST(FindLanguageIndex, MatchesTheEnglishNamesIgnoringAsciiCaseOnly) {
    struct Case {
        const char* name;
        int16_t index;
    } cases[] = {
        {"English", 1},  {"english", 1},  {"Danish", 2},   {"Dutch", 3},     {"Finnish", 4},
        {"French", 5},   {"German", 6},   {"GERMAN", 6},   {"german", 6},    {"Italian", 7},
        {"Norwegian", 8}, {"Spanish", 9}, {"Swedish", 10}, {"", -1},         {" German", -1},
        {"German ", -1}, {"Deutsch", -1}, {"Français", -1}, {"Svenska", -1}, {"Germa", -1},
        {"Germany", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FindLanguageIndex(c.name), c.index) << "name \"" << c.name << "\"";
}

TEST(ApplyTextFlags, DropsEveryMarkedCharacterAndAddsBlanks) {
    struct Case {
        const char* in;
        uint8_t flags;
        const char* out;
    } cases[] = {
        {"A&bout...", TF_NO_AMPERSAND | TF_NO_PERIOD, "About"},
        {"Weight (gsm):", TF_NO_COLON, "Weight (gsm)"},
        {"&Save As...", TF_NO_PERIOD, "&Save As"},
        {"Catalogs:", TF_LEADING_SPACE | TF_TRAILING_SPACE, " Catalogs: "},
        {"Fish && Chips", TF_NO_AMPERSAND, "Fish  Chips"},
        {"a:b:c.d&e", TF_NO_COLON | TF_NO_PERIOD | TF_NO_AMPERSAND, "abcde"},
        // A no-break space before a colon (French) goes with it; other blanks stay.
        {"Poids (g/m\xB2)\xA0:", TF_NO_COLON, "Poids (g/m\xB2)"},
        {"\xA0:", TF_NO_COLON | TF_LEADING_SPACE, " "},
        {"a\xA0\xA0:b\xA0z", TF_NO_COLON, "a\xA0" "b\xA0z"},
        {"Champ :", TF_NO_COLON, "Champ "},
        {"Champ\xA0:", TF_NO_AMPERSAND, "Champ\xA0:"},
        {"line\rnext\ttab", TF_NO_AMPERSAND | TF_NO_COLON | TF_NO_PERIOD, "line\rnext\ttab"},
        {"", TF_LEADING_SPACE, " "},
        {"&Open...", 0, "&Open..."},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        ApplyTextFlags(text, c.flags);
        EXPECT_EQ(text, c.out) << "input \"" << c.in << "\" flags " << int(c.flags);
    }
}

TEST(GetLocalizedString, NameBuiltFromTheIdentifierAsASigned16BitNumber) {
    // 10109 fits; the fallback shows the number exactly as the name is formed.
    EXPECT_EQ(GetLocalizedString(kLabelList, static_cast<int16_t>(-32768), 1), "??? -32768 ???");
    EXPECT_EQ(GetLocalizedString(kLabelList, 32767, 1), "??? 32767 ???");
}

}  // namespace
