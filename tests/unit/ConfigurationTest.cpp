#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "config/Configuration.h"
#include "catalog/CatalogBackup.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "state/AppState.h"

namespace fs = std::filesystem;

namespace {

const char* const kTestKeyRoot = "SOFTWARE\\QuandrelTests\\Configuration";

// Each test runs in a fresh directory of its own that becomes the current one,
// with a clean AppState and message boxes recorded, not shown.
class ConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppState.Reset();
        platform::ClearRecordedMessageBoxes();
        platform::SetMessageBoxAnswerer([](const platform::MessageBoxRequest&) { return platform::kIdOk; });
        platform::SetWindowsPlatformForTesting(true, 2);
        previous_ = fs::current_path();
        dir_ = fs::temp_directory_path() /
               ("quandrel-config-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::current_path(dir_);
        platform::DeleteKeyTree(kTestKeyRoot);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
        platform::DeleteKeyTree(kTestKeyRoot);
        platform::SetMessageBoxAnswerer(nullptr);
        platform::SetWindowsPlatformForTesting(true, 2);
        AppState.Reset();
    }

    void WriteConfig(const std::string& bytes) {
        std::ofstream out(dir_ / "Vellicor.cfg", std::ios::binary);
        out << bytes;
    }

    static const std::vector<platform::MessageBoxRequest>& Boxes() { return platform::RecordedMessageBoxes(); }

    fs::path previous_;
    fs::path dir_;
};

std::string EnglishNt(const std::string& catalogs) {
    return "[I18N]\r\nLanguage=English\r\n[Limits]\r\nMinimumPaperWeight=64\r\nMaximumPaperWeight=220\r\n"
           "[Strings]\r\nProduct_Name=Quandrel Press\r\n[Windows NT]\r\n" +
           catalogs;
}

TEST_F(ConfigurationTest, MissingFileShowsOneEnglishErrorBoxAndReadsNothing) {
    EXPECT_FALSE(ReadConfiguration());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Configuration file could not be opened!\n\nFile: Vellicor.cfg");
    EXPECT_EQ(Boxes()[0].caption, "Quandrel ");
    EXPECT_EQ(Boxes()[0].style, platform::kMbOk | platform::kMbIconHand);
    EXPECT_EQ(Boxes()[0].owner, nullptr);
    EXPECT_EQ(AppState.CurrentLanguage, 0);
    EXPECT_TRUE(AppState.CatalogLocations.empty());
    EXPECT_TRUE(AppState.ProductName.empty());
}

TEST_F(ConfigurationTest, AFileThatIsThereButCannotBeReadIsReportedAsSuch) {
    // A folder of that name exists, but no file can be read from it.
    fs::create_directory(dir_ / "Vellicor.cfg");
    EXPECT_FALSE(ReadConfiguration());
    ASSERT_EQ(Boxes().size(), 1u);
    const std::string heading = "Configuration file exists but could not be read!\n\nFile: Vellicor.cfg\n";
    EXPECT_EQ(Boxes()[0].text.substr(0, heading.size()), heading);
    EXPECT_GT(Boxes()[0].text.size(), heading.size()) << "the system's reason follows";
    EXPECT_EQ(Boxes()[0].text.find("language"), std::string::npos);
    EXPECT_EQ(AppState.CurrentLanguage, 0);
}

TEST_F(ConfigurationTest, StartsFromAFolderNamedOutsideTheAnsiCodePage) {
    // Greek and Japanese letters: GetCurrentDirectoryA cannot name this folder.
    struct Case {
        const char* script;
        const char8_t* name;
    };
    for (const Case& c : {Case{"Greek", u8"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac"}, Case{"Japanese", u8"\u65e5\u672c\u8a9e"}}) {
        SCOPED_TRACE(c.script);
        const fs::path folder = dir_ / fs::path(c.name);
        fs::create_directory(folder);
        {
            std::ofstream out(folder / "Vellicor.cfg", std::ios::binary);
            out << "[I18N]\r\nLanguage=German\r\n[Strings]\r\nProduct_Name=Griechisch\r\n";
        }
        fs::current_path(folder);
        AppState.Reset();
        platform::ClearRecordedMessageBoxes();
        EXPECT_TRUE(ReadConfiguration());
        EXPECT_TRUE(Boxes().empty());
        EXPECT_EQ(AppState.CurrentLanguage, 6);
        EXPECT_EQ(AppState.ProductName, "Griechisch");
        fs::current_path(dir_);
    }
}

