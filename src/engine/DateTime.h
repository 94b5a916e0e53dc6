#pragma once
// The date-time value the program passes around: a double count of days since 1899-12-30
// (day 0), whose fraction is the time of day. Dates are proleptic Gregorian throughout
// (this is the civil calendar of the user's clock, not the historical calendar of LunarCore).
//
// A negative value keeps its integer part as the date and the absolute value of its fraction as
// the time: -1.25 is 1899-12-29 06:00. Valid dates run from 0001-01-01 to 9999-12-31.

#include <string>

namespace tavemo::engine {

using DateTime = double;

inline constexpr int kMinDateTimeYear = 1;
inline constexpr int kMaxDateTimeYear = 9999;
inline constexpr DateTime kMinDateTime = -693593.0;  // 0001-01-01
inline constexpr DateTime kMaxDateTime = 2958465.0;  // 9999-12-31 (any time of that day is valid)

// Gregorian leap rule applied to every year (proleptic).
// Inline: the historical day arithmetic asks it in its inner loops.
constexpr bool isGregorianLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Days of the month in the proleptic Gregorian calendar; 0 for a month outside 1..12.
int daysInMonth(int year, int month);

// True for a proleptic Gregorian date within 0001-01-01 .. 9999-12-31.
bool isValidDate(int year, int month, int day);

// Encodes a date at 00:00. False (out untouched) unless isValidDate.
bool tryEncodeDate(int year, int month, int day, DateTime& out);

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

// ISO 8601 week number 1..53 (weeks start on Monday; week 1 holds the year's first Thursday,
// so early January can be week 52 or 53 and late December week 1). When weekYear is given it
// receives the year the week belongs to. 0 for a value decodeDate rejects.
int isoWeekNumber(DateTime value, int* weekYear = nullptr);

// "YYYY-MM-DD" of the value's day; empty for a value decodeDate rejects.
std::string formatIsoDate(DateTime value);

// The current local date and time (the system clock in the machine's time zone).
DateTime currentDateTime();

// Today's local date at 00:00.
DateTime currentDate();

} // namespace tavemo::engine
