// Starts the loopback build of Tallowin and uses its information windows as a
// user would: each window opens from its button or picture, centred at its
// size, and holds MainWindow; the update check and the announcement against
// a loopback server whose files and behaviour the driver switches by writing
// files through their Z: paths; the browser the shell starts for "查看更新";
// and the detector going on while a dialog is open.
// winsock2.h before windows.h, which gtest.h brings too.
#include <winsock2.h>
// (kept apart so that include sorting leaves it first)

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/standin.h"

namespace {

// Control ids are the controls' 1-based places in their definitions.
namespace main_ids {
constexpr int kVersionButton = 1, kPicture = 4, kCounter = 6;
}
namespace version_ids {
constexpr int kAnnouncementButton = 1, kHelpButton = 2, kCurrent = 3, kLatest = 4, kCheckButton = 6,
              kViewUpdateButton = 8, kAuthorButton = 9;
}
namespace egg_ids {
constexpr int kCancel = 1, kAgree = 2;
}
constexpr int kAnnouncementBox = 1;

constexpr DWORD kStartMs = 20000;
constexpr DWORD kOpenMs = 20000;
// A transfer ends within the web routines' own bound of about 30 s.
constexpr DWORD kTransferMs = 45000;

const std::wstring kRoot = TALLOWIN_INFO_ROOT_W;
const std::wstring kRemoteDir = kRoot + L"\\tallowin\\raw\\master";
const std::wstring kVersionFile = kRemoteDir + L"\\版本.txt";
const std::wstring kAnnouncementFile = kRemoteDir + L"\\公告.txt";
const std::wstring kModeFile = kRoot + L"\\_mode";

// UTF-8 bytes as they would be published: the source is UTF-8, and u8
// literals keep it so whatever the execution character set.
std::string utf8(const char* s) {
    return s;
}

// Whether a connection to the loopback server is accepted now.
bool server_listens() {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return false;
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(TALLOWIN_E2E_PORT);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    closesocket(s);
    return ok;
}

// Text of a control of another process: WM_GETTEXT, since GetWindowText
// reads only captions across processes.
Text control_text(HWND hwnd) {
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &n))
        return "<no answer>";
    std::wstring s(n + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(&s[0]), SMTO_NORMAL,
                        10000, &got);
    std::vector<char> out(got * 2 + 1);
    int len = WideCharToMultiByte(936, 0, s.data(), static_cast<int>(got), out.data(),
                                  static_cast<int>(out.size()), nullptr, nullptr);
    return Text(out.data(), static_cast<size_t>(len > 0 ? len : 0));
}

void set_control_text(HWND hwnd, const wchar_t* text) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000,
                        &r);
}

