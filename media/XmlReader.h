// A small, strict XML reader for the media files of print controllers (JDF,
// JMF): well-formed XML 1.0 in UTF-8 with namespaces, read into a tree, and
// nothing else. It never validates and never reads a DTD: a document type
// declaration is refused, so no entity can be declared, expanded or fetched.
// What is not well-formed is refused whole, with the line and column where
// reading stopped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class XmlFault : uint8_t {
    None,
    TooLarge,            // more bytes than the limit
    TooManyElements,     // more elements than the limit
    TooDeep,             // elements nested deeper than the limit
    NotUtf8,             // bytes that are no UTF-8, or a UTF-16 byte-order mark
    EncodingNotUtf8,     // the XML declaration names another encoding
    BadCharacter,        // a character XML does not allow (control characters, U+FFFE)
    Doctype,             // a document type declaration (and with it any entity declaration)
    BadDeclaration,      // a malformed XML declaration, or one not at the very start
    BadMarkup,           // a malformed tag, comment, CDATA section or processing instruction
    BadName,             // a name that is no XML name, or a malformed qualified name
    UnquotedAttribute,   // an attribute value without quotes
    DuplicateAttribute,  // the same attribute twice on one element
    LessThanInAttribute, // '<' inside an attribute value
    UnknownEntity,       // an entity reference other than the five predefined ones
    BadCharReference,    // a character reference to no allowed character
    MismatchedTag,       // an end tag that does not close the open element
    UndeclaredPrefix,    // a namespace prefix without a declaration in scope
    TextOutsideRoot,     // text, or a second element, outside the root element
    NoRoot,              // no root element
    Truncated,           // the text ends inside markup or with elements open
};

struct XmlLimits {
    size_t maxBytes = 16u << 20;
    size_t maxElements = 200000;
    int maxDepth = 64;
};

struct XmlAttribute {
    std::string name;       // as written, with its prefix
    std::string namespaceUri;  // resolved; empty for an unprefixed attribute
    std::string value;      // references replaced, white space normalised as XML says
};

struct XmlElement {
    std::string name;          // as written, with its prefix
    std::string namespaceUri;  // resolved from the declarations in scope
    std::vector<XmlAttribute> attributes;
    std::vector<XmlElement> children;
    std::string text;  // the element's own character data, its pieces joined
    int line = 0;      // of its start tag, 1-based

    std::string_view LocalName() const;
    // The value of the unprefixed attribute `name`, or null.
    const std::string* Attribute(std::string_view name) const;
    // The value of attribute `localName` in namespace `uri`, whatever its prefix, or null.
    const std::string* AttributeNs(std::string_view uri, std::string_view localName) const;
    bool Is(std::string_view uri, std::string_view localName) const {
        return namespaceUri == uri && LocalName() == localName;
    }
};

struct XmlDocument {
    XmlFault fault = XmlFault::None;
    int line = 0;    // where reading stopped (1-based), when refused
    int column = 0;  // in characters, 1-based
    std::string detail;  // MismatchedTag: the open element's name; UnknownEntity: the name
    XmlElement root;
    bool ok() const { return fault == XmlFault::None; }
};

XmlDocument ReadXml(std::string_view bytes, const XmlLimits& limits = {});

// Text for an attribute value or character data: & < > " escaped, and the
// white space characters other than the blank as references, so that a reader
// gets back exactly `text` (which must be UTF-8).
std::string XmlEscape(std::string_view text);
