#include "media/JdfMedia.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <unordered_map>

#include "platform/FileReplace.h"
#include "platform/Registry.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextEncoding.h"
#include "text/TextFormat.h"

namespace {

// JDF's NamedColor values and IPP's media-color keywords (PWG 5101.1). The
// first row of a keyword is the one written.
constexpr std::array<std::pair<const char*, const char*>, 24> kColorTable = {{
    {"White", "white"},       {"Clear", "transparent"}, {"Clear", "clear"},       {"NoColor", "no-color"},
    {"Red", "red"},           {"Yellow", "yellow"},     {"Blue", "blue"},         {"Green", "green"},
    {"Black", "black"},       {"Brown", "brown"},       {"Buff", "buff"},         {"Cyan", "cyan"},
    {"Gold", "gold"},         {"Goldenrod", "goldenrod"}, {"Gray", "gray"},       {"Ivory", "ivory"},
    {"Magenta", "magenta"},   {"MultiColor", "multi-color"}, {"Mustard", "mustard"}, {"Orange", "orange"},
    {"Pink", "pink"},         {"Silver", "silver"},     {"Turquoise", "turquoise"}, {"Violet", "violet"},
}};

// JDF's words for a paper type and IPP's media-type keywords. Rows marked
// written give the keyword's JDF form; the others are only read.
struct TypeRow {
    const char* keyword;
    const char* mediaType;
    const char* details;    // MediaTypeDetails
    const char* stockType;  // StockType
    bool written;
};
constexpr std::array<TypeRow, 8> kTypeTable = {{
    {"stationery", "Paper", "Stationery", "", true},
    {"cover", "Paper", "", "Cover", true},
    {"tab-stock", "Paper", "PreCutTabs", "", true},
    {"transparency", "Transparency", "", "", true},
    {"stationery", "Paper", "Plain", "", false},
    {"tab-stock", "Paper", "FullCutTabs", "", false},
    {"tab-stock", "Paper", "TabStock", "", false},
    {"stationery", "Paper", "", "", false},
}};

// The keyword a Media's type attributes give; the JDF words themselves when
// no row knows them, so that the refusal names what the file says.
std::string TypeKeywordForJdf(const std::string* mediaType, const std::string* details, const std::string* stockType) {
    if (!mediaType && !details && !stockType) return {};
    const std::string type = mediaType ? *mediaType : "Paper";
    if (details && !details->empty()) {
        for (const TypeRow& row : kTypeTable) {
            if (type == row.mediaType && *details == row.details) return row.keyword;
        }
        return type + "/" + *details;
    }
    if (type == "Paper" && stockType && *stockType == "Cover") return "cover";
    for (const TypeRow& row : kTypeTable) {
        if (type == row.mediaType && *row.details == '\0' && *row.stockType == '\0') return row.keyword;
    }
    return type;
}

const TypeRow& WrittenTypeRow(std::string_view keyword) {
    for (const TypeRow& row : kTypeTable) {
        if (row.written && keyword == row.keyword) return row;
    }
    return kTypeTable.back();  // plain "Paper": JDF has no word for the rest
}

// An xs:double as JDF writes numbers: no INF or NaN, nothing around it.
bool ParseNumber(std::string_view text, double& value) {
    if (text.empty()) return false;
    if (text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// Points to hundredths of a millimetre, held inside int32 for absurd sizes.
int32_t PointsToHundredths(double points) {
    const double hundredths = std::round(points * 2540.0 / 72.0);
    if (hundredths > 1e9) return 1000000000;
    if (hundredths < -1e9) return -1000000000;
    return static_cast<int32_t>(hundredths);
}

std::string FormatPoints(int32_t hundredths) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", hundredths * 72.0 / 2540.0);
    std::string shown = text;
    while (shown.back() == '0') shown.pop_back();
    if (shown.back() == '.') shown.pop_back();
    return shown;
}

// A Media's attributes, those of the Media it is a partition of included.
using Attributes = std::map<std::string, std::string, std::less<>>;

struct FoundMedia {
    const XmlElement* element;
    Attributes attributes;
};

void CollectMedia(const XmlElement& media, const std::string& ns, Attributes inherited, std::vector<FoundMedia>& found) {
    for (const XmlAttribute& attribute : media.attributes) {
        const std::string key = attribute.namespaceUri.empty() ? attribute.name
                                                               : attribute.namespaceUri + " " + std::string(attribute.name.substr(attribute.name.find(':') + 1));
        inherited[key] = attribute.value;
    }
    bool hasParts = false;
    for (const XmlElement& child : media.children) {
        if (child.namespaceUri == ns && child.LocalName() == "Media") {
            hasParts = true;
            CollectMedia(child, ns, inherited, found);
        }
    }
    if (!hasParts) found.push_back({&media, std::move(inherited)});
}

void CollectPool(const XmlElement& pool, const std::string& ns, std::vector<FoundMedia>& found) {
    for (const XmlElement& child : pool.children) {
        if (child.namespaceUri == ns && child.LocalName() == "Media") CollectMedia(child, ns, {}, found);
    }
}

void CollectJdf(const XmlElement& node, const std::string& ns, std::vector<FoundMedia>& found) {
    for (const XmlElement& child : node.children) {
        if (child.namespaceUri != ns) continue;
        if (child.LocalName() == "ResourcePool") CollectPool(child, ns, found);
        if (child.LocalName() == "JDF") CollectJdf(child, ns, found);
    }
}

// A controller answers QueryResource with a Response, and reports changes
// with Signals, of Type "Resource"; ResourceInfo holds a ResourcePool or the
// resources themselves.
void CollectJmf(const XmlElement& jmf, const std::string& ns, std::vector<FoundMedia>& found) {
    for (const XmlElement& message : jmf.children) {
        if (message.namespaceUri != ns || (message.LocalName() != "Response" && message.LocalName() != "Signal")) continue;
        const std::string* type = message.Attribute("Type");
        if (!type || *type != "Resource") continue;
        for (const XmlElement& info : message.children) {
            if (info.namespaceUri != ns || info.LocalName() != "ResourceInfo") continue;
            CollectPool(info, ns, found);
            for (const XmlElement& child : info.children) {
                if (child.namespaceUri == ns && child.LocalName() == "ResourcePool") CollectPool(child, ns, found);
            }
        }
    }
}

const std::string* Find(const Attributes& attributes, std::string_view name) {
    const auto it = attributes.find(name);
    return it == attributes.end() ? nullptr : &it->second;
}

std::string PrivateKey(std::string_view local) { return std::string(kPaperNamespace) + " " + std::string(local); }

// A refusal's name as the messages show it: the DescriptiveName, else the ID.
std::string ShownName(const Attributes& attributes) {
    for (const char* key : {"DescriptiveName", "ID"}) {
        if (const std::string* value = Find(attributes, key)) {
            std::string name;
            if (Utf8ToCp1252(*value, name)) return name;
        }
    }
    return {};
}

// An own word (colour or type) as the form's field takes it.
bool OwnWord(const std::string& utf8, int attribute, int column, std::string& word, JdfMediaRefusal& refusal) {
    refusal.row.column = column;
    refusal.row.value = utf8;
    if (!Utf8ToCp1252(utf8, word)) {
        refusal.row.fault = RowFault::NotInCodePage;
        return false;
    }
    refusal.row.value = word;
    const FieldFault fault = CheckCompleteField(attribute, word, nullptr, Blanks::Inside);
    if (fault == FieldFault::FieldOk) return true;
    refusal.row.fault = RowFault::Field;
    refusal.row.field = fault;
    return false;
}

// One Media as a paper, or why not.
bool MediaToPaper(const FoundMedia& found, int16_t language, CPaperDef& paper, JdfMediaRefusal& refusal) {
    const Attributes& a = found.attributes;
    refusal.line = found.element->line;
    refusal.name = ShownName(a);
    PrinterMedia media;
    if (const std::string* name = Find(a, "DescriptiveName")) media.name = *name;
    if (const std::string* key = Find(a, "ProductID")) media.key = *key;
    if (const std::string* dimension = Find(a, "Dimension")) {
        const size_t blank = dimension->find_first_of(" \t\n\r");
        const size_t second = dimension->find_first_not_of(" \t\n\r", blank);
        double width = 0;
        double height = 0;
        if (blank == std::string::npos || second == std::string::npos ||
            !ParseNumber(std::string_view(*dimension).substr(0, blank), width) ||
            !ParseNumber(std::string_view(*dimension).substr(second), height)) {
            refusal.attribute = "Dimension";
            refusal.value = *dimension;
            refusal.notANumber = true;
            return false;
        }
        media.width = PointsToHundredths(width);
        media.height = PointsToHundredths(height);
    }
    if (const std::string* weight = Find(a, "Weight")) {
        double value = 0;
        if (!ParseNumber(*weight, value)) {
            refusal.attribute = "Weight";
            refusal.value = *weight;
            refusal.notANumber = true;
            return false;
        }
        media.weight = value >= 1e6 ? 1000000 : value <= 0 ? 0 : static_cast<int32_t>(std::lround(value));
    }
    const std::string* colorName = Find(a, "MediaColorName");
    const std::string* colorWord = Find(a, "MediaColorNameDetails");
    if (colorName && !colorWord) {
        media.color = KeywordForJdfColor(*colorName);
        if (media.color.empty()) media.color = *colorName;
    }
    const std::string* ownType = Find(a, PrivateKey("Type"));
    if (!ownType) media.type = TypeKeywordForJdf(Find(a, "MediaType"), Find(a, "MediaTypeDetails"), Find(a, "StockType"));

    const MediaPaper result = PaperFromMedia(media, language);
    if (!result.ok()) {
        refusal.media = result.refusal;
        switch (result.refusal) {
        case MediaRefusal::NoSize:
        case MediaRefusal::SizeNotOffered: refusal.attribute = "Dimension"; break;
        case MediaRefusal::NoWeight:
        case MediaRefusal::WeightOutOfRange: refusal.attribute = "Weight"; break;
        case MediaRefusal::UnknownColor: refusal.attribute = "MediaColorName"; break;
        case MediaRefusal::UnknownType: refusal.attribute = "MediaType"; break;
        case MediaRefusal::NameUnusable:
            refusal.attribute = "DescriptiveName";
            refusal.media = MediaRefusal::None;
            refusal.row.column = COL_NAME;
            refusal.row.fault = result.nameFault == FieldFault::RefusedCharacter && !media.name.empty() &&
                                        [&] { std::string ignored; return !Utf8ToCp1252(media.name, ignored); }()
                                    ? RowFault::NotInCodePage
                                    : RowFault::Field;
            refusal.row.field = result.nameFault;
            refusal.row.value = refusal.name;
            break;
        // The fetch's own refusal; a file's repeated names are told below, by line.
        case MediaRefusal::SameName:
        case MediaRefusal::None: break;
        }
        if (const std::string* value = Find(a, refusal.attribute)) refusal.value = *value;
        if (result.refusal == MediaRefusal::WeightOutOfRange) {
            refusal.value = std::to_string(media.weight);
        } else if (result.refusal == MediaRefusal::UnknownType) {
            refusal.value = media.type;
        }
        return false;
    }
    paper = result.paper;
    if (colorWord) {
        refusal.attribute = "MediaColorNameDetails";
        if (!OwnWord(*colorWord, PA_COLOR, COL_COLOR, paper.Color, refusal)) return false;
    }
    const std::string transparency = GetLocalizedString(kVocabularyList, CAT_TYPE_TRANSPARENCY, language);
    if (ownType) {
        refusal.attribute = "Type";
        if (!OwnWord(*ownType, PA_TYPE, COL_TYPE, paper.Type, refusal)) return false;
        paper.ForceOneSided = IsTransparencyType(paper.Type, transparency);
    }
    if (const std::string* flag = Find(a, PrivateKey("ForceOneSided"))) {
        refusal.attribute = "ForceOneSided";
        refusal.row.column = COL_FORCE_ONE_SIDED;
        refusal.row.value = *flag;
        // xs:boolean's four spellings.
        if (*flag == "true" || *flag == "1") {
            paper.ForceOneSided = true;
        } else if (*flag != "false" && *flag != "0") {
            refusal.row.fault = RowFault::NotYesNo;
            return false;
        } else if (IsTransparencyType(paper.Type, transparency)) {
            refusal.row.fault = RowFault::TransparencyBothSides;
            return false;
        }
    }
    return true;
}

}  // namespace

std::string JdfColorForKeyword(std::string_view keyword) {
    for (const auto& [jdf, ipp] : kColorTable) {
        if (keyword == ipp) return jdf;
    }
    return {};
}

std::string KeywordForJdfColor(std::string_view jdfColor) {
    for (const auto& [jdf, ipp] : kColorTable) {
        if (jdfColor == jdf) return ipp;
    }
    return {};
}

JdfMediaRead ReadJdfMedia(std::string_view bytes, int16_t language) {
    JdfMediaRead read;
    read.xml = ReadXml(bytes);
    if (!read.xml.ok()) {
        read.fault = JdfFault::NotXml;
        return read;
    }
    const XmlElement root = std::move(read.xml.root);
    read.xml.root = XmlElement{};
    const std::string& ns = root.namespaceUri;
    const bool jdfNamespace = ns.empty() || ns == kJdfNamespace;
    std::vector<FoundMedia> found;
    if (jdfNamespace && root.LocalName() == "JDF") {
        CollectJdf(root, ns, found);
    } else if (jdfNamespace && root.LocalName() == "JMF") {
        CollectJmf(root, ns, found);
    } else {
        read.fault = JdfFault::NotJdf;
        read.root = root.name;
        return read;
    }
    read.mediaCount = found.size();
    if (found.empty()) {
        read.fault = JdfFault::NoMedia;
        return read;
    }
    std::unordered_map<std::string, int> lineOfName;
    for (const FoundMedia& media : found) {
        CPaperDef paper;
        JdfMediaRefusal refusal;
        bool accepted = MediaToPaper(media, language, paper, refusal);
        // As in a table: two papers of one name would be one paper in the key.
        if (accepted) {
            const auto [it, added] = lineOfName.emplace(platform::FoldRegistryName(paper.Name), refusal.line);
            if (!added) {
                accepted = false;
                refusal.attribute = "DescriptiveName";
                refusal.row.fault = RowFault::RepeatedName;
                refusal.row.otherLine = it->second;
            }
        }
        if (accepted) {
            read.papers.push_back(std::move(paper));
            continue;
        }
        ++read.refusedMedia;
        if (read.refusals.size() < kMaxRowRefusalsKept) read.refusals.push_back(std::move(refusal));
    }
    if (read.refusedMedia > 0) {
        read.fault = JdfFault::MediaRefused;
        read.papers.clear();
    }
    return read;
}

std::string WriteJdfMedia(const std::vector<CPaperDef>& papers, int16_t language, std::string_view title) {
    std::string pool;
    int number = 0;
    const MediaWords words(language);
    for (const CPaperDef& paper : papers) {
        const PrinterMedia media = MediaFromPaper(paper);
        char id[16];
        std::snprintf(id, sizeof id, "M%03d", ++number);
        pool += "    <Media Class=\"Consumable\" ID=\"";
        pool += id;
        pool += "\" Status=\"Available\" DescriptiveName=\"" + XmlEscape(media.name) + "\"";
        if (media.width > 0 && media.height > 0) {
            pool += " Dimension=\"" + FormatPoints(media.width) + " " + FormatPoints(media.height) + "\"";
        }
        if (media.weight > 0) pool += " Weight=\"" + std::to_string(media.weight) + "\"";

        const TypeRow& type = WrittenTypeRow(media.type);
        pool += std::string(" MediaType=\"") + type.mediaType + "\"";
        if (*type.details) pool += std::string(" MediaTypeDetails=\"") + type.details + "\"";
        if (*type.stockType) pool += std::string(" StockType=\"") + type.stockType + "\"";

        const std::string jdfColor = JdfColorForKeyword(media.color);
        if (!jdfColor.empty()) pool += " MediaColorName=\"" + jdfColor + "\"";
        // The word itself where JDF's name would read back as another word.
        if (words.Color(KeywordForJdfColor(jdfColor)) != paper.Color) {
            pool += " MediaColorNameDetails=\"" + XmlEscape(Cp1252ToUtf8(paper.Color)) + "\"";
        }
        if (words.Type(type.keyword) != paper.Type) {
            pool += " qp:Type=\"" + XmlEscape(Cp1252ToUtf8(paper.Type)) + "\"";
        }
        pool += std::string(" qp:ForceOneSided=\"") + (paper.ForceOneSided ? "true" : "false") + "\"/>\r\n";
    }
    // A JDF ID names the job to a controller or MIS: the same papers give the same ID.
    uint32_t hash = 2166136261u;
    for (const char c : pool) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char jobId[16];
    std::snprintf(jobId, sizeof jobId, "Q%08X", hash);

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    out += "<JDF xmlns=\"" + std::string(kJdfNamespace) + "\" xmlns:qp=\"" + std::string(kPaperNamespace) +
           "\" Type=\"Product\" ID=\"" + jobId + "\" JobPartID=\"Media\" Status=\"Waiting\" Version=\"1.3\"";
    if (!title.empty()) out += " DescriptiveName=\"" + XmlEscape(Cp1252ToUtf8(title)) + "\"";
    out += ">\r\n  <ResourcePool>\r\n" + pool + "  </ResourcePool>\r\n</JDF>\r\n";
    return out;
}

bool IsJdfFileName(const std::string& path) {
    if (path.size() < 4) return false;
    return platform::FoldRegistryName(path.substr(path.size() - 4)) == ".JDF";
}

bool ExportJdfFile(const CPaperCatalog& catalog, const std::string& path, std::string_view title, StoreReport* report,
                   NotReadBack* lost) {
    std::vector<CPaperDef> papers;
    papers.reserve(static_cast<size_t>(catalog.GetCount()));
    for (int i = 0; i < catalog.GetCount(); ++i) papers.push_back(catalog.GetPaper(i));
    const int16_t language = AppState.CurrentLanguage;
    const std::string bytes = WriteJdfMedia(papers, language, title);
    platform::ReplaceFailure failure;
    const bool written = platform::WriteFileReplacing(path, bytes, &failure);
    if (report) {
        *report = StoreReport{};
        if (!written) {
            report->SystemError = failure.error;
            report->Kept = failure.kept;
        }
    }
    if (lost) {
        *lost = NotReadBack{};
        if (!written) return written;
        // What the file gives back, Media by Media: each one refused or read
        // as other fields is named.
        for (size_t i = 0; i < papers.size(); ++i) {
            const JdfMediaRead one = ReadJdfMedia(WriteJdfMedia({papers[i]}, language, {}), language);
            CPaperDef back = one.ok() && one.papers.size() == 1 ? one.papers[0] : CPaperDef{};
            const CPaperDef& paper = papers[i];
            if (!one.ok() || !SameFields(back, paper)) {
                ++lost->count;
                lost->names.push_back(paper.Name);
            }
        }
    }
    return written;
}

std::vector<std::string> JdfRefusalLines(const JdfMediaRead& read, TableUse use) {
    std::vector<std::string> lines;
    if (read.ok()) return lines;
    lines.push_back(RefusalHeading(use));
    switch (read.fault) {
    case JdfFault::NotXml: {
        const XmlDocument& xml = read.xml;
        std::string reason;
        switch (xml.fault) {
        case XmlFault::TooLarge:
            lines.push_back(FormatText(InterfaceMessage(MSG_JDF_XML_TOO_LARGE), {std::to_string(XmlLimits{}.maxBytes >> 20)}));
            return lines;
        case XmlFault::TooManyElements:
            lines.push_back(FormatText(InterfaceMessage(MSG_JDF_XML_TOO_MANY), {std::to_string(XmlLimits{}.maxElements)}));
            return lines;
        case XmlFault::TooDeep: reason = FormatText(InterfaceMessage(MSG_XML_TOO_DEEP), {std::to_string(XmlLimits{}.maxDepth)}); break;
        case XmlFault::NotUtf8: reason = InterfaceMessage(MSG_XML_NOT_UTF8); break;
        case XmlFault::EncodingNotUtf8: reason = InterfaceMessage(MSG_XML_ENCODING); break;
        case XmlFault::BadCharacter: reason = InterfaceMessage(MSG_XML_BAD_CHARACTER); break;
        case XmlFault::Doctype: reason = InterfaceMessage(MSG_XML_DOCTYPE); break;
        case XmlFault::BadDeclaration: reason = InterfaceMessage(MSG_XML_BAD_DECLARATION); break;
        case XmlFault::BadMarkup: reason = InterfaceMessage(MSG_XML_BAD_MARKUP); break;
        case XmlFault::BadName: reason = InterfaceMessage(MSG_XML_BAD_NAME); break;
        case XmlFault::UnquotedAttribute: reason = InterfaceMessage(MSG_XML_UNQUOTED); break;
        case XmlFault::DuplicateAttribute: reason = FormatText(InterfaceMessage(MSG_XML_DUPLICATE), {VisibleText(xml.detail)}); break;
        case XmlFault::LessThanInAttribute: reason = InterfaceMessage(MSG_XML_LESS_THAN); break;
        case XmlFault::UnknownEntity: reason = FormatText(InterfaceMessage(MSG_XML_UNKNOWN_ENTITY), {"&" + VisibleText(xml.detail) + ";"}); break;
        case XmlFault::BadCharReference: reason = InterfaceMessage(MSG_XML_BAD_CHAR_REF); break;
        case XmlFault::MismatchedTag: reason = FormatText(InterfaceMessage(MSG_XML_MISMATCHED), {VisibleText(xml.detail)}); break;
        case XmlFault::UndeclaredPrefix: reason = FormatText(InterfaceMessage(MSG_XML_UNDECLARED_PREFIX), {VisibleText(xml.detail)}); break;
        case XmlFault::TextOutsideRoot: reason = InterfaceMessage(MSG_XML_OUTSIDE_ROOT); break;
        case XmlFault::NoRoot: reason = InterfaceMessage(MSG_XML_NO_ROOT); break;
        case XmlFault::Truncated: reason = InterfaceMessage(MSG_XML_TRUNCATED); break;
        case XmlFault::None: break;
        }
        lines.push_back(FormatText(InterfaceMessage(MSG_JDF_NOT_XML),
                                   {std::to_string(xml.line), std::to_string(xml.column), reason}));
        break;
    }
    case JdfFault::NotJdf: lines.push_back(FormatText(InterfaceMessage(MSG_JDF_NOT_JDF), {VisibleText(read.root)})); break;
    case JdfFault::NoMedia: lines.push_back(InterfaceMessage(MSG_JDF_NO_MEDIA)); break;
    case JdfFault::MediaRefused: {
        lines.push_back(FormatText(InterfaceMessage(MSG_JDF_MEDIA_REFUSED), {std::to_string(read.refusedMedia)}));
        constexpr size_t kShown = 10;
        for (size_t i = 0; i < read.refusals.size() && i < kShown; ++i) {
            const JdfMediaRefusal& refusal = read.refusals[i];
            std::string reason;
            std::string value;
            Utf8ToCp1252(refusal.value, value);
            switch (refusal.media) {
            case MediaRefusal::NoWeight: reason = InterfaceMessage(MSG_JDF_NOT_GIVEN); break;
            case MediaRefusal::NoSize:
                // A Dimension of zero or less is given, but is no size.
                if (value.empty()) {
                    reason = InterfaceMessage(MSG_JDF_NOT_GIVEN);
                    break;
                }
                [[fallthrough]];
            case MediaRefusal::SizeNotOffered: reason = FormatText(InterfaceMessage(MSG_JDF_SIZE_NOT_OFFERED), {VisibleText(value)}); break;
            case MediaRefusal::WeightOutOfRange:
                reason = FormatText(InterfaceMessage(MSG_ROW_OUT_OF_RANGE),
                                    {VisibleText(value), std::to_string(AppState.MinimumPaperWeight),
                                     std::to_string(AppState.MaximumPaperWeight)});
                break;
            case MediaRefusal::UnknownColor: reason = FormatText(InterfaceMessage(MSG_JDF_UNKNOWN_COLOR), {VisibleText(value)}); break;
            case MediaRefusal::UnknownType: reason = FormatText(InterfaceMessage(MSG_JDF_UNKNOWN_TYPE), {VisibleText(value)}); break;
            case MediaRefusal::NameUnusable:
            case MediaRefusal::SameName:
            case MediaRefusal::None:
                reason = refusal.notANumber ? FormatText(InterfaceMessage(MSG_JDF_NOT_A_NUMBER), {VisibleText(value)})
                                            : RowRefusalReason(refusal.row);
                break;
            }
            lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_ROW_LINE),
                                       {std::to_string(refusal.line), VisibleText(refusal.name),
                                        refusal.attribute.empty() ? InterfaceMessage(MSG_JDF_MEDIA_WHOLE) : refusal.attribute, reason}));
        }
        if (read.refusedMedia > kShown) {
            lines.push_back(FormatText(InterfaceMessage(MSG_TABLE_MORE_ROWS), {std::to_string(read.refusedMedia - kShown)}));
        }
        break;
    }
    case JdfFault::None: break;
    }
    return lines;
}

std::string JdfRefusalMessage(const JdfMediaRead& read, TableUse use) { return JoinLines(JdfRefusalLines(read, use)); }
