// The stretched-exponential volume, which evaluates the incomplete gamma
// function on either of its branches, and the rate for comparison.
#include "QRVPFuncs.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SEDMVol(benchmark::State& state, double tau, double n)
{
    const Date start(2020, 1, 1, 0, 0, 0);
    const Date end(2021, 1, 1, 0, 0, 0);
    double vol = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetSEDMVol(100.0, start, end, tau, n, &vol));
        benchmark::DoNotOptimize(vol);
    }
}
// a = 2, x = 0.71: the power series.
BENCHMARK_CAPTURE(BM_SEDMVol, series, 2.0, 0.5);
// a = 1, x = 5.0: the continued fraction.
BENCHMARK_CAPTURE(BM_SEDMVol, continued_fraction, 0.2, 1.0);
// a = 5, x = 0.46: a longer series.
BENCHMARK_CAPTURE(BM_SEDMVol, series_small_n, 3.0, 0.2);

void BM_SEDMQt(benchmark::State& state)
{
    const Date start(2020, 1, 1, 0, 0, 0);
    const Date end(2021, 1, 1, 0, 0, 0);
    double qt = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetSEDMQt(100.0, start, end, 2.0, 0.5, &qt));
        benchmark::DoNotOptimize(qt);
    }
}
BENCHMARK(BM_SEDMQt);

}  // namespace
