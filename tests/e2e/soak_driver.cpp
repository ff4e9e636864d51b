// soak_driver MINUTES: a school day in small. Runs the loopback build of
// Tallowin for MINUTES while
// - stand-in sign-in dialogs come and go at random on the screen's left and
//   right (where no window of the program lies), each closed right after
//   its 1st to 4th click, so some stay across several ticks, and
// - the driver opens and closes every window of the program again and again,
//   each through its real button, picture or Esc, update checks and
//   announcements included, against the loopback server.
// It prints what the program holds at the start, every 5 minutes and at the
// end, and checks at the end that every stand-in that saw a tick was clicked
// at its exact point, that the counter equals the clicks, that the run log
// holds one line per click with the right item data, and that the resources
// came back to a flat line. Exit code 0 when all of that holds.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/convert.h"
#include "platform/text.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/process_resources.h"
#include "tests/e2e/standin.h"

namespace {

// Control ids are the controls' 1-based places in their definitions.
constexpr int kMainVersionButton = 1, kMainRunLog = 2, kMainPicture = 4, kMainCounter = 6;
constexpr int kVersionAnnouncement = 1, kVersionHelp = 2, kVersionLatest = 4, kVersionCheck = 6,
              kVersionAuthor = 9;
constexpr int kEggCancel = 1, kEggAgree = 2;

constexpr DWORD kStepMs = 45000;  // a window or a transfer, within the web bound of ~30 s
constexpr DWORD kPeriodMs = 3000;
constexpr int kStandInWidth = 186, kStandInHeight = 200;  // 0.93

const std::wstring kRoot = TALLOWIN_INFO_ROOT_W;
const std::wstring kRemoteDir = kRoot + L"\\tallowin\\raw\\master";

std::mutex g_print;
void say(const char* format, ...) {
    std::lock_guard<std::mutex> lock(g_print);
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fflush(stdout);
}

// What a finished stand-in saw: where it expected clicks, how many ticks it
// surely saw, and where the presses landed.
struct StandInRecord {
    int x = 0, y = 0;  // the click point
    std::vector<StandInEvent> presses;
};

// Stand-ins, one at a time, on their own thread, so that the window cycles
// never delay closing one right after a click (a close just before a tick
// would race with the program's measurement).
class StandInTraffic {
public:
    explicit StandInTraffic(unsigned seed) : random_(seed) {}
    void start() { thread_ = std::thread([this] { run(); }); }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::vector<StandInRecord> records() const { return records_; }
    bool failed() const { return failed_; }

private:
    void run() {
        while (!stop_) {
            // A pause of 0 to 6 s between dialogs, then one that stays for its
            // 1st to 4th click.
            DWORD pause = std::uniform_int_distribution<DWORD>(0, 6000)(random_);
            wait_until([&] { return stop_.load(); }, pause);
            if (stop_) break;
            bool left = std::uniform_int_distribution<int>(0, 1)(random_) == 0;
            int x = left ? std::uniform_int_distribution<int>(0, 150)(random_)
                         : std::uniform_int_distribution<int>(690, 1024 - kStandInWidth)(random_);
            int y = std::uniform_int_distribution<int>(0, 560)(random_);
            size_t wanted = std::uniform_int_distribution<size_t>(1, 4)(random_);
            StandInRecord r;
            r.x = x + kStandInWidth / 2;
            r.y = y + kStandInHeight * 84 / 100;
            // The cursor waits on the point, so the click needs no pointer
            // warp, which Wine's virtual desktop can replay to the old place.
            park_cursor(r.x, r.y);
            auto dialog = std::make_unique<StandIn>();
            if (!dialog->start(x, y, kStandInWidth, kStandInHeight, true)) {
                say("soak: a stand-in did not start\n");
                failed_ = true;
                return;
            }
            // Each tick while it is open clicks it; ticks come every 3 s, and
            // a synchronous transfer of the program may hold one up to its
            // bound, so the wait allows for that.
            bool enough = wait_until([&] { return dialog->clicks().size() >= 2 * wanted || stop_; },
                                     static_cast<DWORD>(wanted) * kPeriodMs + kStepMs);
            for (const StandInEvent& e : dialog->clicks())
                if (e.kind == "down") r.presses.push_back(e);
            if (!enough && !stop_) {
                say("soak: a stand-in open for %zu ticks saw %zu presses\n", wanted, r.presses.size());
                failed_ = true;
            }
            dialog.reset();  // ends it, right after its last click
            records_.push_back(r);
        }
    }

