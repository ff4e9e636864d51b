// Starts stand-in sign-in dialogs and then Tallowin.exe, and checks what the
// detector does to them as the user would see it: where the click lands, the
// counter, the run log, and the windows it must leave alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/convert.h"
#include "platform/datetime.h"
#include "platform/text.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/standin.h"

namespace {

// Control ids are the 1-based places in MainWindow's definition.
constexpr int kRunLog = 2, kRunLogButton = 3, kCounter = 6;
constexpr DWORD kStartMs = 20000;
// The first tick comes one period (3000 ms) after MainWindow is created and
// then one every period; the slack covers a late WM_TIMER on a busy machine.
constexpr DWORD kPeriodMs = 3000;
constexpr DWORD kSlackMs = 2000;

const Text kSuffix = " 自动签到";

std::string describe(const std::vector<StandInEvent>& events, bool with_times = false) {
    std::string s;
    for (const StandInEvent& e : events)
        s += e.kind + " " + std::to_string(e.a) + "," + std::to_string(e.b) +
             (with_times ? " at " + std::to_string(e.c) : "") + "; ";
    return s.empty() ? "(none)" : s;
}

// "down X,Y; up X,Y; " once per expected click.
std::string clicks_at(int x, int y, int times) {
    std::vector<StandInEvent> expected;
    for (int i = 0; i < times; ++i) {
        expected.push_back({"down", x, y});
        expected.push_back({"up", x, y});
    }
    return describe(expected);
}

bool ends_with(const Text& s, const Text& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The message times of every press that was followed by its release, both
// at (x, y).
std::vector<long> click_times(const StandIn& s, long x, long y) {
    std::vector<StandInEvent> c = s.clicks();
    std::vector<long> times;
    for (size_t i = 0; i + 1 < c.size(); ++i)
        if (c[i].kind == "down" && c[i + 1].kind == "up" && c[i].a == x && c[i].b == y && c[i + 1].a == x &&
            c[i + 1].b == y)
            times.push_back(c[i].c);
    return times;
}

// True when every press s got has another press of s within the same tick:
// the pattern of a tick whose second click Wine sent back to the first point.
bool paired_within_ticks(const StandIn& s) {
    std::vector<long> downs;
    for (const StandInEvent& e : s.clicks())
        if (e.kind == "down") downs.push_back(e.c);
    for (long t : downs) {
        int same_tick = 0;
        for (long u : downs) same_tick += std::labs(t - u) < 1000;
        if (same_tick != 2) return false;
    }
    return true;
}

class DetectorE2E : public ::testing::Test {
protected:
    // Stand-ins are started first, so that the first tick already sees them.
    StandIn& stand_in(int x, int y, int w, int h, bool stay = false) {
        stand_ins.push_back(std::make_unique<StandIn>());
        StandIn& s = *stand_ins.back();
        EXPECT_TRUE(s.start(x, y, w, h, stay)) << "stand-in at " << x << "," << y << " did not show";
        RECT r = s.shown_rect();
        EXPECT_EQ(r.right - r.left, w);
        EXPECT_EQ(r.bottom - r.top, h);
        return s;
    }

    void start_app() {
        started_at = now_local();
        ASSERT_TRUE(app.start(L"\"" + std::wstring(TALLOWIN_APP_DIR_W) + L"\\Tallowin.exe\""));
        ASSERT_TRUE(wait_until([&] { return (main = find_window_of(app.id(), "Tallowin")) != nullptr; },
                               kStartMs))
            << "MainWindow did not appear";
        shown_tick = GetTickCount();
    }

    // Waits until s has seen `ups` button releases, at most `ticks` periods
    // after MainWindow appeared.
    bool wait_ups(StandIn& s, size_t ups, int ticks) {
        DWORD deadline = ticks * kPeriodMs + kSlackMs;
        DWORD spent = GetTickCount() - shown_tick;
        return wait_until(
            [&] {
                size_t n = 0;
                for (const StandInEvent& e : s.clicks()) n += e.kind == "up";
                return n >= ups;
            },
            spent < deadline ? deadline - spent : 0);
    }

    Text counter() { return window_text(GetDlgItem(main, kCounter)); }
    HWND run_log() { return GetDlgItem(main, kRunLog); }
    int log_count() { return static_cast<int>(SendMessageW(run_log(), LB_GETCOUNT, 0, 0)); }

    // Line index (0-based) is a sign-in line logged between started_at and now.
    void expect_sign_in_line(int index) {
        SCOPED_TRACE(index);
        const Text line = list_line(run_log(), index);
        EXPECT_EQ(SendMessageW(run_log(), LB_GETITEMDATA, index, 0), index + 1)
            << "item data is the line count before it plus one";
        ASSERT_TRUE(ends_with(line, kSuffix)) << line;
        // The date-time text of some second between the start and now.
        const Text stamp = line.substr(0, line.size() - kSuffix.size());
        const DateTime until = now_local();
        bool seen = false;
        for (DateTime t = started_at; t <= until + 1.0 / 86400 && !seen; t += 0.5 / 86400)
            seen = date_time_to_text(t) == stamp;
        EXPECT_TRUE(seen) << "stamp " << stamp << " is not a time of this run";
    }

    std::vector<std::unique_ptr<StandIn>> stand_ins;
    Process app;
    HWND main = nullptr;
    DWORD shown_tick = 0;
    DateTime started_at = 0;
};

TEST_F(DetectorE2E, SignsInAtTheDialogWithinOneTick) {
    StandIn& dialog = stand_in(100, 100, 465, 500);
    ASSERT_TRUE(park_cursor(332, 520));
    start_app();
    ASSERT_TRUE(wait_ups(dialog, 1, 1)) << "not clicked within one tick: " << describe(dialog.clicks());
    // The horizontal centre, 84% down: (100+565)/2 and 100 + 0.84 * 500.
    EXPECT_EQ(describe(dialog.clicks()), clicks_at(332, 520, 1));
    DWORD code = 1234;
    EXPECT_TRUE(dialog.process().wait_exit(5000, &code)) << "the stand-in did not close on its click";

    EXPECT_EQ(counter(), "1");
    ASSERT_EQ(log_count(), 2);
    expect_sign_in_line(1);
}

TEST_F(DetectorE2E, NeighbouringProportionsAreNeverClickedWhileAnOpenDialogIsClickedEveryTick) {
    // Exactly 0.92 and exactly 0.94 lie outside the accepted band. Laid out so
    // that no window covers another's click point, nor MainWindow any of them.
    StandIn& narrow = stand_in(0, 0, 460, 500, true);
    StandIn& wide = stand_in(554, 0, 470, 500, true);
    StandIn& dialog = stand_in(280, 260, 465, 500, true);
    ASSERT_TRUE(park_cursor(512, 680));
    start_app();
    // MainWindow with its run log shown (284 x 300, about 0.9467) must not
    // match either.
    PostMessageW(GetDlgItem(main, kRunLogButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(wait_until([&] { RECT r = window_rect(main); return r.bottom - r.top == 300; }, 5000));

    ASSERT_TRUE(wait_ups(dialog, 2, 2)) << "the open dialog was not clicked on two ticks: "
                                        << describe(dialog.clicks());
    EXPECT_EQ(describe(dialog.clicks()), clicks_at(512, 680, 2));
    // Every match steps the counter before it clicks, so a decoy or MainWindow
    // clicked in these ticks would show here.
    EXPECT_EQ(counter(), "2");
    EXPECT_EQ(describe(narrow.clicks()), "(none)");
    EXPECT_EQ(describe(wide.clicks()), "(none)");
    ASSERT_GE(log_count(), 3);
    expect_sign_in_line(1);
    expect_sign_in_line(2);
}

TEST_F(DetectorE2E, TwoDialogsInOneTickAreEachCountedClickedAndLogged) {
    StandIn& left = stand_in(0, 100, 465, 500, true);
    StandIn& right = stand_in(500, 200, 465, 500, true);
    // Parked on one dialog's point: each tick then moves the cursor to the
    // other one and back. A move can race with
    // Wine's replay of the old position (see park_cursor), which sends that
    // click to the dialog clicked before; both stay open, so a tick that
    // lost the race is followed by others.
    ASSERT_TRUE(park_cursor(732, 620));
    start_app();
    // Two clicks of one tick lie well within a second; ticks, a period apart.
    long apart = -1;
    bool both = wait_until(
        [&] {
            for (long l : click_times(left, 232, 520))
                for (long r : click_times(right, 732, 620))
                    if (std::labs(l - r) < 1000) {
                        apart = std::labs(l - r);
                        return true;
                    }
            return false;
        },
        3 * kPeriodMs + kSlackMs);
    // Every press landed where one of the two was aimed, in its own window.
    for (const StandInEvent& e : left.clicks()) EXPECT_TRUE(e.a == 232 && e.b == 520) << describe({e});
    for (const StandInEvent& e : right.clicks()) EXPECT_TRUE(e.a == 732 && e.b == 620) << describe({e});
    const bool clicked = left.clicks().size() + right.clicks().size() >= 4;
    if (!both && clicked && paired_within_ticks(left) && paired_within_ticks(right))
        GTEST_SKIP() << "Wine sent both clicks of every tick to one dialog (its replay of the old cursor "
                        "position won each race); left: "
                     << describe(left.clicks(), true) << " right: " << describe(right.clicks(), true);
    ASSERT_TRUE(both) << "no tick clicked both; left: " << describe(left.clicks(), true)
                      << " right: " << describe(right.clicks(), true);
    EXPECT_LT(apart, 1000);

    // Two steps and two lines per tick. Read between ticks: Wine may answer
    // our messages inside a tick (while it injects the click), between the
    // two sign-ins.
    Text now;
    EXPECT_TRUE(wait_until([&] { now = counter(); return log_count() == parse_int(now) + 1; }, 2000))
        << "counter " << now << " with " << log_count() << " lines";
    EXPECT_EQ(parse_int(now) % 2, 0) << "counter " << now;
    EXPECT_GE(parse_int(now), 2);
    for (int i = 1; i < log_count(); ++i) expect_sign_in_line(i);
}

}  // namespace
