// Whole-range sweeps: every day of the years 1 to 2100, and every year of the lunar tables.

#include "engine/LunarCore.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <thread>
#include <vector>

using namespace tavemo::engine;

namespace {

// Calls f(year, month, day) for every historical date from 0001-01-01 to 2100-12-31, in order,
// without the dropped days of October 1582.
template <typename F>
void forEachHistoricalDay(F&& f)
{
    for (int year = 1; year <= 2100; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= GetMonthDays(year, month); ++day)
                if (!isDroppedDay(year, month, day))
                    f(year, month, day);
}

int termIndex(std::string_view name)
{
    for (int i = 0; i < 24; ++i)
        if (GetSolarTermName(i) == name)
            return i;
    return -1;
}

} // namespace

// Day numbers run on without a gap across the change of 1582 and convert back to the same date,
// Julian dates included; the date-time value is the day number shifted, the weekday and the day
// of the cycle follow it.
TEST(Sweep, DayNumbersOfEveryDay)
{
    int expected = -1; // Julian 0001-01-01, a Saturday
    forEachHistoricalDay([&](int y, int m, int d) {
        if (testing::Test::HasFatalFailure())
            return;
        const int dayNumber = GetDayNumber(y, m, d);
        ASSERT_EQ(dayNumber, expected) << y << '-' << m << '-' << d;
        ++expected;
        ASSERT_EQ(GetDayGanZhi(y, m, d), (dayNumber + 14) % 60) << y << '-' << m << '-' << d;
        int by = 0, bm = 0, bd = 0;
        ASSERT_TRUE(DayNumberToDate(dayNumber, by, bm, bd));
        ASSERT_EQ(by * 10000 + bm * 100 + bd, y * 10000 + m * 100 + d) << dayNumber;

        DateTime value = 0;
        ASSERT_TRUE(tryEncodeDate(y, m, d, value)) << y << '-' << m << '-' << d;
        ASSERT_EQ(value, dayNumber - 693594.0);
        ASSERT_TRUE(decodeDate(value, by, bm, bd));
        ASSERT_EQ(by * 10000 + bm * 100 + bd, y * 10000 + m * 100 + d) << dayNumber;
        ASSERT_EQ(dayOfWeek(value), (dayNumber % 7 + 7) % 7 + 1) << y << '-' << m << '-' << d; // day 1 a Monday
    });
    EXPECT_EQ(expected - 1, GetDayNumber(2100, 12, 31));
}

// Lunar dates advance one day at a time; a month of 29 or 30 days is followed by the next month,
// the leap repeat of the same month, or 正月 of the next lunar year. The issued calendars break
// the pattern three times, as the historical table has them: 8 ended after its eleventh month,
// 236 closed with a month of 28 days, and 237 went from its second month to its fourth.
TEST(Sweep, LunarDatesAdvanceDayByDay)
{
    struct Lunar {
        int year = 0, month = 0, day = 0;
        bool leap = false;
    } previous;
    bool first = true;
    int monthsOf29 = 0, monthsOf30 = 0, irregular = 0;
    forEachHistoricalDay([&](int y, int m, int d) {
        if (testing::Test::HasFatalFailure())
            return;
        Lunar current;
        ASSERT_TRUE(GetLunarDate(y, m, d, current.leap, current.day, current.month, current.year));
        ASSERT_TRUE(current.day >= 1 && current.day <= 30) << y << '-' << m << '-' << d;
        ASSERT_TRUE(current.month >= 1 && current.month <= 12) << y << '-' << m << '-' << d;
        if (first) {
            previous = current;
            first = false;
            return;
        }
        bool follows = false;
        if (current.day == previous.day + 1) {
            follows = current.month == previous.month && current.leap == previous.leap && current.year == previous.year;
        } else if (current.day == 1 && previous.day >= 28) {
            (previous.day == 29 ? monthsOf29 : monthsOf30)++;
            if (current.month == 1 && !current.leap)
                follows = previous.month == 12 && current.year == (previous.year == -1 ? 1 : previous.year + 1);
            else
                follows = current.year == previous.year &&
                          ((current.leap && !previous.leap && current.month == previous.month) ||
                           (!current.leap && current.month == previous.month + 1));
            const int at = y * 10000 + m * 100 + d;
            if (!follows && (at == 90115 || at == 2370412)) {
                follows = true;
                ++irregular;
            }
            if (previous.day == 28) {
                follows = follows && at == 2370212;
                ++irregular;
            }
        }
        ASSERT_TRUE(follows) << y << '-' << m << '-' << d << ": " << current.year << ' '
                             << (current.leap ? "leap " : "") << current.month << '/' << current.day << " after "
                             << previous.year << ' ' << (previous.leap ? "leap " : "") << previous.month << '/'
                             << previous.day;
        previous = current;
    });
    EXPECT_EQ(irregular, 3);
    // About 53% of lunar months have 30 days.
    EXPECT_GT(monthsOf30, monthsOf29);
    EXPECT_LT(monthsOf30, monthsOf29 * 13 / 10);
}

