// One synchronous HTTP GET over WinInet: the body as Bytes, with the raw
// response headers and the cookies they set; fetch_text reads a remote text
// file. The decisions are portable; WinInet sits behind WinInetSeam, whose
// real binding (wininet_seam) is built only for the target.
#pragma once

#include <cstdint>

#include "platform/text.h"
#include "platform/transfer_bounds.h"

// The eight WinInet functions, with WinInet's argument order; handles as
// void*, BOOL results as int. A null handle means failure.
struct WinInetSeam {
    void* (*internet_open)(const char* agent, std::uint32_t access, const char* proxy,
                           const char* proxy_bypass, std::uint32_t flags);
    void* (*internet_connect)(void* internet, const char* host, std::int32_t port, const char* user,
                              const char* password, std::uint32_t service, std::uint32_t flags,
                              std::uintptr_t context);
    void* (*http_open_request)(void* connection, const char* verb, const char* path,
                               const char* version, const char* referrer, const char** accept_types,
                               std::uint32_t flags, std::uintptr_t context);
    int (*internet_set_option)(void* handle, std::uint32_t option, void* value,
                               std::uint32_t length);
    int (*http_send_request)(void* request, const char* headers, std::uint32_t headers_length,
                             void* optional, std::uint32_t optional_length);
    int (*internet_read_file)(void* request, void* buffer, std::uint32_t to_read,
                              std::uint32_t* read);
    int (*http_query_info)(void* request, std::uint32_t info_level, void* buffer,
                           std::uint32_t* length, std::uint32_t* index);
    int (*internet_close_handle)(void* handle);
};

constexpr const char* HttpAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
constexpr std::uint32_t HttpFlagReload = 0x80000000u;
constexpr std::uint32_t HttpFlagNeedFile = 0x10u;
constexpr std::uint32_t HttpFlagSecure = 0x800000u;
constexpr std::uint32_t HttpFlagIgnoreRedirectToHttps = 0x4000u;
constexpr std::uint32_t HttpSecurityFlags = 0x1F380u;  // certificate problems ignored
constexpr int HttpHeaderReportSize = 5000;

// True when the first 8 bytes, lower-cased, are "https://".
bool is_https_url(const Text& url);

// The request flags for url.
std::uint32_t request_flags(const Text& url);

// "Accept: */*", a Referer line with url, and an Accept-Language line unless
// the block already names one; no line break at the end.
Text request_header_block(const Text& url);

// The name=value items of the "Set-Cookie" lines (that exact case), joined by
// "; ".
Text collect_cookies(const Text& response_headers);

// The GET over the given seam. The outputs are written once a request handle
// existed; when the time limit ends the transfer, the headers are 5000 spaces
// (as a failed header report), the cookies empty and the body what was read.
Bytes http_request(const WinInetSeam& seam, const Text& url, Text& response_headers,
                   Text& response_cookies, int time_limit_ms = TransferTimeLimitMs);
Text fetch_text(const WinInetSeam& seam, const Text& url, int time_limit_ms = TransferTimeLimitMs);

// Over the real WinInet (target only).
const WinInetSeam& wininet_seam();
Bytes http_request(const Text& url, Text& response_headers, Text& response_cookies);
Text fetch_text(const Text& url);
