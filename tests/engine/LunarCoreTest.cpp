#include "engine/LunarCore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace tavemo::engine;

namespace {

struct Ymd {
    int year, month, day;
};

std::ostream& operator<<(std::ostream& os, const Ymd& d) { return os << d.year << '-' << d.month << '-' << d.day; }

DateTime dateTime(int year, int month, int day)
{
    DateTime value = 0;
    EXPECT_TRUE(tryEncodeDate(year, month, day, value));
    return value;
}

// "腊月三十", "闰六初一", ... as the calendar shows a lunar date.
std::string lunarText(int year, int month, int day, int* lunarYear = nullptr)
{
    bool leap = false;
    int lunarDay = 0, lunarMonth = 0, ly = 0;
    if (!GetLunarDate(year, month, day, leap, lunarDay, lunarMonth, ly))
        return "<fail>";
    if (lunarYear)
        *lunarYear = ly;
    return std::string(GetLunarMonthName(lunarMonth, leap)) + std::string(GetLunarDayName(lunarDay));
}

std::string ganZhi(int index) { return std::string(GetGanZhiName(index)); }

} // namespace

// ---------------------------------------------------------------------------------------------
// Historical day arithmetic

TEST(DayArithmetic, CalendarTypeAndLeapYears)
{
    EXPECT_EQ(GetCalendarType(1582, 10, 4), 1);
    EXPECT_EQ(GetCalendarType(1582, 10, 5), 0);
    EXPECT_EQ(GetCalendarType(1582, 10, 14), 0);
    EXPECT_EQ(GetCalendarType(1582, 10, 15), 2);
    EXPECT_EQ(GetCalendarType(1582, 9, 30), 1);
    EXPECT_EQ(GetCalendarType(-100, 1, 1), 1);
    EXPECT_TRUE(isDroppedDay(1582, 10, 10));
    EXPECT_FALSE(isDroppedDay(1582, 10, 15));

    struct Case {
        int year;
        bool leap;
    };
    const Case cases[] = {{1500, true}, {1700, false}, {1600, true}, {1582, false}, {1900, false},
                          {2000, true}, {4, true},     {-1, true},   {-5, true},    {-4, false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsHistoricLeapYear(c.year), c.leap) << c.year;

    EXPECT_EQ(GetMonthDays(2023, 0), 0);
    EXPECT_EQ(GetMonthDays(2023, 13), 0);
    EXPECT_EQ(GetMonthDays(2023, -1), 0);
    EXPECT_EQ(GetMonthDays(1500, 2), 29);
    EXPECT_EQ(GetMonthDays(1582, 10), 31);
    EXPECT_EQ(GetDayOfYear(2024, 12, 31), 366);
    EXPECT_EQ(GetDayOfYear(2023, 40, 1), 366); // months past December add nothing
}

TEST(DayArithmetic, DayNumbersAndBack)
{
    struct Case {
        Ymd date;
        int dayNumber;
    };
    const Case cases[] = {
        {{1582, 10, 4}, 577735},
        {{1582, 10, 15}, 577736},
        {{2000, 1, 1}, 730120},
        {{1, 1, 1}, -1},
        {{1, 1, 2}, 0},
        {{2026, 1, 1}, 739617},
        {{2024, 12, 31}, 739251},
        // Julian dates the Gregorian grid has no twin for come back exactly.
        {{1000, 12, 31}, 365248},
        {{1300, 2, 29}, 474517},
        {{1500, 2, 29}, 547567},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.date);
        EXPECT_EQ(GetDayNumber(c.date.year, c.date.month, c.date.day), c.dayNumber);
        Ymd back{};
        ASSERT_TRUE(DayNumberToDate(c.dayNumber, back.year, back.month, back.day));
        EXPECT_EQ(back.year * 10000 + back.month * 100 + back.day,
                  c.date.year * 10000 + c.date.month * 100 + c.date.day);
    }
    EXPECT_EQ(GetDayNumber(1582, 10, 10), 0);
    EXPECT_EQ(GetDayNumber(-849, 1, 21), -310443);

    // Below the first day of year 1 the day numbers are not consecutive: no date comes back.
    Ymd untouched{9, 9, 9};
    EXPECT_FALSE(DayNumberToDate(-2, untouched.year, untouched.month, untouched.day));
    EXPECT_EQ(untouched.year + untouched.month + untouched.day, 27);

    EXPECT_EQ(CompareDates(2024, 2, 10, 2024, 2, 9), 1);
    EXPECT_EQ(CompareDates(2024, 1, 31, 2024, 2, 1), -1);
    EXPECT_EQ(CompareDates(2023, 12, 31, 2024, 1, 1), -1);
    EXPECT_EQ(CompareDates(2024, 2, 10, 2024, 2, 10), 0);
}

