#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalog/CatalogBackup.h"
#include "catalog/CatalogSave.h"
#include "catalog/PaperCatalog.h"
#include "cmd/Commands.h"
#include "platform/FileReplace.h"
#include "platform/FolderSecurity.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "tests/unit/PaperTestSupport.h"
#ifdef _WIN32
#include <windows.h>
#else
#include "platform/RegistryTesting.h"
#endif

namespace fs = std::filesystem;

namespace {

const char* const kRoot = "SOFTWARE\\QuandrelTests\\Commands";
const std::string kKeywordKey = std::string(kRoot) + "\\Office PS";
const std::string kDescriptiveKey = std::string(kRoot) + "\\Office PCL";
const std::string kMissingKey = std::string(kRoot) + "\\Archive";

// Three catalogs: keyword form, descriptive form, and one whose key does not exist.
std::string Config(const std::string& language = "English") {
    // Backups in the test's own folder, which is current when this is called.
    return "[I18N]\r\nLanguage=" + language + "\r\n[Backups]\r\nFolder=" + (fs::current_path() / "Backups").string() +
           "\r\n[Windows NT]\r\n"
           "Catalog_01=Office PostScript\r\nPDL_01=PS\r\nRegistry_01=" + kKeywordKey + "\r\n"
           "Catalog_02=Office PCL\r\nPDL_02=PCL\r\nRegistry_02=" + kDescriptiveKey + "\r\n"
           "Catalog_03=Archive\r\nPDL_03=PS\r\nRegistry_03=" + kMissingKey + "\r\n";
}

struct Outcome {
    int code;
    CommandOutput output;
};

// Each test runs in a directory of its own, current while it runs, with the
// test keys removed before and after.
class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetWindowsPlatformForTesting(true, 2);
        previous_ = fs::current_path();
        dir_ = fs::temp_directory_path() /
               ("quandrel-cmd-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::current_path(dir_);
        platform::DeleteKeyTree(kRoot);
        Write("Vellicor.cfg", Config());
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
        platform::DeleteKeyTree(kRoot);
        AppState.Reset();
    }

    static void Write(const std::string& name, const std::string& bytes) {
        std::ofstream out(name, std::ios::binary);
        out << bytes;
    }
    static std::string Read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static Outcome Call(std::vector<std::string> arguments) {
        Outcome run{};
        run.code = RunCommand(arguments, run.output);
        return run;
    }

    // Stores `catalog` as the editor's Save As into a key would.
    static void Store(const CPaperCatalog& catalog, const std::string& key, bool descriptive) {
        AppState.CurrentLanguage = kEnglish;
        // The descriptive form needs the size list, as the editor has it.
        AppState.SizeChoiceCount = static_cast<int16_t>(PageSizeTable.size());
        ASSERT_EQ(catalog.SaveToRegistry(key, descriptive), STORE_OK);
    }
    static std::string Stored(const std::string& key, const std::string& pdl) {
        CPaperCatalog catalog;
        if (catalog.LoadFromRegistry(key, pdl) != STORE_OK) return "<unreadable>";
        return DescribeAll(catalog);
    }

    fs::path previous_;
    fs::path dir_;
};

TEST_F(CommandsTest, WrongCommandLinesExplainThemselvesAndChangeNothing) {
    struct Case {
        std::vector<std::string> arguments;
        std::string firstError;
    };
    const Case cases[] = {
        {{}, "No command was given."},
        {{"/frobnicate"}, "Unknown switch: /frobnicate"},
        {{"/list", "/export", "Office PCL", "x.cat"}, "Unknown switch: /export"},
        {{"/export", "Office PCL"}, "A value is missing after /export."},
        {{"/import", "x.cat", "Office PCL", "extra"}, "Unexpected argument: extra"},
        {{"/export", "Office PCL", "x.cat", "/csv"}, "Unknown switch: /csv"},
        {{"/check", "x.cat", "/nobackup"}, "Unknown switch: /nobackup"},
        {{"/check", "x.cat", "/allowempty"}, "Unknown switch: /allowempty"},
        // After a lone "--" everything is a name, a switch's look-alike too.
        {{"/check", "--", "x.cat", "/csv"}, "Unexpected argument: /csv"},
        {{"/list", "/config"}, "A value is missing after /config."},
    };
    for (const Case& c : cases) {
        const Outcome run = Call(c.arguments);
        EXPECT_EQ(run.code, kExitUsage) << c.firstError;
        ASSERT_FALSE(run.output.err.empty()) << c.firstError;
        EXPECT_EQ(run.output.err.front(), c.firstError);
        // The usage follows the message, on standard error; nothing on standard output.
        EXPECT_NE(std::find(run.output.err.begin(), run.output.err.end(), "  VellicorCmd /?"), run.output.err.end());
        EXPECT_TRUE(run.output.out.empty());
    }
    EXPECT_FALSE(fs::exists("x.cat"));
    platform::RegKey key;
    EXPECT_NE(platform::OpenKeyForReading(kDescriptiveKey, key), platform::kRegOk);

    // Asked for, the usage goes to standard output, in the configured language.
    Write("Vellicor.cfg", Config("German"));
    const Outcome help = Call({"/?"});
    EXPECT_EQ(help.code, kExitDone);
    ASSERT_GE(help.output.out.size(), 3u);
    EXPECT_EQ(help.output.out[1], "Aufruf:");
    EXPECT_TRUE(help.output.err.empty());
    // One line per option, one after another.
    const auto csv = std::find(help.output.out.begin(), help.output.out.end(),
                               "/csv: Ausgabe f\xFCr andere Programme (UTF-8, eine Kopfzeile).");
    ASSERT_GE(std::distance(csv, help.output.out.end()), 3);
    EXPECT_EQ(csv[1], "/nobackup: keine Sicherung vor /import, /merge oder /getmedia.");
    EXPECT_EQ(csv[2], "/allowempty: /import darf eine Katalogdatei ohne Papiere speichern, was den Katalog leert.");
}

// /report: the run's lines, standard output's then standard error's, in a
// file that did not exist; an existing file is never written over.
TEST_F(CommandsTest, ReportPutsTheRunsLinesIntoANewFileOnly) {
    Store(CatalogOf({"Plain", "Heavy"}, "White", "Plain"), kKeywordKey, false);
    ASSERT_EQ(Call({"/export", "Office PostScript", "out.cat"}).code, kExitDone);
    Outcome run = Call({"/import", "/report", "done.txt", "--", "out.cat", "Office PCL"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(Read("done.txt"), "Stored in the catalog Office PCL. Papers: 2\r\n");

    run = Call({"/import", "absent.cat", "Office PCL", "/report", "failed.txt"});
    EXPECT_EQ(run.code, kExitCatalogFile);
    ASSERT_EQ(run.output.err.size(), 2u);
    EXPECT_EQ(Read("failed.txt"), run.output.err[0] + "\r\n" + run.output.err[1] + "\r\n");

    // A report that cannot be written fails the run, with its own code and the
    // reason; one in the way stops the run before anything is done.
    Write("taken.txt", "kept");
    Store(CatalogOf({"Plain"}), kDescriptiveKey, true);
    run = Call({"/import", "out.cat", "Office PCL", "/report", "taken.txt"});
    EXPECT_EQ(run.code, kExitReport);
    EXPECT_EQ(Read("taken.txt"), "kept");
    EXPECT_EQ(run.output.err, std::vector<std::string>{"The report file taken.txt already exists: the report is only "
                                                       "ever written to a new file. Nothing was done."});
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), DescribeAll(CatalogOf({"Plain"})));
    run = Call({"/list", "/report", "no such folder/log.txt"});
    EXPECT_EQ(run.code, kExitReport);
    ASSERT_EQ(run.output.err.size(), 2u);
    EXPECT_EQ(run.output.err[0], "The report file no such folder/log.txt could not be written.");
    // A failed command keeps its own code: it says more than the report's.
    EXPECT_EQ(Call({"/import", "absent.cat", "Office PCL", "/report", "no such folder/log.txt"}).code, kExitCatalogFile);

    run = Call({"/list", "/report"});
    EXPECT_EQ(run.code, kExitUsage);
    EXPECT_EQ(run.output.err.front(), "A value is missing after /report.");
}

