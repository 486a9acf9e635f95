// Backups of stored catalogs: the settings, the names, writing, listing and
// pruning, and reading a backup back, on the real file system (natively and
// under Wine) and the registry seam.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "PaperTestSupport.h"
#include "catalog/CatalogBackup.h"
#include "catalog/PaperCatalog.h"
#include "platform/Files.h"
#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace fs = std::filesystem;

namespace {

const std::string kTestRoot = "SOFTWARE\\QuandrelTests\\Backups";

void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

CPaperCatalog Catalog(const std::vector<std::string>& names) {
    CPaperCatalog catalog;
    for (const std::string& name : names) catalog.AddPaper(name, "A4", "80", "white", "plain", false, catalog.GetCount());
    return catalog;
}

platform::LocalTime At(int hour, int minute, int second) { return {2026, 12, 7, hour, minute, second}; }

std::vector<std::string> FileNames(const std::vector<BackupEntry>& entries) {
    std::vector<std::string> names;
    for (const BackupEntry& entry : entries) names.push_back(fs::path(entry.path).filename().string());
    return names;
}

class CatalogBackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppState.Reset();
        AppState.CurrentLanguage = kEnglish;
        AppState.SizeChoiceCount = 9;
        dir_ = fs::temp_directory_path() /
               ("quandrel-backup-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        settings_.Folder = (dir_ / "Backups").string();
        settings_.Keep = 3;
        platform::DeleteKeyTree(kTestRoot);
    }
    void TearDown() override {
        fs::remove_all(dir_);
        platform::DeleteKeyTree(kTestRoot);
        AppState.Reset();
    }

    std::vector<BackupEntry> List(const std::string& catalogName) const {
        std::vector<BackupEntry> entries;
        std::string reason;
        EXPECT_TRUE(ListBackups(settings_, catalogName, entries, reason)) << reason;
        return entries;
    }

    fs::path dir_;
    BackupSettings settings_;
};

TEST(BackupSettingsTest, ConfigurationGivesFolderAndKeepOrTheDefaults) {
    SetEnvironment("QUANDREL_BACKUP_TEST", "Expanded");
    const std::string fallback = DefaultBackupFolder();
    const std::string separator(1, platform::kPathSeparator);
    EXPECT_EQ(fallback.substr(fallback.size() - 17), separator + "Quandrel" + separator + "Backups");
    struct Case {
        const char* configuration;
        std::string folder;
        int keep;
    } cases[] = {
        {"[I18N]\r\nLanguage=English\r\n", fallback, 20},
        {"[Backups]\r\nFolder=D:\\Safe\r\nKeep=5\r\n", "D:\\Safe", 5},
        {"[backups]\r\nfolder=X\r\n", "X", 20},
        {"[Backups]\r\nFolder=\r\nKeep=0\r\n", fallback, 0},
        {"[Backups]\r\nKeep=-4\r\n", fallback, 20},
        {"[Backups]\r\nKeep=seven\r\n", fallback, 20},
        {"[Backups]\r\nKeep= 3\r\n", fallback, 3},
        {"[Backups]\r\nFolder=%QUANDREL_BACKUP_TEST%\\B\r\n", "Expanded\\B", 20},
        {"[Backups]\r\nFolder=%NOT_SET_ANYWHERE_Q%\\B\r\n", "%NOT_SET_ANYWHERE_Q%\\B", 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.configuration);
        const BackupSettings settings = ReadBackupSettings(platform::ProfileFile::Parse(c.configuration));
        EXPECT_EQ(settings.Folder, c.folder);
        EXPECT_EQ(settings.Keep, c.keep);
    }
}

