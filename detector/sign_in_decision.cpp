// The detector's decisions: the proportion test on a window's outer
// rectangle, the click point, the next counter caption and the log line, and
// the walk over one tick's window list with measuring and acting handed in.
#include "detector/sign_in_decision.h"

#include "platform/convert.h"

namespace {

// The detector's constants, all doubles.
constexpr double kLowerBound = 0.92;
constexpr double kUpperBound = 0.94;
constexpr double kMargin = 0.0000001;
constexpr double kHalf = 0.5;
constexpr double kClickDepth = 0.34;
constexpr double kIncrement = 1.0;

// " 自动签到": a blank, then the four characters in code page 936. Written as
// escapes because clang (the fuzz build) cannot use -fexec-charset=GBK.
const char kLogSuffix[] = "\x20\xD7\xD4\xB6\xAF\xC7\xA9\xB5\xBD"; /*  自动签到 */

// Rounds an intermediate to a true double. Our i686 builds use SSE2, but an
// x87 build (FLT_EVAL_METHOD 2) would keep y's partial sums in extended
// precision: 500 * 0.34 would stay 170.0000000000000122 instead of 170.0 and
// move the truncated y of a window above the desktop's origin by one pixel.
double as_double(double v) {
    volatile double stored = v;
    return stored;
}

}  // namespace

bool ratio_matches(float ratio) {
    // Both subtractions are exact (Sterbenz) wherever the result can come near
    // the margin, so extended precision on the target cannot change them. A
    // NaN fails the first test, an infinity one of the two.
    const double r = ratio;
    if (!(r - kLowerBound > kMargin)) return false;
    if (!(r - kUpperBound < -kMargin)) return false;
    return true;
}

bool measure_and_match(const RectRecord& rect, Measurement* m) {
    m->width = real_to_int(static_cast<double>(rect.right) - static_cast<double>(rect.left));
    m->height = real_to_int(static_cast<double>(rect.bottom) - static_cast<double>(rect.top));
    // IEEE division: a zero height gives an infinity or NaN, never a trap
    // (exceptions stay masked on the host and on Windows alike).
    const double quotient =
        as_double(static_cast<double>(m->width) / static_cast<double>(m->height));
    m->ratio = static_cast<float>(quotient);
    return ratio_matches(m->ratio);
}

ClickPoint sign_in_click_point(const RectRecord& rect, std::int32_t measured_height) {
    // Halves of 32-bit integers and their sum are exact in double; only the
    // product with 0.34 and the last sum round.
    const double x = as_double(rect.right * kHalf + rect.left * kHalf);
    const double centre_y = as_double(rect.bottom * kHalf + rect.top * kHalf);
    const double depth = as_double(measured_height * kClickDepth);
    const double y = as_double(centre_y + depth);
    ClickPoint p;
    p.x = real_to_int(x);
    p.y = real_to_int(y);
    return p;
}

Text next_counter_caption(const Text& caption) {
    return real_to_text(static_cast<double>(parse_int(caption)) + kIncrement);
}

Text sign_in_log_line(DateTime now) {
    return join_text({date_time_to_text(now), Text(kLogSuffix)});
}

void run_detector_tick(const TextList& windows, const TickSeam& seam, Measurement* last) {
    // One record per tick, zero at the start and shared by every window: a
    // failed measurement leaves the previous window's rectangle in it.
    RectRecord rect;
    const int n = list_size(windows);
    for (int i = 1; i <= n; ++i) {
        const std::int32_t handle = parse_int(list_item(windows, i));
        seam.measure(seam.context, handle, &rect);  // result not examined
        if (!measure_and_match(rect, last)) continue;
        seam.sign_in(seam.context, sign_in_click_point(rect, last->height));
    }
}
