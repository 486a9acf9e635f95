#include "media/IppMessage.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace {

// Delimiter and value tags (RFC 8010 3.5).
enum : uint8_t {
    kTagOperationGroup = 0x01,
    kTagEndOfAttributes = 0x03,
    kTagPrinterGroup = 0x04,
    kFirstValueTag = 0x10,
    kLastOutOfBandTag = 0x1F,
    kTagInteger = 0x21,
    kTagRange = 0x33,
    kTagBegCollection = 0x34,
    kTagTextWithLanguage = 0x35,
    kTagNameWithLanguage = 0x36,
    kTagEndCollection = 0x37,
    kTagText = 0x41,
    kTagName = 0x42,
    kTagKeyword = 0x44,
    kTagUri = 0x45,
    kTagCharset = 0x47,
    kTagLanguage = 0x48,
    kTagMemberName = 0x4A,
};

constexpr uint16_t kGetPrinterAttributes = 0x000B;
// The media's own attributes and what their members need.
constexpr const char* kRequested[] = {"media-col-database", "media-col-ready"};
constexpr std::string_view kDatabase = "media-col-database";
constexpr std::string_view kReady = "media-col-ready";
// Values kept in the decoded trees: 50,000 media of a dozen values each, and room.
constexpr size_t kMaxKeptValues = kMaxIppMedia * 40;

