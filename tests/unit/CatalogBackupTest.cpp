// Backups of stored catalogs: the settings, the names, writing, listing and
// pruning, and reading a backup back, on the real file system (natively and
// under Wine) and the registry seam.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "PaperTestSupport.h"
#include "catalog/CatalogBackup.h"
#include "catalog/CatalogSave.h"
#include "catalog/SaveRecord.h"
#include "catalog/StoredImage.h"
#include "catalog/PaperCatalog.h"
#include "platform/Files.h"
#include "platform/FolderSecurity.h"
#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace fs = std::filesystem;

namespace {

// A catalog's values as a save in the form of `pdl` writes them.
StoredKeyImage ImageOf(const CPaperCatalog& catalog, const char* pdl = "PS") {
    return ImageOfValues(StoredValuesOf(catalog, pdl));
}

const std::string kTestRoot = "SOFTWARE\\QuandrelTests\\Backups";
const std::string kOfficeKey = kTestRoot + "\\Office";
// A folder named the same from any current folder, on either system.
#ifdef _WIN32
const std::string kAbsolute = "D:\\Safe";
#else
const std::string kAbsolute = "/safe";
#endif

void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
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

    std::vector<BackupEntry> List(const std::string& catalogName, const std::string& key = kOfficeKey,
                                  const platform::LocalTime& now = At(23, 59, 59)) const {
        std::vector<BackupEntry> entries;
        std::string reason;
        EXPECT_TRUE(ListBackups(settings_, catalogName, key, "PS", now, entries, reason)) << reason;
        return entries;
    }
    fs::path Folder(const std::string& catalogName, const std::string& key = kOfficeKey) const {
        return BackupFolderFor(settings_, catalogName, key);
    }
    BackupResult Write(const std::vector<std::string>& papers, const platform::LocalTime& now,
                       const std::string& catalogName = "Office", const std::string& key = kOfficeKey) const {
        return WriteBackup(settings_, catalogName, key, CatalogOf(papers), now, ImageOf(CatalogOf(papers)));
    }

    fs::path dir_;
    BackupSettings settings_;
};

TEST(BackupSettingsTest, ConfigurationGivesFolderAndKeepOrTheDefaults) {
    AppState.CurrentLanguage = kEnglish;
    SetEnvironment("QUANDREL_BACKUP_TEST", kAbsolute);
#ifndef _WIN32
    SetEnvironment("ProgramData", "/programdata");
#endif
    const std::string fallback = DefaultBackupFolder();
    const std::string separator(1, platform::kPathSeparator);
    EXPECT_EQ(fallback.substr(fallback.size() - 17), separator + "Quandrel" + separator + "Backups");
    const std::string relative =
        "The backup folder in the configuration ([Backups] Folder=) is not a full path such as C:\\Backups or "
        "\\\\server\\share\\Backups.";
    const std::string unset = "The backup folder in the configuration ([Backups] Folder=) uses the environment "
                              "variable %NOT_SET_ANYWHERE_Q%, which is not set.";
    struct Case {
        std::string configuration;
        std::string folder;
        int keep;
        std::string problem;
    } cases[] = {
        {"[I18N]\r\nLanguage=English\r\n", fallback, 20, ""},
        {"[Backups]\r\nFolder=" + kAbsolute + "\r\nKeep=5\r\n", kAbsolute, 5, ""},
        {"[backups]\r\nfolder=X\r\n", "X", 20, relative},
        {"[Backups]\r\nFolder=\r\nKeep=0\r\n", fallback, 0, ""},
        {"[Backups]\r\nKeep=-4\r\n", fallback, 20, ""},
        {"[Backups]\r\nKeep=seven\r\n", fallback, 20, ""},
        {"[Backups]\r\nKeep= 3\r\n", fallback, 3, ""},
        {"[Backups]\r\nKeep=9999\r\n", fallback, 9999, ""},
        {"[Backups]\r\nKeep=0007\r\n", fallback, 7, ""},
        {"[Backups]\r\nKeep=10000\r\n", fallback, 20, ""},
        {"[Backups]\r\nKeep=4294967296\r\n", fallback, 20, ""},
        {"[Backups]\r\nKeep=4294967295\r\n", fallback, 20, ""},
        {"[Backups]\r\nKeep=5x\r\n", fallback, 20, ""},
        {"[Backups]\r\nKeep=+5\r\n", fallback, 20, ""},
        {"[Backups]\r\nKeep=" + std::string(70, '0') + "5\r\n", fallback, 20, ""},
        {"[Backups]\r\nFolder=%QUANDREL_BACKUP_TEST%\\B\r\n", kAbsolute + "\\B", 20, ""},
        {"[Backups]\r\nFolder=%NOT_SET_ANYWHERE_Q%\\B\r\n", "%NOT_SET_ANYWHERE_Q%\\B", 20, unset},
        {"[Backups]\r\nFolder=" + kAbsolute + "\\%NOT_SET_ANYWHERE_Q%\r\n", kAbsolute + "\\%NOT_SET_ANYWHERE_Q%", 20, unset},
        {"[Backups]\r\nFolder=" + kAbsolute + "\\100%\\x%y\r\n", kAbsolute + "\\100%\\x%y", 20, ""},
        {"[Backups]\r\nFolder=Backups\\%QUANDREL_BACKUP_TEST%\r\n", "Backups\\" + kAbsolute, 20, relative},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.configuration);
        const BackupSettings settings = ReadBackupSettings(platform::ProfileFile::Parse(c.configuration));
        EXPECT_EQ(settings.Folder, c.folder);
        EXPECT_EQ(settings.Keep, c.keep);
        EXPECT_EQ(BackupFolderProblem(settings), c.problem);
    }
}

