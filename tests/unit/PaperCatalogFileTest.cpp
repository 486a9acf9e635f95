#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>

#include <csignal>
#endif

#include "catalog/PaperCatalog.h"
#include "catalog/PaperTable.h"
#include "catalog/CatalogBackup.h"
#include "catalog/PaperDef.h"
#include "platform/FileReplace.h"
#include "state/AppState.h"
#include "tests/unit/PaperTestSupport.h"

namespace fs = std::filesystem;

namespace {

const std::string kHeader = "[Paper Catalog]\r\n";
const std::string kEnglishBanner = "Warning: Editing this file may cause unpredictable results.";
// MSG# 3526 in French, code page 1252.
const std::string kFrenchBanner =
    "Avertissement\xA0: la modification de ce fichier peut donner des r\xE9sultats impr\xE9visibles.";

struct PaperFields {
    std::string name, size, weight, color, type;
    bool forced;
};

class CatalogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppState.Reset();
        AppState.CurrentLanguage = 1;
        dir_ = fs::temp_directory_path() /
               ("quandrel-catfile-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::remove_all(dir_);
        AppState.Reset();
    }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    std::vector<std::string> DirectoryEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
        return names;
    }

    static CPaperCatalog MakeCatalog(const std::vector<PaperFields>& papers) {
        CPaperCatalog catalog;
        for (const PaperFields& p : papers) {
            catalog.AddPaper(p.name, p.size, p.weight, p.color, p.type, p.forced, catalog.GetCount());
        }
        return catalog;
    }

    // A catalog file holding exactly these "Paper_nnn" lines after a plain header.
    std::string WriteCatalogFile(const std::string& name, const std::string& paperLines) {
        const std::string path = PathOf(name);
        WriteFileBytes(path, kHeader + ";\r\n[Papers]\r\n" + paperLines);
        return path;
    }

    std::string ImportedFrom(const std::string& path) {
        CPaperCatalog catalog;
        catalog.ImportFromFile(path);
        return DescribeAll(catalog);
    }

    fs::path dir_;
};

// The six header and banner lines for a banner text.
std::string Banner(const std::string& text) {
    const size_t width = text.size() + 12;
    return kHeader + std::string(width, ';') + "\r\n" + ";" + std::string(width - 2, ' ') + ";\r\n" + ";     " +
           text + "     ;\r\n" + ";" + std::string(width - 2, ' ') + ";\r\n" + std::string(width, ';') + "\r\n";
}

std::vector<PaperFields> ManyPapers(int count) {
    std::vector<PaperFields> papers;
    for (int i = 0; i < count; ++i) {
        const PageSizeRow& row = PageSizeTable[static_cast<size_t>(i) % PageSizeTable.size()];
        papers.push_back({"Paper " + std::to_string(i), row.Keyword, std::to_string(60 + i % 200),
                          i % 2 ? "white" : "blue", i % 5 ? "plain" : "cover", i % 3 == 0});
    }
    return papers;
}