TEST_F(CommandsTest, ConfigurationProblemsEndWithCodeTwo) {
    fs::remove("Vellicor.cfg");
    Outcome run = Call({"/list"});
    EXPECT_EQ(run.code, kExitConfiguration);
    // Where it looked, and how to name the file.
    ASSERT_EQ(run.output.err.size(), 2u);
    EXPECT_EQ(run.output.err[0], "The configuration file Vellicor.cfg was not found in the folder " +
                                     fs::current_path().string() + ".");
    EXPECT_EQ(run.output.err[1].rfind("Name it with /config, for example: /config \"", 0), 0u);

    // /config names another file, wherever it is.
    fs::create_directories("other place");
    Write("other place/site.cfg", Config("Swedish"));
    run = Call({"/config", "other place/site.cfg", "/list"});
    EXPECT_EQ(run.code, kExitDone);
    ASSERT_EQ(run.output.out.size(), 3u);
    EXPECT_EQ(run.output.out[2], "Archive (PDL PS), HKEY_LOCAL_MACHINE\\" + kMissingKey +
                                     ": ingen nyckel \xE4nnu (/import, /merge eller Spara som i Quandrel skapar den)");
}

// Runs as a deployment makes them, the usual mistakes among them: each with
// its configuration, what the keyword catalog's key holds before, the exit
// code, what the key holds after, and a phrase the output must contain.
TEST_F(CommandsTest, DeploymentRunsAnswerAsTheTableSays) {
    enum class Key { Papers, PapersAndDefault, OnlyDefault, Missing };
    const std::string papers = DescribeAll(CatalogOf({"Plain", "Heavy"}));
    const std::string unchanged = "<unchanged>";
    const std::string catalogs = Config().substr(Config().find("[Backups]"));
    const std::string defaultValue = "(Default): a value without a name, never a paper";
    AppState.CurrentLanguage = kEnglish;
    ASSERT_TRUE(CatalogOf({"Matt"}).ExportToFile("one.cat"));
    ASSERT_TRUE(CPaperCatalog().ExportToFile("exported-empty.cat"));
    Write("hand-empty.cat", "[Paper Catalog]\r\n[Papers]\r\n");
    Write("zero.cat", "");
    Write("zero.csv", "");
    Write("header.csv", "Name,Size,Weight,Color,Type,ForceOneSided\r\n");
    Write("unknown.csv", "Name,Size,Heft\r\nMatt,A4,80\r\n");
    Write("taken.log", "earlier run");
    Write("central.csv", "Name,Size,Weight,Color,Type\r\nHeavy,A4,90,White,Plain\r\nGloss,A3,135,White,Glossy\r\n");

    struct Run {
        const char* what;
        std::vector<std::string> arguments;
        std::string configuration;  // "" for the usual one
        Key before;
        int code;
        std::string after;  // the keyword catalog's papers afterwards
        std::string phrase;
    };
    const Run runs[] = {
        // The configuration is read by the editor's rules: English when the
        // language is missing or unknown, said once; a UTF-8 mark read through.
        {"no language", {"/list"}, catalogs, Key::Papers, kExitDone, unchanged, "names no language (Language in [I18N])"},
        {"unknown language", {"/list"}, "[I18N]\r\nLanguage=Deutsch\r\n" + catalogs, Key::Papers, kExitDone, unchanged,
         "names the language \"Deutsch\", which is not one of English, Danish,"},
        {"comment after the language", {"/list"}, "[I18N]\r\nLanguage=English ; office\r\n" + catalogs, Key::Papers,
         kExitDone, unchanged, "\"English ; office\""},
        {"byte-order mark", {"/list"}, "\xEF\xBB\xBF" + Config("Dutch"), Key::Papers, kExitDone, unchanged,
         "beschikbaar, Papieren: 2"},
        {"run from another folder", {"/list", "/config", "elsewhere.cfg"}, "", Key::Papers, kExitConfiguration,
         unchanged, "elsewhere.cfg was not found in the folder "},
        // Names the administrator can match: quoted, with the configured ones;
        // a file and a catalog the other way round are said to be so.
        {"trailing blank", {"/import", "one.cat", "Office PostScript "}, "", Key::Papers, kExitCatalog, unchanged,
         "\"Office PostScript \" is not a configured catalog."},
        {"configured names listed", {"/import", "one.cat", "Office"}, "", Key::Papers, kExitCatalog, unchanged,
         "  \"Office PCL\""},
        {"swapped import", {"/import", "Office PostScript", "one.cat"}, "", Key::Papers, kExitUsage, unchanged,
         "\"Office PostScript\" is a configured catalog and \"one.cat\" is not"},
        {"swapped export", {"/export", "x.cat", "office postscript"}, "", Key::Papers, kExitUsage, unchanged,
         "  VellicorCmd /export \"<catalog>\" <file.cat|file.csv|file.jdf>"},
        // A report in the way fails the run before anything is done.
        {"report exists", {"/import", "one.cat", "Office PostScript", "/report", "taken.log"}, "", Key::Papers,
         kExitReport, unchanged, "taken.log already exists"},
        // One rule for the exit codes: no catalog file or table is 4; one whose
        // papers the rules refuse, or that holds none, is 6.
        {"zero-byte catalog file", {"/import", "zero.cat", "Office PostScript"}, "", Key::Papers, kExitCatalogFile,
         unchanged, "The text is empty"},
        {"zero-byte CSV", {"/import", "zero.csv", "Office PostScript"}, "", Key::Papers, kExitCatalogFile, unchanged,
         "cannot be imported"},
        {"unknown header cell", {"/import", "unknown.csv", "Office PostScript"}, "", Key::Papers, kExitCatalogFile,
         unchanged, "Heft"},
        {"header only", {"/import", "header.csv", "Office PostScript"}, "", Key::Papers, kExitRules, unchanged,
         "cannot be imported"},
        {"hand-written empty catalog file", {"/import", "hand-empty.cat", "Office PostScript"}, "", Key::Papers,
         kExitRules, unchanged, "holds no papers"},
        {"empty export", {"/check", "exported-empty.cat"}, "", Key::Papers, kExitRules, unchanged, "holds no papers"},
        {"hand-written empty, meant", {"/import", "hand-empty.cat", "Office PostScript", "/allowempty"}, "",
         Key::Papers, kExitDone, "", "Papers: 0"},
        // The unnamed default value is no paper: not counted, not exported,
        // and named "(Default)" where a save would remove it.
        {"default value listed", {"/list"}, "", Key::PapersAndDefault, kExitDone, unchanged, "available, Papers: 2"},
        {"default value alone", {"/list"}, "", Key::OnlyDefault, kExitDone, "", "available, Papers: 0"},
        {"default value not exported", {"/export", "Office PostScript", "out.cat"}, "", Key::PapersAndDefault, kExitDone,
         unchanged, "Written to out.cat. Papers: 2"},
        {"default value named", {"/import", "one.cat", "Office PostScript"}, "", Key::PapersAndDefault, kExitCatalog,
         unchanged, "  " + defaultValue},
        {"default value alone exported", {"/export", "Office PostScript", "out.cat"}, "", Key::OnlyDefault, kExitDone,
         "", "Papers: 0"},
        // Counts as labels; a key not made yet said as such.
        {"key not made yet", {"/list"}, "", Key::Missing, kExitDone, "<unreadable>", "no key yet"},
        {"merge counted", {"/merge", "central.csv", "Office PostScript"}, "", Key::Papers, kExitDone,
         "Plain|A4|80|White|Plain|F|0\nHeavy|A4|90|White|Plain|F|1\nGloss|A3|135|White|Glossy|F|2\n",
         "Added: 1, changed: 1, left alone: 1"},
        // A deployment by merge is checked with /compare /merged.
        {"merge still to do", {"/compare", "central.csv", "Office PostScript", "/merged"}, "", Key::Papers,
         kExitDifferent, unchanged, "Changed: \"Heavy\""},
        {"usage names the exit codes", {"/?"}, "", Key::Papers, kExitDone, unchanged,
         "   8  The /report file could not be written"},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.what);
        Write("Vellicor.cfg", run.configuration.empty() ? Config() : run.configuration);
        platform::DeleteKeyTree(kKeywordKey);
        if (run.before != Key::Missing) {
            if (run.before != Key::OnlyDefault) Store(CatalogOf({"Plain", "Heavy"}, "White", "Plain"), kKeywordKey, false);
            platform::RegKey key;
            uint32_t disposition = 0;
            ASSERT_EQ(platform::CreateOrOpenKey(kKeywordKey, key, disposition), platform::kRegOk);
            if (run.before != Key::Papers) ASSERT_EQ(platform::SetStringValue(key, "", ""), platform::kRegOk);
        }
        const std::string before = Stored(kKeywordKey, "PS");
        fs::remove("out.cat");

        const Outcome outcome = Call(run.arguments);
        EXPECT_EQ(outcome.code, run.code);
        EXPECT_EQ(Stored(kKeywordKey, "PS"), run.after == unchanged ? before : run.after);
        std::string all;
        for (const auto* lines : {&outcome.output.out, &outcome.output.err}) {
            for (const std::string& line : *lines) all += line + "\n";
        }
        EXPECT_NE(all.find(run.phrase), std::string::npos) << all;
        if (fs::exists("out.cat")) EXPECT_EQ(Read("out.cat").find("Paper_000=,"), std::string::npos);
        EXPECT_EQ(all.find(" 1 papers"), std::string::npos) << all;
    }
    EXPECT_EQ(Read("taken.log"), "earlier run");
}

