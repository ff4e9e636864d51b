// The bounded transfer: a worker thread fills a shared sink; the caller waits
// on a condition variable with a deadline. The wait cannot rely on the network
// library's own time-outs: a server that drips a byte at a time never trips a
// per-receive time-out, and a blocking call cannot be cut short from another
// thread. So the caller stops waiting instead and leaves the worker to end by
// itself. std::thread (posix model, winpthreads linked statically) gives the
// same code on the host, where the tests drive it with a fake, and on Windows.
#include "platform/transfer_bounds.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <system_error>
#include <thread>

bool TransferSink::add_body(const std::uint8_t* data, std::size_t n) {
    std::lock_guard<std::mutex> hold(lock_);
    if (abandoned_) return false;
    const std::size_t room = TransferBodyCap - result_.body.size();
    const std::size_t take = std::min(n, room);
    result_.body.insert(result_.body.end(), data, data + take);
    return result_.body.size() < TransferBodyCap;
}

void TransferSink::mark_request_opened() {
    std::lock_guard<std::mutex> hold(lock_);
    result_.request_opened = true;
}

void TransferSink::set_headers(const Text& headers) {
    std::lock_guard<std::mutex> hold(lock_);
    result_.headers = headers;
}

bool TransferSink::abandoned() {
    std::lock_guard<std::mutex> hold(lock_);
    return abandoned_;
}

TransferResult run_bounded(std::function<void(TransferSink&)> work, int time_limit_ms) {
    auto sink = std::make_shared<TransferSink>();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(time_limit_ms);
    try {
        std::thread([sink, work = std::move(work)] {
            work(*sink);
            std::lock_guard<std::mutex> hold(sink->lock_);
            sink->result_.finished = true;
            sink->finished_.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return TransferResult();
    }
    std::unique_lock<std::mutex> hold(sink->lock_);
    sink->finished_.wait_until(hold, deadline, [&] { return sink->result_.finished; });
    if (sink->result_.finished) return std::move(sink->result_);
    // Give up: the worker sees abandoned_ at its next read and keeps nothing
    // more; it still holds whatever its stuck call holds until that returns.
    sink->abandoned_ = true;
    TransferResult partial;
    partial.body.swap(sink->result_.body);
    partial.request_opened = sink->result_.request_opened;
    return partial;
}

void read_body(TransferSink& sink,
               const std::function<std::uint32_t(std::uint8_t*, std::uint32_t)>& read) {
    std::uint8_t buffer[1024] = {};
    for (;;) {
        const std::uint32_t count =
            std::min<std::uint32_t>(read(buffer, sizeof buffer), sizeof buffer);
        if (count == 0) return;
        if (!sink.add_body(buffer, count)) return;
    }
}
