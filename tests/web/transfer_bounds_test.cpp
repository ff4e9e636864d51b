// Host tests of the bounded transfer: the cap, the time limit, and a worker
// that ends after the caller gave up keeping nothing more.
#include "platform/transfer_bounds.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

TEST(TransferBounds, FinishedTransferGivesEverything) {
    const TransferResult r = run_bounded([](TransferSink& sink) {
        const std::uint8_t data[] = {'a', 0, 'b'};
        sink.mark_request_opened();
        EXPECT_TRUE(sink.add_body(data, sizeof data));
        sink.set_headers("H");
    });
    EXPECT_TRUE(r.finished);
    EXPECT_TRUE(r.request_opened);
    EXPECT_EQ(r.body, (Bytes{'a', 0, 'b'}));
    EXPECT_EQ(r.headers, "H");
}

TEST(TransferBounds, CapStopsTheReadsAtExactlyTheCap) {
    std::atomic<int> reads{0};
    const TransferResult r = run_bounded([&](TransferSink& sink) {
        read_body(sink, [&](std::uint8_t* buffer, std::uint32_t size) {
            ++reads;
            std::fill(buffer, buffer + size, 'x');
            return size - 1;  // 1023 a time: the cap falls inside a chunk
        });
    });
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.body.size(), TransferBodyCap);
    EXPECT_EQ(reads.load(), static_cast<int>((TransferBodyCap + 1022) / 1023));
}

struct Gate {
    std::mutex lock;
    std::condition_variable changed;
    bool open = false, worker_done = false;
    bool kept_more = true;
};

TEST(TransferBounds, TimeLimitAbandonsTheWorker) {
    auto gate = std::make_shared<Gate>();
    const TransferResult r = run_bounded(
        [gate](TransferSink& sink) {
            const std::uint8_t first[] = {'1'};
            sink.add_body(first, 1);
            std::unique_lock<std::mutex> hold(gate->lock);
            gate->changed.wait(hold, [&] { return gate->open; });
            hold.unlock();
            // After the caller gave up nothing more is kept.
            const std::uint8_t late[] = {'2'};
            const bool kept = sink.add_body(late, 1);
            const bool abandoned = sink.abandoned();
            hold.lock();
            gate->kept_more = kept || !abandoned;
            gate->worker_done = true;
            gate->changed.notify_all();
        },
        100);
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(r.body, Bytes{'1'});
    std::unique_lock<std::mutex> hold(gate->lock);
    gate->open = true;
    gate->changed.notify_all();
    ASSERT_TRUE(
        gate->changed.wait_for(hold, std::chrono::seconds(10), [&] { return gate->worker_done; }));
    EXPECT_FALSE(gate->kept_more);
}

TEST(TransferBounds, ReadBodyStopsOnZeroOnly) {
    int call = 0;
    const std::uint32_t counts[] = {3, 1, 1024, 0, 5};
    const TransferResult r = run_bounded([&](TransferSink& sink) {
        read_body(sink, [&](std::uint8_t* buffer, std::uint32_t) {
            buffer[0] = 'z';
            return counts[call++];
        });
    });
    EXPECT_EQ(call, 4);
    EXPECT_EQ(r.body.size(), 3u + 1 + 1024);
}

}  // namespace
