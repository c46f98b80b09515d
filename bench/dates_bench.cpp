// Cost of one call of the date operations that the calculations use most.
// Every call works on a different date and amount from a small table, so the
// compiler cannot fold it; each should take well under 20 ns.
#include "QRVPFuncs.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <random>

namespace {

constexpr std::size_t kCount = 1024;  // a power of two, for the index mask

struct Inputs {
    std::array<Date, kCount> dates;
    std::array<Date, kCount> others;
    std::array<int32_t, kCount> days;
    std::array<double, kCount> fracDays;
    std::array<int32_t, kCount> months;
    std::array<long long, kCount> seconds;
};

const Inputs& Table()
{
    static const Inputs inputs = [] {
        Inputs in{};
        std::mt19937 rng(2024);
        std::uniform_int_distribution<int32_t> year(1900, 2100), month(1, 12), day(1, 28), hour(0, 23),
            minute(0, 59), second(0, 59), days(-20000, 20000), months(-600, 600);
        std::uniform_real_distribution<double> frac(-20000.0, 20000.0);
        std::uniform_int_distribution<long long> secs(-2000000000LL, 2000000000LL);
        for (std::size_t i = 0; i < kCount; ++i) {
            in.dates[i] = Date(year(rng), month(rng), day(rng), hour(rng), minute(rng), second(rng));
            in.others[i] = Date(year(rng), month(rng), day(rng), hour(rng), minute(rng), second(rng));
            in.days[i] = days(rng);
            in.fracDays[i] = frac(rng);
            in.months[i] = months(rng);
            in.seconds[i] = secs(rng);
        }
        return in;
    }();
    return inputs;
}

void BM_DaySpan(benchmark::State& state)
{
    const Inputs& in = Table();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(in.dates[i].DaySpan(in.others[i]));
        i = (i + 1) & (kCount - 1);
    }
}
BENCHMARK(BM_DaySpan);

void BM_AddDays(benchmark::State& state)
{
    const Inputs& in = Table();
    std::size_t i = 0;
    for (auto _ : state) {
        Date d = in.dates[i];
        d.AddDays(in.days[i]);
        benchmark::DoNotOptimize(d);
        i = (i + 1) & (kCount - 1);
    }
}
BENCHMARK(BM_AddDays);

void BM_AddFracDay(benchmark::State& state)
{
    const Inputs& in = Table();
    std::size_t i = 0;
    for (auto _ : state) {
        Date d = in.dates[i];
        d.AddFracDay(in.fracDays[i]);
        benchmark::DoNotOptimize(d);
        i = (i + 1) & (kCount - 1);
    }
}
BENCHMARK(BM_AddFracDay);

void BM_AddMonths(benchmark::State& state)
{
    const Inputs& in = Table();
    std::size_t i = 0;
    for (auto _ : state) {
        Date d = in.dates[i];
        d.AddMonths(in.months[i]);
        benchmark::DoNotOptimize(d);
        i = (i + 1) & (kCount - 1);
    }
}
BENCHMARK(BM_AddMonths);

void BM_AddSeconds(benchmark::State& state)
{
    const Inputs& in = Table();
    std::size_t i = 0;
    for (auto _ : state) {
        Date d = in.dates[i];
        d.AddSeconds(in.seconds[i]);
        benchmark::DoNotOptimize(d);
        i = (i + 1) & (kCount - 1);
    }
}
BENCHMARK(BM_AddSeconds);

void BM_LessThan(benchmark::State& state)
{
    const Inputs& in = Table();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(in.dates[i] < in.others[i]);
        i = (i + 1) & (kCount - 1);
    }
}
BENCHMARK(BM_LessThan);

}  // namespace
