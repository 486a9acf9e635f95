// The catalog file against the real profile functions: what ExportToFile
// writes in one pass must be the bytes that writing the header and banner and
// then calling WritePrivateProfileStringA once per paper leaves, and what
// ImportFromFile reads must be what GetPrivateProfileStringA reads.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "platform/ProfileFile.h"
#include "platform/ProfileWriter.h"
#include "state/AppState.h"
#include "tests/unit/PaperTestSupport.h"
#include "text/StringLists.h"

namespace fs = std::filesystem;

namespace {

struct PaperFields {
    std::string name, size, weight, color, type;
    bool forced;
};

std::string FormatKey(int index) {
    char key[32];
    std::snprintf(key, sizeof key, "%s%03hd", "Paper_", static_cast<short>(index));
    return key;
}

// Every consecutive non-empty "Paper_nnn" value of section "Papers", as the
// import reads them, through GetPrivateProfileStringA.
std::vector<std::string> ReferenceValues(const std::string& path) {
    std::vector<std::string> values;
    for (int n = 0;; ++n) {
        char buffer[128];
        DWORD length =
            GetPrivateProfileStringA("Papers", FormatKey(n).c_str(), "", buffer, sizeof buffer, path.c_str());
        if (length == 0) return values;
        values.emplace_back(buffer, length);
    }
}

class CatalogFileEqualityTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppState.Reset();
        AppState.CurrentLanguage = 1;
        // Fresh names on every run: the profile functions cache files by name.
        dir_ = fs::temp_directory_path() / ("quandrel-catfile-eq-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
        AppState.Reset();
    }

    std::string NewPath(const std::string& stem) {
        return (dir_ / (stem + "-" + std::to_string(++files_) + ".cat")).string();
    }

    static CPaperCatalog MakeCatalog(const std::vector<PaperFields>& papers) {
        CPaperCatalog catalog;
        for (const PaperFields& p : papers) {
            catalog.AddPaper(p.name, p.size, p.weight, p.color, p.type, p.forced, catalog.GetCount());
        }
        return catalog;
    }

    // The header and banner written byte by byte, then one
    // WritePrivateProfileStringA per paper.
    static void ReferenceExport(const CPaperCatalog& catalog, const std::string& path) {
        const std::string banner = GetLocalizedString(kMessageList, 3526, AppState.CurrentLanguage);
        const std::string b = ";     " + banner + "     ;\r\n";
        const int n = static_cast<int>(b.size());
        const std::string s = std::string(n - 2, ';') + "\r\n";
        std::vector<char> e(n + 8);
        std::snprintf(e.data(), e.size(), ";%*s;\r\n", n - 4, " ");
        char h[64];
        std::snprintf(h, sizeof h, "[%s]\r\n", "Paper Catalog");
        WriteFileBytes(path, h + s + e.data() + b + e.data() + s);

        for (int i = 0; i < catalog.GetCount(); ++i) {
            const CPaperDef paper = catalog.GetPaper(i);
            const std::string value = paper.GetText(PA_NAME) + "," + paper.GetText(PA_SIZE) + "," +
                                      paper.GetText(PA_WEIGHT) + "," + paper.GetText(PA_COLOR) + "," +
                                      paper.GetText(PA_TYPE) + "," + (paper.GetFlag(PA_FORCE_ONE_SIDED) ? "T" : "F");
            WritePrivateProfileStringA("Papers", FormatKey(i).c_str(), value.c_str(), path.c_str());
        }
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    }

    void ExpectSameExport(const CPaperCatalog& catalog, const char* file, int line) {
        SCOPED_TRACE(::testing::Message() << "called from " << file << ":" << line);
        const std::string ours = NewPath("ours");
        const std::string theirs = NewPath("theirs");
        ASSERT_TRUE(catalog.ExportToFile(ours));
        ReferenceExport(catalog, theirs);
        const std::string expected = ReadFileBytes(theirs);
        const std::string actual = ReadFileBytes(ours);
        const size_t common = std::min(actual.size(), expected.size());
        const size_t first = static_cast<size_t>(
            std::mismatch(actual.begin(), actual.begin() + common, expected.begin()).first - actual.begin());
        EXPECT_TRUE(actual == expected) << "sizes " << actual.size() << " and " << expected.size()
                                        << ", first difference at byte " << first << ":\n  ours:   "
                                        << ::testing::PrintToString(actual.substr(first, 40)) << "\n  theirs: "
                                        << ::testing::PrintToString(expected.substr(first, 40));
    }

    fs::path dir_;
    int files_ = 0;
};

#define EXPECT_SAME_EXPORT(catalog) ExpectSameExport(catalog, __FILE__, __LINE__)

