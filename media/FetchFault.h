// Why a fetch of a printer's media gave nothing to merge: the transport's
// faults and the answer's, one list for both.
#pragma once

#include <cstdint>

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
