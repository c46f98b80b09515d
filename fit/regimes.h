// The regimes of a history and where a fit of it starts: restarts after a long
// shut-in or at a step up in rate, and the peak of the last regime read
// through a running median, so that one wild month is not taken for it.
#ifndef QRVP_FIT_REGIMES_H
#define QRVP_FIT_REGIMES_H

#include "fit/fit_internal.h"

namespace qrvp::fit {

// Restarts: a producing period after at least this many months shut in, or
// one whose rate, and its and the next two's median, are at least kStepRatio
// times the median of the three producing periods before it.  A restart counts only when
// at least kRestartMinPeriods producing periods follow from it, so a short
// blip after a shut-in does not become the regime fitted.
constexpr double kRestartShutInMonths = 6.0;
constexpr double kStepRatio = 2.0;
constexpr int kRestartMinPeriods = 6;
constexpr int kRegimeMinPeriods = 4;  // producing periods a fit start needs after it

struct Start {
    int32_t regimeFirst = -1;  // index of the last regime's first producing period; -1: none produced
    int32_t changes = 0;       // restarts found before it
    int32_t first = -1;        // the period the fit starts at
};

// The last regime (the whole history when `regimes` is false) and its peak:
// among the first half of its producing periods, those not wild (a rate,
// volume over days on, within 2 times the median of the five producing rates
// about it in the regime), the one where the median of its rate and its
// neighbours' is highest, the first of equals; at the regime's ends the lower
// of the two rates stands for the median.  A peak
// with fewer than kRegimeMinPeriods producing periods from it gives way to the
// regime's first producing period.  Reads
// checked periods; daysOn may be null (whole periods).
Start FitStart(int32_t count, const Date* starts, const Date* ends, const double* volumes, const double* daysOn,
               bool regimes);

}  // namespace qrvp::fit

#endif
