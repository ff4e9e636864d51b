// download_bytes: WinInet cracks the URL (cut at its first "#"); the one root
// handle lives as long as the program, and each request runs on a worker
// thread with its own connection and request handles, waited for at most
// TransferTimeLimitMs. WinInet's own time-outs cannot give that bound: a
// drip never trips them and a blocking call cannot be ended from outside.
#include "platform/win32/download.h"

#include <windows.h>
#include <wininet.h>

#include <string>

#include "platform/transfer_bounds.h"
#include "platform/win32/gdi_handles.h"

namespace {

using InternetHandle = Owned<HINTERNET, InternetCloseHandle>;

const char* const Agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// Opened at first use and never closed: a worker abandoned at the time
// limit may still be using it.
HINTERNET root_handle() {
    static HINTERNET root = nullptr;
    if (!root) root = InternetOpenA(Agent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    return root;
}

struct Request {
    HINTERNET root;
    std::string host;
    INTERNET_PORT port;
    std::string object;  // path and query
    DWORD flags;
};

// Runs on the worker: reads only its own copy of the request.
void transfer(const Request& r, TransferSink& sink) {
    InternetHandle connection(InternetConnectA(r.root, r.host.c_str(), r.port, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return;
    InternetHandle request(HttpOpenRequestA(connection.get(), "GET", r.object.c_str(), "HTTP/1.0",
                                            nullptr, nullptr, r.flags, 0));
    if (!request) return;
    static const char header[] = "Accept: */*";
    HttpSendRequestA(request.get(), header, sizeof header - 1, nullptr, 0);
    read_body(sink, [&](std::uint8_t* buffer, std::uint32_t size) -> std::uint32_t {
        DWORD count = 0;
        return InternetReadFile(request.get(), buffer, size, &count) ? count : 0;
    });
}

}  // namespace

Bytes download_bytes(const Text& url) {
    const std::string cut = url.substr(0, url.find('#'));
    if (cut.empty()) return Bytes();
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = 1;  // non-zero with no buffer: point into cut
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlA(cut.c_str(), 0, 0, &parts)) return Bytes();
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return Bytes();

    Request r;
    r.root = root_handle();
    if (!r.root) return Bytes();
    r.host.assign(parts.lpszHostName ? parts.lpszHostName : "", parts.dwHostNameLength);
    r.port = parts.nPort;
    r.object.assign(parts.lpszUrlPath ? parts.lpszUrlPath : "", parts.dwUrlPathLength);
    r.object.append(parts.lpszExtraInfo ? parts.lpszExtraInfo : "", parts.dwExtraInfoLength);
    if (r.object.empty()) r.object = "/";
    r.flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
              (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);

    // The system's pre-configured proxy setting, taken afresh for each request.
    INTERNET_PROXY_INFO proxy = {};
    proxy.dwAccessType = INTERNET_OPEN_TYPE_PRECONFIG;
    InternetSetOptionA(r.root, INTERNET_OPTION_PROXY, &proxy, sizeof proxy);

    return run_bounded([r](TransferSink& sink) { transfer(r, sink); }).body;
}