TEST(BackupNamesTest, CatalogNamesBecomeSafeAndDistinctFolderNames) {
    struct Case {
        std::string name;
        std::string safe;  // before the checksum, which follows whenever anything changed
        bool changed;
    } cases[] = {
        {"Office PostScript", "Office PostScript", false},
        {"Sales \xC9t\xE9 (2)", "Sales \xC9t\xE9 (2)", false},
        {"A/B\\C:D*E?F\"G<H>I|J", "A_B_C_D_E_F_G_H_I_J", true},
        {"Tab\there", "Tab_here", true},
        {"Ends with dots..", "Ends with dots__", true},
        {"Ends with blank ", "Ends with blank_", true},
        {"..", "__", true},
        {"", "_", true},
        {"CON", "_CON", true},
        {"nul.cat", "_nul.cat", true},
        {"Com7", "_Com7", true},
        {"COM10", "COM10", false},
        {"Console", "Console", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string safe = SafeFileName(c.name);
        EXPECT_EQ(safe.substr(0, c.safe.size()), c.safe);
        if (c.changed) {
            EXPECT_EQ(safe.size(), c.safe.size() + 9);
            EXPECT_EQ(safe[c.safe.size()], '~');
        } else {
            EXPECT_EQ(safe, c.safe);
        }
    }
    // Two names made safe alike still get folders of their own.
    EXPECT_NE(SafeFileName("A/B"), SafeFileName("A?B"));
    EXPECT_NE(SafeFileName("A/B"), SafeFileName("A_B"));
    EXPECT_EQ(BackupFileName({2026, 1, 2, 3, 4, 5}, 1), "2026-01-02 03-04-05.cat");
    EXPECT_EQ(BackupFileName({2026, 12, 31, 23, 59, 9}, 2), "2026-12-31 23-59-09 (2).cat");
}

TEST_F(CatalogBackupTest, BackupsAreCatalogFilesListedNewestFirstAndNeverOverwritten) {
    ASSERT_EQ(WriteBackup(settings_, "Office", Catalog({"Letter", "Cover"}), At(10, 0, 0)).outcome, BackupResult::Written);
    // Three saves in one second, one a second later, one earlier.
    for (int i = 0; i < 3; ++i) {
        const BackupResult result = WriteBackup(settings_, "Office", Catalog({"Letter"}), At(10, 0, 1));
        ASSERT_EQ(result.outcome, BackupResult::Written) << result.reason;
        EXPECT_EQ(result.folder, (fs::path(settings_.Folder) / "Office").string());
    }
    ASSERT_EQ(WriteBackup(settings_, "Office", Catalog({"A", "B", "C"}), At(9, 59, 59)).outcome, BackupResult::Written);
    // Strangers in the folder are neither listed nor removed.
    WriteBytes(fs::path(settings_.Folder) / "Office" / "notes.txt", "keep me");
    WriteBytes(fs::path(settings_.Folder) / "Office" / "2026-12-07 10-00-01 (1).cat", "not ours");
    WriteBytes(fs::path(settings_.Folder) / "Office" / "2026-12-07 10-00-0x.cat", "not ours");

    const std::vector<BackupEntry> entries = List("Office");
    EXPECT_EQ(FileNames(entries), (std::vector<std::string>{"2026-12-07 10-00-01 (3).cat", "2026-12-07 10-00-01 (2).cat",
                                                             "2026-12-07 10-00-01.cat", "2026-12-07 10-00-00.cat",
                                                             "2026-12-07 09-59-59.cat"}));
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[3].paperCount, 2);
    EXPECT_EQ(entries[4].paperCount, 3);
    EXPECT_EQ(entries[0].time.second, 1);

    // The layout of Export: importing the file gives the papers back.
    CPaperCatalog read;
    ASSERT_TRUE(ReadBackup(entries[3].path, read));
    EXPECT_EQ(DescribeAll(read), DescribeAll(Catalog({"Letter", "Cover"})));
    EXPECT_EQ(ReadBytes(entries[3].path), Catalog({"Letter", "Cover"}).ExportBytes());

    PruneBackups(settings_, "Office");
    EXPECT_EQ(FileNames(List("Office")), (std::vector<std::string>{"2026-12-07 10-00-01 (3).cat", "2026-12-07 10-00-01 (2).cat",
                                                                    "2026-12-07 10-00-01.cat"}));
    EXPECT_EQ(ReadBytes(fs::path(settings_.Folder) / "Office" / "notes.txt"), "keep me");
    EXPECT_TRUE(fs::exists(fs::path(settings_.Folder) / "Office" / "2026-12-07 10-00-01 (1).cat"));
    // Another catalog's backups are apart.
    EXPECT_TRUE(List("Other").empty());
}

