#pragma once
// The date-time value the program passes around: a double count of days since 1899-12-30
// (day 0), whose fraction is the time of day. The count runs on without a gap, so +1 is always
// the next day; only its conversion to and from year/month/day follows the historical calendar:
// Julian up to 1582-10-04, Gregorian from 1582-10-15 (the day after). The ten days between
// never existed: no value decodes to them and none encodes from them. The rule itself lives in
// LunarCore's GetDayNumber / DayNumberToDate; this module only shifts the day number onto the
// date-time scale.
//
// A negative value keeps its integer part as the date and the absolute value of its fraction as
// the time: -1.25 is 1899-12-29 06:00. Valid dates run from 0001-01-01 (Julian) to 9999-12-31.

#include <string>

namespace tavemo::engine {

using DateTime = double;

inline constexpr int kMinDateTimeYear = 1;
inline constexpr int kMaxDateTimeYear = 9999;
inline constexpr DateTime kMinDateTime = -693595.0; // Julian 0001-01-01
inline constexpr DateTime kMaxDateTime = 2958465.0; // 9999-12-31 (any time of that day is valid)

// Gregorian leap rule applied to every year (proleptic).
// Inline: the historical day arithmetic asks it in its inner loops.
constexpr bool isGregorianLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

// The number of the month's last day in the historical calendar (Julian February 29 in every
// fourth year up to 1582, the Gregorian rule from 1583); 0 for a month outside 1..12. October
// 1582 ends on the 31st although it has only 21 days (see monthLayout).
int daysInMonth(int year, int month);

// True for a date of the historical calendar within 0001-01-01 .. 9999-12-31: never one of the
// ten days 1582-10-05 .. 1582-10-14.
bool isValidDate(int year, int month, int day);

// Encodes a date at 00:00. False (out untouched) unless isValidDate.
bool tryEncodeDate(int year, int month, int day, DateTime& out);

// A month as a calendar lays it out in weeks from Sunday. Its days are the values first,
// first + 1, ..., first + dayCount - 1, in order; day i sits in cell leadingCells + i of the weeks
// (cell 0 is the Sunday on or before the 1st). dayCount is 28..31, and 21 for October 1582,
// whose Thursday the 4th is followed by Friday the 15th.
struct MonthLayout {
    DateTime first = 0;
    int leadingCells = 0; // 0..6
    int dayCount = 0;
};
// False (out untouched) for a month outside 1..12 or a year outside 1..9999.
bool monthLayout(int year, int month, MonthLayout& out);

// Encodes a time of day as a fraction of a day. False (out untouched) unless
// 0 <= hour < 24, 0 <= minute < 60, 0 <= second < 60 and 0 <= msec < 1000.
bool tryEncodeTime(int hour, int minute, int second, int msec, double& out);

// Splits off the calendar day (the integer part, truncated toward zero). False (outputs
// untouched) for NaN or a value whose day lies outside 0001-01-01 .. 9999-12-31.
bool decodeDate(DateTime value, int& year, int& month, int& day);

// Splits the time of day, rounded to the nearest millisecond (never carried into the next day).
// False (outputs untouched) under the same conditions as decodeDate.
bool decodeTime(DateTime value, int& hour, int& minute, int& second, int& msec);

// Weekday 1 = Sunday .. 7 = Saturday; 0 for a value decodeDate rejects.
int dayOfWeek(DateTime value);

// The weekday as the interface writes it, one character in UTF-8: 日 for 1 (Sunday), 一 .. 六 for
// 2 .. 7 (Monday .. Saturday); empty for any other number.
const char* weekdayCharacter(int weekday);

// ISO 8601 week number 1..53 (weeks start on Monday; week 1 holds the year's first Thursday,
// so early January can be week 52 or 53 and late December week 1). When weekYear is given it
// receives the year the week belongs to. Years before 1583 are the historical calendar's years
// and their days are counted from 1 January (1582 has 355), so the weeks run on unbroken
// across the change of 1582. 0 for a value decodeDate rejects.
int isoWeekNumber(DateTime value, int* weekYear = nullptr);

// "YYYY-MM-DD" of the value's day; empty for a value decodeDate rejects.
std::string formatIsoDate(DateTime value);

// The current local date and time (the system clock in the machine's time zone).
DateTime currentDateTime();

// Today's local date at 00:00.
DateTime currentDate();

} // namespace tavemo::engine
