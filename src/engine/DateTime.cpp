#include "engine/DateTime.h"

#include "engine/LunarCore.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace tavemo::engine {

namespace {

constexpr int kMsPerDay = 86'400'000;
// Day 0 of the date-time scale, 1899-12-30, counted from 1970-01-01.
constexpr long kEpochShift = -25'569;
// Day 0 of the date-time scale on LunarCore's day-number scale.
constexpr long kDayNumberOfDayZero = 693'594;

long floorDiv(long a, long b) { return (a >= 0 ? a : a - (b - 1)) / b; }

// Days from 1970-01-01 to a proleptic Gregorian date: only for the clock, which is Gregorian.
long daysFromCivil(long y, int m, int d)
{
    y -= m <= 2;
    const long era = floorDiv(y, 400);
    const long yoe = y - era * 400;                                    // [0, 399]
    const long doy = (153L * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1; // [0, 365]
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;            // [0, 146096]
    return era * 146'097 + doe - 719'468;
}

// The day of a value (integer part toward zero), or false when outside the supported dates.
bool dayOf(DateTime value, long& day)
{
    const double whole = std::trunc(value);
    if (!(whole >= kMinDateTime && whole <= kMaxDateTime))
        return false; // NaN fails here too
    day = static_cast<long>(whole);
    return true;
}

struct Ymd {
    int year = 0, month = 0, day = 0;
};

// The historical date of a day on the scale (within the supported range).
Ymd dateOfDay(long day)
{
    Ymd date;
    DayNumberToDate(static_cast<int>(day + kDayNumberOfDayZero), date.year, date.month, date.day);
    return date;
}

long dayOfDate(int year, int month, int day) { return GetDayNumber(year, month, day) - kDayNumberOfDayZero; }

} // namespace

int daysInMonth(int year, int month) { return GetMonthDays(year, month); }

bool isValidDate(int year, int month, int day)
{
    return year >= kMinDateTimeYear && year <= kMaxDateTimeYear && day >= 1 && day <= GetMonthDays(year, month) &&
           !isDroppedDay(year, month, day);
}

bool tryEncodeDate(int year, int month, int day, DateTime& out)
{
    if (!isValidDate(year, month, day))
        return false;
    out = static_cast<DateTime>(dayOfDate(year, month, day));
    return true;
}

bool monthLayout(int year, int month, MonthLayout& out)
{
    DateTime first = 0, last = 0;
    if (!tryEncodeDate(year, month, 1, first) || !tryEncodeDate(year, month, daysInMonth(year, month), last))
        return false;
    out.first = first;
    out.leadingCells = dayOfWeek(first) - 1;
    out.dayCount = static_cast<int>(last - first) + 1;
    return true;
}

bool tryEncodeTime(int hour, int minute, int second, int msec, double& out)
{
    if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 || msec < 0 || msec >= 1000)
        return false;
    out = (((hour * 60 + minute) * 60 + second) * 1000 + msec) / static_cast<double>(kMsPerDay);
    return true;
}

bool decodeDate(DateTime value, int& year, int& month, int& day)
{
    long d = 0;
    if (!dayOf(value, d))
        return false;
    const Ymd date = dateOfDay(d);
    year = date.year;
    month = date.month;
    day = date.day;
    return true;
}

bool decodeTime(DateTime value, int& hour, int& minute, int& second, int& msec)
{
    long d = 0;
    if (!dayOf(value, d))
        return false;
    long ms = std::lround(std::fabs(value - std::trunc(value)) * kMsPerDay);
    if (ms >= kMsPerDay)
        ms = kMsPerDay - 1;
    hour = static_cast<int>(ms / 3'600'000);
    minute = static_cast<int>(ms / 60'000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
    return true;
}

int dayOfWeek(DateTime value)
{
    long d = 0;
    if (!dayOf(value, d))
        return 0;
    // Day 0 (1899-12-30) was a Saturday.
    return static_cast<int>((d + 6) - floorDiv(d + 6, 7) * 7) + 1;
}

const char* weekdayCharacter(int weekday)
{
    static const char* const names[] = {"日", "一", "二", "三", "四", "五", "六"};
    return weekday >= 1 && weekday <= 7 ? names[weekday - 1] : "";
}

int isoWeekNumber(DateTime value, int* weekYear)
{
    long d = 0;
    if (!dayOf(value, d))
        return 0;
    const int isoWeekday = (dayOfWeek(value) + 5) % 7 + 1; // Monday 1 .. Sunday 7
    // The week belongs to the year of its Thursday. The first days of year 1 (Saturday 1 January
    // and the Sunday) belong to the last week of 1 BC, a Julian leap year of 366 days.
    const long thursday = d - isoWeekday + 4;
    int year = 0, month = 0, day = 0;
    long dayOfYear = 0;
    if (DayNumberToDate(static_cast<int>(thursday + kDayNumberOfDayZero), year, month, day)) {
        dayOfYear = thursday - dayOfDate(year, 1, 1);
    } else {
        year = -1;
        dayOfYear = thursday - (dayOfDate(1, 1, 1) - 366);
    }
    if (weekYear)
        *weekYear = year;
    return static_cast<int>(dayOfYear / 7 + 1);
}

std::string formatIsoDate(DateTime value)
{
    int y = 0, m = 0, d = 0;
    if (!decodeDate(value, y, m, d))
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
    return text;
}

DateTime currentDateTime()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const long ms = static_cast<long>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000 + 1000) % 1000;
    const DateTime date =
        static_cast<DateTime>(daysFromCivil(local.tm_year + 1900L, local.tm_mon + 1, local.tm_mday) - kEpochShift);
    const long msOfDay = ((local.tm_hour * 60L + local.tm_min) * 60 + std::min(local.tm_sec, 59)) * 1000 + ms;
    return date + static_cast<double>(msOfDay) / kMsPerDay;
}

DateTime currentDate() { return std::trunc(currentDateTime()); }

} // namespace tavemo::engine
