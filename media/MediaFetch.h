// Asking a printer for its media over IPP: one Get-Printer-Attributes request
// for media-col-database and media-col-ready, its answer decoded and each media
// turned into a paper or refused with its reason. An answer that cannot be
// used whole is refused whole: nothing of it is merged.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "media/MediaPapers.h"

enum class MediaFetchFault : uint8_t {
    None,
    BadAddress,    // not ipp://host[:port]/path or ipps://...
    Unreachable,   // no connection (name unknown, refused, certificate refused)
    Timeout,       // no complete answer in time
    Cancelled,     // the operator cancelled the wait
    HttpStatus,    // an HTTP status other than 200 (`httpStatus`)
    IppStatus,     // an IPP status other than successful-ok (`ippStatus`)
    Malformed,     // not a well-formed IPP message, or cut short
    WrongSyntax,   // an attribute of a syntax the standard does not allow (`attribute`)
    TooLarge,      // more than the program takes in one answer
    NoMedia,       // the printer reports no media collection at all
};

struct FetchedMedia {
    PrinterMedia media;
    MediaPaper paper;  // what it becomes here, or why not
};

struct MediaFetchResult {
    MediaFetchFault fault = MediaFetchFault::None;
    int httpStatus = 0;
    int ippStatus = 0;
    std::string attribute;              // WrongSyntax: the attribute's name
    std::string detail;                 // the system's own words (Unreachable), may be empty
    std::vector<FetchedMedia> media;    // database first, in the printer's order; ready ones marked
    bool ok() const { return fault == MediaFetchFault::None; }
};

// The whole exchange; `cancel`, when given, is polled while waiting and ends
// the wait with Cancelled. `timeoutMs` bounds the whole exchange.
MediaFetchResult FetchPrinterMedia(const std::string& printerUri, int16_t language,
                                   const std::atomic<bool>* cancel = nullptr, int timeoutMs = 30000);

// What went wrong, in the current language, naming the printer's address.
std::string MediaFetchFaultText(const MediaFetchResult& result, const std::string& printerUri);
// Why one media did not become a paper, in the current language.
std::string MediaRefusalText(const FetchedMedia& refused);
