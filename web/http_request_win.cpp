// The WinInet seam bound to wininet.dll, and the two entry points the program
// calls. Target only.
#include <windows.h>
#include <wininet.h>

#include "web/http_request.h"

namespace {

void* open(const char* agent, std::uint32_t access, const char* proxy, const char* bypass,
           std::uint32_t flags) {
    return InternetOpenA(agent, access, proxy, bypass, flags);
}

// INTERNET_PORT is 16 bits: the port's low bits, as the conversion does.
void* connect(void* internet, const char* host, std::int32_t port, const char* user,
              const char* password, std::uint32_t service, std::uint32_t flags,
              std::uintptr_t context) {
    return InternetConnectA(internet, host, static_cast<INTERNET_PORT>(port), user, password,
                            service, flags, context);
}

void* open_request(void* connection, const char* verb, const char* path, const char* version,
                   const char* referrer, const char** accept_types, std::uint32_t flags,
                   std::uintptr_t context) {
    return HttpOpenRequestA(connection, verb, path, version, referrer, accept_types, flags,
                            context);
}

int set_option(void* handle, std::uint32_t option, void* value, std::uint32_t length) {
    return InternetSetOptionA(handle, option, value, length);
}

int send_request(void* request, const char* headers, std::uint32_t length, void* optional,
                 std::uint32_t optional_length) {
    return HttpSendRequestA(request, headers, length, optional, optional_length);
}

int read_file(void* request, void* buffer, std::uint32_t to_read, std::uint32_t* read) {
    DWORD count = 0;
    const BOOL ok = InternetReadFile(request, buffer, to_read, &count);
    *read = ok ? count : 0;
    return ok;
}

int query_info(void* request, std::uint32_t level, void* buffer, std::uint32_t* length,
               std::uint32_t* index) {
    DWORD size = *length;
    DWORD at = index ? *index : 0;
    const BOOL ok = HttpQueryInfoA(request, level, buffer, &size, index ? &at : nullptr);
    *length = size;
    if (index) *index = at;
    return ok;
}

int close_handle(void* handle) {
    return InternetCloseHandle(handle);
}

}  // namespace

const WinInetSeam& wininet_seam() {
    static const WinInetSeam seam = {open,         connect,   open_request, set_option,
                                     send_request, read_file, query_info,   close_handle};
    return seam;
}

Bytes http_request(const Text& url, Text& response_headers, Text& response_cookies) {
    return http_request(wininet_seam(), url, response_headers, response_cookies);
}

Text fetch_text(const Text& url) {
    return fetch_text(wininet_seam(), url);
}
