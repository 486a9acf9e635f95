#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/ProfileFile.h"
#include "platform/ProfileWriter.h"

namespace {

TEST(ProfileWriter, WithoutKeysLeavesThePrefixAloneAndWithKeysAppendsOneSection) {
    platform::ProfileWriter none("[Head]\r\n;note\r\n", "Papers");
    EXPECT_EQ(none.Bytes(), "[Head]\r\n;note\r\n");

    platform::ProfileWriter two("[Head]\r\n", "Papers");
    two.Add("B", "2");
    two.Add("A", "1");
    EXPECT_EQ(two.Bytes(), "[Head]\r\n[Papers]\r\nB=2\r\nA=1\r\n");
}

// Value forms measured against WritePrivateProfileStringA (the Windows build
// checks them against the real function in win_tests).
TEST(ProfileWriter, WritesValuesAsTheProfileFunctionsLeaveThem) {
    struct Case {
        const char* label;
        std::string value;
        std::string written;
    };
    const std::vector<Case> cases = {
        {"plain", "Letter,LETTER,75,white,plain,F", "Letter,LETTER,75,white,plain,F"},
        {"empty", "", ""},
        {"blanks and tabs at the ends", " \t a b \t ", "a b"},
        {"vertical tab, form feed, Ctrl-Z", "\v\f\x1a" "x\x1a\f\v", "x"},
        {"other control characters kept", "\x1c" "x\x1f", "\x1c" "x\x1f"},
        {"quotes, equals and semicolons kept", "\"a=b;c\"", "\"a=b;c\""},
        {"code page 1252 bytes kept", "\xE9t\xE9 \x80\xA0\xFF", "\xE9t\xE9 \x80\xA0\xFF"},
        {"cut at a NUL", std::string("ab\0cd", 5), "ab"},
        {"line breaks at the ends", "\r\nx\r\n", "x"},
        {"line breaks inside become blanks", "a\r\nb\rc\nd", "a  b c d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        platform::ProfileWriter writer("", "S");
        writer.Add("k", c.value);
        EXPECT_EQ(writer.Bytes(), "[S]\r\nk=" + c.written + "\r\n");
    }
}

// A line break inside a value must not let the rest of it pose as another key.
TEST(ProfileWriter, ALineBreakInsideAValueCannotAddAKey) {
    platform::ProfileWriter writer("", "Papers");
    writer.Add("Paper_000", "X\r\nPaper_001=Injected");
    writer.Add("Paper_001", "Real");
    const platform::ProfileFile file = platform::ProfileFile::Parse(writer.Bytes());
    EXPECT_EQ(file.GetString("Papers", "Paper_000", "", 128), "X  Paper_001=Injected");
    EXPECT_EQ(file.GetString("Papers", "Paper_001", "", 128), "Real");
}

}  // namespace
