#include "engine/ChnCalendarUse.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "engine/DateTime.h"
#include "engine/EraTable.h"
#include "engine/LunarCore.h"

namespace tavemo::engine {
namespace {

DateTime dateOf(int year, int month, int day)
{
    DateTime value = 0;
    EXPECT_TRUE(tryEncodeDate(year, month, day, value)) << year << '-' << month << '-' << day;
    return value;
}

TChnCal infoOf(int year, int month, int day)
{
    TChnCal info;
    info.SetDate(dateOf(year, month, day));
    return info;
}

// Every field of the object, for comparing whole states.
std::vector<std::string> allFields(const TChnCal& c)
{
    return {std::to_string(c.LunarYear),
            std::to_string(c.LunarMonth),
            std::to_string(c.Date),
            c.SolarTerm,
            c.SolarFestival,
            c.LunarMonthName,
            c.DayGanZhi,
            c.YearGanZhi,
            c.MonthGanZhi,
            c.LunarFestival,
            c.LunarYearText,
            c.LunarDayName,
            c.Animal,
            c.Constellation,
            c.EraText};
}

struct FieldCase {
    int year, month, day;
    std::string TChnCal::*field;
    const char* expected;
};

TEST(TChnCal, FillsEveryTextOfADay)
{
    const FieldCase cases[] = {
        // The last day of a 30-day and of a 29-day twelfth month is 除夕; the next day 春节.
        {2024, 2, 9, &TChnCal::LunarMonthName, "腊月"},
        {2024, 2, 9, &TChnCal::LunarDayName, "三十"},
        {2024, 2, 9, &TChnCal::LunarFestival, "除夕"},
        {2024, 2, 9, &TChnCal::LunarYearText, "2023"},
        {2025, 1, 28, &TChnCal::LunarDayName, "廿九"},
        {2025, 1, 28, &TChnCal::LunarFestival, "除夕"},
        {2025, 1, 27, &TChnCal::LunarFestival, ""},
        {2024, 2, 10, &TChnCal::LunarFestival, "春节"},
        {2024, 2, 10, &TChnCal::LunarMonthName, "正月"},
        {2024, 2, 10, &TChnCal::LunarDayName, "初一"},
        {2024, 2, 10, &TChnCal::LunarYearText, "2024"},
        {2024, 2, 10, &TChnCal::YearGanZhi, "甲辰"},
        {2024, 2, 10, &TChnCal::MonthGanZhi, "丙寅"},
        {2024, 2, 10, &TChnCal::DayGanZhi, "甲辰"},
        {2024, 2, 10, &TChnCal::Animal, "龙"},
        // Between 立春 and the lunar new year the year's stem-branch has changed, the animal not yet.
        {2024, 2, 3, &TChnCal::YearGanZhi, "癸卯"},
        {2024, 2, 5, &TChnCal::YearGanZhi, "甲辰"},
        {2024, 2, 5, &TChnCal::Animal, "兔"},
        {2024, 2, 4, &TChnCal::SolarTerm, "立春"},
        {2024, 2, 5, &TChnCal::SolarTerm, ""},
        {2024, 1, 5, &TChnCal::MonthGanZhi, "甲子"},
        {2024, 1, 6, &TChnCal::MonthGanZhi, "乙丑"},
        {2024, 1, 6, &TChnCal::SolarTerm, "小寒"},
        {2025, 7, 24, &TChnCal::LunarMonthName, "六月"},
        {2025, 7, 25, &TChnCal::LunarMonthName, "闰六"},
        {2025, 7, 25, &TChnCal::LunarDayName, "初一"},
        {2000, 1, 1, &TChnCal::DayGanZhi, "戊午"},
        {2000, 1, 1, &TChnCal::LunarMonthName, "冬月"},
        {2000, 1, 1, &TChnCal::LunarDayName, "廿五"},
        {2011, 6, 30, &TChnCal::LunarMonthName, "五月"},
        {2011, 6, 30, &TChnCal::LunarDayName, "廿九"},
        {2011, 6, 30, &TChnCal::Constellation, "巨蟹"},
        {2024, 3, 20, &TChnCal::Constellation, "双鱼"},
        {2024, 3, 21, &TChnCal::Constellation, "白羊"},
        {2024, 12, 22, &TChnCal::Constellation, "摩羯"},
        // 2025 needs no lunar-day correction: its third and fourth months come right from the new moons.
        {2025, 4, 7, &TChnCal::LunarDayName, "初十"},
        {2025, 4, 28, &TChnCal::LunarDayName, "初一"},
        {2025, 4, 28, &TChnCal::LunarMonthName, "四月"},
        // 1916 opens its lunar year on 3 February.
        {1916, 2, 3, &TChnCal::LunarFestival, "春节"},
        {1916, 2, 3, &TChnCal::Animal, "龙"},
        {1916, 2, 2, &TChnCal::LunarFestival, "除夕"},
        // The era follows the Gregorian year, not the lunar one, and ends in 1948.
        {1911, 1, 15, &TChnCal::LunarYearText, "1910"},
        {1948, 12, 31, &TChnCal::EraText, "[近、现代]中华民国  民国37年"},
        {1949, 1, 1, &TChnCal::EraText, ""},
        {2024, 2, 10, &TChnCal::EraText, ""},
        {1644, 1, 1, &TChnCal::EraText, "[清]世祖 爱新觉罗福临 顺治元年"},
    };
    for (const FieldCase& c : cases) {
        const TChnCal info = infoOf(c.year, c.month, c.day);
        EXPECT_EQ(info.*c.field, c.expected) << c.year << '-' << c.month << '-' << c.day;
    }

    const TChnCal eve = infoOf(2024, 2, 9);
    EXPECT_EQ(eve.LunarYear, 2023);
    EXPECT_EQ(eve.LunarMonth, 12);
    EXPECT_EQ(eve.Date, dateOf(2024, 2, 9));
    EXPECT_EQ(infoOf(2025, 7, 25).LunarMonth, 6); // the leap flag shows only in the name
    EXPECT_EQ(infoOf(1911, 1, 15).EraText, GetEraText(1911));
}

TEST(TChnCal, TextsDependOnTheDateAloneNotOnEarlierCalls)
{
    const TChnCal fresh = infoOf(2024, 2, 5);
    for (const DateTime before : {dateOf(2024, 1, 31), dateOf(2024, 2, 10), dateOf(1644, 1, 1), dateOf(2023, 3, 22)}) {
        TChnCal reused;
        reused.SetDate(before);
        reused.SetDate(dateOf(2024, 2, 5));
        EXPECT_EQ(allFields(reused), allFields(fresh)) << before;
    }
    // The time of day is ignored, but kept in Date.
    TChnCal evening;
    evening.SetDate(dateOf(2024, 2, 5) + 0.75);
    EXPECT_EQ(evening.Date, dateOf(2024, 2, 5) + 0.75);
    evening.Date = fresh.Date;
    EXPECT_EQ(allFields(evening), allFields(fresh));
}

TEST(TChnCal, BeyondTheTablesOnlyTheDateChanges)
{
    TChnCal info;
    info.SetDate(dateOf(2024, 2, 10));
    TChnCal expected = info;
    for (const DateTime outside :
         {dateOf(2101, 1, 1), dateOf(9999, 12, 31), std::numeric_limits<double>::quiet_NaN()}) {
        info.SetDate(outside);
        expected.Date = outside;
        EXPECT_EQ(allFields(info), allFields(expected)) << outside;
    }
}

// No date-time value names one of the ten days of 1582: the day after the 4th is the 15th.
TEST(TChnCal, TheDayAfterThe4thOfOctober1582IsThe15th)
{
    const TChnCal lastJulian = infoOf(1582, 10, 4);
    EXPECT_EQ(lastJulian.DayGanZhi, "癸酉");
    EXPECT_FALSE(lastJulian.LunarDayName.empty());
    EXPECT_FALSE(lastJulian.EraText.empty());
    TChnCal next;
    next.SetDate(lastJulian.Date + 1);
    const TChnCal firstGregorian = infoOf(1582, 10, 15);
    EXPECT_EQ(allFields(next), allFields(firstGregorian));
    EXPECT_EQ(firstGregorian.DayGanZhi, "甲戌");
    for (int day = 5; day <= 14; ++day) {
        DateTime value = 0;
        EXPECT_FALSE(tryEncodeDate(1582, 10, day, value)) << day;
    }
}

TEST(GetSolarFestival, FixedDaysAndNthWeekdays)
{
    struct Case {
        int year, month, day;
        const char* expected;
    };
    const Case cases[] = {
        {2024, 1, 1, "元旦节"},
        {2024, 2, 14, "情人节"},
        {2024, 3, 8, "妇女节"},
        {2024, 4, 1, "愚人节"},
        {2024, 5, 1, "劳动节"},
        {2024, 5, 4, "青年节"},
        {2024, 6, 1, "儿童节"},
        {2024, 7, 1, "建党节"},
        {2024, 8, 1, "建军节"},
        {2024, 9, 10, "教师节"},
        {2024, 10, 1, "国庆节"},
        {2024, 10, 6, "老人节"},
        {2024, 10, 31, "万圣节"},
        {2024, 11, 8, "记者日"},
        {2024, 12, 25, "圣诞节"},
        // Second Sunday of May, third Sunday of June, fourth Thursday of November.
        {2024, 5, 12, "母亲节"},
        {2024, 6, 16, "父亲节"},
        {2024, 11, 28, "感恩节"},
        {2025, 5, 11, "母亲节"},
        {2025, 6, 15, "父亲节"},
        {2025, 11, 27, "感恩节"},
        // The same weekdays in other weeks, and ordinary days.
        {2024, 5, 5, ""},
        {2024, 5, 19, ""},
        {2024, 6, 9, ""},
        {2024, 6, 23, ""},
        {2024, 11, 21, ""},
        {2024, 11, 14, ""},
        {2024, 12, 24, ""},
        {2024, 2, 29, ""},
        {2024, 1, 2, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetSolarFestival(c.day, dateOf(c.year, c.month, c.day)), c.expected)
            << c.year << '-' << c.month << '-' << c.day;
        // Only the year and month of the date count; the day comes from the first argument.
        EXPECT_EQ(GetSolarFestival(c.day, dateOf(c.year, c.month, 1) + 0.5), c.expected);
    }
    EXPECT_EQ(GetSolarFestival(32, dateOf(2024, 5, 1)), "");
    EXPECT_EQ(GetSolarFestival(1, std::numeric_limits<double>::quiet_NaN()), "");
}

// Festivals of modern origin from the year they were first kept: none in the year before, one in
// the first year (on its fixed day, or found in its month for the weekday festivals).
TEST(GetSolarFestival, ModernFestivalsFromTheirFirstYear)
{
    struct Case {
        const char* text;
        int month, day; // day 0: a weekday festival
        int firstYear;
    };
    const Case cases[] = {
        {"劳动节", 5, 1, 1890},  {"妇女节", 3, 8, 1911}, {"元旦节", 1, 1, 1912},  {"母亲节", 5, 0, 1914},
        {"父亲节", 6, 0, 1910},  {"建军节", 8, 1, 1933}, {"青年节", 5, 4, 1939},  {"建党节", 7, 1, 1941},
        {"国庆节", 10, 1, 1949}, {"儿童节", 6, 1, 1950}, {"教师节", 9, 10, 1985}, {"记者日", 11, 8, 2000},
        {"感恩节", 11, 0, 1863},
    };
    const auto daysWith = [](const char* text, int year, int month) {
        std::vector<int> days;
        for (int day = 1; day <= daysInMonth(year, month); ++day)
            if (GetSolarFestival(day, dateOf(year, month, 1)) == text)
                days.push_back(day);
        return days;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(daysWith(c.text, c.firstYear - 1, c.month).empty());
        const std::vector<int> days = daysWith(c.text, c.firstYear, c.month);
        ASSERT_EQ(days.size(), 1u);
        if (c.day != 0) {
            EXPECT_EQ(days[0], c.day);
        }
        EXPECT_EQ(infoOf(c.firstYear, c.month, days[0]).SolarFestival, c.text);
    }
    // The older ones in any year, 1582's 万圣节 included.
    EXPECT_EQ(infoOf(1000, 2, 14).SolarFestival, "情人节");
    EXPECT_EQ(infoOf(1582, 10, 31).SolarFestival, "万圣节");
    EXPECT_EQ(infoOf(1, 12, 25).SolarFestival, "圣诞节");
    EXPECT_EQ(infoOf(1582, 10, 1).SolarFestival, "");
}

TEST(GetLunarFestival, FallsOnlyInTheRegularMonth)
{
    struct Case {
        int year, month, day;
        const char* expected;
    };
    const Case cases[] = {
        {2024, 2, 24, "元宵节"},
        {2024, 6, 10, "端午节"},
        {2024, 8, 10, "七夕节"},
        {2024, 9, 17, "中秋节"},
        {2024, 10, 11, "重阳节"},
        {2024, 1, 18, "腊八节"},
        // 2009 and 2014 repeat the fifth and the ninth month: their festivals stay in the regular one.
        {2009, 5, 28, "端午节"},
        {2009, 6, 27, ""},
        {2014, 10, 2, "重阳节"},
        {2014, 11, 1, ""},
        // 2023's leap second month: neither 初一 nor 十五 of it is a festival.
        {2023, 3, 22, ""},
        {2023, 4, 5, ""},
    };
    for (const Case& c : cases) {
        const TChnCal info = infoOf(c.year, c.month, c.day);
        EXPECT_EQ(info.LunarFestival, c.expected) << c.year << '-' << c.month << '-' << c.day;
    }
    EXPECT_EQ(infoOf(2009, 6, 27).LunarMonthName, "闰五");
    EXPECT_EQ(infoOf(2009, 6, 27).LunarDayName, "初五");
    EXPECT_EQ(infoOf(2014, 11, 1).LunarMonthName, "闰九");

    // Straight calls: the leap flag silences the fixed festivals but not 除夕, the last day of a
    // leap twelfth month before the new year (2025-01-29 is 正月初一).
    const DateTime eveOf2025 = dateOf(2025, 1, 28);
    EXPECT_EQ(GetLunarFestival(12, 29, true, eveOf2025), "除夕");
    EXPECT_EQ(GetLunarFestival(12, 30, false, eveOf2025), "除夕");
    EXPECT_EQ(GetLunarFestival(12, 29, false, dateOf(2025, 1, 27)), "");
    EXPECT_EQ(GetLunarFestival(11, 29, false, eveOf2025), "");
    EXPECT_EQ(GetLunarFestival(12, 8, true, eveOf2025), "");
    EXPECT_EQ(GetLunarFestival(8, 15, true, dateOf(2024, 9, 17)), "");
    EXPECT_EQ(GetLunarFestival(8, 15, false, dateOf(2024, 9, 17)), "中秋节");
}

// 除夕 and 春节 come in pairs on consecutive days, and no fixed festival lands in a leap month.
TEST(GetLunarFestival, NewYearsEveAlwaysPrecedesTheNewYear)
{
    TChnCal info;
    bool previousWasEve = false;
    int pairs = 0;
    for (DateTime date = dateOf(1901, 1, 1); date <= dateOf(2100, 12, 31); date += 1) {
        info.SetDate(date);
        const bool isNewYear = info.LunarFestival == "春节";
        ASSERT_EQ(isNewYear, previousWasEve) << formatIsoDate(date);
        pairs += isNewYear ? 1 : 0;
        previousWasEve = info.LunarFestival == "除夕";
        if (!info.LunarFestival.empty() && info.LunarFestival != "除夕") {
            ASSERT_NE(info.LunarMonthName.rfind("闰", 0), 0u) << formatIsoDate(date);
        }
    }
    EXPECT_EQ(pairs, 200);
}

std::array<int, 3> triple(int a, int b, int c) { return {a, b, c}; }

TEST(GetLunarDateOfDay, DecodesAndConverts)
{
    int year = -7, month = -7, day = -7;
    bool leap = true;
    ASSERT_TRUE(GetLunarDateOfDay(dateOf(2024, 2, 9) + 0.99, year, month, day, leap));
    EXPECT_EQ(triple(year, month, day), triple(2023, 12, 30));
    EXPECT_FALSE(leap);
    ASSERT_TRUE(GetLunarDateOfDay(dateOf(2033, 12, 22), year, month, day, leap));
    EXPECT_EQ(triple(year, month, day), triple(2033, 11, 1));
    EXPECT_TRUE(leap);

    // Failures leave the outputs as they were.
    for (const DateTime bad : {dateOf(2101, 1, 1), std::numeric_limits<double>::quiet_NaN(), kMinDateTime - 1}) {
        year = month = day = -7;
        leap = true;
        EXPECT_FALSE(GetLunarDateOfDay(bad, year, month, day, leap)) << bad;
        EXPECT_EQ(triple(year, month, day), triple(-7, -7, -7));
        EXPECT_TRUE(leap);
    }
}

} // namespace
} // namespace tavemo::engine
