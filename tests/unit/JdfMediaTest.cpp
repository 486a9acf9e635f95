// JDF media both ways: a catalog written as JDF reads back as the same papers
// in every language; a controller's JMF answer and JDF files written by other
// programs read through the printer-media mapping; every refused Media named
// with its line, attribute and reason; files that are no JDF refused whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "PaperTestSupport.h"
#include "catalog/PapersFileKind.h"
#include "media/JdfMedia.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

class JdfMediaTest : public ::testing::Test {
protected:
    void SetUp() override { ResetToEnglishPapers(300); }
};

std::string Word(int16_t id, int16_t language) { return GetLocalizedString(kVocabularyList, id, language); }

std::string DescribeAll(const std::vector<CPaperDef>& papers) {
    std::string text;
    for (const CPaperDef& paper : papers) text += Describe(paper) + "\n";
    return text;
}

// Papers of every kind the mapping knows, and words it does not: each must
// come back exactly, whichever language the catalog is written in.
std::vector<CPaperDef> PapersIn(int16_t language) {
    const int16_t other = language == kEnglish ? 2 : kEnglish;
    return {
        CPaperDef("Office 80", "A4", "80", Word(CAT_COLOR_WHITE, language), Word(CAT_TYPE_PLAIN, language), false, 0),
        // Forced to one side without being a transparency: only the private attribute holds that.
        CPaperDef("Blue Cover", "A3", "200", Word(CAT_COLOR_BLUE, language), Word(CAT_TYPE_COVER, language), true, 0),
        CPaperDef("Tabs", "A4TAB", "160", Word(CAT_COLOR_ANY, language), Word(CAT_TYPE_TAB, language), false, 0),
        CPaperDef("Foil", "LETTER", "120", Word(CAT_COLOR_CLEAR, language), Word(CAT_TYPE_TRANSPARENCY, language), true, 0),
        // A colour of the operator's own; a type JDF has no word for.
        CPaperDef("Colored insert", "LEGAL", "90", "salmon", Word(CAT_TYPE_COLOR, language), false, 0),
        CPaperDef("B\xFCtten \xE9 & Co", "TABLOID", "105", Word(CAT_COLOR_YELLOW, language),
                  Word(CAT_TYPE_INSERT, language), false, 0),
        // Another language's words, and a type of the operator's own.
        CPaperDef("Other words", "8_0x10_5", "75", Word(CAT_COLOR_WHITE, other), "heavy board", true, 0),
        CPaperDef("Green 9x12", "9_0x12_0", "135", Word(CAT_COLOR_GREEN, language), Word(CAT_TYPE_TAB, other), false, 0),
        CPaperDef("Red letter tab", "LETTERTAB", "165", Word(CAT_COLOR_RED, language), Word(CAT_TYPE_PLAIN, language), false, 0),
    };
}

TEST_F(JdfMediaTest, AnExportReadsBackAsTheSamePapersInEveryLanguage) {
    for (int16_t language = 1; language <= 10; ++language) {
        SCOPED_TRACE("language " + std::to_string(language));
        AppState.CurrentLanguage = language;
        const std::vector<CPaperDef> papers = PapersIn(language);
        const std::string jdf = WriteJdfMedia(papers, language, "Office \xC9" "dition");
        EXPECT_EQ(DetectPapersFileKind(jdf), PapersFileKind::JdfMedia);
        const JdfMediaRead read = ReadJdfMedia(jdf, language);
        ASSERT_TRUE(read.ok()) << JdfRefusalMessage(read, TableUse::Import) << "\n" << jdf;
        EXPECT_EQ(DescribeAll(read.papers), DescribeAll(papers)) << jdf;
    }
}

