// Cost of one Arps volume with the switch to Dmin inside the interval, and of
// one segment bend (a point fit of about 14 decline solves).
#include "QRVPFuncs.h"

#include <benchmark/benchmark.h>

namespace {

void ArpsVol2WithSwitch(benchmark::State& state)
{
    const Date start(2000, 1, 1, 0, 0, 0);
    const Date end(2010, 1, 1, 0, 0, 0);
    double Qi = 1000.0;
    double vol = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Qi);
        benchmark::DoNotOptimize(GetArpsVol2(start, end, Qi, 1.0, 1.0, 0.1, &vol));
        benchmark::DoNotOptimize(vol);
    }
}
BENCHMARK(ArpsVol2WithSwitch);

void ArpsVolWithSwitch(benchmark::State& state)
{
    const Date start(2000, 1, 1, 0, 0, 0);
    const Date end(2010, 1, 1, 0, 0, 0);
    double Qi = 1000.0;
    double vol = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Qi);
        benchmark::DoNotOptimize(GetArpsVol(start, end, Qi, 90.471356, 1.0, 1.0, 0.1, &vol));
        benchmark::DoNotOptimize(vol);
    }
}
BENCHMARK(ArpsVolWithSwitch);

void BendArps(benchmark::State& state)
{
    const Date start(2000, 1, 1, 0, 0, 0);
    const Date bend(2005, 1, 1, 0, 0, 0);
    const Date end(2010, 1, 1, 0, 0, 0);
    double Qi = 1000.0;
    ArpsSegment segment;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Qi);
        benchmark::DoNotOptimize(BendArpsSegment(Qi, start, 250.0, bend, 100.0, end, 0.0, &segment));
        benchmark::DoNotOptimize(segment);
    }
}
BENCHMARK(BendArps)->Unit(benchmark::kMicrosecond);

void BendArpsWithMinDecline(benchmark::State& state)
{
    const Date start(2000, 1, 1, 0, 0, 0);
    const Date bend(2004, 1, 1, 0, 0, 0);
    const Date end(2016, 1, 1, 0, 0, 0);
    double Qi = 1000.0;
    ArpsSegment segment;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Qi);
        benchmark::DoNotOptimize(BendArpsSegment(Qi, start, 200.0, bend, 50.0, end, 0.1, &segment));
        benchmark::DoNotOptimize(segment);
    }
}
BENCHMARK(BendArpsWithMinDecline)->Unit(benchmark::kMicrosecond);

}  // namespace