// ---------------------------------------------------------------------------------------------
// Lunar dates

TEST(LunarTables, LeapMonthsAndCounts)
{
    EXPECT_EQ(LeapMonthTable.size(), 2950u);
    EXPECT_EQ(LeapMonthTable.substr(0, 10), "0c00800500");
    EXPECT_EQ(LeapMonthTable.substr(2900), "08006004003070050040800600400307005004080060040020");

    const int leaps[][2] = {{2017, 6}, {2020, 4}, {2023, 2}, {2025, 6}, {2033, 11}, {2024, 0}, {0, 0}};
    for (const auto& l : leaps)
        EXPECT_EQ(GetLeapMonth(l[0]), l[1]) << l[0];
    EXPECT_EQ(GetLeapMonth(-850), -1);
    EXPECT_EQ(GetLeapMonth(2101), -1);
    EXPECT_EQ(GetLeapMonthClamped(2101), 0);
    EXPECT_EQ(GetLeapMonthClamped(2033), 11);

    const int counts[][2] = {{-849, 0}, {-1, 311}, {1, 311}, {1900, 1011}, {1949, 1029}, {2000, 1047}, {2100, 1084}};
    for (const auto& c : counts)
        EXPECT_EQ(GetLeapMonthCount(c[0]), c[1]) << c[0];
}

TEST(LunarDates, KnownDates)
{
    struct Case {
        Ymd date;
        int lunarYear;
        const char* text;
    };
    const Case cases[] = {
        {{2024, 2, 9}, 2023, "腊月三十"},
        {{2024, 2, 10}, 2024, "正月初一"},
        {{2000, 1, 1}, 1999, "冬月廿五"},
        {{1949, 10, 1}, 1949, "八月初十"},
        {{2024, 6, 10}, 2024, "五月初五"},
        {{2024, 9, 17}, 2024, "八月十五"},
        {{2011, 6, 30}, 2011, "五月廿九"},
        // Leap months.
        {{2023, 3, 22}, 2023, "闰二初一"},
        {{2023, 4, 20}, 2023, "三月初一"},
        {{2020, 5, 23}, 2020, "闰四初一"},
        {{2025, 7, 24}, 2025, "六月三十"},
        {{2025, 7, 25}, 2025, "闰六初一"},
        {{2033, 12, 22}, 2033, "闰冬初一"},
        {{2034, 1, 20}, 2033, "腊月初一"},
        // Months whose new moon the formula places a day off, corrected.
        {{1914, 11, 16}, 1914, "九月廿九"},
        {{1914, 11, 17}, 1914, "十月初一"},
        {{1914, 12, 17}, 1914, "冬月初一"},
        {{1916, 2, 2}, 1915, "腊月廿九"},
        {{1916, 2, 3}, 1916, "正月初一"},
        {{1916, 3, 4}, 1916, "二月初一"},
        {{1920, 11, 10}, 1920, "十月初一"},
        {{1920, 12, 10}, 1920, "冬月初一"},
        {{1924, 3, 4}, 1924, "正月廿九"},
        {{1924, 3, 5}, 1924, "二月初一"},
        {{1924, 4, 4}, 1924, "三月初一"},
        {{2018, 11, 7}, 2018, "九月三十"},
        {{2018, 11, 8}, 2018, "十月初一"},
        {{2018, 12, 7}, 2018, "冬月初一"},
        // 2025 needs no correction.
        {{2025, 4, 6}, 2025, "三月初九"},
        {{2025, 4, 7}, 2025, "三月初十"},
        {{2025, 4, 28}, 2025, "四月初一"},
        {{2025, 5, 26}, 2025, "四月廿九"},
        {{2025, 5, 27}, 2025, "五月初一"},
        // A leap first month that starts in February is not called 二月.
        {{1640, 2, 21}, 1640, "正月三十"},
        {{1640, 2, 22}, 1640, "闰正初一"},
        // Before 1901 the months are the issued ones: a leap twelfth month (246), the last month
        // of 236 of 28 days, 237 going from its second month to its fourth, 8 ending after its
        // eleventh month, and year 1 opening in the lunar year -1 (the one that began in 1 BC).
        {{246, 12, 26}, 246, "腊月初二"},
        {{247, 2, 1}, 246, "闰腊初九"},
        {{247, 3, 1}, 247, "正月初八"},
        {{237, 2, 11}, 236, "腊月廿八"},
        {{237, 2, 12}, 237, "正月初一"},
        {{237, 4, 12}, 237, "四月初一"},
        {{9, 1, 14}, 8, "冬月廿九"},
        {{9, 1, 15}, 9, "正月初一"},
        {{1, 1, 1}, -1, "冬月十八"},
        {{1, 1, 14}, -1, "腊月初一"},
        {{1, 2, 12}, 1, "正月初一"},
    };
    for (const Case& c : cases) {
        int lunarYear = 0;
        EXPECT_EQ(lunarText(c.date.year, c.date.month, c.date.day, &lunarYear), c.text) << c.date;
        EXPECT_EQ(lunarYear, c.lunarYear) << c.date;
    }
}