// Creating a folder starts below the root, which nobody creates: a drive's
// root, or a share's (never "\\server" alone).
TEST(BackupSettingsTest, WindowsPathsSplitIntoTheRootAndTheFoldersBelowIt) {
    const struct {
        const char* path;
        size_t root;
    } cases[] = {
        {"C:\\Data\\Backups", 3},
        {"c:/Data", 3},
        {"C:\\", 3},
        {"\\\\server\\share\\Quandrel\\Backups", 14},
        {"\\\\server\\share", 14},
        {"//server/share/Backups", 14},
        {"\\\\server\\share\\", 14},
        {"\\\\server", 0},
        {"\\\\server\\", 0},
        {"\\\\\\share\\Backups", 0},
        {"\\\\.\\C:\\Backups", 0},
        {"\\\\?\\C:\\Backups", 0},
        {"C:", 0},
        {"C:Backups", 0},
        {"\\Backups", 0},
        {"Backups", 0},
        {"1:\\Backups", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::WindowsRootLength(c.path), c.root) << c.path;
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
        // Windows takes the superscript digits of code page 1252 for digits here.
        {"COM\xB9", "_COM\xB9", true},
        {"com\xB2.cat", "_com\xB2.cat", true},
        {"LPT\xB3", "_LPT\xB3", true},
        {"LPT\xB2 ", "LPT\xB2_", true},
        {"COM\xBD", "COM\xBD", false},
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

    // A catalog's folder: its safe name, then a checksum of the name and the
    // key, as the registry tells keys apart (letter case and a separator at
    // either end make no other key). Folder names are compared as Windows
    // does, whatever the letter case.
    const BackupSettings settings{kAbsolute, 20};
    const auto folderName = [&settings](const std::string& name, const std::string& key) {
        std::string folder = fs::path(BackupFolderFor(settings, name, key)).filename().string();
        for (char& c : folder) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return folder;
    };
    const std::string office = folderName("Office", "SOFTWARE\\Q\\Office");
    EXPECT_EQ(fs::path(BackupFolderFor(settings, "Office", "SOFTWARE\\Q\\Office")).parent_path().string(), kAbsolute);
    EXPECT_EQ(office.substr(0, 7), "office~");
    EXPECT_EQ(office.size(), 15u);
    EXPECT_EQ(folderName("Sales/East", "K").substr(0, 11), "sales_east~");
    EXPECT_NE(office, folderName("OFFICE", "SOFTWARE\\Q\\Office"));
    EXPECT_NE(office, folderName("Office", "SOFTWARE\\Q\\Office 2"));
    EXPECT_NE(office, folderName("Office", "SOFTWARE\\Q\\Office\\Sub"));
    EXPECT_EQ(office, folderName("Office", "software\\q\\OFFICE\\"));
    EXPECT_EQ(folderName("\xC9t\xE9", "Key\\\xC9t\xE9\xFF"), folderName("\xC9t\xE9", "KEY\\\xC9T\xC9\x9F"));
    EXPECT_EQ(EarlierBackupFolderFor(settings, "A/B"), (fs::path(kAbsolute) / SafeFileName("A/B")).string());
    EXPECT_EQ(BackupFileName({2026, 1, 2, 3, 4, 5}, 1), "2026-01-02 03-04-05.cat");
    EXPECT_EQ(BackupFileName({2026, 12, 31, 23, 59, 9}, 2), "2026-12-31 23-59-09 (2).cat");
}

TEST_F(CatalogBackupTest, BackupsAreCatalogFilesListedNewestFirstAndNeverOverwritten) {
    ASSERT_EQ(Write({"Letter", "Cover"}, At(10, 0, 0)).outcome, BackupResult::Written);
    // Three saves in one second, one a second later, one earlier.
    for (int i = 0; i < 3; ++i) {
        const BackupResult result = Write({"Letter"}, At(10, 0, 1));
        ASSERT_EQ(result.outcome, BackupResult::Written) << result.reason;
        EXPECT_EQ(result.folder, Folder("Office").string());
    }
    ASSERT_EQ(Write({"A", "B", "C"}, At(9, 59, 59)).outcome, BackupResult::Written);
    // Strangers in the folder are neither listed nor removed.
    // Names a backup never has: a sequence of 1, with a leading zero or of more
    // than three digits (one that overflows any integer), an impossible date.
    for (const char* name : {"notes.txt", "2026-12-07 10-00-01 (1).cat", "2026-12-07 10-00-0x.cat",
                             "2026-12-07 10-00-01 (02).cat", "2026-12-07 10-00-01 (1000).cat",
                             "2026-12-07 10-00-01 (99999999999999999999).cat", "2026-13-07 10-00-01.cat",
                             "2026-12-07 24-00-01.cat", "2026-12-07 10-00-01 ().cat"}) {
        WriteFileBytes(Folder("Office") / name, "keep me");
    }

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
    ASSERT_TRUE(ReadBackup(entries[3].path, "PS", read));
    EXPECT_EQ(DescribeAll(read), DescribeAll(CatalogOf({"Letter", "Cover"})));
    const StoredKeyImage image = ImageOf(CatalogOf({"Letter", "Cover"}));
    EXPECT_EQ(ReadFileBytes(entries[3].path), CatalogFileBytes(CatalogOf({"Letter", "Cover"}), &image, nullptr));

    PruneBackups(settings_, "Office", kOfficeKey, At(23, 59, 59));
    EXPECT_EQ(FileNames(List("Office")), (std::vector<std::string>{"2026-12-07 10-00-01 (3).cat", "2026-12-07 10-00-01 (2).cat",
                                                                    "2026-12-07 10-00-01.cat"}));
    EXPECT_EQ(ReadFileBytes(Folder("Office") / "notes.txt"), "keep me");
    EXPECT_EQ(ReadFileBytes(Folder("Office") / "2026-12-07 10-00-01 (99999999999999999999).cat"), "keep me");
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder("Office")), fs::directory_iterator()), 12);
    // Another catalog's backups are apart.
    EXPECT_TRUE(List("Other").empty());
}