TEST_F(CatalogFileTest, WorkedExampleExportsByteForByteAndImportsBack) {
    const CPaperCatalog catalog = MakeCatalog({{"Letter", "LETTER", "75", "white", "plain", false},
                                               {"Blue Cover", "TABLOID", "160", "blue", "cover", true}});
    const std::string path = PathOf("example.cat");
    ASSERT_TRUE(catalog.ExportToFile(path));

    const std::string rule(71, ';');
    const std::string empty = ";" + std::string(69, ' ') + ";";
    EXPECT_EQ(ReadFileBytes(path), "[Paper Catalog]\r\n" + rule + "\r\n" + empty + "\r\n" +
                                   ";     Warning: Editing this file may cause unpredictable results.     ;\r\n" +
                                   empty + "\r\n" + rule + "\r\n" +
                                   "[Papers]\r\n"
                                   "Paper_000=Letter,LETTER,75,white,plain,F\r\n"
                                   "Paper_001=Blue Cover,TABLOID,160,blue,cover,T\r\n");

    CPaperCatalog imported;
    EXPECT_EQ(imported.CheckImportFile(path), STORE_OK);
    imported.ImportFromFile(path);
    EXPECT_EQ(DescribeAll(imported), "Letter|LETTER|75|white|plain|F|0\nBlue Cover|TABLOID|160|blue|cover|T|1\n");

    // A backup keeps every value of the key after the papers, in a section
    // Import does not read; names and data in hexadecimal, so that none can
    // break a line or pass for a paper. The one reader gives them back whole,
    // and a section cut short gives nothing.
    const StoredKeyImage values = {{"Paper_002", 1, std::string("[Papers]\r\nPaper_002=x\0", 22), true},
                                   {"Version", 4, std::string("\x02\0\0\xff", 4), true}};
    const std::optional<StoredKeyImage> anything;
    WriteFileBytes(path, CatalogFileBytes(catalog, &values, &anything));
    EXPECT_EQ(ReadFileBytes(path).substr(ReadFileBytes(path).find("Paper_001=")),
              "Paper_001=Blue Cover,TABLOID,160,blue,cover,T\r\n[Registry Values]\r\nCount=2\r\n"
              "Value_000=1,50617065725f303032,5b5061706572735d0d0a50617065725f3030323d7800\r\n"
              "Value_001=4,56657273696f6e,020000ff\r\n[Expected Registry Values]\r\nAny=1\r\n");
    CPaperCatalog withEntries;
    EXPECT_EQ(withEntries.CheckImportFile(path), STORE_OK);
    withEntries.ImportFromFile(path);
    EXPECT_EQ(DescribeAll(withEntries), DescribeAll(imported));
    CatalogFile read = ReadCatalogFile(ReadFileBytes(path));
    ASSERT_TRUE(read.values);
    EXPECT_EQ(*read.values, values);
    EXPECT_TRUE(read.expectedGiven);
    EXPECT_FALSE(read.expected);
    EXPECT_FALSE(read.valuesBroken);
    const std::string bytes = ReadFileBytes(path);
    for (const std::string& cut : {std::string("Count=2"), std::string("Value_001=4,"), std::string("020000ff")}) {
        SCOPED_TRACE(cut);
        std::string damaged = bytes;
        damaged.replace(damaged.find(cut), cut.size(), cut == "Count=2" ? "Count=3" : cut == "020000ff" ? "020000f" : "Value_009=4,");
        read = ReadCatalogFile(damaged);
        EXPECT_TRUE(read.valuesBroken);
        EXPECT_FALSE(read.values);
    }
}

TEST_F(CatalogFileTest, EmptyCatalogWritesOnlyTheHeaderAndBannerAndIsRefused) {
    const std::string path = PathOf("empty.cat");
    ASSERT_TRUE(CPaperCatalog().ExportToFile(path));
    EXPECT_EQ(ReadFileBytes(path), Banner(kEnglishBanner));
    EXPECT_EQ(CPaperCatalog().CheckImportFile(path), IMPORT_FILE_INCOMPATIBLE);
}

TEST_F(CatalogFileTest, FrenchBannerIsWiderAndTheFileImportsUnderAnotherLanguage) {
    AppState.CurrentLanguage = 5;
    const std::string path = PathOf("french.cat");
    ASSERT_TRUE(MakeCatalog({{"A4", "A4", "80", "blanc", "simple", false}}).ExportToFile(path));
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes, Banner(kFrenchBanner) + "[Papers]\r\nPaper_000=A4,A4,80,blanc,simple,F\r\n");
    // 86 bytes of text, 98-byte lines.
    EXPECT_EQ(bytes.substr(kHeader.size(), 100), std::string(98, ';') + "\r\n");

    AppState.CurrentLanguage = 1;
    CPaperCatalog imported;
    EXPECT_EQ(imported.CheckImportFile(path), STORE_OK);
    imported.ImportFromFile(path);
    EXPECT_EQ(DescribeAll(imported), "A4|A4|80|blanc|simple|F|0\n");
}

