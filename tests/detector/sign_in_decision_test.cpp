// Host tests of the detector's decisions: rectangles to match and
// click point, the single-precision bounds, a whole tick driven through a fake
// seam, the counter caption and the log line.
#include "detector/sign_in_decision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "platform/datetime.h"

namespace {

struct RectCase {
    const char* name;
    RectRecord rect;
    bool match;
    ClickPoint point;  // checked only for a match
};

TEST(SignInDecision, RectanglesToMatchAndClickPoint) {
    const RectCase cases[] = {
        {"465x500 at (100,100)", {100, 100, 565, 600}, true, {332, 520}},
        {"465x500 left of the origin", {-565, 100, -100, 600}, true, {-332, 520}},
        // Above the origin y is -280 exactly in double; in extended precision
        // it would be -279.99999999999998 and truncate to -279.
        {"465x500 above the origin", {100, -700, 565, -200}, true, {332, -280}},
        {"exactly 0.92 (460x500)", {0, 0, 460, 500}, false, {}},
        {"exactly 0.94 (470x500)", {0, 0, 470, 500}, false, {}},
        {"MainWindow with the log shown, 284x300", {10, 10, 294, 310}, false, {}},
        {"height 0, width 0 (NaN)", {50, 50, 50, 50}, false, {}},
        {"height 0, width 465 (infinity)", {100, 100, 565, 100}, false, {}},
        {"height 0, negative width (-infinity)", {565, 100, 100, 100}, false, {}},
        {"upside down 465x-500", {100, 600, 565, 100}, false, {}},
        {"both negative -465x-500", {565, 600, 100, 100}, true, {332, 180}},
        {"all zero", {0, 0, 0, 0}, false, {}},
        {"93x100", {0, 0, 93, 100}, true, {46, 84}},
    };
    for (const RectCase& c : cases) {
        SCOPED_TRACE(c.name);
        Measurement m;
        const bool matched = measure_and_match(c.rect, &m);
        EXPECT_EQ(c.match, matched) << "ratio " << m.ratio << " (" << m.width << "x" << m.height
                                    << ")";
        EXPECT_EQ(c.rect.right - c.rect.left, m.width);
        EXPECT_EQ(c.rect.bottom - c.rect.top, m.height);
        if (c.match) {
            const ClickPoint p = sign_in_click_point(c.rect, m.height);
            EXPECT_EQ(c.point.x, p.x);
            EXPECT_EQ(c.point.y, p.y);
        }
    }
}

TEST(SignInDecision, MeasurementKeepsRatioInSinglePrecision) {
    Measurement m;
    measure_and_match({100, 100, 565, 600}, &m);
    EXPECT_EQ(465, m.width);
    EXPECT_EQ(500, m.height);
    EXPECT_EQ(static_cast<float>(465.0 / 500.0), m.ratio);

    measure_and_match({50, 50, 50, 50}, &m);
    EXPECT_TRUE(std::isnan(m.ratio));
    measure_and_match({100, 100, 565, 100}, &m);
    EXPECT_TRUE(std::isinf(m.ratio) && m.ratio > 0);
}

TEST(SignInDecision, WidthAndHeightOfExtremeRectanglesWrap) {
    // The difference is formed in double and truncated to its low 32 bits.
    Measurement m;
    measure_and_match({std::numeric_limits<std::int32_t>::min(), 0,
                       std::numeric_limits<std::int32_t>::max(), 1},
                      &m);
    EXPECT_EQ(-1, m.width);  // 2^32 - 1 keeps its low 32 bits
    EXPECT_EQ(1, m.height);
}

TEST(SignInDecision, SinglePrecisionBoundsOfTheRatio) {
    // The accepted floats are those strictly between 0.92 + 1e-7 and
    // 0.94 - 1e-7: the first float above 0.9200001 and the last one below
    // 0.9399999, found from the float nearest each. (The float of 0.9200001
    // lies below it, so the next one up is the smallest; the float of
    // 0.9399999 lies below it too and is itself the largest.)
    const auto first_above = [](double bound) {
        const float f = static_cast<float>(bound);
        return static_cast<double>(f) > bound ? f : std::nextafterf(f, 2.0f);
    };
    const auto last_below = [](double bound) {
        const float f = static_cast<float>(bound);
        return static_cast<double>(f) < bound ? f : std::nextafterf(f, 0.0f);
    };
    const float smallest = first_above(0.9200001);
    const float largest = last_below(0.9399999);
    const float below_smallest = std::nextafterf(smallest, 0.0f);
    const float above_largest = std::nextafterf(largest, 2.0f);

    struct Row {
        const char* name;
        float ratio;
        bool match;
    } rows[] = {
        {"smallest accepted", smallest, true},
        {"float below it", below_smallest, false},
        {"largest accepted", largest, true},
        {"float above it", above_largest, false},
        {"float of 0.92", 0.92f, false},
        {"float of 0.94", 0.94f, false},
        {"float of 0.93", 0.93f, true},
        {"NaN", std::numeric_limits<float>::quiet_NaN(), false},
        {"+infinity", std::numeric_limits<float>::infinity(), false},
        {"-infinity", -std::numeric_limits<float>::infinity(), false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.match, ratio_matches(r.ratio)) << "ratio " << r.ratio;
    }
    EXPECT_NEAR(0.92000014, smallest, 1e-8);
    EXPECT_NEAR(0.93999988, largest, 1e-8);
}

TEST(SignInDecision, IntegerProportionsNearTheBounds) {
    // For window-sized rectangles the nearest proportion other than 0.92 or
    // 0.94 themselves is 1/h away, far outside the 1e-7 margin: so a match is
    // exactly 92 h < 100 w < 94 h in integers, the bounds excluded.
    for (std::int32_t h = 1; h <= 4000; ++h) {
        for (std::int32_t w = h * 92 / 100 - 1; w <= h * 94 / 100 + 1; ++w) {
            Measurement m;
            const bool matched = measure_and_match({0, 0, w, h}, &m);
            const bool inside = 100 * w > 92 * h && 100 * w < 94 * h;
            ASSERT_EQ(inside, matched) << w << "x" << h << ", ratio " << m.ratio;
        }
    }
}

// A fake seam: a rectangle per handle (absent: the measurement fails) and a
// record of every sign-in.
struct FakeDesktop {
    struct Window {
        std::int32_t handle;
        RectRecord rect;
    };
    static FakeDesktop showing(std::vector<Window> on_screen) {
        FakeDesktop d;
        d.windows = std::move(on_screen);
        return d;
    }

