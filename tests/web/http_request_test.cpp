// Host tests of http_request and fetch_text over the recording fake WinInet:
// the calls and their arguments, the header block, the read loop, handle
// closing on every path, the header report, the cookies and the two bounds.
#include "web/http_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/web/fake_wininet.h"

namespace {

using ::testing::ElementsAre;

Bytes bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

TEST(HttpRequest, CallsForHttpsAndHttp) {
    struct Row {
        Text url;
        std::string connect, open_request, referer;
    };
    const Row rows[] = {
        {"https://host/dir/file.txt", "InternetConnectA(h1, \"host\", 443, null, null, 3, 0, 0)",
         "HttpOpenRequestA(h2, \"GET\", \"/dir/file.txt\", \"HTTP/1.1\", null, null, 0x80800010, "
         "0)",
         "https://host/dir/file.txt"},
        {"http://host:8080/a?b=1", "InternetConnectA(h1, \"host\", 8080, null, null, 3, 0, 0)",
         "HttpOpenRequestA(h2, \"GET\", \"/a?b=1\", \"HTTP/1.1\", null, null, 0x80004010, 0)",
         "http://host:8080/a?b=1"},
        {"HTTPS://Host/X", "InternetConnectA(h1, \"host\", 443, null, null, 3, 0, 0)",
         "HttpOpenRequestA(h2, \"GET\", \"/X\", \"HTTP/1.1\", null, null, 0x80800010, 0)",
         "HTTPS://Host/X"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.url);
        FakeWinInet fake;
        fake.reads = {bytes("body")};
        fake.report = "HTTP/1.1 200 OK\r\n\r\n";
        Text headers, cookies;
        EXPECT_EQ(http_request(fake.seam(), r.url, headers, cookies), bytes("body"));
        const std::string block =
            "Accept: */*\r\nReferer: " + r.referer + "\r\nAccept-Language: zh-cn";
        EXPECT_THAT(
            fake.calls,
            ElementsAre("InternetOpenA(\"Mozilla/4.0 (compatible; MSIE 9.0; Windows NT "
                        "6.1)\", 1, null, null, 0)",
                        r.connect, r.open_request, "InternetSetOptionA(h3, 31, 4)",
                        "HttpSendRequestA(h3, " + std::to_string(block.size()) + ", null, 0)",
                        "InternetReadFile(h3, 1024)", "InternetReadFile(h3, 1024)",
                        "HttpQueryInfoA(h3, 22, 5000, null)", "InternetCloseHandle(h3)",
                        "InternetCloseHandle(h2)", "InternetCloseHandle(h1)"));
        EXPECT_EQ(fake.sent_headers, block);
        EXPECT_EQ(fake.security_value, 0x1F380u);
        EXPECT_EQ(headers, "HTTP/1.1 200 OK\r\n\r\n");
    }
}

TEST(HttpRequest, HeaderBlock) {
    struct Row {
        Text url, block;
    };
    const Row rows[] = {
        {"http://h/", "Accept: */*\r\nReferer: http://h/\r\nAccept-Language: zh-cn"},
        // The URL itself names the language (any letter case): no line of ours.
        {"http://h/?x=ACCEPT-language:", "Accept: */*\r\nReferer: http://h/?x=ACCEPT-language:"},
        {"http://h/?accept-language:de", "Accept: */*\r\nReferer: http://h/?accept-language:de"},
        {"", "Accept: */*\r\nReferer: \r\nAccept-Language: zh-cn"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.url);
        EXPECT_EQ(request_header_block(r.url), r.block);
    }
}

TEST(HttpRequest, ReadLoopEndsOnlyOnAnEmptyRead) {
    FakeWinInet fake;
    fake.reads = {bytes("ab"), bytes(""), bytes("cd")};  // the empty read ends it
    Text headers, cookies;
    EXPECT_EQ(http_request(fake.seam(), "http://h/", headers, cookies), bytes("ab"));
    EXPECT_EQ(fake.read_calls, 2u);

    FakeWinInet short_reads;
    short_reads.reads = {bytes("a"), Bytes(1024, 'b'), bytes("c"), bytes(std::string("\0d", 2))};
    const Bytes body = http_request(short_reads.seam(), "http://h/", headers, cookies);
    EXPECT_EQ(body.size(), 1u + 1024 + 1 + 2);
    EXPECT_EQ(short_reads.read_calls, 5u);
}

TEST(HttpRequest, EmptyBodyTakesOneRead) {
    FakeWinInet fake;
    Text headers = "old", cookies = "old";
    EXPECT_TRUE(http_request(fake.seam(), "http://h/", headers, cookies).empty());
    EXPECT_EQ(fake.read_calls, 1u);
    EXPECT_EQ(fetch_text(fake.seam(), "http://h/"), "");
}

TEST(HttpRequest, CountAboveTheBufferIsCappedAtTheBuffer) {
    FakeWinInet fake;
    fake.reads = {bytes("abc")};
    fake.overstated_count = 70000;
    Text headers, cookies;
    EXPECT_EQ(http_request(fake.seam(), "http://h/", headers, cookies).size(), 1024u);
}

TEST(HttpRequest, EarlyFailuresCloseInReverseAndLeaveOutputsAlone) {
    struct Row {
        int fail;
        std::vector<std::string> closes;
    };
    const Row rows[] = {
        {1, {}},
        {2, {"InternetCloseHandle(h1)"}},
        {3, {"InternetCloseHandle(h2)", "InternetCloseHandle(h1)"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.fail);
        FakeWinInet fake;
        fake.fail_open = r.fail;
        fake.reads = {bytes("body")};
        Text headers = "kept", cookies = "kept too";
        EXPECT_TRUE(http_request(fake.seam(), "http://h/", headers, cookies).empty());
        EXPECT_EQ(fake.calls_named("InternetCloseHandle"), r.closes);
        EXPECT_TRUE(fake.calls_named("HttpSendRequestA").empty());
        EXPECT_EQ(headers, "kept");
        EXPECT_EQ(cookies, "kept too");
    }
}

TEST(HttpRequest, HeaderReportAndCookies) {
    struct Row {
        bool fails;
        Text report, headers, cookies;
    };
    const Text spaces5000(5000, ' ');
    const Text big = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nX: " + Text(4990, 'x') + "\r\n\r\n";
    const Row rows[] = {
        {false,
         "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nset-cookie: c=3\r\n\r\n",
         "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nset-cookie: c=3\r\n\r\n",
         "a=1; b=2"},
        {false, "HTTP/1.1 200 OK\r\n\r\n", "HTTP/1.1 200 OK\r\n\r\n", ""},
        {true, "", spaces5000, ""},
        // Too big for 5000 bytes with its zero: the report fails.
        {false, big, spaces5000, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.report.substr(0, 40));
        FakeWinInet fake;
        fake.report_fails = r.fails;
        fake.report = r.report;
        fake.reads = {bytes("body")};
        Text headers, cookies;
        EXPECT_EQ(http_request(fake.seam(), "http://h/", headers, cookies), bytes("body"));
        EXPECT_EQ(headers, r.headers);
        EXPECT_EQ(cookies, r.cookies);
        EXPECT_TRUE(fake.calls_named("report buffer").empty());
    }
}

TEST(CollectCookies, Lines) {
    struct Row {
        Text headers, cookies;
    };
    const Row rows[] = {
        {"Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n", "a=1; b=2"},
        {"set-cookie: c=3\r\nSET-COOKIE: d=4; x\r\n", ""},
        {"Set-Cookie:a=1\r\n", ""},                        // no ": ", no name
        {"Set-Cookie: \r\nSet-Cookie: b=2\r\n", "; b=2"},  // an empty item keeps its "; "
        {"Set-Cookie: \r\n", ""},                          // "; " alone is cut to empty
        {"Set-Cookie: x=1 Set-cookie: y\r\n", "x=1  y"},   // every "Set-Cookie:" removed
        {"Set-Cookie: 　名=值　; path=/\r\n", "名=值"},    // full-width spaces trimmed
        {"Set-Cookie: ;\r\nSet-Cookie: e=5\r\n", "; e=5"},
        {"", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.headers);
        EXPECT_EQ(collect_cookies(r.headers), r.cookies);
    }
}

TEST(FetchText, StopsAtTheFirstZeroByte) {
    FakeWinInet fake;
    fake.reads = {bytes(std::string("ab\0cd", 5))};
    EXPECT_EQ(fetch_text(fake.seam(), "http://h/"), "ab");
    FakeWinInet whole;
    whole.reads = {bytes(std::string("ab\0cd", 5))};
    Text headers, cookies;
    EXPECT_EQ(http_request(whole.seam(), "http://h/", headers, cookies).size(), 5u);
}

TEST(HttpRequestBounds, BodyStopsAtTheCap) {
    FakeWinInet fake;
    fake.endless = true;
    fake.report = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
    Text headers, cookies;
    const Bytes body = http_request(fake.seam(), "http://h/", headers, cookies);
    EXPECT_EQ(body.size(), TransferBodyCap);
    // The transfer ends normally there: headers reported, handles closed.
    EXPECT_EQ(cookies, "a=1");
    EXPECT_EQ(fake.calls_named("InternetCloseHandle").size(), 3u);
}

TEST(HttpRequestBounds, TimeLimitEndsTheWait) {
    // A call that never returns until released stands for a drip, a silent
    // server or a redirect loop; the limit is short here, 30 s in the program.
    struct Row {
        std::string block_at;
        bool outputs_written;
        Bytes body;
    };
    const Row rows[] = {
        {"connect", false, Bytes()},
        {"send", true, Bytes()},
        {"read2", true, bytes("first")},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.block_at);
        FakeWinInet fake;
        fake.reads = {bytes("first"), bytes("late")};
        fake.report = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
        fake.block_at = r.block_at;
        Text headers = "old", cookies = "old";
        EXPECT_EQ(http_request(fake.seam(), "http://h/", headers, cookies, 200), r.body);
        EXPECT_EQ(headers, r.outputs_written ? Text(5000, ' ') : Text("old"));
        EXPECT_EQ(cookies, r.outputs_written ? Text() : Text("old"));
        // The worker, once its call returns, ends by itself and closes its
        // handles: nothing stays open.
        EXPECT_TRUE(fake.release_and_wait_closed());
    }
}

}  // namespace
