#pragma once
// The command line of tavemo-cal, read into what the program is to do. Pure: no I/O, no clock,
// so that the month of "today" is looked up by the caller.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DateTime.h"

namespace tavemo::cal {

inline constexpr int kFirstYear = 1; // the calendar window's year range
inline constexpr int kLastYear = 2100;

// A whole decimal number of at most nine digits, digits only (no sign, no spaces).
std::optional<int> parseNumber(std::string_view text);

bool inCalendarRange(int year);

// "YYYY-MM-DD" of a day of the historical calendar (Julian before 1582-10-15; never one of the
// ten days 1582-10-05 .. 1582-10-14) in the years kFirstYear..kLastYear.
std::optional<engine::DateTime> parseDate(std::string_view text);

// The one-line message for an argument parseDate refuses: for the ten days of 1582 it says that
// they never existed.
std::string notADate(std::string_view arg);

struct Arguments {
    enum class Mode {
        Help,  // --help / -h
        Version, // --version
        Today, // no arguments: this month, today chosen
        Month, // YEAR MONTH (its first day chosen) or YYYY-MM-DD: the month of `chosen`
        Dump,  // --dump FROM TO, from <= to
    };
    Mode mode = Mode::Today;
    engine::DateTime chosen = 0;
    engine::DateTime from = 0;
    engine::DateTime to = 0;
    // Empty when the arguments were understood; otherwise the one-line message for the user, and
    // the other fields mean nothing.
    std::string error;
};

// The arguments after the program name.
Arguments parseArguments(const std::vector<std::string_view>& args);

} // namespace tavemo::cal