TEST(LunarDates, FailuresLeaveOutputsUntouched)
{
    const Ymd outside[] = {{2101, 1, 1}, {-850, 6, 1}, {1582, 10, 10}};
    for (const Ymd& d : outside) {
        bool leap = true;
        int lunarDay = 7, lunarMonth = 7, lunarYear = 7;
        EXPECT_FALSE(GetLunarDate(d.year, d.month, d.day, leap, lunarDay, lunarMonth, lunarYear)) << d;
        EXPECT_FALSE(GetLunarMonthDay(d.year, d.month, d.day, leap, lunarDay, lunarMonth)) << d;
        EXPECT_TRUE(leap);
        EXPECT_EQ(lunarDay + lunarMonth + lunarYear, 21);
    }
    // A leap month the year does not have.
    int y = 1, m = 1, d = 1;
    EXPECT_FALSE(LunarToSolar(2024, 3, 1, true, y, m, d));
    EXPECT_EQ(y + m + d, 3);
}

TEST(LunarDates, NewYearsAndOtherLunarDates)
{
    const Ymd newYears[] = {{1900, 1, 31}, {1949, 1, 29}, {2000, 2, 5},  {2020, 1, 25}, {2023, 1, 22},
                            {2024, 2, 10}, {2025, 1, 29}, {2026, 2, 17}, {2100, 2, 9},  {1916, 2, 3},
                            {37, 2, 4},    {1574, 1, 23}, {9, 1, 15},    {237, 2, 12},  {1, 2, 12}};
    for (const Ymd& expected : newYears) {
        Ymd found{};
        ASSERT_TRUE(LunarToSolar(expected.year, 1, 1, false, found.year, found.month, found.day)) << expected;
        EXPECT_EQ(found.year * 10000 + found.month * 100 + found.day,
                  expected.year * 10000 + expected.month * 100 + expected.day);
    }
    Ymd found{};
    ASSERT_TRUE(LunarToSolar(2023, 2, 1, true, found.year, found.month, found.day));
    EXPECT_EQ(found.month * 100 + found.day, 322);
    ASSERT_TRUE(LunarToSolar(2024, 8, 15, false, found.year, found.month, found.day));
    EXPECT_EQ(found.month * 100 + found.day, 917);
}

