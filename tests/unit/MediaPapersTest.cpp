// A printer's media as papers: the keyword tables both ways in every
// language, the sizes within a millimetre, each refusal with its reason; and
// the fetch through the transport's seam, every bad answer named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PaperTestSupport.h"
#include "media/IppMessage.h"
#include "media/MediaFetch.h"
#include "media/MediaPapers.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "tests/unit/IppAnswers.h"

namespace {

class MediaPapersTest : public ::testing::Test {
protected:
    void SetUp() override { ResetToEnglishPapers(); }
    void TearDown() override {
        platform::SetIppExchangeForTesting(nullptr);
        AppState.Reset();
    }
};

std::string Word(int16_t id, int16_t language) { return GetLocalizedString(kVocabularyList, id, language); }

TEST_F(MediaPapersTest, EveryColorAndTypeKeywordHasAWordInEveryLanguageAndBack) {
    struct Row {
        const char* keyword;  // as written back
        std::vector<const char*> alsoRead;
        int16_t word;
    };
    const std::vector<Row> colors = {
        {"white", {"WHITE"}, CAT_COLOR_WHITE}, {"transparent", {"clear"}, CAT_COLOR_CLEAR},
        {"red", {}, CAT_COLOR_RED},            {"yellow", {}, CAT_COLOR_YELLOW},
        {"blue", {}, CAT_COLOR_BLUE},          {"green", {}, CAT_COLOR_GREEN},
        {"no-color", {""}, CAT_COLOR_ANY},
    };
    const std::vector<Row> types = {
        {"stationery", {}, CAT_TYPE_PLAIN},
        {"cover", {"cardstock"}, CAT_TYPE_COVER},
        {"stationery-colored", {}, CAT_TYPE_COLOR},
        {"tab-stock", {"pre-cut-tabs", "full-cut-tabs"}, CAT_TYPE_TAB},
        {"stationery-preprinted", {}, CAT_TYPE_INSERT},
        {"transparency", {}, CAT_TYPE_TRANSPARENCY},
    };
    for (int16_t language = 1; language <= 10; ++language) {
        const MediaWords words(language);
        for (const Row& row : colors) {
            SCOPED_TRACE(std::string(row.keyword) + " in language " + std::to_string(language));
            const std::string word = Word(row.word, language);
            EXPECT_EQ(words.Color(row.keyword), word);
            for (const char* other : row.alsoRead) EXPECT_EQ(words.Color(other), word);
            EXPECT_EQ(ColorKeywordForWord(word), row.keyword);
        }
        for (const Row& row : types) {
            SCOPED_TRACE(std::string(row.keyword) + " in language " + std::to_string(language));
            const std::string word = Word(row.word, language);
            EXPECT_EQ(words.Type(row.keyword), word);
            for (const char* other : row.alsoRead) EXPECT_EQ(words.Type(other), word);
            EXPECT_EQ(TypeKeywordForWord(word), row.keyword);
        }
    }
    EXPECT_EQ(MediaWords(kEnglish).Color("pink"), "");
    EXPECT_EQ(MediaWords(kEnglish).Color(""), Word(CAT_COLOR_ANY, kEnglish));
    EXPECT_EQ(MediaWords(kEnglish).Type("labels"), "");
    EXPECT_EQ(TypeKeywordForWord("glossy"), "");
}

TEST_F(MediaPapersTest, SizesWithinAMillimetreEitherWayRoundAndBack) {
    struct Row {
        int32_t width;
        int32_t height;
        const char* keyword;  // "" for none
    };
    const std::vector<Row> rows = {
        {21000, 29700, "A4"},     {29700, 21000, "A4"},     {21090, 29800, "A4"},  {21091, 29703, ""},
        {21590, 27940, "LETTER"}, {27940, 21590, "LETTER"}, {21590, 35560, "LEGAL"}, {29700, 42000, "A3"},
        {22500, 29700, "A4TAB"},  {27940, 43180, "TABLOID"}, {10000, 14800, ""},    {0, 29700, ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SizeKeywordForMedia(row.width, row.height), row.keyword) << row.width << "x" << row.height;
    }
    // Sizes this PC does not offer are not found, though the table knows them.
    AppState.SizeChoiceCount = 6;
    EXPECT_EQ(SizeKeywordForMedia(21000, 29700), "");
    // Every size's own dimensions find it again.
    AppState.SizeChoiceCount = 9;
    for (const PageSizeRow& size : PageSizeTable) {
        int32_t width = 0;
        int32_t height = 0;
        ASSERT_TRUE(MediaSizeOfKeyword(size.Keyword, width, height));
        EXPECT_EQ(SizeKeywordForMedia(width, height), size.Keyword);
    }
}

TEST_F(MediaPapersTest, EachMediaBecomesAPaperOrIsRefusedWithItsReason) {
    struct Row {
        const char* what;
        PrinterMedia media;
        MediaRefusal refusal;
        std::string paper;  // Name|Size|Weight|Color|Type|one-sided
    };
    const std::vector<Row> rows = {
        {"named", {"Office", "office-key", 21000, 29700, 80, "white", "stationery"}, MediaRefusal::None,
         "Office|A4|80|white|plain|F"},
        {"by its key", {"", "office-key", 21000, 29700, 80, "white", "stationery"}, MediaRefusal::None,
         "office-key|A4|80|white|plain|F"},
        {"a name the field refuses gives way to the key", {"Plain (Tray 1)", "tray1", 21000, 29700, 80, "", ""},
         MediaRefusal::None, "tray1|A4|80|any|plain|F"},
        {"made of size, type and weight", {"", "", 21590, 27940, 120, "white", "cover"}, MediaRefusal::None,
         "LETTER cover 120|LETTER|120|white|cover|F"},
        {"made with its colour", {"", "", 21590, 27940, 120, "blue", "cover"}, MediaRefusal::None,
         "LETTER cover 120 blue|LETTER|120|blue|cover|F"},
        {"a name too long gives way to a made one", {std::string(40, 'n'), std::string(40, 'k'), 21000, 29700, 90, "red", ""},
         MediaRefusal::None, "A4 plain 90 red|A4|90|red|plain|F"},
        {"a transparency prints on one side", {"Film", "", 21000, 29700, 100, "transparent", "transparency"},
         MediaRefusal::None, "Film|A4|100|clear|transparency|T"},
        {"no size", {"X", "", kMediaUnknown, 29700, 80, "white", ""}, MediaRefusal::NoSize, ""},
        {"a size not offered", {"X", "", 10000, 14800, 80, "white", ""}, MediaRefusal::SizeNotOffered, ""},
        {"no weight", {"X", "", 21000, 29700, kMediaUnknown, "white", ""}, MediaRefusal::NoWeight, ""},
        {"too light", {"X", "", 21000, 29700, 59, "white", ""}, MediaRefusal::WeightOutOfRange, ""},
        {"too heavy", {"X", "", 21000, 29700, 201, "white", ""}, MediaRefusal::WeightOutOfRange, ""},
        {"weight zero", {"X", "", 21000, 29700, 0, "white", ""}, MediaRefusal::WeightOutOfRange, ""},
        {"a colour without a word", {"X", "", 21000, 29700, 80, "pink", ""}, MediaRefusal::UnknownColor, ""},
        {"a type without a word", {"X", "", 21000, 29700, 80, "white", "labels"}, MediaRefusal::UnknownType, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const MediaPaper result = PaperFromMedia(row.media, kEnglish);
        EXPECT_EQ(static_cast<int>(result.refusal), static_cast<int>(row.refusal));
        if (!result.ok()) continue;
        const CPaperDef& p = result.paper;
        EXPECT_EQ(p.Name + "|" + p.Size + "|" + p.Weight + "|" + p.Color + "|" + p.Type + "|" + (p.ForceOneSided ? "T" : "F"),
                  row.paper);
    }
    // The words are the language's own.
    EXPECT_EQ(PaperFromMedia({"", "", 21000, 29700, 80, "blue", "cover"}, 6).paper.Color, Word(CAT_COLOR_BLUE, 6));
    // And a paper goes back to the media it came from.
    const MediaPaper paper = PaperFromMedia({"Office", "", 21000, 29700, 80, "blue", "cover"}, kEnglish);
    const PrinterMedia back = MediaFromPaper(paper.paper);
    EXPECT_EQ(back.name, "Office");
    EXPECT_EQ(SizeKeywordForMedia(back.width, back.height), "A4");
    EXPECT_EQ(back.weight, 80);
    EXPECT_EQ(back.color, "blue");
    EXPECT_EQ(back.type, "cover");
}

TEST_F(MediaPapersTest, OnePaperListedTwiceIsOnePaperAndTwoPapersOfOneNameAreNot) {
    const PrinterMedia a4{"", "", 21000, 29700, 80, "white", "stationery", false};
    PrinterMedia a4Loaded = a4;
    a4Loaded.ready = true;
    PrinterMedia a4Heavier = a4;
    a4Heavier.name = "A4 plain 80";  // the made name of `a4`, on another paper
    a4Heavier.weight = 90;
    std::vector<FetchedMedia> fetched;
    MapFetchedMedia({a4, a4Loaded, a4Heavier}, kEnglish, fetched);
    ASSERT_EQ(fetched.size(), 3u);
    EXPECT_TRUE(fetched[0].paper.ok());
    EXPECT_TRUE(fetched[0].media.ready);  // the second listing was loaded
    EXPECT_TRUE(fetched[1].duplicate);
    EXPECT_EQ(fetched[2].paper.refusal, MediaRefusal::SameName);
    EXPECT_FALSE(fetched[2].duplicate);
    MediaFetchResult result;
    result.media = fetched;
    EXPECT_EQ(PapersOfFetch(result, false).size(), 1u);
    EXPECT_EQ(MediaRefusalText(fetched[2]),
              "A4 plain 80: another of the printer's media already gives a different paper named A4 plain 80.");
}

TEST_F(MediaPapersTest, PrinterAddresses) {
    struct Row {
        const char* uri;
        bool ok;
        const char* host;
        int port;
        const char* path;
        bool secure;
    };
    const std::vector<Row> rows = {
        {"ipp://printer.local/ipp/print", true, "printer.local", 631, "/ipp/print", false},
        {"IPPS://10.0.0.5:8631/ipp/print", true, "10.0.0.5", 8631, "/ipp/print", true},
        {"ipp://[fe80::1]:631/ipp", true, "fe80::1", 631, "/ipp", false},
        {"ipp://[::1]/", true, "::1", 631, "/", false},
        {"ipp://host", true, "host", 631, "/", false},
        {"http://printer/ipp/print", false, "", 0, "", false},
        {"ipp:///ipp/print", false, "", 0, "", false},
        {"ipp://host:/ipp", false, "", 0, "", false},
        {"ipp://host:70000/ipp", false, "", 0, "", false},
        {"ipp://host:6a1/ipp", false, "", 0, "", false},
        {"ipp://user@host/ipp", false, "", 0, "", false},
        {"ipp://[::1/ipp", false, "", 0, "", false},
        {"ipp://host/ipp print", false, "", 0, "", false},
        {"printer.local", false, "", 0, "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.uri);
        platform::HttpTarget target;
        ASSERT_EQ(ParsePrinterUri(row.uri, target), row.ok);
        if (!row.ok) continue;
        EXPECT_EQ(target.host, row.host);
        EXPECT_EQ(target.port, row.port);
        EXPECT_EQ(target.path, row.path);
        EXPECT_EQ(target.secure, row.secure);
    }
}

// The fetch over the transport's seam: every way an exchange can go wrong
// gives its fault and its message, and no media.
TEST_F(MediaPapersTest, EveryBadAnswerIsNamedAndNothingOfItIsGiven) {
    using namespace ipptest;
    const std::string good = Answer({Media{21000, 29700, 80, "white", "stationery", "", "Office"}}, {});
    struct Row {
        const char* what;
        platform::HttpAnswer answer;
        MediaFetchFault fault;
        std::string message;
    };
    const std::string uri = "ipp://printer/ipp/print";
    const std::vector<Row> rows = {
        {"no answer", {platform::HttpOutcome::Timeout, 0, {}, {}}, MediaFetchFault::Timeout,
         "The printer at ipp://printer/ipp/print did not answer in time."},
        {"no connection", {platform::HttpOutcome::Unreachable, 0, {}, "Connection refused"}, MediaFetchFault::Unreachable,
         "The printer at ipp://printer/ipp/print could not be reached.\rConnection refused"},
        {"cancelled", {platform::HttpOutcome::Cancelled, 0, {}, {}}, MediaFetchFault::Cancelled,
         "Asking the printer at ipp://printer/ipp/print was cancelled."},
        {"HTTP 500", {platform::HttpOutcome::Answered, 500, good, {}}, MediaFetchFault::HttpStatus,
         "The printer at ipp://printer/ipp/print answered with the HTTP error 500."},
        {"IPP not possible", {platform::HttpOutcome::Answered, 200, Answer({}, {}, 0x0404), {}}, MediaFetchFault::IppStatus,
         "The printer at ipp://printer/ipp/print refused the request: IPP status 0x0404 (client-error-not-possible)."},
        {"cut short", {platform::HttpOutcome::Answered, 200, good.substr(0, good.size() / 2), {}}, MediaFetchFault::Malformed,
         "The answer of the printer at ipp://printer/ipp/print is not a complete IPP message (cut short or damaged). "
         "Nothing was taken from it."},
        {"wrong syntax",
         {platform::HttpOutcome::Answered, 200,
          Writer().Group(kPrinterGroup).Collection("media-col-database", Member("media-size", kKeyword, "iso_a4")).Finish(), {}},
         MediaFetchFault::WrongSyntax,
         "The answer of the printer at ipp://printer/ipp/print gives media-col-database/media-size in a form the IPP "
         "standard does not allow. Nothing was taken from it."},
        {"a name of 10,000 characters",
         {platform::HttpOutcome::Answered, 200, Answer({Media{21000, 29700, 80, "", "", "", std::string(10000, 'n')}}, {}), {}},
         MediaFetchFault::WrongSyntax,
         "The answer of the printer at ipp://printer/ipp/print gives media-col-database/media-info in a form the IPP "
         "standard does not allow. Nothing was taken from it."},
        {"too long", {platform::HttpOutcome::Answered, 200, std::string(kMaxIppAnswerBytes + 1, '\0'), {}},
         MediaFetchFault::TooLarge,
         "The answer of the printer at ipp://printer/ipp/print holds more than 50000 media or more than 32 MB. Nothing "
         "was taken from it."},
        {"no media", {platform::HttpOutcome::Answered, 200, Writer().Group(kPrinterGroup).Finish(), {}},
         MediaFetchFault::NoMedia,
         "The printer at ipp://printer/ipp/print reports no media (neither media-col-database nor media-col-ready)."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string sent;
        platform::SetIppExchangeForTesting([&](const platform::HttpTarget&, const std::string& body) {
            sent = body;
            return row.answer;
        });
        const MediaFetchResult result = FetchPrinterMedia(uri, kEnglish);
        EXPECT_EQ(static_cast<int>(result.fault), static_cast<int>(row.fault));
        EXPECT_TRUE(result.media.empty());
        EXPECT_EQ(MediaFetchFaultText(result, uri), row.message);
        EXPECT_EQ(sent, EncodeMediaRequest(uri, 1, "quandrel"));
    }
    // A bad address never reaches the network.
    bool asked = false;
    platform::SetIppExchangeForTesting([&](const platform::HttpTarget&, const std::string&) {
        asked = true;
        return platform::HttpAnswer{};
    });
    const MediaFetchResult bad = FetchPrinterMedia("printer.local", kEnglish);
    EXPECT_EQ(bad.fault, MediaFetchFault::BadAddress);
    EXPECT_FALSE(asked);
    // And a good answer gives its papers.
    platform::SetIppExchangeForTesting([&](const platform::HttpTarget& target, const std::string&) {
        EXPECT_EQ(target.host, "printer");
        return platform::HttpAnswer{platform::HttpOutcome::Answered, 200, good, {}};
    });
    const MediaFetchResult fetched = FetchPrinterMedia(uri, kEnglish);
    ASSERT_TRUE(fetched.ok());
    ASSERT_EQ(fetched.media.size(), 1u);
    EXPECT_EQ(fetched.media[0].paper.paper.Name, "Office");
}

}  // namespace
