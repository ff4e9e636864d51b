// The platform's fatal error as a user meets it: a message box titled "错误"
// saying "运行时出错!", and once it is dismissed the process ends with exit
// code -1 without running the exit routines.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/e2e/driver.h"

namespace {

constexpr int kMessageBoxTextId = 0xFFFF;  // the static text of a message box

TEST(FatalError, ShowsTheErrorBoxThenExitsWithMinusOne) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring marker = std::wstring(temp) + L"tallowin-fatal-marker";
    DeleteFileW(marker.c_str());

    Process probe;
    ASSERT_TRUE(probe.start(L"\"" + built_program(L"fatal_probe.exe") + L"\" \"" + marker + L"\""));
    HWND box = nullptr;
    ASSERT_TRUE(wait_until([&] { return (box = find_window_of(probe.id(), "错误")) != nullptr; }, 15000))
        << "no error box appeared";
    Text text = window_text(GetDlgItem(box, kMessageBoxTextId));
    EXPECT_EQ(text.rfind("运行时出错!", 0), 0u) << text;

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    DWORD code = 0;
    ASSERT_TRUE(probe.wait_exit(10000, &code));
    EXPECT_EQ(code, 0xFFFFFFFFu);
    EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the exit routines must not run after a fatal error";
    DeleteFileW(marker.c_str());
}

}  // namespace
