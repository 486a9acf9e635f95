#include "media/MediaFetch.h"

#include <cctype>
#include <cstdio>
#include <unordered_map>

#include "media/IppMessage.h"
#include "platform/IppTransport.h"
#include "platform/Registry.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextEncoding.h"
#include "text/TextFormat.h"

namespace {

constexpr int32_t kRequestId = 1;

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The IPP status codes a printer gives when it will not answer, by their names (RFC 8011 B).
const char* IppStatusName(int status) {
    switch (status) {
    case 0x0400: return "client-error-bad-request";
    case 0x0401: return "client-error-forbidden";
    case 0x0402: return "client-error-not-authenticated";
    case 0x0403: return "client-error-not-authorized";
    case 0x0404: return "client-error-not-possible";
    case 0x0406: return "client-error-not-found";
    case 0x0500: return "server-error-internal-error";
    case 0x0501: return "server-error-operation-not-supported";
    case 0x0502: return "server-error-service-unavailable";
    case 0x0503: return "server-error-version-not-supported";
    case 0x0507: return "server-error-busy";
    default: return "";
    }
}

std::string Message(MessageId id) { return InterfaceMessage(id); }

std::string Millimetres(int32_t hundredths) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>((hundredths + 50) / 100));
    return text;
}

}  // namespace

bool ParsePrinterUri(const std::string& uri, platform::HttpTarget& target) {
    const std::string lower = Lower(uri);
    size_t rest = 0;
    if (lower.rfind("ipp://", 0) == 0) {
        target.secure = false;
        rest = 6;
    } else if (lower.rfind("ipps://", 0) == 0) {
        target.secure = true;
        rest = 7;
    } else {
        return false;
    }
    // IPP's own port for both schemes (RFC 8010 4.1, RFC 7472).
    target.port = 631;
    const size_t slash = uri.find('/', rest);
    std::string authority = uri.substr(rest, slash == std::string::npos ? std::string::npos : slash - rest);
    target.path = slash == std::string::npos ? "/" : uri.substr(slash);
    if (authority.empty() || authority.find('@') != std::string::npos) return false;
    std::string port;
    if (authority[0] == '[') {
        const size_t close = authority.find(']');
        if (close == std::string::npos || close == 1) return false;
        target.host = authority.substr(1, close - 1);
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != ':') return false;
            port = authority.substr(close + 2);
            if (port.empty()) return false;
        }
    } else {
        const size_t colon = authority.find(':');
        target.host = authority.substr(0, colon);
        if (colon != std::string::npos) {
            port = authority.substr(colon + 1);
            if (port.empty()) return false;
        }
    }
    if (target.host.empty()) return false;
    for (char c : target.host) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '/' || c == '?' || c == '#') return false;
    }
    if (!port.empty()) {
        if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return false;
        target.port = std::stoi(port);
        if (target.port < 1 || target.port > 65535) return false;
    }
    for (char c : target.path) {
        if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F) return false;
    }
    return true;
}

void MapFetchedMedia(const std::vector<PrinterMedia>& media, int16_t language, std::vector<FetchedMedia>& fetched) {
    fetched.clear();
    fetched.reserve(media.size());
    const MediaWords words(language);
    for (const PrinterMedia& one : media) fetched.push_back({one, PaperFromMedia(one, words)});
    // A database lists one paper several times (with and without margins, from
    // several trays): the same paper is one paper, ready when any of them is.
    // A different paper under a name already given cannot join: refused.
    std::unordered_map<std::string, size_t> byName;
    for (size_t i = 0; i < fetched.size(); ++i) {
        FetchedMedia& one = fetched[i];
        if (!one.paper.ok()) continue;
        const auto [at, added] = byName.emplace(platform::FoldRegistryName(one.paper.paper.Name), i);
        if (added) continue;
        FetchedMedia& first = fetched[at->second];
        const CPaperDef& a = first.paper.paper;
        const CPaperDef& b = one.paper.paper;
        if (SameFields(a, b)) {
            first.media.ready = first.media.ready || one.media.ready;
            one.paper.refusal = MediaRefusal::SameName;
            one.duplicate = true;
        } else {
            one.paper.refusal = MediaRefusal::SameName;
        }
    }
}

std::vector<CPaperDef> PapersOfFetch(const MediaFetchResult& result, bool readyOnly) {
    std::vector<CPaperDef> papers;
    papers.reserve(result.media.size());
    for (const FetchedMedia& one : result.media) {
        if (one.paper.ok() && (!readyOnly || one.media.ready)) papers.push_back(one.paper.paper);
    }
    return papers;
}

MediaFetchResult FetchPrinterMedia(const std::string& printerUri, int16_t language, const std::atomic<bool>* cancel,
                                   int timeoutMs) {
    MediaFetchResult result;
    platform::HttpTarget target;
    if (!ParsePrinterUri(printerUri, target)) {
        result.fault = MediaFetchFault::BadAddress;
        return result;
    }
    const std::string request = EncodeMediaRequest(printerUri, kRequestId, "quandrel");
    const platform::HttpAnswer answer = platform::PostIpp(target, request, cancel, timeoutMs, kMaxIppAnswerBytes);
    switch (answer.outcome) {
    case platform::HttpOutcome::Answered: break;
    case platform::HttpOutcome::Unreachable:
        result.fault = MediaFetchFault::Unreachable;
        result.detail = answer.detail;
        return result;
    case platform::HttpOutcome::Timeout: result.fault = MediaFetchFault::Timeout; return result;
    case platform::HttpOutcome::Cancelled: result.fault = MediaFetchFault::Cancelled; return result;
    case platform::HttpOutcome::TooLarge: result.fault = MediaFetchFault::TooLarge; return result;
    }
    if (answer.status != 200) {
        result.fault = MediaFetchFault::HttpStatus;
        result.httpStatus = answer.status;
        return result;
    }
    result.httpStatus = answer.status;
    IppMediaAnswer decoded = DecodeMediaAnswer(answer.body, kRequestId);
    result.ippStatus = decoded.status;
    result.databaseCount = decoded.databaseCount;
    result.readyCount = decoded.readyCount;
    if (!decoded.ok()) {
        result.fault = decoded.fault;
        result.attribute = decoded.attribute;
        return result;
    }
    MapFetchedMedia(decoded.media, language, result.media);
    return result;
}