    std::vector<Window> windows;
    std::vector<std::int32_t> measured;
    std::vector<ClickPoint> clicks;

    static bool measure(void* context, std::int32_t handle, RectRecord* rect) {
        auto* self = static_cast<FakeDesktop*>(context);
        self->measured.push_back(handle);
        for (const Window& w : self->windows) {
            if (w.handle == handle) {
                *rect = w.rect;
                return true;
            }
        }
        return false;
    }
    static void sign_in(void* context, ClickPoint point) {
        static_cast<FakeDesktop*>(context)->clicks.push_back(point);
    }
    TickSeam seam() {
        TickSeam s;
        s.context = this;
        s.measure = &FakeDesktop::measure;
        s.sign_in = &FakeDesktop::sign_in;
        return s;
    }
};

TEST(SignInTick, NoWindowsDoesNothing) {
    FakeDesktop desk;
    Measurement last;
    last.width = 7;
    run_detector_tick(TextList{}, desk.seam(), &last);
    EXPECT_TRUE(desk.measured.empty());
    EXPECT_TRUE(desk.clicks.empty());
    EXPECT_EQ(7, last.width);  // nothing measured: the last values stay
}

TEST(SignInTick, TwoMatchesInListOrder) {
    FakeDesktop desk = FakeDesktop::showing({
        {1001, {100, 100, 565, 600}},  // match
        {1002, {10, 10, 294, 310}},    // MainWindow, no match
        {-1003, {0, 0, 93, 100}},      // match
        {1004, {0, 0, 800, 600}},      // no match
    });
    Measurement last;
    run_detector_tick(TextList{"1001", "1002", "-1003", "1004"}, desk.seam(), &last);
    EXPECT_EQ((std::vector<std::int32_t>{1001, 1002, -1003, 1004}), desk.measured);
    ASSERT_EQ(2u, desk.clicks.size());
    EXPECT_EQ(332, desk.clicks[0].x);
    EXPECT_EQ(520, desk.clicks[0].y);
    EXPECT_EQ(46, desk.clicks[1].x);
    EXPECT_EQ(84, desk.clicks[1].y);
    // The last window measured stays in the measurement.
    EXPECT_EQ(800, last.width);
    EXPECT_EQ(600, last.height);
}

TEST(SignInTick, FailedMeasurementFirstSeesZeros) {
    FakeDesktop desk = FakeDesktop::showing({{2, {100, 100, 565, 600}}});
    Measurement last;
    run_detector_tick(TextList{"1", "2"}, desk.seam(), &last);  // 1 is gone
    ASSERT_EQ(1u, desk.clicks.size());
    EXPECT_EQ(332, desk.clicks[0].x);
    EXPECT_EQ(520, desk.clicks[0].y);

    // Alone it gives 0 / 0: NaN, skipped.
    FakeDesktop empty;
    run_detector_tick(TextList{"1"}, empty.seam(), &last);
    EXPECT_TRUE(empty.clicks.empty());
    EXPECT_EQ(0, last.width);
    EXPECT_EQ(0, last.height);
    EXPECT_TRUE(std::isnan(last.ratio));
}

TEST(SignInTick, FailedMeasurementAfterAMatchMatchesAgain) {
    FakeDesktop desk = FakeDesktop::showing({{1, {100, 100, 565, 600}}});
    Measurement last;
    run_detector_tick(TextList{"1", "2"}, desk.seam(), &last);  // 2 is gone
    ASSERT_EQ(2u, desk.clicks.size());
    for (const ClickPoint& p : desk.clicks) {
        EXPECT_EQ(332, p.x);
        EXPECT_EQ(520, p.y);
    }
}

TEST(SignInTick, RecordStartsAtZeroEveryTick) {
    // A failed first measurement of the second tick must not see the first
    // tick's rectangle.
    FakeDesktop desk = FakeDesktop::showing({{1, {100, 100, 565, 600}}});
    Measurement last;
    run_detector_tick(TextList{"1"}, desk.seam(), &last);
    desk.windows.clear();
    run_detector_tick(TextList{"1"}, desk.seam(), &last);
    EXPECT_EQ(1u, desk.clicks.size());
}

TEST(SignInTick, HandlesAreParsedAsIntegers) {
    FakeDesktop desk;
    Measurement last;
    run_detector_tick(TextList{"65544", "-2", "abc", "2147483647"}, desk.seam(), &last);
    EXPECT_EQ((std::vector<std::int32_t>{65544, -2, 0, 2147483647}), desk.measured);
}

TEST(SignInDecision, NextCounterCaption) {
    const struct {
        const char* before;
        const char* after;
    } rows[] = {
        {"0", "1"}, {"41", "42"}, {"abc", "1"}, {"", "1"}, {" 7x", "8"},
        {"-1", "0"}, {"2147483647", "2147483648"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string("caption \"") + r.before + "\"");
        EXPECT_EQ(Text(r.after), next_counter_caption(r.before));
    }
}

TEST(SignInDecision, LogLine) {
    const struct {
        DateTime when;
        const char* line;
    } rows[] = {
        {make_date_time(2020, 3, 18, 8, 0, 0), "2020年3月18日8时 自动签到"},
        {make_date_time(2020, 3, 18, 0, 0, 0), "2020年3月18日 自动签到"},
        {make_date_time(2024, 3, 5, 8, 7, 9), "2024年3月5日8时7分9秒 自动签到"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.when);
        EXPECT_EQ(Text(r.line), sign_in_log_line(r.when));
    }
    // The suffix's bytes in code page 936, as the clang build writes them.
    const Text line = sign_in_log_line(make_date_time(2020, 3, 18, 0, 0, 0));
    EXPECT_EQ(Text("\x20\xD7\xD4\xB6\xAF\xC7\xA9\xB5\xBD"), line.substr(line.size() - 9));
}

}  // namespace
