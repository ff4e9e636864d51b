// wait_window TITLE MS [--counter N]: waits until a visible top-level window
// titled TITLE exists (and, with --counter, until MainWindow's counter reads
// N); exit code 0 when it did within MS milliseconds. The run script uses it.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "tests/e2e/driver.h"
#include "platform/win32/wide.h"

namespace {
constexpr int kCounterId = 6;  // 标签4 on MainWindow

struct Args {
    std::wstring title;
    HWND found;
};

BOOL CALLBACK match(HWND hwnd, LPARAM lp) {
    auto* a = reinterpret_cast<Args*>(lp);
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    if (IsWindowVisible(hwnd) && a->title == text) {
        a->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    Args a{argv[1], nullptr};
    DWORD ms = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
    const wchar_t* counter = (argc >= 5 && std::wcscmp(argv[3], L"--counter") == 0) ? argv[4] : nullptr;
    bool ok = wait_until(
        [&] {
            a.found = nullptr;
            EnumWindows(match, reinterpret_cast<LPARAM>(&a));
            if (!a.found) return false;
            if (!counter) return true;
            return window_text(GetDlgItem(a.found, kCounterId)) == text_of_wide(std::wstring(counter));
        },
        ms);
    // Let the window paint everything before anyone looks at the screen:
    // RedrawWindow with RDW_UPDATENOW waits for the owner's WM_PAINT.
    if (ok) RedrawWindow(a.found, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return ok ? 0 : 1;
}
