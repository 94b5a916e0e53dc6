#include "engine/ChnCalendarUse.h"

#include <array>
#include <limits>
#include <string_view>

#include "engine/DateTime.h"
#include "engine/EraTable.h"
#include "engine/LunarCore.h"

namespace tavemo::engine {
namespace {

constexpr int kSunday = 1;
constexpr int kThursday = 5;

// A Gregorian festival: a fixed day of the month, or (weekday != 0) the week-th occurrence
// (0 = first) of a weekday in the month; shown from firstYear on (festivals of modern origin
// from the year they were first kept, the older ones always).
struct SolarFestivalRule {
    int month;
    int day;
    int weekday;
    int week;
    std::string_view text;
    int firstYear;
};

constexpr int kAlways = std::numeric_limits<int>::min();

// Grouped by month; no two rules of one month can match the same day.
constexpr std::array<SolarFestivalRule, 18> kSolarFestivals{{
    {1, 1, 0, 0, "元旦节", 1912},
    {2, 14, 0, 0, "情人节", kAlways},
    {3, 8, 0, 0, "妇女节", 1911},
    {4, 1, 0, 0, "愚人节", kAlways},
    {5, 1, 0, 0, "劳动节", 1890},
    {5, 4, 0, 0, "青年节", 1939},
    {5, 0, kSunday, 1, "母亲节", 1914},
    {6, 1, 0, 0, "儿童节", 1950},
    {6, 0, kSunday, 2, "父亲节", 1910},
    {7, 1, 0, 0, "建党节", 1941},
    {8, 1, 0, 0, "建军节", 1933},
    {9, 10, 0, 0, "教师节", 1985},
    {10, 1, 0, 0, "国庆节", 1949},
    {10, 6, 0, 0, "老人节", kAlways},
    {10, 31, 0, 0, "万圣节", kAlways},
    {11, 8, 0, 0, "记者日", 2000},
    {11, 0, kThursday, 3, "感恩节", 1863},
    {12, 25, 0, 0, "圣诞节", kAlways},
}};

struct LunarFestivalRule {
    int month;
    int day;
    std::string_view text;
};

constexpr std::array<LunarFestivalRule, 7> kLunarFestivals{{
    {1, 1, "春节"},
    {1, 15, "元宵节"},
    {5, 5, "端午节"},
    {7, 7, "七夕节"},
    {8, 15, "中秋节"},
    {9, 9, "重阳节"},
    {12, 8, "腊八节"},
}};

constexpr std::string_view kNewYearsEve = "除夕";

// 除夕 is the day before 正月初一 (a regular first month: a leap first month never opens a year).
bool isNewYearsEve(DateTime date)
{
    int lunarYear = 0, lunarMonth = 0, lunarDay = 0;
    bool isLeap = false;
    return GetLunarDateOfDay(date + 1, lunarYear, lunarMonth, lunarDay, isLeap) && lunarMonth == 1 && lunarDay == 1 &&
           !isLeap;
}

std::string_view solarFestival(int year, int month, int day, int weekday)
{
    std::string_view text;
    for (const SolarFestivalRule& rule : kSolarFestivals) {
        if (rule.month != month || year < rule.firstYear)
            continue;
        const bool holds = rule.weekday == 0 ? rule.day == day : weekday == rule.weekday && (day - 1) / 7 == rule.week;
        if (holds)
            text = rule.text;
    }
    return text;
}

} // namespace

std::string GetSolarFestival(int day, double date)
{
    int year = 0, month = 0, dayOfDate = 0;
    if (!decodeDate(date, year, month, dayOfDate))
        return {};
    int weekday = 0; // 0 when (year, month, day) is no date: no weekday rule can hold
    DateTime dayValue = 0;
    if (tryEncodeDate(year, month, day, dayValue))
        weekday = dayOfWeek(dayValue);
    return std::string(solarFestival(year, month, day, weekday));
}

std::string GetLunarFestival(int lunarMonth, int lunarDay, bool isLeap, double date)
{
    if (lunarMonth == 12) {
        // A festival day of the twelfth month cannot be its last day; every other day may be 除夕,
        // in the regular twelfth month or in its leap repeat.
        const bool fixedDay =
            lunarDay == 1 || lunarDay == 5 || lunarDay == 7 || lunarDay == 8 || lunarDay == 9 || lunarDay == 15;
        if (!fixedDay && isNewYearsEve(date))
            return std::string(kNewYearsEve);
    }
    if (isLeap)
        return {};
    for (const LunarFestivalRule& rule : kLunarFestivals) {
        if (rule.month == lunarMonth && rule.day == lunarDay)
            return std::string(rule.text);
    }
    return {};
}

bool GetLunarDateOfDay(double date, int& lunarYear, int& lunarMonth, int& lunarDay, bool& isLeap)
{
    int year = 0, month = 0, day = 0;
    if (!decodeDate(date, year, month, day))
        return false;
    bool leap = false;
    int outDay = 0, outMonth = 0, outYear = 0;
    if (!GetLunarDate(year, month, day, leap, outDay, outMonth, outYear))
        return false;
    lunarYear = outYear;
    lunarMonth = outMonth;
    lunarDay = outDay;
    isLeap = leap;
    return true;
}

void TChnCal::SetDate(double date)
{
    Date = date;
    int year = 0, month = 0, day = 0;
    if (!decodeDate(date, year, month, day))
        return;

    bool isLeap = false;
    int lunarDay = 0, lunarMonth = 0, lunarYear = 0;
    if (!GetLunarDate(year, month, day, isLeap, lunarDay, lunarMonth, lunarYear))
        return; // outside the years the tables cover: keep the previous texts

    LunarYear = lunarYear;
    LunarYearText = std::to_string(lunarYear);
    Animal = GetZodiacName(GetZodiac(lunarYear));

    YearGanZhi = GetGanZhiName(GetSolarYearGanZhi(year, month, day));
    EraText = GetEraText(year);

    LunarMonth = lunarMonth;
    LunarMonthName = GetLunarMonthName(lunarMonth, isLeap);
    MonthGanZhi = GetGanZhiName(GetMonthGanZhi(year, month, day));

    LunarDayName = GetLunarDayName(lunarDay);
    DayGanZhi = GetGanZhiName(GetDayGanZhi(year, month, day));
    Constellation = GetConstellationName(GetConstellation(month, day));

    SolarFestival = solarFestival(year, month, day, dayOfWeek(date)); // GetSolarFestival(day, date), decoded once
    LunarFestival = GetLunarFestival(lunarMonth, lunarDay, isLeap, date);
    SolarTerm = GetSolarTermOfDate(date);
}

DayTextKind dayTextKind(const TChnCal& info)
{
    if (!info.LunarFestival.empty())
        return DayTextKind::LunarFestival;
    if (!info.SolarTerm.empty())
        return DayTextKind::SolarTerm;
    if (!info.SolarFestival.empty())
        return DayTextKind::SolarFestival;
    if (info.LunarDayName == "初一")
        return DayTextKind::LunarMonthName;
    return DayTextKind::LunarDayName;
}

const std::string& dayText(const TChnCal& info)
{
    switch (dayTextKind(info)) {
    case DayTextKind::LunarFestival:
        return info.LunarFestival;
    case DayTextKind::SolarTerm:
        return info.SolarTerm;
    case DayTextKind::SolarFestival:
        return info.SolarFestival;
    case DayTextKind::LunarMonthName:
        return info.LunarMonthName;
    case DayTextKind::LunarDayName:
        break;
    }
    return info.LunarDayName;
}

} // namespace tavemo::engine