void Put16(std::string& out, size_t value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void PutValue(std::string& out, uint8_t tag, std::string_view name, std::string_view value) {
    out += static_cast<char>(tag);
    Put16(out, name.size());
    out += name;
    Put16(out, value.size());
    out += value;
}

// The kept part of an answer as one list in the order read: a value, or a
// collection's member name (tag kTagMemberName, `data` the name). `end` is the
// index past the node's own subtree: a collection value's member names with
// their values, a member name's values. One list, not a tree of lists: an
// answer of 10,000 media would otherwise take a hundred thousand allocations.
struct Node {
    uint8_t tag = 0;
    uint32_t end = 0;
    std::string_view data;
};
using Nodes = std::vector<Node>;

bool IsOutOfBand(uint8_t tag) { return tag >= kFirstValueTag && tag <= kLastOutOfBandTag; }

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool Byte(uint8_t& value) {
        if (pos_ >= bytes_.size()) return false;
        value = static_cast<uint8_t>(bytes_[pos_++]);
        return true;
    }
    bool Short(uint16_t& value) {
        if (bytes_.size() - pos_ < 2) return false;
        value = static_cast<uint16_t>(static_cast<uint8_t>(bytes_[pos_]) << 8 | static_cast<uint8_t>(bytes_[pos_ + 1]));
        pos_ += 2;
        return true;
    }
    bool Bytes(size_t count, std::string_view& value) {
        if (bytes_.size() - pos_ < count) return false;
        value = bytes_.substr(pos_, count);
        pos_ += count;
        return true;
    }
    // A value's name and data after its tag.
    bool NameAndData(std::string_view& name, std::string_view& data) {
        uint16_t length = 0;
        return Short(length) && Bytes(length, name) && Short(length) && Bytes(length, data);
    }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

int32_t Integer(std::string_view data) {
    uint32_t value = 0;
    for (char c : data) value = value << 8 | static_cast<uint8_t>(c);
    return static_cast<int32_t>(value);
}

class Decoder {
public:
    Decoder(std::string_view bytes, IppMediaAnswer& answer) : reader_(bytes), answer_(answer) {
        // Each node takes at least its tag and two lengths: room for all at
        // once, not a copy of the whole list at every doubling.
        nodes_.reserve(std::min(bytes.size() / 5, kMaxKeptValues));
    }

    // The attribute groups up to end-of-attributes; the media attributes kept.
    bool Read(int32_t requestId) {
        std::string_view header;
        if (!reader_.Bytes(8, header)) return Fail(MediaFetchFault::Malformed);
        const int major = static_cast<uint8_t>(header[0]);
        if (major != 1 && major != 2) return Fail(MediaFetchFault::Malformed);
        answer_.status = static_cast<uint8_t>(header[2]) << 8 | static_cast<uint8_t>(header[3]);
        if (requestId >= 0 && Integer(header.substr(4)) != requestId) return Fail(MediaFetchFault::Malformed);

        uint8_t group = 0;
        std::vector<uint32_t>* values = nullptr;  // the open attribute's, when kept
        bool open = false;                         // an attribute is open for additional values
        for (;;) {
            uint8_t tag = 0;
            if (!reader_.Byte(tag)) return Fail(MediaFetchFault::Malformed);
            if (tag == kTagEndOfAttributes) return true;
            if (tag < kFirstValueTag) {
                if (tag == 0) return Fail(MediaFetchFault::Malformed);
                group = tag;
                open = false;
                values = nullptr;
                continue;
            }
            if (group == 0) return Fail(MediaFetchFault::Malformed);
            std::string_view name;
            std::string_view data;
            if (!reader_.NameAndData(name, data)) return Fail(MediaFetchFault::Malformed);
            if (tag == kTagEndCollection || tag == kTagMemberName) return Fail(MediaFetchFault::Malformed);
            if (name.empty()) {
                if (!open) return Fail(MediaFetchFault::Malformed);
            } else {
                open = true;
                values = nullptr;
                if (group == kTagPrinterGroup && (name == kDatabase || name == kReady)) {
                    std::optional<std::vector<uint32_t>>& kept = name == kDatabase ? database_ : ready_;
                    if (kept) return Fail(MediaFetchFault::Malformed);  // an attribute appears once
                    kept.emplace();
                    values = &*kept;
                }
            }
            if (values && values->size() == kMaxIppMedia) return Fail(MediaFetchFault::TooLarge);
            const bool keep = values != nullptr;
            uint32_t index = 0;
            if (keep) {
                if (!Keep(tag, data, index)) return false;
                values->push_back(index);
            }
            if (tag == kTagBegCollection && !Collection(keep, 1)) return false;
            if (keep) nodes_[index].end = static_cast<uint32_t>(nodes_.size());
        }
    }

    Nodes nodes_;
    std::optional<std::vector<uint32_t>> database_;  // the values' nodes
    std::optional<std::vector<uint32_t>> ready_;

private:
    bool Fail(MediaFetchFault fault) {
        answer_.fault = fault;
        return false;
    }

    bool Keep(uint8_t tag, std::string_view data, uint32_t& index) {
        if (nodes_.size() >= kMaxKeptValues) return Fail(MediaFetchFault::TooLarge);
        index = static_cast<uint32_t>(nodes_.size());
        nodes_.push_back({tag, index + 1, data});
        return true;
    }

    // A collection's members up to its endCollection; kept when `keep`.
    bool Collection(bool keep, int depth) {
        if (depth > kMaxIppDepth) return Fail(MediaFetchFault::Malformed);
        bool named = false;
        uint32_t member = 0;  // the open member name's node, when kept and named
        const auto closeMember = [&] {
            if (keep && named) nodes_[member].end = static_cast<uint32_t>(nodes_.size());
        };
        for (;;) {
            uint8_t tag = 0;
            std::string_view name;
            std::string_view data;
            if (!reader_.Byte(tag) || tag < kFirstValueTag || !reader_.NameAndData(name, data) || !name.empty()) {
                return Fail(MediaFetchFault::Malformed);
            }
            if (tag == kTagEndCollection) {
                if (!data.empty()) return Fail(MediaFetchFault::Malformed);
                closeMember();
                return true;
            }
            if (tag == kTagMemberName) {
                if (data.empty()) return Fail(MediaFetchFault::Malformed);
                closeMember();
                named = true;
                if (keep && !Keep(tag, data, member)) return false;
                continue;
            }
            if (!named) return Fail(MediaFetchFault::Malformed);
            uint32_t value = 0;
            if (keep && !Keep(tag, data, value)) return false;
            if (tag == kTagBegCollection && !Collection(keep, depth + 1)) return false;
            if (keep) nodes_[value].end = static_cast<uint32_t>(nodes_.size());
        }
    }

    Reader reader_;
    IppMediaAnswer& answer_;
};

// The media-col members the program reads, and the syntaxes PWG 5100.7 gives them.
class MediaReader {
public:
    MediaReader(const Nodes& nodes, IppMediaAnswer& answer) : nodes_(nodes), answer_(answer) {}

    // The media-col value at node `v`.
    bool Read(std::string_view attribute, uint32_t v, PrinterMedia& media) {
        attribute_ = attribute;
        for (uint32_t m = v + 1; m < nodes_[v].end; m = nodes_[m].end) {
            const std::string_view name = nodes_[m].data;
            const Node& first = nodes_[m + 1 < nodes_.size() ? m + 1 : m];
            if (name == "media-size") {
                if (!Single(m) || !Size(m + 1, media)) return false;
            } else if (name == "media-weight-metric") {
                if (!Single(m) || !Whole(name, first, media.weight)) return false;
            } else if (name == "media-color" || name == "media-type" || name == "media-key") {
                std::string& text = name == "media-color" ? media.color : name == "media-type" ? media.type : media.key;
                if (!Single(m) || !KeywordOrName(name, first, text)) return false;
            } else if (name == "media-info") {
                if (!Single(m) || !Text(name, first, media.name)) return false;
            }
        }
        return true;
    }

private:
    bool Wrong(std::string_view member) {
        answer_.fault = MediaFetchFault::WrongSyntax;
        answer_.attribute = std::string(attribute_) + "/" + std::string(member);
        return false;
    }

    // The member name at node `m` has exactly one value.
    bool HasOneValue(uint32_t m) const { return m + 1 < nodes_[m].end && nodes_[m + 1].end == nodes_[m].end; }
    bool Single(uint32_t m) { return HasOneValue(m) || Wrong(nodes_[m].data); }

    // integer, or an out-of-band value for "not known"; a range (a custom
    // size's) leaves the value unknown too.
    bool Whole(std::string_view member, const Node& value, int32_t& number, bool rangeAllowed = false) {
        if (IsOutOfBand(value.tag)) return true;
        if (rangeAllowed && value.tag == kTagRange) {
            if (value.data.size() != 8) return Wrong(member);
            return true;
        }
        if (value.tag != kTagInteger || value.data.size() != 4) return Wrong(member);
        number = Integer(value.data);
        return true;
    }

    // The media-size value at node `v`.
    bool Size(uint32_t v, PrinterMedia& media) {
        const Node& value = nodes_[v];
        if (IsOutOfBand(value.tag)) return true;
        if (value.tag != kTagBegCollection) return Wrong(std::string_view("media-size"));
        for (uint32_t m = v + 1; m < value.end; m = nodes_[m].end) {
            const std::string_view name = nodes_[m].data;
            if (name != "x-dimension" && name != "y-dimension") continue;
            int32_t& dimension = name == "x-dimension" ? media.width : media.height;
            if (!HasOneValue(m) || !Whole(name, nodes_[m + 1], dimension, true)) {
                return Wrong(std::string_view("media-size/" + std::string(name)));
            }
        }
        return true;
    }

    // The text of a ...WithLanguage value: language length, language, text length, text.
    static bool WithLanguage(std::string_view data, std::string_view& text) {
        Reader reader(data);
        std::string_view language;
        uint16_t length = 0;
        if (!reader.Short(length) || !reader.Bytes(length, language) || !reader.Short(length) ||
            !reader.Bytes(length, text)) {
            return false;
        }
        return 4 + language.size() + text.size() == data.size();
    }

    bool KeywordOrName(std::string_view member, const Node& value, std::string& text) {
        std::string_view data = value.data;
        if (IsOutOfBand(value.tag)) return true;
        if (value.tag == kTagNameWithLanguage && !WithLanguage(value.data, data)) return Wrong(member);
        if (value.tag != kTagKeyword && value.tag != kTagName && value.tag != kTagNameWithLanguage) return Wrong(member);
        if (data.size() > kMaxIppName || (value.tag == kTagKeyword && data.empty())) return Wrong(member);
        text = data;
        return true;
    }

    bool Text(std::string_view member, const Node& value, std::string& text) {
        std::string_view data = value.data;
        if (IsOutOfBand(value.tag)) return true;
        if (value.tag == kTagTextWithLanguage && !WithLanguage(value.data, data)) return Wrong(member);
        if (value.tag != kTagText && value.tag != kTagTextWithLanguage) return Wrong(member);
        if (data.size() > kMaxIppText) return Wrong(member);
        text = data;
        return true;
    }

    const Nodes& nodes_;
    IppMediaAnswer& answer_;
    std::string_view attribute_;
};

// A media collection attribute's values (their nodes) as media; an
// out-of-band value alone (unsupported, no-value) is no media at all.
bool ReadMediaList(std::string_view attribute, const Nodes& nodes, const std::vector<uint32_t>& values,
                   IppMediaAnswer& answer, std::vector<PrinterMedia>& media) {
    MediaReader reader(nodes, answer);
    media.reserve(media.size() + values.size());
    for (const uint32_t v : values) {
        const Node& value = nodes[v];
        if (IsOutOfBand(value.tag) && values.size() == 1) return true;
        if (value.tag != kTagBegCollection) {
            answer.fault = MediaFetchFault::WrongSyntax;
            answer.attribute = attribute;
            return false;
        }
        if (!reader.Read(attribute, v, media.emplace_back())) return false;
    }
    return true;
}

bool SameMedia(const PrinterMedia& a, const PrinterMedia& b) {
    return a.width == b.width && a.height == b.height && a.type == b.type && a.weight == b.weight && a.color == b.color;
}

uint64_t Mix(uint64_t hash, uint64_t value) { return (hash ^ value) * 0x100000001B3ull + (hash >> 29); }

// Size, type, weight and colour as one number: media equal in these hash alike.
uint64_t MediaHash(const PrinterMedia& m) {
    uint64_t hash = 0xCBF29CE484222325ull;
    hash = Mix(hash, static_cast<uint32_t>(m.width));
    hash = Mix(hash, static_cast<uint32_t>(m.height));
    hash = Mix(hash, static_cast<uint32_t>(m.weight));
    hash = Mix(hash, std::hash<std::string_view>()(m.type));
    return Mix(hash, std::hash<std::string_view>()(m.color));
}

uint64_t KeyHash(const PrinterMedia& m) { return std::hash<std::string_view>()(m.key); }

// The database's entries by a hash, sorted: found by binary search, each
// candidate then compared whole.
using HashIndex = std::vector<std::pair<uint64_t, uint32_t>>;

}  // namespace