// Every exit code the program knows is in its table, described in every
// language; the usage lists them all and every switch.
TEST_F(CommandsTest, TheTableNamesEveryExitCodeAndSwitch) {
    std::vector<int> codes;
    for (const ExitCodeRule& rule : ExitCodeRules()) codes.push_back(rule.code);
    EXPECT_EQ(codes, (std::vector<int>{kExitDone, kExitUsage, kExitConfiguration, kExitCatalog, kExitCatalogFile,
                                       kExitRegistry, kExitRules, kExitBackup, kExitReport, kExitPrinter, kExitDifferent,
                                       kExitRecovered}));
    const Outcome help = Call({"/?"});
    std::string usage;
    for (const std::string& line : help.output.out) usage += line + "\n";
    for (const CommandSwitch& entry : CommandSwitches()) {
        EXPECT_NE(usage.find(std::string("/") + entry.name), std::string::npos) << entry.name;
        // Each switch the usage names is one the parser takes.
        if (entry.verb != Verb::None) continue;
        for (const CommandSwitch& command : CommandSwitches()) {
            if (command.verb == Verb::None || command.verb == Verb::Help) continue;
            std::vector<std::string> arguments = {std::string("/") + command.name};
            for (size_t i = 0; i < OperandCount(command); ++i) arguments.push_back("operand" + std::to_string(i));
            arguments.push_back(std::string("/") + entry.name);
            if (*entry.operands) arguments.push_back("value.txt");
            const Outcome run = Call(arguments);
            const bool applies = entry.verbs == 0 || (entry.verbs & VerbBit(command.verb));
            const bool refused = !run.output.err.empty() && run.output.err.front() == "Unknown switch: /" + std::string(entry.name);
            EXPECT_EQ(refused, !applies) << command.name << " /" << entry.name;
        }
    }
    for (const ExitCodeRule& rule : ExitCodeRules()) {
        EXPECT_NE(usage.find("  " + std::to_string(rule.code) + "  "), std::string::npos) << rule.code;
    }
}