// A clock set back (a CMOS reset, a virtual machine restored) makes the real
// backups look newer than the one a save just wrote; planted files dated 2099
// look newer still. Neither may push the new backup out.
TEST_F(CatalogBackupTest, TheBackupJustWrittenStaysAndFutureDatesAreNeverTheNewest) {
    settings_.Keep = 2;
    const platform::LocalTime later{2027, 3, 1, 12, 0, 0};
    ASSERT_EQ(Write({"Real 1"}, later).outcome, BackupResult::Written);
    ASSERT_EQ(Write({"Real 2"}, {2027, 3, 2, 12, 0, 0}).outcome, BackupResult::Written);
    WriteFileBytes(Folder("Office") / "2099-01-01 00-00-00.cat", CatalogOf({"Planted"}).ExportBytes());
    ASSERT_EQ(Write({"Older"}, At(9, 0, 0)).outcome, BackupResult::Written);

    // The clock now says 2026-12-07 10:00.
    const BackupResult saved = Write({"Now"}, At(10, 0, 0));
    ASSERT_EQ(saved.outcome, BackupResult::Written);
    std::vector<BackupEntry> entries = List("Office", kOfficeKey, At(10, 0, 0));
    EXPECT_EQ(FileNames(entries), (std::vector<std::string>{"2026-12-07 10-00-00.cat", "2026-12-07 09-00-00.cat",
                                                             "2027-03-01 12-00-00.cat", "2027-03-02 12-00-00.cat",
                                                             "2099-01-01 00-00-00.cat"}));
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_FALSE(entries[1].future);
    EXPECT_TRUE(entries[2].future);
    EXPECT_TRUE(entries[4].future);

    PruneBackups(settings_, "Office", kOfficeKey, At(10, 0, 0), saved.path);
    EXPECT_EQ(FileNames(List("Office", kOfficeKey, At(10, 0, 0))),
              (std::vector<std::string>{"2026-12-07 10-00-00.cat", "2026-12-07 09-00-00.cat"}));
    // Keep=1 with only future dates beside it: the new backup is the one kept.
    WriteFileBytes(Folder("Office") / "2099-01-01 00-00-00.cat", CatalogOf({"Planted"}).ExportBytes());
    settings_.Keep = 1;
    const BackupResult next = Write({"Next"}, At(9, 30, 0));
    PruneBackups(settings_, "Office", kOfficeKey, At(9, 30, 0), next.path);
    EXPECT_EQ(FileNames(List("Office", kOfficeKey, At(9, 30, 0))), (std::vector<std::string>{"2026-12-07 09-30-00.cat"}));
}

