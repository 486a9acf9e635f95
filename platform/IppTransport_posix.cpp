#include "platform/IppTransport.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Waits for the socket in steps, so that a cancel is seen; false when the
// time is over or the wait was cancelled (`outcome` says which).
bool Wait(int fd, short events, Clock::time_point deadline, const std::atomic<bool>* cancel, HttpOutcome& outcome) {
    for (;;) {
        if (cancel && *cancel) {
            outcome = HttpOutcome::Cancelled;
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            outcome = HttpOutcome::Timeout;
            return false;
        }
        pollfd p{fd, events, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left, 50)));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) {
            outcome = HttpOutcome::Unreachable;
            return false;
        }
    }
}

struct Socket {
    int fd = -1;
    ~Socket() {
        if (fd >= 0) close(fd);
    }
};

// The body of an HTTP/1.1 answer whose head ends at `headEnd`: by its length,
// in chunks, or up to the connection's end.
bool Body(const std::string& raw, size_t headEnd, std::string& body, bool& complete) {
    std::string head = raw.substr(0, headEnd);
    for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string rest = raw.substr(headEnd + 4);
    if (head.find("transfer-encoding: chunked") != std::string::npos) {
        body.clear();
        size_t pos = 0;
        for (;;) {
            const size_t line = rest.find("\r\n", pos);
            if (line == std::string::npos) return complete = false, true;
            const unsigned long size = std::strtoul(rest.c_str() + pos, nullptr, 16);
            if (size == 0) return complete = true, true;
            if (rest.size() < line + 2 + size + 2) return complete = false, true;
            body.append(rest, line + 2, size);
            pos = line + 2 + size + 2;
        }
    }
    if (const size_t at = head.find("content-length:"); at != std::string::npos) {
        const unsigned long length = std::strtoul(head.c_str() + at + 15, nullptr, 10);
        body = rest.substr(0, length);
        complete = rest.size() >= length;
        return true;
    }
    body = rest;
    complete = false;  // up to the connection's end
    return true;
}

}  // namespace

// Plain http over a socket: the native build's tests only; ipps needs the Windows build.
HttpAnswer PostIppOverNetwork(const HttpTarget& target, const std::string& body, const std::atomic<bool>* cancel,
                              int timeoutMs, size_t maxBytes) {
    HttpAnswer answer;
    if (target.secure) {
        answer.detail = "https is not available in this build";
        return answer;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int error = getaddrinfo(target.host.c_str(), std::to_string(target.port).c_str(), &hints, &found); error != 0) {
        answer.detail = gai_strerror(error);
        return answer;
    }
    Socket s;
    for (addrinfo* a = found; a && s.fd < 0; a = a->ai_next) {
        s.fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s.fd < 0) continue;
        fcntl(s.fd, F_SETFL, fcntl(s.fd, F_GETFL) | O_NONBLOCK);
        if (connect(s.fd, a->ai_addr, a->ai_addrlen) == 0) break;
        HttpOutcome outcome = HttpOutcome::Unreachable;
        int error = errno;
        if (error == EINPROGRESS) {
            if (!Wait(s.fd, POLLOUT, deadline, cancel, outcome)) {
                freeaddrinfo(found);
                answer.outcome = outcome;
                return answer;
            }
            socklen_t length = sizeof error;
            getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &error, &length);
            if (error == 0) break;
        }
        answer.detail = std::strerror(error);
        close(s.fd);
        s.fd = -1;
    }
    freeaddrinfo(found);
    if (s.fd < 0) return answer;

    std::string request = "POST " + target.path + " HTTP/1.1\r\nHost: " + target.host + ":" + std::to_string(target.port) +
                          "\r\nContent-Type: application/ipp\r\nContent-Length: " + std::to_string(body.size()) +
                          "\r\nConnection: close\r\n\r\n" + body;
    size_t sent = 0;
    while (sent < request.size()) {
        HttpOutcome outcome = HttpOutcome::Unreachable;
        if (!Wait(s.fd, POLLOUT, deadline, cancel, outcome)) return HttpAnswer{outcome, 0, {}, {}};
        const ssize_t n = send(s.fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EINTR) return HttpAnswer{HttpOutcome::Unreachable, 0, {}, std::strerror(errno)};
        if (n > 0) sent += static_cast<size_t>(n);
    }
    std::string raw;
    char buffer[65536];
    for (;;) {
        HttpOutcome outcome = HttpOutcome::Unreachable;
        if (!Wait(s.fd, POLLIN, deadline, cancel, outcome)) return HttpAnswer{outcome, 0, {}, {}};
        const ssize_t n = recv(s.fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n < 0) return HttpAnswer{HttpOutcome::Unreachable, 0, {}, std::strerror(errno)};
        if (n > 0) raw.append(buffer, static_cast<size_t>(n));
        if (raw.size() > maxBytes + 65536) return HttpAnswer{HttpOutcome::TooLarge, 0, {}, {}};
        const size_t headEnd = raw.find("\r\n\r\n");
        bool complete = false;
        if (headEnd != std::string::npos) Body(raw, headEnd, answer.body, complete);
        if (n == 0 || complete) {
            if (headEnd == std::string::npos || raw.compare(0, 5, "HTTP/") != 0) {
                return HttpAnswer{HttpOutcome::Unreachable, 0, {}, "no HTTP answer"};
            }
            const size_t space = raw.find(' ');
            answer.status = std::atoi(raw.c_str() + space + 1);
            if (answer.body.size() > maxBytes) return HttpAnswer{HttpOutcome::TooLarge, answer.status, {}, {}};
            answer.outcome = HttpOutcome::Answered;
            return answer;
        }
    }
}

}  // namespace platform