TEST_F(ConfigurationTest, ReadsLanguageLimitsProductNameAndCatalogs) {
    WriteConfig(EnglishNt("Catalog_01=Office\r\nPDL_01=PS\r\nRegistry_01=SOFTWARE\\QuandrelTests\\Configuration\\Office\r\n"));
    EXPECT_TRUE(ReadConfiguration());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(AppState.CurrentLanguage, 1);
    EXPECT_EQ(AppState.MinimumPaperWeight, 64);
    EXPECT_EQ(AppState.MaximumPaperWeight, 220);
    EXPECT_EQ(AppState.ProductName, "Quandrel Press");
    ASSERT_EQ(AppState.CatalogLocations.size(), 1u);
    EXPECT_EQ(AppState.CatalogLocations[0].CatalogName, "Office");
    EXPECT_EQ(AppState.CatalogLocations[0].PdlName, "PS");
    EXPECT_EQ(AppState.CatalogLocations[0].RegistryPath, "SOFTWARE\\QuandrelTests\\Configuration\\Office");
    EXPECT_FALSE(AppState.CatalogLocations[0].Available);
}

TEST_F(ConfigurationTest, LanguageNameInAnyCaseSelectsItsIndex) {
    WriteConfig("[i18n]\nlanguage=german\n");
    EXPECT_TRUE(ReadConfiguration());
    EXPECT_EQ(AppState.CurrentLanguage, 6);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ConfigurationTest, UnknownMissingOrEmptyLanguageReportsAndFallsBackToEnglish) {
    for (const char* config : {"[I18N]\nLanguage=Deutsch\n", "[I18N]\nLanguage=\n", "[Limits]\nMinimumPaperWeight=1\n",
                               "[I18N]\nLanguage=German Swiss\n"}) {
        SCOPED_TRACE(config);
        AppState.Reset();
        platform::ClearRecordedMessageBoxes();
        WriteConfig(config);
        EXPECT_TRUE(ReadConfiguration());
        EXPECT_EQ(AppState.CurrentLanguage, 1);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, "Invalid language specified!\nDefaulting to English.");
        EXPECT_EQ(Boxes()[0].caption, "Quandrel ");
        EXPECT_EQ(Boxes()[0].style, platform::kMbOk | platform::kMbIconHand);
    }
}

TEST_F(ConfigurationTest, MissingSectionsGiveTheDefaults) {
    WriteConfig("[I18N]\nLanguage=French\n");
    EXPECT_TRUE(ReadConfiguration());
    EXPECT_EQ(AppState.CurrentLanguage, 5);
    EXPECT_EQ(AppState.MinimumPaperWeight, 60);
    EXPECT_EQ(AppState.MaximumPaperWeight, 200);
    EXPECT_EQ(AppState.ProductName, "? ? ? ? ?");
    EXPECT_TRUE(AppState.CatalogLocations.empty());
    // An older configuration without [Backups] keeps backups on.
    EXPECT_EQ(AppState.BackupFolder, DefaultBackupFolder());
    EXPECT_EQ(AppState.BackupKeep, 20);

    AppState.Reset();
    WriteConfig("[I18N]\nLanguage=French\n[Backups]\nFolder=Saved\nKeep=0\n");
    EXPECT_TRUE(ReadConfiguration());
    EXPECT_EQ(AppState.BackupFolder, "Saved");
    EXPECT_EQ(AppState.BackupKeep, 0);
}

