#pragma once
// The lunar months as the historical calendars issued them, lunar years -1 .. 1900 (engine
// numbering: -1 is the lunar year that began in 1 BC), packed from data/historical-lunar-months.tsv
// into tables/HistoricalMonths.inc by tables/GenerateHistoricalMonths.cpp. LunarCore answers the
// lunar dates of those years from here and computes them from 1901 on.
//
// Day numbers are LunarCore's (1 = proleptic Gregorian 0001-01-01), continued before year 1 at
// one per day, so the first month here begins on day -313 (1 BC-02-24, Julian). Pure lookups
// into compiled-in tables: no I/O, no state.

namespace tavemo::engine::historical {

inline constexpr int kFirstLunarYear = -1;
inline constexpr int kLastLunarYear = 1900;

struct Month {
    int lunarYear = 0; // engine numbering
    int number = 0;    // 1..12
    bool leap = false; // the leap repeat of month `number`
    int firstDay = 0;  // day number of its 初一
    int days = 0;      // 29 or 30 (28 once: 腊月 of 236)
};

// The first day of the table and the day after its last (the new year of lunar 1901, 1901-02-19).
int firstDayNumber();
int endDayNumber();

// The month holding a day number; false outside firstDayNumber() .. endDayNumber() - 1.
bool monthOfDay(int dayNumber, Month& out);

// Month `number` (its leap repeat when `leap`) of a lunar year; false when the year is not in the
// table or has no such month.
bool findMonth(int lunarYear, int number, bool leap, Month& out);

// The leap month of a lunar year, 0 for none; -1 for a year not in the table.
int leapMonth(int lunarYear);

// The months of a lunar year in order: 12 or 13, and 11 in 237, whose calendar went from its
// second month to its fourth (8, which ended after its eleventh month, still has a leap first
// month). 0 for a year not in the table. `index` runs from 0 in monthAt.
int monthCount(int lunarYear);
bool monthAt(int lunarYear, int index, Month& out);

} // namespace tavemo::engine::historical
