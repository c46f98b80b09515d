// The formula evaluator on the typical unit-conversion formula and on a
// longer one that outgrows the evaluator's built-in stack room.
#include "QRVPFuncs.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_EvaluateTypical(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(EvaluateV2Formula("{Oil}x5.615/1000"));
}
BENCHMARK(BM_EvaluateTypical);

void BM_EvaluateLong(benchmark::State& state)
{
    std::string formula = "1";
    for (int i = 0; i < 100; ++i) formula += " x ({Gas} * 1.0001 / .9999)";
    for (auto _ : state) benchmark::DoNotOptimize(EvaluateV2Formula(formula.c_str()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(formula.size()));
}
BENCHMARK(BM_EvaluateLong);

}  // namespace