// Folders named after the catalog alone were shared by names equal but for
// letter case (one folder on Windows) and by one name configured for two keys.
TEST_F(CatalogBackupTest, EachCatalogAndKeyHasItsOwnFolderAndTheEarlierFolderIsOfferedButNeverPruned) {
    settings_.Keep = 1;
    const std::string otherKey = kTestRoot + "\\Elsewhere";
    ASSERT_EQ(Write({"Mine"}, At(8, 0, 0)).outcome, BackupResult::Written);
    ASSERT_EQ(Write({"Twin"}, At(8, 0, 1), "OFFICE").outcome, BackupResult::Written);
    ASSERT_EQ(Write({"Other key"}, At(8, 0, 2), "Office", otherKey).outcome, BackupResult::Written);
    const fs::path earlier = EarlierBackupFolderFor(settings_, "Office");
    fs::create_directories(earlier);
    WriteFileBytes(earlier / "2026-12-07 07-00-00.cat", CatalogOf({"Old 1"}).ExportBytes());
    WriteFileBytes(earlier / "2026-12-07 08-00-00.cat", CatalogOf({"Old 2"}).ExportBytes());

    const BackupResult saved = Write({"Mine again"}, At(9, 0, 0));
    PruneBackups(settings_, "Office", kOfficeKey, At(9, 0, 0), saved.path);
    const std::vector<BackupEntry> entries = List("Office");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].path, saved.path);
    EXPECT_EQ(entries[1].path, (earlier / "2026-12-07 08-00-00.cat").string());
    EXPECT_TRUE(entries[1].earlierFolder);
    EXPECT_FALSE(entries[0].earlierFolder);
    EXPECT_EQ(entries[1].paperCount, 1);
    // Where names are compared without regard to case, the earlier folder of
    // "OFFICE" is that of "Office": only its own folder is apart.
    const std::vector<BackupEntry> twin = List("OFFICE");
    EXPECT_EQ(std::count_if(twin.begin(), twin.end(), [](const BackupEntry& e) { return !e.earlierFolder; }), 1);
    EXPECT_EQ(List("Office", otherKey).size(), 3u);  // its own, and the two of the shared earlier folder
    PruneBackups(settings_, "Office", otherKey, At(9, 0, 0));
    EXPECT_TRUE(fs::exists(earlier / "2026-12-07 07-00-00.cat"));
}

