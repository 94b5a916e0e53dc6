#pragma once
// The days the calendar shows: 0001-01-01 to 2100-12-31 of the historical calendar (Julian before
// 1582-10-15), the years the lunar tables cover from the first year of the era on. Every part of
// the program that takes a date from a person or a file checks it here.

#include "engine/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace tavemo::engine {

inline constexpr int kFirstCalendarYear = 1;
inline constexpr int kLastCalendarYear = 2100;

constexpr bool isCalendarYear(int year) { return year >= kFirstCalendarYear && year <= kLastCalendarYear; }

// "0001-01-01 至 2100-12-31", for messages.
std::string calendarRangeText();

// A whole decimal number of at most nine digits, digits only (no sign, no spaces).
std::optional<int> parseDecimal(std::string_view text);

// A day the calendar shows, written "YYYY-MM-DD" (four, two and two digits) or, when
// `acceptCompact`, "YYYYMMDD"; its value at 00:00. Nothing for any other text, a day that does
// not exist (the ten days 1582-10-05 .. 1582-10-14 among them) or a year outside the range.
std::optional<DateTime> parseCalendarDate(std::string_view text, bool acceptCompact = false);

// Why parseCalendarDate refuses `text`, in Chinese, without the text itself: the ten days of 1582
// are said never to have existed, anything else is "不是 0001-01-01 至 2100-12-31 之间的日期".
std::string whyNotACalendarDate(std::string_view text, bool acceptCompact = false);

} // namespace tavemo::engine
