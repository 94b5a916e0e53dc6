#include "engine/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>

using namespace tavemo::engine;

namespace {

struct DateAnchor {
    int year, month, day;
    DateTime value;
    int weekday; // 1 = Sunday
};

// Anchors from the scale's definition (day 0 = 1899-12-30, a Saturday), the change of 1582
// (Thursday 4 October, Julian, is followed by Friday 15 October, Gregorian), Julian dates the
// Gregorian rule has no twin for, and both ends of the range.
constexpr DateAnchor kAnchors[] = {
    {1899, 12, 30, 0, 7},     {1900, 1, 1, 2, 2},        {2000, 1, 1, 36526, 7},     {2011, 6, 29, 40723, 4},
    {2024, 2, 29, 45351, 5},  {1582, 10, 4, -115859, 5}, {1582, 10, 15, -115858, 6}, {1500, 2, 29, -146027, 7},
    {1000, 1, 1, -328711, 2}, {1, 1, 1, -693595, 7},     {9999, 12, 31, 2958465, 6},
};

} // namespace

TEST(DateTime, EncodesAndDecodesAnchors)
{
    for (const DateAnchor& a : kAnchors) {
        SCOPED_TRACE(testing::Message() << a.year << '-' << a.month << '-' << a.day);
        DateTime value = -1e9;
        ASSERT_TRUE(tryEncodeDate(a.year, a.month, a.day, value));
        EXPECT_EQ(value, a.value);
        int y = 0, m = 0, d = 0;
        // 18:00 of the day; before day 0 the fraction counts away from zero.
        ASSERT_TRUE(decodeDate(a.value < 0 ? a.value - 0.75 : a.value + 0.75, y, m, d));
        EXPECT_EQ(y, a.year);
        EXPECT_EQ(m, a.month);
        EXPECT_EQ(d, a.day);
        EXPECT_EQ(dayOfWeek(a.value), a.weekday);
    }
}

TEST(DateTime, WeekdayCharacters)
{
    // 29 June 2011 was a Wednesday (三); 1 January 2012 a Sunday (日).
    DateTime wednesday = 0, sunday = 0;
    ASSERT_TRUE(tryEncodeDate(2011, 6, 29, wednesday));
    ASSERT_TRUE(tryEncodeDate(2012, 1, 1, sunday));
    EXPECT_STREQ(weekdayCharacter(dayOfWeek(wednesday)), "三");
    EXPECT_STREQ(weekdayCharacter(dayOfWeek(sunday)), "日");
    EXPECT_STREQ(weekdayCharacter(7), "六");
    EXPECT_STREQ(weekdayCharacter(0), ""); // what dayOfWeek gives a value it rejects
    EXPECT_STREQ(weekdayCharacter(8), "");
}

TEST(DateTime, RejectsInvalidDatesAndLeavesOutputsUntouched)
{
    // The ten days of October 1582 that never were, and a Gregorian century year's 29 February.
    const int invalid[][3] = {{2023, 2, 29}, {1900, 2, 29}, {1700, 2, 29},  {2023, 4, 31},
                              {2023, 0, 1},  {2023, 13, 1}, {2023, 1, 0},   {0, 1, 1},
                              {10000, 1, 1}, {1582, 10, 5}, {1582, 10, 10}, {1582, 10, 14}};
    for (const auto& date : invalid) {
        DateTime value = 123.0;
        EXPECT_FALSE(tryEncodeDate(date[0], date[1], date[2], value)) << date[0] << '-' << date[1];
        EXPECT_EQ(value, 123.0);
    }
    DateTime leapDay = 0;
    EXPECT_TRUE(tryEncodeDate(2000, 2, 29, leapDay));
    EXPECT_TRUE(tryEncodeDate(1100, 2, 29, leapDay)); // Julian: every fourth year
    EXPECT_EQ(daysInMonth(1100, 2), 29);
    EXPECT_EQ(daysInMonth(1582, 10), 31);

    const double outside[] = {kMinDateTime - 1, kMaxDateTime + 1, std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity()};
    for (const double value : outside) {
        int y = 7, m = 7, d = 7, h = 7, mi = 7, s = 7, ms = 7;
        EXPECT_FALSE(decodeDate(value, y, m, d));
        EXPECT_FALSE(decodeTime(value, h, mi, s, ms));
        EXPECT_EQ(y + m + d + h + mi + s + ms, 49);
        EXPECT_EQ(dayOfWeek(value), 0);
        EXPECT_EQ(isoWeekNumber(value), 0);
        EXPECT_EQ(formatIsoDate(value), "");
    }
}

