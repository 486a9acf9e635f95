#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Elevation.h"
#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace {

// Names with blanks, quotes and trailing backslashes reach the companion as
// they were: catalog names and folders may hold any of them.
TEST(ElevationTest, ArgumentsAreQuotedSoThatTheyComeBackUnchanged) {
    const struct {
        std::string argument;
        std::string quoted;
    } cases[] = {
        {"plain", "plain"},
        {"", "\"\""},
        {"Office PostScript", "\"Office PostScript\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\My Files\\", "\"C:\\My Files\\\\\""},
        {"a\\\\\"b c", "\"a\\\\\\\\\\\"b c\""},
        {"C:\\Temp\\Vel1.tmp", "C:\\Temp\\Vel1.tmp"},
    };
    std::string line = "VellicorCmd.exe";
    for (const auto& c : cases) {
        EXPECT_EQ(platform::QuoteArgument(c.argument), c.quoted) << c.argument;
        line += " " + platform::QuoteArgument(c.argument);
    }
#ifdef _WIN32
    int count = 0;
    const std::wstring wide(line.begin(), line.end());
    LPWSTR* arguments = CommandLineToArgvW(wide.c_str(), &count);
    ASSERT_NE(arguments, nullptr);
    ASSERT_EQ(count, static_cast<int>(std::size(cases)) + 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::wstring back = arguments[i + 1];
        EXPECT_EQ(std::string(back.begin(), back.end()), cases[i].argument);
    }
    LocalFree(arguments);
#endif
}

}  // namespace
