// Cost of one call of the rate-versus-cumulative calculations on their success
// paths, as a host makes them one value at a time.
#include "QRVPFuncs.h"

#include <benchmark/benchmark.h>

namespace {

void BM_GetLinCum(benchmark::State& state)
{
    double cum1 = 100, rate = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cum1);
        benchmark::DoNotOptimize(GetLinCum(100, 50, cum1, 900, 0, 1000, &rate));
        benchmark::DoNotOptimize(rate);
    }
}
BENCHMARK(BM_GetLinCum);

void BM_GetLogCum(benchmark::State& state)
{
    double cum1 = 100, rate = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cum1);
        benchmark::DoNotOptimize(GetLogCum(100, 10, cum1, 900, 0, 1000, &rate));
        benchmark::DoNotOptimize(rate);
    }
}
BENCHMARK(BM_GetLogCum);

void BM_GetLinCumVCum(benchmark::State& state)
{
    double find = 500, qt = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(find);
        benchmark::DoNotOptimize(GetLinCumVCum(100, 50, find, 0, 1000, &qt));
        benchmark::DoNotOptimize(qt);
    }
}
BENCHMARK(BM_GetLinCumVCum);

void BM_GetLogCumVCum(benchmark::State& state)
{
    double find = 500, qt = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(find);
        benchmark::DoNotOptimize(GetLogCumVCum(100, 10, find, 0, 1000, &qt));
        benchmark::DoNotOptimize(qt);
    }
}
BENCHMARK(BM_GetLogCumVCum);

void BM_ValidateLogCum(benchmark::State& state)
{
    for (auto _ : state) {
        double qi = 100, qf = 10, decl = 0, beg = 0, end = 1000;
        benchmark::DoNotOptimize(ValidateLogCum(&qi, &qf, &decl, &beg, &end));
        benchmark::DoNotOptimize(decl);
    }
}
BENCHMARK(BM_ValidateLogCum);

}  // namespace