class InfoWindowsE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    static void TearDownTestSuite() { WSACleanup(); }

    void SetUp() override {
        DeleteFileW(kModeFile.c_str());
        CreateDirectoryW((kRoot + L"\\tallowin").c_str(), nullptr);
        CreateDirectoryW((kRoot + L"\\tallowin\\raw").c_str(), nullptr);
        CreateDirectoryW(kRemoteDir.c_str(), nullptr);
        ASSERT_TRUE(wait_until(server_listens, 10000)) << "the loopback server does not listen";
        // The files the repository carries, as they are published.
        const std::wstring published = std::wstring(TALLOWIN_SOURCE_DIR_W) + L"\\published";
        ASSERT_TRUE(write_file(kVersionFile, read_file(published + L"\\版本.txt")));
        ASSERT_TRUE(write_file(kAnnouncementFile, read_file(published + L"\\公告.txt")));
        ASSERT_TRUE(app.start(L"\"" + built_program(L"Tallowin_loopback.exe") + L"\""))
            << "CreateProcess failed: " << GetLastError();
        ASSERT_TRUE(wait_until(
            [&] { return (main = find_window_of(app.id(), "Tallowin")) != nullptr; }, kStartMs))
            << "MainWindow did not appear";
    }

    void TearDown() override {
        DeleteFileW(kModeFile.c_str());
        app.terminate();
    }

    // Posts a click, as the button's own message, to control id of parent.
    void click(HWND parent, int id) { PostMessageW(GetDlgItem(parent, id), BM_CLICK, 0, 0); }

    HWND wait_window(const Text& title, DWORD ms = kOpenMs) {
        HWND w = nullptr;
        wait_until([&] { return (w = find_window_of(app.id(), title)) != nullptr; }, ms);
        return w;
    }

    HWND open_from(HWND parent, int id, const Text& title) {
        click(parent, id);
        return wait_window(title);
    }

    bool close_with_esc(HWND w) {
        PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
        return wait_until([&] { return !IsWindow(w); }, 10000);
    }

    // True once the program's user-interface thread has handled everything
    // sent before: a message sent to w comes back only then.
    bool settled(HWND w) {
        DWORD_PTR r = 0;
        return SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, kTransferMs, &r) != 0;
    }

    void expect_centred(HWND w, int width, int height) {
        RECT r = window_rect(w);
        EXPECT_EQ(r.right - r.left, width);
        EXPECT_EQ(r.bottom - r.top, height);
        EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
        EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    }

    // Switches the server: "refuse" closes its listener until the file goes.
    void server_refuses(bool refuse) {
        if (refuse) {
            ASSERT_TRUE(write_file(kModeFile, "refuse\n"));
            ASSERT_TRUE(wait_until([] { return !server_listens(); }, 10000))
                << "the server still listens";
        } else {
            DeleteFileW(kModeFile.c_str());
            ASSERT_TRUE(wait_until(server_listens, 10000)) << "the server does not listen again";
        }
    }

    // Runs the update check in an open VersionWindow and waits until it has
    // ended: the latest-version label is first set to a mark the check
    // cannot produce, then read back once it changed.
    Text run_check(HWND version) {
        HWND latest = GetDlgItem(version, version_ids::kLatest);
        const Text mark = "<checking>";
        set_control_text(latest, L"<checking>");
        click(version, version_ids::kCheckButton);
        EXPECT_TRUE(wait_until([&] { return control_text(latest) != mark; }, kTransferMs))
            << "the check did not end";
        EXPECT_TRUE(settled(version));
        return control_text(latest);
    }

    bool view_update_shown(HWND version) {
        return IsWindowVisible(GetDlgItem(version, version_ids::kViewUpdateButton)) != FALSE;
    }

    Process app;
    HWND main = nullptr;
};

TEST_F(InfoWindowsE2E, EachWindowOpensFromItsButtonCentredAndHoldsMainWindow) {
    EXPECT_TRUE(IsWindowEnabled(main));
    HWND version = open_from(main, main_ids::kVersionButton, "版本信息");
    ASSERT_NE(version, nullptr) << "版本信息 did not open VersionWindow";
    expect_centred(version, 364, 191);
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_TRUE(IsWindowEnabled(version));
    EXPECT_EQ(window_text(GetDlgItem(version, version_ids::kCurrent)), "V 6.1");
    EXPECT_EQ(window_text(GetDlgItem(version, version_ids::kLatest)), "待检测");
    EXPECT_FALSE(view_update_shown(version));
    EXPECT_EQ(GetWindow(version, GW_OWNER) == main, false) << "dialogs are not owned by MainWindow";

    struct Row {
        int button;
        const char* title;
        int width, height;
    } rows[] = {
        {version_ids::kAnnouncementButton, "联网公告", 380, 250},
        {version_ids::kAuthorButton, "Hi～", 197, 98},
        {version_ids::kHelpButton, "检查更新·帮助", 265, 179},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        HWND w = open_from(version, row.button, row.title);
        ASSERT_NE(w, nullptr) << "did not open";
        expect_centred(w, row.width, row.height);
        EXPECT_FALSE(IsWindowEnabled(main));
        EXPECT_TRUE(IsWindowEnabled(version)) << "a dialog leaves the dialog under it enabled";
        ASSERT_TRUE(close_with_esc(w));
        EXPECT_TRUE(IsWindow(version));
        EXPECT_FALSE(IsWindowEnabled(main));
    }
    ASSERT_TRUE(close_with_esc(version));
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(main) != FALSE; }, 5000));

    // The picture on MainWindow leads to the easter egg, and its "同意" to
    // the contact window over it.
    PostMessageW(GetDlgItem(main, main_ids::kPicture), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(20, 20));
    PostMessageW(GetDlgItem(main, main_ids::kPicture), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    HWND egg = wait_window("隐藏彩蛋");
    ASSERT_NE(egg, nullptr) << "the picture did not open EasterEggWindow";
    expect_centred(egg, 223, 73);
    EXPECT_FALSE(IsWindowEnabled(main));
    HWND contact = open_from(egg, egg_ids::kAgree, "QQ");
    ASSERT_NE(contact, nullptr) << "同意 did not open ContactWindow";
    expect_centred(contact, 318, 435);
    EXPECT_TRUE(IsWindowEnabled(egg)) << "EasterEggWindow stays usable under ContactWindow";
    EXPECT_FALSE(IsWindowEnabled(main));
    ASSERT_TRUE(close_with_esc(contact));
    EXPECT_TRUE(IsWindow(egg)) << "closing ContactWindow leaves EasterEggWindow open";
    EXPECT_FALSE(IsWindowEnabled(main));
    click(egg, egg_ids::kCancel);
    EXPECT_TRUE(wait_until([&] { return !IsWindow(egg); }, 10000)) << "取消 did not close it";
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
}

