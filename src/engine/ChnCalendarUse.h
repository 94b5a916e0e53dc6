#pragma once
// Day information: everything the calendar shows about one day, gathered by one call.
//
// TChnCal is the engine's single entry point for the calendar control. SetDate fills every text
// from the date alone (never from earlier calls), so the control can call it for the chosen date
// and then for each day of the shown month in any order.

#include <string>

namespace tavemo::engine {

class TChnCal {
public:
    // Fields in their documented order. A new instance has both integers 0, the date 0 and every
    // text empty. Texts are UTF-8.
    int LunarYear = 0;          // lunar year of the last date (changes on 正月初一)
    int LunarMonth = 0;         // lunar month 1..12 of the last date; the leap flag shows only in LunarMonthName
    double Date = 0;            // the date-time value last given to SetDate, time of day included
    std::string SolarTerm;      // solar term falling on the day, else empty
    std::string SolarFestival;  // Gregorian festival of the day, else empty
    std::string LunarMonthName; // "五月", "腊月", "闰六"
    std::string DayGanZhi;      // sexagenary day, e.g. "戊午"
    std::string YearGanZhi;     // sexagenary year, the year starting on 立春
    std::string MonthGanZhi;    // sexagenary month, months starting on the 节 terms
    std::string LunarFestival;  // lunar festival of the day or "除夕", else empty
    std::string LunarYearText;  // the lunar year in decimal, e.g. "2023"
    std::string LunarDayName;   // e.g. "廿九"
    std::string Animal;         // zodiac animal of the lunar year, e.g. "兔"
    std::string Constellation;  // western constellation of the Gregorian month and day, e.g. "巨蟹"
    std::string EraText;        // historical era of the Gregorian year; empty from 1949 on

    // Fills the fields for the calendar day of `date` (days since 1899-12-30; the time of day is
    // ignored), decoded in the historical calendar (DateTime.h): a day before 1582-10-15 is a
    // Julian date, and no value names one of the ten days 1582-10-05..14.
    // Years the lunar conversion does not cover (after 2100) and values that decode to no date:
    // only Date changes, every other field keeps its previous value.
    void SetDate(double date);
};

// Gregorian festival for day-of-month `day` in the year and month of `date`, or empty.
// Weekday festivals (母亲节, 父亲节, 感恩节) are judged on the date (year, month of `date`, `day`).
// A festival of modern origin shows from the year it was first kept: 感恩节 1863, 劳动节 1890,
// 父亲节 1910, 妇女节 1911, 元旦节 1912, 母亲节 1914, 建军节 1933, 青年节 1939, 建党节 1941,
// 国庆节 1949, 儿童节 1950, 教师节 1985, 记者日 2000; 情人节, 愚人节, 老人节, 万圣节 and 圣诞节
// show in every year.
std::string GetSolarFestival(int day, double date);

// Lunar festival of the day `date`, whose lunar month is `lunarMonth` (1..12), leap when `isLeap`,
// and lunar day `lunarDay`; or empty.
// The fixed festivals (春节, 元宵节, 端午节, 七夕节, 中秋节, 重阳节, 腊八节) fall only in the regular
// month, never on its leap repeat. "除夕" is the last day of the twelfth month before 正月初一,
// whether that twelfth month is the regular or the leap one; it is found by asking the lunar date
// of the next day, so `date` must be the day itself.
std::string GetLunarFestival(int lunarMonth, int lunarDay, bool isLeap, double date);

// Decodes `date` (historical calendar, time of day ignored) and returns the lunar date of that
// day. False, with the outputs untouched, when the date cannot be decoded or lies after 2100.
bool GetLunarDateOfDay(double date, int& lunarYear, int& lunarMonth, int& lunarDay, bool& isLeap);

// What a day of the month view shows under its number, by priority: a lunar festival, then a
// solar term, then a Gregorian festival, then the lunar month's name on its first day, else the
// lunar day's name. The month view colours each kind in its own way.
enum class DayTextKind { LunarFestival, SolarTerm, SolarFestival, LunarMonthName, LunarDayName };
DayTextKind dayTextKind(const TChnCal& info);
// The text of that kind, after SetDate of the day.
const std::string& dayText(const TChnCal& info);

} // namespace tavemo::engine