TEST_F(CatalogBackupTest, KeepZeroWritesAndRemovesNothing) {
    ASSERT_EQ(WriteBackup(settings_, "Office", Catalog({"Letter"}), At(8, 0, 0)).outcome, BackupResult::Written);
    settings_.Keep = 0;
    EXPECT_EQ(WriteBackup(settings_, "Office", Catalog({"Letter"}), At(8, 0, 1)).outcome, BackupResult::Off);
    PruneBackups(settings_, "Office");
    EXPECT_EQ(List("Office").size(), 1u);
    EXPECT_EQ(WriteBackup(settings_, "Office", CPaperCatalog(), At(8, 0, 2)).outcome, BackupResult::Off);
}

TEST_F(CatalogBackupTest, TheKeyIsReadWithTheStoresOwnLoadAndAnEmptyOrMissingKeyNeedsNoBackup) {
    const std::string key = kTestRoot + "\\Office";
    EXPECT_EQ(BackUpStoredCatalog(settings_, "Office", key, "PS", At(7, 0, 0)).outcome, BackupResult::NotNeeded);
    {
        platform::RegKey open;
        uint32_t disposition = 0;
        ASSERT_EQ(platform::CreateOrOpenKey(key, open, disposition), platform::kRegOk);
    }
    EXPECT_EQ(BackUpStoredCatalog(settings_, "Office", key, "PS", At(7, 0, 0)).outcome, BackupResult::NotNeeded);
    EXPECT_FALSE(fs::exists(fs::path(settings_.Folder) / "Office"));

    CPaperCatalog stored = Catalog({"B", "A"});
    stored.ModifyPaper("B", "TABLOID", "160", "blue", "cover", true, 0);
    ASSERT_EQ(stored.SaveToRegistry(key, false), STORE_OK);
    AppState.CurrentLanguage = 5;  // French: the banner follows the language, the papers do not
    const BackupResult result = BackUpStoredCatalog(settings_, "Office", key, "PS", At(7, 0, 0));
    ASSERT_EQ(result.outcome, BackupResult::Written) << result.reason;
    AppState.CurrentLanguage = kEnglish;
    CPaperCatalog read;
    ASSERT_TRUE(ReadBackup(result.path, read));
    EXPECT_EQ(DescribeAll(read), DescribeAll(stored));
    EXPECT_NE(ReadBytes(result.path).find("Avertissement"), std::string::npos);
}