    std::mt19937 random_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> failed_{false};
    std::vector<StandInRecord> records_;  // read after stop()
};

class Soak {
public:
    Soak(Process& app, HWND main, const std::wstring& exe) : app_(app), main_(main), exe_(exe) {}

    HWND window(const Text& title) {
        HWND w = nullptr;
        wait_until([&] { return (w = find_window_of(app_.id(), title)) != nullptr; }, kStepMs);
        return w;
    }
    // Destroyed, not merely hidden: the resource counts must not catch a
    // window on its way out.
    bool gone(HWND w) {
        return wait_until([&] { return !IsWindow(w); }, kStepMs);
    }
    static void click(HWND parent, int id) { PostMessageW(GetDlgItem(parent, id), BM_CLICK, 0, 0); }
    static void escape(HWND w) { PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0); }

    // Opens a window from a button of parent, checks it, closes it with Esc.
    bool open_and_escape(HWND parent, int id, const Text& title) {
        click(parent, id);
        HWND w = window(title);
        if (!w) return fail("did not open", title);
        escape(w);
        return gone(w) || fail("did not close on Esc", title);
    }

    // One round through every window of the program.
    bool cycle() {
        click(main_, kMainVersionButton);
        HWND version = window("版本信息");
        if (!version) return fail("did not open", "版本信息");
        HWND latest = GetDlgItem(version, kVersionLatest);
        click(version, kVersionCheck);
        if (!wait_until([&] { return window_text(latest) == "V 6.1"; }, kStepMs))
            return fail("update check did not show V 6.1", window_text(latest));
        if (!open_and_escape(version, kVersionAnnouncement, "联网公告")) return false;
        if (!open_and_escape(version, kVersionAuthor, "Hi～")) return false;
        if (!open_and_escape(version, kVersionHelp, "检查更新·帮助")) return false;
        escape(version);
        if (!gone(version)) return fail("did not close on Esc", "版本信息");

        HWND picture = GetDlgItem(main_, kMainPicture);
        PostMessageW(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        PostMessageW(picture, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
        HWND egg = window("隐藏彩蛋");
        if (!egg) return fail("did not open", "隐藏彩蛋");
        if (!open_and_escape(egg, kEggAgree, "QQ")) return false;
        click(egg, kEggCancel);
        if (!gone(egg)) return fail("did not close on 取消", "隐藏彩蛋");
        return wait_until([&] { return IsWindowEnabled(main_) != FALSE; }, kStepMs) ||
               fail("stayed disabled", "Tallowin");
    }

    ProcessResources resources() { return process_resources(app_.handle(), app_.id(), exe_); }

    bool fail(const char* what, const Text& title) {
        say("soak: %s: %s\n", title.c_str(), what);
        return false;
    }

private:
    Process& app_;
    HWND main_;
    std::wstring exe_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const double minutes = argc > 1 ? std::wcstod(argv[1], nullptr) : 30.0;
    const DWORD run_ms = static_cast<DWORD>(minutes * 60000);
    unsigned seed = argc > 2 ? static_cast<unsigned>(std::wcstoul(argv[2], nullptr, 10)) : GetTickCount();
    say("soak: %.1f minutes, seed %u\n", minutes, seed);

    CreateDirectoryW((kRoot + L"\\tallowin").c_str(), nullptr);
    CreateDirectoryW((kRoot + L"\\tallowin\\raw").c_str(), nullptr);
    CreateDirectoryW(kRemoteDir.c_str(), nullptr);
    DeleteFileW((kRoot + L"\\_mode").c_str());
    if (!write_file(kRemoteDir + L"\\版本.txt", "\"V 6.1\"\r\n") ||
        !write_file(kRemoteDir + L"\\公告.txt", "\xE5\x85\xAC\xE5\x91\x8A\r\nsoak\r\n")) {
        say("soak: cannot write the remote files\n");
        return 1;
    }

    const std::wstring exe = built_program(L"Tallowin_loopback.exe");
    Process app;
    HWND main = nullptr;
    if (!app.start(L"\"" + exe + L"\"") ||
        !wait_until([&] { return (main = find_window_of(app.id(), "Tallowin")) != nullptr; }, 20000)) {
        say("soak: Tallowin did not start\n");
        return 1;
    }
    Soak soak(app, main, exe);
    say("soak: resources at start: %s\n", describe(soak.resources()).c_str());

    StandInTraffic traffic(seed);
    traffic.start();
    const DWORD start = GetTickCount();
    DWORD next_report = 5 * 60000;
    int cycles = 0;
    bool cycles_ok = true;
    // The line must be flat from the end of the warm-up on: the first minute
    // (half the run, when shorter), in which WinInet, the sound device and
    // the heap make what they keep for the rest of the program's life.
    const DWORD warm_up_ms = std::min<DWORD>(60000, run_ms / 2);
    ProcessResources warm;
    bool warmed = false;
    while (GetTickCount() - start < run_ms) {
        if (!(cycles_ok = soak.cycle())) break;
        ++cycles;
        if (!warmed && GetTickCount() - start >= warm_up_ms) {
            warm = soak.resources();
            warmed = true;
            say("soak: resources after the warm-up, %d rounds: %s\n", cycles, describe(warm).c_str());
        }
        if (GetTickCount() - start >= next_report) {
            say("soak: resources after %lu min, %d rounds: %s\n",
                static_cast<unsigned long>((GetTickCount() - start) / 60000), cycles,
                describe(soak.resources()).c_str());
            next_report += 5 * 60000;
        }
    }
    traffic.stop();
    // Let a tick that began at the last close finish its work.
    wait_until([] { return false; }, 500);
    ProcessResources end = soak.resources();
    say("soak: resources at the end, %d rounds: %s\n", cycles, describe(end).c_str());

    int passed = 0, failed = 0;
    auto check = [&](bool ok, const char* what) {
        say("%s %s\n", ok ? "ok  " : "FAIL", what);
        (ok ? passed : failed)++;
    };
    check(cycles_ok && cycles > 0, "every window opened and closed through its own control");
    check(!traffic.failed(), "every stand-in open across a tick was clicked");

    long clicks = 0;
    bool exact = true;
    std::vector<StandInRecord> records = traffic.records();
    for (const StandInRecord& r : records)
        for (const StandInEvent& e : r.presses) {
            ++clicks;
            if (e.a != r.x || e.b != r.y) {
                exact = false;
                say("soak: a press at (%ld, %ld), aimed at (%d, %d)\n", e.a, e.b, r.x, r.y);
            }
        }
    say("soak: %zu stand-ins, %ld presses\n", records.size(), clicks);
    check(exact, "every press landed at its stand-in's exact point");
    Text counter = window_text(GetDlgItem(main, kMainCounter));
    check(parse_int(counter) == clicks, "the counter equals the presses");

    HWND log = GetDlgItem(main, kMainRunLog);
    long lines = static_cast<long>(SendMessageW(log, LB_GETCOUNT, 0, 0));
    bool log_ok = lines == clicks + 1;
    for (long i = 0; i < lines && log_ok; ++i) {
        Text line = list_line(log, static_cast<int>(i));
        const Text suffix = i == 0 ? " 自动签到开始运行" : " 自动签到";
        log_ok = line.size() > suffix.size() && line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                 SendMessageW(log, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) == i + 1;
        if (!log_ok) say("soak: run log line %ld: %s\n", i + 1, line.c_str());
    }
    say("soak: counter %s, run log %ld lines\n", counter.c_str(), lines);
    check(log_ok, "the run log holds one line per press, with its number as item data");

    bool flat = warmed && end.windows == warm.windows && end.handles - warm.handles <= 10 &&
                end.gdi_objects - warm.gdi_objects <= 10 && end.private_kb - warm.private_kb <= 4096;
    check(flat, "windows, kernel handles, GDI objects and private memory came back to a flat line");

    DWORD code = 1234;
    PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
    check(app.wait_exit(20000, &code) && code == 0, "Esc ends the program with exit code 0");
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