// Every day from 0001-01-01 to 2100-12-31: the terms come in their order, one every 14 to 16
// days, none lost to the Julian drift and none doubled.
TEST(Sweep, SolarTermsComeInOrder)
{
    int previousIndex = -1;
    int previousDayNumber = 0;
    int terms = 0;
    forEachHistoricalDay([&](int y, int m, int d) {
        if (testing::Test::HasFatalFailure())
            return;
        DateTime day = 0;
        ASSERT_TRUE(tryEncodeDate(y, m, d, day));
        const std::string_view name = GetSolarTermOfDate(day);
        if (name.empty())
            return;
        const int index = termIndex(name);
        const int dayNumber = GetDayNumber(y, m, d);
        if (previousIndex >= 0) {
            ASSERT_EQ((index - previousIndex + 24) % 24, 1) << y << '-' << m << '-' << d << ' ' << name;
            const int gap = dayNumber - previousDayNumber;
            ASSERT_TRUE(gap >= 14 && gap <= 16) << y << '-' << m << '-' << d << ' ' << gap;
        }
        previousIndex = index;
        previousDayNumber = dayNumber;
        ++terms;
    });
    EXPECT_GE(terms, 24 * 2100 - 2);
    EXPECT_LE(terms, 24 * 2100 + 1);
}

// The per-year memo gives exactly what the direct computation gives, for every year it covers.
TEST(Sweep, MemoEqualsDirectComputation)
{
    for (int year = kMinLunarYear - 1; year <= kMaxLunarYear + 1; ++year) {
        for (int n = 1; n <= 25; ++n) {
            const long double memo = GetSolarTermDay(year, n);
            const long double direct = direct::GetSolarTermDay(year, n);
            ASSERT_EQ(std::memcmp(&memo, &direct, 10), 0) << year << " term " << n; // the 80 value bits
        }
        if (year < kMinLunarYear || year > kMaxLunarYear)
            continue;
        ASSERT_EQ(NewMoonDayNumbers(year), direct::NewMoonDayNumbers(year)) << year;
        int my = 0, mm = 0, md = 0, dy = 0, dm = 0, dd = 0;
        const bool memoFound = LunarToSolar(year, 1, 1, false, my, mm, md);
        const bool directFound = direct::LunarToSolar(year, 1, 1, false, dy, dm, dd);
        ASSERT_EQ(memoFound, directFound) << year;
        ASSERT_EQ(my * 10000 + mm * 100 + md, dy * 10000 + dm * 100 + dd) << year;
    }
}

// Threads filling the memo at the same time see the direct results.
TEST(Sweep, MemoIsThreadSafe)
{
    constexpr int kFirstYear = 1800, kLastYear = 2100, kThreads = 4;
    struct Result {
        bool leap;
        int day, month, year;
    };
    const auto dates = [] {
        std::vector<std::array<int, 3>> list;
        for (int y = kFirstYear; y <= kLastYear; ++y)
            for (int m = 1; m <= 12; ++m)
                list.push_back({y, m, 1 + (y + m) % 28});
        return list;
    }();
    std::vector<std::vector<Result>> results(kThreads, std::vector<Result>(dates.size()));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Each thread walks the dates in its own order, so they meet on unfilled years.
            for (std::size_t i = 0; i < dates.size(); ++i) {
                const std::size_t j = t % 2 ? dates.size() - 1 - i : i;
                const std::size_t k = (j + (t / 2) * (dates.size() / 2)) % dates.size();
                Result& r = results[t][k];
                GetLunarDate(dates[k][0], dates[k][1], dates[k][2], r.leap, r.day, r.month, r.year);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t k = 0; k < dates.size(); ++k) {
        Result expected{};
        ASSERT_TRUE(direct::GetLunarDate(dates[k][0], dates[k][1], dates[k][2], expected.leap, expected.day,
                                         expected.month, expected.year));
        for (int t = 0; t < kThreads; ++t) {
            const Result& r = results[t][k];
            ASSERT_TRUE(r.leap == expected.leap && r.day == expected.day && r.month == expected.month &&
                        r.year == expected.year)
                << dates[k][0] << '-' << dates[k][1] << '-' << dates[k][2] << " thread " << t;
        }
    }
}
