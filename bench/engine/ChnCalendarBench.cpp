// Speed of the day information: the calendar fills a whole month with SetDate at every date change,
// and tavemo-cal --dump runs it for every day of years 1 to 2100.

#include <benchmark/benchmark.h>

#include "engine/ChnCalendarUse.h"
#include "engine/DateTime.h"

namespace {

using namespace tavemo::engine;

DateTime dateOf(int year, int month, int day)
{
    DateTime value = 0;
    tryEncodeDate(year, month, day, value);
    return value;
}

// SetDate once for every day from `from` to `to`; "per_call" is the average time of one SetDate.
void setEveryDay(benchmark::State& state, DateTime from, DateTime to)
{
    TChnCal info;
    const auto days = static_cast<double>(to - from + 1);
    for (auto _ : state) {
        for (DateTime date = from; date <= to; date += 1) {
            info.SetDate(date);
            benchmark::DoNotOptimize(info.LunarFestival.data());
        }
    }
    state.counters["per_call"] =
        benchmark::Counter(days, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Target: at most 1 us per call, averaged over 1901..2100.
void BM_SetDate_1901_2100(benchmark::State& state) { setEveryDay(state, dateOf(1901, 1, 1), dateOf(2100, 12, 31)); }
BENCHMARK(BM_SetDate_1901_2100)->Unit(benchmark::kMillisecond);

// The work of tavemo-cal --dump 0001-01-01 2100-12-31 without its formatting and output.
void BM_SetDate_0001_2100(benchmark::State& state) { setEveryDay(state, dateOf(1, 1, 1), dateOf(2100, 12, 31)); }
BENCHMARK(BM_SetDate_0001_2100)->Unit(benchmark::kMillisecond);

// One month as the calendar fills it: the chosen date, then each of its days.
void BM_MonthFill(benchmark::State& state)
{
    TChnCal info;
    const DateTime first = dateOf(2024, 2, 1);
    for (auto _ : state) {
        info.SetDate(first + 9);
        for (int day = 0; day < 29; ++day)
            info.SetDate(first + day);
        benchmark::DoNotOptimize(info.LunarFestival.data());
    }
}
BENCHMARK(BM_MonthFill)->Unit(benchmark::kMicrosecond);

} // namespace
