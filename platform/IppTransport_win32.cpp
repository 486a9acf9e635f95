#include "platform/IppTransport.h"

#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

// WinHTTP's own error texts live in its module, not in the system's table.
std::string ErrorText(DWORD error) {
    char* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                        FORMAT_MESSAGE_FROM_HMODULE;
    const DWORD length = FormatMessageA(flags, GetModuleHandleA("winhttp.dll"), error, 0,
                                        reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length && text ? std::string(text, length) : std::string();
    if (text) LocalFree(text);
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' || result.back() == ' ')) result.pop_back();
    if (result.empty()) result = "WinHTTP " + std::to_string(error);
    return result;
}

// What the worker and the waiting caller share. The caller may give up on the
// worker (cancel, the whole exchange's time over) and close its handles, which
// ends the worker's blocking calls.
struct Exchange {
    std::mutex lock;
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    bool abandoned = false;
    std::atomic<bool> done{false};
    HttpAnswer answer;

    void CloseHandles() {
        for (HINTERNET* handle : {&request, &connection, &session}) {
            if (*handle) WinHttpCloseHandle(*handle);
            *handle = nullptr;
        }
    }
};

HttpAnswer Failure(DWORD error) {
    HttpAnswer answer;
    answer.outcome = error == ERROR_WINHTTP_TIMEOUT ? HttpOutcome::Timeout : HttpOutcome::Unreachable;
    if (answer.outcome == HttpOutcome::Unreachable) answer.detail = ErrorText(error);
    return answer;
}

HttpAnswer Run(Exchange& x, const HttpTarget& target, const std::string& body, int timeoutMs, size_t maxBytes) {
    HINTERNET request = nullptr;
    {
        std::lock_guard<std::mutex> guard(x.lock);
        if (x.abandoned) return {};
        // A printer is on the local network: no proxy between.
        x.session = WinHttpOpen(L"Quandrel", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        if (!x.session) return Failure(GetLastError());
        WinHttpSetTimeouts(x.session, timeoutMs, timeoutMs, timeoutMs, timeoutMs);
        x.connection = WinHttpConnect(x.session, Wide(target.host).c_str(), static_cast<INTERNET_PORT>(target.port), 0);
        if (!x.connection) return Failure(GetLastError());
        x.request = WinHttpOpenRequest(x.connection, L"POST", Wide(target.path).c_str(), nullptr, WINHTTP_NO_REFERER,
                                       WINHTTP_DEFAULT_ACCEPT_TYPES, target.secure ? WINHTTP_FLAG_SECURE : 0);
        if (!x.request) return Failure(GetLastError());
        request = x.request;
    }
    static const wchar_t kHeaders[] = L"Content-Type: application/ipp\r\n";
    if (!WinHttpSendRequest(request, kHeaders, static_cast<DWORD>(-1), const_cast<char*>(body.data()),
                            static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0) ||
        !WinHttpReceiveResponse(request, nullptr)) {
        return Failure(GetLastError());
    }
    HttpAnswer answer;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                             &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        return Failure(GetLastError());
    }
    answer.status = static_cast<int>(status);
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!WinHttpReadData(request, buffer, sizeof buffer, &read)) return Failure(GetLastError());
        if (read == 0) break;
        if (answer.body.size() + read > maxBytes) return {HttpOutcome::TooLarge, answer.status, {}, {}};
        answer.body.append(buffer, read);
    }
    answer.outcome = HttpOutcome::Answered;
    return answer;
}

}  // namespace

HttpAnswer PostIppOverNetwork(const HttpTarget& target, const std::string& body, const std::atomic<bool>* cancel,
                              int timeoutMs, size_t maxBytes) {
    auto x = std::make_shared<Exchange>();
    std::thread worker([x, target, body, timeoutMs, maxBytes] {
        HttpAnswer answer = Run(*x, target, body, timeoutMs, maxBytes);
        std::lock_guard<std::mutex> guard(x->lock);
        if (!x->abandoned) x->answer = std::move(answer);
        x->CloseHandles();
        x->done = true;
    });
    const auto start = std::chrono::steady_clock::now();
    HttpOutcome gaveUp = HttpOutcome::Answered;
    while (!x->done) {
        if (cancel && *cancel) gaveUp = HttpOutcome::Cancelled;
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) gaveUp = HttpOutcome::Timeout;
        if (gaveUp != HttpOutcome::Answered) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (gaveUp == HttpOutcome::Answered) {
        worker.join();
        return x->answer;
    }
    {
        std::lock_guard<std::mutex> guard(x->lock);
        x->abandoned = true;
        x->CloseHandles();
    }
    // Closing the handles ends the worker's calls; should one not end, the
    // worker keeps what it shares and is left to finish on its own.
    const auto closed = std::chrono::steady_clock::now();
    while (!x->done && std::chrono::steady_clock::now() - closed < std::chrono::seconds(2)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (x->done) worker.join();
    else worker.detach();
    HttpAnswer answer;
    answer.outcome = gaveUp;
    return answer;
}

}  // namespace platform