TEST(DateTime, TimeOfDay)
{
    double fraction = -1;
    ASSERT_TRUE(tryEncodeTime(6, 0, 0, 0, fraction));
    EXPECT_EQ(fraction, 0.25);
    EXPECT_FALSE(tryEncodeTime(24, 0, 0, 0, fraction));
    EXPECT_FALSE(tryEncodeTime(0, 60, 0, 0, fraction));
    EXPECT_FALSE(tryEncodeTime(0, 0, 0, 1000, fraction));
    EXPECT_EQ(fraction, 0.25);

    // A negative value keeps its integer part as the date and its fraction as the time.
    int y = 0, m = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    ASSERT_TRUE(decodeDate(-1.25, y, m, d));
    EXPECT_EQ(formatIsoDate(-1.25), "1899-12-29");
    ASSERT_TRUE(decodeTime(-1.25, h, mi, s, ms));
    EXPECT_EQ(h, 6);

    // Rounding to the millisecond never carries into the next day.
    ASSERT_TRUE(decodeTime(45000.99999999999, h, mi, s, ms));
    EXPECT_EQ(h * 10000000 + mi * 100000 + s * 1000 + ms, 235959999);
    ASSERT_TRUE(decodeTime(45000 + 13.5 / 24 + 1.0 / 86400, h, mi, s, ms));
    EXPECT_EQ(h * 10000000 + mi * 100000 + s * 1000 + ms, 133001000);
}

TEST(DateTime, IsoWeekNumbers)
{
    struct Case {
        int year, month, day, week, weekYear;
    };
    const Case cases[] = {
        {2024, 1, 1, 1, 2024},
        {2023, 1, 1, 52, 2022},
        {2021, 1, 1, 53, 2020},
        {2020, 12, 31, 53, 2020},
        {2024, 12, 30, 1, 2025},
        {2026, 1, 1, 1, 2026},
        {2027, 1, 3, 53, 2026},
        {2011, 6, 29, 26, 2011},
        {9999, 12, 31, 52, 9999},
        // Saturday 1 January of year 1 ends the last week of 1 BC (year -1, a leap year).
        {1, 1, 1, 53, -1},
        {1, 1, 3, 1, 1},
        // Monday 1 .. Sunday 17 October 1582 is one week.
        {1582, 10, 1, 40, 1582},
        {1582, 10, 4, 40, 1582},
        {1582, 10, 17, 40, 1582},
        {1582, 10, 18, 41, 1582},
    };
    for (const Case& c : cases) {
        DateTime value = 0;
        ASSERT_TRUE(tryEncodeDate(c.year, c.month, c.day, value));
        int weekYear = 0;
        EXPECT_EQ(isoWeekNumber(value, &weekYear), c.week) << formatIsoDate(value);
        EXPECT_EQ(weekYear, c.weekYear) << formatIsoDate(value);
    }
}

// Every day of the range: decoding inverts encoding, the weekday cycles and ISO weeks change
// exactly on Mondays, with week 1 holding 4 January.
TEST(DateTime, SweepOfEveryDay)
{
    int previousWeekday = 6; // Julian 0001-01-01 is a Saturday, so its eve is a Friday
    int previousWeek = 53;   // ... in the last week of 1 BC
    for (long day = static_cast<long>(kMinDateTime); day <= static_cast<long>(kMaxDateTime); ++day) {
        const DateTime value = static_cast<DateTime>(day);
        int y = 0, m = 0, d = 0;
        ASSERT_TRUE(decodeDate(value, y, m, d));
        DateTime back = 0;
        ASSERT_TRUE(tryEncodeDate(y, m, d, back));
        ASSERT_EQ(back, value);
        const int weekday = dayOfWeek(value);
        ASSERT_EQ(weekday, previousWeekday % 7 + 1) << y << '-' << m << '-' << d;
        previousWeekday = weekday;
        int weekYear = 0;
        const int week = isoWeekNumber(value, &weekYear);
        if (weekday == 2) {
            ASSERT_TRUE(week == 1 || week == previousWeek + 1) << y << '-' << m << '-' << d;
        } else {
            ASSERT_EQ(week, previousWeek) << y << '-' << m << '-' << d;
        }
        if (m == 1 && d == 4) {
            ASSERT_TRUE(week == 1 && weekYear == y) << y;
        }
        previousWeek = week;
    }
}

TEST(DateTime, FormatsAndReadsTheClock)
{
    EXPECT_EQ(formatIsoDate(0), "1899-12-30");
    EXPECT_EQ(formatIsoDate(kMinDateTime), "0001-01-01");
    EXPECT_EQ(formatIsoDate(45332.9), "2024-02-10");

    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    const DateTime now = currentDateTime();
    const DateTime today = currentDate();
    EXPECT_EQ(today, std::trunc(now));
    int y = 0, m = 0, d = 0;
    ASSERT_TRUE(decodeDate(today, y, m, d));
    // Unless the test straddles midnight, today is the C library's local date.
    if (local.tm_hour != 23 || local.tm_min != 59) {
        EXPECT_EQ(y * 10000 + m * 100 + d, (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday);
    }
}
