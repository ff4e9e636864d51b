// libFuzzer target for the web routines that read what a caller or a server
// hands them: the input, cut at its first two 0x01 bytes, is a text and two
// markers for text_between/text_before, the whole input is a URL for the URL
// routines and the header block, and a header report for the cookie
// collection. Beside not trapping, each result must be a piece of its input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "web/http_request.h"
#include "web/text_helpers.h"
#include "web/url.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool contains(const Text& whole, const Text& part) {
    return part.empty() || whole.find(part) != Text::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Text holds no zero byte: the input is taken up to its first one.
    Text input(reinterpret_cast<const char*>(data), size);
    input = input.substr(0, input.find('\0'));

    const std::size_t a = input.find('\x01');
    const std::size_t b = a == Text::npos ? Text::npos : input.find('\x01', a + 1);
    const Text text = input.substr(0, a);
    const Text start =
        a == Text::npos ? "\"" : input.substr(a + 1, b == Text::npos ? b : b - a - 1);
    const Text end = b == Text::npos ? "\"" : input.substr(b + 1);
    check(contains(text, text_between(text, start, end)));
    check(contains(text, text_before(text, start)));

    const Text host = url_host(input, false);
    const Text host_port = url_host(input, true);
    check(host_port.compare(0, host.size(), host) == 0);
    check(contains(lower_ascii(input), host) || input.empty() || host.empty());
    url_port(input);
    const Text path = url_path(input);
    check(path == "/" || contains(input, path));
    check(request_flags(input) != 0);
    check(request_header_block(input).compare(0, 11, "Accept: */*") == 0);

    const Text cookies = collect_cookies(input);
    check(cookies.size() <= input.size());
    return 0;
}
