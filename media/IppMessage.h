// IPP's binary encoding (RFC 8010) for the one exchange the program has with
// a printer: a Get-Printer-Attributes request for its media collections, and
// the answer read into PrinterMedia. The answer is read whole before any of it
// is used; one that is cut short, names a length beyond its end, gives a media
// member in a syntax PWG 5100.7 does not allow, or holds more than the limits
// below is refused whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "media/FetchFault.h"
#include "media/MediaPapers.h"

// The most media one answer may hold in either collection. A production
// printer's database lists every size, type, weight and colour it takes: a few
// thousand at the most seen; 10,000 must pass. Five times that still bounds the
// memory the decoded answer takes to a few tens of megabytes.
inline constexpr size_t kMaxIppMedia = 50000;
// The most bytes of an answer read: 50,000 media of about 300 bytes each fit.
inline constexpr size_t kMaxIppAnswerBytes = 32u << 20;
// text(MAX) and name(MAX) (RFC 8011 5.1.2, 5.1.3), keyword (5.1.4).
inline constexpr size_t kMaxIppText = 1023;
inline constexpr size_t kMaxIppName = 255;
// Collections inside collections: media-col holds media-size and
// media-source-properties; deeper than this is no printer's answer.
inline constexpr int kMaxIppDepth = 8;

// The request, version 2.0, operation Get-Printer-Attributes.
std::string EncodeMediaRequest(std::string_view printerUri, int32_t requestId, std::string_view userName);

struct IppMediaAnswer {
    MediaFetchFault fault = MediaFetchFault::None;  // None, Malformed, WrongSyntax, TooLarge, IppStatus, NoMedia
    int status = 0;                 // the answer's status-code
    std::string attribute;          // WrongSyntax: the attribute, with the member ("media-col-database/media-size")
    std::vector<PrinterMedia> media;  // the database in the printer's order, then the ready media it lacks
    size_t databaseCount = 0;
    size_t readyCount = 0;
    bool ok() const { return fault == MediaFetchFault::None; }
};

// Reads an answer to EncodeMediaRequest; `requestId` below 0 takes any request-id.
IppMediaAnswer DecodeMediaAnswer(std::string_view bytes, int32_t requestId = -1);

// Marks the database's media that the ready list names (by media-key, else by
// size, type, weight and colour) as ready, and appends the ready media the
// database lacks, marked ready.
void MarkReadyMedia(std::vector<PrinterMedia>& database, const std::vector<PrinterMedia>& ready);
