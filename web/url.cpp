// URL decomposition on plain code page 936 text. The host is searched with
// text_between after the scheme; the quirks of odd URLs (a later "http://",
// a host that also occurs earlier) are the behaviour callers see and test.
#include "web/url.h"

#include "platform/convert.h"
#include "web/text_helpers.h"

Text url_host(const Text& url, bool keep_port) {
    Text v = lower_ascii(url);
    if (right_of(v, 1) != "/") v += "/";
    if (left_of(v, 8) == "https://") {
        v = text_between(v, "https://", "/");
    } else {
        if (find_first(v, "http://", 1) == -1) v = "http://" + v;
        v = text_between(v, "http://", "/");
    }
    if (keep_port) return v;
    const int colon = find_first(v, ":", 1);
    return colon == -1 ? v : left_of(v, colon - 1);
}

std::int32_t url_port(const Text& url) {
    const Text host_port = url_host(url, true);
    const int colon = find_last(host_port, ":");
    if (colon == -1) return lower_ascii(left_of(url, 5)) == "https" ? 443 : 80;
    return parse_int(mid_of(host_port, colon + 1, text_len(host_port) - colon));
}

Text url_path(const Text& url) {
    const Text host = url_host(url, false);
    const int at = find_first(url, host, 1, true);
    const int slash = find_first(url, "/", at);
    if (slash == -1) return "/";
    return mid_of(url, slash, text_len(url) - slash + 1);
}