TEST_F(CatalogFileTest, CheckRefusesEveryFileThatDoesNotStartExactlyWithTheHeaderOrLacksPaper000) {
    const std::string papers = "[Papers]\r\nPaper_000=Letter,LETTER,75,white,plain,F\r\n";
    // `empty`: a file of no papers that the check lets through when told to
    // (as the companion's /allowempty does): the header and no Papers section.
    struct Case {
        const char* label;
        std::string bytes;
        int16_t expected;
        bool empty;
    };
    const std::vector<Case> cases = {
        {"plain file", kHeader + papers, STORE_OK, false},
        {"LF line ends", "[Paper Catalog]\n[Papers]\nPaper_000=a\n", STORE_OK, false},
        {"no final line end", "[Paper Catalog]\r\n[Papers]\r\nPaper_000=a", STORE_OK, false},
        {"text glued to the header", "[Paper Catalog]xyz\r\n" + papers, STORE_OK, false},
        {"lower-case header", "[paper catalog]\r\n" + papers, IMPORT_FILE_INCOMPATIBLE, false},
        {"byte-order mark", "\xEF\xBB\xBF" + kHeader + papers, IMPORT_FILE_INCOMPATIBLE, false},
        {"blank line first", "\r\n" + kHeader + papers, IMPORT_FILE_INCOMPATIBLE, false},
        {"comment first", ";catalog\r\n" + kHeader + papers, IMPORT_FILE_INCOMPATIBLE, false},
        {"blank before the header", " " + kHeader + papers, IMPORT_FILE_INCOMPATIBLE, false},
        {"14 bytes", "[Paper Catalog", IMPORT_FILE_INCOMPATIBLE, false},
        {"the header alone", "[Paper Catalog]", IMPORT_FILE_INCOMPATIBLE, true},
        {"an empty catalog exported", Banner(kEnglishBanner), IMPORT_FILE_INCOMPATIBLE, true},
        {"empty file", "", IMPORT_FILE_INCOMPATIBLE, false},
        {"empty Paper_000", kHeader + "[Papers]\r\nPaper_000=\r\nPaper_001=a\r\n", IMPORT_FILE_INCOMPATIBLE, false},
        {"blank Paper_000", kHeader + "[Papers]\r\nPaper_000=   \r\n", IMPORT_FILE_INCOMPATIBLE, false},
        {"no Paper_000", kHeader + "[Papers]\r\nPaper_001=a\r\n", IMPORT_FILE_INCOMPATIBLE, false},
        {"empty Papers section", kHeader + "[papers]\r\n", IMPORT_FILE_INCOMPATIBLE, false},
        {"no Papers section", kHeader + "Paper_000=a\r\n", IMPORT_FILE_INCOMPATIBLE, true},
        {"Paper_000 in another section", kHeader + "[Other]\r\nPaper_000=a\r\n", IMPORT_FILE_INCOMPATIBLE, true},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = PathOf("check" + std::to_string(number++) + ".cat");
        WriteFileBytes(path, c.bytes);
        StoreReport report;
        report.SystemError = 99;
        EXPECT_EQ(CPaperCatalog().CheckImportFile(path, &report), c.expected);
        EXPECT_EQ(report.SystemError, 0);
        EXPECT_EQ(CPaperCatalog().CheckImportBytes(c.bytes), c.expected);
        EXPECT_EQ(CPaperCatalog().CheckImportBytes(c.bytes, true), c.expected == STORE_OK || c.empty ? STORE_OK : IMPORT_FILE_INCOMPATIBLE);
    }
    // A file that cannot be read is refused with the system's reason; one of
    // another format without.
    StoreReport report;
    EXPECT_EQ(CPaperCatalog().CheckImportFile(PathOf("missing.cat"), &report), IMPORT_FILE_INCOMPATIBLE);
    EXPECT_EQ(report.SystemError, 2);
    fs::create_directory(PathOf("folder.cat"));
    EXPECT_EQ(CPaperCatalog().CheckImportFile(PathOf("folder.cat"), &report), IMPORT_FILE_INCOMPATIBLE);
    EXPECT_EQ(report.SystemError, 5);
}

TEST_F(CatalogFileTest, CheckLeavesTheCatalogAlone) {
    CPaperCatalog catalog = MakeCatalog({{"Letter", "LETTER", "75", "white", "plain", false}});
    const std::string path = WriteCatalogFile("one.cat", "Paper_000=Other,A4,80,blue,cover,T\r\n");
    EXPECT_EQ(catalog.CheckImportFile(path), STORE_OK);
    EXPECT_EQ(DescribeAll(catalog), "Letter|LETTER|75|white|plain|F|0\n");
}

