// Host tests of url_host, url_port and url_path: the table of URLs, and the
// odd URLs whose quirks are kept on purpose.
#include "web/url.h"

#include <gtest/gtest.h>

namespace {

TEST(Url, Parts) {
    struct Row {
        Text url, host, host_port;
        std::int32_t port;
        Text path;
    };
    const Row rows[] = {
        {"https://host/dir/file.txt", "host", "host", 443, "/dir/file.txt"},
        {"https://host", "host", "host", 443, "/"},
        {"http://host:8080/a?b=1#c", "host", "host:8080", 8080, "/a?b=1#c"},
        {"HTTP://Host/X/Y", "host", "host", 80, "/X/Y"},
        {"host/page", "host", "host", 80, "/page"},
        {"https://host:/x", "host", "host:", 0, "/x"},
        {"", "", "", 80, "/"},
        {"HTTPS://Host/X", "host", "host", 443, "/X"},
        {"http://127.0.0.1:45000/status/404", "127.0.0.1", "127.0.0.1:45000", 45000, "/status/404"},
        {"http://host:80x/", "host", "host:80x", 80, "/"},
        {"http://host:abc/", "host", "host:abc", 0, "/"},
        {"http://a:1:2/", "a", "a:1:2", 2, "/"},
        // Port text beyond 32 bits wraps, as the conversion does.
        {"http://n:4294967377/", "n", "n:4294967377", 81, "/"},
        // A later "http://" names the host when the URL does not start with https.
        {"ftp://x/?u=http://other/p", "other", "other", 80, "/p"},
        // "ps" occurs inside "https" first: the path starts at the scheme's "//".
        {"https://ps/a", "ps", "ps", 443, "//ps/a"},
        // Chinese in the host: lower-casing leaves the double-byte bytes alone.
        {"http://中文.example/路径", "中文.example", "中文.example", 80, "/路径"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.url);
        EXPECT_EQ(url_host(r.url, false), r.host);
        EXPECT_EQ(url_host(r.url, true), r.host_port);
        EXPECT_EQ(url_port(r.url), r.port);
        EXPECT_EQ(url_path(r.url), r.path);
    }
}

}  // namespace