// Standard users may add files below %ProgramData%: a catalog planted there
// would be restored into HKEY_LOCAL_MACHINE by an administrator.
TEST_F(CatalogBackupTest, FoldersThatMayNotBeTrustedAreNeitherWrittenNorListedNorPruned) {
    ASSERT_EQ(Write({"Real"}, At(8, 0, 0)).outcome, BackupResult::Written);
    const fs::path folder = Folder("Office");
    std::string reason;
    EXPECT_EQ(platform::CheckFolderSafety(folder.string(), reason), platform::FolderSafety::Safe) << reason;
    EXPECT_EQ(platform::CheckFolderSafety(settings_.Folder, reason), platform::FolderSafety::Safe) << reason;
    WriteFileBytes(folder / "2026-12-07 07-00-00.cat", CatalogOf({"Planted"}).ExportBytes());
    settings_.Keep = 1;

    const auto expectRefused = [this, &folder](const std::string& expected) {
        const BackupResult result = Write({"Real"}, At(9, 0, 0));
        EXPECT_EQ(result.outcome, BackupResult::Failed);
        EXPECT_EQ(result.reason, expected);
        EXPECT_EQ(result.folder, folder.string());
        std::vector<BackupEntry> entries;
        std::string reason;
        EXPECT_FALSE(ListBackups(settings_, "Office", kOfficeKey, "PS", At(9, 0, 0), entries, reason));
        EXPECT_EQ(reason, expected);
        EXPECT_TRUE(entries.empty());
        PruneBackups(settings_, "Office", kOfficeKey, At(9, 0, 0));
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
    };
    ASSERT_TRUE(platform::OpenFolderToUsersForTesting(folder.string()));
    EXPECT_EQ(platform::CheckFolderSafety(folder.string(), reason), platform::FolderSafety::OpenToUsers);
    expectRefused("Users without administrator rights can change the folder " + folder.string() +
                  ", so backups are neither kept in it nor restored from it.");

    // The configured folder open to users: a catalog's folder made in it could be replaced.
    fs::remove_all(settings_.Folder);
    ASSERT_EQ(Write({"Real"}, At(8, 0, 0)).outcome, BackupResult::Written);
    WriteFileBytes(folder / "2026-12-07 07-00-00.cat", CatalogOf({"Planted"}).ExportBytes());
    ASSERT_TRUE(platform::OpenFolderToUsersForTesting(settings_.Folder));
    expectRefused("Users without administrator rights can change the folder " + settings_.Folder +
                  ", so backups are neither kept in it nor restored from it.");

    // No backups where a relative folder would put them: the current folder.
    settings_.Folder = "Backups";
    const BackupResult relative = Write({"Real"}, At(9, 0, 0));
    EXPECT_EQ(relative.outcome, BackupResult::Failed);
    EXPECT_EQ(relative.reason, BackupFolderProblem(settings_));
    EXPECT_FALSE(relative.reason.empty());
    EXPECT_FALSE(fs::exists("Backups"));
}

// A junction or symbolic link may lead into a folder standard users own.
TEST_F(CatalogBackupTest, AFolderThatIsALinkIsNeitherWrittenNorListed) {
    const fs::path elsewhere = dir_ / "Elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directories(settings_.Folder);
    std::error_code error;
    fs::create_directory_symlink(elsewhere, Folder("Office"), error);
    if (error) GTEST_SKIP() << "no directory links here: " << error.message();
    WriteFileBytes(elsewhere / "2026-12-07 07-00-00.cat", CatalogOf({"Planted"}).ExportBytes());
    const BackupResult result = Write({"Real"}, At(9, 0, 0));
    EXPECT_EQ(result.outcome, BackupResult::Failed);
    EXPECT_EQ(result.reason, "The folder " + Folder("Office").string() +
                                 " is a junction or another kind of link, so backups are neither kept in it nor restored from it.");
    std::vector<BackupEntry> entries;
    std::string reason;
    EXPECT_FALSE(ListBackups(settings_, "Office", kOfficeKey, "PS", At(9, 0, 0), entries, reason));
    EXPECT_EQ(reason, result.reason);
    EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()), 1);
}

TEST_F(CatalogBackupTest, KeepZeroWritesAndRemovesNothing) {
    ASSERT_EQ(Write({"Letter"}, At(8, 0, 0)).outcome, BackupResult::Written);
    settings_.Keep = 0;
    EXPECT_EQ(Write({"Letter"}, At(8, 0, 1)).outcome, BackupResult::Off);
    PruneBackups(settings_, "Office", kOfficeKey, At(8, 0, 1));
    EXPECT_EQ(List("Office").size(), 1u);
    EXPECT_EQ(Write({}, At(8, 0, 2)).outcome, BackupResult::Off);
}