TEST_F(CatalogFileTest, ImportAppendsAfterThePapersAlreadyThere) {
    CPaperCatalog catalog = MakeCatalog({{"Letter", "LETTER", "75", "white", "plain", false}});
    catalog.ImportFromFile(WriteCatalogFile("two.cat", "Paper_000=A,A4\r\nPaper_001=B,A3\r\n"));
    EXPECT_EQ(NamesAndPositions(catalog), "Letter@0 A@1 B@2");
}

TEST_F(CatalogFileTest, ValuesSplitIntoSixPiecesOfAtMost31Bytes) {
    const std::string x31(31, 'x');
    struct Case {
        const char* label;
        std::string value;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"six pieces", "Letter,LETTER,75,white,plain,F", "Letter|LETTER|75|white|plain|F|0"},
        {"empty piece", "Letter,,LETTER,75,white,plain,F", "Letter|LETTER|75|white|plain|F|0"},
        {"commas at both ends", ",,Letter,LETTER,75,,white,plain,T,,", "Letter|LETTER|75|white|plain|T|0"},
        {"flag T", "a,b,c,d,e,T", "a|b|c|d|e|T|0"},
        {"flag t", "a,b,c,d,e,t", "a|b|c|d|e|F|0"},
        {"flag TRUE", "a,b,c,d,e,TRUE", "a|b|c|d|e|F|0"},
        {"flag F", "a,b,c,d,e,F", "a|b|c|d|e|F|0"},
        {"flag with a blank before it", "a,b,c,d,e, T", "a|b|c|d|e|F|0"},
        {"blanks inside pieces kept", "Blue Cover, TABLOID ,160,blue,cover,T",
         "Blue Cover| TABLOID |160|blue|cover|T|0"},
        {"blanks around the value dropped", "  a,b,c,d,e,T  ", "a|b|c|d|e|T|0"},
        {"two pieces", "Letter,LETTER", "Letter|LETTER||||F|0"},
        {"one piece", "Letter", "Letter|||||F|0"},
        {"only commas", ",,,", "|||||F|0"},
        {"more than six pieces", "a,b,c,d,e,T,g,h", "a|b|c|d|e|T|0"},
        {"a seventh piece does not reach the flag", "a,b,c,d,e,F,T", "a|b|c|d|e|F|0"},
        {"piece of 40 bytes", std::string(40, 'x') + ",b,c,d,e,T", x31 + "|b|c|d|e|T|0"},
        {"flag piece of 40 bytes", "a,b,c,d,e,T" + std::string(39, 'x'), "a|b|c|d|e|F|0"},
        // Four 31-byte pieces and their commas fill the 127 bytes that are read.
        {"value beyond 127 bytes", x31 + "," + x31 + "," + x31 + "," + x31 + ",cover,T",
         x31 + "|" + x31 + "|" + x31 + "|" + x31 + "||F|0"},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path =
            WriteCatalogFile("split" + std::to_string(number++) + ".cat", "Paper_000=" + c.value + "\r\n");
        EXPECT_EQ(ImportedFrom(path), c.expected + "\n");
    }
}

TEST_F(CatalogFileTest, NoPaperReceivesTextFromAnotherLine) {
    const std::string path = WriteCatalogFile("lines.cat",
                                              "Paper_000=" + std::string(60, 'n') + ",LETTER,75,white,plain,T\r\n"
                                              "Paper_001=B\r\n"
                                              "Paper_002=C,A4\r\n");
    EXPECT_EQ(ImportedFrom(path), std::string(31, 'n') + "|LETTER|75|white|plain|T|0\n"
                                                          "B|||||F|1\n"
                                                          "C|A4||||F|2\n");
}

