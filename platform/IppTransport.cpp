#include "platform/IppTransport.h"

#include <mutex>

namespace platform {

namespace {

std::mutex exchangeLock;
IppExchange& TestExchange() {
    static IppExchange exchange;
    return exchange;
}

}  // namespace

void SetIppExchangeForTesting(IppExchange exchange) {
    std::lock_guard<std::mutex> lock(exchangeLock);
    TestExchange() = std::move(exchange);
}

HttpAnswer PostIpp(const HttpTarget& target, const std::string& body, const std::atomic<bool>* cancel, int timeoutMs,
                   size_t maxBytes) {
    IppExchange exchange;
    {
        std::lock_guard<std::mutex> lock(exchangeLock);
        exchange = TestExchange();
    }
    if (exchange) {
        HttpAnswer answer = exchange(target, body);
        if (answer.outcome == HttpOutcome::Answered && answer.body.size() > maxBytes) {
            answer = HttpAnswer{HttpOutcome::TooLarge, answer.status, {}, {}};
        }
        return answer;
    }
    return PostIppOverNetwork(target, body, cancel, timeoutMs, maxBytes);
}

}  // namespace platform
