#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProfileFile.h"

using namespace std::string_literals;
using platform::ProfileFile;

namespace {

// A default that no file in these tables holds, so a miss shows.
const char* const kMiss = "<default>";

struct LookupCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;
};

void ExpectLookups(const std::vector<LookupCase>& cases) {
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ProfileFile file = ProfileFile::Parse(c.file);
        std::string out = "left over";
        const size_t length = file.GetString(c.section, c.key, kMiss, 256, out);
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(length, c.expected.size());
    }
}

TEST(ProfileFileTest, NamesMatchWithoutRegardToAsciiCaseAndSurroundingBlanks) {
    ExpectLookups({
        {"letter case", "[Sec]\r\nKey=Value\r\n", "sEC", "KEY", "Value"},
        {"blanks in the file", "[ Sec\t]\r\n  Key \t=v\r\n", "Sec", "Key", "v"},
        {"blanks asked for", "[Sec]\r\nKey=v\r\n", " Sec\t", "\tKey  ", "v"},
        {"other blanks asked for", "[Sec]\r\nKey=v\r\n", "\vSec\x1a", "\fKey\r\n", "v"},
        {"a control character is no blank", "[Sec]\r\nKey=v\r\n", "Sec", "Key\x01", kMiss},
        {"inner blanks count", "[S]\r\nb c=v\r\n", "S", "b  c", kMiss},
        {"accented letters keep their case", "[Sec\xE9]\r\nK\xE9y=1\r\n", "SEC\xC9", "k\xE9y", kMiss},
        {"accented letters match exactly", "[Sec\xE9]\r\nK\xE9y=1\r\n", "SEC\xE9", "k\xE9Y", "1"},
        {"Catalog_1 is not Catalog_01", "[S]\r\nCatalog_1=a\r\n", "S", "Catalog_01", kMiss},
        {"Catalog_01 is not Catalog_1", "[S]\r\nCatalog_01=a\r\n", "S", "Catalog_1", kMiss},
        {"empty key name", "[S]\r\n=v\r\n", "S", "", "v"},
        {"empty key name asked as blanks", "[S]\r\n  =v\r\n", "S", " ", "v"},
        {"a NUL ends the name asked for", "[S]\r\nk=v\r\n", "S\0junk"s, "k\0junk"s, "v"},
    });
}

TEST(ProfileFileTest, SectionHeaders) {
    ExpectLookups({
        {"text after the bracket", "[Tr]ail\r\nc=3\r\n", "Tr", "c", "3"},
        {"two closing brackets", "[Two]]\r\nb=2\r\n", "Two]", "b", "2"},
        {"two closing brackets, short name", "[Two]]\r\nb=2\r\n", "Two", "b", kMiss},
        {"runs to the last bracket", "[x]y]z\r\ng=7\r\n", "x]y", "g", "7"},
        {"no closing bracket: a key line", "[S]\r\n[Op\r\nd=4\r\n", "S", "d", "4"},
        {"no closing bracket: not a section", "[S]\r\n[Op\r\nd=4\r\n", "Op", "d", kMiss},
        {"no closing bracket: a key with a value", "[S]\r\n[Op=x\r\n", "S", "[Op", "x"},
        {"indented header", "\t [S]\r\na=1\r\n", "S", "a", "1"},
        {"'=' inside a header", "[a=b]\r\nk=1\r\n", "a=b", "k", "1"},
        {"only the first of duplicate sections", "[S]\r\na=1\r\n[T]\r\n[s]\r\na=2\r\nc=4\r\n", "S", "a", "1"},
        {"a duplicate section is not searched", "[S]\r\na=1\r\n[T]\r\n[s]\r\na=2\r\nc=4\r\n", "S", "c", kMiss},
        {"a blank-padded duplicate", "[S]\r\n[ S ]\r\nd=5\r\n", "S", "d", kMiss},
        {"keys before any section", "a=1\r\n[S]\r\nb=2\r\n", "", "a", kMiss},
        {"keys before any section stay out", "a=1\r\n[S]\r\nb=2\r\n", "S", "a", kMiss},
        {"[] is the section \"\"", "a=1\r\n[]\r\nb=2\r\n[ ]\r\nc=3\r\n", "", "b", "2"},
        {"[ ] repeats [] ", "a=1\r\n[]\r\nb=2\r\n[ ]\r\nc=3\r\n", "", "c", kMiss},
        {"a NUL ends a section name", "[T\0]\r\na=1\r\n"s, "T", "a", "1"},
        {"trimmed before the NUL", "[ U\0 ]\r\nb=2\r\n"s, "U", "b", "2"},
        {"a blank before the NUL stays", "[T \0]\r\na=1\r\n"s, "T", "a", kMiss},
    });
}