TEST_F(CatalogFileEqualityTest, ExportWritesWhatTheProfileFunctionsLeave) {
    EXPECT_SAME_EXPORT(CPaperCatalog());
    EXPECT_SAME_EXPORT(MakeCatalog({{"Letter", "LETTER", "75", "white", "plain", false},
                                    {"Blue Cover", "TABLOID", "160", "blue", "cover", true}}));
    // Texts the editor would not make but the registry can hold.
    EXPECT_SAME_EXPORT(MakeCatalog({
        {"  Leading blanks", "A4", "80", "white", "plain", false},
        {"\t\x1a" "Tab and Ctrl-Z", "A4", "80", "white", "plain", true},
        {"", "", "", "", "", false},
        {"Trailing blanks  ", "A4", "80", "  white  ", "plain ", true},
        {"\"Quoted\"", "A4", "80", "white", "plain", false},
        {";Semicolon", "A4", "80", "white", "plain", false},
        {"[Papers]", "A4", "80", "white", "plain", false},
        {"a=b", "A4=", "=80", "white", "plain", false},
        {"\xC9t\xE9 \x80\x81\x8D\xA0\xFF", "A4", "80", "bleu fonc\xE9", "\x9C", true},
        {"\x1c" "Control", "A4", "80", "white", "plain", false},
        {std::string(200, 'L'), "A4", "80", "white", "plain", true},
    }));
}

TEST_F(CatalogFileEqualityTest, ExportWithTheFrenchBannerWritesWhatTheProfileFunctionsLeave) {
    AppState.CurrentLanguage = 5;
    EXPECT_SAME_EXPORT(MakeCatalog({{"A4", "A4", "80", "blanc", "simple", false},
                                    {"Contrat", "LEGAL", "90", "jaune", "couverture", true}}));
    EXPECT_SAME_EXPORT(CPaperCatalog());
}

TEST_F(CatalogFileEqualityTest, ExportOf1001PapersWritesWhatTheProfileFunctionsLeave) {
    std::vector<PaperFields> papers;
    for (int i = 0; i < 1001; ++i) {
        papers.push_back({"Paper " + std::to_string(i), PageSizeTable[static_cast<size_t>(i) % 9].Keyword,
                          std::to_string(60 + i % 200), "white", "plain", i % 4 == 1});
    }
    EXPECT_SAME_EXPORT(MakeCatalog(papers));
}

// The writer on its own, with the value forms measured for it.
TEST_F(CatalogFileEqualityTest, ProfileWriterWritesWhatTheProfileFunctionsLeave) {
    const std::vector<std::string> values = {
        "plain", "", " \t blanks and tabs \t ", "\v\f\x1a" "x\x1a\f\v", "\x1c" "x\x1f", "\"a=b;c\"", "'single'",
        "\xE9t\xE9 \x80\xA0\xFF", "\r\nends\r\n", std::string(300, 'v'),
    };
    const std::string prefix = "[Head]\r\n;comment line\r\n;\r\n";
    platform::ProfileWriter writer(prefix, "Section");
    const std::string theirs = NewPath("writer");
    WriteFileBytes(theirs, prefix);
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string key = "Key" + std::to_string(i);
        writer.Add(key, values[i]);
        WritePrivateProfileStringA("Section", key.c_str(), values[i].c_str(), theirs.c_str());
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, theirs.c_str());
    EXPECT_EQ(writer.Bytes(), ReadFileBytes(theirs));
}

// WritePrivateProfileStringA writes a line break inside a value as it is, so
// the rest of the value becomes lines of its own and can pose as another
// paper. The writer turns it into a blank instead.
TEST_F(CatalogFileEqualityTest, ALineBreakInsideANameCannotAddAPaper) {
    const CPaperCatalog catalog = MakeCatalog({{"X\r\nPaper_001=Injected", "A4", "80", "white", "plain", false},
                                               {"Real", "A4", "80", "white", "plain", false}});
    const std::string path = NewPath("linebreak");
    ASSERT_TRUE(catalog.ExportToFile(path));
    EXPECT_EQ(ReferenceValues(path),
              (std::vector<std::string>{"X  Paper_001=Injected,A4,80,white,plain,F", "Real,A4,80,white,plain,F"}));
}

