// The regimes of a history and the robust peak a fit starts at.
#include "fit/regimes.h"

#include <algorithm>
#include <array>
#include <vector>

namespace qrvp::fit {
namespace {

constexpr size_t kWildWindow = 5;
constexpr double kWildRatio = 2.0;

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
        for (size_t j = 1; j + kRestartMinPeriods <= n; ++j) {
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
    // The start: in the first half of the regime's producing periods, the one
    // not wild (within kWildRatio of the running median of kWildWindow
    // periods about it, cut at the regime's ends) where the median of three
    // rates about it is highest: a flush or mis-reported month is not the
    // start, nor a late month that only looks high beside its neighbours.
    const size_t m = n - lo;
    const size_t half = lo + std::max<size_t>(1, (m + 1) / 2);
    double best = -1.0;
    size_t peak = lo;
    std::array<double, kWildWindow> window{};
    for (size_t j = lo; j < half; ++j) {
        const size_t a = j >= lo + kWildWindow / 2 ? j - kWildWindow / 2 : lo;
        const size_t w = std::min(n, j + kWildWindow / 2 + 1) - a;
        for (size_t k = 0; k < w; ++k) {  // insertion: at most five rates
            size_t at = k;
            for (; at > 0 && window[at - 1] > rate[a + k]; --at) window[at] = window[at - 1];
            window[at] = rate[a + k];
        }
        const double median = w % 2 ? window[w / 2] : 0.5 * (window[w / 2 - 1] + window[w / 2]);
        const bool wild = rate[j] > kWildRatio * median || rate[j] * kWildRatio < median;
        const bool first = j == lo, last = j + 1 == n;
        const double m3 = first && last ? rate[j]
                         : first       ? std::min(rate[j], rate[j + 1])
                         : last        ? std::min(rate[j - 1], rate[j])
                                       : Median3(rate[j - 1], rate[j], rate[j + 1]);
        if (!wild && m3 > best) {
            best = m3;
            peak = j;
        }
    }
    // A peak too near the end to fit from: the regime's start instead.
    out.first = p[n - peak >= static_cast<size_t>(kRegimeMinPeriods) ? peak : lo];
    return out;
}

}  // namespace qrvp::fit