// The editor backs up from the save's own read of the key: it must see what
// the store's load reads, and saying no must leave the key untouched.
TEST_F(CatalogBackupTest, TheSavesLookBeforeWritingSeesWhatTheLoadReads) {
    const std::string key = kTestRoot + "\\Held";
    struct Case {
        const char* what;
        bool descriptive;
        std::vector<std::pair<std::string, std::string>> values;  // REG_SZ text, or a DWORD when empty
    } cases[] = {
        {"keyword form out of order, a DWORD, too long a name and too long a text", false,
         {{"B", "A4,80,white,plain,F,1"}, {"A", "LETTER,75,white,plain,F,0"}, {"Count", ""},
          {std::string(64, 'N'), "A4,80,white,plain,F,2"}, {"Long", "A4," + std::string(130, '9') + ",white,plain,F,3"},
          {"C", "A3,90,red,cover,T,1"}}},
        {"descriptive form with a gap", true,
         {{"PaperDef2", "Y,l,595 842 ,80 gsm,white,plain,f"}, {"PaperDef0", "X,l,612 792 ,75 gsm,blue,cover,t"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::DeleteKeyTree(key);
        {
            platform::RegKey open;
            uint32_t disposition = 0;
            ASSERT_EQ(platform::CreateOrOpenKey(key, open, disposition), platform::kRegOk);
            for (const auto& [name, text] : c.values) {
                if (text.empty()) {
                    ASSERT_EQ(platform::SetRawValue(open, name, platform::kRegDword, std::string("\x01\0\0\0", 4)), platform::kRegOk);
                } else {
                    ASSERT_EQ(platform::SetStringValue(open, name, text), platform::kRegOk);
                }
            }
        }
        CPaperCatalog loaded;
        ASSERT_EQ(loaded.LoadFromRegistry(key, c.descriptive ? "PCL" : "PS"), STORE_OK);
        ASSERT_GT(loaded.GetCount(), 1);
        std::string seen = "not called";
        EXPECT_EQ(Catalog({"New"}).SaveToRegistry(key, c.descriptive,
                                                 [&seen](const CPaperCatalog& stored) {
                                                     seen = DescribeAll(stored);
                                                     return false;
                                                 }),
                  STORE_SAVE_DECLINED);
        EXPECT_EQ(seen, DescribeAll(loaded));
        CPaperCatalog after;
        ASSERT_EQ(after.LoadFromRegistry(key, c.descriptive ? "PCL" : "PS"), STORE_OK);
        EXPECT_EQ(DescribeAll(after), DescribeAll(loaded));
    }
    EXPECT_EQ(Catalog({"New"}).SaveToRegistry(key, false, [](const CPaperCatalog&) { return true; }), STORE_OK);
    CPaperCatalog saved;
    ASSERT_EQ(saved.LoadFromRegistry(key, "PS"), STORE_OK);
    EXPECT_EQ(NamesAndPositions(saved), "New@0");
}

TEST_F(CatalogBackupTest, UnwritableFoldersFailWithTheSystemsReasonAndWriteNothing) {
    // A file where the backup folder should be, at either level.
    WriteBytes(dir_ / "Backups", "a file");
    BackupResult result = WriteBackup(settings_, "Office", Catalog({"Letter"}), At(6, 0, 0));
    EXPECT_EQ(result.outcome, BackupResult::Failed);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(ReadBytes(dir_ / "Backups"), "a file");
    std::vector<BackupEntry> entries;
    std::string reason;
    EXPECT_TRUE(ListBackups(settings_, "Office", entries, reason) == false || entries.empty());

    fs::remove(dir_ / "Backups");
    fs::create_directories(dir_ / "Backups");
    WriteBytes(dir_ / "Backups" / "Office", "a file");
    result = WriteBackup(settings_, "Office", Catalog({"Letter"}), At(6, 0, 0));
    EXPECT_EQ(result.outcome, BackupResult::Failed);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(ReadBytes(dir_ / "Backups" / "Office"), "a file");
    EXPECT_FALSE(ListBackups(settings_, "Office", entries, reason));
    EXPECT_FALSE(reason.empty());
}

TEST_F(CatalogBackupTest, ABackupThatIsNoCatalogFileIsRefusedAndAnotherLanguagesBannerIsRead) {
    const fs::path folder = fs::path(settings_.Folder) / "Office";
    fs::create_directories(folder);
    WriteBytes(folder / "2026-12-07 05-00-00.cat", "[Papers]\r\nPaper_000=Letter,LETTER,75,white,plain,F\r\n");
    WriteBytes(folder / "2026-12-07 05-00-01.cat", "");
    AppState.CurrentLanguage = 6;
    WriteBytes(folder / "2026-12-07 05-00-02.cat", Catalog({"Brief"}).ExportBytes());
    AppState.CurrentLanguage = kEnglish;

    const std::vector<BackupEntry> entries = List("Office");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].paperCount, 1);
    EXPECT_EQ(entries[1].paperCount, -1);
    EXPECT_EQ(entries[2].paperCount, -1);
    CPaperCatalog kept = Catalog({"Mine"});
    EXPECT_FALSE(ReadBackup(entries[1].path, kept));
    EXPECT_FALSE(ReadBackup(entries[2].path, kept));
    EXPECT_EQ(NamesAndPositions(kept), "Mine@0");
    EXPECT_TRUE(ReadBackup(entries[0].path, kept));
    EXPECT_EQ(NamesAndPositions(kept), "Brief@0");
}

#ifndef _WIN32
// A folder nobody may write to, not even the administrator: the immutable
// attribute, where the file system has it.
TEST_F(CatalogBackupTest, AReadOnlyFolderFailsWithTheSystemsReason) {
    const fs::path folder = fs::path(settings_.Folder) / "Office";
    fs::create_directories(folder);
    if (std::system(("chattr +i '" + folder.string() + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "no immutable attribute here";
    }
    const BackupResult result = WriteBackup(settings_, "Office", Catalog({"Letter"}), At(6, 0, 0));
    std::system(("chattr -i '" + folder.string() + "'").c_str());
    EXPECT_EQ(result.outcome, BackupResult::Failed);
    EXPECT_EQ(result.reason, platform::SystemErrorText(EPERM));
    EXPECT_TRUE(fs::is_empty(folder));
}
#endif

}  // namespace
