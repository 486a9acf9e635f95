// Shared by the tests, the fuzz corpus and the benchmark: IPP answers written
// byte by byte as RFC 8010 lays them out, well-formed or deliberately not.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ipptest {

enum : uint8_t {
    kOperationGroup = 0x01,
    kEnd = 0x03,
    kPrinterGroup = 0x04,
    kUnsupported = 0x10,
    kNoValue = 0x13,
    kInteger = 0x21,
    kRange = 0x33,
    kBegCollection = 0x34,
    kTextWithLanguage = 0x35,
    kNameWithLanguage = 0x36,
    kEndCollection = 0x37,
    kText = 0x41,
    kName = 0x42,
    kKeyword = 0x44,
    kCharset = 0x47,
    kLanguage = 0x48,
    kMemberName = 0x4A,
};

inline void Put16(std::string& out, size_t value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

inline std::string Int32(int32_t value) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((static_cast<uint32_t>(value) >> shift) & 0xFF);
    return out;
}

inline std::string WithLanguage(std::string_view language, std::string_view text) {
    std::string out;
    Put16(out, language.size());
    out += language;
    Put16(out, text.size());
    out += text;
    return out;
}

// One media-col member: its syntax and value; a nested collection is given
// as its members' bytes (Member(...) + Member(...)).
struct MemberValue {
    uint8_t tag;
    std::string data;
};

class Writer {
public:
    explicit Writer(int status = 0, int32_t requestId = 1, int major = 2) {
        out_ += static_cast<char>(major);
        out_ += '\0';
        Put16(out_, static_cast<size_t>(status));
        out_ += Int32(requestId);
        Group(kOperationGroup);
        Value(kCharset, "attributes-charset", "utf-8");
        Value(kLanguage, "attributes-natural-language", "en");
    }
    Writer& Group(uint8_t tag) {
        out_ += static_cast<char>(tag);
        return *this;
    }
    Writer& Value(uint8_t tag, std::string_view name, std::string_view data) {
        out_ += static_cast<char>(tag);
        Put16(out_, name.size());
        out_ += name;
        Put16(out_, data.size());
        out_ += data;
        return *this;
    }
    Writer& Raw(std::string_view bytes) {
        out_ += bytes;
        return *this;
    }
    // A collection value: begCollection named `name` ("" for an additional
    // value), the members' bytes, endCollection.
    Writer& Collection(std::string_view name, std::string_view members) {
        Value(kBegCollection, name, "");
        out_ += members;
        return Value(kEndCollection, "", "");
    }
    std::string Finish() {
        out_ += static_cast<char>(kEnd);
        return out_;
    }
    std::string Bytes() const { return out_; }

private:
    std::string out_;
};

// A member's bytes: memberAttrName, then its values (name-length 0 each).
inline std::string Member(std::string_view name, const std::vector<MemberValue>& values) {
    std::string out;
    out += static_cast<char>(kMemberName);
    Put16(out, 0);
    Put16(out, name.size());
    out += name;
    for (const MemberValue& value : values) {
        out += static_cast<char>(value.tag);
        Put16(out, 0);
        if (value.tag == kBegCollection) {
            Put16(out, 0);
            out += value.data;
            out += static_cast<char>(kEndCollection);
            Put16(out, 0);
            Put16(out, 0);
            continue;
        }
        Put16(out, value.data.size());
        out += value.data;
    }
    return out;
}

inline std::string Member(std::string_view name, uint8_t tag, std::string_view data) {
    return Member(name, {{tag, std::string(data)}});
}

inline std::string SizeMembers(int32_t width, int32_t height) {
    return Member("x-dimension", kInteger, Int32(width)) + Member("y-dimension", kInteger, Int32(height));
}

// A media as PWG 5100.7 writes it; an empty text leaves its member out, a
// weight below 0 too.
struct Media {
    int32_t width = 21000;
    int32_t height = 29700;
    int32_t weight = 80;
    std::string color = "white";
    std::string type = "stationery";
    std::string key;
    std::string info;
};

inline std::string MediaMembers(const Media& m) {
    std::string out = Member("media-size", {{kBegCollection, SizeMembers(m.width, m.height)}});
    if (m.weight >= 0) out += Member("media-weight-metric", kInteger, Int32(m.weight));
    if (!m.color.empty()) out += Member("media-color", kKeyword, m.color);
    if (!m.type.empty()) out += Member("media-type", kKeyword, m.type);
    if (!m.key.empty()) out += Member("media-key", kKeyword, m.key);
    if (!m.info.empty()) out += Member("media-info", kText, m.info);
    // A member the program does not read, as printers send them.
    out += Member("media-source", kKeyword, "main");
    return out;
}

// A media collection attribute of these media's members (each a collection's bytes).
inline void MediaAttribute(Writer& w, std::string_view name, const std::vector<std::string>& members) {
    for (size_t i = 0; i < members.size(); ++i) w.Collection(i == 0 ? name : "", members[i]);
}

inline std::string Answer(const std::vector<Media>& database, const std::vector<Media>& ready, int status = 0) {
    Writer w(status);
    w.Group(kPrinterGroup);
    std::vector<std::string> members;
    for (const Media& m : database) members.push_back(MediaMembers(m));
    MediaAttribute(w, "media-col-database", members);
    members.clear();
    for (const Media& m : ready) members.push_back(MediaMembers(m));
    MediaAttribute(w, "media-col-ready", members);
    return w.Finish();
}

// `count` media of the sizes, weights, colours and types a PC offers, each with its own name.
inline std::vector<Media> ManyMedia(int count) {
    static const int32_t sizes[][2] = {{21000, 29700}, {21590, 27940}, {29700, 42000}, {21590, 35560}};
    static const char* const colors[] = {"white", "blue", "yellow", "red", "green"};
    static const char* const types[] = {"stationery", "cover", "stationery-colored", "tab-stock"};
    std::vector<Media> media;
    for (int i = 0; i < count; ++i) {
        Media m;
        m.width = sizes[i % 4][0];
        m.height = sizes[i % 4][1];
        m.weight = 60 + i % 140;
        m.color = colors[i % 5];
        m.type = types[i % 4];
        m.info = "Media " + std::to_string(i);
        media.push_back(m);
    }
    return media;
}

}  // namespace ipptest