// The one save reads the key as the load does: it names the entries that are
// not papers before removing them, keeps the key when told no, and backs up
// every value exactly, from which a restore reads what the load read.
TEST_F(CatalogBackupTest, TheSaveAsksAboutWhatTheLoadSkipsAndBacksUpEveryValue) {
    const std::string key = kTestRoot + "\\Held";
    struct Case {
        const char* what;
        const char* pdl;
        std::vector<std::pair<std::string, std::string>> values;  // REG_SZ text, or a DWORD when empty
    } cases[] = {
        {"keyword form out of order, a DWORD, too long a name and too long a text", "PS",
         {{"B", "A4,80,white,plain,F,1"}, {"A", "LETTER,75,white,plain,F,0"}, {"Count", ""},
          {std::string(64, 'N'), "A4,80,white,plain,F,2"}, {"Long", "A4," + std::string(130, '9') + ",white,plain,F,3"},
          {"C", "A3,90,red,cover,T,1"}}},
        {"descriptive form with a gap and the unnamed value", "PCL",
         {{"PaperDef2", "Y,l,595 842 ,80 gsm,white,plain,f"}, {"PaperDef0", "X,l,612 792 ,75 gsm,blue,cover,t"}, {"", ""}}},
    };
    struct Answers final : SaveQuestions {
        bool remove = false;
        std::vector<SkippedEntry> asked;
        bool OverwriteChange(const StoredKeyImage&) override { return false; }
        bool RemoveEntries(const std::vector<SkippedEntry>& entries) override {
            asked = entries;
            return remove;
        }
        bool SaveWithoutBackup(const BackupResult&) override { return false; }
        bool SaveWithoutRecord(const std::string&, const std::string&) override { return false; }
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::DeleteKeyTree(key);
        fs::remove_all(Folder("Held", key));
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
        StoreReport load;
        ASSERT_EQ(loaded.LoadFromRegistry(key, c.pdl, &load), STORE_OK);
        ASSERT_GT(loaded.GetCount(), 1);
        ASSERT_FALSE(load.Skipped.empty());

        SaveRequest request{{"Held", key, c.pdl}, StoredValuesOf(CatalogOf({"New"}), c.pdl), load.Image, settings_};
        Answers answers;
        const SaveResult kept = SaveCatalog(request, answers);
        EXPECT_EQ(kept.outcome, SaveOutcome::EntriesKept);
        ASSERT_EQ(answers.asked.size(), load.Skipped.size());
        for (size_t i = 0; i < load.Skipped.size(); ++i) EXPECT_EQ(answers.asked[i].value, load.Skipped[i].value);
        StoreReport after;
        CPaperCatalog unchanged;
        ASSERT_EQ(unchanged.LoadFromRegistry(key, c.pdl, &after), STORE_OK);
        EXPECT_EQ(after.Image, load.Image);
        EXPECT_FALSE(fs::exists(Folder("Held", key)));

        answers.remove = true;
        const SaveResult saved = SaveCatalog(request, answers);
        ASSERT_EQ(saved.outcome, SaveOutcome::Saved);
        ASSERT_EQ(saved.backup.outcome, BackupResult::Written) << saved.backup.reason;
        EXPECT_EQ(saved.image, ImageOf(CatalogOf({"New"}), c.pdl));
        // Every value, the skipped ones too, exactly; the papers as the load read them.
        const CatalogFile backup = ReadCatalogFile(ReadFileBytes(saved.backup.path));
        ASSERT_TRUE(backup.values);
        StoredKeyImage backedUp = *backup.values;
        SortKeyImage(backedUp);
        EXPECT_EQ(backedUp, load.Image);
        CPaperCatalog restored;
        ASSERT_TRUE(ReadBackup(saved.backup.path, c.pdl, restored));
        EXPECT_EQ(DescribeAll(restored), DescribeAll(loaded));
    }
}