TEST(ProfileFileTest, KeysAndValues) {
    ExpectLookups({
        {"blanks and tabs around the value", "[S]\r\n k\t=\t v v \t\r\n", "S", "k", "v v"},
        {"only the first '=' splits", "[S]\r\na==b=c\r\n", "S", "a", "=b=c"},
        {"no comment after a value", "[S]\r\ne=5 ;x\r\n", "S", "e", "5 ;x"},
        {"a ';' line is a key", "[S]\r\n;c=3\r\n", "S", ";c", "3"},
        {"a ';' line hides nothing", "[S]\r\n;c=3\r\n", "S", "c", kMiss},
        {"a '#' line is a key", "[S]\r\n#d=4\r\n", "S", "#d", "4"},
        {"k= is empty, not the default", "[S]\r\nk=\r\n", "S", "k", ""},
        {"k = with blanks is empty", "[S]\r\nk =  \t\r\n", "S", "k", ""},
        {"a key without '='", "[S]\r\nk\r\n", "S", "k", kMiss},
        {"a key without '=' hides a later one", "[S]\r\nk\r\nk=1\r\n", "S", "k", kMiss},
        {"the first duplicate key wins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1"},
        {"blank lines make no key", "[S]\r\n  \r\n\t\r\n\x1a\r\n=x\r\n", "S", "", "x"},
        {"value cut at a NUL, blanks before it kept", "[S]\r\nk = v \0 w \r\n"s, "S", "k", "v "},
        {"a NUL ends a key name", "[S]\r\nb\0c=2\r\n"s, "S", "b", "2"},
        {"a blank before the NUL stays in the name", "[S]\r\nb \0=2\r\n"s, "S", "b", kMiss},
        {"a NUL starting a line makes the name empty", "[S]\r\n\0c=3\r\n"s, "S", "", "3"},
        {"bytes >= 0x80 and no-break space kept", "[\x80\xFF]\r\n\xE9=\x81\x8D \xA0\r\n", "\x80\xFF", "\xE9",
         "\x81\x8D \xA0"},
        {"Ctrl-Z trimmed", "[S]\r\n\x1a\x1a\r\nb=2\x1a\r\n", "S", "b", "2"},
        {"vertical tab and form feed trimmed", "[S]\r\nb=\v2\f\r\n", "S", "b", "2"},
    });
}

