// DateTime: days since 1899-12-30 00:00 local time, the fraction being the
// time of day; and its text form that every run-log line begins with.
#pragma once

#include "platform/text.h"

using DateTime = double;

DateTime make_date_time(int year, int month, int day, int hour, int minute, int second);
DateTime now_local();
Text date_time_to_text(DateTime t);