std::string EncodeMediaRequest(std::string_view printerUri, int32_t requestId, std::string_view userName) {
    std::string out;
    out += '\x02';
    out += '\x00';
    Put16(out, kGetPrinterAttributes);
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((static_cast<uint32_t>(requestId) >> shift) & 0xFF);
    out += static_cast<char>(kTagOperationGroup);
    PutValue(out, kTagCharset, "attributes-charset", "utf-8");
    PutValue(out, kTagLanguage, "attributes-natural-language", "en");
    PutValue(out, kTagUri, "printer-uri", printerUri);
    PutValue(out, kTagName, "requesting-user-name", userName.substr(0, kMaxIppName));
    bool first = true;
    for (const char* attribute : kRequested) {
        PutValue(out, kTagKeyword, first ? "requested-attributes" : "", attribute);
        first = false;
    }
    out += static_cast<char>(kTagEndOfAttributes);
    return out;
}

IppMediaAnswer DecodeMediaAnswer(std::string_view bytes, int32_t requestId) {
    IppMediaAnswer answer;
    if (bytes.size() > kMaxIppAnswerBytes) {
        answer.fault = MediaFetchFault::TooLarge;
        return answer;
    }
    Decoder decoder(bytes, answer);
    if (!decoder.Read(requestId)) return answer;
    // A status outside the successful range says why there is nothing to read.
    if (answer.status > 0xFF) {
        answer.fault = MediaFetchFault::IppStatus;
        return answer;
    }
    std::vector<PrinterMedia> ready;
    if (decoder.database_ && !ReadMediaList(kDatabase, decoder.nodes_, *decoder.database_, answer, answer.media)) {
        answer.media.clear();
        return answer;
    }
    if (decoder.ready_ && !ReadMediaList(kReady, decoder.nodes_, *decoder.ready_, answer, ready)) {
        answer.media.clear();
        return answer;
    }
    answer.databaseCount = answer.media.size();
    answer.readyCount = ready.size();
    if (answer.media.empty() && ready.empty()) {
        answer.fault = MediaFetchFault::NoMedia;
        return answer;
    }
    MarkReadyMedia(answer.media, ready);
    return answer;
}