// What other programs read: JDF's own attributes carry everything JDF has a
// word for, and the file names its job and each Media once.
TEST_F(JdfMediaTest, TheExportSpeaksJdfWhereJdfHasTheWords) {
    const std::string jdf = WriteJdfMedia(PapersIn(kEnglish), kEnglish, "Office \xC9" "dition");
    const XmlDocument doc = ReadXml(jdf);
    ASSERT_TRUE(doc.ok());
    EXPECT_TRUE(doc.root.Is(kJdfNamespace, "JDF"));
    for (const auto& [name, value] : {std::pair{"Type", "Product"}, {"Status", "Waiting"}, {"Version", "1.3"},
                                      {"JobPartID", "Media"}, {"DescriptiveName", "Office \xC3\x89" "dition"}}) {
        ASSERT_NE(doc.root.Attribute(name), nullptr) << name;
        EXPECT_EQ(*doc.root.Attribute(name), value) << name;
    }
    ASSERT_NE(doc.root.Attribute("ID"), nullptr);
    ASSERT_EQ(doc.root.children.size(), 1u);
    const std::vector<XmlElement>& media = doc.root.children[0].children;
    ASSERT_EQ(media.size(), 9u);
    struct Expected {
        const char* dimension;
        const char* type;
        const char* details;  // MediaTypeDetails, or StockType for the cover
        const char* color;    // MediaColorName, "" when absent
    };
    const Expected expected[] = {
        {"595.28 841.89", "Paper", "Stationery", "White"}, {"841.89 1190.55", "Paper", "Cover", "Blue"},
        {"637.8 841.89", "Paper", "PreCutTabs", "NoColor"}, {"612 792", "Transparency", "", "Clear"},
        // JDF has no word for a coloured or preprinted paper, nor for the operator's own.
        {"612 1008", "Paper", "", ""},                      {"792 1224", "Paper", "", "Yellow"},
        {"576 756", "Paper", "", "White"},                  {"648 864", "Paper", "PreCutTabs", "Green"},
        {"648 792", "Paper", "Stationery", "Red"},
    };
    std::vector<std::string> ids;
    for (size_t i = 0; i < media.size(); ++i) {
        SCOPED_TRACE(i);
        const XmlElement& m = media[i];
        EXPECT_TRUE(m.Is(kJdfNamespace, "Media"));
        EXPECT_EQ(*m.Attribute("Class"), "Consumable");
        EXPECT_EQ(*m.Attribute("Status"), "Available");
        ids.push_back(*m.Attribute("ID"));
        const auto dimension = *m.Attribute("Dimension");
        // The table's points are the driver's rounded ones; JDF gets them within a point.
        EXPECT_NEAR(std::stod(dimension), std::stod(expected[i].dimension), 1.0) << dimension;
        EXPECT_EQ(*m.Attribute("MediaType"), expected[i].type);
        const std::string* details = m.Attribute(i == 1 ? "StockType" : "MediaTypeDetails");
        EXPECT_EQ(details ? *details : "", expected[i].details);
        const std::string* color = m.Attribute("MediaColorName");
        EXPECT_EQ(color ? *color : "", expected[i].color);
    }
    EXPECT_EQ(ids.front(), "M001");
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size());
    // Own words where JDF's would read back as other words.
    EXPECT_EQ(*media[4].Attribute("MediaColorNameDetails"), "salmon");
    EXPECT_EQ(*media[4].AttributeNs(kPaperNamespace, "Type"), "color");
    EXPECT_EQ(media[0].Attribute("MediaColorNameDetails"), nullptr);
    EXPECT_EQ(media[0].AttributeNs(kPaperNamespace, "Type"), nullptr);
    EXPECT_EQ(*media[1].AttributeNs(kPaperNamespace, "ForceOneSided"), "true");
    EXPECT_EQ(*media[0].AttributeNs(kPaperNamespace, "ForceOneSided"), "false");
}

TEST_F(JdfMediaTest, ColorNamesMapBothWaysInOneTable) {
    const std::pair<const char*, const char*> pairs[] = {
        {"white", "White"}, {"transparent", "Clear"}, {"no-color", "NoColor"}, {"blue", "Blue"},
        {"multi-color", "MultiColor"}, {"goldenrod", "Goldenrod"},
    };
    for (const auto& [ipp, jdf] : pairs) {
        EXPECT_EQ(JdfColorForKeyword(ipp), jdf);
        EXPECT_EQ(KeywordForJdfColor(jdf), ipp);
    }
    EXPECT_EQ(KeywordForJdfColor("Clear"), "transparent");
    EXPECT_EQ(JdfColorForKeyword("clear"), "Clear");
    EXPECT_EQ(KeywordForJdfColor("white"), "");  // JDF spells its names so
    EXPECT_EQ(JdfColorForKeyword("salmon"), "");
}

