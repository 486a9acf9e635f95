// One HTTP POST of an IPP message (application/ipp) and its answer: with the
// system's HTTP stack on Windows (WinHTTP; https with the system's certificate
// check), with a plain socket elsewhere (http only, for the native tests).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

struct HttpTarget {
    std::string host;  // a name or an address; an IPv6 address without brackets
    int port = 631;
    std::string path;  // "/ipp/print"
    bool secure = false;
};

enum class HttpOutcome : uint8_t { Answered, Unreachable, Timeout, Cancelled, TooLarge };

struct HttpAnswer {
    HttpOutcome outcome = HttpOutcome::Unreachable;
    int status = 0;      // Answered: the HTTP status
    std::string body;    // Answered: at most `maxBytes`
    std::string detail;  // Unreachable: the system's words, may be empty
};

// Sends `body`; `cancel`, when given, is polled while waiting; `timeoutMs`
// bounds the whole exchange; an answer longer than `maxBytes` is TooLarge.
HttpAnswer PostIpp(const HttpTarget& target, const std::string& body, const std::atomic<bool>* cancel, int timeoutMs,
                   size_t maxBytes);

// The same without the tests' exchange: the build's own transport.
HttpAnswer PostIppOverNetwork(const HttpTarget& target, const std::string& body, const std::atomic<bool>* cancel,
                              int timeoutMs, size_t maxBytes);

// Tests put an exchange of their own in place of the network; an empty
// function puts the network back.
using IppExchange = std::function<HttpAnswer(const HttpTarget&, const std::string& body)>;
void SetIppExchangeForTesting(IppExchange exchange);

}  // namespace platform