TEST(LunarDates, CompareAndNames)
{
    EXPECT_EQ(CompareLunarDates(2024, 1, 1, false, 2023, 12, 30, false), 1);
    EXPECT_EQ(CompareLunarDates(2023, 2, 1, true, 2023, 2, 29, false), 1);
    EXPECT_EQ(CompareLunarDates(2023, 2, 29, false, 2023, 2, 1, true), -1);
    EXPECT_EQ(CompareLunarDates(2023, 2, 5, true, 2023, 2, 5, true), 0);
    EXPECT_EQ(CompareLunarDates(2023, 3, 1, false, 2023, 2, 1, true), 1);

    const std::pair<int, const char*> days[] = {{0, ""},      {1, "初一"},  {9, "初九"},  {10, "初十"},
                                                {11, "十一"}, {19, "十九"}, {20, "二十"}, {21, "廿一"},
                                                {29, "廿九"}, {30, "三十"}, {31, ""},     {-1, ""}};
    for (const auto& [day, name] : days)
        EXPECT_EQ(GetLunarDayName(day), name) << day;

    EXPECT_EQ(GetLunarMonthName(1, false), "正月");
    EXPECT_EQ(GetLunarMonthName(10, false), "十月");
    EXPECT_EQ(GetLunarMonthName(11, false), "冬月");
    EXPECT_EQ(GetLunarMonthName(12, false), "腊月");
    EXPECT_EQ(GetLunarMonthName(6, true), "闰六");
    EXPECT_EQ(GetLunarMonthName(11, true), "闰冬");
    EXPECT_EQ(GetLunarMonthName(0, false), "");
    EXPECT_EQ(GetLunarMonthName(13, true), "");
}

// ---------------------------------------------------------------------------------------------
// Sexagenary cycle, zodiac and constellations

TEST(Cycles, NamesAndIndexArithmetic)
{
    EXPECT_EQ(GetGanZhiName(0), "甲子");
    EXPECT_EQ(GetGanZhiName(1), "乙丑");
    EXPECT_EQ(GetGanZhiName(40), "甲辰");
    EXPECT_EQ(GetGanZhiName(59), "癸亥");
    EXPECT_EQ(GetGanZhiName(60), "");
    EXPECT_EQ(GetGanZhiName(-1), "");
    EXPECT_EQ(GetZodiacName(4), "龙");
    EXPECT_EQ(GetZodiacName(12), "");
    EXPECT_EQ(GetConstellationName(10), "宝瓶");
    EXPECT_EQ(GetConstellationName(12), "");
    EXPECT_EQ(GetSolarTermName(0), "立春");
    EXPECT_EQ(GetSolarTermName(23), "大寒");
    EXPECT_EQ(GetSolarTermName(24), "");

    for (int i = 0; i < 60; ++i) {
        int stem = -2, branch = -2;
        ASSERT_TRUE(SplitGanZhi(i, stem, branch));
        ASSERT_EQ(CombineGanZhi(stem, branch), i);
    }
    EXPECT_EQ(CombineGanZhi(0, 1), -1); // stem and branch of different parity
    EXPECT_EQ(CombineGanZhi(10, 0), -1);
    EXPECT_EQ(CombineGanZhi(0, 12), -1);
    int stem = 0, branch = 0;
    EXPECT_FALSE(SplitGanZhi(60, stem, branch));
    EXPECT_EQ(stem, -1);
    EXPECT_EQ(branch, -1);
}

TEST(Cycles, Years)
{
    const int years[][3] = {{1984, 0, 0}, {2024, 40, 4}, {2023, 39, 3}, {1, 57, 9}, {-1, 56, 8}, {1916, 52, 4}};
    for (const auto& y : years) {
        EXPECT_EQ(GetYearGanZhi(y[0]), y[1]) << y[0];
        EXPECT_EQ(GetZodiac(y[0]), y[2]) << y[0];
    }
    // The sexagenary year turns on the day of 立春; before it in year 1 it is year -1's.
    EXPECT_EQ(ganZhi(GetSolarYearGanZhi(2024, 2, 3)), "癸卯");
    EXPECT_EQ(ganZhi(GetSolarYearGanZhi(2024, 2, 4)), "甲辰");
    EXPECT_EQ(ganZhi(GetSolarYearGanZhi(2083, 2, 3)), ganZhi(GetYearGanZhi(2083)));
    EXPECT_EQ(ganZhi(GetSolarYearGanZhi(1, 1, 1)), "庚申");
    EXPECT_EQ(ganZhi(GetSolarYearGanZhi(1, 3, 1)), "辛酉");
}

