// The regimes of a history and the robust peak a fit starts at.
#include "fit/regimes.h"

#include <algorithm>
#include <vector>

namespace qrvp::fit {
namespace {

double Median3(double a, double b, double c)
{
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

}  // namespace

Start FitStart(int32_t count, const Date* starts, const Date* ends, const double* volumes, const double* daysOn,
               bool regimes)
{
    std::vector<int32_t> p;  // the producing periods
    std::vector<double> rate;
    for (int32_t i = 0; i < count; ++i) {
        const double span = ends[i].DaySpan(starts[i]);
        const double on = daysOn ? std::min(daysOn[i], span) : span;
        if (!(volumes[i] > 0.0 && on > 0.0)) continue;
        p.push_back(i);
        rate.push_back(volumes[i] / on);
    }
    Start out;
    if (p.empty()) return out;
    const size_t n = p.size();
    size_t lo = 0;
    if (regimes) {
        for (size_t j = 1; j + kRegimeMinPeriods <= n; ++j) {
            const double shutMonths = starts[p[j]].DaySpan(ends[p[j - 1]]) / kDaysPerMonth;
            bool restart = shutMonths >= kRestartShutInMonths - 0.5;  // half a month's slack for short months
            if (!restart && j >= lo + 3) {
                const double before = Median3(rate[j - 3], rate[j - 2], rate[j - 1]);
                const double after = Median3(rate[j], rate[j + 1], rate[j + 2]);
                restart = rate[j] >= kStepRatio * before && after >= kStepRatio * before;
            }
            if (restart) {
                lo = j;
                ++out.changes;
            }
        }
    }
    out.regimeFirst = p[lo];
    double best = -1.0;
    size_t peak = lo;
    for (size_t j = lo; j < n; ++j) {
        const bool first = j == lo, last = j + 1 == n;
        const double m = first && last ? rate[j]
                         : first       ? std::min(rate[j], rate[j + 1])
                         : last        ? std::min(rate[j - 1], rate[j])
                                       : Median3(rate[j - 1], rate[j], rate[j + 1]);
        if (m > best) {
            best = m;
            peak = j;
        }
    }
    // A peak too near the end to fit from: the regime's start instead.
    out.first = p[n - peak >= static_cast<size_t>(kRegimeMinPeriods) ? peak : lo];
    return out;
}

}  // namespace qrvp::fit
