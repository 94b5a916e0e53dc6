#include "engine/HistoricalMonths.h"

#include <array>
#include <cstdint>

namespace tavemo::engine::historical {
namespace {

struct HistoricalOddMonth {
    int lunarYear; // astronomical numbering, as the table's
    int position;
    int days;
};

#include "tables/HistoricalMonths.inc"

constexpr int kYears = kHistoricalLastLunarYear - kHistoricalFirstLunarYear + 1;
static_assert(kYears == sizeof kHistoricalYears / sizeof kHistoricalYears[0]);

constexpr int leapOf(std::uint32_t word) { return static_cast<int>(word >> 13 & 15); }
constexpr int missingOf(std::uint32_t word) { return static_cast<int>(word >> 17 & 15); }
constexpr int countOf(std::uint32_t word) { return 12 - (missingOf(word) ? 1 : 0) + (leapOf(word) ? 1 : 0); }

constexpr int lengthAt(int index, int position)
{
    for (const HistoricalOddMonth& odd : kHistoricalOddMonths)
        if (odd.lunarYear == index + kHistoricalFirstLunarYear && odd.position == position)
            return odd.days;
    return kHistoricalYears[index] >> position & 1 ? 30 : 29;
}

constexpr int yearLength(int index)
{
    int days = 0;
    for (int p = 0; p < countOf(kHistoricalYears[index]); ++p)
        days += lengthAt(index, p);
    return days;
}

// Day number of each year's 正月初一, and of the day after the last year.
constexpr std::array<int, kYears + 1> kYearStarts = [] {
    std::array<int, kYears + 1> starts{};
    starts[0] = kHistoricalFirstDayNumber;
    for (int i = 0; i < kYears; ++i)
        starts[i + 1] = starts[i] + yearLength(i);
    return starts;
}();

// Engine years (no year 0) to table positions (astronomical years from 0).
constexpr int indexOf(int lunarYear) { return lunarYear < 0 ? lunarYear + 1 : lunarYear; }
constexpr int yearOf(int index) { return index <= 0 ? index - 1 : index; }
bool inTable(int lunarYear) { return lunarYear >= kFirstLunarYear && lunarYear <= kLastLunarYear && lunarYear != 0; }

// Month `position` of year `index`, whose first day is given.
Month monthFrom(int index, int position, int firstDay)
{
    const std::uint32_t word = kHistoricalYears[index];
    const int leap = leapOf(word);
    const int missing = missingOf(word);
    // Walk the year's sequence: 1..12 without the missing one, the leap repeat after its month.
    int number = 0;
    bool isLeap = false;
    for (int m = 1, p = 0; m <= 12; ++m) {
        if (m != missing && p++ == position) {
            number = m;
            break;
        }
        if (m == leap && p++ == position) {
            number = m;
            isLeap = true;
            break;
        }
    }
    return {yearOf(index), number, isLeap, firstDay, lengthAt(index, position)};
}

} // namespace

int firstDayNumber() { return kYearStarts.front(); }
int endDayNumber() { return kYearStarts.back(); }

bool monthOfDay(int dayNumber, Month& out)
{
    if (dayNumber < kYearStarts.front() || dayNumber >= kYearStarts.back())
        return false;
    // A close guess from the mean year, then a step or two onto the year holding the day.
    int index = static_cast<int>((static_cast<long long>(dayNumber) - kYearStarts.front()) * 10000 / 3652422);
    if (index >= kYears)
        index = kYears - 1;
    while (kYearStarts[index] > dayNumber)
        --index;
    while (kYearStarts[index + 1] <= dayNumber)
        ++index;
    int firstDay = kYearStarts[index];
    for (int p = 0;; ++p) {
        const int days = lengthAt(index, p);
        if (dayNumber < firstDay + days) {
            out = monthFrom(index, p, firstDay);
            return true;
        }
        firstDay += days;
    }
}

bool findMonth(int lunarYear, int number, bool leap, Month& out)
{
    if (!inTable(lunarYear))
        return false;
    const int index = indexOf(lunarYear);
    int firstDay = kYearStarts[index];
    for (int p = 0; p < countOf(kHistoricalYears[index]); ++p) {
        const Month m = monthFrom(index, p, firstDay);
        if (m.number == number && m.leap == leap) {
            out = m;
            return true;
        }
        firstDay += m.days;
    }
    return false;
}

int leapMonth(int lunarYear) { return inTable(lunarYear) ? leapOf(kHistoricalYears[indexOf(lunarYear)]) : -1; }

int monthCount(int lunarYear) { return inTable(lunarYear) ? countOf(kHistoricalYears[indexOf(lunarYear)]) : 0; }

bool monthAt(int lunarYear, int index, Month& out)
{
    if (index < 0 || index >= monthCount(lunarYear))
        return false;
    const int y = indexOf(lunarYear);
    int firstDay = kYearStarts[y];
    for (int p = 0; p < index; ++p)
        firstDay += lengthAt(y, p);
    out = monthFrom(y, index, firstDay);
    return true;
}

} // namespace tavemo::engine::historical
