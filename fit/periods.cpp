// The periods fitted and their clock: the checks of a history, and
// the series of log volumes, clock intervals and weights a fit matches.
#include "fit/periods.h"

#include <algorithm>
#include <cmath>

namespace qrvp::fit {
namespace {

// A calendar date the arithmetic handles as written (a C caller may pass any 16 bytes).
bool IsUsableDate(const Date& d)
{
    return d.year >= 1800 && d.year <= 2999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           d.day <= Date(d).DaysInMonth() && d.hour < 24 && d.minute < 60 && d.second < 60;
}

// The days a period produced: its days on, at most its length (all of it
// without a days-on column).
double OnDays(int32_t i, const Date* starts, const Date* ends, const double* daysOn)
{
    const double days = ends[i].DaySpan(starts[i]);
    return daysOn ? std::min(daysOn[i], days) : days;
}

}  // namespace

Error CheckPeriods(int32_t count, const Date* starts, const Date* ends, const double* volumes, const double* daysOn)
{
    for (int32_t i = 0; i < count; ++i) {
        const Date& s = starts[i];
        const Date& e = ends[i];
        if (!IsUsableDate(s) || !IsUsableDate(e))
            return Err(__LINE__, "period %d: its dates (%u/%u/%u to %u/%u/%u) must lie in the years 1800 to 2999",
                       i, s.month, s.day, s.year, e.month, e.day, e.year);
        if (!(s < e))
            return Err(__LINE__, "period %d: it ends (%u/%u/%u) no later than it starts (%u/%u/%u)", i, e.month,
                       e.day, e.year, s.month, s.day, s.year);
        if (i > 0 && s < ends[i - 1])
            return Err(__LINE__,
                       "period %d: it starts (%u/%u/%u) before the previous period ends (%u/%u/%u); periods must "
                       "run forward in time",
                       i, s.month, s.day, s.year, ends[i - 1].month, ends[i - 1].day, ends[i - 1].year);
        if (!(volumes[i] >= 0.0) || !std::isfinite(volumes[i]))
            return Err(__LINE__, "period %d: the volume (%g) must be a finite number, zero or more", i, volumes[i]);
        if (daysOn != nullptr) {
            const double days = e.DaySpan(s);
            // A day's slack: operators' hour counts run over at a clock change.
            if (!(daysOn[i] >= 0.0) || !(daysOn[i] <= days + 1.0))
                return Err(__LINE__, "period %d: the days on (%g) must lie between 0 and the period's %g days", i,
                           daysOn[i], days);
        }
    }
    return Error{};
}

Series BuildSeries(int32_t count, const Date* starts, const Date* ends, const double* volumes, const double* daysOn,
                   const FitOptions& o, int32_t first)
{
    Series s;
    auto onDays = [&](int32_t i) { return OnDays(i, starts, ends, daysOn); };
    auto used = [&](int32_t i) { return volumes[i] > 0.0 && onDays(i) > 0.0; };
    const Date historyEnd = ends[count - 1];
    double producing = 0.0;
    for (int32_t i = first; i < count; ++i)
        if (used(i)) producing += onDays(i);
    if (o.producingTime) {
        // The curve starts so that its clock meets the calendar at the history's end.
        s.origin = historyEnd;
        s.origin.AddFracDay(-producing);
        if (s.origin < starts[first]) s.origin = starts[first];
    } else {
        s.origin = starts[first];
    }
    double clock = 0.0;
    Date lastEnd = starts[first];
    for (int32_t i = first; i < count; ++i) {
        if (!used(i)) continue;
        const double on = onDays(i);
        Date from = s.origin, to = s.origin;
        double share = 1.0;
        if (o.producingTime) {
            from.AddFracDay(clock);
            clock += on;
            to.AddFracDay(clock);
            if (!(from < to)) continue;  // under a second of production: nothing to match
        } else {
            from = starts[i];
            to = ends[i];
            share = on / to.DaySpan(from);
        }
        s.index.push_back(i);
        s.from.push_back(from);
        s.to.push_back(to);
        s.y.push_back(std::log(volumes[i]));
        s.lnShare.push_back(std::log(share));
        lastEnd = ends[i];
    }
    s.years = s.to.empty() ? 0.0 : s.to.back().DaySpan(s.origin) / kDaysPerYear;
    s.w.assign(s.size(), 1.0);
    const double halfLife = o.halfLife < 0.0 ? o.prior.halfLife : o.halfLife;
    if (halfLife > 0.0 && !s.w.empty()) {
        double sum = 0.0;
        for (size_t k = 0; k < s.size(); ++k) {
            const double age = lastEnd.DaySpan(ends[s.index[k]]) / kDaysPerMonth;
            s.w[k] = std::exp2(-age / halfLife);
            sum += s.w[k];
        }
        for (double& w : s.w) w *= static_cast<double>(s.size()) / sum;
    }
    for (size_t k = 0; k < s.size(); ++k)
        s.pivot += s.w[k] * 0.5 * (s.from[k].DaySpan(s.origin) + s.to[k].DaySpan(s.origin)) / kDaysPerYear;
    s.pivot /= std::max(static_cast<double>(s.size()), 1.0);
    return s;
}

}  // namespace qrvp::fit