TEST(Cycles, MonthsAndDays)
{
    struct Case {
        Ymd date;
        const char* month;
    };
    // January is judged by this year's 小寒 (2024-01-06).
    const Case months[] = {{{2023, 12, 31}, "甲子"}, {{2024, 1, 5}, "甲子"},  {{2024, 1, 6}, "乙丑"},
                           {{2024, 2, 3}, "乙丑"},   {{2024, 2, 10}, "丙寅"}, {{2024, 3, 4}, "丙寅"},
                           {{2024, 3, 5}, "丁卯"},   {{2024, 12, 6}, "丙子"}, {{2025, 1, 4}, "丙子"},
                           {{2025, 1, 5}, "丁丑"}};
    for (const Case& c : months)
        EXPECT_EQ(ganZhi(GetMonthGanZhi(c.date.year, c.date.month, c.date.day)), c.month) << c.date;
    int solarYear = 0, solarMonth = 0;
    GetSolarMonth(2024, 1, 10, solarYear, solarMonth);
    EXPECT_EQ(solarYear * 100 + solarMonth, 202312);
    GetSolarMonth(2024, 12, 31, solarYear, solarMonth);
    EXPECT_EQ(solarYear * 100 + solarMonth, 202411);

    EXPECT_EQ(ganZhi(GetDayGanZhi(2024, 2, 10)), "甲辰");
    EXPECT_EQ(ganZhi(GetDayGanZhi(2000, 1, 1)), "戊午");
    EXPECT_EQ(ganZhi(GetDayGanZhi(1582, 10, 4)), "癸酉");
    EXPECT_EQ(ganZhi(GetDayGanZhi(1582, 10, 15)), "甲戌");
    EXPECT_EQ(GetDayGanZhi(-1, 12, 31), (GetDayGanZhi(1, 1, 1) + 59) % 60);
}

TEST(Cycles, Constellations)
{
    const int cases[][3] = {{1, 1, 9},   {1, 19, 9},  {1, 20, 10}, {2, 18, 10}, {2, 19, 11}, {3, 20, 11}, {3, 21, 0},
                            {4, 21, 1},  {5, 21, 2},  {6, 21, 2},  {6, 22, 3},  {7, 23, 4},  {8, 23, 5},  {9, 23, 6},
                            {10, 23, 7}, {11, 23, 8}, {12, 21, 8}, {12, 22, 9}, {12, 31, 9}};
    for (const auto& c : cases)
        EXPECT_EQ(GetConstellation(c[0], c[1]), c[2]) << c[0] << '-' << c[1];
}

// ---------------------------------------------------------------------------------------------
// Solar terms

TEST(SolarTerms, DatesOfOneYear)
{
    // Index i is term number i + 1: 小寒, 大寒, 立春, ... 冬至.
    const int days2024[24] = {106, 120, 204, 219, 305, 320, 404,  419,  505,  520,  605,  621,
                              706, 722, 807, 822, 907, 922, 1008, 1023, 1107, 1122, 1206, 1221};
    for (int i = 0; i < 24; ++i) {
        int month = 0, day = 0, hour = 0, minute = 0;
        ASSERT_TRUE(GetSolarTermDate(2024, i, month, day, hour, minute));
        EXPECT_EQ(month * 100 + day, days2024[i]) << GetSolarTermName((i + 22) % 24);
        EXPECT_EQ(GetSolarTermOfDate(dateTime(2024, month, day)), GetSolarTermName((i + 22) % 24));
    }
    const long double lichun = GetSolarTermDay(2024, 3);
    EXPECT_GT(lichun, 35.684L);
    EXPECT_LT(lichun, 35.685L);
    int month = 0, day = 0, hour = 0, minute = 0;
    ASSERT_TRUE(GetSolarTermDate(2024, 2, month, day, hour, minute));
    EXPECT_EQ(hour * 100 + minute, 1625);
    EXPECT_EQ(GetSolarTermOfDate(dateTime(2024, 2, 5)), "");

    month = day = hour = minute = 9;
    EXPECT_FALSE(GetSolarTermDate(2024, 24, month, day, hour, minute));
    EXPECT_FALSE(GetSolarTermDate(2024, -1, month, day, hour, minute));
    EXPECT_EQ(month + day + hour + minute, 36);
}

