// Starts Tallowin.exe and checks MainWindow as a user sees it: place and
// size, captions, the start-up log line, the run-log toggle, and that Esc
// ends the program with exit code 0.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/text.h"
#include "tests/e2e/driver.h"

namespace {

// Control ids are the 1-based places in MainWindow's definition.
constexpr int kVersionButton = 1, kRunLog = 2, kRunLogButton = 3, kPicture = 4, kCounter = 6,
              kCountCaption = 7, kRunningCaption = 8;
constexpr DWORD kStartMs = 20000;

class MainWindowE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.start(L"\"" + std::wstring(TALLOWIN_APP_DIR_W) + L"\\Tallowin.exe\""));
        ASSERT_TRUE(wait_until([&] { return (main = find_window_of(app.id(), "Tallowin")) != nullptr; },
                               kStartMs))
            << "MainWindow did not appear";
    }
    void click(int id) {
        HWND button = GetDlgItem(main, id);
        PostMessageW(button, BM_CLICK, 0, 0);
    }
    bool has_height(int h) {
        return wait_until([&] { RECT r = window_rect(main); return r.bottom - r.top == h; }, 5000);
    }

    Process app;
    HWND main = nullptr;
};

TEST_F(MainWindowE2E, ShowsCentredWithItsCaptionsAndTheStartLine) {
    RECT r = window_rect(main);
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.right - r.left, 284);
    EXPECT_EQ(r.bottom - r.top, 141);
    EXPECT_EQ(r.left, (cx - 284) / 2);
    EXPECT_EQ(r.top, (cy - 141) / 2);

    LONG style = GetWindowLongW(main, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX) << "maximising must not be offered";
    EXPECT_FALSE(style & WS_THICKFRAME);

    struct Row { int id; const char* caption; } rows[] = {
        {kRunningCaption, "自动签到正在运行"}, {kCountCaption, "签到次数："}, {kCounter, "0"},
        {kRunLogButton, "运行日志"}, {kVersionButton, "版本信息"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(window_text(GetDlgItem(main, row.id)), row.caption);
    }

    HWND log = GetDlgItem(main, kRunLog);
    ASSERT_EQ(SendMessageW(log, LB_GETCOUNT, 0, 0), 1);
    Text line = list_line(log, 0);
    const Text suffix = " 自动签到开始运行";
    ASSERT_GE(line.size(), suffix.size());
    EXPECT_EQ(line.substr(line.size() - suffix.size()), suffix) << line;
    EXPECT_EQ(SendMessageW(log, LB_GETITEMDATA, 0, 0), 1);

    // The log lies below the client area until it is shown.
    RECT client, log_rect;
    GetClientRect(main, &client);
    GetWindowRect(log, &log_rect);
    POINT top_left{log_rect.left, log_rect.top};
    ScreenToClient(main, &top_left);
    EXPECT_GE(top_left.y, client.bottom);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, kPicture)));
}

TEST_F(MainWindowE2E, RunLogButtonTogglesHeightKeepingWidthAndPlace) {
    RECT before = window_rect(main);
    HWND log = GetDlgItem(main, kRunLog);
    const int heights[] = {300, 141, 300};
    for (int h : heights) {
        SCOPED_TRACE(h);
        click(kRunLogButton);
        ASSERT_TRUE(has_height(h));
        // The handler sets the height first and the list box's visibility
        // after it; from another process the two can be seen in between.
        EXPECT_TRUE(wait_until([&] { return (IsWindowVisible(log) != FALSE) == (h == 300); }, 5000))
            << "the run log's visibility did not follow the height";
        RECT r = window_rect(main);
        EXPECT_EQ(r.left, before.left);
        EXPECT_EQ(r.top, before.top);
        EXPECT_EQ(r.right - r.left, 284);
    }
}

TEST_F(MainWindowE2E, EscEndsTheProgramWithExitCodeZero) {
    PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
    DWORD code = 1234;
    ASSERT_TRUE(app.wait_exit(10000, &code)) << "Esc did not end the program";
    EXPECT_EQ(code, 0u);
}

TEST_F(MainWindowE2E, CloseBoxEndsTheProgramWithExitCodeZero) {
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD code = 1234;
    ASSERT_TRUE(app.wait_exit(10000, &code)) << "the close box did not end the program";
    EXPECT_EQ(code, 0u);
}

}  // namespace
