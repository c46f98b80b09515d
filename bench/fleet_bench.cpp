// A fleet forecast: 10,000 hyperbolic wells that switch to Dmin, 600 months
// each; one value is one well-month, the rate at the month's start and the
// month's volume (a difference of cumulatives).  The bare floor works the
// switch out once per well and evaluates the same formulas from day numbers
// kept in an array; the evaluator takes each well's dates in one
// GetArpsQtVolDates call; the one-value calls are GetArpsQt and GetArpsVol2
// per month.  The one-value floors beside them take the same day spans.
#include "QRVPFuncs.h"
#include "dates/date_span.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kWells = 10000;
constexpr int kMonths = 600;
constexpr int kStarts = 60;  // wells start on the first of one of 60 months

struct Well {
    int start;  // index into Fleet::dates
    double Qi, Di, b, Dmin;
};

struct Fleet {
    std::vector<Well> wells;
    std::vector<std::vector<Date>> dates;     // kMonths + 1 month starts from each start
    std::vector<std::vector<double>> days;    // the same as days from the start
    Fleet()
    {
        std::mt19937_64 rng(16);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        for (int s = 0; s < kStarts; ++s) {
            const Date start(2020 + s / 12, 1 + s % 12, 1, 0, 0, 0);
            std::vector<Date> at;
            std::vector<double> span;
            for (int k = 0; k <= kMonths; ++k) {
                Date d = start;
                d.AddMonths(k);
                at.push_back(d);
                span.push_back(d.DaySpan(start));
            }
            dates.push_back(at);
            days.push_back(span);
        }
        for (int w = 0; w < kWells; ++w) {
            // Nominal declines of 0.4 to 2.5 a year, exponents 0.3 to 1.5, a
            // minimum decline of 5 to 10 %: the switch comes after 2 to 30 years.
            wells.push_back({w % kStarts, 1000 + 19000 * u(rng), 0.4 + 2.1 * u(rng), 0.3 + 1.2 * u(rng),
                             0.05 + 0.05 * u(rng)});
        }
    }
};

const Fleet& TheFleet()
{
    static const Fleet fleet;
    return fleet;
}

void Count(benchmark::State& state)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kWells * kMonths);
}

