// The Win32 half of the detector: lists and measures the windows, and for a
// match steps the counter, clicks, logs and plays the sound, in that order.
#include "detector/detector_tick.h"

#include <windows.h>

#include "app/main_window.h"
#include "app/window_list.h"
#include "detector/sign_in_decision.h"
#include "media/media.h"
#include "platform/win32/desktop.h"
#include "platform/win32/sound.h"
#include "platform/win32/toolkit.h"

namespace {

// Kept between ticks: the window measured last.
Measurement g_last_measured;

bool measure_window(void*, std::int32_t handle, RectRecord* rect) {
    RECT r;
    // Handles are 32-bit on this platform; the text form is what the scan kept.
    if (!GetWindowRect(reinterpret_cast<HWND>(static_cast<INT_PTR>(handle)), &r)) return false;
    rect->left = r.left;
    rect->top = r.top;
    rect->right = r.right;
    rect->bottom = r.bottom;
    return true;
}

void sign_in(void*, ClickPoint point) {
    Control& counter = control(MainWindow, "标签4");
    set_property(counter, kPropCaption, next_counter_caption(get_property(counter, kPropCaption)));
    click_at(point.x, point.y);
    Control& log = control(MainWindow, "列表框1");
    list_append(log, sign_in_log_line(now_local()), list_count(log) + 1);
    play_wav(sign_in_sound());
}

}  // namespace

void detector_tick() {
    WindowList = visible_top_windows();
    TickSeam seam;
    seam.measure = measure_window;
    seam.sign_in = sign_in;
    run_detector_tick(WindowList, seam, &g_last_measured);
}
