// The printer address remembered per catalog: one key changed in a file people
// edit by hand, every other byte kept, and read back as the reader reads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "config/Configuration.h"
#include "editor/PrinterAddress.h"
#include "platform/ProfileEdit.h"
#include "platform/ProfileFile.h"
#include "platform/System.h"
#include "state/AppState.h"

namespace fs = std::filesystem;

namespace {

struct EditCase {
    const char* what;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::optional<std::string> after;  // nothing: the file is not edited
    std::string afterKey = {};
};

TEST(ProfileEdit, OneKeyChangesAndEveryOtherByteStays) {
    const std::string nt = "[Windows NT]";
    const EditCase cases[] = {
        {"an existing value replaced, the blank lines and comments around it kept",
         "; made by hand\r\n[I18N]\r\nLanguage=English\r\n\r\n[Windows NT]\r\nCatalog_01=A\r\nPrinterUri_01=ipp://old/\r\n"
         "\r\n[Other]\r\nx=1\r\n",
         "Windows NT", "PrinterUri_01", "ipp://new:631/ipp/print",
         "; made by hand\r\n[I18N]\r\nLanguage=English\r\n\r\n[Windows NT]\r\nCatalog_01=A\r\n"
         "PrinterUri_01=ipp://new:631/ipp/print\r\n\r\n[Other]\r\nx=1\r\n"},
        {"the key's spelling and the blanks before its = kept",
         nt + "\r\n  printeruri_01 = ipp://old  \r\nRegistry_01=X\r\n", "windows nt", "PrinterUri_01", "ipp://b/",
         nt + "\r\n  printeruri_01 =ipp://b/\r\nRegistry_01=X\r\n"},
        {"a new key after the section's last line, before the blank line that ends it",
         "[Windows NT]\r\nCatalog_01=A\r\nRegistry_01=K\r\n\r\n\r\n[Backups]\r\nKeep=3\r\n", "Windows NT",
         "PrinterUri_01", "ipps://p/",
         "[Windows NT]\r\nCatalog_01=A\r\nRegistry_01=K\r\nPrinterUri_01=ipps://p/\r\n\r\n\r\n[Backups]\r\nKeep=3\r\n"},
        {"after the key named, where the catalog's other keys are",
         "[Windows NT]\r\nCatalog_01=A\r\nRegistry_01=K\r\nCatalog_02=B\r\nRegistry_02=L\r\n", "Windows NT",
         "PrinterUri_01", "ipp://p/",
         "[Windows NT]\r\nCatalog_01=A\r\nRegistry_01=K\r\nPrinterUri_01=ipp://p/\r\nCatalog_02=B\r\nRegistry_02=L\r\n",
         "registry_01"},
        {"the key named missing: at the section's end", "[Windows NT]\r\nCatalog_01=A\r\n\r\n", "Windows NT",
         "PrinterUri_03", "v", "[Windows NT]\r\nCatalog_01=A\r\nPrinterUri_03=v\r\n\r\n", "Registry_03"},
        {"a missing section added at the end", "[I18N]\r\nLanguage=English\r\n", "Windows NT", "PrinterUri_02",
         "ipp://p/", "[I18N]\r\nLanguage=English\r\n[Windows NT]\r\nPrinterUri_02=ipp://p/\r\n"},
        {"an empty file", "", "Windows NT", "PrinterUri_01", "ipp://p/", "[Windows NT]\r\nPrinterUri_01=ipp://p/\r\n"},
        {"LF line ends and no line end at the very end", "[Windows NT]\nCatalog_01=A", "Windows NT", "PrinterUri_01",
         "ipp://p/", "[Windows NT]\nCatalog_01=A\nPrinterUri_01=ipp://p/\n"},
        {"the value the last line of the file, without a line end", "[Windows NT]\r\nPrinterUri_01=old", "Windows NT",
         "PrinterUri_01", "ipp://p/", "[Windows NT]\r\nPrinterUri_01=ipp://p/"},
        {"only the first of two sections of the name, which is the one read",
         "[Windows NT]\r\nCatalog_01=A\r\n[Windows NT]\r\nPrinterUri_01=ipp://second/\r\n", "Windows NT",
         "PrinterUri_01", "ipp://p/",
         "[Windows NT]\r\nCatalog_01=A\r\nPrinterUri_01=ipp://p/\r\n[Windows NT]\r\nPrinterUri_01=ipp://second/\r\n"},
        {"a key written without =", "[Windows NT]\r\nPrinterUri_01\r\nx=1\r\n", "Windows NT", "PrinterUri_01",
         "ipp://p/", "[Windows NT]\r\nPrinterUri_01=ipp://p/\r\nx=1\r\n"},
        {"a commented line is another key", "[Windows NT]\r\n;PrinterUri_01=ipp://old/\r\n", "Windows NT",
         "PrinterUri_01", "ipp://p/", "[Windows NT]\r\n;PrinterUri_01=ipp://old/\r\nPrinterUri_01=ipp://p/\r\n"},
        {"a header with more after its ]", "[Windows NT] ; catalogs\r\nCatalog_01=A\r\n", "Windows NT",
         "PrinterUri_01", "ipp://p/", "[Windows NT] ; catalogs\r\nCatalog_01=A\r\nPrinterUri_01=ipp://p/\r\n"},
        {"a section whose name only begins the same", "[Windows NT 2]\r\nPrinterUri_01=x\r\n", "Windows NT",
         "PrinterUri_01", "ipp://p/", "[Windows NT 2]\r\nPrinterUri_01=x\r\n[Windows NT]\r\nPrinterUri_01=ipp://p/\r\n"},
        {"a value with line breaks and blanks at its ends", "[Windows NT]\r\n", "Windows NT", "PrinterUri_01",
         "  ipp://p/\r\n[I18N]\r\n", "[Windows NT]\r\nPrinterUri_01=ipp://p/  [I18N]\r\n"},
        {"CR alone ends the lines", "[Windows NT]\rCatalog_01=A\r\r[X]\r", "Windows NT", "PrinterUri_01", "v",
         "[Windows NT]\rCatalog_01=A\rPrinterUri_01=v\r\r[X]\r"},
        {"a UTF-16 file is not edited byte-wise", std::string("\xFF\xFE[\0W\0]\0", 8), "W", "PrinterUri_01", "v",
         std::nullopt},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<std::string> after = platform::SetProfileValue(c.before, c.section, c.key, c.value, c.afterKey);
        EXPECT_EQ(after, c.after);
        if (!after) continue;
        // What the program's reader, which reads as Windows does, finds there.
        const platform::ProfileFile read = platform::ProfileFile::Parse(*after);
        std::string expected = c.value;
        expected.erase(0, expected.find_first_not_of(" \r\n"));
        expected.erase(expected.find_last_not_of(" \r\n") + 1);
        for (char& ch : expected) ch = ch == '\r' || ch == '\n' ? ' ' : ch;
        EXPECT_EQ(read.GetString(c.section, c.key, "none", 256), expected);
    }
}

class PrinterAddressTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppState.Reset();
        platform::SetWindowsPlatformForTesting(true, 2);
        dir_ = fs::temp_directory_path() /
               ("quandrel-printer-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        AppState.ConfigurationFile = (dir_ / "Vellicor.cfg").string();
    }
    void TearDown() override {
        fs::remove_all(dir_);
        AppState.Reset();
    }
    void Write(const std::string& bytes) { std::ofstream(AppState.ConfigurationFile, std::ios::binary) << bytes; }
    std::string Read() const {
        std::ifstream in(AppState.ConfigurationFile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // As start-up reads it: the section and the catalogs (whose keys need not exist).
    void Load() { ASSERT_NE(LoadConfiguration(AppState.ConfigurationFile), ConfigurationResult::Missing); }

    fs::path dir_;
};

const char kTwoCatalogs[] =
    "\xEF\xBB\xBF[I18N]\r\nLanguage=English\r\n\r\n[Windows 95_98]\r\nCatalog_01=Office\r\nPDL_01=PS\r\nRegistry_01=K1\r\n"
    "\r\n[Windows NT]\r\nCatalog_01=Office\r\nPDL_01=PS\r\nRegistry_01=K1\r\nCatalog_02=Press\r\nPDL_02=PCL\r\n"
    "Registry_02=K2\r\nPrinterUri_02=ipp://press.example/ipp/print\r\n";

TEST_F(PrinterAddressTest, EachConfiguredCatalogKeepsItsOwnAddressInTheRunningFamilysSection) {
    Write(kTwoCatalogs);
    Load();
    ASSERT_EQ(AppState.ConfigurationSection, "Windows NT");
    EXPECT_EQ(RememberedPrinterUri("Office"), "");
    EXPECT_EQ(RememberedPrinterUri("Press"), "ipp://press.example/ipp/print");

    long error = -1;
    EXPECT_EQ(RememberPrinterUri("Office", "ipps://office.example:8443/ipp/print", &error), RememberOutcome::Written);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(RememberedPrinterUri("Office"), "ipps://office.example:8443/ipp/print");
    EXPECT_EQ(RememberedPrinterUri("Press"), "ipp://press.example/ipp/print");
    std::string expected = kTwoCatalogs;
    expected.insert(expected.find("Catalog_02"), "PrinterUri_01=ipps://office.example:8443/ipp/print\r\n");
    // Beside its own catalog's keys, not at the end of the section.
    EXPECT_EQ(Read(), expected) << "the other family's section, the mark and the blank lines stay";

    // Read again at start-up as before: the new key changes nothing else.
    AppState.CatalogLocations.clear();
    Load();
    ASSERT_EQ(AppState.CatalogLocations.size(), 2u);
    EXPECT_EQ(AppState.CatalogLocations[1].RegistryPath, "K2");
}

TEST_F(PrinterAddressTest, ACatalogWithoutASectionAndAFileThatCannotBeWrittenAreSaidSo) {
    Write(kTwoCatalogs);
    Load();
    long error = -1;
    for (const char* name : {"", "Not configured"}) {
        EXPECT_EQ(RememberPrinterUri(name, "ipp://p/", &error), RememberOutcome::NotConfigured) << name;
        EXPECT_EQ(RememberedPrinterUri(name), "") << name;
    }
    EXPECT_EQ(Read(), kTwoCatalogs);

    fs::remove(AppState.ConfigurationFile);
    EXPECT_EQ(RememberPrinterUri("Office", "ipp://p/", &error), RememberOutcome::Failed);
    EXPECT_NE(error, 0);
    EXPECT_FALSE(fs::exists(AppState.ConfigurationFile)) << "a missing file is not made anew";
}

}  // namespace
