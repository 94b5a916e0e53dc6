#pragma once
// The historical era table: one text row per period, in the fixed order the era lookup walks.
// Each row holds seven comma-separated fields:
//   start year (signed; negative = BC in historical numbering), length in years, a third number
//   (0 but in six rows), dynasty, ruler's title, ruler's personal name, era name.
// The lookup reads fields 1, 4, 5, 6 and 7; fields 2 and 3 are carried but not read.

#include <array>
#include <string_view>

namespace tavemo::engine {

inline constexpr int kEraTableRows = 529;

// Defined in EraTable.cpp; rows in table order, first "-2069,...", last "1949,9999,1948,当代,中国,,公历".
extern const std::array<std::string_view, kEraTableRows> EraTable;

} // namespace tavemo::engine