TEST_F(CommandsTest, ListGivesEveryConfiguredCatalogAsTextOrCsv) {
    Store(CatalogOf({"Plain", "Heavy"}, "White", "Plain"), kKeywordKey, false);
    Store(CatalogOf({"Gloss"}, "White", "Plain"), kDescriptiveKey, true);

    Outcome run = Call({"/LIST"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out, (std::vector<std::string>{
                                  "Office PostScript (PDL PS), HKEY_LOCAL_MACHINE\\" + kKeywordKey + ": available, Papers: 2",
                                  "Office PCL (PDL PCL), HKEY_LOCAL_MACHINE\\" + kDescriptiveKey + ": available, Papers: 1",
                                  "Archive (PDL PS), HKEY_LOCAL_MACHINE\\" + kMissingKey +
                                      ": no key yet (/import, /merge or Save As in Quandrel makes it)",
                              }));
    EXPECT_FALSE(run.output.utf8);

    // For programs: UTF-8 with a byte-order mark, one header row, fields quoted
    // where they hold a comma, language-independent values.
    Write("Vellicor.cfg", Config("French") + "Catalog_04=Caf\xE9, \"noir\"\r\nPDL_04=PCL\r\nRegistry_04=" + kMissingKey + "\r\n");
    run = Call({"/list", "/csv"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_TRUE(run.output.utf8);
    ASSERT_EQ(run.output.out.size(), 5u);
    EXPECT_EQ(run.output.out[0], "\xEF\xBB\xBF" "Catalog,PDL,Key,Available,Papers");
    EXPECT_EQ(run.output.out[1], "Office PostScript,PS,HKEY_LOCAL_MACHINE\\" + kKeywordKey + ",yes,2");
    EXPECT_EQ(run.output.out[4], "\"Caf\xC3\xA9, \"\"noir\"\"\",PCL,HKEY_LOCAL_MACHINE\\" + kMissingKey + ",no,");
}

TEST_F(CommandsTest, ExportAndImportCarryACatalogBetweenBothStoredForms) {
    Store(CatalogOf({"Plain", "Heavy", "Gloss"}, "White", "Plain"), kKeywordKey, false);
    const std::string original = Stored(kKeywordKey, "PS");

    // Catalog names match in any letter case, as listed.
    Outcome run = Call({"/export", "office postscript", "out.cat"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out, std::vector<std::string>{"Written to out.cat. Papers: 3"});
    CPaperCatalog exported;
    AppState.CurrentLanguage = kEnglish;
    ASSERT_EQ(exported.CheckImportFile("out.cat"), STORE_OK);
    // Again over the file it wrote, named relative to the current folder.
    EXPECT_EQ(Call({"/export", "Office PostScript", "out.cat"}).code, kExitDone);

    run = Call({"/import", "out.cat", "OFFICE PCL"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out, std::vector<std::string>{"Stored in the catalog Office PCL. Papers: 3"});
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), original);

    // Into a key that does not exist yet, as Save As would create it.
    run = Call({"/import", "out.cat", "Archive"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(Stored(kMissingKey, "PS"), original);
#ifdef _WIN32
    // The system's replace fails after moving the old file aside: where both files are.
    std::string aside;
    platform::SetSystemReplaceForTesting(
        [&](const std::string& replaced, const std::string&, const std::string& backup) -> unsigned long {
            aside = backup;
            return MoveFileA(replaced.c_str(), backup.c_str()) ? ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 : GetLastError();
        });
    run = Call({"/export", "Office PostScript", "out.cat"});
    platform::SetSystemReplaceForTesting(nullptr);
    EXPECT_EQ(run.code, kExitCatalogFile);
    ASSERT_EQ(run.output.err.size(), 4u);
    EXPECT_EQ(run.output.err[0], "The catalog file out.cat could not be written.");
    EXPECT_EQ(run.output.err[2], "The complete new catalog file was kept as " + aside.substr(0, aside.size() - 4) + ".cat.");
    EXPECT_EQ(run.output.err[3], "The previous content of the file is now in " + aside + ".");
    EXPECT_FALSE(fs::exists("out.cat"));
#endif
}

TEST_F(CommandsTest, RefusedInputLeavesTheKeyAsItWas) {
    Store(CatalogOf({"Plain"}, "White", "Plain"), kKeywordKey, false);
    const std::string before = Stored(kKeywordKey, "PS");
    {
        AppState.CurrentLanguage = kEnglish;
        ASSERT_TRUE(CatalogOf({"Gloss", "GLOSS"}, "White", "Plain").ExportToFile("twins.cat"));
        ASSERT_TRUE(CPaperCatalog().ExportToFile("empty.cat"));
        Write("other.txt", "[Something else]\r\n");
    }
    struct Case {
        std::vector<std::string> arguments;
        int code;
        std::string firstError;
    };
    const Case cases[] = {
        {{"/import", "twins.cat", "Nowhere"}, kExitCatalog, "\"Nowhere\" is not a configured catalog. The configured catalogs:"},
        {{"/import", "missing.cat", "Office PostScript"}, kExitCatalogFile, "The catalog file missing.cat could not be read."},
        {{"/import", "other.txt", "Office PostScript"}, kExitCatalogFile,
         "The catalog file other.txt was refused: it does not have the format required for importing a catalog."},
        {{"/import", "twins.cat", "Office PostScript"}, kExitRules,
         "The catalog holds papers with the same name, or with names that differ only in letter case."},
        // A catalog of no papers would empty the stored one: only when meant.
        {{"/import", "empty.cat", "Office PostScript"}, kExitRules, "The catalog file empty.cat holds no papers."},
        {{"/check", "empty.cat"}, kExitRules, "The catalog file empty.cat holds no papers."},
        {{"/export", "Archive", "x.cat"}, kExitCatalog,
         "The catalog Archive could not be read from the registry key HKEY_LOCAL_MACHINE\\" + kMissingKey + "."},
        {{"/export", "Office PostScript", "no such folder/x.cat"}, kExitCatalogFile,
         "The catalog file no such folder/x.cat could not be written."},
    };
    for (const Case& c : cases) {
        const Outcome run = Call(c.arguments);
        EXPECT_EQ(run.code, c.code) << c.firstError;
        ASSERT_FALSE(run.output.err.empty()) << c.firstError;
        EXPECT_EQ(run.output.err.front(), c.firstError);
        EXPECT_EQ(Stored(kKeywordKey, "PS"), before) << c.firstError;
    }
    // Names that differ only in case: what is wrong and why, as the editor says
    // it, then the companion's own advice instead of the editor's "save again",
    // in every language.
    EXPECT_EQ(Call({"/import", "twins.cat", "Office PostScript"}).output.err,
              (std::vector<std::string>{
                  "The catalog holds papers with the same name, or with names that differ only in letter case.",
                  "The registry cannot store them apart, so the catalog was not saved.",
                  "Rename or delete one of each such pair in the catalog file, then import it again.",
              }));
    for (const char* language :
         {"Danish", "Dutch", "Finnish", "French", "German", "Italian", "Norwegian", "Spanish", "Swedish"}) {
        Write("Vellicor.cfg", Config(language));
        const Outcome run = Call({"/import", "twins.cat", "Office PostScript"});
        const int16_t index = FindLanguageIndex(language);
        const std::string editor = GetLocalizedString(kMessageList, 19004, index);
        ASSERT_EQ(run.output.err.size(), 3u) << language;
        EXPECT_EQ(editor.rfind(run.output.err[0] + "\r" + run.output.err[1] + "\r", 0), 0u) << language;
        EXPECT_EQ(run.output.err[2], GetLocalizedString(kMessageList, 19609, index)) << language;
    }
    Write("Vellicor.cfg", Config());
    // The descriptive form keeps both names apart, so the same file is welcome there.
    EXPECT_EQ(Call({"/import", "twins.cat", "Office PCL"}).code, kExitDone);
    const Outcome emptied = Call({"/import", "empty.cat", "Office PCL", "/allowempty"});
    EXPECT_EQ(emptied.code, kExitDone);
    ASSERT_EQ(emptied.output.out.size(), 2u);
    EXPECT_EQ(emptied.output.out[0], "Stored in the catalog Office PCL. Papers: 0");
    EXPECT_EQ(emptied.output.out[1].rfind("Backup of what the catalog held before: " + (dir_ / "Backups").string(), 0), 0u);
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), "");

    // A name that fits two configured catalogs but for letter case chooses neither.
    Write("Vellicor.cfg", Config() + "Catalog_04=OFFICE POSTSCRIPT\r\nPDL_04=PCL\r\nRegistry_04=" + kMissingKey + "\r\n");
    const Outcome ambiguous = Call({"/import", "twins.cat", "office postscript"});
    EXPECT_EQ(ambiguous.code, kExitCatalog);
    EXPECT_EQ(ambiguous.output.err, (std::vector<std::string>{
                                        "office postscript fits several configured catalogs whose names differ only "
                                        "in letter case. Give the name exactly as configured:",
                                        "  Office PostScript", "  OFFICE POSTSCRIPT"}));
    EXPECT_EQ(Call({"/import", "twins.cat", "OFFICE POSTSCRIPT"}).code, kExitDone);
    EXPECT_EQ(Stored(kMissingKey, "PCL"), DescribeAll(CatalogOf({"Gloss", "GLOSS"}, "White", "Plain")));
    EXPECT_EQ(Stored(kKeywordKey, "PS"), before);
    Write("Vellicor.cfg", Config());
#ifdef _WIN32
    // A file another program is writing is not read half-written.
    {
        HANDLE writer = CreateFileA("twins.cat", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        const Outcome busy = Call({"/import", "twins.cat", "Office PCL"});
        CloseHandle(writer);
        EXPECT_EQ(busy.code, kExitCatalogFile);
        ASSERT_FALSE(busy.output.err.empty());
        EXPECT_EQ(busy.output.err.front(), "The catalog file twins.cat could not be read.");
        EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), "");
    }
#endif
#ifndef _WIN32
    // The registry refuses the key: code 5, and the stored catalog is untouched.
    AppState.CurrentLanguage = kEnglish;
    ASSERT_TRUE(CatalogOf({"Matt", "Silk"}, "White", "Plain").ExportToFile("two.cat"));
    const std::string key = "HKEY_LOCAL_MACHINE\\" + kKeywordKey;
    // Refused at once, refused part-way (the key put back), and refused so
    // that the key cannot be put back either: the last is said as it is.
    const struct {
        std::function<void()> fail;
        std::string message;
        bool unchanged;
    } registryFailures[] = {
        {[] { platform::FailCreateKey(kKeywordKey, platform::kRegAccessDenied); },
         "The catalog Office PostScript could not be saved in the registry key " + key + ". The key is unchanged.", true},
        {[] { platform::FailRegistryCall(platform::RegCall::Set, 2, platform::kRegAccessDenied); },
         "The catalog Office PostScript could not be saved in the registry key " + key + ". The key is unchanged.", true},
        {[] {
             platform::FailRegistryCall(platform::RegCall::Set, 2, platform::kRegAccessDenied, 100);
             platform::FailRegistryCall(platform::RegCall::Delete, 1, platform::kRegAccessDenied, 100);
         },
         "The catalog Office PostScript could not be saved in the registry key " + key +
             ", and the key could not be put back as it was: it may hold an incomplete catalog.",
         false},
        // Another program adds a paper while the backup is written: the key's
        // write mark has moved when the save looks again, the key is read again
        // before anything is written, and their paper stays.
        {[] {
             platform::BeforeRegistryCall(platform::RegCall::Mark, 2, [] {
                 platform::RegKey open;
                 uint32_t disposition = 0;
                 platform::CreateOrOpenKey(kKeywordKey, open, disposition);
                 platform::SetStringValue(open, "Theirs", "A4,80,white,plain,F,1");
             });
         },
         "The catalog Office PostScript in the registry key " + key +
             " was changed by another program while /import ran. Nothing was saved.",
         false},
    };
    for (const auto& failure : registryFailures) {
        // A registry emptied under the program is no state a record can settle.
        fs::remove_all("Backups");
        platform::ResetMemoryRegistry();
        Store(CatalogOf({"Plain"}, "White", "Plain"), kKeywordKey, false);
        failure.fail();
        const Outcome refused = Call({"/import", "two.cat", "Office PostScript"});
        EXPECT_EQ(refused.code, kExitRegistry) << failure.message;
        ASSERT_FALSE(refused.output.err.empty());
        EXPECT_EQ(refused.output.err.front(), failure.message);
        EXPECT_EQ(Stored(kKeywordKey, "PS") == before, failure.unchanged) << failure.message;
    }
    EXPECT_EQ(Stored(kKeywordKey, "PS"), "Plain|A4|80|White|Plain|F|0\nTheirs|A4|80|white|plain|F|1\n");
    platform::ResetMemoryRegistry();
    fs::remove_all("Backups");
#endif
    // Entries the program cannot read would be lost: nobody to ask, nothing written.
    Store(CatalogOf({"Plain"}, "White", "Plain"), kKeywordKey, false);
    const std::string longName(70, 'L');
    {
        platform::RegKey key;
        uint32_t disposition = 0;
        ASSERT_EQ(platform::CreateOrOpenKey(kKeywordKey, key, disposition), platform::kRegOk);
        ASSERT_EQ(platform::SetStringValue(key, longName, "LETTER,80,white,plain,F,1"), platform::kRegOk);
    }
    const Outcome kept = Call({"/import", "twins.cat", "Office PCL"});
    EXPECT_EQ(kept.code, kExitDone);
    const Outcome unreadable = Call({"/import", "other.txt", "Office PostScript"});
    EXPECT_EQ(unreadable.code, kExitCatalogFile);
    AppState.CurrentLanguage = kEnglish;
    ASSERT_TRUE(CatalogOf({"Matt"}, "White", "Plain").ExportToFile("one.cat"));
    const Outcome stopped = Call({"/import", "one.cat", "office postscript"});
    EXPECT_EQ(stopped.code, kExitCatalog);
    EXPECT_EQ(stopped.output.err, (std::vector<std::string>{
                                      "The registry key HKEY_LOCAL_MACHINE\\" + kKeywordKey +
                                          " of the catalog Office PostScript holds entries that are not part of the "
                                          "catalog. /import would remove them, so nothing was saved. Entries: 1",
                                      "  " + longName + ": too long to be read"}));
    EXPECT_EQ(Stored(kKeywordKey, "PS"), before);
    // So would a value of another type, and a paper another value displaced.
    {
        platform::RegKey key;
        uint32_t disposition = 0;
        ASSERT_EQ(platform::CreateOrOpenKey(kKeywordKey, key, disposition), platform::kRegOk);
        ASSERT_EQ(platform::DeleteValue(key, longName), platform::kRegOk);
        ASSERT_EQ(platform::SetRawValue(key, "Version", platform::kRegDword, std::string("\x02\0\0\0", 4)), platform::kRegOk);
        ASSERT_EQ(platform::SetStringValue(key, "Zinc", "A4,80,white,plain,F,0"), platform::kRegOk);
    }
    const Outcome kept2 = Call({"/import", "one.cat", "Office PostScript"});
    EXPECT_EQ(kept2.code, kExitCatalog);
    ASSERT_EQ(kept2.output.err.size(), 3u);
    EXPECT_EQ(kept2.output.err[1], "  Plain: its place in the catalog is taken by Zinc");
    EXPECT_EQ(kept2.output.err[2], "  Version: not text");
}

TEST_F(CommandsTest, CheckSaysWhetherImportWouldAcceptAFileAndWhatItHolds) {
    AppState.CurrentLanguage = kEnglish;
    CPaperCatalog catalog = CatalogOf({"Gloss", "GLOSS"}, "White", "Plain");
    catalog.ModifyPaper("GLOSS", "LETTER", "120", "Blue", "Glossy", true, 1);
    ASSERT_TRUE(catalog.ExportToFile("in.cat"));

    Outcome run = Call({"/check", "in.cat"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out, (std::vector<std::string>{
                                  "The catalog file can be imported. Papers: 2",
                                  "  1. Gloss, 210 x 297 mm, White, 80, Plain",
                                  "  2. GLOSS, 8.5 x 11 in, Blue, 120, Glossy, Force 1-sided",
                                  "The names Gloss and GLOSS differ only in letter case: a catalog with the PDL PS cannot hold both.",
                              }));
    run = Call({"/check", "in.cat", "/csv"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out, (std::vector<std::string>{
                                  "\xEF\xBB\xBF" "Name,Size,Weight,Color,Type,ForceOneSided",
                                  "Gloss,A4,80,White,Plain,no",
                                  "GLOSS,LETTER,120,Blue,Glossy,yes",
                              }));
    // In the export's columns, so that what /check wrote imports back.
    CPaperCatalog distinct = CatalogOf({"Matt", "Silk"});
    distinct.ModifyPaper("Silk", "LETTER", "120", "Blue", "Glossy", true, 1);
    ASSERT_TRUE(distinct.ExportToFile("distinct.cat"));
    std::string written;
    for (const std::string& line : Call({"/check", "distinct.cat", "/csv"}).output.out) written += line + "\r\n";
    Write("checked.csv", written);
    EXPECT_EQ(Call({"/import", "checked.csv", "Office PCL"}).code, kExitDone);
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), DescribeAll(distinct));
    EXPECT_EQ(Call({"/check", "absent.cat"}).code, kExitCatalogFile);

    // A file whose name begins with "-" is given after a lone "--".
    fs::copy_file("in.cat", "-old.cat");
    EXPECT_EQ(Call({"/check", "-old.cat"}).code, kExitUsage);
    run = Call({"/check", "--", "-old.cat"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out.front(), "The catalog file can be imported. Papers: 2");
}

TEST_F(CommandsTest, ImportBacksUpWhatTheKeyHeldUnlessToldNot) {
    Store(CatalogOf({"Old", "Older"}, "White", "Plain"), kKeywordKey, false);
    const std::string old = Stored(kKeywordKey, "PS");
    AppState.CurrentLanguage = kEnglish;
    ASSERT_TRUE(CatalogOf({"New"}, "White", "Plain").ExportToFile("new.cat"));
    const auto backups = [] {
        std::vector<BackupEntry> entries;
        std::string reason;
        ListBackups({(fs::current_path() / "Backups").string(), 20}, "Office PostScript", kKeywordKey, "PS",
                    platform::CurrentLocalTime(), entries, reason);
        return entries;
    };

    EXPECT_EQ(Call({"/import", "new.cat", "Office PostScript"}).code, kExitDone);
    ASSERT_EQ(backups().size(), 1u);
    CPaperCatalog backedUp;
    ASSERT_TRUE(ReadBackup(backups()[0].path, "PS", backedUp));
    EXPECT_EQ(DescribeAll(backedUp), old);
    EXPECT_EQ(Call({"/import", "new.cat", "Office PostScript", "/nobackup"}).code, kExitDone);
    EXPECT_EQ(backups().size(), 1u);

    // A backup that cannot be written stops the import before the key is touched.
    fs::remove_all("Backups");
    Write("Backups", "a file where the folder should be");
    Store(CatalogOf({"Old", "Older"}, "White", "Plain"), kKeywordKey, false);
    const Outcome refused = Call({"/import", "new.cat", "Office PostScript"});
    EXPECT_EQ(refused.code, kExitBackup);
    ASSERT_GE(refused.output.err.size(), 2u);
    EXPECT_EQ(refused.output.err.front().rfind("No backup of the catalog Office PostScript could be written in the folder ", 0), 0u);
    EXPECT_EQ(refused.output.err.back(), "Nothing was saved. /nobackup saves without a backup.");
    EXPECT_EQ(Stored(kKeywordKey, "PS"), old);
    // Without a backup the save still writes its record there first, so that a
    // crash can be put right; a folder that cannot hold it refuses the save too.
    const Outcome unrecorded = Call({"/import", "new.cat", "Office PostScript", "/NoBackup"});
    EXPECT_EQ(unrecorded.code, kExitBackup);
    ASSERT_EQ(unrecorded.output.err.size(), 1u);
    EXPECT_EQ(unrecorded.output.err[0].rfind("The record that protects the catalog Office PostScript if its save is cut "
                                             "short could not be written in the folder ", 0), 0u);
    EXPECT_EQ(Stored(kKeywordKey, "PS"), old);
    fs::remove("Backups");
    EXPECT_EQ(Call({"/import", "new.cat", "Office PostScript", "/NoBackup"}).code, kExitDone);
    EXPECT_NE(Stored(kKeywordKey, "PS"), old);
    EXPECT_TRUE(fs::is_empty(fs::directory_iterator("Backups")->path())) << "the record is gone once the key is written";
}

// One key of awkward values through every writer: each keeps the papers
// byte for byte as the load read them, as a plain Save does, and none takes
// a paper through the catalog file's comma-separated lines.
TEST_F(CommandsTest, EveryWriterKeepsAnAwkwardKeysPapersExactly) {
    AppState.CurrentLanguage = kEnglish;
    const std::string name34(34, 'N');
    const std::string type35(35, 't');
    {
        platform::RegKey key;
        uint32_t disposition = 0;
        ASSERT_EQ(platform::CreateOrOpenKey(kKeywordKey, key, disposition), platform::kRegOk);
        for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
                 {"Blue, glossy", "A4,120,blue,glossy,F,0"}, {"Early", "A4,70,white,plain,F,1"},
                 {" Lead", "LETTER,80,white,plain,F,1"}, {name34, "A3,90,red,cover,T,2"},
                 {"Typed", "A4,80,white," + type35 + ",F,3"}}) {
            ASSERT_EQ(platform::SetStringValue(key, name, text), platform::kRegOk);
        }
        ASSERT_EQ(platform::SetRawValue(key, "Count", platform::kRegDword, std::string("\x05\0\0\0", 4)), platform::kRegOk);
        ASSERT_EQ(platform::SetRawValue(key, "Blob", platform::kRegBinary, std::string("\x00\xff,\r\n", 5)), platform::kRegOk);
    }
    CPaperCatalog loaded;
    StoreReport load;
    ASSERT_EQ(loaded.LoadFromRegistry(kKeywordKey, "PS", &load), STORE_OK);
    ASSERT_EQ(loaded.GetCount(), 4);
    // The papers' values as they stand: what every writer must leave.
    StoredKeyImage papers = load.Image;
    std::erase_if(papers, [&](const StoredValueImage& value) {
        return std::any_of(load.Skipped.begin(), load.Skipped.end(), [&](const SkippedEntry& e) { return e.value == value; });
    });
    ASSERT_EQ(papers.size(), 4u);
    const auto image = [] {
        StoreReport report;
        CPaperCatalog catalog;
        catalog.LoadFromRegistry(kKeywordKey, "PS", &report);
        return report.Image;
    };
    const auto clobber = [] { Store(CatalogOf({"Other"}), kKeywordKey, false); };
    const SaveTarget target{"Office PostScript", kKeywordKey, "PS"};
    const BackupSettings backups{(fs::current_path() / "Backups").string(), 20};
    struct Agree final : SaveQuestions {
        bool OverwriteChange(const StoredKeyImage&) override { return true; }
        bool RemoveEntries(const std::vector<SkippedEntry>&) override { return true; }
        bool SaveWithoutBackup(const BackupResult&) override { return false; }
        bool SaveWithoutRecord(const std::string&, const std::string&) override { return false; }
    } agree;

    // The editor's Save, with its backup of every value.
    SaveResult saved = SaveCatalog({target, StoredValuesOf(loaded, "PS"), load.Image, backups}, agree);
    ASSERT_EQ(saved.outcome, SaveOutcome::Saved);
    EXPECT_EQ(image(), papers) << "Save";
    ASSERT_EQ(saved.backup.outcome, BackupResult::Written);
    const std::string backup = saved.backup.path;

    // Restore of that backup, then Save.
    clobber();
    CPaperCatalog restored;
    ASSERT_TRUE(ReadBackup(backup, "PS", restored));
    ASSERT_EQ(SaveCatalog({target, StoredValuesOf(restored, "PS"), std::nullopt, backups}, agree).outcome,
              SaveOutcome::Saved);
    EXPECT_EQ(image(), papers) << "Restore then Save";

    // The companion's /import of the backup; run again, it changes nothing.
    clobber();
    Outcome run = Call({"/import", "--", backup, "Office PostScript"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(image(), papers) << "/import of the backup";
    run = Call({"/import", "--", backup, "Office PostScript"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out, std::vector<std::string>{"The catalog Office PostScript already holds exactly these papers: "
                                                       "nothing was written and no backup made."});

    // Save as administrator: the editor's exact values, written only over what
    // its user saw; a change made while the prompt was open is kept.
    clobber();
    const StoredKeyImage seen = image();
    const StoredKeyImage values = ImageOfValues(StoredValuesOf(loaded, "PS"));
    const std::optional<StoredKeyImage> expected = seen;
    Write("handoff.cat", CatalogFileBytes(loaded, &values, &expected));
    Store(CatalogOf({"Meanwhile"}), kKeywordKey, false);
    const StoredKeyImage meanwhile = image();
    run = Call({"/import", "handoff.cat", "Office PostScript"});
    EXPECT_EQ(run.code, kExitRegistry);
    EXPECT_EQ(image(), meanwhile);
    Store(CatalogOf({"Other"}), kKeywordKey, false);
    run = Call({"/import", "handoff.cat", "Office PostScript"});
    EXPECT_EQ(run.code, kExitDone) << (run.output.err.empty() ? "" : run.output.err.front());
    EXPECT_EQ(image(), papers) << "Save as administrator";

    // /merge of a table adding one paper writes the others as they were.
    Write("more.csv", "Name,Size,Weight,Color,Type\r\nPlain,A4,80,White,Plain\r\n");
    run = Call({"/merge", "more.csv", "Office PostScript"});
    EXPECT_EQ(run.code, kExitDone);
    StoredKeyImage merged = image();
    std::erase_if(merged, [](const StoredValueImage& value) { return value.Name == "Plain"; });
    EXPECT_EQ(merged, papers) << "/merge";
    EXPECT_EQ(image().size(), papers.size() + 1);
}

TEST_F(CommandsTest, CompareListsTheDifferencesAndAnswersTenWhenThereAreAny) {
    Store(CatalogOf({"Plain", "Heavy", "Gloss"}, "White", "Plain"), kDescriptiveKey, true);
    CPaperCatalog file = CatalogOf({"Plain", "Gloss", "Heavy", "Matt"}, "White", "Plain");
    file.ModifyPaper("Plain", "A4", "90", "White", "Plain", false, 0);
    AppState.CurrentLanguage = kEnglish;
    ASSERT_TRUE(file.ExportToFile("changed.cat"));

    Outcome run = Call({"/compare", "changed.cat", "office pcl"});
    EXPECT_EQ(run.code, kExitDifferent);
    EXPECT_EQ(run.output.out.size(), 3u);
    run = Call({"/compare", "changed.cat", "Office PCL", "/csv"});
    EXPECT_EQ(run.code, kExitDifferent);
    EXPECT_EQ(run.output.out, (std::vector<std::string>{
                                  "\xEF\xBB\xBF" "Change,Name,OldPosition,NewPosition,Field,OldValue,NewValue",
                                  "changed,Plain,1,1,Weight,80,90",
                                  "moved,Gloss,3,2,,,",
                                  "added,Matt,,4,,,",
                              }));
    // Comparing never writes.
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), DescribeAll(CatalogOf({"Plain", "Heavy", "Gloss"}, "White", "Plain")));

    // Only a key that does not exist compares as empty; one that cannot be
    // read is a failure, never a catalog whose every paper is new.
    run = Call({"/compare", "changed.cat", "Archive"});
    EXPECT_EQ(run.code, kExitDifferent);
    EXPECT_EQ(run.output.out.size(), 4u);
#ifndef _WIN32
    platform::FailOpenKey(kDescriptiveKey, platform::kRegAccessDenied);
    run = Call({"/compare", "changed.cat", "Office PCL"});
    EXPECT_EQ(run.code, kExitCatalog);
    EXPECT_TRUE(run.output.out.empty());
    ASSERT_EQ(run.output.err.size(), 2u);
    EXPECT_EQ(run.output.err[0], "The catalog Office PCL could not be read from the registry key HKEY_LOCAL_MACHINE\\" +
                                     kDescriptiveKey + ".");
    platform::ResetMemoryRegistry();
    Store(CatalogOf({"Plain", "Heavy", "Gloss"}, "White", "Plain"), kDescriptiveKey, true);
#endif

    ASSERT_EQ(Call({"/export", "Office PCL", "same.cat"}).code, kExitDone);
    run = Call({"/compare", "same.cat", "Office PCL"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out, std::vector<std::string>{"The catalog file and the stored catalog Office PCL are the same."});
}

}  // namespace

namespace {

TEST_F(CommandsTest, SpreadsheetFilesExportImportAndNameTheRowsTheyRefuse) {
    Store(CatalogOf({"Plain", "Heavy"}, "White", "Plain"), kKeywordKey, false);
    const std::string original = Stored(kKeywordKey, "PS");
    Outcome run = Call({"/export", "Office PostScript", "out.CSV"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(Read("out.CSV"), "\xEF\xBB\xBFName,Size,Weight,Color,Type,ForceOneSided\r\n"
                               "Plain,A4,80,White,Plain,no\r\nHeavy,A4,80,White,Plain,no\r\n");
    run = Call({"/import", "out.CSV", "Office PCL"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), original);

    Write("bad.csv", "Name;Size;Weight;Color;Type\nGood;A4;80;White;Plain\n\"Com,ma\";A4;80;White;Plain\nLight;A4;7;White;Plain\n");
    run = Call({"/check", "bad.csv"});
    EXPECT_EQ(run.code, kExitRules);
    EXPECT_EQ(run.output.err, (std::vector<std::string>{
                                  "The file bad.csv cannot be imported:",
                                  "  Rows refused: 2",
                                  "  Line 3, \"Com,ma\", Paper: holds a character the field refuses (! \" % ' ( ) , / ; < > [ \\ ] ^ { | } \xAB \xBB)",
                                  "  Line 4, \"Light\", Weight (gsm): 7 is outside the limits of this PC, 60 to 200",
                              }));
    EXPECT_EQ(Call({"/import", "bad.csv", "Office PCL"}).code, kExitRules);
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), original);
    Write("book.csv", std::string("PK\x03\x04", 4) + "xl/workbook.xml");
    run = Call({"/import", "book.csv", "Office PCL"});
    EXPECT_EQ(run.code, kExitCatalogFile);
    EXPECT_EQ(run.output.err.back(), "  This is a spreadsheet's own file (.xlsx, .ods or .xls), not text. Save it from the spreadsheet as CSV.");

    // The content decides, not the name: a spreadsheet's own file by any name,
    // "Unicode text" (UTF-16, tabs) saved as .txt, a catalog file named .csv.
    Write("papers.ods", std::string("PK\x03\x04", 4) + "mimetypeapplication/vnd.oasis.opendocument.spreadsheet");
    for (const char* verb : {"/check", "/import", "/merge"}) {
        std::vector<std::string> arguments = {verb, "papers.ods"};
        if (std::string(verb) != "/check") arguments.push_back("Office PCL");
        run = Call(arguments);
        EXPECT_EQ(run.code, kExitCatalogFile) << verb;
        EXPECT_EQ(run.output.err.back(), "  This is a spreadsheet's own file (.xlsx, .ods or .xls), not text. Save it from the spreadsheet as CSV.") << verb;
    }
    std::string unicodeText = "\xFF\xFE";
    for (char c : std::string("Name\tSize\tWeight\tColor\tType\r\nLeaf\tA4\t80\tWhite\tPlain\r\n")) unicodeText += {c, '\0'};
    Write("papers.txt", unicodeText);
    run = Call({"/check", "papers.txt"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out.back(), "  1. Leaf, 210 x 297 mm, White, 80, Plain");
    EXPECT_EQ(Call({"/import", "papers.txt", "Office PCL"}).code, kExitDone);
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), "Leaf|A4|80|White|Plain|F|0\n");
    ASSERT_TRUE(CatalogOf({"Cat"}, "White", "Plain").ExportToFile("catalog.csv"));
    EXPECT_EQ(Call({"/import", "catalog.csv", "Office PCL"}).code, kExitDone);
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), "Cat|A4|80|White|Plain|F|0\n");
    // A catalog file that Import refuses is not merged either.
    Write("marked.cat", "\xEF\xBB\xBF[Paper Catalog]\r\n[Papers]\r\nPaper_000=Marked,A4,80,White,Plain,F\r\n");
    EXPECT_EQ(Call({"/check", "marked.cat"}).code, kExitCatalogFile);
    run = Call({"/merge", "marked.cat", "Office PCL"});
    EXPECT_EQ(run.code, kExitCatalogFile);
    EXPECT_EQ(run.output.err, std::vector<std::string>{"The catalog file marked.cat was refused: it does not have the format required for importing a catalog."});
}

