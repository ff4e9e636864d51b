// Host tests of DateTime (platform/datetime.h): serial numbers from calendar
// fields, the run-log text form with its four shapes, clamping, rounding to the
// nearest second, and dates before 1899-12-30. Literals are GBK.
#include "platform/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string>

namespace {

constexpr double kSecond = 1.0 / 86400.0;

TEST(DateTime, MakeDateTime) {
    struct Row {
        int y, mo, d, h, mi, s;
        double expected;
    };
    const Row rows[] = {
        {1899, 12, 30, 0, 0, 0, 0.0},
        {1899, 12, 31, 0, 0, 0, 1.0},
        {1900, 1, 1, 0, 0, 0, 2.0},
        {1900, 3, 1, 0, 0, 0, 61.0},  // 1900 is no leap year
        {1970, 1, 1, 0, 0, 0, 25569.0},
        {2000, 2, 29, 0, 0, 0, 36585.0},
        {2020, 3, 18, 0, 0, 0, 43908.0},
        {2020, 3, 18, 12, 0, 0, 43908.5},
        {2020, 3, 18, 6, 0, 0, 43908.25},
        {100, 1, 1, 0, 0, 0, -657434.0},
        {9999, 12, 31, 0, 0, 0, 2958465.0},
        {1800, 1, 1, 0, 0, 0, -36522.0},
        // Before 1899-12-30 the fraction's absolute value is the time of day.
        {1899, 12, 29, 0, 0, 0, -1.0},
        {1899, 12, 29, 6, 0, 0, -1.25},
        {1899, 12, 29, 18, 0, 0, -1.75},
        {1899, 12, 28, 12, 0, 0, -2.5},
        // Fields out of range carry over.
        {2020, 13, 1, 0, 0, 0, 44197.0},   // 2021-01-01
        {2020, 3, 0, 0, 0, 0, 43890.0},    // 2020-02-29
        {2020, 3, 17, 24, 0, 0, 43908.0},  // 2020-03-18 00:00
        {1899, 12, 30, 0, 0, -43200, -1.5},  // 1899-12-29 12:00
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.y) + "-" + std::to_string(r.mo) + "-" + std::to_string(r.d) +
                     " " + std::to_string(r.h) + ":" + std::to_string(r.mi) + ":" +
                     std::to_string(r.s));
        EXPECT_NEAR(make_date_time(r.y, r.mo, r.d, r.h, r.mi, r.s), r.expected, 1e-9);
    }
    EXPECT_NEAR(make_date_time(2020, 3, 18, 5, 4, 15),
                43908.0 + (5 * 3600 + 4 * 60 + 15) * kSecond, 1e-9);
}

TEST(DateTime, DateTimeToText) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double d0318 = make_date_time(2020, 3, 18, 0, 0, 0);
    struct Row {
        const char* what;
        double t;
        Text expected;
    };
    const Row rows[] = {
        // The five shapes of the run-log time stamp.
        {"05:04:15", make_date_time(2020, 3, 18, 5, 4, 15), "2020年3月18日5时4分15秒"},
        {"08:00:00", make_date_time(2020, 3, 18, 8, 0, 0), "2020年3月18日8时"},
        {"08:30:00", make_date_time(2020, 3, 18, 8, 30, 0), "2020年3月18日8时30分"},
        {"00:00:05", make_date_time(2020, 3, 18, 0, 0, 5), "2020年3月18日0时0分5秒"},
        {"midnight", d0318, "2020年3月18日"},
        // The remaining shapes of the rule.
        {"00:30:00", make_date_time(2020, 3, 18, 0, 30, 0), "2020年3月18日0时30分"},
        {"23:59:59", make_date_time(2020, 3, 18, 23, 59, 59), "2020年3月18日23时59分59秒"},
        {"10:00:01", make_date_time(2020, 3, 18, 10, 0, 1), "2020年3月18日10时0分1秒"},
        {"12:00:00", d0318 + 0.5, "2020年3月18日12时"},
        // Nearest second.
        {"05:04:14.6", make_date_time(2020, 3, 18, 5, 4, 14) + 0.6 * kSecond,
         "2020年3月18日5时4分15秒"},
        {"05:04:15.4", make_date_time(2020, 3, 18, 5, 4, 15) + 0.4 * kSecond,
         "2020年3月18日5时4分15秒"},
        {"07:59:59.7", make_date_time(2020, 3, 18, 7, 59, 59) + 0.7 * kSecond,
         "2020年3月18日8时"},
        {"midnight - 0.3 s", d0318 - 0.3 * kSecond, "2020年3月18日"},
        {"23:59:59.6", make_date_time(2020, 3, 18, 23, 59, 59) + 0.6 * kSecond,
         "2020年3月19日"},
        {"2020-02-29 23:59:59.7", make_date_time(2020, 2, 29, 23, 59, 59) + 0.7 * kSecond,
         "2020年3月1日"},
        {"2019-12-31 23:59:59.6", make_date_time(2019, 12, 31, 23, 59, 59) + 0.6 * kSecond,
         "2020年1月1日"},
        {"2019-02-28 23:59:59.9", make_date_time(2019, 2, 28, 23, 59, 59) + 0.9 * kSecond,
         "2019年3月1日"},
        // Calendar.
        {"day 0", 0.0, "1899年12月30日"},
        {"day 2", 2.0, "1900年1月1日"},
        {"day 60", 60.0, "1900年2月28日"},
        {"day 61", 61.0, "1900年3月1日"},
        {"2000-02-29", 36585.0, "2000年2月29日"},
        {"2100-03-01", make_date_time(2100, 3, 1, 0, 0, 0), "2100年3月1日"},
        // Clamped to 100-01-01 .. 9999-12-31 (the value, then rounded).
        {"upper bound", 2958465.0, "9999年12月31日"},
        {"above", 2958465.9, "9999年12月31日"},
        {"far above", 1e300, "9999年12月31日"},
        {"+inf", inf, "9999年12月31日"},
        {"lower bound", -657434.0, "100年1月1日"},
        {"below", -657434.5, "100年1月1日"},
        {"far below", -1e300, "100年1月1日"},
        {"-inf", -inf, "100年1月1日"},
        {"NaN", nan, "1899年12月30日"},
        // Before 1899-12-30: the OLE automation convention.
        {"-1.0", -1.0, "1899年12月29日"},
        {"-1.25", -1.25, "1899年12月29日6时"},
        {"-1.75", -1.75, "1899年12月29日18时"},
        {"-0.5", -0.5, "1899年12月30日12时"},
        {"-2.5", -2.5, "1899年12月28日12时"},
        {"-36522", -36522.0, "1800年1月1日"},
        {"-1 - 23:59:59.6", -1.0 - (86399.6 * kSecond), "1899年12月30日"},
        {"1899-12-29 01:02:03", make_date_time(1899, 12, 29, 1, 2, 3),
         "1899年12月29日1时2分3秒"},
        {"0100-01-02 10:20:30", make_date_time(100, 1, 2, 10, 20, 30),
         "100年1月2日10时20分30秒"},
        // A time on the first day lies below -657434 in this convention, so
        // clamping the value leaves midnight.
        {"0100-01-01 10:20:30", make_date_time(100, 1, 1, 10, 20, 30), "100年1月1日"},
        {"9999-12-31 00:00:00.4", 2958465.0 + 0.4 * kSecond, "9999年12月31日"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(date_time_to_text(r.t), r.expected);
    }
}

