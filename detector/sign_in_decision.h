// What the detector decides for one window of a tick: whether its outer
// rectangle has the sign-in dialog's proportion, and where to click it.
// Portable; the Win32 half in detector_tick.cpp only measures and acts.
#pragma once

#include <cstdint>

#include "platform/datetime.h"
#include "platform/text.h"

// As GetWindowRect fills a RECT.
struct RectRecord {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The values of the window measured last; kept between ticks.
struct Measurement {
    std::int32_t width = 0;
    std::int32_t height = 0;
    float ratio = 0.0f;
};

struct ClickPoint {
    std::int32_t x = 0, y = 0;
};

// Measures the rectangle into m (width, height, single-precision ratio) and
// says whether that ratio lies strictly inside (0.92, 0.94) with the margins.
bool measure_and_match(const RectRecord& rect, Measurement* m);

// True for a single-precision ratio the detector accepts.
bool ratio_matches(float ratio);

// The horizontal centre, 84% down; truncated toward zero, low 32 bits.
ClickPoint sign_in_click_point(const RectRecord& rect, std::int32_t measured_height);

// The counter caption after one more sign-in.
Text next_counter_caption(const Text& caption);

// "<date-time> 自动签到".
Text sign_in_log_line(DateTime now);

// The decision for one whole tick, with the measuring and acting handed in so
// that the host can drive it with recorded rectangles. measure fills rect and
// may fail, leaving rect as it was (the window measured before).
struct TickSeam {
    void* context = nullptr;
    bool (*measure)(void* context, std::int32_t handle, RectRecord* rect) = nullptr;
    void (*sign_in)(void* context, ClickPoint point) = nullptr;
};

// Runs over the handle texts in order; sign_in is called for each match.
void run_detector_tick(const TextList& windows, const TickSeam& seam, Measurement* last);
