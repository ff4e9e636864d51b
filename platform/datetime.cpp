// DateTime: days since 1899-12-30 00:00 local time as a double,
// built from calendar fields or the clock, and its text form that begins every
// run-log line ("2020年3月18日5时4分15秒"). Calendar arithmetic is proleptic
// Gregorian on 64-bit integers, after H. Hinnant's days_from_civil.
#include "platform/datetime.h"

#include <cmath>
#include <cstdint>
#include <ctime>
#include <string>

namespace {

using std::int64_t;

constexpr int64_t seconds_per_day = 86400;
// 1899-12-30 counted from 1970-01-01.
constexpr int64_t serial_epoch_offset = -25569;
// 0100-01-01 and 9999-12-31, the range date_time_to_text clamps to.
constexpr double first_serial = -657434.0;
constexpr double last_serial = 2958465.0;

int64_t floor_div(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int64_t floor_mod(int64_t a, int64_t b) { return a - floor_div(a, b) * b; }

// Days since 1970-01-01 of a proleptic Gregorian date, month 1..12.
int64_t days_from_civil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = floor_div(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct CivilDate {
    int64_t year, month, day;
};

CivilDate civil_from_days(int64_t z) {
    z += 719468;
    const int64_t era = floor_div(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    return CivilDate{yoe + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

// OLE automation convention for days before 1899-12-30: the integer part
// (toward zero) is the day and the fraction's absolute value the time of day,
// so -1.25 is 1899-12-29 06:00 (not 1899-12-28 18:00).
DateTime from_day_and_seconds(int64_t serial_day, int64_t second_of_day) {
    const double day = static_cast<double>(serial_day);
    const double time = static_cast<double>(second_of_day) / seconds_per_day;
    return serial_day >= 0 ? day + time : day - time;
}

std::string number(int64_t v) { return std::to_string(static_cast<long long>(v)); }

}  // namespace

// Fields outside their usual ranges carry over (month 13 is January of the
// next year, second 60 the next minute, day 0 the last day of the month before).
DateTime make_date_time(int year, int month, int day, int hour, int minute, int second) {
    const int64_t m0 = static_cast<int64_t>(month) - 1;
    const int64_t y = static_cast<int64_t>(year) + floor_div(m0, 12);
    const int64_t m = floor_mod(m0, 12) + 1;
    const int64_t serial = days_from_civil(y, m, 1) - serial_epoch_offset +
                         (static_cast<int64_t>(day) - 1);
    const int64_t total = serial * seconds_per_day + static_cast<int64_t>(hour) * 3600 +
                          static_cast<int64_t>(minute) * 60 + second;
    return from_day_and_seconds(floor_div(total, seconds_per_day),
                                floor_mod(total, seconds_per_day));
}

DateTime now_local() {
    const std::time_t now = std::time(nullptr);
    // localtime's static result is fine here: the program's logic runs on the
    // user-interface thread alone (mingw's msvcrt keeps it per thread anyway).
    const std::tm* lt = std::localtime(&now);
    if (lt == nullptr) return 0.0;
    return make_date_time(lt->tm_year + 1900, lt->tm_mon + 1, lt->tm_mday, lt->tm_hour,
                          lt->tm_min, lt->tm_sec);
}

Text date_time_to_text(DateTime t) {
    // NaN has no date; it is shown as day 0 (1899-12-30).
    if (std::isnan(t)) t = 0.0;
    if (t < first_serial) t = first_serial;
    if (t > last_serial) t = last_serial;

    const double whole = std::trunc(t);
    const double fraction = std::fabs(t - whole);  // exact for doubles
    int64_t day = static_cast<int64_t>(whole);
    int64_t second_of_day = static_cast<int64_t>(std::round(fraction * seconds_per_day));
    if (second_of_day >= seconds_per_day) {  // 23:59:59.5 and later: the next calendar day
        second_of_day -= seconds_per_day;
        day += 1;
    }

    const CivilDate date = civil_from_days(day + serial_epoch_offset);
    const int64_t hour = second_of_day / 3600;
    const int64_t minute = second_of_day / 60 % 60;
    const int64_t second = second_of_day % 60;

    // Code page 936 bytes written as escapes so that the file compiles the
    // same under any execution character set (clang has no GBK).
    Text out = number(date.year) + "\xC4\xEA" /* 年 */ + number(date.month) +
               "\xD4\xC2" /* 月 */ + number(date.day) + "\xC8\xD5" /* 日 */;
    if (second != 0) {
        out += number(hour) + "\xCA\xB1" /* 时 */ + number(minute) + "\xB7\xD6" /* 分 */ +
               number(second) + "\xC3\xEB" /* 秒 */;
    } else if (minute != 0) {
        out += number(hour) + "\xCA\xB1" /* 时 */ + number(minute) + "\xB7\xD6" /* 分 */;
    } else if (hour != 0) {
        out += number(hour) + "\xCA\xB1" /* 时 */;
    }
    return out;
}
