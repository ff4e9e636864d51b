// The bounds every web transfer keeps whatever the server does: a whole
// transfer ends within TransferTimeLimitMs and keeps at most TransferBodyCap
// bytes of body. The transfer runs on a worker thread; the caller waits for
// it at most the time limit and then goes on with what was read.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/text.h"

// Real files are a few hundred bytes; the bound only has to stop a server
// that drips or never answers from holding the program's only thread.
constexpr int TransferTimeLimitMs = 30 * 1000;

// Far above any real file, far below what a 32-bit process can hold.
constexpr std::size_t TransferBodyCap = 16u * 1024 * 1024;

// What the caller gets back.
struct TransferResult {
    Bytes body;                   // every byte read, at most the cap
    bool request_opened = false;  // the worker had a request to read from
    Text headers;                 // as the worker reported them
    bool finished = false;        // false: the time limit ended the wait
};

// Where a worker publishes what it has; shared by the worker and the caller,
// freed by whichever lets go of it last.
class TransferSink {
public:
    // Appends up to the cap. False once the body is at the cap or the caller
    // has given up: the worker should stop reading.
    bool add_body(const std::uint8_t* data, std::size_t n);
    void mark_request_opened();
    void set_headers(const Text& headers);
    bool abandoned();

private:
    friend TransferResult run_bounded(std::function<void(TransferSink&)> work, int time_limit_ms);
    std::mutex lock_;
    std::condition_variable finished_;
    TransferResult result_;
    bool abandoned_ = false;
};

// Runs work on a worker thread and waits at most time_limit_ms for it,
// without dispatching messages. On time-out the sink is marked abandoned and
// the body read so far is returned; the worker, whenever it ends, frees its
// own share. work must own copies of everything it reads: after the time
// limit nothing of the caller's may be touched. A worker that cannot be
// started gives an empty, unfinished result.
TransferResult run_bounded(std::function<void(TransferSink&)> work,
                           int time_limit_ms = TransferTimeLimitMs);

// Reads the body in 1024-byte chunks until a read gives 0 bytes (a failed
// read counts 0), the cap is reached or the caller has given up. read fills
// the buffer and returns the count; a count above the size asked for is
// taken as the size.
void read_body(TransferSink& sink,
               const std::function<std::uint32_t(std::uint8_t*, std::uint32_t)>& read);