TEST_F(ConfigurationTest, CatalogListEndsAtTheFirstIncompleteNumber) {
    struct Case {
        const char* name;
        std::string catalogs;
        std::vector<std::string> expected;
    } cases[] = {
        {"gap at 02",
         "Catalog_01=A\nPDL_01=PS\nRegistry_01=K\\A\nCatalog_03=C\nPDL_03=PS\nRegistry_03=K\\C\n",
         {"A"}},
        {"PDL_01 missing", "Catalog_01=A\nRegistry_01=K\\A\n", {}},
        {"PDL_01 empty", "Catalog_01=A\nPDL_01=\nRegistry_01=K\\A\n", {}},
        {"one digit is another key", "Catalog_1=A\nPDL_1=PS\nRegistry_1=K\\A\n", {}},
        {"repeated names kept in file order",
         "Registry_02=K\\B\nCatalog_02=Same\nPDL_02=X\nCatalog_01=Same\nPDL_01=PS\nRegistry_01=K\\A\n",
         {"Same", "Same"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppState.Reset();
        WriteConfig(EnglishNt(c.catalogs));
        ASSERT_TRUE(ReadConfiguration());
        std::vector<std::string> names;
        for (const CatalogLocation& l : AppState.CatalogLocations) names.push_back(l.CatalogName);
        EXPECT_EQ(names, c.expected);
    }
}

TEST_F(ConfigurationTest, CatalogsBeyondNinetyNineUseThreeDigits) {
    std::string catalogs;
    for (int n = 1; n <= 101; ++n) {
        char line[160];
        snprintf(line, sizeof line, "Catalog_%02d=C%d\nPDL_%02d=PS\nRegistry_%02d=K\\C%d\n", n, n, n, n, n);
        catalogs += line;
    }
    WriteConfig(EnglishNt(catalogs));
    ASSERT_TRUE(ReadConfiguration());
    ASSERT_EQ(AppState.CatalogLocations.size(), 101u);
    EXPECT_EQ(AppState.CatalogLocations[100].CatalogName, "C101");
}

TEST_F(ConfigurationTest, AvailableOnlyWhenTheKeyCanBeOpened) {
    platform::RegKey key;
    uint32_t disposition = 0;
    ASSERT_EQ(platform::CreateOrOpenKey("SOFTWARE\\QuandrelTests\\Configuration\\Exists", key, disposition), platform::kRegOk);
    key.Reset();
    WriteConfig(EnglishNt("Catalog_01=Here\nPDL_01=PS\nRegistry_01=SOFTWARE\\QuandrelTests\\Configuration\\Exists\n"
                          "Catalog_02=Gone\nPDL_02=PCL\nRegistry_02=SOFTWARE\\QuandrelTests\\Configuration\\Missing\n"));
    ASSERT_TRUE(ReadConfiguration());
    ASSERT_EQ(AppState.CatalogLocations.size(), 2u);
    EXPECT_TRUE(AppState.CatalogLocations[0].Available);
    EXPECT_FALSE(AppState.CatalogLocations[1].Available);
    EXPECT_EQ(AppState.CatalogLocations[1].PdlName, "PCL");
}

TEST_F(ConfigurationTest, LongValuesAreCutToTheirBuffers) {
    const std::string name70(70, 'n');
    const std::string pdl20 = "ABCDEFGHIJKLMNOPQRST";
    const std::string path300 = "SOFTWARE\\" + std::string(291, 'p');
    WriteConfig("[I18N]\nLanguage=English\n[Strings]\nProduct_Name=" + std::string(200, 'q') +
                "\n[Windows NT]\nCatalog_01=" + name70 + "\nPDL_01=" + pdl20 + "\nRegistry_01=" + path300 + "\n");
    ASSERT_TRUE(ReadConfiguration());
    EXPECT_EQ(AppState.ProductName, std::string(127, 'q'));
    ASSERT_EQ(AppState.CatalogLocations.size(), 1u);
    EXPECT_EQ(AppState.CatalogLocations[0].CatalogName, std::string(63, 'n'));
    EXPECT_EQ(AppState.CatalogLocations[0].PdlName, pdl20.substr(0, 15));
    EXPECT_EQ(AppState.CatalogLocations[0].RegistryPath, path300.substr(0, 255));
}

TEST_F(ConfigurationTest, TheFamilyChoosesTheCatalogSection) {
    const std::string both = "[I18N]\nLanguage=English\n[Windows 95_98]\nCatalog_01=Old\nPDL_01=PS\nRegistry_01=K\\Old\n"
                             "[Windows NT]\nCatalog_01=New\nPDL_01=PS\nRegistry_01=K\\New\n";
    const std::string only98 = "[I18N]\nLanguage=English\n[Windows 95_98]\nCatalog_01=Old\nPDL_01=PS\nRegistry_01=K\\Old\n";

    WriteConfig(only98);
    ASSERT_TRUE(ReadConfiguration());
    EXPECT_EQ(GetWindowsFamily(), "Windows NT");
    EXPECT_TRUE(AppState.CatalogLocations.empty());

#ifndef _WIN32
    // Natively the family is whatever the test says it is.
    AppState.Reset();
    WriteConfig(both);
    platform::SetWindowsPlatformForTesting(true, 1);
    EXPECT_EQ(GetWindowsFamily(), "Windows 95_98");
    ASSERT_TRUE(ReadConfiguration());
    ASSERT_EQ(AppState.CatalogLocations.size(), 1u);
    EXPECT_EQ(AppState.CatalogLocations[0].CatalogName, "Old");

    WriteConfig(both + "[]\nCatalog_01=Nameless\nPDL_01=PS\nRegistry_01=K\\N\n");
    platform::SetWindowsPlatformForTesting(true, 3);
    EXPECT_EQ(GetWindowsFamily(), "");
    platform::SetWindowsPlatformForTesting(false, 2);
    EXPECT_EQ(GetWindowsFamily(), "");
    AppState.Reset();
    ASSERT_TRUE(ReadConfiguration());
    EXPECT_TRUE(AppState.CatalogLocations.empty());
#else
    AppState.Reset();
    WriteConfig(both);
    ASSERT_TRUE(ReadConfiguration());
    ASSERT_EQ(AppState.CatalogLocations.size(), 1u);
    EXPECT_EQ(AppState.CatalogLocations[0].CatalogName, "New");
#endif
}

TEST_F(ConfigurationTest, HostileFilesAreReadWithoutHarm) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) & 0xFF);
    struct Case {
        const char* name;
        std::string bytes;
        int16_t language;
        int32_t minimum;
    } cases[] = {
        {"binary junk then settings", junk + "\r\n[I18N]\r\nLanguage=Dutch\r\n[Limits]\r\nMinimumPaperWeight=70\r\n", 3, 70},
        {"a 100,000-character line", "[I18N]\nLanguage=Italian\n" + std::string(100000, 'x') + "\n[Limits]\nMinimumPaperWeight=71\n", 7, 71},
        {"no newline at the end", "[Limits]\nMinimumPaperWeight=72\n[I18N]\nLanguage=Swedish", 10, 72},
        // The profile functions would lose the first section behind the mark;
        // a file saved as UTF-8 by Notepad is read through it, its texts in code page 1252.
        {"byte-order mark", "\xEF\xBB\xBF[I18N]\nLanguage=Spanish\n[Limits]\nMinimumPaperWeight=73\n", 9, 73},
        {"CR line ends", "[I18N]\rLanguage=Norwegian\r[Limits]\rMinimumPaperWeight=74\r", 8, 74},
        {"value longer than the language buffer", "[I18N]\nLanguage=German" + std::string(40, ' ') + "x\n", 1, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppState.Reset();
        WriteConfig(c.bytes);
        ASSERT_TRUE(ReadConfiguration());
        EXPECT_EQ(AppState.CurrentLanguage, c.language);
        EXPECT_EQ(AppState.MinimumPaperWeight, c.minimum);
    }
}

TEST_F(ConfigurationTest, AUtf8FileWithItsMarkIsReadInTheProgramsCodePage) {
    WriteConfig("\xEF\xBB\xBF[I18N]\r\nLanguage=French\r\n[Strings]\r\nProduct_Name=Caf\xC3\xA9 \xC2\xAB" "1\xC2\xBB\r\n");
    ASSERT_TRUE(ReadConfiguration());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(AppState.CurrentLanguage, 5);
    EXPECT_EQ(AppState.ProductName, "Caf\xE9 \xAB" "1\xBB");
}

TEST_F(ConfigurationTest, DiscoverAppendsToTheList) {
    WriteConfig("[Windows NT]\nCatalog_01=A\nPDL_01=PS\nRegistry_01=K\\A\n");
    AppState.CatalogLocations.push_back({true, "Earlier", "PS", "K\\E"});
    DiscoverCatalogLocations((dir_ / "Vellicor.cfg").string(), "windows nt");
    ASSERT_EQ(AppState.CatalogLocations.size(), 2u);
    EXPECT_EQ(AppState.CatalogLocations[1].CatalogName, "A");
}

}  // namespace
