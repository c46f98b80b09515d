// Bringing an edited Arps segment back into agreement: a missing decline is
// solved from the dates and rates; a given decline moves the end date to where
// Qf is reached, or recomputes Qf at the end date.  No records of its own.
#include "decline/arps/arps_core.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <cmath>
#include <limits>

using namespace qrvp;

namespace {

// Qf is only moved out this far; beyond it the end date stays and Qf follows.
constexpr double kMaxEndShiftYears = 300.0;
// Rates closer than this, relative to Qi, are one constant rate.
constexpr double kSameRateRelative = 1e-5;
// An exponent this small in size is no exponent.
constexpr double kNegligibleB = 0.001;

// Keeps EndDate and moves Qf to the segment's rate there.
bool RecomputeQf(Date StartDate, Date EndDate, double Qi, double Di, double b, double Dmin, double* Qf)
{
    const arps::EffectiveDecline eff = arps::ApplyMinDeclineRule(b, Di, Dmin);
    double q = 0.0;
    if (arps::ComputeArpsQt(EndDate, StartDate, Qi, Di, eff.b, eff.Dmin, &q) != kStatusOk) {
        return false;
    }
    *Qf = q;
    return true;
}

}  // namespace

int32_t ValidateArps(Date StartDate, double* Qi, double* Di, double* b, double* Dmin, double* Qf, Date* EndDate)
{
    if (Qi == nullptr || Di == nullptr || b == nullptr || Dmin == nullptr || Qf == nullptr || EndDate == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(*Qi) && NearZero(*Qf)) {
        *Qi = 0;
        *Qf = 0;
        *Di = 0;
        *b = 0;
        return kStatusOk;
    }
    if (NearZero(*Qf)) {
        if (*Qi <= 0) {
            return kStatusFailed;
        }
        *Qf = 0.1;
    }
    if (*Qi < 0 || *Qf < 0) {
        return kStatusFailed;
    }
    if (std::fabs(*Qi - *Qf) < *Qi * kSameRateRelative) {
        *Qf = *Qi;
        *Di = 0;
        *b = 0;
        return kStatusOk;
    }
    if (std::fabs(*b) <= kNegligibleB) {
        *b = 0;
    }

    if (NearZero(*Di)) {
        if (*EndDate <= StartDate) {
            return kStatusOk;
        }
        // Success whatever the solve gives: a failed solve leaves Di at 0.0.
        GetArpsDi(StartDate, *EndDate, *Qi, *Qf, *b, *Dmin, Di);
        return kStatusOk;
    }

    // GetArpsYears may succeed without writing a duration (a switch outside its
    // reference window); the NaN left here then marks "no date for Qf".
    double years = std::numeric_limits<double>::quiet_NaN();
    if (GetArpsYears(*Qi, *Qf, *b, *Di, *Dmin, &years) != kStatusOk) {
        return kStatusFailed;
    }
    const double days = years * arps::kDaysPerYear;
    if (!std::isfinite(days)) {
        // No date at which Qf is reached: keep EndDate and recompute Qf there.
        return RecomputeQf(StartDate, *EndDate, *Qi, *Di, *b, *Dmin, Qf) ? kStatusOk : kStatusFailed;
    }
    Date reached = StartDate;
    reached.AddFracDay(days);
    const double shift = reached.DaySpan(*EndDate) / arps::kDaysPerYear;
    if (shift >= 0 && shift <= kMaxEndShiftYears) {
        *EndDate = reached;
        return kStatusOk;
    }
    if (RecomputeQf(StartDate, *EndDate, *Qi, *Di, *b, *Dmin, Qf)) {
        return kStatusOk;
    }
    if (shift > kMaxEndShiftYears) {
        return kStatusFailed;
    }
    *EndDate = reached;
    return kStatusOk;
}