// JDF media through every file command: an export imports back unchanged into
// either stored form, /check lists it, /merge merges it, and refused Media are
// named as refused rows are, with the exit codes of tables.
TEST_F(CommandsTest, JdfMediaExportImportMergeAndNameTheMediaTheyRefuse) {
    CPaperCatalog catalog = CatalogOf({"Plain", "Heavy"}, "White", "Plain");
    catalog.ModifyPaper("Heavy", "A3", "160", "salmon", "Cover", true, 1);
    Store(catalog, kKeywordKey, false);
    const std::string original = Stored(kKeywordKey, "PS");
    Outcome run = Call({"/export", "Office PostScript", "media.JDF"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out, std::vector<std::string>{"Written to media.JDF. Papers: 2"});
    EXPECT_TRUE(run.output.err.empty());
    EXPECT_NE(Read("media.JDF").find("<JDF xmlns=\"http://www.CIP4.org/JDFSchema_1_1\""), std::string::npos);
    run = Call({"/check", "media.JDF"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out.back(), "  2. Heavy, 297 x 420 mm, salmon, 160, Cover, Force 1-sided");
    EXPECT_EQ(Call({"/import", "media.JDF", "Office PCL"}).code, kExitDone);
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), original);

    Write("answer.jmf", "<JMF xmlns=\"http://www.CIP4.org/JDFSchema_1_1\"><Response Type=\"Resource\"><ResourceInfo>"
                        "<Media DescriptiveName=\"PLAIN\" Dimension=\"595.28 841.89\" Weight=\"90\" MediaColorName=\"White\"/>"
                        "<Media DescriptiveName=\"Gloss\" Dimension=\"612 792\" Weight=\"135\" MediaColorName=\"Blue\"/>"
                        "</ResourceInfo></Response></JMF>");
    run = Call({"/merge", "answer.jmf", "Office PCL"});
    EXPECT_EQ(run.code, kExitDone) << run.output.err.front();
    // The controller's words are this PC's words in its language.
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"),
              "Plain|A4|90|white|plain|F|0\nHeavy|A3|160|salmon|Cover|T|1\nGloss|LETTER|135|blue|plain|F|2\n");

    Write("refused.jdf", "<JDF xmlns=\"http://www.CIP4.org/JDFSchema_1_1\">\n<ResourcePool>\n"
                         "<Media DescriptiveName=\"Good\" Dimension=\"595 842\" Weight=\"80\"/>\n"
                         "<Media DescriptiveName=\"Light\" Dimension=\"595 842\" Weight=\"7\"/>\n"
                         "</ResourcePool>\n</JDF>\n");
    const std::vector<std::string> refusal = {"The file refused.jdf cannot be imported:", "  Media refused: 1",
                                              "  Line 4, \"Light\", Weight: 7 is outside the limits of this PC, 60 to 200"};
    run = Call({"/check", "refused.jdf"});
    EXPECT_EQ(run.code, kExitRules);
    EXPECT_EQ(run.output.err, refusal);
    const std::string before = Stored(kDescriptiveKey, "PCL");
    EXPECT_EQ(Call({"/import", "refused.jdf", "Office PCL"}).code, kExitRules);
    run = Call({"/merge", "refused.jdf", "Office PCL"});
    EXPECT_EQ(run.code, kExitRules);
    EXPECT_EQ(run.output.err.front(), "The file refused.jdf cannot be merged; nothing was saved:");
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), before);

    // No media, other XML, XML that is not well-formed: each its own message.
    const struct {
        const char* file;
        std::string bytes;
        int code;
        std::string line;
    } refused[] = {
        {"empty.jdf", "<JDF xmlns=\"http://www.CIP4.org/JDFSchema_1_1\"><ResourcePool/></JDF>", kExitRules,
         "  The JDF file holds no media: no Media element in a resource pool."},
        {"page.xml", "<?xml version=\"1.0\"?>\n<html/>", kExitCatalogFile,
         "  The file is XML, but neither JDF nor JMF: its root element is html."},
        {"broken.jdf", "<JDF><Media a=1/></JDF>", kExitCatalogFile,
         "  The file is not well-formed XML (line 1, column 15): an attribute value without quotation marks."},
    };
    for (const auto& r : refused) {
        Write(r.file, r.bytes);
        run = Call({"/import", r.file, "Office PCL"});
        EXPECT_EQ(run.code, r.code) << r.file;
        EXPECT_EQ(run.output.err.back(), r.line) << r.file;
    }
    EXPECT_EQ(Stored(kDescriptiveKey, "PCL"), before);
}