std::string MediaFetchFaultText(const MediaFetchResult& result, const std::string& printerUri) {
    switch (result.fault) {
    case MediaFetchFault::None: return {};
    case MediaFetchFault::BadAddress: return FormatText(Message(MSG_MEDIA_BAD_ADDRESS), {printerUri});
    case MediaFetchFault::Unreachable: {
        std::string text = FormatText(Message(MSG_MEDIA_UNREACHABLE), {printerUri});
        std::string detail;
        // The system's words come in UTF-8 or the system's code page; shown as far as they go.
        if (!result.detail.empty() && !Utf8ToCp1252(result.detail, detail)) detail = result.detail;
        if (!detail.empty()) text += "\r" + detail;
        return text;
    }
    case MediaFetchFault::Timeout: return FormatText(Message(MSG_MEDIA_TIMEOUT), {printerUri});
    case MediaFetchFault::Cancelled: return FormatText(Message(MSG_MEDIA_CANCELLED), {printerUri});
    case MediaFetchFault::HttpStatus:
        return FormatText(Message(MSG_MEDIA_HTTP_STATUS), {printerUri, std::to_string(result.httpStatus)});
    case MediaFetchFault::IppStatus: {
        char code[16];
        std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(result.ippStatus));
        std::string status = code;
        if (const char* name = IppStatusName(result.ippStatus); *name) status += std::string(" (") + name + ")";
        return FormatText(Message(MSG_MEDIA_IPP_STATUS), {printerUri, status});
    }
    case MediaFetchFault::Malformed: return FormatText(Message(MSG_MEDIA_MALFORMED), {printerUri});
    case MediaFetchFault::WrongSyntax: return FormatText(Message(MSG_MEDIA_WRONG_SYNTAX), {printerUri, result.attribute});
    case MediaFetchFault::TooLarge:
        return FormatText(Message(MSG_MEDIA_TOO_LARGE),
                          {printerUri, std::to_string(kMaxIppMedia), std::to_string(kMaxIppAnswerBytes >> 20)});
    case MediaFetchFault::NoMedia: return FormatText(Message(MSG_MEDIA_NO_MEDIA), {printerUri});
    }
    return {};
}

std::string MediaDescription(const PrinterMedia& media) {
    std::string name;
    if (!media.name.empty() && Utf8ToCp1252(media.name, name) && !name.empty()) {
        if (name.size() > 64) name = name.substr(0, 61) + "...";
        return name;
    }
    if (!media.key.empty() && Utf8ToCp1252(media.key, name) && !name.empty()) return name.substr(0, 64);
    if (media.width > 0 && media.height > 0) {
        return FormatText(Message(MSG_MEDIA_OF_SIZE), {Millimetres(media.width), Millimetres(media.height)});
    }
    return Message(MSG_MEDIA_UNNAMED);
}

std::string MediaRefusalText(const FetchedMedia& refused) {
    const PrinterMedia& media = refused.media;
    const std::string what = MediaDescription(media);
    switch (refused.paper.refusal) {
    case MediaRefusal::None: return {};
    case MediaRefusal::NoSize: return FormatText(Message(MSG_MEDIA_REFUSED_NO_SIZE), {what});
    case MediaRefusal::SizeNotOffered:
        return FormatText(Message(MSG_MEDIA_REFUSED_SIZE), {what, Millimetres(media.width), Millimetres(media.height)});
    case MediaRefusal::NoWeight: return FormatText(Message(MSG_MEDIA_REFUSED_NO_WEIGHT), {what});
    case MediaRefusal::WeightOutOfRange:
        return FormatText(Message(MSG_MEDIA_REFUSED_WEIGHT),
                          {what, std::to_string(media.weight), std::to_string(AppState.MinimumPaperWeight),
                           std::to_string(AppState.MaximumPaperWeight)});
    case MediaRefusal::UnknownColor: return FormatText(Message(MSG_MEDIA_REFUSED_COLOR), {what, media.color});
    case MediaRefusal::UnknownType: return FormatText(Message(MSG_MEDIA_REFUSED_TYPE), {what, media.type});
    case MediaRefusal::NameUnusable:
        if (refused.paper.nameFault == FieldFault::TooLong) {
            return FormatText(Message(MSG_MEDIA_REFUSED_NAME_LONG), {what, std::to_string(kMaxNameLength)});
        }
        return FormatText(Message(MSG_MEDIA_REFUSED_NAME_CHARACTER), {what});
    case MediaRefusal::SameName:
        return FormatText(Message(refused.duplicate ? MSG_MEDIA_SAME_PAPER : MSG_MEDIA_REFUSED_SAME_NAME),
                          {what, refused.paper.paper.Name});
    }
    return {};
}
