// idle_bench [SECONDS]: starts Tallowin.exe and the bare timer window side
// by side, lets both settle, and compares the processor time each uses over
// the same idle stretch (60 s unless told), as GetProcessTimes reports it.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/e2e/driver.h"

namespace {

// User plus kernel time so far, in 100 ns units; false when unknown.
bool cpu_time(HANDLE process, ULONGLONG* total) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
    auto as_int = [](FILETIME f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    *total = as_int(kernel) + as_int(user);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const DWORD seconds = argc > 1 ? static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10)) : 60;
    Process app, bare;
    if (!app.start(L"\"" + std::wstring(TALLOWIN_APP_DIR_W) + L"\\Tallowin.exe\"") ||
        !bare.start(L"\"" + std::wstring(TALLOWIN_BENCH_DIR_W) + L"\\bare_timer_window.exe\"")) {
        std::fputs("idle_bench: could not start the programs\n", stderr);
        return 1;
    }
    bool up = wait_until([&] {
        return find_window_of(app.id(), "Tallowin") && find_window_of(bare.id(), "Bare timer window");
    }, 20000);
    if (!up) {
        std::fputs("idle_bench: the windows did not appear\n", stderr);
        return 1;
    }
    // Start-up work (fonts, pictures, the first paint) is not idling.
    wait_until([] { return false; }, 4000);

    ULONGLONG app0, bare0, app1, bare1;
    if (!cpu_time(app.handle(), &app0) || !cpu_time(bare.handle(), &bare0)) {
        std::fputs("idle_bench: GetProcessTimes failed\n", stderr);
        return 1;
    }
    wait_until([] { return false; }, seconds * 1000);
    cpu_time(app.handle(), &app1);
    cpu_time(bare.handle(), &bare1);

    const double app_ms = (app1 - app0) / 1e4, bare_ms = (bare1 - bare0) / 1e4;
    std::printf("idle over %lu s: Tallowin %.1f ms CPU, bare timer window %.1f ms CPU\n",
                static_cast<unsigned long>(seconds), app_ms, bare_ms);
    if (bare_ms > 0)
        std::printf("idle ratio Tallowin/bare: %.3f\n", app_ms / bare_ms);
    else
        std::printf("idle ratio Tallowin/bare: undefined (the bare window used no measurable time)\n");
    return 0;
}
