// Helpers for the toolkit tests.
#include "tests/wine/toolkit_test_support.h"

#include <map>
#include <utility>

#include "platform/win32/toolkit_internal.h"

namespace {
std::map<UINT_PTR, std::function<void()>> g_actions;

void CALLBACK fire(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto it = g_actions.find(id);
    if (it == g_actions.end()) return;
    auto action = std::move(it->second);
    g_actions.erase(it);
    action();
}
}  // namespace

bool pump_until(const std::function<bool()>& cond, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;  // a test's last window went
            dispatch_message(msg);
        }
        if (cond()) return true;
        if (GetTickCount() - start >= ms) return cond();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void run_soon(std::function<void()> action, UINT ms) {
    UINT_PTR id = SetTimer(nullptr, 0, ms, fire);
    g_actions[id] = std::move(action);
}

static BOOL CALLBACK destroy_one_of_ours(HWND hwnd, LPARAM lp) {
    if (GetWindowLongPtrW(hwnd, GWLP_USERDATA) && IsWindowVisible(hwnd)) {
        DestroyWindow(hwnd);
        *reinterpret_cast<bool*>(lp) = true;
        return FALSE;
    }
    return TRUE;
}

void close_all_and_drain() {
    for (;;) {
        bool any = false;
        EnumThreadWindows(GetCurrentThreadId(), destroy_one_of_ours, reinterpret_cast<LPARAM>(&any));
        if (!any) break;
    }
    pump_until([] { return false; }, 50);
}