TEST(ProfileFileTest, OnePairOfMatchingQuotesIsRemoved) {
    const struct {
        const char* value;
        const char* expected;
    } cases[] = {
        {"\"ab\"", "ab"},       {"'ab'", "ab"},         {"\"ab'", "\"ab'"}, {"\"", "\""},
        {"'", "'"},             {"\"x\"", "x"},         {"\"\"", ""},       {"''", ""},
        {"\"a", "\"a"},         {"a\"", "a\""},         {"\"a\"b\"", "a\"b"}, {"a\"b\"", "a\"b\""},
        {"\" a b \"", " a b "}, {"\"\"x\"\"", "\"x\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const ProfileFile file = ProfileFile::Parse("[S]\r\nk="s + c.value + "\r\n");
        EXPECT_EQ(file.GetString("S", "k", kMiss, 256), c.expected);
    }
}

TEST(ProfileFileTest, LineEnds) {
    const char* const files[] = {
        "[S]\r\na=1\r\nb=2\r\n",  // CR LF
        "[S]\na=1\nb=2\n",        // LF
        "[S]\ra=1\rb=2\r",        // CR only
        "[S]\ra=1\nb=2",          // mixed, no newline at the end
        "[S]\n\ra=1\n\rb=2\n\r",  // LF CR
        "[S]\r\r\na=1\r\r\nb=2",
    };
    for (const char* bytes : files) {
        SCOPED_TRACE(::testing::PrintToString(std::string(bytes)));
        const ProfileFile file = ProfileFile::Parse(bytes);
        EXPECT_EQ(file.GetString("S", "a", kMiss, 32), "1");
        EXPECT_EQ(file.GetString("S", "b", kMiss, 32), "2");
    }
}

TEST(ProfileFileTest, ValuesAreCutToCapacityMinusOne) {
    const std::string longValue(100000, 'x');
    const ProfileFile file =
        ProfileFile::Parse("[S]\r\nten=0123456789\r\nlong=" + longValue + "\r\nq=\"ab\"\r\none=\"x\"\r\nafter=1");
    const struct {
        const char* key;
        size_t capacity;
        std::string expected;
    } cases[] = {
        {"ten", 1, ""},
        {"ten", 2, "0"},
        {"ten", 10, "012345678"},
        {"ten", 11, "0123456789"},
        {"ten", 1000, "0123456789"},
        {"long", 32, std::string(31, 'x')},
        {"long", 64, std::string(63, 'x')},
        {"long", 128, std::string(127, 'x')},
        {"long", 256, std::string(255, 'x')},
        {"long", 200000, longValue},
        {"after", 32, "1"},
        // The closing quote is cut with the rest; when the buffer is one short
        // of the quoted text, one more character goes (measured so).
        {"q", 1, ""},
        {"q", 2, "a"},
        {"q", 3, "a"},
        {"q", 4, "ab"},
        {"q", 5, "ab"},
        {"one", 2, ""},
        {"one", 3, "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " capacity " + std::to_string(c.capacity));
        std::string out;
        EXPECT_EQ(file.GetString("S", c.key, kMiss, c.capacity, out), c.expected.size());
        EXPECT_EQ(out, c.expected);
    }
}

TEST(ProfileFileTest, CapacityZeroGivesNothing) {
    const ProfileFile file = ProfileFile::Parse("[S]\r\nk=value\r\n");
    std::string out = "left over";
    EXPECT_EQ(file.GetString("S", "k", "default", 0, out), 0u);
    EXPECT_EQ(out, "");
    out = "left over";
    EXPECT_EQ(file.GetString("S", "missing", "default", 0, out), 0u);
    EXPECT_EQ(out, "");
}

TEST(ProfileFileTest, TheDefaultLosesTrailingBlanksAndQuotes) {
    const ProfileFile present = ProfileFile::Parse("[S]\r\nk=v\r\n");
    const ProfileFile missing = ProfileFile::Load("/nonexistent/quandrel/none.ini");
    const struct {
        std::string defaultValue;
        size_t capacity;
        const char* expected;
    } cases[] = {
        {"def  ", 32, "def"},
        {"one two  ", 32, "one two"},
        {"  def\t", 32, "  def\t"},
        {"def\t ", 32, "def\t"},
        {"   ", 32, " "},
        {"", 32, ""},
        {"\"def\"", 32, "def"},
        {"\"def\"", 5, "def"},
        {"\"def\"", 4, "de"},
        {"\"a\"  ", 32, "a"},
        {"\"", 32, "\""},
        {"0123456789", 5, "0123"},
        {"ab\0cd"s, 32, "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.defaultValue) + " capacity " + std::to_string(c.capacity));
        EXPECT_EQ(present.GetString("S", "absent", c.defaultValue, c.capacity), c.expected);
        EXPECT_EQ(present.GetString("Absent", "k", c.defaultValue, c.capacity), c.expected);
        EXPECT_EQ(missing.GetString("S", "k", c.defaultValue, c.capacity), c.expected);
    }
}

TEST(ProfileFileTest, GetIntReadsLeadingDigits) {
    const int32_t kDefault = -7;
    const struct {
        std::string value;
        int32_t expected;
    } cases[] = {
        {"12", 12},
        {"+12", 12},
        {"-12", -12},
        {"  12", 12},
        {"12abc", 12},
        {"12.7", 12},
        {"1 2", 1},
        {"abc", 0},
        {"", kDefault},
        {"''", kDefault},
        {"\"42\"", 42},
        {"'-3'", -3},
        {"\"42", 0},
        {"- 5", 0},
        {"+-5", 0},
        {"-", 0},
        {"\x01\x02 5", 5},
        {"4294967295", -1},
        {"4294967296", 0},
        {"4294967297", 1},
        {"2147483648", std::numeric_limits<int32_t>::min()},
        {"-2147483649", std::numeric_limits<int32_t>::max()},
        {"99999999999999999999", 1661992959},
        {"0x1A", 26},
        {"0xFFFFFFFFF", -1},
        {"-0x10", -16},
        {"0X1a", 0},
        {"0x", 0},
        {"0xg", 0},
        {"0b101", 5},
        {"0b2", 0},
        {"0o17", 15},
        {"017", 17},
        // Only the first 29 characters are read.
        {std::string(27, '0') + "42", 42},
        {std::string(28, '0') + "42", 4},
        {std::string(33, '0') + "42", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.value));
        const ProfileFile file = ProfileFile::Parse("[Limits]\r\nWeight=" + c.value + "\r\n");
        EXPECT_EQ(file.GetInt("limits", "WEIGHT", kDefault), c.expected);
    }
    const ProfileFile file = ProfileFile::Parse("[Limits]\r\nNoEquals\r\n");
    EXPECT_EQ(file.GetInt("Limits", "NoEquals", 60), 60);
    EXPECT_EQ(file.GetInt("Limits", "Absent", 200), 200);
    EXPECT_EQ(file.GetInt("Absent", "Absent", std::numeric_limits<int32_t>::min()),
              std::numeric_limits<int32_t>::min());
}

// Windows reads a UTF-8 byte-order mark as three characters of the first
// line, so a header right after it is no header.
TEST(ProfileFileTest, AUtf8ByteOrderMarkIsText) {
    const ProfileFile file =
        ProfileFile::Parse("\xEF\xBB\xBF[I18N]\r\nLanguage=English\r\n[Limits]\r\nMinimumPaperWeight=64\r\n");
    EXPECT_FALSE(file.HasSection("I18N"));
    EXPECT_EQ(file.GetString("I18N", "Language", kMiss, 32), kMiss);
    EXPECT_EQ(file.GetString("\xEF\xBB\xBF[I18N]", "Language", kMiss, 32), kMiss);
    EXPECT_EQ(file.GetInt("Limits", "MinimumPaperWeight", 60), 64);
}

TEST(ProfileFileTest, Utf16FilesAreReadInCodePage1252) {
    // "[S]\r\na=é€ā\r\n[Été]\r\nb=1" in UTF-16, with either byte order.
    const std::vector<uint16_t> units = {'[', 'S', ']', '\r', '\n', 'a', '=', 0xE9, 0x20AC, 0x0101, 0xD83D, 0xDE00,
                                         '\r', '\n', '[', 0xC9, 't', 0xE9, ']', '\r', '\n', 'b', '=', '1'};
    for (const bool littleEndian : {true, false}) {
        SCOPED_TRACE(littleEndian ? "little-endian" : "big-endian");
        std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
        for (const uint16_t unit : units) {
            const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
            bytes += littleEndian ? std::string{low, high} : std::string{high, low};
        }
        bytes += 'x';  // an odd byte at the end is ignored
        const ProfileFile file = ProfileFile::Parse(bytes);
        EXPECT_EQ(file.GetString("S", "a", kMiss, 32), "\xE9\x80???");
        EXPECT_EQ(file.GetString("\xC9t\xE9", "b", kMiss, 32), "1");
    }
}

TEST(ProfileFileTest, HasSection) {
    const ProfileFile file = ProfileFile::Parse("k=v\r\n[ Papers ]\r\n[Empty]\r\n[Op\r\n[]\r\n");
    EXPECT_TRUE(file.HasSection("papers"));
    EXPECT_TRUE(file.HasSection("EMPTY"));
    EXPECT_TRUE(file.HasSection(""));
    EXPECT_FALSE(file.HasSection("Op"));
    EXPECT_FALSE(ProfileFile::Parse("k=v\r\n[S]\r\n").HasSection(""));
}

TEST(ProfileFileTest, LoadReadsTheFileAsParseDoes) {
    const auto path = std::filesystem::temp_directory_path() / "quandrel-profilefile-load.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << "[Papers]\r\nPaper_000=Letter,LETTER,75,white,plain,F\r\nPaper\0_001=x\r\n"s;
    }
    const ProfileFile file = ProfileFile::Load(path.string());
    std::filesystem::remove(path);
    EXPECT_EQ(file.GetString("Papers", "Paper_000", "", 128), "Letter,LETTER,75,white,plain,F");
    EXPECT_EQ(file.GetString("Papers", "Paper", "", 128), "x");
    EXPECT_FALSE(ProfileFile::Load(path.string()).HasSection("Papers"));
}

TEST(ProfileFileTest, AMovedFromFileReadsAsEmpty) {
    ProfileFile file = ProfileFile::Parse("[S]\r\nk=v\r\n");
    ProfileFile other = std::move(file);
    EXPECT_EQ(other.GetString("S", "k", "", 32), "v");
    EXPECT_EQ(file.GetString("S", "k", "d", 32), "d");  // NOLINT(bugprone-use-after-move)
    EXPECT_FALSE(file.HasSection("S"));                 // NOLINT(bugprone-use-after-move)
    file = std::move(other);
    EXPECT_EQ(file.GetInt("S", "k", 5), 0);
}

std::string NumberedKeys(int count) {
    std::string bytes = "[Papers]\r\n";
    for (int i = 0; i < count; ++i) bytes += "Paper_" + std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
    return bytes;
}

// Every key of a large file is found, each with its own value (the timing of
// it is the benchmark's, not a test's).
TEST(ProfileFileTest, FindsEveryKeyOfALargeFile) {
    const int count = 30000;
    const ProfileFile file = ProfileFile::Parse(NumberedKeys(count));
    int found = 0;
    for (int i = 0; i < count; ++i) {
        found += file.GetString("Papers", "Paper_" + std::to_string(i), "", 128) == "v" + std::to_string(i);
    }
    EXPECT_EQ(found, count);
}

void ExpectSaneAnswers(const ProfileFile& file, const std::vector<std::string>& names) {
    for (const std::string& section : names) {
        for (const std::string& key : names) {
            for (const size_t capacity : {size_t{1}, size_t{2}, size_t{3}, size_t{32}}) {
                std::string out;
                const size_t length = file.GetString(section, key, "\"d\"", capacity, out);
                ASSERT_EQ(length, out.size());
                ASSERT_LT(length, capacity);
                ASSERT_EQ(out.find('\0'), std::string::npos);
            }
            file.GetInt(section, key, 1);
        }
    }
}

// Any bytes at all: no crash, no hang, and every answer fits its buffer.
TEST(ProfileFileTest, AnyBytesGiveAnswersThatFit) {
    const std::string alphabet = "[]=;#\"' \t\v\f\x1a\r\n\r\nabAB01-+x\x80\xE9\xFF\xFE"s + '\0';
    const std::vector<std::string> names = {"", "a", "A", "b", "ab", "[a", "a]", "0", "\xE9"};
    std::mt19937 random(20240611);
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 600, ' ');
        for (char& c : bytes) c = alphabet[random() % alphabet.size()];
        SCOPED_TRACE(::testing::PrintToString(bytes));
        ExpectSaneAnswers(ProfileFile::Parse(bytes), names);
    }
    for (const char c : {'[', ']', '=', '\r', '\n', '\0', '"'}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(1, c)));
        ExpectSaneAnswers(ProfileFile::Parse(std::string(1 << 18, c)), names);
    }
    ExpectSaneAnswers(ProfileFile::Parse("\xFF\xFE"), names);
    ExpectSaneAnswers(ProfileFile::Parse("\xFE"), names);
}

}  // namespace