// A controller's answer to QueryResource, written as controllers write them:
// Media in a ResourcePool or straight in ResourceInfo, partitions inheriting
// their parent's attributes, a Signal, messages of other types ignored.
TEST_F(JdfMediaTest, AControllersJmfAnswerReadsAsPapers) {
    const std::string jmf =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<JMF xmlns=\"http://www.CIP4.org/JDFSchema_1_1\" SenderID=\"Controller\" TimeStamp=\"2026-01-01T00:00:00Z\" Version=\"1.3\">\n"
        "  <Response ID=\"R1\" refID=\"Q1\" Type=\"Resource\" ReturnCode=\"0\">\n"
        "    <ResourceInfo>\n"
        "      <ResourcePool>\n"
        "        <Media Class=\"Consumable\" ID=\"m1\" DescriptiveName=\"Bond A4\" Dimension=\"595.28 841.89\"\n"
        "               Weight=\"80.0\" MediaType=\"Paper\" MediaTypeDetails=\"Plain\" MediaColorName=\"White\"/>\n"
        "        <Media Class=\"Consumable\" ID=\"m2\" Dimension=\"841.89 595.28\" Weight=\"100\" MediaType=\"Paper\"/>\n"
        "        <Media Class=\"Consumable\" ID=\"m3\" PartIDKeys=\"Location\" MediaType=\"Paper\" StockType=\"Cover\"\n"
        "               Weight=\"250\" MediaColorName=\"Blue\">\n"
        "          <Media Location=\"Tray1\" DescriptiveName=\"Cover Letter\" Dimension=\"612 792\"/>\n"
        "          <Media Location=\"Tray2\" DescriptiveName=\"Cover Tabloid\" Dimension=\"792 1224\" Weight=\"200\"/>\n"
        "        </Media>\n"
        "      </ResourcePool>\n"
        "    </ResourceInfo>\n"
        "  </Response>\n"
        "  <Response ID=\"R2\" Type=\"KnownDevices\"><ResourceInfo><Media DescriptiveName=\"Not media\"/></ResourceInfo></Response>\n"
        "  <Signal ID=\"S1\" Type=\"Resource\">\n"
        "    <ResourceInfo>\n"
        "      <Media ID=\"m4\" DescriptiveName=\"Tabs\" Dimension=\"638 842\" Weight=\"160\" MediaType=\"Paper\"\n"
        "             MediaTypeDetails=\"FullCutTabs\" MediaColorName=\"NoColor\"/>\n"
        "      <Media ID=\"m5\" DescriptiveName=\"OHP\" Dimension=\"612 792\" Weight=\"120\" MediaType=\"Transparency\"\n"
        "             MediaColorName=\"Clear\"/>\n"
        "    </ResourceInfo>\n"
        "  </Signal>\n"
        "</JMF>\n";
    ASSERT_EQ(DetectPapersFileKind(jmf), PapersFileKind::JdfMedia);
    const JdfMediaRead read = ReadJdfMedia(jmf, kEnglish);
    ASSERT_TRUE(read.ok()) << JdfRefusalMessage(read, TableUse::Import);
    EXPECT_EQ(DescribeAll(read.papers),
              "Bond A4|A4|80|white|plain|F|0\n"
              "A4 plain 100|A4|100|any|plain|F|0\n"  // landscape, no name: one made of its fields
              "Cover Letter|LETTER|250|blue|cover|F|0\n"
              "Cover Tabloid|TABLOID|200|blue|cover|F|0\n"
              "Tabs|A4TAB|160|any|tab|F|0\n"
              "OHP|LETTER|120|clear|transparency|T|0\n");
    // The same answer in German gives German words.
    AppState.CurrentLanguage = 6;
    const JdfMediaRead german = ReadJdfMedia(jmf, 6);
    ASSERT_TRUE(german.ok());
    EXPECT_EQ(Describe(german.papers[0]), "Bond A4|A4|80|weiss|normal|F|0");
}

