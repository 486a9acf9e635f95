// The XML reader: what well-formed XML gives (references, CDATA, namespaces,
// white space as XML hands it on), and a table of texts that are not
// well-formed, or that the reader will not take, each refused with its fault
// and the place where reading stopped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/XmlReader.h"

namespace {

TEST(XmlReader, GivesElementsAttributesAndTextAsXmlDefinesThem) {
    const std::string text =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\r\n"
        "<!-- a controller's answer -->\r\n"
        "<?producer build=\"7\"?>\r\n"
        "<j:JMF xmlns:j=\"urn:a\" xmlns=\"urn:b\" Version='1.3'>\r\n"
        "  <Item a=\"x &amp; y &lt;z&gt; &quot;q&quot; &apos;s&apos;\" b=\"&#65;&#x42;&#xe9;&#x1F600;\"\r\n"
        "        c=\"line\r\nbreak\ttab\" d=\"kept&#10;&#9;end\" j:e=\"prefixed\"/>\r\n"
        "  <j:Text>one &amp; <![CDATA[<two> & ]]>three\r\nfour\rfive</j:Text>\r\n"
        "  <Inner xmlns=\"\"><Bare/></Inner>\r\n"
        "</j:JMF>\r\n<!-- after -->\r\n";
    const XmlDocument doc = ReadXml(text);
    ASSERT_TRUE(doc.ok()) << static_cast<int>(doc.fault) << " at " << doc.line << ":" << doc.column;
    EXPECT_EQ(doc.root.name, "j:JMF");
    EXPECT_EQ(doc.root.LocalName(), "JMF");
    EXPECT_EQ(doc.root.namespaceUri, "urn:a");
    EXPECT_EQ(doc.root.line, 4);
    ASSERT_EQ(doc.root.children.size(), 3u);
    const XmlElement& item = doc.root.children[0];
    EXPECT_EQ(item.namespaceUri, "urn:b");
    EXPECT_EQ(item.line, 5);
    ASSERT_NE(item.Attribute("a"), nullptr);
    EXPECT_EQ(*item.Attribute("a"), "x & y <z> \"q\" 's'");
    EXPECT_EQ(*item.Attribute("b"), "AB\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(*item.Attribute("c"), "line break tab");  // literal white space becomes blanks
    EXPECT_EQ(*item.Attribute("d"), "kept\n\tend");     // references keep theirs
    EXPECT_EQ(item.Attribute("e"), nullptr);             // prefixed: only by its namespace
    ASSERT_NE(item.AttributeNs("urn:a", "e"), nullptr);
    EXPECT_EQ(*item.AttributeNs("urn:a", "e"), "prefixed");
    EXPECT_EQ(doc.root.children[1].text, "one & <two> & three\nfour\nfive");
    EXPECT_TRUE(doc.root.children[1].Is("urn:a", "Text"));
    EXPECT_EQ(doc.root.children[2].children.at(0).namespaceUri, "");  // xmlns="" undeclares the default
}

TEST(XmlReader, EscapedTextReadsBackExactly) {
    const std::string awkward = "a&b<c>d\"e'f\tg\nh\ri  j \xC3\xA9";
    const XmlDocument doc = ReadXml("<r v=\"" + XmlEscape(awkward) + "\">" + XmlEscape(awkward) + "</r>");
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ(*doc.root.Attribute("v"), awkward);
    EXPECT_EQ(doc.root.text, awkward);
}

TEST(XmlReader, RefusesWhatIsNotWellFormedAndSaysWhere) {
    struct Case {
        const char* what;
        std::string text;
        XmlFault fault;
        int line;
        int column;
    };
    std::string nested;
    for (int i = 0; i < 65; ++i) nested += "<a>";
    for (int i = 0; i < 65; ++i) nested += "</a>";
    const Case cases[] = {
        {"empty", "", XmlFault::NoRoot, 1, 1},
        {"only a comment", "<!-- x -->\n", XmlFault::NoRoot, 2, 1},
        {"document type", "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY x \"y\">]><r>&x;</r>", XmlFault::Doctype, 2, 1},
        {"external entity", "<!DOCTYPE r SYSTEM \"file:///etc/passwd\"><r/>", XmlFault::Doctype, 1, 1},
        {"entity declaration in content", "<r><!ENTITY x \"y\"></r>", XmlFault::Doctype, 1, 4},
        {"undeclared entity", "<r>a &nbsp; b</r>", XmlFault::UnknownEntity, 1, 6},
        {"reference to NUL", "<r>&#0;</r>", XmlFault::BadCharReference, 1, 4},
        {"reference to a surrogate", "<r a=\"&#xD800;\"/>", XmlFault::BadCharReference, 1, 7},
        {"reference beyond Unicode", "<r>&#x110000;</r>", XmlFault::BadCharReference, 1, 4},
        {"reference without digits", "<r>&#;</r>", XmlFault::BadCharReference, 1, 4},
        {"bare ampersand", "<r>fish & chips</r>", XmlFault::BadName, 1, 10},
        {"mismatched end tag", "<r>\n  <a></b>\n</r>", XmlFault::MismatchedTag, 2, 6},
        {"end tag in other case", "<JDF></jdf>", XmlFault::MismatchedTag, 1, 6},
        {"unclosed root", "<r><a/>", XmlFault::Truncated, 1, 8},
        {"cut inside a tag", "<r><a b=\"1", XmlFault::Truncated, 1, 11},
        {"unquoted attribute", "<r a=1/>", XmlFault::UnquotedAttribute, 1, 6},
        {"attribute without value", "<r a/>", XmlFault::BadMarkup, 1, 5},
        {"attributes run together", "<r a=\"1\"b=\"2\"/>", XmlFault::BadMarkup, 1, 9},
        {"duplicate attribute", "<r a=\"1\" a='2'/>", XmlFault::DuplicateAttribute, 1, 10},
        {"duplicate through two prefixes", "<r xmlns:p=\"u\" xmlns:q=\"u\" p:a=\"1\" q:a=\"2\"/>",
         XmlFault::DuplicateAttribute, 1, 36},
        {"less-than in attribute", "<r a=\"<\"/>", XmlFault::LessThanInAttribute, 1, 7},
        {"undeclared prefix", "<r><p:a/></r>", XmlFault::UndeclaredPrefix, 1, 5},
        {"undeclared attribute prefix", "<r p:a=\"1\"/>", XmlFault::UndeclaredPrefix, 1, 4},
        {"prefix out of scope", "<r><a xmlns:p=\"u\"/><p:b/></r>", XmlFault::UndeclaredPrefix, 1, 21},
        {"empty prefix binding", "<r xmlns:p=\"\"/>", XmlFault::BadName, 1, 4},
        {"two colons", "<a:b:c/>", XmlFault::BadName, 1, 2},
        {"element in the xmlns namespace", "<xmlns:r/>", XmlFault::BadName, 1, 2},
        {"name starting with a digit", "<1r/>", XmlFault::TextOutsideRoot, 1, 1},
        {"text before the root", "junk<r/>", XmlFault::TextOutsideRoot, 1, 1},
        {"text after the root", "<r/>\n junk", XmlFault::TextOutsideRoot, 2, 2},
        {"second root", "<r/><r/>", XmlFault::TextOutsideRoot, 1, 5},
        {"declaration not first", "\n<?xml version=\"1.0\"?><r/>", XmlFault::BadDeclaration, 2, 1},
        {"declaration without version", "<?xml encoding=\"UTF-8\"?><r/>", XmlFault::BadDeclaration, 1, 1},
        {"declaration out of order", "<?xml encoding=\"UTF-8\" version=\"1.0\"?><r/>", XmlFault::BadDeclaration, 1, 24},
        {"other encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r/>", XmlFault::EncodingNotUtf8, 1, 31},
        {"UTF-16 mark", std::string("\xFF\xFE<\0r\0/\0>\0", 10), XmlFault::NotUtf8, 1, 1},
        {"Windows-1252 byte", "<r>Caf\xE9</r>", XmlFault::NotUtf8, 1, 7},
        {"overlong UTF-8", "<r>\xC0\xBC</r>", XmlFault::NotUtf8, 1, 4},
        {"UTF-8 surrogate", "<r>\xED\xA0\x80</r>", XmlFault::NotUtf8, 1, 4},
        {"cut UTF-8", "<r>\xE2\x82", XmlFault::NotUtf8, 1, 4},
        {"control character", "<r>a\x01</r>", XmlFault::BadCharacter, 1, 5},
        {"NUL byte", std::string("<r>\0</r>", 8), XmlFault::BadCharacter, 1, 4},
        {"U+FFFE", "<r>\xEF\xBF\xBE</r>", XmlFault::BadCharacter, 1, 4},
        {"double hyphen in comment", "<r><!-- a -- b --></r>", XmlFault::BadMarkup, 1, 11},
        {"comment never closed", "<r><!-- a </r>", XmlFault::Truncated, 1, 15},
        {"CDATA never closed", "<r><![CDATA[ a </r>", XmlFault::Truncated, 1, 20},
        {"CDATA end in text", "<r>a ]]> b</r>", XmlFault::BadMarkup, 1, 6},
        {"processing instruction named xml", "<r><?xml version=\"1.0\"?></r>", XmlFault::BadDeclaration, 1, 4},
        {"too deep", nested, XmlFault::TooDeep, 1, 193},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const XmlDocument doc = ReadXml(c.text);
        EXPECT_EQ(doc.fault, c.fault);
        EXPECT_EQ(doc.line, c.line);
        EXPECT_EQ(doc.column, c.column);
        EXPECT_TRUE(doc.root.name.empty()) << "a refused text keeps no tree";
    }
}

TEST(XmlReader, HoldsToItsLimits) {
    XmlLimits limits;
    limits.maxBytes = 64;
    EXPECT_EQ(ReadXml("<r>" + std::string(57, 'x') + "</r>", limits).fault, XmlFault::None);
    EXPECT_EQ(ReadXml("<r>" + std::string(58, 'x') + "</r>", limits).fault, XmlFault::TooLarge);
    limits = XmlLimits{};
    limits.maxElements = 3;
    EXPECT_EQ(ReadXml("<r><a/><b/></r>", limits).fault, XmlFault::None);
    EXPECT_EQ(ReadXml("<r><a/><b/><c/></r>", limits).fault, XmlFault::TooManyElements);
    limits = XmlLimits{};
    limits.maxDepth = 2;
    EXPECT_EQ(ReadXml("<r><a/></r>", limits).fault, XmlFault::None);
    EXPECT_EQ(ReadXml("<r><a><b/></a></r>", limits).fault, XmlFault::TooDeep);
}

}  // namespace
