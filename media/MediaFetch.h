// Asking a printer for its media over IPP: one Get-Printer-Attributes request
// for media-col-database and media-col-ready, its answer decoded and each media
// turned into a paper or refused with its reason. An answer that cannot be
// used whole is refused whole: nothing of it is merged.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "media/FetchFault.h"
#include "media/MediaPapers.h"
#include "platform/IppTransport.h"

struct FetchedMedia {
    PrinterMedia media;
    MediaPaper paper;  // what it becomes here, or why not
    // SameName only: the same paper as an earlier media gives (the database
    // lists it again, with other margins or from another tray); not a refusal
    // to show, and its readiness went to the first.
    bool duplicate = false;
};

struct MediaFetchResult {
    MediaFetchFault fault = MediaFetchFault::None;
    int httpStatus = 0;
    int ippStatus = 0;
    std::string attribute;              // WrongSyntax: the attribute's name
    std::string detail;                 // the system's own words (Unreachable), may be empty
    std::vector<FetchedMedia> media;    // database first, in the printer's order; ready ones marked
    size_t databaseCount = 0;           // media in media-col-database
    size_t readyCount = 0;              // media in media-col-ready
    bool ok() const { return fault == MediaFetchFault::None; }
};

// The whole exchange; `cancel`, when given, is polled while waiting and ends
// the wait with Cancelled. `timeoutMs` bounds the whole exchange.
MediaFetchResult FetchPrinterMedia(const std::string& printerUri, int16_t language,
                                   const std::atomic<bool>* cancel = nullptr, int timeoutMs = 30000);

// An ipp:// or ipps:// address as the transport's target (port 631 when none
// is given); false when it is not one.
bool ParsePrinterUri(const std::string& uri, platform::HttpTarget& target);
// Each media as the paper it becomes in `language`; a second media giving a
// paper of a name already given is refused (SameName), or marked `duplicate`
// when it is the same paper.
void MapFetchedMedia(const std::vector<PrinterMedia>& media, int16_t language, std::vector<FetchedMedia>& fetched);
// The papers to merge, in the printer's order: every accepted media's, or the ready ones' only.
std::vector<CPaperDef> PapersOfFetch(const MediaFetchResult& result, bool readyOnly);

// What went wrong, in the current language, naming the printer's address.
std::string MediaFetchFaultText(const MediaFetchResult& result, const std::string& printerUri);
// Why one media did not become a paper, in the current language.
std::string MediaRefusalText(const FetchedMedia& refused);
// A media as the operator knows it: its name, its key, or its size.
std::string MediaDescription(const PrinterMedia& media);
