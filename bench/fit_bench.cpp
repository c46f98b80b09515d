// Cost of one fit of 120 monthly periods (a hyperbolic well with noise,
// shut-ins and part-uptime months), by model, without the bootstrap.
#include "QRVPFit.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

struct History {
    std::vector<Date> starts, ends;
    std::vector<double> volumes, daysOn;
};

// A fixed well: Qi 20,000 a month, Di 1.2, b 0.8; a deterministic wobble
// stands in for noise, every 17th month shut in, every 7th half on.
History MakeHistory()
{
    History h;
    const Date origin(2010, 1, 1, 0, 0, 0);
    Date month = origin;
    double clock = 0.0;
    for (int k = 0; k < 120; ++k) {
        Date next = month;
        next.AddMonths(1);
        const double days = next.DaySpan(month);
        const double on = k % 17 == 16 ? 0.0 : k % 7 == 3 ? 0.5 * days : days;
        Date a = origin, b = origin;
        a.AddFracDay(clock);
        b.AddFracDay(clock + on);
        double va = 0.0, vb = 0.0;
        GetArpsVol2(origin, a, 20000.0, 1.2, 0.8, 0.0, &va);
        GetArpsVol2(origin, b, 20000.0, 1.2, 0.8, 0.0, &vb);
        clock += on;
        h.starts.push_back(month);
        h.ends.push_back(next);
        h.volumes.push_back(on > 0.0 ? (vb - va) * std::exp(0.1 * std::sin(k * 2.3)) : 0.0);
        h.daysOn.push_back(on);
        month = next;
    }
    return h;
}

void Fit(benchmark::State& state)
{
    const History h = MakeHistory();
    FitOptions options;
    FitDefaults(&options);
    options.model = static_cast<int32_t>(state.range(0));
    options.bootstrap = 0;
    FitResult result;
    for (auto _ : state) {
        if (FitDecline(120, h.starts.data(), h.ends.data(), h.volumes.data(), h.daysOn.data(), &options, &result,
                       nullptr) != 0)
            state.SkipWithError("the fit failed");
        benchmark::DoNotOptimize(result);
    }
    state.counters["iterations"] = result.iterations;
}
// 0 exponential, 1 hyperbolic (Arps), 2 stretched exponential, 3 all three and the AICc choice.
BENCHMARK(Fit)->Arg(FIT_MODEL_EXPONENTIAL)->Arg(FIT_MODEL_HYPERBOLIC)->Arg(FIT_MODEL_STRETCHED)->Arg(FIT_MODEL_BEST)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