// The whole check, one remote file after another in the same window, then
// a fresh opening.
TEST_F(InfoWindowsE2E, UpdateCheckShowsTheFirstQuotedPieceAndComparesItByteForByte) {
    HWND version = open_from(main, main_ids::kVersionButton, "版本信息");
    ASSERT_NE(version, nullptr);
    struct Row {
        const char* what;
        std::string content;  // empty: the file is missing (404 page)
        bool refuse;          // the server is down
        Text latest;
        bool view_update;
    } rows[] = {
        {"as published", "\"V 6.1\"\n", false, "V 6.1", false},
        {"newer", "latest: \"V 6.2\" (beta)\r\n", false, "V 6.2", true},
        {"the same again", "\"V 6.1\"", false, "V 6.1", false},
        {"small v", "\"v 6.1\"", false, "v 6.1", true},
        {"space inside before", "\" V 6.1\"", false, " V 6.1", true},
        {"space inside after", "\"V 6.1 \"", false, "V 6.1 ", true},
        {"several quoted pieces", "\"V 6.1\" then \"V 9.9\"", false, "V 6.1", false},
        {"several, first differs", "\"V 7.0\" then \"V 6.1\"", false, "V 7.0", true},
        {"no quotes", "V 6.2\n", false, "", true},
        {"one quote", "\"V 6.1\n", false, "", true},
        {"Chinese in quotes", "\"\xB2\xE2\xCA\xD4\"", false, "\xB2\xE2\xCA\xD4", true},
        {"error page", "", false, "", true},
        {"server down", "\"V 6.1\"", true, "", true},
        {"back up", "\"V 6.1\"", false, "V 6.1", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.content.empty())
            DeleteFileW(kVersionFile.c_str());
        else
            ASSERT_TRUE(write_file(kVersionFile, row.content));
        server_refuses(row.refuse);
        EXPECT_EQ(run_check(version), row.latest);
        EXPECT_EQ(view_update_shown(version), row.view_update);
        EXPECT_EQ(window_text(GetDlgItem(version, version_ids::kCurrent)), "V 6.1");
    }
    server_refuses(false);

    // Each opening starts afresh.
    ASSERT_TRUE(write_file(kVersionFile, "\"V 6.2\""));
    run_check(version);
    ASSERT_TRUE(view_update_shown(version));
    ASSERT_TRUE(close_with_esc(version));
    version = open_from(main, main_ids::kVersionButton, "版本信息");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(control_text(GetDlgItem(version, version_ids::kLatest)), "待检测");
    EXPECT_FALSE(view_update_shown(version));
}

