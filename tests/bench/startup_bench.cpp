// startup_bench [RUNS]: starts Tallowin.exe and the bare window program in
// turn (5 runs each unless told), and compares the time from CreateProcess to
// the first visible window, and the private memory each holds once it is up
// and settled, as the system reports it for the process.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace {

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

struct Sample {
    double start_ms = -1;
    double private_kb = -1;
};

// One start: the window's appearance is polled every millisecond, so the
// figure is not rounded to the usual 20 ms pumping step.
Sample run_once(const std::wstring& command, const Text& title) {
    Sample s;
    Process p;
    double t0 = seconds_now();
    if (!p.start(command)) return s;
    HWND found = nullptr;
    while (!(found = find_window_of(p.id(), title)) && seconds_now() - t0 < 60) Sleep(1);
    if (!found) return s;
    s.start_ms = (seconds_now() - t0) * 1000;
    // Pictures, fonts and the first paint belong to the start; let it settle.
    wait_until([] { return false; }, 3000);
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(p.handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc))
        s.private_kb = pmc.PrivateUsage / 1024.0;
    return s;
}

double median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 5;
    const std::wstring app = L"\"" + std::wstring(TALLOWIN_APP_DIR_W) + L"\\Tallowin.exe\"";
    const std::wstring bare = L"\"" + std::wstring(TALLOWIN_BENCH_DIR_W) + L"\\bare_timer_window.exe\"";
    std::vector<double> app_ms, bare_ms, app_kb, bare_kb;
    for (int i = 0; i < runs; ++i) {
        // Alternating, so that a slow stretch of the machine hits both.
        Sample b = run_once(bare, "Bare timer window");
        Sample a = run_once(app, "Tallowin");
        if (a.start_ms < 0 || b.start_ms < 0) {
            std::fputs("startup_bench: a window did not appear\n", stderr);
            return 1;
        }
        app_ms.push_back(a.start_ms), bare_ms.push_back(b.start_ms);
        app_kb.push_back(a.private_kb), bare_kb.push_back(b.private_kb);
    }
    const double am = median(app_ms), bm = median(bare_ms), ak = median(app_kb), bk = median(bare_kb);
    std::printf("start to visible window (median of %d): Tallowin %.0f ms, bare window %.0f ms\n", runs, am,
                bm);
    std::printf("start-up ratio Tallowin/bare: %.2f\n", am / bm);
    if (ak >= 0 && bk >= 0) {
        std::printf("private memory once up (median of %d): Tallowin %.0f KiB, bare window %.0f KiB\n", runs,
                    ak, bk);
        std::printf("private memory ratio Tallowin/bare: %.2f, difference %+.0f KiB\n", ak / bk, ak - bk);
    } else {
        std::printf("private memory: not reported by the system\n");
    }
    return 0;
}