TEST_F(CatalogFileTest, ImportStopsAtTheFirstMissingOrEmptyKey) {
    struct Case {
        const char* label;
        std::string lines;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"gap", "Paper_000=A\r\nPaper_001=B\r\nPaper_003=D\r\n", "A@0 B@1"},
        {"empty value", "Paper_000=A\r\nPaper_001=\r\nPaper_002=C\r\n", "A@0"},
        {"keys out of order", "Paper_002=C\r\nPaper_000=A\r\nPaper_001=B\r\n", "A@0 B@1 C@2"},
        {"numbers without three digits", "Paper_000=A\r\nPaper_1=B\r\nPaper_01=C\r\n", "A@0"},
        {"no Paper_000", "Paper_001=B\r\n", ""},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CPaperCatalog catalog;
        catalog.ImportFromFile(WriteCatalogFile("gap" + std::to_string(number++) + ".cat", c.lines));
        EXPECT_EQ(NamesAndPositions(catalog), c.expected);
    }
    CPaperCatalog fromMissing;
    fromMissing.ImportFromFile(PathOf("missing.cat"));
    EXPECT_EQ(fromMissing.GetCount(), 0);
}

TEST_F(CatalogFileTest, RoundTripOf1001PapersKeepsOrderPositionsAndFlags) {
    const CPaperCatalog catalog = MakeCatalog(ManyPapers(1001));
    const std::string path = PathOf("many.cat");
    ASSERT_TRUE(catalog.ExportToFile(path));
    const std::string bytes = ReadFileBytes(path);
    EXPECT_NE(bytes.find("\r\nPaper_999=Paper 999,"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nPaper_1000=Paper 1000,"), std::string::npos);

    AppState.CurrentLanguage = 6;  // the file does not depend on the language it is read in
    CPaperCatalog imported;
    ASSERT_EQ(imported.CheckImportFile(path), STORE_OK);
    imported.ImportFromFile(path);
    ASSERT_EQ(imported.GetCount(), 1001);
    EXPECT_EQ(DescribeAll(imported), DescribeAll(catalog));
}

TEST_F(CatalogFileTest, KeysPast32767AreWrittenAndReadInFull) {
    const int count = 32770;
    const CPaperCatalog catalog = MakeCatalog(ManyPapers(count));
    const std::string path = PathOf("huge.cat");
    ASSERT_TRUE(catalog.ExportToFile(path));
    const std::string bytes = ReadFileBytes(path);
    EXPECT_NE(bytes.find("\r\nPaper_32767=Paper 32767,"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nPaper_32768=Paper 32768,"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nPaper_32769=Paper 32769,"), std::string::npos);
    EXPECT_EQ(bytes.find("Paper_-"), std::string::npos);

    CPaperCatalog imported;
    imported.ImportFromFile(path);
    ASSERT_EQ(imported.GetCount(), count);
    EXPECT_EQ(Describe(imported.GetPaper(count - 1)), Describe(catalog.GetPaper(count - 1)));
    EXPECT_EQ(Describe(imported.GetPaper(32768)), Describe(catalog.GetPaper(32768)));
}

TEST_F(CatalogFileTest, ExportReplacesAnExistingFileAndLeavesNothingElseBehind) {
    const std::string path = PathOf("target.cat");
    WriteFileBytes(path, std::string(5000, 'o'));
    ASSERT_TRUE(MakeCatalog({{"Letter", "LETTER", "75", "white", "plain", false}}).ExportToFile(path));
    EXPECT_EQ(ReadFileBytes(path), Banner(kEnglishBanner) + "[Papers]\r\nPaper_000=Letter,LETTER,75,white,plain,F\r\n");
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"target.cat"});
}

TEST_F(CatalogFileTest, FailedExportReportsFalseAndLeavesTheTargetAsItWas) {
    const CPaperCatalog catalog = MakeCatalog(ManyPapers(3));

    StoreReport report;
    EXPECT_FALSE(catalog.ExportToFile((dir_ / "missing" / "x.cat").string(), &report));
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
    // No such folder (3 on Windows; the C library does not tell it from no such file).
    EXPECT_TRUE(report.SystemError == 2 || report.SystemError == 3) << report.SystemError;

    // The file is written completely, then cannot be put over a directory.
    fs::create_directory(dir_ / "folder.cat");
    WriteFileBytes(PathOf("folder.cat/inside.txt"), "kept");
    report = StoreReport{};
    EXPECT_FALSE(catalog.ExportToFile(PathOf("folder.cat"), &report));
    EXPECT_NE(report.SystemError, 0);
    EXPECT_TRUE(fs::is_directory(dir_ / "folder.cat"));
    EXPECT_EQ(ReadFileBytes(PathOf("folder.cat/inside.txt")), "kept");
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"folder.cat"});
}

