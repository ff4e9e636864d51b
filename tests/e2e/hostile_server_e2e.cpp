// The loopback build of Tallowin against hostile servers: the update check
// and the announcement meet a truncated transfer, a drip, 100 MB of body,
// 1 MB of headers, junk instead of HTTP, a reset, a redirect loop and a
// server that never answers. Each may freeze the program only within the
// transfer bound; afterwards its windows answer and a stand-in sign-in
// dialog, open all along, is signed in again within two ticks. The time each
// case froze the program is printed as a table.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/text.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/standin.h"

namespace {

constexpr int kMainVersionButton = 1, kMainCounter = 6;
constexpr int kVersionAnnouncement = 1, kVersionLatest = 4, kVersionCheck = 6;
constexpr DWORD kBoundMs = 30000;         // the web routines' bound for a whole transfer
constexpr DWORD kSlackMs = 8000;          // a loaded machine's slack around it
constexpr DWORD kTwoTicksMs = 2 * 3000 + 2000;

const std::wstring kRoot = TALLOWIN_INFO_ROOT_W;
const std::wstring kModeFile = kRoot + L"\\_mode";

// Whether the window's thread answers a message within ms.
bool answers(HWND w, DWORD ms) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ms, &r) != 0;
}

struct Case {
    const char* mode;
    const char* what;
};
const Case kCases[] = {
    {"truncated", "a truncated transfer"}, {"drip", "a drip of one byte a second"},
    {"huge", "100 MB of body"},            {"hugeheaders", "1 MB of headers"},
    {"junk", "binary junk for HTTP"},      {"reset", "a connection reset"},
    {"loop", "a redirect loop"},           {"silent", "a server that never answers"},
};

class HostileServerE2E : public ::testing::TestWithParam<Case> {
protected:
    static void SetUpTestSuite() { std::printf("%-28s %-14s %10s\n", "server", "action", "frozen ms"); }

    void SetUp() override {
        DeleteFileW(kModeFile.c_str());
        // A sign-in dialog open all along, away from every window of the
        // program, with the cursor waiting on its click point.
        ASSERT_TRUE(park_cursor(93, 268));
        ASSERT_TRUE(dialog.start(0, 100, 186, 200, true));
        ASSERT_TRUE(app.start(L"\"" + built_program(L"Tallowin_loopback.exe") + L"\""));
        ASSERT_TRUE(wait_until([&] { return (main = find_window_of(app.id(), "Tallowin")) != nullptr; }, 20000));
        PostMessageW(GetDlgItem(main, kMainVersionButton), BM_CLICK, 0, 0);
        ASSERT_TRUE(wait_until([&] { return (version = find_window_of(app.id(), "版本信息")) != nullptr; }, 20000));
        ASSERT_TRUE(write_file(kModeFile, GetParam().mode));
    }

    void TearDown() override {
        DeleteFileW(kModeFile.c_str());
        app.terminate();
    }

    // Runs one synchronous action; returns how long the program did not
    // answer, or -1 when it did not come back within the bound.
    long frozen_ms(const std::function<void()>& act, const std::function<bool()>& done) {
        DWORD t0 = GetTickCount();
        act();
        if (!wait_until(done, kBoundMs + kSlackMs)) return -1;
        return static_cast<long>(GetTickCount() - t0);
    }

    // The stand-in is signed in within two ticks from now.
    void expect_sign_in_soon(const char* after) {
        size_t before = dialog.clicks().size();
        EXPECT_TRUE(wait_until([&] { return dialog.clicks().size() > before; }, kTwoTicksMs))
            << "no sign-in within two ticks after " << after;
        EXPECT_TRUE(answers(main, 2000)) << "MainWindow does not answer after " << after;
    }

    StandIn dialog;
    Process app;
    HWND main = nullptr, version = nullptr;
};

TEST_P(HostileServerE2E, FreezesWithinTheBoundThenAnswersAndSignsIn) {
    const Case& c = GetParam();
    HWND latest = GetDlgItem(version, kVersionLatest);
    // The update check: the caption of 标签6 changes once it has ended.
    SendMessageW(latest, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"<pending>"));
    long check_ms = frozen_ms([&] { PostMessageW(GetDlgItem(version, kVersionCheck), BM_CLICK, 0, 0); },
                              [&] { return answers(version, 100) && window_text(latest) != "<pending>"; });
    std::printf("%-28s %-14s %10ld\n", c.what, "update check", check_ms);
    ASSERT_GE(check_ms, 0) << "the update check against " << c.what << " did not end within the bound";
    expect_sign_in_soon("the update check");

    // The announcement: the window shows once the download has ended.
    HWND announcement = nullptr;
    long notice_ms = frozen_ms(
        [&] { PostMessageW(GetDlgItem(version, kVersionAnnouncement), BM_CLICK, 0, 0); },
        [&] { return (announcement = find_window_of(app.id(), "联网公告")) != nullptr; });
    std::printf("%-28s %-14s %10ld\n", c.what, "announcement", notice_ms);
    ASSERT_GE(notice_ms, 0) << "the announcement against " << c.what << " did not open within the bound";
    PostMessageW(announcement, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(wait_until([&] { return !IsWindow(announcement); }, 5000));
    expect_sign_in_soon("the announcement");

    DWORD code = 0;
    EXPECT_FALSE(app.wait_exit(0, &code)) << "the program ended, code " << code;
    Text counter = window_text(GetDlgItem(main, kMainCounter));
    EXPECT_GE(std::atoi(counter.c_str()), 2);
}

INSTANTIATE_TEST_SUITE_P(Servers, HostileServerE2E, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.mode); });

}  // namespace