TEST_F(JdfMediaTest, EveryRefusedMediaIsNamedWithItsLineAttributeAndReason) {
    const std::string jdf =
        "<JDF xmlns=\"http://www.CIP4.org/JDFSchema_1_1\" xmlns:qp=\"urn:x-quandrel:paper\" Type=\"Product\" ID=\"J\">\n"
        "<ResourcePool>\n"
        "<Media DescriptiveName=\"Good\" Dimension=\"595 842\" Weight=\"80\"/>\n"
        "<Media DescriptiveName=\"No size\" Weight=\"80\"/>\n"
        "<Media DescriptiveName=\"Huge\" Dimension=\"1000 1000\" Weight=\"80\"/>\n"
        "<Media DescriptiveName=\"Light\" Dimension=\"595 842\"/>\n"
        "<Media DescriptiveName=\"Thin\" Dimension=\"595 842\" Weight=\"20\"/>\n"
        "<Media DescriptiveName=\"Cream\" Dimension=\"595 842\" Weight=\"80\" MediaColorName=\"Ivory\"/>\n"
        "<Media DescriptiveName=\"Plate\" Dimension=\"595 842\" Weight=\"80\" MediaType=\"Plate\"/>\n"
        "<Media DescriptiveName=\"Heavy\" Dimension=\"595 842\" Weight=\"heavy\"/>\n"
        "<Media DescriptiveName=\"A name far longer than the field takes\" Dimension=\"595 842\" Weight=\"80\"/>\n"
        "<Media DescriptiveName=\"GOOD\" Dimension=\"595 842\" Weight=\"90\"/>\n"
        "<Media DescriptiveName=\"Maybe\" Dimension=\"595 842\" Weight=\"80\" qp:ForceOneSided=\"maybe\"/>\n"
        "<Media DescriptiveName=\"Film\" Dimension=\"595 842\" Weight=\"80\" MediaType=\"Transparency\" qp:ForceOneSided=\"false\"/>\n"
        "<Media ID=\"x9\" Dimension=\"595 842\" Weight=\"80\" MediaColorNameDetails=\"semi;colon\"/>\n"
        "</ResourcePool>\n"
        "</JDF>\n";
    const JdfMediaRead read = ReadJdfMedia(jdf, kEnglish);
    EXPECT_EQ(read.fault, JdfFault::MediaRefused);
    EXPECT_TRUE(read.papers.empty()) << "one refused Media keeps every Media out";
    EXPECT_EQ(read.refusedMedia, 11u);
    // A name the name field refuses is no refusal: the mapping makes one, as for a printer's media.
    const std::vector<std::string> expected = {
        "Nothing was imported.",
        "Media refused: 11",
        "Line 4, \"No size\", Dimension: not given",
        "Line 5, \"Huge\", Dimension: 1000 1000 (points) is none of the sizes this PC offers",
        "Line 6, \"Light\", Weight: not given",
        "Line 7, \"Thin\", Weight: 20 is outside the limits of this PC, 60 to 300",
        "Line 8, \"Cream\", MediaColorName: \"Ivory\" is a color without a word in the color list",
        "Line 9, \"Plate\", MediaType: \"Plate\" is a media type without a word in the type list",
        "Line 10, \"Heavy\", Weight: \"heavy\" is not a number",
        "Line 12, \"GOOD\", DescriptiveName: the name is on line 3 already (letter case does not count)",
        "Line 13, \"Maybe\", ForceOneSided: \"maybe\" is neither yes nor no",
        "Line 14, \"Film\", ForceOneSided: a transparency is always forced to one side (yes, or leave it empty)",
        "... and 1 more.",
    };
    EXPECT_EQ(JdfRefusalLines(read, TableUse::Import), expected);
    ASSERT_EQ(read.refusals.size(), 11u);
    EXPECT_EQ(read.refusals[10].name, "x9");  // no DescriptiveName: its ID
    EXPECT_EQ(read.refusals[10].attribute, "MediaColorNameDetails");
    EXPECT_EQ(read.refusals[10].row.field, FieldFault::RefusedCharacter);
    EXPECT_EQ(JdfRefusalLines(read, TableUse::Merge).front(), "Nothing was merged.");
}