TEST_F(InfoWindowsE2E, AnnouncementIsDownloadedAtEveryOpeningAndEmptyOnAnyFailure) {
    HWND version = open_from(main, main_ids::kVersionButton, "版本信息");
    ASSERT_NE(version, nullptr);
    const Text published_gbk =
        "欢迎使用 Tallowin 自动签到！\r\n\r\n当前版本为 V 6.1。\r\n"
        "有新版本时，“版本信息”窗口中的“检查更新”会显示“查看更新”按钮。\r\n";
    struct Row {
        const char* what;
        std::string content;
        bool refuse;
        Text shown;
    } rows[] = {
        {"as published", read_file(kAnnouncementFile), false, published_gbk},
        {"Chinese", utf8(u8"今天下午三点停机维护，签到照常。"), false,
         "今天下午三点停机维护，签到照常。"},
        {"CR LF lines", "line one\r\nline two\r\n\r\nline four", false,
         "line one\r\nline two\r\n\r\nline four"},
        {"an invalid UTF-8 byte", utf8(u8"公告") + "\xFF" + utf8(u8"内容"), false, ""},
        {"truncated character", utf8(u8"公告") + "\xE5\x85", false, ""},
        {"not in GBK", utf8(u8"公告 \U0001F600"), false, ""},
        {"a zero byte ends it", std::string("before\0after", 12), false, "before"},
        {"server down", utf8(u8"公告"), true, ""},
        {"back up", utf8(u8"又一条公告"), false, "又一条公告"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(write_file(kAnnouncementFile, row.content));
        server_refuses(row.refuse);
        click(version, version_ids::kAnnouncementButton);
        HWND w = wait_window("联网公告", kTransferMs);
        ASSERT_NE(w, nullptr) << "AnnouncementWindow did not open";
        HWND box = GetDlgItem(w, kAnnouncementBox);
        EXPECT_EQ(control_text(box), row.shown);
        LONG style = GetWindowLongW(box, GWL_STYLE);
        EXPECT_TRUE(style & ES_CENTER);
        EXPECT_TRUE(style & ES_MULTILINE);
        EXPECT_FALSE(style & ES_READONLY);
        // Edits are the user's until the window closes; the next opening
        // downloads again.
        set_control_text(box, L"edited");
        // Esc in the box closes the window: the box does not claim it.
        PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(wait_until([&] { return !IsWindow(w); }, 10000));
    }
    server_refuses(false);
}

// A close request that reaches MainWindow while a dialog holds it (here from
// this driver, another program) is refused; the program keeps running and
// closes normally once the dialog is gone.
TEST_F(InfoWindowsE2E, MainWindowHeldByADialogRefusesCloseRequests) {
    HWND version = open_from(main, main_ids::kVersionButton, "版本信息");
    ASSERT_NE(version, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(settled(main));
    EXPECT_TRUE(IsWindow(main));
    DWORD code = 0;
    EXPECT_FALSE(app.wait_exit(0, &code)) << "the program ended under the dialog";
    // The dialog still works.
    ASSERT_EQ(run_check(version), "V 6.1");
    ASSERT_TRUE(close_with_esc(version));
    ASSERT_TRUE(wait_until([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(app.wait_exit(10000, &code)) << "MainWindow did not close once free";
    EXPECT_EQ(code, 0u);
}

// Closing EasterEggWindow while ContactWindow is open leaves MainWindow
// without input until ContactWindow is gone too.
TEST_F(InfoWindowsE2E, MainWindowTakesInputOnlyWhenNoDialogIsLeft) {
    PostMessageW(GetDlgItem(main, main_ids::kPicture), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(20, 20));
    HWND egg = wait_window("隐藏彩蛋");
    ASSERT_NE(egg, nullptr);
    HWND contact = open_from(egg, egg_ids::kAgree, "QQ");
    ASSERT_NE(contact, nullptr);
    ASSERT_TRUE(close_with_esc(egg)) << "Esc did not close EasterEggWindow";
    ASSERT_TRUE(settled(contact));
    EXPECT_TRUE(IsWindow(contact));
    EXPECT_FALSE(IsWindowEnabled(main)) << "ContactWindow is still open";
    PostMessageW(contact, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(wait_until([&] { return !IsWindow(contact); }, 10000));
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
    EXPECT_EQ(find_window_of(app.id(), "隐藏彩蛋"), nullptr);
}

TEST_F(InfoWindowsE2E, DetectorSignsInWhileVersionWindowIsOpen) {
    HWND version = open_from(main, main_ids::kVersionButton, "版本信息");
    ASSERT_NE(version, nullptr);
    StandIn dialog;
    ASSERT_TRUE(park_cursor(332, 520));
    ASSERT_TRUE(dialog.start(100, 100, 465, 500, false)) << "the stand-in did not show";
    // Two periods of the detector, with slack for a busy machine.
    EXPECT_TRUE(
        wait_until([&] { return window_text(GetDlgItem(main, main_ids::kCounter)) == "1"; }, 9000))
        << "no sign-in while VersionWindow was open";
    // The stand-in writes its report as it handles the click, which may be
    // after the counter changed.
    std::vector<StandInEvent> clicks;
    ASSERT_TRUE(wait_until(
        [&] {
            clicks = dialog.clicks();
            return clicks.size() >= 2;
        },
        5000))
        << "the stand-in reported no click";
    EXPECT_EQ(clicks[0].kind, "down");
    EXPECT_EQ(clicks[0].a, 332);
    EXPECT_EQ(clicks[0].b, 520);
    EXPECT_TRUE(IsWindow(version));
    EXPECT_FALSE(IsWindowEnabled(main));
}

// "查看更新" hands the configured URL to the shell. A stand-in browser is the
// http handler of the prefix for this test and records what reaches it.
class ViewUpdateE2E : public InfoWindowsE2E {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, dir);
        record_ = std::wstring(dir) + L"tallowin-browser-" +
                  std::to_wstring(GetCurrentProcessId()) + L".txt";
        DeleteFileW(record_.c_str());
        SetEnvironmentVariableW(L"TALLOWIN_BROWSER_RECORD", record_.c_str());
        // Wine's shell looks the handler up under HKEY_CLASSES_ROOT only;
        // the prefix's own handler comes back in TearDown.
        ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kHandlerKey, 0, nullptr, 0,
                                  KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
        wchar_t old[1024] = {};
        DWORD size = sizeof old - sizeof(wchar_t);
        had_old_ = RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                                    &size) == ERROR_SUCCESS;
        old_ = old;
        set_handler(L"\"" + built_program(L"standin_browser.exe") + L"\" \"%1\"");
        InfoWindowsE2E::SetUp();
    }
    void TearDown() override {
        InfoWindowsE2E::TearDown();
        if (key_) {
            if (had_old_)
                set_handler(old_);
            else
                RegDeleteValueW(key_, nullptr);
            RegCloseKey(key_);
        }
        DeleteFileW(record_.c_str());
    }
    void set_handler(const std::wstring& command) {
        RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    static constexpr const wchar_t* kHandlerKey = L"http\\shell\\open\\command";
    HKEY key_ = nullptr;
    bool had_old_ = false;
    std::wstring old_;
    std::wstring record_;
};

TEST_F(ViewUpdateE2E, HandsTheAuthorPageToTheShell) {
    HWND version = open_from(main, main_ids::kVersionButton, "版本信息");
    ASSERT_NE(version, nullptr);
    ASSERT_TRUE(write_file(kVersionFile, "\"V 6.2\""));
    ASSERT_EQ(run_check(version), "V 6.2");
    ASSERT_TRUE(view_update_shown(version));
    click(version, version_ids::kViewUpdateButton);
    ASSERT_TRUE(
        wait_until([&] { return read_file(record_).find('\n') != std::string::npos; }, 20000))
        << "no browser was started";
    std::string line = read_file(record_);
    EXPECT_NE(line.find(std::string("\"") + TALLOWIN_AUTHOR_PAGE_E2E + "\""), std::string::npos)
        << "what reached the browser: " << line;
    // The window stays open and usable.
    ASSERT_TRUE(settled(version));
    EXPECT_TRUE(IsWindow(version));
    EXPECT_FALSE(IsWindowEnabled(main));
}

}  // namespace
