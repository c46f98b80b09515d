// The periods of a history that a fit matches, and the curve's clock over each.
#ifndef QRVP_FIT_PERIODS_H
#define QRVP_FIT_PERIODS_H

#include "fit/fit_internal.h"

#include <vector>

namespace qrvp::fit {

// The periods fitted, in order, with the curve's clock over each.
struct Series {
    std::vector<int32_t> index;   // the period's index in the history
    std::vector<Date> from, to;   // the clock over the period: calendar dates, or producing time from origin
    std::vector<double> y;        // ln of the volume produced
    std::vector<double> lnShare;  // calendar time: ln of the share of the period produced; else 0
    std::vector<double> w;        // recency weights, mean 1
    Date origin;                  // the curve's start
    double years = 0.0;           // clock time from origin to the end of the last period fitted
    double pivot = 0.0;           // weighted mean of the periods' clock midpoints, years
    size_t size() const { return y.size(); }
};

// The first failing check of the `count` periods (usable dates in 1800 to
// 2999, each ending after it starts and no earlier than the one before, finite
// volumes of zero or more, days on between 0 and the period's days plus one),
// naming the period; none when every one passes.  daysOn may be null.
Error CheckPeriods(int32_t count, const Date* starts, const Date* ends, const double* volumes, const double* daysOn);

// The periods from `first` on that produced, on the clock of o.producingTime
// (producing days, ending at the history's end; or calendar days), with ln
// volumes and recency weights of half-life o.halfLife months (negative: o.prior.halfLife).  Checked periods.
Series BuildSeries(int32_t count, const Date* starts, const Date* ends, const double* volumes, const double* daysOn,
                   const FitOptions& o, int32_t first);

}  // namespace qrvp::fit

#endif