TEST_F(JdfMediaTest, FilesThatAreNoJdfMediaAreRefusedWhole) {
    struct Case {
        const char* what;
        std::string text;
        JdfFault fault;
        std::string line;  // the message's second line
    };
    const Case cases[] = {
        {"not well-formed", "<JDF>\n<ResourcePool></JDF>", JdfFault::NotXml,
         "The file is not well-formed XML (line 2, column 15): an end tag that does not close the element ResourcePool."},
        {"a document type", "<!DOCTYPE JDF><JDF/>", JdfFault::NotXml,
         "The file is not well-formed XML (line 1, column 1): a document type declaration (DOCTYPE), which is not accepted."},
        {"other XML", "<html><body/></html>", JdfFault::NotJdf, ""},
        {"JDF of another namespace", "<JDF xmlns=\"urn:not-cip4\"/>", JdfFault::NotJdf, ""},
        {"JDF without media", "<JDF xmlns=\"http://www.CIP4.org/JDFSchema_1_1\"><ResourcePool/></JDF>",
         JdfFault::NoMedia, "The JDF file holds no media: no Media element in a resource pool."},
        {"JMF answering something else", "<JMF><Response Type=\"Status\"/></JMF>", JdfFault::NoMedia, ""},
        {"Media outside any pool", "<JDF><Media Dimension=\"595 842\" Weight=\"80\"/></JDF>", JdfFault::NoMedia, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const JdfMediaRead read = ReadJdfMedia(c.text, kEnglish);
        EXPECT_EQ(read.fault, c.fault);
        EXPECT_TRUE(read.papers.empty());
        const std::vector<std::string> lines = JdfRefusalLines(read, TableUse::Import);
        ASSERT_EQ(lines.size(), 2u);
        if (!c.line.empty()) {
            EXPECT_EQ(lines[1], c.line);
        }
    }
    EXPECT_EQ(JdfRefusalLines(ReadJdfMedia("<html/>", kEnglish), TableUse::Import)[1],
              "The file is XML, but neither JDF nor JMF: its root element is html.");
}

// The export names what will not come back: a size this PC does not offer
// now, or a paper the file cannot hold.
TEST_F(JdfMediaTest, AnExportNamesThePapersThatWillNotImportBack) {
    AppState.CurrentLanguage = kEnglish;
    AppState.SizeChoiceCount = 7;  // up to A4: A3 and A4 tab not offered
    const CPaperCatalog catalog = CatalogOfPapers({
        CPaperDef("Kept", "A4", "80", "white", "plain", false, 0),
        CPaperDef("Big", "A3", "80", "white", "plain", false, 0),
        CPaperDef("Unknown size", kUnknownText, "80", "white", "plain", false, 0),
        CPaperDef("Tab", "A4TAB", "80", "white", "tab", false, 0),
    });
    const auto path = (std::filesystem::temp_directory_path() / "quandrel-jdf-export-test.jdf").string();
    EXPECT_TRUE(IsJdfFileName(path));
    StoreReport report;
    NotReadBack lost;
    ASSERT_TRUE(ExportJdfFile(catalog, path, "T", &report, &lost));
    EXPECT_EQ(lost.count, 3u);
    EXPECT_EQ(lost.names, (std::vector<std::string>{"Big", "Unknown size", "Tab"}));
    std::filesystem::remove(path);
    EXPECT_FALSE(IsJdfFileName("media.jdf.cat"));
    EXPECT_TRUE(IsJdfFileName("C:\\x\\MEDIA.JDF"));
}

}  // namespace
