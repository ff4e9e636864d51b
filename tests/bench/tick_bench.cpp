// Times the real detector tick against the bare scan it cannot do without
// (EnumWindows, GetWindowLongA and GetWindowRect over the same windows),
// with 10, 100 and 1000 visible top-level windows that never match, and
// prints the ratio of the medians for each count.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/main_window.h"
#include "detector/detector_tick.h"
#include "platform/win32/toolkit.h"

namespace {

volatile LONG g_sink = 0;  // keeps the bare loop's results alive

BOOL CALLBACK bare_visit(HWND hwnd, LPARAM) {
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) {
        RECT r;
        GetWindowRect(hwnd, &r);
        g_sink = g_sink + r.right - r.left;
    }
    return TRUE;
}

void bare_scan() { EnumWindows(bare_visit, 0); }

double seconds_now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

// One sample: the mean time of `reps` calls.
double sample(void (*run)(), int reps) {
    double start = seconds_now();
    for (int i = 0; i < reps; ++i) run();
    return (seconds_now() - start) / reps;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Windows of proportion 3:1, never the sign-in dialog's, spread over the
// screen; in this process, so that the bare calls are as cheap as they get.
std::vector<HWND> make_windows(int n) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TallowinBenchWindow";
    RegisterClassW(&wc);
    std::vector<HWND> windows;
    for (int i = 0; i < n; ++i) {
        HWND h = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE,
                                 (i * 37) % 900, (i * 53) % 700, 120, 40, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        if (h) windows.push_back(h);
    }
    return windows;
}

void drain_messages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

int main() {
    init_platform();
    // MainWindow, so that the tick finds the controls it would use.
    open_startup_window(MainWindow);
    drain_messages();

    std::printf("%-8s %14s %14s %8s\n", "windows", "tick us", "bare us", "ratio");
    std::vector<HWND> windows;
    const int counts[] = {10, 100, 1000};
    for (int n : counts) {
        std::vector<HWND> more = make_windows(n - static_cast<int>(windows.size()));
        windows.insert(windows.end(), more.begin(), more.end());
        drain_messages();
        // Enough calls per sample for about 20 ms, samples alternated so that
        // drift in the machine's load falls on both alike.
        for (int warm = 0; warm < 3; ++warm) sample(detector_tick, 1), sample(bare_scan, 1);
        const int reps = std::max(3, static_cast<int>(0.02 / sample(bare_scan, 5)));
        const int samples = 41;
        std::vector<double> tick, bare;
        for (int s = 0; s < samples; ++s) {
            tick.push_back(sample(detector_tick, reps));
            bare.push_back(sample(bare_scan, reps));
        }
        const double t = median(tick), b = median(bare);
        std::printf("%-8d %14.2f %14.2f %8.3f\n", static_cast<int>(windows.size()), t * 1e6, b * 1e6,
                    t / b);
        std::fflush(stdout);
    }
    for (HWND h : windows) DestroyWindow(h);
    return 0;
}
