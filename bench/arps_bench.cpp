// The Arps rate at a date against the bare hyperbola, the rate past the switch
// to Dmin, and the decline solved by bisection.
#include "QRVPFuncs.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

const Date kStart(2000, 1, 1, 0, 0, 0);
const Date kFind(2002, 1, 1, 0, 0, 0);

// The hyperbola alone, with the time the library measures between the dates.
void BM_BareHyperbola(benchmark::State& state)
{
    double Qi = 1000, Di = 1.0, b = 0.5, t = 731 / 365.25;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Qi);
        benchmark::DoNotOptimize(Di);
        benchmark::DoNotOptimize(b);
        benchmark::DoNotOptimize(t);
        double q = Qi * std::pow(1 + b * Di * t, -1 / b);
        benchmark::DoNotOptimize(q);
    }
}
BENCHMARK(BM_BareHyperbola);

void BM_GetArpsQtHyperbolic(benchmark::State& state)
{
    double Qi = 1000, Di = 1.0, b = 0.5, Dmin = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Qi);
        benchmark::DoNotOptimize(Di);
        benchmark::DoNotOptimize(b);
        double q = 0;
        benchmark::DoNotOptimize(GetArpsQt(kFind, kStart, Qi, Di, b, Dmin, &q));
        benchmark::DoNotOptimize(q);
    }
}
BENCHMARK(BM_GetArpsQtHyperbolic);

// Harmonic with Dmin 0.1: the switch falls on 2008-12-31, before FindDate.
void BM_GetArpsQtSwitch(benchmark::State& state)
{
    const Date find(2010, 1, 1, 0, 0, 0);
    double Qi = 1000, Di = 1.0, b = 1.0, Dmin = 0.1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Qi);
        benchmark::DoNotOptimize(Dmin);
        double q = 0;
        benchmark::DoNotOptimize(GetArpsQt(find, kStart, Qi, Di, b, Dmin, &q));
        benchmark::DoNotOptimize(q);
    }
}
BENCHMARK(BM_GetArpsQtSwitch);

// From 1000 to 50 over 16 years, harmonic with Dmin 0.1: about 32 midpoints.
void BM_GetArpsDiBisection(benchmark::State& state)
{
    const Date end(2016, 1, 1, 0, 0, 0);
    double Qi = 1000, Qt = 50, b = 1.0, Dmin = 0.1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Qt);
        double Di = 0;
        benchmark::DoNotOptimize(GetArpsDi(kStart, end, Qi, Qt, b, Dmin, &Di));
        benchmark::DoNotOptimize(Di);
    }
}
BENCHMARK(BM_GetArpsDiBisection);

}  // namespace