TEST_F(CommandsTest, ACsvExportSaysWhichPapersWillNotImportBack) {
    // Stored catalogs may hold what this PC's rules refuse: a weight beyond its
    // limits, names that differ only in case (the descriptive form keeps both).
    CPaperCatalog catalog = CatalogOf({"Plain", "PLAIN", "Board", "0080"});
    catalog.ModifyPaper("Board", "A4", "300", "White", "Cover", false, 2);
    Store(catalog, kDescriptiveKey, true);
    Outcome run = Call({"/export", "Office PCL", "out.csv"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out, std::vector<std::string>{"Written to out.csv. Papers: 4"});
    EXPECT_EQ(run.output.err, std::vector<std::string>{
                                  "The file was written. Papers that will not import back as they are: 3. This PC refuses them, "
                                  "or a spreadsheet changes their names (format the Name column as text): PLAIN, Board, 0080"});
    // Every paper is written all the same.
    EXPECT_NE(Read("out.csv").find("Board,A4,300,White,Cover,no\r\n"), std::string::npos);
    EXPECT_EQ(Call({"/import", "out.csv", "Office PostScript"}).code, kExitRules);
    // A catalog file keeps them all: nothing to say.
    run = Call({"/export", "Office PCL", "out.cat"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_TRUE(run.output.err.empty());
}

TEST_F(CommandsTest, MergeAddsAndChangesPapersButRemovesNone) {
    Store(CatalogOf({"Local", "Plain", "Heavy"}, "White", "Plain"), kKeywordKey, false);
    Write("central.csv", "Name,Size,Weight,Color,Type,ForceOneSided\r\nPLAIN,A4,90,White,Plain,no\r\n"
                         "Heavy,A4,80,White,Plain,no\r\nGloss,A3,135,White,Glossy,yes\r\n");
    Outcome run = Call({"/merge", "central.csv", "Office PostScript"});
    EXPECT_EQ(run.code, kExitDone);
    ASSERT_EQ(run.output.out.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(run.output.out.begin(), run.output.out.begin() + 3),
              (std::vector<std::string>{
                  "  Changed: \"Plain\": Weight (gsm) 80 -> 90",
                  "  Added: \"Gloss\" at position 4",
                  "Catalog Office PostScript. Added: 1, changed: 1, left alone: 2",
              }));
    // The backup named, so that a log tells what to restore.
    EXPECT_EQ(run.output.out[3].rfind("Backup of what the catalog held before: " + (dir_ / "Backups").string(), 0), 0u);
    EXPECT_EQ(Stored(kKeywordKey, "PS"), "Local|A4|80|White|Plain|F|0\nPlain|A4|90|White|Plain|F|1\n"
                                         "Heavy|A4|80|White|Plain|F|2\nGloss|A3|135|White|Glossy|T|3\n");
    // Merged again, there is nothing left to do: nothing is saved, no backup written.
    const size_t backupsBefore = std::distance(fs::recursive_directory_iterator("Backups"), fs::recursive_directory_iterator());
    run = Call({"/merge", "central.csv", "Office PostScript", "/csv"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out, std::vector<std::string>{"\xEF\xBB\xBF" "Change,Name,Position,Field,OldValue,NewValue"});
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator("Backups"), fs::recursive_directory_iterator()), backupsBefore);

    // A catalog file merges the same way; one paper out of this PC's limits refuses it all.
    CPaperCatalog file = CatalogOf({"Local", "Light"}, "White", "Plain");
    file.ModifyPaper("Light", "A4", "30", "White", "Plain", false, 1);
    ASSERT_TRUE(file.ExportToFile("light.cat"));
    const std::string before = Stored(kKeywordKey, "PS");
    run = Call({"/merge", "light.cat", "Office PostScript", "/csv"});
    EXPECT_EQ(run.code, kExitRules);
    EXPECT_EQ(run.output.err.front(), "The file light.cat cannot be merged; nothing was saved:");
    EXPECT_EQ(Stored(kKeywordKey, "PS"), before);
    file.ModifyPaper("Light", "A4", "70", "White", "Plain", false, 1);
    ASSERT_TRUE(file.ExportToFile("light.cat"));
    run = Call({"/merge", "light.cat", "Office PostScript", "/csv"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out.back(), "added,Light,5,,,");

    // Into a catalog whose key does not exist yet: every paper is new, and the key is made.
    run = Call({"/merge", "central.csv", "archive", "/nobackup"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_EQ(run.output.out.back(), "Catalog Archive. Added: 3, changed: 0, left alone: 0");
    EXPECT_EQ(Stored(kMissingKey, "PS"), "PLAIN|A4|90|White|Plain|F|0\nHeavy|A4|80|White|Plain|F|1\n"
                                         "Gloss|A3|135|White|Glossy|T|2\n");
    EXPECT_EQ(Call({"/merge", "central.csv"}).code, kExitUsage);

    // The default paper keeps its fields; the merge says so, so that a script
    // comparing the file with the catalog knows why it still differs.
    Store(CatalogOf({"Letter:LETTER,75,white,plain,F", "Local"}), kKeywordKey, false);
    const std::string kept = Stored(kKeywordKey, "PS");
    Write("default.csv", "Name,Size,Weight,Color,Type\r\nLetter,LETTER,90,white,plain\r\n");
    run = Call({"/merge", "default.csv", "Office PostScript"});
    EXPECT_EQ(run.code, kExitDone);
    EXPECT_NE(std::find(run.output.out.begin(), run.output.out.end(),
                        "The default paper Letter was left as it is: Merge never changes the default paper, though the "
                        "file gives it other values."),
              run.output.out.end());
    EXPECT_EQ(Stored(kKeywordKey, "PS"), kept);
}

}  // namespace

#ifndef _WIN32
namespace {
// Running as administrator (root here), the companion takes no orders from a
// configuration that others can change: it names the file and writes nothing.
TEST_F(CommandsTest, AsAdministratorAConfigurationOthersCanChangeGivesNoOrders) {
    if (!platform::RunsAsAdministrator()) GTEST_SKIP() << "not running as administrator";
    Store(CatalogOf({"Kept"}), kKeywordKey, false);
    const std::string before = Stored(kKeywordKey, "PS");
    ASSERT_TRUE(CatalogOf({"Planted"}).ExportToFile("planted.cat"));
    fs::permissions(dir_, fs::perms::all);
    const Outcome refused = Call({"/import", "planted.cat", "Office PostScript"});
    fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(refused.code, kExitBackup);
    ASSERT_FALSE(refused.output.err.empty());
    EXPECT_EQ(refused.output.err[0].rfind("As administrator, VellicorCmd reads only a configuration", 0), 0u);
    EXPECT_EQ(Stored(kKeywordKey, "PS"), before);
    EXPECT_EQ(Call({"/import", "planted.cat", "Office PostScript"}).code, kExitDone);
}
}  // namespace
#endif