// Terms whose formula moment lands on the wrong day take their true moment.
TEST(SolarTerms, TrueMomentsWhereTheFormulaMissesTheDay)
{
    struct Case {
        Ymd date;
        const char* name;
        int hour, minute; // minute -1: the moment is on a half minute, not checked
    };
    const Case cases[] = {
        {{1911, 5, 7}, "立夏", 0, 0},   {{1912, 10, 9}, "寒露", 0, 7},  {{1923, 2, 19}, "雨水", 23, 60},
        {{1927, 9, 9}, "白露", 0, 5},   {{1928, 6, 22}, "夏至", 0, 6},  {{1979, 1, 20}, "大寒", 23, 60},
        {{2016, 7, 7}, "小暑", 0, 3},   {{2020, 12, 7}, "大雪", 0, -1}, {{2037, 9, 23}, "秋分", 0, 13},
        {{2040, 10, 8}, "寒露", 0, 6},  {{2042, 7, 23}, "大暑", 0, 6},  {{2051, 3, 20}, "春分", 23, 59},
        {{2059, 2, 19}, "雨水", 0, 5},  {{2083, 2, 3}, "立春", 23, 58}, {{2084, 3, 19}, "春分", 23, -1},
        {{2085, 1, 4}, "小寒", 23, 56}, {{2097, 5, 5}, "立夏", 0, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.date << ' ' << c.name);
        const DateTime day = dateTime(c.date.year, c.date.month, c.date.day);
        EXPECT_EQ(GetSolarTermOfDate(day), c.name);
        EXPECT_EQ(GetSolarTermOfDate(day - 1), "");
        EXPECT_EQ(GetSolarTermOfDate(day + 1), "");
        int index = 0;
        while (GetSolarTermName((index + 22) % 24) != c.name)
            ++index;
        int month = 0, dayOfMonth = 0, hour = 0, minute = 0;
        ASSERT_TRUE(GetSolarTermDate(c.date.year, index, month, dayOfMonth, hour, minute));
        EXPECT_EQ(month * 100 + dayOfMonth, c.date.month * 100 + c.date.day);
        EXPECT_EQ(hour, c.hour);
        if (c.minute >= 0) {
            EXPECT_EQ(minute, c.minute);
        }
    }
    // The 小寒 of 2085 is also term 25 of 2084, on 4 January = day 370 of the leap year 2084.
    EXPECT_EQ(GetSolarTermDay(2084, 25), GetSolarTermDay(2085, 1) + 366);
    EXPECT_EQ(static_cast<int>(GetSolarTermDay(2084, 25)), 370);
    // Everything built on the terms follows: 2083's 立春 is on 3 February.
    EXPECT_EQ(ganZhi(GetMonthGanZhi(2083, 2, 3)), ganZhi(GetMonthGanZhi(2083, 2, 20)));
}

// Before 1583 the Julian calendar's drift moves terms toward the previous month; after the
// change of October 1582 nothing is ten days early.
TEST(SolarTerms, AcrossTheCalendarChange)
{
    EXPECT_EQ(GetSolarTermOfDate(dateTime(1581, 12, 26)), "小寒"); // 1582's first term
    EXPECT_EQ(GetSolarTermOfDate(dateTime(1582, 3, 11)), "春分");
    EXPECT_EQ(GetSolarTermOfDate(dateTime(1582, 9, 29)), "寒露");
    EXPECT_EQ(GetSolarTermOfDate(dateTime(1582, 10, 24)), "霜降");
    EXPECT_EQ(GetSolarTermOfDate(dateTime(1582, 10, 15)), "");
    EXPECT_EQ(GetSolarTermOfDate(dateTime(1582, 11, 8)), "立冬");
    EXPECT_EQ(GetSolarTermOfDate(dateTime(1582, 12, 22)), "冬至");
    EXPECT_EQ(GetSolarTermOfDate(dateTime(1583, 1, 6)), "小寒");
    int month = 0, day = 0, hour = 0, minute = 0;
    ASSERT_TRUE(GetSolarTermDate(1582, 19, month, day, hour, minute)); // 霜降
    EXPECT_EQ(month * 100 + day, 1024);
    ASSERT_TRUE(GetSolarTermDate(1582, 0, month, day, hour, minute)); // 小寒, in December 1581
    EXPECT_EQ(month * 100 + day, 1226);

    // Month and year of the cycle follow the terms counted through day numbers.
    EXPECT_EQ(ganZhi(GetMonthGanZhi(1582, 11, 7)), ganZhi(GetMonthGanZhi(1582, 10, 15)));
    EXPECT_NE(ganZhi(GetMonthGanZhi(1582, 11, 8)), ganZhi(GetMonthGanZhi(1582, 11, 7)));
}