// The formulas alone: the switch time, rate and volume there once per well,
// then per month one pow each for the rate and the cumulative before the
// switch, one exp for both after it.
void BM_FleetBareFloor(benchmark::State& state)
{
    const Fleet& fleet = TheFleet();
    for (auto _ : state) {
        double sum = 0.0;
        for (const Well& w : fleet.wells) {
            const std::vector<double>& days = fleet.days[static_cast<size_t>(w.start)];
            const double tD = (w.Di / w.Dmin - 1) / (w.b * w.Di);
            const double QD = w.Qi * std::pow(1 + w.b * w.Di * tD, -1 / w.b);
            const double k = 12 * w.Qi / ((1 - w.b) * w.Di);
            const double VD = k * (1 - std::pow(1 + w.b * w.Di * tD, 1 - 1 / w.b));
            double previous = 0.0;
            for (int m = 0; m < kMonths; ++m) {
                const double t0 = days[static_cast<size_t>(m)] / 365.25;
                const double t1 = days[static_cast<size_t>(m) + 1] / 365.25;
                const double rate = t0 < tD ? w.Qi * std::pow(1 + w.b * w.Di * t0, -1 / w.b)
                                            : QD * std::exp(-w.Dmin * (t0 - tD));
                const double cum = t1 < tD ? k * (1 - std::pow(1 + w.b * w.Di * t1, 1 - 1 / w.b))
                                           : VD + 12 * QD * (1 - std::exp(-w.Dmin * (t1 - tD))) / w.Dmin;
                sum += rate + (cum - previous);
                previous = cum;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    Count(state);
}
BENCHMARK(BM_FleetBareFloor)->Unit(benchmark::kMillisecond);

void BM_FleetEvaluator(benchmark::State& state)
{
    const Fleet& fleet = TheFleet();
    std::vector<double> qt(kMonths + 1), cum(kMonths + 1);
    for (auto _ : state) {
        double sum = 0.0;
        for (const Well& w : fleet.wells) {
            const std::vector<Date>& at = fleet.dates[static_cast<size_t>(w.start)];
            if (GetArpsQtVolDates(at[0], w.Qi, w.Di, w.b, w.Dmin, at.data(), at.size(), qt.data(), cum.data()) != 0) {
                state.SkipWithError("GetArpsQtVolDates failed");
                return;
            }
            for (int m = 0; m < kMonths; ++m) {
                sum += qt[static_cast<size_t>(m)] + (cum[static_cast<size_t>(m) + 1] - cum[static_cast<size_t>(m)]);
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    Count(state);
}
BENCHMARK(BM_FleetEvaluator)->Unit(benchmark::kMillisecond);

void BM_FleetOneValueCalls(benchmark::State& state)
{
    const Fleet& fleet = TheFleet();
    for (auto _ : state) {
        double sum = 0.0;
        for (const Well& w : fleet.wells) {
            const std::vector<Date>& at = fleet.dates[static_cast<size_t>(w.start)];
            double previous = 0.0;
            for (size_t m = 0; m < kMonths; ++m) {
                double rate = 0.0, cum = 0.0;
                GetArpsQt(at[m], at[0], w.Qi, w.Di, w.b, w.Dmin, &rate);
                GetArpsVol2(at[0], at[m + 1], w.Qi, w.Di, w.b, w.Dmin, &cum);
                sum += rate + (cum - previous);
                previous = cum;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    Count(state);
}
BENCHMARK(BM_FleetOneValueCalls)->Unit(benchmark::kMillisecond);

// One value at a time, ten years in: the hyperbola without a switch against
// the bare formula with the day span measured between the same two dates, and
// the rate and volume past the switch against the bare exponential from a
// switch already placed.  Every input is reloaded on each pass.  The segment
// with a switch has unround values (Di 0.93, b 0.83, Dmin 0.083): a switch that
// falls on a whole second (round values often put it there) is placed by the
// full computation, as arps_bench and arps_volume_bench show.
const Date kStart(2000, 1, 1, 0, 0, 0);
const Date kFind(2010, 1, 1, 0, 0, 0);

template <typename... T>
void Reload(T&... values)
{
    (benchmark::DoNotOptimize(values), ...);
}

void BM_FloorHyperbolaWithSpan(benchmark::State& state)
{
    double Qi = 1000, Di = 1.0, b = 0.5;
    Date find = kFind, start = kStart;
    for (auto _ : state) {
        Reload(find, start, Qi, Di, b);
        const double t = qrvp::dates::SpanInDays(find, start) / 365.25;
        double q = Qi * std::pow(1 + b * Di * t, -1 / b);
        benchmark::DoNotOptimize(q);
    }
}
BENCHMARK(BM_FloorHyperbolaWithSpan);

void BM_GetArpsQtNoSwitch(benchmark::State& state)
{
    double Qi = 1000, Di = 1.0, b = 0.5, Dmin = 0.0, q = 0;
    Date find = kFind, start = kStart;
    for (auto _ : state) {
        Reload(find, start, Qi, Di, b, Dmin);
        benchmark::DoNotOptimize(GetArpsQt(find, start, Qi, Di, b, Dmin, &q));
        benchmark::DoNotOptimize(q);
    }
}
BENCHMARK(BM_GetArpsQtNoSwitch);

void BM_FloorPastSwitchWithSpan(benchmark::State& state)
{
    double QD = 100, Dmin = 0.083, VD = 20000, tD = 4800;
    Date find = kFind, start = kStart;
    for (auto _ : state) {
        Reload(find, start, QD, Dmin, VD, tD);
        const double te = (qrvp::dates::SpanInDays(find, start) - tD) / 365.25;
        const double e = std::exp(-Dmin * te);
        double q = QD * e, v = VD + 12 * QD * (1 - e) / Dmin;
        benchmark::DoNotOptimize(q);
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_FloorPastSwitchWithSpan);

void BM_GetArpsQtPastSwitch(benchmark::State& state)
{
    double Qi = 1000, Di = 0.93, b = 0.83, Dmin = 0.083, q = 0;
    Date find = kFind, start = kStart;
    for (auto _ : state) {
        Reload(find, start, Qi, Di, b, Dmin);
        benchmark::DoNotOptimize(GetArpsQt(find, start, Qi, Di, b, Dmin, &q));
        benchmark::DoNotOptimize(q);
    }
}
BENCHMARK(BM_GetArpsQtPastSwitch);

void BM_GetArpsVol2PastSwitch(benchmark::State& state)
{
    double Qi = 1000, Di = 0.93, b = 0.83, Dmin = 0.083, v = 0;
    Date find = kFind, start = kStart;
    for (auto _ : state) {
        Reload(find, start, Qi, Di, b, Dmin);
        benchmark::DoNotOptimize(GetArpsVol2(start, find, Qi, Di, b, Dmin, &v));
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_GetArpsVol2PastSwitch);

}  // namespace