// Hand-edited files: the values GetPrivateProfileStringA gives for
// Paper_000, Paper_001, ... are written out in each case, so a difference
// between Wine and these expectations shows too.
TEST_F(CatalogFileEqualityTest, ImportReadsWhatGetPrivateProfileStringReads) {
    const std::string h = "[Paper Catalog]\r\n";
    struct Case {
        const char* label;
        std::string bytes;
        int16_t check;
        std::vector<std::string> values;
    };
    const std::vector<Case> cases = {
        {"comments", h + ";banner\r\n[Papers]\r\n;Paper_000=commented\r\nPaper_000=A,A4\r\n;x\r\nPaper_001=B,A4\r\n",
         STORE_OK, {"A,A4", "B,A4"}},
        {"number sign is no comment", h + "[Papers]\r\n#Paper_000=x\r\nPaper_000=A\r\n", STORE_OK, {"A"}},
        {"blank lines", h + "\r\n\r\n[Papers]\r\n\r\nPaper_000=A\r\n\r\n\r\nPaper_001=B\r\n\r\n", STORE_OK, {"A", "B"}},
        {"case of section and keys", h + "[PAPERS]\r\npaper_000=A\r\nPAPER_001=B\r\npApEr_002=C\r\n", STORE_OK,
         {"A", "B", "C"}},
        {"blanks around names and =", h + "[ Papers ]\r\n  Paper_000  =  A b  \r\n\tPaper_001\t=\tC\t\r\n", STORE_OK,
         {"A b", "C"}},
        {"key twice", h + "[Papers]\r\nPaper_000=First\r\nPaper_001=B\r\nPaper_000=Second\r\n", STORE_OK,
         {"First", "B"}},
        {"second Papers section",
         h + "[Papers]\r\nPaper_000=A\r\n[Other]\r\nPaper_001=O\r\n[Papers]\r\nPaper_001=B\r\n", STORE_OK, {"A"}},
        {"second section, other case", h + "[papers]\r\nPaper_000=A\r\n[PAPERS]\r\nPaper_001=B\r\n", STORE_OK, {"A"}},
        {"quotes", h + "[Papers]\r\nPaper_000=\"A,B\"\r\nPaper_001=\"C\r\nPaper_002='D'\r\nPaper_003=E\"\r\n",
         STORE_OK, {"A,B", "\"C", "D", "E\""}},
        {"line ends", h + "[Papers]\nPaper_000=A\nPaper_001=B\rPaper_002=C\r\nPaper_003=D", STORE_OK,
         {"A", "B", "C", "D"}},
        {"long value", h + "[Papers]\r\nPaper_000=" + std::string(200, 'y') + "\r\n", STORE_OK,
         {std::string(127, 'y')}},
        {"line without =", h + "[Papers]\r\nPaper_000\r\nPaper_001=B\r\n", IMPORT_FILE_INCOMPATIBLE, {}},
        {"empty first value", h + "[Papers]\r\nPaper_000=\r\nPaper_001=B\r\n", IMPORT_FILE_INCOMPATIBLE, {}},
        {"text after the section name", h + "[Papers] notes\r\nPaper_000=A\r\n", STORE_OK, {"A"}},
        {"unclosed section name", h + "[Papers\r\nPaper_000=A\r\n", IMPORT_FILE_INCOMPATIBLE, {}},
        {"keys in the header section", h + "Paper_000=A\r\n", IMPORT_FILE_INCOMPATIBLE, {}},
        {"Ctrl-Z", h + "[Papers]\r\nPaper_000=A\x1a\r\nPaper_001=\x1a" "B\r\n", STORE_OK, {"A", "B"}},
        {"gap", h + "[Papers]\r\nPaper_000=A\r\nPaper_001=B\r\nPaper_003=D\r\n", STORE_OK, {"A", "B"}},
        {"lower-case header", "[paper catalog]\r\n[Papers]\r\nPaper_000=A\r\n", IMPORT_FILE_INCOMPATIBLE, {"A"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = NewPath("import");
        WriteFileBytes(path, c.bytes);

        const std::vector<std::string> reference = ReferenceValues(path);
        EXPECT_EQ(reference, c.values);

        const platform::ProfileFile ours = platform::ProfileFile::Load(path);
        for (int n = 0; n <= static_cast<int>(reference.size()) + 2; ++n) {
            char buffer[128];
            DWORD length = GetPrivateProfileStringA("Papers", FormatKey(n).c_str(), "", buffer, sizeof buffer,
                                                    path.c_str());
            EXPECT_EQ(ours.GetString("Papers", FormatKey(n), "", 128), std::string(buffer, length)) << FormatKey(n);
        }

        const bool headerFirst = ReadFileBytes(path).compare(0, 15, "[Paper Catalog]") == 0;
        const int16_t referenceCheck = headerFirst && !reference.empty() ? STORE_OK : IMPORT_FILE_INCOMPATIBLE;
        EXPECT_EQ(CPaperCatalog().CheckImportFile(path), referenceCheck);
        EXPECT_EQ(referenceCheck, c.check);

        // The same values in a file without any of the awkward layout import alike.
        std::string plain = h + "[Papers]\r\n";
        for (size_t n = 0; n < reference.size(); ++n) {
            plain += FormatKey(static_cast<int>(n)) + "=" + reference[n] + "\r\n";
        }
        const std::string plainPath = NewPath("plain");
        WriteFileBytes(plainPath, plain);
        ASSERT_EQ(ReferenceValues(plainPath), reference);
        CPaperCatalog imported, expected;
        imported.ImportFromFile(path);
        expected.ImportFromFile(plainPath);
        EXPECT_EQ(imported.GetCount(), static_cast<int>(reference.size()));
        EXPECT_EQ(DescribeAll(imported), DescribeAll(expected));
    }
}

}  // namespace