TEST_F(CatalogFileTest, ExportRemovesWhatAnExportThatNeverFinishedLeftInTheFolderTenMinutesAgo) {
    const std::string prefix = platform::kReplacingFilePrefix;
    // Left by a crash: our own prefix and ending, eleven minutes old. Other
    // files stay: younger ones (another PC's export may be about to put its
    // file in place), the backups and new files a failed replace left for
    // the user, and files of other names.
    const auto elevenMinutesAgo = fs::file_time_type::clock::now() - std::chrono::minutes(11);
    for (const std::string& name : {prefix + "4711-0.tmp", prefix + "12-3.tmp", prefix + "5-0.bak", prefix + "5-0.cat",
                                   std::string("~other-1-0.tmp")}) {
        WriteFileBytes(PathOf(name), "half a catal");
        fs::last_write_time(PathOf(name), elevenMinutesAgo);
    }
    WriteFileBytes(PathOf(prefix + "4712-0.tmp"), "another export's complete file");
    fs::last_write_time(PathOf(prefix + "4712-0.tmp"), fs::file_time_type::clock::now() - std::chrono::minutes(9));
    WriteFileBytes(PathOf("notes.txt"), "kept");
    ASSERT_TRUE(MakeCatalog(ManyPapers(2)).ExportToFile(PathOf("out.cat")));
    std::vector<std::string> entries = DirectoryEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"notes.txt", "out.cat", "~Vellicor-4712-0.tmp", "~Vellicor-5-0.bak",
                                                 "~Vellicor-5-0.cat", "~other-1-0.tmp"}));
}

#ifdef _WIN32
TEST_F(CatalogFileTest, ExportOverAFileKeepsItsAttributes) {
    const std::string path = PathOf("target.cat");
    WriteFileBytes(path, "old");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(MakeCatalog(ManyPapers(2)).ExportToFile(path));
    EXPECT_NE(ReadFileBytes(path), "old");
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

    // A read-only file is refused, as opening it for writing would be.
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string before = ReadFileBytes(path);
    StoreReport report;
    EXPECT_FALSE(MakeCatalog(ManyPapers(3)).ExportToFile(path, &report));
    EXPECT_NE(report.SystemError, 0);
    EXPECT_EQ(ReadFileBytes(path), before);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"target.cat"});
}

// The system's replace can fail after moving the old file to the backup name
// (results the real one gives only when a volume misbehaves): the complete
// new file and the old one both stay, and the report says where each is.
// A failure that left the old file in place keeps nothing but that file.
TEST_F(CatalogFileTest, AReplaceFailingPartWayKeepsBothFilesAndSaysWhere) {
    enum Step { Nothing, MoveOldAside, CopyOldAside };  // what the replace did before it failed
    struct Case {
        const char* label;
        unsigned long result;
        Step step;
        bool kept;
    };
    const Case cases[] = {
        {"old moved aside", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, MoveOldAside, true},
        {"neither moved", ERROR_UNABLE_TO_MOVE_REPLACEMENT, Nothing, true},
        {"old moved aside, another result", ERROR_ACCESS_DENIED, MoveOldAside, true},
        {"old copied aside, another result", ERROR_UNABLE_TO_REMOVE_REPLACED, CopyOldAside, false},
    };
    const CPaperCatalog catalog = MakeCatalog(ManyPapers(2));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        const std::string path = PathOf("target.cat");
        WriteFileBytes(path, "old");
        std::string backup;
        platform::SetSystemReplaceForTesting(
            [&](const std::string& replaced, const std::string& replacement, const std::string& aside) -> unsigned long {
                // Beside the target, under a name nothing has yet.
                EXPECT_EQ(fs::path(aside).parent_path(), fs::path(replaced).parent_path());
                EXPECT_FALSE(fs::exists(aside));
                EXPECT_EQ(ReadFileBytes(replacement), catalog.ExportBytes());
                backup = aside;
                if (c.step == MoveOldAside) {
                    EXPECT_TRUE(MoveFileA(replaced.c_str(), aside.c_str()));
                } else if (c.step == CopyOldAside) {
                    EXPECT_TRUE(CopyFileA(replaced.c_str(), aside.c_str(), TRUE));
                }
                return c.result;
            });
        StoreReport report;
        const bool written = catalog.ExportToFile(path, &report);
        platform::SetSystemReplaceForTesting(nullptr);
        EXPECT_FALSE(written);
        EXPECT_EQ(report.SystemError, static_cast<long>(c.result));
        ASSERT_EQ(report.Kept.has_value(), c.kept);
        if (!c.kept) {
            EXPECT_EQ(ReadFileBytes(path), "old");
            EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"target.cat"});
            continue;
        }
        // Renamed from its temporary name, so that no later export removes it.
        EXPECT_EQ(fs::path(report.Kept->newFile).extension(), ".cat");
        EXPECT_EQ(ReadFileBytes(report.Kept->newFile), catalog.ExportBytes());
        const bool moved = c.step == MoveOldAside;
        EXPECT_EQ(report.Kept->previousFile, moved ? backup : "");
        EXPECT_EQ(report.Kept->previousInPlace, !moved);
        EXPECT_EQ(ReadFileBytes(moved ? backup : path), "old");
        EXPECT_EQ(fs::exists(path), !moved);
        EXPECT_EQ(DirectoryEntries().size(), 2u);
    }
}
#endif