// Any int is a valid argument: far outside the tables every operation still gives a result of
// its documented kind, and the ones that can fail say so and leave their outputs alone (the
// sanitizer build checks that none of it overflows).
TEST(LunarCore, ExtremeArgumentsGiveResultsOfTheirKind)
{
    const int values[] = {std::numeric_limits<int>::min(), -1'000'000, -851, 0, 13, 2101, 1'000'000,
                          std::numeric_limits<int>::max()};
    const auto within = [](int value, int low, int high) { return value >= low && value <= high; };
    for (const int v : values) {
        SCOPED_TRACE(v);
        const bool outsideTables = v < kMinLunarYear || v > kMaxLunarYear;
        EXPECT_TRUE(within(GetCalendarType(v, v, v), 0, 2));
        EXPECT_TRUE(within(GetMonthDays(v, 2), 28, 29));
        EXPECT_EQ(GetMonthDays(v, v), v >= 1 && v <= 12 ? GetMonthDays(2023, v) : 0);
        EXPECT_EQ(IsHistoricLeapYear(v), GetMonthDays(v, 2) == 29);
        GetDayOfYear(v, v, v); // any value: the day is added as it is
        GetDayNumber(v, 12, 31);

        int a = 7, b = 7, c = 7, d = 7;
        bool leap = true;
        EXPECT_EQ(DayNumberToDate(v, a, b, c), v >= -1);
        if (v >= -1) {
            EXPECT_EQ(GetDayNumber(a, b, c), v);
        }
        EXPECT_TRUE(within(GetLeapMonth(v), -1, 12));
        EXPECT_TRUE(within(GetLeapMonthClamped(v), 0, 12));
        EXPECT_TRUE(within(GetLeapMonthCount(v), 0, 1084));
        if (outsideTables) {
            EXPECT_EQ(GetLeapMonth(v), -1);
            EXPECT_EQ(GetLeapMonthCount(v), 0);
            a = b = c = 7;
            EXPECT_FALSE(GetLunarDate(v, 6, 1, leap, a, b, c));
            EXPECT_FALSE(GetLunarMonthDay(v, 6, 1, leap, a, b));
            EXPECT_FALSE(LunarToSolar(v, 1, 1, false, a, b, c));
            EXPECT_EQ(GetLunarMonthDays(v, 1, false), 0);
            EXPECT_TRUE(leap);
            EXPECT_EQ(a + b + c, 21);
        }
        GetLunarDay(v, 6, 1); // a lunar day or -1; far off, the day-number formula is not a date
        GetLunarMonth(v, 6, 1);
        EXPECT_EQ(GetLunarMonthName(v, true).empty(), !within(v, 1, 12));
        EXPECT_EQ(GetLunarDayName(v), v == 13 ? "十三" : "");
        EXPECT_EQ(GetGanZhiName(v), v == 13 ? "丁丑" : v == 0 ? "甲子" : "");
        EXPECT_EQ(CombineGanZhi(v, v), v == 0 ? 0 : -1);
        EXPECT_EQ(SplitGanZhi(v, a, b), within(v, 0, 59));
        EXPECT_TRUE(within(GetYearGanZhi(v), 0, 59));
        EXPECT_TRUE(within(GetZodiac(v), 0, 11));
        EXPECT_EQ(GetZodiac(v), GetYearGanZhi(v) % 12);
        EXPECT_TRUE(within(GetSolarYearGanZhi(v, 1, 1), 0, 59));
        GetSolarMonth(v, 1, 1, a, b);
        EXPECT_TRUE(within(b, 1, 12));
        EXPECT_TRUE(within(GetMonthGanZhi(v, 12, 31), 0, 59));
        EXPECT_TRUE(within(GetDayGanZhi(v, 6, 1), 0, 59));
        EXPECT_TRUE(within(GetConstellation(v, v), 0, 11));
        EXPECT_TRUE(std::isfinite(static_cast<double>(GetSolarTermDay(v, 3))));
        ASSERT_TRUE(GetSolarTermDate(v, 5, a, b, c, d));
        EXPECT_TRUE(within(a, 1, 12));
        EXPECT_TRUE(within(b, 1, 31));
        EXPECT_TRUE(within(c, 0, 23));
        EXPECT_TRUE(within(d, 0, 60));
        const std::string_view term = GetSolarTermOfDate(static_cast<double>(v));
        EXPECT_TRUE(term.empty() || std::string(term).size() == 6); // two Han characters
    }
}
