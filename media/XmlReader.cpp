#include "media/XmlReader.h"

#include <utility>

namespace {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}
bool IsNameChar(unsigned char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// XML's Char production.
bool IsXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`: its length, or 0 when the bytes are no
// UTF-8 (overlong forms, surrogates and values above U+10FFFF included).
size_t DecodeUtf8(std::string_view s, size_t i, uint32_t& c) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char first = b(i);
    if (first < 0x80) {
        c = first;
        return 1;
    }
    size_t length = 0;
    uint32_t minimum = 0;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2, c = first & 0x1F, minimum = 0x80;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3, c = first & 0x0F, minimum = 0x800;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4, c = first & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b(i + k) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

struct Binding {
    std::string prefix;
    std::string uri;
};

class Reader {
public:
    Reader(std::string_view text, const XmlLimits& limits, XmlDocument& document)
        : s_(text), limits_(limits), doc_(document) {}

    bool Run() {
        // Checked once for the whole text, so that every later step may take
        // any byte at or above 0x80 as part of a valid character.
        for (size_t i = 0; i < s_.size();) {
            uint32_t c = 0;
            const size_t length = DecodeUtf8(s_, i, c);
            if (length == 0) return Fail(XmlFault::NotUtf8, i);
            if (!IsXmlChar(c)) return Fail(XmlFault::BadCharacter, i);
            i += length;
        }
        if (Starts("<?xml") && s_.size() > 5 && (IsBlank(s_[5]) || s_[5] == '?')) {
            if (!Declaration()) return false;
        }
        bool rootSeen = false;
        while (true) {
            SkipBlanks();
            if (pos_ >= s_.size()) break;
            if (Starts("<?")) {
                if (!ProcessingInstruction()) return false;
            } else if (Starts("<!--")) {
                if (!Comment()) return false;
            } else if (Starts("<!DOCTYPE") || Starts("<!ENTITY")) {
                return Fail(XmlFault::Doctype, pos_);
            } else if (Starts("<") && !rootSeen && pos_ + 1 < s_.size() && IsNameStart(Byte(pos_ + 1))) {
                bindings_.push_back({"xml", std::string(kXmlNamespace)});
                if (!Element(doc_.root, 1)) return false;
                rootSeen = true;
            } else {
                return Fail(XmlFault::TextOutsideRoot, pos_);
            }
        }
        return rootSeen || Fail(XmlFault::NoRoot, pos_);
    }

private:
    unsigned char Byte(size_t i) const { return static_cast<unsigned char>(s_[i]); }
    bool Starts(std::string_view what) const { return s_.substr(pos_, what.size()) == what; }
    bool AtEnd() const { return pos_ >= s_.size(); }
    void SkipBlanks() {
        while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
    }

    bool Fail(XmlFault fault, size_t at, std::string detail = {}) {
        if (doc_.fault != XmlFault::None) return false;
        doc_.fault = fault;
        doc_.detail = std::move(detail);
        at = std::min(at, s_.size());
        int line = 1;
        int column = 1;
        for (size_t i = 0; i < at; ++i) {
            const unsigned char c = Byte(i);
            if (c == '\n' || (c == '\r' && (i + 1 >= s_.size() || s_[i + 1] != '\n'))) {
                ++line;
                column = 1;
            } else if (c != '\r' && (c & 0xC0) != 0x80) {
                ++column;
            }
        }
        doc_.line = line;
        doc_.column = column;
        return false;
    }
    bool Truncated() { return Fail(XmlFault::Truncated, s_.size()); }

    // Lines are counted forward only: elements are met in the text's order.
    int LineAt(size_t at) {
        for (; lineScan_ < at; ++lineScan_) {
            const char c = s_[lineScan_];
            if (c == '\n' || (c == '\r' && (lineScan_ + 1 >= s_.size() || s_[lineScan_ + 1] != '\n'))) ++line_;
        }
        return line_;
    }

    bool Name(std::string& name) {
        const size_t start = pos_;
        if (AtEnd()) return Truncated();
        if (!IsNameStart(Byte(pos_))) return Fail(XmlFault::BadName, pos_);
        while (pos_ < s_.size() && IsNameChar(Byte(pos_))) ++pos_;
        name.assign(s_.substr(start, pos_ - start));
        // A qualified name: at most one colon, with a prefix and a local part.
        const size_t colon = name.find(':');
        if (colon != std::string::npos &&
            (colon == 0 || colon + 1 == name.size() || name.find(':', colon + 1) != std::string::npos ||
             !IsNameStart(static_cast<unsigned char>(name[colon + 1])))) {
            return Fail(XmlFault::BadName, start);
        }
        return true;
    }

    // "&...;" at pos_, appended to `out` as its character.
    bool Reference(std::string& out) {
        const size_t start = pos_;
        ++pos_;
        if (AtEnd()) return Truncated();
        if (s_[pos_] == '#') {
            ++pos_;
            const bool hex = pos_ < s_.size() && s_[pos_] == 'x';
            if (hex) ++pos_;
            uint32_t value = 0;
            size_t digits = 0;
            while (pos_ < s_.size() && s_[pos_] != ';') {
                const char c = s_[pos_];
                int digit = -1;
                if (c >= '0' && c <= '9') digit = c - '0';
                else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
                else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
                if (digit < 0) return Fail(XmlFault::BadCharReference, start);
                if (value <= 0x10FFFF) value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
                ++digits;
                ++pos_;
            }
            if (AtEnd()) return Truncated();
            if (digits == 0 || !IsXmlChar(value)) return Fail(XmlFault::BadCharReference, start);
            ++pos_;
            AppendUtf8(out, value);
            return true;
        }
        std::string name;
        if (!Name(name)) return false;
        if (AtEnd()) return Truncated();
        if (s_[pos_] != ';') return Fail(XmlFault::BadMarkup, pos_);
        ++pos_;
        static constexpr std::pair<std::string_view, char> kPredefined[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
        for (const auto& [entity, character] : kPredefined) {
            if (name == entity) {
                out += character;
                return true;
            }
        }
        return Fail(XmlFault::UnknownEntity, start, name);
    }

    bool Declaration() {
        pos_ += 5;
        const size_t end = s_.find("?>", pos_);
        if (end == std::string_view::npos) return Truncated();
        // version, then encoding and standalone, each optional but in that order.
        static constexpr std::string_view kNames[] = {"version", "encoding", "standalone"};
        size_t next = 0;
        bool versionSeen = false;
        while (true) {
            const size_t before = pos_;
            SkipBlanks();
            if (pos_ >= end) break;
            if (pos_ == before) return Fail(XmlFault::BadDeclaration, pos_);
            const size_t nameAt = pos_;
            std::string name;
            if (!Name(name)) return false;
            size_t which = next;
            while (which < 3 && name != kNames[which]) ++which;
            if (which == 3) return Fail(XmlFault::BadDeclaration, nameAt);
            next = which + 1;
            SkipBlanks();
            if (pos_ >= end || s_[pos_] != '=') return Fail(XmlFault::BadDeclaration, pos_);
            ++pos_;
            SkipBlanks();
            if (pos_ >= end || (s_[pos_] != '"' && s_[pos_] != '\'')) return Fail(XmlFault::BadDeclaration, pos_);
            const char quote = s_[pos_++];
            const size_t close = s_.find(quote, pos_);
            if (close == std::string_view::npos || close > end) return Fail(XmlFault::BadDeclaration, pos_);
            const std::string_view value = s_.substr(pos_, close - pos_);
            if (which == 0) {
                versionSeen = true;
                if (value.size() < 3 || value.substr(0, 2) != "1." ||
                    value.substr(2).find_first_not_of("0123456789") != std::string_view::npos) {
                    return Fail(XmlFault::BadDeclaration, pos_);
                }
            } else if (which == 1) {
                std::string folded(value);
                for (char& c : folded) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
                if (folded != "UTF-8" && folded != "UTF8") return Fail(XmlFault::EncodingNotUtf8, pos_);
            } else if (value != "yes" && value != "no") {
                return Fail(XmlFault::BadDeclaration, pos_);
            }
            pos_ = close + 1;
        }
        if (!versionSeen) return Fail(XmlFault::BadDeclaration, 0);
        pos_ = end + 2;
        return true;
    }

    bool ProcessingInstruction() {
        const size_t start = pos_;
        pos_ += 2;
        std::string target;
        if (!Name(target)) return false;
        if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' && (target[2] | 0x20) == 'l')
            return Fail(XmlFault::BadDeclaration, start);
        if (target.find(':') != std::string::npos) return Fail(XmlFault::BadName, start + 2);
        const size_t end = s_.find("?>", pos_);
        if (end == std::string_view::npos) return Truncated();
        if (end != pos_ && !IsBlank(s_[pos_])) return Fail(XmlFault::BadMarkup, pos_);
        pos_ = end + 2;
        return true;
    }

    bool Comment() {
        pos_ += 4;
        const size_t end = s_.find("--", pos_);
        if (end == std::string_view::npos) return Truncated();
        if (end + 2 >= s_.size()) return Truncated();
        if (s_[end + 2] != '>') return Fail(XmlFault::BadMarkup, end);
        pos_ = end + 3;
        return true;
    }

    bool CData(std::string& text) {
        pos_ += 9;
        const size_t end = s_.find("]]>", pos_);
        if (end == std::string_view::npos) return Truncated();
        AppendNormalisedLines(text, s_.substr(pos_, end - pos_));
        pos_ = end + 3;
        return true;
    }

    // Line ends as XML hands them on: CR LF and CR alone become LF.
    static void AppendNormalisedLines(std::string& out, std::string_view piece) {
        for (size_t i = 0; i < piece.size(); ++i) {
            if (piece[i] == '\r') {
                out += '\n';
                if (i + 1 < piece.size() && piece[i + 1] == '\n') ++i;
            } else {
                out += piece[i];
            }
        }
    }

    bool AttributeValue(std::string& value) {
        if (AtEnd()) return Truncated();
        const char quote = s_[pos_];
        if (quote != '"' && quote != '\'') return Fail(XmlFault::UnquotedAttribute, pos_);
        ++pos_;
        while (true) {
            if (AtEnd()) return Truncated();
            const char c = s_[pos_];
            if (c == quote) break;
            if (c == '<') return Fail(XmlFault::LessThanInAttribute, pos_);
            if (c == '&') {
                if (!Reference(value)) return false;
                continue;
            }
            // A literal line end or tab is a blank in an attribute; a reference keeps it.
            if (c == '\r' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '\n') ++pos_;
            value += IsBlank(c) ? ' ' : c;
            ++pos_;
        }
        ++pos_;
        return true;
    }

    const std::string* Lookup(std::string_view prefix) const {
        for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it) {
            if (it->prefix == prefix) return &it->uri;
        }
        return nullptr;
    }

    bool Element(XmlElement& element, int depth) {
        if (depth > limits_.maxDepth) return Fail(XmlFault::TooDeep, pos_);
        if (++elements_ > limits_.maxElements) return Fail(XmlFault::TooManyElements, pos_);
        const size_t start = pos_;
        element.line = LineAt(start);
        ++pos_;
        if (!Name(element.name)) return false;
        std::vector<size_t> attributeAt;
        bool empty = false;
        while (true) {
            const size_t before = pos_;
            SkipBlanks();
            if (AtEnd()) return Truncated();
            if (Starts("/>")) {
                pos_ += 2;
                empty = true;
                break;
            }
            if (s_[pos_] == '>') {
                ++pos_;
                break;
            }
            if (pos_ == before) return Fail(XmlFault::BadMarkup, pos_);
            XmlAttribute attribute;
            const size_t at = pos_;
            if (!Name(attribute.name)) return false;
            SkipBlanks();
            if (AtEnd()) return Truncated();
            if (s_[pos_] != '=') return Fail(XmlFault::BadMarkup, pos_);
            ++pos_;
            SkipBlanks();
            if (!AttributeValue(attribute.value)) return false;
            for (const XmlAttribute& other : element.attributes) {
                if (other.name == attribute.name) return Fail(XmlFault::DuplicateAttribute, at, attribute.name);
            }
            element.attributes.push_back(std::move(attribute));
            attributeAt.push_back(at);
        }

        // Namespace declarations first: they apply to the element's own names.
        const size_t scope = bindings_.size();
        for (size_t i = 0; i < element.attributes.size(); ++i) {
            const XmlAttribute& attribute = element.attributes[i];
            if (attribute.name == "xmlns") {
                if (attribute.value == kXmlNamespace || attribute.value == kXmlnsNamespace)
                    return Fail(XmlFault::BadName, attributeAt[i]);
                bindings_.push_back({"", attribute.value});
            } else if (attribute.name.compare(0, 6, "xmlns:") == 0) {
                const std::string prefix = attribute.name.substr(6);
                // "xml" may only be bound to its own namespace; "xmlns" never; no prefix undeclared.
                if (prefix == "xmlns" || (prefix == "xml") != (attribute.value == kXmlNamespace) ||
                    attribute.value.empty() || attribute.value == kXmlnsNamespace) {
                    return Fail(XmlFault::BadName, attributeAt[i]);
                }
                bindings_.push_back({prefix, attribute.value});
            }
        }
        const auto resolve = [&](const std::string& name, bool isAttribute, std::string& uri, size_t at) {
            const size_t colon = name.find(':');
            if (colon == std::string::npos) {
                if (isAttribute) return true;
                if (const std::string* bound = Lookup("")) uri = *bound;
                return true;
            }
            const std::string prefix = name.substr(0, colon);
            if (prefix == "xmlns") {
                // Only declarations bear it; an element never does.
                if (!isAttribute) return Fail(XmlFault::BadName, at);
                uri = kXmlnsNamespace;
                return true;
            }
            const std::string* bound = Lookup(prefix);
            if (!bound) return Fail(XmlFault::UndeclaredPrefix, at, prefix);
            uri = *bound;
            return true;
        };
        if (!resolve(element.name, false, element.namespaceUri, start + 1)) return false;
        for (size_t i = 0; i < element.attributes.size(); ++i) {
            XmlAttribute& attribute = element.attributes[i];
            if (!resolve(attribute.name, true, attribute.namespaceUri, attributeAt[i])) return false;
            // Two prefixes for one namespace still name the same attribute.
            if (attribute.namespaceUri.empty()) continue;
            const std::string_view local = std::string_view(attribute.name).substr(attribute.name.find(':') + 1);
            for (size_t k = 0; k < i; ++k) {
                const XmlAttribute& other = element.attributes[k];
                if (other.namespaceUri == attribute.namespaceUri &&
                    std::string_view(other.name).substr(other.name.find(':') + 1) == local) {
                    return Fail(XmlFault::DuplicateAttribute, attributeAt[i], attribute.name);
                }
            }
        }

        if (!empty && !Content(element, depth)) return false;
        bindings_.resize(scope);
        return true;
    }

    bool Content(XmlElement& element, int depth) {
        while (true) {
            if (AtEnd()) return Truncated();
            const char c = s_[pos_];
            if (c == '<') {
                if (Starts("</")) {
                    const size_t at = pos_;
                    pos_ += 2;
                    std::string name;
                    if (!Name(name)) return false;
                    SkipBlanks();
                    if (AtEnd()) return Truncated();
                    if (s_[pos_] != '>') return Fail(XmlFault::BadMarkup, pos_);
                    if (name != element.name) return Fail(XmlFault::MismatchedTag, at, element.name);
                    ++pos_;
                    return true;
                }
                if (Starts("<!--")) {
                    if (!Comment()) return false;
                } else if (Starts("<![CDATA[")) {
                    if (!CData(element.text)) return false;
                } else if (Starts("<!DOCTYPE") || Starts("<!ENTITY")) {
                    return Fail(XmlFault::Doctype, pos_);
                } else if (Starts("<?")) {
                    if (!ProcessingInstruction()) return false;
                } else if (pos_ + 1 < s_.size() && IsNameStart(Byte(pos_ + 1))) {
                    element.children.emplace_back();
                    if (!Element(element.children.back(), depth + 1)) return false;
                } else if (pos_ + 1 >= s_.size()) {
                    return Truncated();
                } else {
                    return Fail(XmlFault::BadMarkup, pos_);
                }
                continue;
            }
            if (c == '&') {
                if (!Reference(element.text)) return false;
                continue;
            }
            const size_t next = s_.find_first_of("<&", pos_);
            const std::string_view piece = s_.substr(pos_, next == std::string_view::npos ? std::string_view::npos : next - pos_);
            if (const size_t bad = piece.find("]]>"); bad != std::string_view::npos) return Fail(XmlFault::BadMarkup, pos_ + bad);
            AppendNormalisedLines(element.text, piece);
            pos_ += piece.size();
        }
    }

    std::string_view s_;
    const XmlLimits& limits_;
    XmlDocument& doc_;
    size_t pos_ = 0;
    size_t elements_ = 0;
    std::vector<Binding> bindings_;
    size_t lineScan_ = 0;
    int line_ = 1;
};

}  // namespace

std::string_view XmlElement::LocalName() const {
    const size_t colon = name.find(':');
    return colon == std::string::npos ? std::string_view(name) : std::string_view(name).substr(colon + 1);
}

const std::string* XmlElement::Attribute(std::string_view wanted) const {
    for (const XmlAttribute& attribute : attributes) {
        if (attribute.namespaceUri.empty() && attribute.name == wanted) return &attribute.value;
    }
    return nullptr;
}

const std::string* XmlElement::AttributeNs(std::string_view uri, std::string_view localName) const {
    for (const XmlAttribute& attribute : attributes) {
        if (attribute.namespaceUri != uri) continue;
        const size_t colon = attribute.name.find(':');
        if (std::string_view(attribute.name).substr(colon == std::string::npos ? 0 : colon + 1) == localName)
            return &attribute.value;
    }
    return nullptr;
}

XmlDocument ReadXml(std::string_view bytes, const XmlLimits& limits) {
    XmlDocument document;
    if (bytes.size() > limits.maxBytes) {
        document.fault = XmlFault::TooLarge;
        return document;
    }
    if (bytes.substr(0, 2) == "\xFE\xFF" || bytes.substr(0, 2) == "\xFF\xFE") {
        document.fault = XmlFault::NotUtf8;
        document.line = document.column = 1;
        return document;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    Reader(bytes, limits, document).Run();
    if (!document.ok()) document.root = XmlElement{};
    return document;
}

std::string XmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\t': out += "&#9;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default: out += c;
        }
    }
    return out;
}
