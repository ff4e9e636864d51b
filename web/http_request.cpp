// The GET as decisions over the WinInet seam: flags, the header block, the
// read loop and the header report run on a worker thread with handles of its
// own (see platform/transfer_bounds.h); the cookies are collected afterwards
// from the copied header text.
#include "web/http_request.h"

#include <utility>
#include <vector>

#include "platform/convert.h"
#include "web/text_helpers.h"
#include "web/url.h"

namespace {

// An empty Text reaches WinInet as a null pointer.
const char* arg(const Text& t) {
    return t.empty() ? nullptr : t.c_str();
}

// One WinInet handle, closed exactly once when it goes out of scope, so the
// three close in reverse order on every path.
class Handle {
public:
    Handle(const WinInetSeam& seam, void* handle) : seam_(seam), handle_(handle) {}
    ~Handle() {
        if (handle_) seam_.internet_close_handle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    void* get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    const WinInetSeam& seam_;
    void* handle_;
};

// The worker's whole transfer; seam and url are its own copies.
void transfer(const WinInetSeam& seam, const Text& url, TransferSink& sink) {
    Handle internet(seam, seam.internet_open(HttpAgent, 1 /* direct */, nullptr, nullptr, 0));
    if (!internet) return;
    const Text host = url_host(url, false);
    Handle connection(seam, seam.internet_connect(internet.get(), arg(host), url_port(url), nullptr,
                                                  nullptr, 3 /* HTTP */, 0, 0));
    if (!connection) return;
    const Text path = url_path(url);
    Handle request(seam, seam.http_open_request(connection.get(), "GET", arg(path), "HTTP/1.1",
                                                nullptr, nullptr, request_flags(url), 0));
    if (!request) return;
    sink.mark_request_opened();

    std::uint32_t security = HttpSecurityFlags;
    seam.internet_set_option(request.get(), 31 /* SECURITY_FLAGS */, &security, sizeof security);
    const Text block = request_header_block(url);
    seam.http_send_request(request.get(), arg(block), static_cast<std::uint32_t>(block.size()),
                           nullptr, 0);
    read_body(sink, [&](std::uint8_t* buffer, std::uint32_t size) {
        std::uint32_t count = 0;
        seam.internet_read_file(request.get(), buffer, size, &count);
        return count;
    });

    // Pre-filled with spaces and ended by a zero WinInet never overwrites: a
    // report that fails or does not fit leaves 5000 spaces.
    std::vector<char> report(HttpHeaderReportSize + 1, ' ');
    report[HttpHeaderReportSize] = '\0';
    std::uint32_t length = HttpHeaderReportSize;
    seam.http_query_info(request.get(), 22 /* RAW_HEADERS_CRLF */, report.data(), &length, nullptr);
    sink.set_headers(Text(report.data()));
}

}  // namespace

bool is_https_url(const Text& url) {
    return lower_ascii(left_of(url, 8)) == "https://";
}

std::uint32_t request_flags(const Text& url) {
    return HttpFlagReload | HttpFlagNeedFile |
           (is_https_url(url) ? HttpFlagSecure : HttpFlagIgnoreRedirectToHttps);
}

Text request_header_block(const Text& url) {
    Text block = "Accept: */*";
    if (find_first(block, "Referer:", 1, true) == -1) block += "\r\nReferer: " + url;
    if (find_first(block, "Accept-Language:", 1, true) == -1) block += "\r\nAccept-Language: zh-cn";
    return block;
}

Text collect_cookies(const Text& response_headers) {
    Text cookies;
    for (const Text& line : split_on(response_headers, "\r\n")) {
        if (text_before(line, ": ") != "Set-Cookie") continue;
        const Text item = find_first(line, ";", 1) != -1
                              ? text_between(line, "Set-Cookie:", ";")
                              : substitute(line, "Set-Cookie:", Text(), false);
        cookies += trim_blanks(item) + "; ";
    }
    return text_len(cookies) < 3 ? Text() : left_of(cookies, text_len(cookies) - 2);
}

Bytes http_request(const WinInetSeam& seam, const Text& url, Text& response_headers,
                   Text& response_cookies, int time_limit_ms) {
    TransferResult result =
        run_bounded([seam, url](TransferSink& sink) { transfer(seam, url, sink); }, time_limit_ms);
    if (!result.request_opened) return Bytes();
    response_headers = result.finished ? result.headers : spaces(HttpHeaderReportSize);
    response_cookies = collect_cookies(response_headers);
    return std::move(result.body);
}

Text fetch_text(const WinInetSeam& seam, const Text& url, int time_limit_ms) {
    Text headers, cookies;
    return text_of_bytes(http_request(seam, url, headers, cookies, time_limit_ms));
}
