// Cost of the lunar conversion with the per-year memo warm, and of the direct computation that
// the memo saves.

#include "engine/LunarCore.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

using namespace tavemo::engine;

namespace {

std::vector<std::array<int, 3>> daysOf(int firstYear, int lastYear)
{
    std::vector<std::array<int, 3>> days;
    for (int y = firstYear; y <= lastYear; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= GetMonthDays(y, m); ++d)
                days.push_back({y, m, d});
    return days;
}

void BM_GetLunarDate_1901_2100(benchmark::State& state)
{
    const auto days = daysOf(1901, 2100);
    for (auto _ : state) {
        for (const auto& d : days) {
            bool leap = false;
            int lunarDay = 0, lunarMonth = 0, lunarYear = 0;
            benchmark::DoNotOptimize(GetLunarDate(d[0], d[1], d[2], leap, lunarDay, lunarMonth, lunarYear));
            benchmark::DoNotOptimize(lunarDay + lunarMonth + lunarYear);
        }
    }
    state.counters["per_call"] = benchmark::Counter(
        static_cast<double>(days.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_GetLunarDate_1901_2100)->Unit(benchmark::kMillisecond);

void BM_CycleAndTerm_1901_2100(benchmark::State& state)
{
    const auto days = daysOf(1901, 2100);
    std::vector<DateTime> values;
    for (const auto& d : days) {
        DateTime v = 0;
        tryEncodeDate(d[0], d[1], d[2], v);
        values.push_back(v);
    }
    for (auto _ : state) {
        for (std::size_t i = 0; i < days.size(); ++i) {
            const auto& d = days[i];
            benchmark::DoNotOptimize(GetSolarYearGanZhi(d[0], d[1], d[2]) + GetMonthGanZhi(d[0], d[1], d[2]) +
                                     GetDayGanZhi(d[0], d[1], d[2]));
            benchmark::DoNotOptimize(GetSolarTermOfDate(values[i]).size());
        }
    }
    state.counters["per_day"] = benchmark::Counter(
        static_cast<double>(days.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CycleAndTerm_1901_2100)->Unit(benchmark::kMillisecond);

// What one year of the memo costs to fill: its new moons, its new year and its solar terms.
void BM_DirectYear(benchmark::State& state)
{
    int year = 1901;
    for (auto _ : state) {
        int y = 0, m = 0, d = 0;
        benchmark::DoNotOptimize(direct::NewMoonDayNumbers(year));
        benchmark::DoNotOptimize(direct::LunarToSolar(year, 1, 1, false, y, m, d));
        for (int n = 1; n <= 25; ++n)
            benchmark::DoNotOptimize(direct::GetSolarTermDay(year, n));
        year = year == 2100 ? 1901 : year + 1;
    }
}
BENCHMARK(BM_DirectYear)->Unit(benchmark::kMicrosecond);

// A day converted without the memo, as every call would be without it.
void BM_GetLunarDateDirect(benchmark::State& state)
{
    int year = 1901;
    for (auto _ : state) {
        bool leap = false;
        int lunarDay = 0, lunarMonth = 0, lunarYear = 0;
        benchmark::DoNotOptimize(direct::GetLunarDate(year, 6, 15, leap, lunarDay, lunarMonth, lunarYear));
        year = year == 2100 ? 1901 : year + 1;
    }
}
BENCHMARK(BM_GetLunarDateDirect)->Unit(benchmark::kMicrosecond);

} // namespace
