// The detector's desktop access under Wine: which windows the scan lists and
// in what order and form, with windows of this process and of a stand-in
// dialog's, and where the synthetic click lands and leaves the cursor.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win32/desktop.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/standin.h"

namespace {

Text handle_text(HWND h) {
    char s[16];
    std::snprintf(s, sizeof s, "%d", static_cast<int>(reinterpret_cast<INT_PTR>(h)));
    return s;
}

bool listed(const TextList& list, HWND h) {
    return std::find(list.begin(), list.end(), handle_text(h)) != list.end();
}

// What the click target received, as "down X,Y" in screen pixels.
std::vector<std::string> g_clicks;

LRESULT CALLBACK click_target_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP) {
        POINT p = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        ClientToScreen(hwnd, &p);
        g_clicks.push_back(std::string(msg == WM_LBUTTONDOWN ? "down " : "up ") + std::to_string(p.x) + "," +
                           std::to_string(p.y));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

class Desktop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TallowinDesktopTest";
        RegisterClassW(&wc);
        wc.lpfnWndProc = click_target_proc;
        wc.lpszClassName = L"TallowinDesktopClicks";
        RegisterClassW(&wc);
    }
    HWND make(DWORD style, HWND parent = nullptr, int x = 600, int y = 40) {
        HWND h = CreateWindowExW(0, L"TallowinDesktopTest", L"", style, x, y, 120, 40, parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(h, nullptr);
        made.push_back(h);
        return h;
    }
    void TearDown() override {
        for (auto it = made.rbegin(); it != made.rend(); ++it) DestroyWindow(*it);
        wait_until([] { return false; }, 30);  // let the destruction messages go
    }
    std::vector<HWND> made;
};

TEST_F(Desktop, ScanListsEveryVisibleTopLevelWindowOnceInZOrder) {
    StandIn other;
    ASSERT_TRUE(other.start(100, 100, 465, 500, true));
    HWND other_window = find_window_of(other.process().id(), "Stand-in sign-in");
    ASSERT_NE(other_window, nullptr);

    HWND shown = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND hidden = make(WS_OVERLAPPEDWINDOW);
    HWND child = make(WS_CHILD | WS_VISIBLE, shown, 0, 0);
    HWND minimised = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ShowWindow(minimised, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(minimised));

    const TextList list = visible_top_windows();
    struct Row {
        const char* what;
        HWND hwnd;
        bool expected;
    } rows[] = {
        {"visible window of this process", shown, true},
        {"minimised window", minimised, true},
        {"window of another process", other_window, true},
        {"hidden window", hidden, false},
        {"child window", child, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(listed(list, row.hwnd), row.expected) << handle_text(row.hwnd);
    }

    // Every element is a handle in "%d" form, once, and the list follows the
    // z-order as walked window by window with GetWindow.
    TextList walked;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) walked.push_back(handle_text(h));
    EXPECT_EQ(list, walked);
    TextList sorted = list;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "a window listed twice";

    ShowWindow(shown, SW_HIDE);
    EXPECT_FALSE(listed(visible_top_windows(), shown)) << "listed after it was hidden";
}

TEST_F(Desktop, ClickPressesAndReleasesAtThePointAndLeavesTheCursorThere) {
    HWND target = CreateWindowExW(0, L"TallowinDesktopClicks", L"", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                                  100, 100, 465, 500, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(target, nullptr);
    made.push_back(target);
    const POINT points[] = {{332, 520}, {150, 200}, {540, 580}};
    for (const POINT& p : points) {
        const std::string at = std::to_string(p.x) + "," + std::to_string(p.y);
        SCOPED_TRACE(at);
        const std::vector<std::string> expected = {"down " + at, "up " + at};
        // Every click here moves the cursor, and under Wine's virtual desktop
        // a move now and then races with the desktop process replaying the
        // old position (see park_cursor in standin.h), sending the click
        // where the cursor was. A point is tried a few times; a fault of our
        // own misses it every time.
        std::string attempts;
        bool landed = false;
        for (int attempt = 0; attempt < 4 && !landed; ++attempt) {
            g_clicks.clear();
            click_at(p.x, p.y);
            POINT cursor = {};
            GetCursorPos(&cursor);
            bool arrived = wait_until([] { return g_clicks.size() >= 2; }, 5000);
            landed = arrived && g_clicks == expected && cursor.x == p.x && cursor.y == p.y;
            attempts += "cursor " + std::to_string(cursor.x) + "," + std::to_string(cursor.y) + ", got";
            for (const std::string& c : g_clicks) attempts += " [" + c + "]";
            attempts += "; ";
            // Let the window see where the cursor ended before the next try.
            wait_until([&] { POINT c; return GetCursorPos(&c) && c.x == p.x && c.y == p.y; }, 1000);
        }
        EXPECT_TRUE(landed) << "never pressed and released at " << at << ": " << attempts;
    }
}

}  // namespace
