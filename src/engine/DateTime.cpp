#include "DateTime.h"

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

long floorDiv(long a, long b) { return (a >= 0 ? a : a - (b - 1)) / b; }

// Days from 1970-01-01 to a proleptic Gregorian date, for any year (eras of 400 years).
long daysFromCivil(long y, int m, int d)
{
    y -= m <= 2;
    const long era = floorDiv(y, 400);
    const long yoe = y - era * 400;                                 // [0, 399]
    const long doy = (153L * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1; // [0, 365]
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;         // [0, 146096]
    return era * 146'097 + doe - 719'468;
}

struct Civil {
    long year;
    int month;
    int day;
};

// Inverse of daysFromCivil.
Civil civilFromDays(long z)
{
    z += 719'468;
    const long era = floorDiv(z, 146'097);
    const long doe = z - era * 146'097;                                 // [0, 146096]
    const long yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365; // [0, 399]
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);           // [0, 365]
    const long mp = (5 * doy + 2) / 153;                                 // [0, 11]
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (month <= 2), month, day};
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

} // namespace

int daysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isGregorianLeapYear(year) ? 29 : kDays[month - 1];
}

bool isValidDate(int year, int month, int day)
{
    return year >= kMinDateTimeYear && year <= kMaxDateTimeYear && day >= 1 &&
           day <= daysInMonth(year, month);
}

bool tryEncodeDate(int year, int month, int day, DateTime& out)
{
    if (!isValidDate(year, month, day))
        return false;
    out = static_cast<DateTime>(daysFromCivil(year, month, day) - kEpochShift);
    return true;
}

bool tryEncodeTime(int hour, int minute, int second, int msec, double& out)
{
    if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 ||
        msec < 0 || msec >= 1000)
        return false;
    out = (((hour * 60 + minute) * 60 + second) * 1000 + msec) / static_cast<double>(kMsPerDay);
    return true;
}

bool decodeDate(DateTime value, int& year, int& month, int& day)
{
    long d = 0;
    if (!dayOf(value, d))
        return false;
    const Civil c = civilFromDays(d + kEpochShift);
    year = static_cast<int>(c.year);
    month = c.month;
    day = c.day;
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

int isoWeekNumber(DateTime value, int* weekYear)
{
    long d = 0;
    if (!dayOf(value, d))
        return 0;
    const int isoWeekday = (dayOfWeek(value) + 5) % 7 + 1; // Monday 1 .. Sunday 7
    // The week belongs to the year of its Thursday.
    const long thursday = d - isoWeekday + 4;
    const Civil t = civilFromDays(thursday + kEpochShift);
    const long dayOfYear = thursday + kEpochShift - daysFromCivil(t.year, 1, 1);
    if (weekYear)
        *weekYear = static_cast<int>(t.year);
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
    const long ms = static_cast<long>(
        duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000 + 1000) % 1000;
    const DateTime date = static_cast<DateTime>(
        daysFromCivil(local.tm_year + 1900L, local.tm_mon + 1, local.tm_mday) - kEpochShift);
    const long msOfDay = ((local.tm_hour * 60L + local.tm_min) * 60 + std::min(local.tm_sec, 59)) * 1000 + ms;
    return date + static_cast<double>(msOfDay) / kMsPerDay;
}

DateTime currentDate()
{
    return std::trunc(currentDateTime());
}

} // namespace tavemo::engine
