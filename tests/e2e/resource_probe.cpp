// resource_probe [SECONDS]: starts Tallowin.exe and prints what it holds, as
// the soak counts it, once it is up and again after SECONDS (10 unless told).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/e2e/driver.h"
#include "tests/e2e/process_resources.h"

int wmain(int argc, wchar_t** argv) {
    const DWORD seconds = argc > 1 ? static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10)) : 10;
    const std::wstring exe = std::wstring(TALLOWIN_APP_DIR_W) + L"\\Tallowin.exe";
    Process app;
    if (!app.start(L"\"" + exe + L"\"") ||
        !wait_until([&] { return find_window_of(app.id(), "Tallowin") != nullptr; }, 20000)) {
        std::fputs("resource_probe: Tallowin did not start\n", stderr);
        return 1;
    }
    std::printf("up: %s\n", describe(process_resources(app.handle(), app.id(), exe)).c_str());
    wait_until([] { return false; }, seconds * 1000);
    std::printf("after %lu s: %s\n", static_cast<unsigned long>(seconds),
                describe(process_resources(app.handle(), app.id(), exe)).c_str());
    return 0;
}