void MarkReadyMedia(std::vector<PrinterMedia>& database, const std::vector<PrinterMedia>& ready) {
    if (ready.empty()) return;
    // Indexed once: a printer may report thousands in both lists, and a search
    // of the database for each ready media would take their product.
    HashIndex byKey;
    HashIndex byMedia;
    const size_t known = database.size();
    byKey.reserve(known);
    byMedia.reserve(known);
    for (size_t i = 0; i < known; ++i) {
        if (!database[i].key.empty()) byKey.emplace_back(KeyHash(database[i]), static_cast<uint32_t>(i));
        byMedia.emplace_back(MediaHash(database[i]), static_cast<uint32_t>(i));
    }
    std::sort(byKey.begin(), byKey.end());
    std::sort(byMedia.begin(), byMedia.end());
    const auto candidates = [](const HashIndex& index, uint64_t hash) {
        return std::equal_range(index.begin(), index.end(), std::make_pair(hash, uint32_t{0}),
                                [](const auto& a, const auto& b) { return a.first < b.first; });
    };
    for (const PrinterMedia& loaded : ready) {
        bool found = false;
        // Every entry of the same paper is it: a database may list a size once
        // with and once without margins, under two keys.
        if (!loaded.key.empty()) {
            const auto [first, last] = candidates(byKey, KeyHash(loaded));
            for (auto it = first; it != last; ++it) {
                PrinterMedia& media = database[it->second];
                if (media.key == loaded.key) media.ready = found = true;
            }
        }
        const auto [first, last] = candidates(byMedia, MediaHash(loaded));
        for (auto it = first; it != last; ++it) {
            PrinterMedia& media = database[it->second];
            if (SameMedia(media, loaded)) media.ready = found = true;
        }
        if (!found) {
            database.push_back(loaded);
            database.back().ready = true;
        }
    }
}