#ifndef _WIN32
// Run out of room part-way through the file: the file size limit makes write()
// fail with EFBIG once the first bytes are written.
TEST_F(CatalogFileTest, ExportFailingPartWayLeavesThePreviousFileUnharmed) {
    const std::string path = PathOf("target.cat");
    const std::string previous = "[Paper Catalog]\r\nthe previous export\r\n";
    WriteFileBytes(path, previous);
    const CPaperCatalog catalog = MakeCatalog(ManyPapers(500));

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool exported = catalog.ExportToFile(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(exported);
    EXPECT_EQ(ReadFileBytes(path), previous);
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"target.cat"});
}
#endif

// One file of awkward cases read through every entry point that takes a
// catalog file: Import (and /check, /import), the restore of an older backup,
// and the table reader behind Merge from File and /merge give the same papers.
TEST_F(CatalogFileTest, EveryReaderOfACatalogFileTakesTheSamePapers) {
    const std::string bytes = std::string(kHeader) +
                              "[Papers]\r\n"
                              "Paper_000=Letter,LETTER,75,white,plain,F\r\n"
                              "Paper_001=Cover,A4,160,blue,cover,t\r\n"
                              "Paper_001=Again,A4,90,red,plain,T\r\n"
                              "Paper_002=Bond,A3,90,white,bond,T\r\n"
                              "Paper_004=After the gap,A4,80,white,plain,F\r\n"
                              "[Elsewhere]\r\n"
                              "Paper_003=Outside,A4,80,white,plain,F\r\n";
    const std::string expected = "Letter|LETTER|75|white|plain|F|0\nCover|A4|160|blue|cover|F|1\nBond|A3|90|white|bond|T|2\n";
    CPaperCatalog imported;
    ASSERT_EQ(imported.CheckImportBytes(bytes), STORE_OK);
    imported.ImportFromBytes(bytes);
    EXPECT_EQ(DescribeAll(imported), expected) << "Import";

    const std::string backup = PathOf("2026-12-07 10-00-00.cat");
    WriteFileBytes(backup, bytes);
    CPaperCatalog restored;
    ASSERT_TRUE(ReadBackup(backup, "PS", restored));
    EXPECT_EQ(DescribeAll(restored), expected) << "Restore of a backup without exact values";

    PaperTableOptions options;
    options.codePage1252 = true;
    AppState.SizeChoiceCount = static_cast<int16_t>(PageSizeTable.size());
    AppState.MinimumPaperWeight = 60;
    AppState.MaximumPaperWeight = 300;
    const PaperTableRead merged = ReadPaperTable(bytes, options);
    ASSERT_TRUE(merged.ok()) << PaperTableRefusalMessage(merged, TableUse::Merge);
    CPaperCatalog table;
    table.AppendPapers(merged.papers);
    EXPECT_EQ(DescribeAll(table), expected) << "the table reader";
}

}  // namespace
