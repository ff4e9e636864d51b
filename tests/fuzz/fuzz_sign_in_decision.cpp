// libFuzzer target for the detector's decisions: the input is read as a few
// windows (rectangles, some failing to measure) fed through run_detector_tick,
// then its tail as a counter caption. Every sign-in must come from a rectangle
// whose proportion passes the rule, at the point the rule gives, and nothing
// may trap on any rectangle, zero or inverted heights included.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "detector/sign_in_decision.h"
#include "platform/convert.h"

namespace {

struct Feed {
    std::vector<RectRecord> rects;  // one per window; failing ones marked
    std::vector<bool> fails;
    std::size_t next = 0;
    RectRecord current;  // what the record should hold after each measure
    std::size_t sign_ins = 0;
    std::size_t expected_sign_ins = 0;
};

bool measure(void* context, std::int32_t handle, RectRecord* rect) {
    Feed* f = static_cast<Feed*>(context);
    const std::size_t i = static_cast<std::size_t>(handle);
    if (i != f->next || i >= f->rects.size()) std::abort();  // handles in order
    ++f->next;
    if (f->fails[i]) return false;  // leaves the record as it was
    *rect = f->rects[i];
    f->current = f->rects[i];
    return true;
}

void sign_in(void* context, ClickPoint point) {
    Feed* f = static_cast<Feed*>(context);
    Measurement m;
    if (!measure_and_match(f->current, &m)) std::abort();  // only matches sign in
    const ClickPoint p = sign_in_click_point(f->current, m.height);
    if (p.x != point.x || p.y != point.y) std::abort();
    ++f->sign_ins;
}

std::int32_t read_i32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return static_cast<std::int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Byte 0: number of rectangles (at most 15); then 17 bytes per window:
    // a flag byte (odd: the measurement fails) and left, top, right, bottom.
    if (size == 0) return 0;
    std::size_t count = data[0] & 0x0F;
    std::size_t at = 1;
    Feed feed;
    TextList windows;
    while (count-- > 0 && size - at >= 17) {
        RectRecord r;
        r.left = read_i32(data + at + 1);
        r.top = read_i32(data + at + 5);
        r.right = read_i32(data + at + 9);
        r.bottom = read_i32(data + at + 13);
        feed.fails.push_back((data[at] & 1) != 0);
        feed.rects.push_back(r);
        windows.push_back(real_to_text(static_cast<double>(feed.rects.size() - 1)));
        at += 17;
    }
    // Expected matches, replaying the shared record by hand.
    RectRecord record;
    for (std::size_t i = 0; i < feed.rects.size(); ++i) {
        if (!feed.fails[i]) record = feed.rects[i];
        Measurement m;
        if (measure_and_match(record, &m)) ++feed.expected_sign_ins;
        const float ratio = static_cast<float>(static_cast<double>(m.width) / m.height);
        if (std::memcmp(&ratio, &m.ratio, sizeof ratio) != 0 && !(ratio != ratio)) std::abort();
        const double d = ratio;
        const bool rule = d - 0.92 > 0.0000001 && d - 0.94 < -0.0000001;
        if (rule != ratio_matches(m.ratio)) std::abort();
    }

    TickSeam seam;
    seam.context = &feed;
    seam.measure = &measure;
    seam.sign_in = &sign_in;
    Measurement last;
    run_detector_tick(windows, seam, &last);
    if (feed.next != feed.rects.size() || feed.sign_ins != feed.expected_sign_ins) std::abort();

    // The rest is a counter caption (bytes before the first zero).
    const Text caption(reinterpret_cast<const char*>(data + at),
                       strnlen(reinterpret_cast<const char*>(data + at), size - at));
    const Text next = next_counter_caption(caption);
    if (next.empty() || next.size() > 11) std::abort();
    return 0;
}
