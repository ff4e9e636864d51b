// A fake WinInet for the host tests: records every call with its arguments,
// hands out numbered handles, and answers reads and the header report from a
// script. One fake at a time (the seam holds plain function pointers).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/text.h"
#include "web/http_request.h"

struct FakeWinInet {
    // Which open fails (returns null): 0 none, 1 InternetOpenA,
    // 2 InternetConnectA, 3 HttpOpenRequestA.
    int fail_open = 0;
    // The reads' counts and bytes, in order; after the last, reads give 0.
    std::deque<Bytes> reads;
    // A count larger than asked, as a hostile library might report.
    std::uint32_t overstated_count = 0;
    // Endless reads of 1024 bytes (for the cap).
    bool endless = false;
    // The header report: its text, or a failure leaving the buffer alone.
    bool report_fails = false;
    Text report;
    // The call that blocks until release() (for the time limit):
    // "connect", "send" or "readN" for the N-th read; empty for none.
    std::string block_at;

    // Every call as "Name(arg, arg, ...)"; strings quoted, null as null.
    std::vector<std::string> calls;
    std::string sent_headers;
    std::uint32_t sent_length = 0;
    std::uint32_t security_value = 0;
    std::uint32_t read_calls = 0;
    int open_handles = 0;

    FakeWinInet();
    ~FakeWinInet();
    const WinInetSeam& seam() const;
    // Ends blocking; waits (with a deadline) until every handle is closed.
    bool release_and_wait_closed();
    std::vector<std::string> calls_named(const std::string& prefix);

    std::mutex lock;
    std::condition_variable changed;
    bool released = false;
};
