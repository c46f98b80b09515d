// The library's correctly rounded exp, log, log10 and pow against the C
// library's, over 4,096 arguments of the ranges the calculations use (the
// fast path; about one argument in two thousand takes the 128-bit path).
// Throughput: the calls are independent, as in a forecast's loop over months.
#include "frame/elementary.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

struct Arguments {
    std::vector<double> x, y;
};

Arguments Draw(double lo, double hi, double ylo, double yhi) {
    std::mt19937_64 rng(1);
    std::uniform_real_distribution<double> ux(lo, hi), uy(ylo, yhi);
    Arguments a;
    for (int i = 0; i < 4096; ++i) {
        a.x.push_back(ux(rng));
        a.y.push_back(uy(rng));
    }
    return a;
}

template <typename F>
void Run(benchmark::State& state, const Arguments& a, F f) {
    for (auto _ : state) {
        double sum = 0.0;
        for (std::size_t i = 0; i < a.x.size(); ++i) sum += f(a.x[i], a.y[i]);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(a.x.size()));
}

const Arguments kExp = Draw(-40.0, 40.0, 0, 0), kLog = Draw(1e-3, 1e6, 0, 0), kPow = Draw(1e-2, 1e3, -5.0, 5.0);

void BM_Exp(benchmark::State& s) { Run(s, kExp, [](double x, double) { return qrvp::Exp(x); }); }
void BM_StdExp(benchmark::State& s) { Run(s, kExp, [](double x, double) { return std::exp(x); }); }
void BM_Log(benchmark::State& s) { Run(s, kLog, [](double x, double) { return qrvp::Log(x); }); }
void BM_StdLog(benchmark::State& s) { Run(s, kLog, [](double x, double) { return std::log(x); }); }
void BM_Log10(benchmark::State& s) { Run(s, kLog, [](double x, double) { return qrvp::Log10(x); }); }
void BM_StdLog10(benchmark::State& s) { Run(s, kLog, [](double x, double) { return std::log10(x); }); }
void BM_Pow(benchmark::State& s) { Run(s, kPow, [](double x, double y) { return qrvp::Pow(x, y); }); }
void BM_StdPow(benchmark::State& s) { Run(s, kPow, [](double x, double y) { return std::pow(x, y); }); }
// The 128-bit path alone, for the cost of the rare hard arguments.
void BM_ExpAccurate(benchmark::State& s) { Run(s, kExp, [](double x, double) { return qrvp::elementary::ExpAccurate(x); }); }
void BM_LogAccurate(benchmark::State& s) { Run(s, kLog, [](double x, double) { return qrvp::elementary::LogAccurate(x); }); }

BENCHMARK(BM_Exp);
BENCHMARK(BM_StdExp);
BENCHMARK(BM_Log);
BENCHMARK(BM_StdLog);
BENCHMARK(BM_Log10);
BENCHMARK(BM_StdLog10);
BENCHMARK(BM_Pow);
BENCHMARK(BM_StdPow);
BENCHMARK(BM_ExpAccurate);
BENCHMARK(BM_LogAccurate);

}  // namespace