// A save cut short leaves its record; the next start settles it by what the
// key holds: the old or the new catalog as it is, anything else put back to
// the old one with the new one kept. A record it cannot read or trust is
// named and left alone.
TEST_F(CatalogBackupTest, TheRecordOfASaveCutShortIsSettledByWhatTheKeyHolds) {
    const std::string key = kTestRoot + "\\Recorded";
    const SaveTarget target{"Recorded", key, "PS"};
    const auto image = [&] {
        StoreReport report;
        CPaperCatalog catalog;
        catalog.LoadFromRegistry(key, "PS", &report);
        return report.Image;
    };
    const auto plant = [&](const StoredKeyImage& values) {
        platform::DeleteKeyTree(key);
        platform::RegKey open;
        uint32_t disposition = 0;
        ASSERT_EQ(platform::CreateOrOpenKey(key, open, disposition), platform::kRegOk);
        for (const StoredValueImage& value : values) {
            ASSERT_EQ(platform::SetRawValue(open, value.Name, value.Type, value.Data), platform::kRegOk);
        }
    };
    StoredKeyImage before = ImageOf(CatalogOf({"Old", "Older"}));
    before.push_back({"Version", platform::kRegDword, std::string("\x02\0\0\0", 4), true});
    SortKeyImage(before);
    const StoredKeyImage after = ImageOf(CatalogOf({"New", "Newer", "Newest"}));
    StoredKeyImage mixed = before;
    mixed.push_back(after.front());
    SortKeyImage(mixed);
    const std::string record = SaveRecordPath(settings_, target);

    struct Case {
        const char* what;
        const StoredKeyImage* held;
        std::function<void()> spoil;  // done to the record after it is written
        SaveRecovery::Outcome outcome;
        const StoredKeyImage* left;  // what the key holds afterwards
        bool recordStays;
    } cases[] = {
        {"the old catalog", &before, {}, SaveRecovery::Finished, &before, false},
        {"the new catalog", &after, {}, SaveRecovery::Finished, &after, false},
        {"neither", &mixed, {}, SaveRecovery::PutRight, &before, false},
        {"a record cut short while it was written", &mixed,
         [&] {
             const std::string bytes = ReadFileBytes(record);
             fs::remove(record);
             WriteFileBytes(record, bytes.substr(0, bytes.find("[End]")));
         },
         SaveRecovery::Finished, &mixed, false},
        {"a record changed by hand", &mixed,
         [&] {
             std::string bytes = ReadFileBytes(record);
             bytes.replace(bytes.find("Value_001="), 10, "Value_009=");
             fs::remove(record);
             WriteFileBytes(record, bytes);
         },
         SaveRecovery::Unreadable, &mixed, true},
        {"a record in a folder users can change", &mixed,
         [&] { ASSERT_TRUE(platform::OpenFolderToUsersForTesting(fs::path(record).parent_path().string())); },
         SaveRecovery::Untrusted, &mixed, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(settings_.Folder);
        plant(before);
        std::string path;
        std::string reason;
        ASSERT_TRUE(WriteSaveRecord(settings_, target, before, after, path, reason)) << reason;
        EXPECT_EQ(path, record);
        // One record a key: a second save cannot begin while it stands.
        EXPECT_FALSE(WriteSaveRecord(settings_, target, before, after, path, reason));
        plant(*c.held);
        if (c.spoil) c.spoil();
        const SaveRecovery recovery = RecoverInterruptedSave(settings_, target);
        EXPECT_EQ(recovery.outcome, c.outcome);
        EXPECT_EQ(image(), *c.left);
        EXPECT_EQ(fs::exists(record), c.recordStays);
        EXPECT_EQ(RecoveryMessage(recovery, target).empty(), c.outcome == SaveRecovery::Finished);
        if (c.outcome == SaveRecovery::PutRight) {
            // Nothing typed is lost: what the save was writing is a backup.
            CPaperCatalog kept;
            ASSERT_TRUE(ReadBackup(recovery.kept, "PS", kept));
            EXPECT_EQ(DescribeAll(kept), DescribeAll(CatalogOf({"New", "Newer", "Newest"})));
        }
        if (c.recordStays) {
            EXPECT_EQ(RecoverInterruptedSave(settings_, target).outcome, c.outcome) << "named again, never guessed at";
        } else {
            EXPECT_EQ(RecoverInterruptedSave(settings_, target).outcome, SaveRecovery::None);
        }
    }

    // The save itself settles a record first, then writes; its own record is
    // gone once the key holds the new catalog.
    fs::remove_all(settings_.Folder);
    plant(before);
    std::string path;
    std::string reason;
    ASSERT_TRUE(WriteSaveRecord(settings_, target, before, after, path, reason));
    plant(mixed);
    struct Agree final : SaveQuestions {
        bool OverwriteChange(const StoredKeyImage&) override { return true; }
        bool RemoveEntries(const std::vector<SkippedEntry>&) override { return true; }
        bool SaveWithoutBackup(const BackupResult&) override { return false; }
        bool SaveWithoutRecord(const std::string&, const std::string&) override { return false; }
    } agree;
    const SaveResult saved = SaveCatalog({target, StoredValuesOf(CatalogOf({"Last"}), "PS"), std::nullopt, settings_}, agree);
    EXPECT_EQ(saved.recovery.outcome, SaveRecovery::PutRight);
    EXPECT_EQ(saved.outcome, SaveOutcome::Saved);
    EXPECT_EQ(image(), ImageOf(CatalogOf({"Last"})));
    EXPECT_FALSE(fs::exists(record));
}

TEST_F(CatalogBackupTest, UnwritableFoldersFailWithTheSystemsReasonAndWriteNothing) {
    // A file where the backup folder should be, at either level.
    WriteFileBytes(dir_ / "Backups", "a file");
    BackupResult result = Write({"Letter"}, At(6, 0, 0));
    EXPECT_EQ(result.outcome, BackupResult::Failed);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(ReadFileBytes(dir_ / "Backups"), "a file");
    std::vector<BackupEntry> entries;
    std::string reason;
    EXPECT_TRUE(ListBackups(settings_, "Office", kOfficeKey, "PS", At(6, 0, 0), entries, reason) == false || entries.empty());

    fs::remove(dir_ / "Backups");
    fs::create_directories(dir_ / "Backups");
    WriteFileBytes(Folder("Office"), "a file");
    result = Write({"Letter"}, At(6, 0, 0));
    EXPECT_EQ(result.outcome, BackupResult::Failed);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(ReadFileBytes(Folder("Office")), "a file");
    EXPECT_FALSE(ListBackups(settings_, "Office", kOfficeKey, "PS", At(6, 0, 0), entries, reason));
    EXPECT_FALSE(reason.empty());
}

TEST_F(CatalogBackupTest, ABackupThatIsNoCatalogFileIsRefusedAndAnotherLanguagesBannerIsRead) {
    const fs::path folder = Folder("Office");
    fs::create_directories(folder);
    WriteFileBytes(folder / "2026-12-07 05-00-00.cat", "[Papers]\r\nPaper_000=Letter,LETTER,75,white,plain,F\r\n");
    WriteFileBytes(folder / "2026-12-07 05-00-01.cat", "");
    AppState.CurrentLanguage = 6;
    WriteFileBytes(folder / "2026-12-07 05-00-02.cat", CatalogOf({"Brief"}).ExportBytes());
    AppState.CurrentLanguage = kEnglish;

    const std::vector<BackupEntry> entries = List("Office");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].paperCount, 1);
    EXPECT_EQ(entries[1].paperCount, -1);
    EXPECT_EQ(entries[2].paperCount, -1);
    CPaperCatalog kept = CatalogOf({"Mine"});
    EXPECT_FALSE(ReadBackup(entries[1].path, "PS", kept));
    EXPECT_FALSE(ReadBackup(entries[2].path, "PS", kept));
    EXPECT_EQ(NamesAndPositions(kept), "Mine@0");
    EXPECT_TRUE(ReadBackup(entries[0].path, "PS", kept));
    EXPECT_EQ(NamesAndPositions(kept), "Brief@0");
}

#ifndef _WIN32
// A folder nobody may write to, not even the administrator: the immutable
// attribute, where the file system has it.
TEST_F(CatalogBackupTest, AReadOnlyFolderFailsWithTheSystemsReason) {
    const fs::path folder = Folder("Office");
    fs::create_directories(folder);
    if (std::system(("chattr +i '" + folder.string() + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "no immutable attribute here";
    }
    const BackupResult result = Write({"Letter"}, At(6, 0, 0));
    std::system(("chattr -i '" + folder.string() + "'").c_str());
    EXPECT_EQ(result.outcome, BackupResult::Failed);
    EXPECT_EQ(result.reason, platform::SystemErrorText(EPERM));
    EXPECT_TRUE(fs::is_empty(folder));
}
#endif

}  // namespace
