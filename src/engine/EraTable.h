#pragma once
// The historical era table and the era lookup built on it.
//
// Each row holds seven comma-separated fields:
//   1. start year of the period (signed; see below for how years before 1 are numbered),
//   2. length of the period in years,
//   3. era-year offset: the years the era had already run before this row's start year
//      (0 but in the few rows where an era carried over to a new ruler, and in the last row),
//   4. dynasty, 5. ruler's title, 6. ruler's personal name, 7. era name.
// The rows are in a fixed order that the lookup depends on: parallel dynasties follow one another
// (the southern dynasties, then the northern ones going back to 386), and a row whose successor
// starts in the same year or earlier is never selected.
//
// The start years of the rows (field 1) count the years before 1 astronomically: 0 is 1 BC,
// −1 is 2 BC, −139 is 140 BC (the row "-1,...,元寿" begins in 2 BC). GetEraText takes years as
// the rest of the engine numbers them, with no year 0: −1 is 1 BC, −2 is 2 BC. So
// GetEraText(−2) is 元寿元年, GetEraText(−1) 元寿2年 and GetEraText(1) 元始元年.

#include <array>
#include <string>
#include <string_view>

namespace tavemo::engine {

inline constexpr int kEraTableRows = 532;

// Rows in table order, first "-2069,45,0,夏,禹,,禹", last "1949,9999,1948,当代,中国,,公历".
extern const std::array<std::string_view, kEraTableRows> EraTable;

// The first and last year that have an era text (engine numbering: -2070 is 2070 BC).
inline constexpr int kFirstEraYear = -2070;
inline constexpr int kLastEraYear = 1948;

// The index-th field (counted from 1) of text split at separator, with leading and trailing
// blanks and control characters removed. Empty fields count. Empty when text has fewer fields
// or index is below 1.
std::string GetField(std::string_view text, char separator, int index);

// The era text of a year, "[dynasty]title name era" followed by the year of the era ("元" for
// its first year) and "年", e.g. "[清]世祖 爱新觉罗福临 顺治元年"; empty blanks stay in place when a
// field is empty ("[夏]禹  禹元年"). Empty outside kFirstEraYear..kLastEraYear and for 0, which is
// no year.
// The row is the first one, in table order, whose start year is at or before the year and whose
// successor's start year is after it.
std::string GetEraText(int year);

} // namespace tavemo::engine