// Every step of one day moves the text to the next calendar day, checked
// against an independent month-length rule over the whole clamped range.
TEST(DateTime, ConsecutiveDaysFollowTheCalendar) {
    auto leap = [](int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
    auto month_len = [&](int y, int m) {
        static const int len[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        return m == 2 && leap(y) ? 29 : len[m - 1];
    };
    auto parse = [](const Text& text, int& y, int& m, int& d) {
        return std::sscanf(text.c_str(), "%d年%d月%d日", &y, &m, &d) == 3;
    };
    int y = 0, m = 0, d = 0;
    ASSERT_TRUE(parse(date_time_to_text(-657434.0), y, m, d));
    EXPECT_EQ(y * 10000 + m * 100 + d, 1000101);
    for (long serial = -657433; serial <= 2958465; ++serial) {
        if (++d > month_len(y, m)) {
            d = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
        // Every day near the epoch and the Gregorian rule's century years;
        // a sample elsewhere keeps the test fast.
        const bool check = (serial > -800 && serial < 800) || (m <= 3 && y % 100 == 0) ||
                           serial % 97 == 0;
        if (!check) continue;
        int gy = 0, gm = 0, gd = 0;
        const Text text = date_time_to_text(static_cast<double>(serial));
        ASSERT_TRUE(parse(text, gy, gm, gd)) << "serial " << serial;
        ASSERT_EQ(gy * 10000 + gm * 100 + gd, y * 10000 + m * 100 + d) << "serial " << serial;
        ASSERT_EQ(make_date_time(y, m, d, 0, 0, 0), static_cast<double>(serial));
    }
    EXPECT_EQ(y * 10000 + m * 100 + d, 99991231);
}

TEST(DateTime, NowLocalIsTheClockInWholeSeconds) {
    const std::time_t before = std::time(nullptr);
    const DateTime now = now_local();
    const std::time_t after = std::time(nullptr);

    const double seconds_of_day = std::fabs(now - std::trunc(now)) * 86400.0;
    EXPECT_NEAR(seconds_of_day, std::round(seconds_of_day), 1e-4);

    const std::tm lb = *std::localtime(&before);
    const std::tm la = *std::localtime(&after);
    const DateTime low = make_date_time(lb.tm_year + 1900, lb.tm_mon + 1, lb.tm_mday,
                                        lb.tm_hour, lb.tm_min, lb.tm_sec);
    const DateTime high = make_date_time(la.tm_year + 1900, la.tm_mon + 1, la.tm_mday,
                                         la.tm_hour, la.tm_min, la.tm_sec);
    EXPECT_GE(now, low - 1e-9);
    EXPECT_LE(now, high + 1e-9);
    EXPECT_EQ(date_time_to_text(now).substr(0, 4), std::to_string(lb.tm_year + 1900));
}

}  // namespace
