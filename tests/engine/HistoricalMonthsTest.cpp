// The engine's lunar months of the lunar years -1 .. 1900 against the table of the months as
// they were issued (data/historical-lunar-months.tsv), month by month and day by day.

#include "engine/LunarCore.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace tavemo::engine;

namespace {

struct TableMonth {
    int firstDay;  // day number
    int lunarYear; // engine numbering
    int month;     // negative: leap
    int days;
};

// The table's lunar years are astronomical (0 = the year that began in 1 BC); the engine's have
// no year 0.
int engineYear(int astronomical) { return astronomical <= 0 ? astronomical - 1 : astronomical; }

const std::vector<TableMonth>& tableMonths()
{
    static const std::vector<TableMonth> months = [] {
        std::vector<TableMonth> list;
        std::ifstream in(TAVEMO_DATA_DIR "/historical-lunar-months.tsv");
        std::string line;
        std::getline(in, line); // header
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            long jdn = 0;
            std::string date;
            int year = 0, month = 0, days = 0;
            if (fields >> jdn >> date >> year >> month >> days)
                list.push_back({static_cast<int>(jdn - 1721425), engineYear(year), month, days});
        }
        return list;
    }();
    return months;
}

std::string text(int lunarYear, int month, bool leap, int day)
{
    return std::to_string(lunarYear) + (leap ? " leap " : " ") + std::to_string(month) + "/" + std::to_string(day);
}

} // namespace

// Every month: its first day, number, leap flag and length as LunarToSolar and GetLunarMonthDays
// give them, and every one of its days from 0001-01-01 on as GetLunarDate reads it.
TEST(HistoricalMonths, EngineEqualsTheTableMonthByMonthAndDayByDay)
{
    const auto& months = tableMonths();
    ASSERT_EQ(months.size(), 23512u);
    int daysChecked = 0;
    for (const TableMonth& m : months) {
        const bool leap = m.month < 0;
        const int number = leap ? -m.month : m.month;
        SCOPED_TRACE(text(m.lunarYear, number, leap, 1));
        if (m.firstDay >= -1) {
            int y = 0, mo = 0, d = 0, ty = 0, tm = 0, td = 0;
            ASSERT_TRUE(LunarToSolar(m.lunarYear, number, 1, leap, y, mo, d));
            ASSERT_TRUE(DayNumberToDate(m.firstDay, ty, tm, td));
            ASSERT_EQ(y * 10000 + mo * 100 + d, ty * 10000 + tm * 100 + td);
        }
        ASSERT_EQ(GetLunarMonthDays(m.lunarYear, number, leap), m.days);
        for (int i = 0; i < m.days; ++i) {
            int y = 0, mo = 0, d = 0;
            if (!DayNumberToDate(m.firstDay + i, y, mo, d))
                continue; // before 0001-01-01
            bool isLeap = false;
            int lunarDay = 0, lunarMonth = 0, lunarYear = 0;
            ASSERT_TRUE(GetLunarDate(y, mo, d, isLeap, lunarDay, lunarMonth, lunarYear));
            ASSERT_EQ(text(lunarYear, lunarMonth, isLeap, lunarDay), text(m.lunarYear, number, leap, i + 1))
                << y << '-' << mo << '-' << d;
            ++daysChecked;
        }
    }
    // 0001-01-01 .. 1901-02-18, every day.
    EXPECT_EQ(daysChecked, GetDayNumber(1901, 2, 18) - GetDayNumber(1, 1, 1) + 1);
}

// Each lunar year's leap month is the table's; a month a year does not have is not found.
TEST(HistoricalMonths, LeapMonthsAndMissingMonths)
{
    std::map<int, int> leapOfYear;
    for (const TableMonth& m : tableMonths()) {
        leapOfYear.try_emplace(m.lunarYear, 0);
        if (m.month < 0)
            leapOfYear[m.lunarYear] = -m.month;
    }
    ASSERT_EQ(leapOfYear.size(), 1901u);
    for (const auto& [year, leap] : leapOfYear)
        ASSERT_EQ(GetLeapMonth(year), leap) << year;

    int y = 7, m = 7, d = 7;
    EXPECT_FALSE(LunarToSolar(237, 3, 1, false, y, m, d));   // 237 went from the second to the fourth month
    EXPECT_FALSE(LunarToSolar(8, 12, 1, false, y, m, d));    // 8 ended after its eleventh
    EXPECT_FALSE(LunarToSolar(1900, 7, 1, true, y, m, d));   // 1900's leap month is the eighth
    EXPECT_FALSE(LunarToSolar(236, 12, 29, false, y, m, d)); // a 腊月 of 28 days
    EXPECT_EQ(y + m + d, 21);
    EXPECT_EQ(GetLunarMonthDays(237, 3, false), 0);
    EXPECT_EQ(GetLunarMonthDays(236, 12, false), 28);
}

// Where the table ends the computed months go on without a seam.
TEST(HistoricalMonths, TheComputedMonthsTakeOverIn1901)
{
    struct Case {
        int year, month, day;
        const char* lunar;
    };
    const Case cases[] = {
        {1901, 1, 20, "1900 12/1"},
        {1901, 2, 18, "1900 12/30"},
        {1901, 2, 19, "1901 1/1"},
        {1901, 3, 20, "1901 2/1"},
    };
    for (const Case& c : cases) {
        bool leap = false;
        int d = 0, m = 0, y = 0;
        ASSERT_TRUE(GetLunarDate(c.year, c.month, c.day, leap, d, m, y));
        EXPECT_EQ(text(y, m, leap, d), c.lunar) << c.year << '-' << c.month << '-' << c.day;
    }
    EXPECT_EQ(GetLunarMonthDays(1900, 12, false), 30);
    EXPECT_EQ(GetLunarMonthDays(1901, 1, false), 29);
}
