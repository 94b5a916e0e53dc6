#pragma once
// Chinese calendar core: historical day arithmetic, lunar dates, the sexagenary cycle, zodiac,
// constellations and the 24 solar terms.
//
// Dates are triples (year, month 1..12, day) of the historical Western calendar: Julian up to
// 1582-10-04, Gregorian from 1582-10-15; the ten days between are "dropped". Years are numbered
// historically: -1 is 1 BC and there is no year 0. Integer division truncates toward zero.
//
// Operations that can fail return bool and leave their out-parameters untouched on failure.
// Name lookups return an empty view for an index outside their table; the views point at static
// storage and stay valid for the life of the program. No exceptions, no I/O, no global state
// beyond the thread-safe per-year memo described at the end of this file. Any int is a valid
// argument; far outside the tables the results are meaningless but computed without overflow.

#include <array>
#include <string_view>

#include "engine/DateTime.h"

namespace tavemo::engine {

// ---------------------------------------------------------------------------------------------
// Historical day arithmetic

// 1 = Julian date, 0 = one of the dropped days 1582-10-05 .. 1582-10-14, 2 = Gregorian date.
int GetCalendarType(int year, int month, int day);

// True for one of the ten dropped days 1582-10-05 .. 1582-10-14, which have no day number and no
// Chinese calendar data (callers show nothing for them).
bool isDroppedDay(int year, int month, int day);

// Julian rule up to 1582 (for negative years: -1, -5, -9, ... are leap), Gregorian from 1583.
bool IsHistoricLeapYear(int year);

// Days of the month by IsHistoricLeapYear; 0 for a month outside 1..12. October 1582 keeps 31.
int GetMonthDays(int year, int month);

// Ordinal day within the year, 1 = 1 January (day may be 0 or exceed the month: it is added as is).
int GetDayOfYear(int year, int month, int day);

// Day number: 1 = proleptic Gregorian 0001-01-01, so Julian 0001-01-01 is -1, Julian 1582-10-04
// is 577735, Gregorian 1582-10-15 is 577736 and 2000-01-01 is 730120. Consecutive historical
// days have consecutive numbers from year 1 on. 0 for a dropped day. (Years <= 0 follow the
// same formula and are not consecutive with year 1; the lunar tables are fitted to it.)
// This and DayNumberToDate are the one place of the historical calendar rule: the date-time
// value's encoding and decoding (DateTime.h) are built on them.
int GetDayNumber(int year, int month, int day);

// Inverse of GetDayNumber from Julian 0001-01-01 (day number -1) on: Julian dates up to 577735,
// Gregorian after. False (outputs untouched) for a day number below -1.
bool DayNumberToDate(int dayNumber, int& year, int& month, int& day);

// +1 if the first date is later, 0 if equal, -1 if earlier (year, then month, then day).
int CompareDates(int year, int month, int day, int year2, int month2, int day2);

// ---------------------------------------------------------------------------------------------
// Lunar dates

inline constexpr int kMinLunarYear = -849;
inline constexpr int kMaxLunarYear = 2100;

// One hexadecimal digit per year -849 .. 2100 at position year + 849 (position 849 is the
// non-existent year 0, "0"): "0" no leap month, else the month followed by its leap repeat.
extern const std::string_view LeapMonthTable;

// Leap month of the lunar year (0 for none): the historical calendars' for -1 .. 1900, the
// leap-month table's digit for the other years; -1 for a year outside -849..2100.
int GetLeapMonth(int year);
// The same with -1 clamped to 0.
int GetLeapMonthClamped(int year);

// Number of years from -849 up to and including this one whose LeapMonthTable digit is not "0"
// (-1 -> 311, 1 -> 311, 2000 -> 1047, 2100 -> 1084), what the computed month count is fitted to;
// 0 outside -849..2100.
int GetLeapMonthCount(int year);

// Lunar day 1..30 from the computed new moons (Beijing time), with the fixed corrections of a few
// years; -1 when no computed new moon falls on the date or in the 29 days before it.
int GetLunarDay(int year, int month, int day);

// Lunar month 1..12, negated for a leap month: a count of mean lunations corrected by the leap
// tables and by offsets for the early eras. Meaningful for years -849..2100.
int GetLunarMonth(int year, int month, int day);

// Lunar month and day. False outside -849..2100 and for a dropped day.
bool GetLunarMonthDay(int year, int month, int day, bool& isLeap, int& lunarDay, int& lunarMonth);

// Lunar month, day and year (the lunar year changes on 正月初一). False outside -849..2100 and
// for a dropped day.
//
// From 0001-01-01 to 1901-02-18 (the lunar years -1 .. 1900) the lunar months are the ones the
// historical calendars issued (HistoricalMonths.h): mean new moons in the early centuries, the
// official tables later, with the few irregular years of those calendars (236 closed with a
// month of 28 days, 237 went from its second month to its fourth). From the lunar year 1901 on,
// and before year 1, they come from the computed new moons and the leap-month table.
// GetLunarDay, GetLunarMonth, GetLunarMonthDay, LunarToSolar and GetLeapMonth answer alike.
bool GetLunarDate(int year, int month, int day, bool& isLeap, int& lunarDay, int& lunarMonth, int& lunarYear);

// Date of a lunar date (day 1..30 of month 1..12, its leap repeat when isLeap). Lunar years run
// -849 .. -1 and 1 .. 2100, as the engine numbers years (-1 is the lunar year that began in 1 BC;
// there is no year 0). Every lunar date on or after 0001-01-01 is found: from the historical
// table up to the lunar year 1900, by bisection over the day numbers of lunarYear and the year
// after from 1901 on. Before 0001-01-01 only 正月初一 is found (a scan of January to April of
// lunarYear when the bisection misses), since the day numbers there do not run on one per day.
// False, outputs untouched, when the date was not found or does not exist (a day past the
// month's length, a month the year lacks, a leap month in a year whose leap month differs).
bool LunarToSolar(int lunarYear, int lunarMonth, int lunarDay, bool isLeap, int& year, int& month, int& day);

// Days of a lunar month (29 or 30; 28 for 腊月 of 236); 0 when the year has no such month, or
// when the month is neither in the historical table nor found by LunarToSolar on or after
// 0001-01-01.
int GetLunarMonthDays(int lunarYear, int lunarMonth, bool isLeap);

// +1 candidate later, 0 equal, -1 earlier: year, then month number; within one month number the
// leap repeat is later than the regular month.
int CompareLunarDates(int year, int month, int day, bool isLeap, int targetYear, int targetMonth, int targetDay,
                      bool targetIsLeap);

// "正月" .. "腊月" for a regular month, "闰正" .. "闰腊" (no "月") for a leap month; empty outside 1..12.
std::string_view GetLunarMonthName(int lunarMonth, bool isLeap);

// "初一" .. "三十"; empty outside 1..30.
std::string_view GetLunarDayName(int lunarDay);

// ---------------------------------------------------------------------------------------------
// Sexagenary cycle, zodiac, constellations and solar terms

std::string_view GetGanZhiName(int index);        // 0 甲子 .. 59 癸亥
std::string_view GetZodiacName(int index);        // 0 鼠 .. 11 猪
std::string_view GetConstellationName(int index); // 0 白羊 .. 11 双鱼
std::string_view GetSolarTermName(int index);     // 0 立春 .. 23 大寒

// Sexagenary index of a stem 0..9 and branch 0..11; -1 when out of range or of different parity.
int CombineGanZhi(int stem, int branch);

// Stem and branch of a sexagenary index; for an index outside 0..59 both are -1 and the result
// is false.
bool SplitGanZhi(int index, int& stem, int& branch);

// Sexagenary index of the year itself (1984 甲子, year 1 辛酉, year -1 庚申).
int GetYearGanZhi(int year);

// Zodiac animal index of a (lunar) year (1984 鼠).
int GetZodiac(int year);

// Sexagenary index of the year containing the date, the year starting on the day of 立春.
int GetSolarYearGanZhi(int year, int month, int day);

// Solar month 1..12 (month 1 starts at 立春, each month at a 节 term) and the year it belongs to.
void GetSolarMonth(int year, int month, int day, int& solarYear, int& solarMonth);

// Sexagenary index of the solar month containing the date.
int GetMonthGanZhi(int year, int month, int day);

// Sexagenary index of the day ((day number + 14) mod 60 for every date of year 1 on).
int GetDayGanZhi(int year, int month, int day);

// Constellation index of a month and day (20 January .. 18 February is 10 宝瓶).
int GetConstellation(int month, int day);

// Moment of solar term n (1 = 小寒, 2 = 大寒, 3 = 立春, ..., 24 = 冬至, 25 = next January's 小寒)
// of the year, as a day of that year with fraction, Beijing time: Floor is the day
// (1 = 1 January, counted through day numbers), the fraction the time of day.
long double GetSolarTermDay(int year, int n);

// Month, day, hour and minute (minute may be 60, never carried) of term number index + 1 of the
// year: index 0 is 小寒, 1 大寒, 2 立春, ..., 23 冬至 (its name is GetSolarTermName((index + 22) % 24)).
// The day is counted through day numbers, so a term can fall in the previous December.
// False for an index outside 0..23.
bool GetSolarTermDate(int year, int index, int& month, int& day, int& hour, int& minute);

// Name of the solar term whose moment falls on the day of the value (decoded in the historical
// calendar, DateTime.h), or empty.
std::string_view GetSolarTermOfDate(DateTime date);

// ---------------------------------------------------------------------------------------------
// Per-year memo
//
// Everything the new-moon loop, the lunar new year search and the solar-term formula compute
// depends on the year alone. For years -849..2100 (solar terms: -850..2101) these results are
// computed on first use, once per year, thread-safely, and reused; every result is bit-identical
// to the direct computation, which the `direct` namespace runs without the memo.

inline constexpr int kNewMoonCount = 15;

// Day numbers of the 15 computed new moons of the year's loop (lunations -1 .. 13 from the
// year's base lunation), in the order the loop visits them.
std::array<int, kNewMoonCount> NewMoonDayNumbers(int year);

namespace direct {
std::array<int, kNewMoonCount> NewMoonDayNumbers(int year);
long double GetSolarTermDay(int year, int n);
int GetLunarDay(int year, int month, int day);
bool GetLunarDate(int year, int month, int day, bool& isLeap, int& lunarDay, int& lunarMonth, int& lunarYear);
bool LunarToSolar(int lunarYear, int lunarMonth, int lunarDay, bool isLeap, int& year, int& month, int& day);
} // namespace direct

} // namespace tavemo::engine
