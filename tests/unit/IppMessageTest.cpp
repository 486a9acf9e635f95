// The IPP request as RFC 8010 lays it out, and every answer the reader must
// take or refuse whole: the same cases the companion meets from the test
// printer and the bad-answer server, cheaper.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/IppMessage.h"
#include "tests/unit/IppAnswers.h"

using namespace ipptest;

namespace {

std::string Describe(const PrinterMedia& m) {
    return m.name + "|" + m.key + "|" + std::to_string(m.width) + "x" + std::to_string(m.height) + "|" +
           std::to_string(m.weight) + "|" + m.color + "|" + m.type + (m.ready ? "|ready" : "");
}

std::string DescribeAll(const std::vector<PrinterMedia>& media) {
    std::string text;
    for (const PrinterMedia& m : media) text += Describe(m) + "\n";
    return text;
}

// A media-col of the A4 paper with one member replaced by `member`'s bytes.
std::string A4With(const std::string& member) {
    return Member("media-size", {{kBegCollection, SizeMembers(21000, 29700)}}) + member;
}

std::string OneMedia(const std::string& members) {
    Writer w;
    w.Group(kPrinterGroup);
    w.Collection("media-col-database", members);
    return w.Finish();
}

TEST(IppRequest, IsAGetPrinterAttributesOfVersionTwoAskingForTheMediaCollections) {
    const std::string request = EncodeMediaRequest("ipp://printer.local/ipp/print", 0x01020304, "operator");
    Writer expected(0x000B, 0x01020304);
    expected.Value(0x45, "printer-uri", "ipp://printer.local/ipp/print")
        .Value(kName, "requesting-user-name", "operator")
        .Value(kKeyword, "requested-attributes", "media-col-database")
        .Value(kKeyword, "", "media-col-ready");
    // The writer puts the operation code where an answer has its status.
    EXPECT_EQ(request, expected.Finish());
}

struct DecodeCase {
    const char* what;
    std::string bytes;
    MediaFetchFault fault;
    std::string attribute;  // WrongSyntax
    std::string media;      // when read: every media, one line each
};

std::vector<DecodeCase> DecodeCases() {
    const Media a4{21000, 29700, 80, "white", "stationery", "a4-80", "Office A4"};
    const Media letter{21590, 27940, 120, "blue", "cover", "", ""};
    const Media transparency{21000, 29700, 100, "transparent", "transparency", "", ""};
    const std::string good = Answer({a4, letter}, {a4});
    std::vector<DecodeCase> cases = {
        {"database and ready, ready matched by key", good, MediaFetchFault::None, "",
         "Office A4|a4-80|21000x29700|80|white|stationery|ready\n||21590x27940|120|blue|cover\n"},
        {"a ready media the database lacks is added, ready", Answer({a4}, {transparency}), MediaFetchFault::None, "",
         "Office A4|a4-80|21000x29700|80|white|stationery\n||21000x29700|100|transparent|transparency|ready\n"},
        {"ready alone", Answer({}, {letter}), MediaFetchFault::None, "", "||21590x27940|120|blue|cover|ready\n"},
        {"an IPP status other than successful", Answer({a4}, {}, 0x0404), MediaFetchFault::IppStatus, "", ""},
        {"successful with attributes substituted is successful", Answer({letter}, {}, 0x0001), MediaFetchFault::None, "",
         "||21590x27940|120|blue|cover\n"},
        {"no media attributes at all", Writer().Group(kPrinterGroup).Value(kKeyword, "printer-state-reasons", "none").Finish(),
         MediaFetchFault::NoMedia, "", ""},
        {"both media attributes only no-value", Writer().Group(kPrinterGroup).Value(kNoValue, "media-col-database", "")
                                                    .Value(kUnsupported, "media-col-ready", "").Finish(),
         MediaFetchFault::NoMedia, "", ""},
        {"media attributes in the operation group are not the printer's",
         Writer().Collection("media-col-database", MediaMembers(a4)).Finish(), MediaFetchFault::NoMedia, "", ""},
        {"empty", "", MediaFetchFault::Malformed, "", ""},
        {"version 3", Writer(0, 1, 3).Group(kPrinterGroup).Collection("media-col-database", MediaMembers(a4)).Finish(),
         MediaFetchFault::Malformed, "", ""},
        {"another request's answer", Writer(0, 7).Group(kPrinterGroup).Collection("media-col-database", MediaMembers(a4)).Finish(),
         MediaFetchFault::Malformed, "", ""},
        {"no end-of-attributes", good.substr(0, good.size() - 1), MediaFetchFault::Malformed, "", ""},
        {"a name length beyond the end", Writer().Group(kPrinterGroup).Raw(std::string("\x44\x7F\xFF", 3) + "media").Finish(),
         MediaFetchFault::Malformed, "", ""},
        {"a value length beyond the end",
         Writer().Group(kPrinterGroup).Raw(std::string("\x44\x00\x04", 3) + "name" + std::string("\xFF\xFF", 2) + "x").Finish(),
         MediaFetchFault::Malformed, "", ""},
        {"an additional value with no attribute before it", Writer().Group(kPrinterGroup).Value(kKeyword, "", "x").Finish(),
         MediaFetchFault::Malformed, "", ""},
        {"endCollection outside a collection", Writer().Group(kPrinterGroup).Value(kEndCollection, "media", "").Finish(),
         MediaFetchFault::Malformed, "", ""},
        {"memberAttrName outside a collection", Writer().Group(kPrinterGroup).Value(kMemberName, "", "media-size").Finish(),
         MediaFetchFault::Malformed, "", ""},
        {"a member value before any member name",
         OneMedia(std::string("\x21\x00\x00\x00\x04", 5) + Int32(80)), MediaFetchFault::Malformed, "", ""},
        {"a collection never closed",
         Writer().Group(kPrinterGroup).Value(kBegCollection, "media-col-database", "").Raw(MediaMembers(a4)).Finish(),
         MediaFetchFault::Malformed, "", ""},
        {"media-col-database twice",
         Writer().Group(kPrinterGroup).Collection("media-col-database", MediaMembers(a4))
             .Collection("media-col-database", MediaMembers(a4)).Finish(),
         MediaFetchFault::Malformed, "", ""},
        {"media-size as an integer", OneMedia(Member("media-size", kInteger, Int32(21000))), MediaFetchFault::WrongSyntax,
         "media-col-database/media-size", ""},
        {"x-dimension as a keyword",
         OneMedia(Member("media-size", {{kBegCollection, Member("x-dimension", kKeyword, "a4") +
                                                             Member("y-dimension", kInteger, Int32(29700))}})),
         MediaFetchFault::WrongSyntax, "media-col-database/media-size/x-dimension", ""},
        {"y-dimension of two bytes",
         OneMedia(Member("media-size", {{kBegCollection, Member("x-dimension", kInteger, Int32(21000)) +
                                                             Member("y-dimension", kInteger, "\x01\x02")}})),
         MediaFetchFault::WrongSyntax, "media-col-database/media-size/y-dimension", ""},
        {"a custom size range is a media without a size",
         OneMedia(Member("media-size", {{kBegCollection, Member("x-dimension", kRange, Int32(10000) + Int32(30000)) +
                                                             Member("y-dimension", kRange, Int32(10000) + Int32(45000))}}) +
                  Member("media-weight-metric", kInteger, Int32(80))),
         MediaFetchFault::None, "", "||-1x-1|80||\n"},
        {"media-weight-metric as a keyword", OneMedia(A4With(Member("media-weight-metric", kKeyword, "80"))),
         MediaFetchFault::WrongSyntax, "media-col-database/media-weight-metric", ""},
        {"media-weight-metric no-value is a media without a weight", OneMedia(A4With(Member("media-weight-metric", kNoValue, ""))),
         MediaFetchFault::None, "", "||21000x29700|-1||\n"},
        {"media-weight-metric twice", OneMedia(A4With(Member("media-weight-metric", {{kInteger, Int32(80)}, {kInteger, Int32(90)}}))),
         MediaFetchFault::WrongSyntax, "media-col-database/media-weight-metric", ""},
        {"media-color as an integer", OneMedia(A4With(Member("media-color", kInteger, Int32(1)))), MediaFetchFault::WrongSyntax,
         "media-col-database/media-color", ""},
        {"media-type as a text", OneMedia(A4With(Member("media-type", kText, "plain"))), MediaFetchFault::WrongSyntax,
         "media-col-database/media-type", ""},
        {"media-type as a name with its language",
         OneMedia(A4With(Member("media-type", kNameWithLanguage, WithLanguage("en", "stationery")))), MediaFetchFault::None, "",
         "||21000x29700|-1||stationery\n"},
        {"a name with language whose lengths disagree",
         OneMedia(A4With(Member("media-key", kNameWithLanguage, WithLanguage("en", "k") + "x"))), MediaFetchFault::WrongSyntax,
         "media-col-database/media-key", ""},
        {"media-key as an integer", OneMedia(A4With(Member("media-key", kInteger, Int32(5)))), MediaFetchFault::WrongSyntax,
         "media-col-database/media-key", ""},
        {"media-info as a keyword", OneMedia(A4With(Member("media-info", kKeyword, "plain"))), MediaFetchFault::WrongSyntax,
         "media-col-database/media-info", ""},
        {"media-info with its language", OneMedia(A4With(Member("media-info", kTextWithLanguage, WithLanguage("de", "Büro")))),
         MediaFetchFault::None, "", "Büro||21000x29700|-1||\n"},
        {"media-info of 1023 octets", OneMedia(A4With(Member("media-info", kText, std::string(1023, 'n')))), MediaFetchFault::None,
         "", std::string(1023, 'n') + "||21000x29700|-1||\n"},
        {"media-info of 1024 octets", OneMedia(A4With(Member("media-info", kText, std::string(1024, 'n')))),
         MediaFetchFault::WrongSyntax, "media-col-database/media-info", ""},
        {"a name of 10,000 characters", OneMedia(A4With(Member("media-info", kText, std::string(10000, 'n')))),
         MediaFetchFault::WrongSyntax, "media-col-database/media-info", ""},
        {"a media-key of 256 octets", OneMedia(A4With(Member("media-key", kKeyword, std::string(256, 'k')))),
         MediaFetchFault::WrongSyntax, "media-col-database/media-key", ""},
        {"media-col-ready given as a keyword", Writer().Group(kPrinterGroup).Value(kKeyword, "media-col-ready", "iso_a4").Finish(),
         MediaFetchFault::WrongSyntax, "media-col-ready", ""},
        {"a wrong member in the ready list is named there",
         Writer().Group(kPrinterGroup).Collection("media-col-ready", A4With(Member("media-color", kInteger, Int32(1)))).Finish(),
         MediaFetchFault::WrongSyntax, "media-col-ready/media-color", ""},
    };
    // Collections nested deeper than any printer's: refused, not followed down.
    std::string deep = Member("leaf", kInteger, Int32(1));
    for (int i = 0; i < kMaxIppDepth; ++i) deep = Member("nested", {{kBegCollection, deep}});
    cases.push_back({"collections nested too deep", OneMedia(deep), MediaFetchFault::Malformed, "", ""});
    std::string deepEnough = Member("leaf", kInteger, Int32(1));
    for (int i = 0; i < kMaxIppDepth - 1; ++i) deepEnough = Member("nested", {{kBegCollection, deepEnough}});
    cases.push_back({"collections nested as deep as allowed", OneMedia(A4With(deepEnough)), MediaFetchFault::None, "",
                     "||21000x29700|-1||\n"});
    return cases;
}

TEST(IppAnswer, EachAnswerIsReadWholeOrRefusedWhole) {
    for (const DecodeCase& c : DecodeCases()) {
        SCOPED_TRACE(c.what);
        const IppMediaAnswer answer = DecodeMediaAnswer(c.bytes, 1);
        EXPECT_EQ(static_cast<int>(answer.fault), static_cast<int>(c.fault));
        EXPECT_EQ(answer.attribute, c.attribute);
        // Nothing of a refused answer is given.
        EXPECT_EQ(DescribeAll(answer.media), c.media);
    }
    EXPECT_EQ(DecodeMediaAnswer(Answer({Media{}}, {}, 0x0404)).status, 0x0404);
}

TEST(IppAnswer, EveryCutOfAGoodAnswerIsRefused) {
    const std::string good = Answer({Media{21000, 29700, 80, "white", "stationery", "k", "Office"}}, {Media{}});
    ASSERT_TRUE(DecodeMediaAnswer(good).ok());
    for (size_t length = 0; length < good.size(); ++length) {
        const IppMediaAnswer answer = DecodeMediaAnswer(good.substr(0, length));
        EXPECT_EQ(answer.fault, MediaFetchFault::Malformed) << length;
        EXPECT_TRUE(answer.media.empty());
    }
}

TEST(IppAnswer, TenThousandMediaAreReadAndMoreThanTheLimitRefused) {
    const std::vector<Media> many = ManyMedia(10000);
    IppMediaAnswer answer = DecodeMediaAnswer(Answer(many, {many[9999]}));
    ASSERT_TRUE(answer.ok());
    ASSERT_EQ(answer.media.size(), 10000u);
    EXPECT_EQ(answer.databaseCount, 10000u);
    EXPECT_EQ(answer.media[9999].name, "Media 9999");
    EXPECT_TRUE(answer.media[9999].ready);
    EXPECT_FALSE(answer.media[9998].ready);

    // The limit itself passes; one more refuses the answer. Plain media keep the message small.
    std::vector<std::string> members(kMaxIppMedia, SizeMembers(21000, 29700));
    Writer w;
    w.Group(kPrinterGroup);
    MediaAttribute(w, "media-col-database", members);
    const std::string atLimit = w.Bytes();
    EXPECT_EQ(DecodeMediaAnswer(Writer(w).Finish()).media.size(), kMaxIppMedia);
    w.Collection("", SizeMembers(21000, 29700));
    answer = DecodeMediaAnswer(w.Finish());
    EXPECT_EQ(answer.fault, MediaFetchFault::TooLarge);
    EXPECT_TRUE(answer.media.empty());
    // So does an answer longer than the program reads.
    EXPECT_EQ(DecodeMediaAnswer(atLimit + std::string(kMaxIppAnswerBytes, '\x03')).fault, MediaFetchFault::TooLarge);
}

TEST(IppAnswer, ReadyMediaAreFoundByKeyOrByTheirPaper) {
    const PrinterMedia a4{"A4", "a4", 21000, 29700, 80, "white", "stationery", false};
    const PrinterMedia a4Borderless{"A4 borderless", "a4-b", 21000, 29700, 80, "white", "stationery", false};
    const PrinterMedia letter{"Letter", "letter", 21590, 27940, 80, "white", "stationery", false};
    struct Case {
        const char* what;
        PrinterMedia loaded;
        std::string ready;  // the ready flags of the database, then of what was added
    };
    PrinterMedia byKeyOnly = letter;
    byKeyOnly.weight = 90;  // a key names the media even where its description differs
    PrinterMedia sameUnkeyed = a4;
    sameUnkeyed.key.clear();
    PrinterMedia otherKeySamePaper = a4;
    otherKeySamePaper.key = "tray2-a4";
    PrinterMedia unknown = letter;
    unknown.key = "other";
    unknown.color = "blue";
    PrinterMedia runTogether = sameUnkeyed;
    runTogether.type = "stationerywhite";
    runTogether.color.clear();
    PrinterMedia otherSize = sameUnkeyed;
    otherSize.width = 210002;  // the digits of 21000 and 29700, split elsewhere
    otherSize.height = 9700;
    const std::vector<Case> cases = {
        {"by key", byKeyOnly, "001"},
        {"type and colour run together are another paper", runTogether, "0001"},
        {"dimensions whose digits run together alike are another size", otherSize, "0001"},
        {"by its paper, every entry of it", sameUnkeyed, "110"},
        {"another key, the same paper", otherKeySamePaper, "110"},
        {"neither: added", unknown, "0001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<PrinterMedia> database = {a4, a4Borderless, letter};
        MarkReadyMedia(database, {c.loaded});
        std::string flags;
        for (const PrinterMedia& m : database) flags += m.ready ? '1' : '0';
        EXPECT_EQ(flags, c.ready);
    }
}

}  // namespace
