// The Arps rate at a date: the minimum-decline rule, the rate with its switch
// to exponential decline at Dmin, the instantaneous decline at a rate and the
// date of the switch.
#include "decline/arps/arps_core.h"
#include "decline/arps/arps_switch.h"
#include "dates/date_span.h"
#include "frame/elementary.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <cmath>

namespace qrvp::arps {

EffectiveDecline ApplyMinDeclineRule(double b, double Di, double Dmin)
{
    if (b > 0.0 && Di >= 0.0) {
        // A decline: Dmin must lie below Di, else the segment is exponential at Di.
        if (Dmin < Di) {
            return {b, Dmin};
        }
        return {0.0, 0.0};
    }
    if (b < 0.0 && Di <= 0.0) {
        // An incline: Dmin must lie above Di (slower growth), else exponential at Di.
        if (Di < Dmin) {
            return {b, Dmin};
        }
        return {0.0, 0.0};
    }
    // Exponential, or b and Di of opposite signs: no switch.
    return {b, 0.0};
}

// The hyperbolic rate *Qt at FindDate becomes, once the decline has passed
// Dmin before FindDate, the exponential at Dmin from the rate at the switch.
// A routine of its own so that the rate without a switch stays short.
int32_t ApplySwitch(Date FindDate, Date StartDate, double Qi, double Di, double b, double Dmin, double* Qt)
{
    double D = 0.0;
    if (GetArpsIDecl(*Qt, Di, Qi, b, &D) != kStatusOk) {
        return kStatusFailed;
    }
    const bool pastDmin = (b > 0.0 && Dmin > D) || (b < 0.0 && D > Dmin);
    if (!pastDmin) {
        return kStatusOk;
    }

    Date DminDate;
    if (GetArpsDminDate(StartDate, Di, Dmin, Qi, b, &DminDate) != kStatusOk || DminDate.year < 1800) {
        return QRVP_FAIL(L"GetArpsQt", L"Unable to solve for Dmin date");
    }
    if (!(DminDate < FindDate)) {
        return kStatusOk;
    }
    // Hyperbolic up to the switch, exponential at Dmin after it.
    const double te = dates::SpanInDays(FindDate, DminDate) / kDaysPerYear;
    *Qt = RateAtSwitch(StartDate, DminDate, Qi, Di, b) * qrvp::Exp(te * (-Dmin));
    return kStatusOk;
}

namespace {
int32_t RateWithSwitch(Date FindDate, Date StartDate, double Qi, double Di, double b, double Dmin, double t,
                       double* Qt);
}  // namespace

int32_t ComputeArpsQt(Date FindDate, Date StartDate, double Qi, double Di, double b, double Dmin, double* Qt)
{
    if (Qt == nullptr) {
        return kStatusFailed;
    }
    *Qt = -1.0;
    if (dates::IsEarlier(FindDate, StartDate)) {
        return QRVP_FAIL(L"GetArpsQt", L"FindDate (%d/%d/%d) is less than StartDate (%d/%d/%d)",
                         LogMonth(FindDate), LogDay(FindDate), LogYear(FindDate), LogMonth(StartDate),
                         LogDay(StartDate), LogYear(StartDate));
    }
    const double t = dates::SpanInDays(FindDate, StartDate) / kDaysPerYear;
    if (NearZero(Di) || NearZero(t)) {
        *Qt = Qi;
        return kStatusOk;
    }

    if (NearZero(b)) {
        const double x = -Di * t;
        if (x > 1000.0) {
            return kStatusFailed;  // exponential growth past any representable rate; silent
        }
        if (x < -1000.0) {
            *Qt = 0.0;
            return kStatusOk;
        }
        *Qt = qrvp::Exp(x) * Qi;
        return kStatusOk;
    }

    if (Di * b * t <= -1.0) {
        return QRVP_FAIL(L"GetArpsQt", L"Di (%f) * bFactor (%f) * time (%f years) must be > -1.", Di, b, t);
    }
    if (NearZero(Dmin)) {
        *Qt = HyperbolicRate(Qi, Di, b, t);
        return kStatusOk;
    }
    return RateWithSwitch(FindDate, StartDate, Qi, Di, b, Dmin, t, Qt);
}

namespace {

// The hyperbola's rate t years in with the switch to Dmin; a routine of its
// own (not inlined) so that the rate without a switch stays short.
[[gnu::noinline]] int32_t RateWithSwitch(Date FindDate, Date StartDate, double Qi, double Di, double b, double Dmin, double t,
                       double* Qt)
{
    // Where the switch is certain, the decline at FindDate need not be worked
    // out, nor (past the switch) the rate of the hyperbola.
    const SwitchBounds bounds = BoundSwitch(Qi, Di, b, Dmin);
    const SwitchSide side = SideOfSwitch(bounds, Di, b, t);
    Date DminDate;
    const bool placed = side == SwitchSide::After && KnownDminDate(bounds, StartDate, Di, Dmin, Qi, b, &DminDate);
    if (placed && dates::IsEarlier(DminDate, FindDate)) {
        const double te = dates::SpanInDays(FindDate, DminDate) / kDaysPerYear;
        *Qt = RateAtSwitch(StartDate, DminDate, Qi, Di, b) * qrvp::Exp(te * (-Dmin));
        return kStatusOk;
    }
    *Qt = HyperbolicRate(Qi, Di, b, t);
    if (placed || (side == SwitchSide::Before && *Qt > 0.0)) {
        return kStatusOk;  // the hyperbola, up to the switch (Qi > 0 for a known switch)
    }
    return ApplySwitch(FindDate, StartDate, Qi, Di, b, Dmin, Qt);
}

}  // namespace

}  // namespace qrvp::arps

using namespace qrvp;

int32_t GetArpsQt(Date FindDate, Date StartDate, double Qi, double Di, double b, double Dmin, double* Qt)
{
    if (Qt == nullptr) {
        return kStatusFailed;
    }
    const arps::EffectiveDecline eff = arps::ApplyMinDeclineRule(b, Di, Dmin);
    return arps::ComputeArpsQt(FindDate, StartDate, Qi, Di, eff.b, eff.Dmin, Qt);
}

int32_t GetArpsIDecl(double Qt, double Di, double Qi, double b, double* D)
{
    if (D == nullptr) {
        return kStatusFailed;
    }
    // Provisional values, left behind when the rates are rejected below.
    if (NearZero(Di) || NearZero(Qt - Qi)) {
        *D = 0.0;
    }
    if (NearZero(b)) {
        *D = Di;
    }
    if (Qi <= 0 || Qt <= 0) {
        return QRVP_FAIL(L"GetArpsIDecl", L"Invalid Qi or Qt, Qi = %f, Qt = %f", Qi, Qt);
    }
    *D = qrvp::Pow(Qt / Qi, b) * Di;
    return kStatusOk;
}

int32_t GetArpsDminDate(Date StartDate, double Di, double Dmin, double Qi, double b, Date* DminDate)
{
    if (DminDate == nullptr) {
        return kStatusFailed;
    }
    // For a segment whose switch is known the checks below all pass, and the
    // days, worked out through the rate at the switch, only recover Di/Dmin:
    // where that truncates to the same second, the date is certain.
    if (arps::QuickDminDate(arps::BoundSwitch(Qi, Di, b, Dmin), StartDate, DminDate)) {
        return kStatusOk;
    }
    return arps::SolveDminDate(StartDate, Di, Dmin, Qi, b, DminDate);
}

int32_t qrvp::arps::SolveDminDate(Date StartDate, double Di, double Dmin, double Qi, double b, Date* DminDate)
{
    if (StartDate.year < 1800) {
        return QRVP_FAIL(L"GetArpsDminDate", L"Invalid start date (%d/%d/%d)", arps::LogMonth(StartDate),
                         arps::LogDay(StartDate), arps::LogYear(StartDate));
    }
    if (NearZero(Di)) {
        return QRVP_FAIL(L"GetArpsDminDate", L"Cannot solve for Dmin date with zero decline rate.");
    }
    if (NearZero(Dmin)) {
        return QRVP_FAIL(L"GetArpsDminDate", L"Cannot solve for Dmin date with zero Dmin rate.");
    }
    if (NearZero(b)) {
        return QRVP_FAIL(L"GetArpsDminDate", L"Cannot solve for Dmin date with zero bFactor.");
    }
    // A Dmin of the other sign from Di is never reached: the rate at the switch
    // would be negative or not a number.
    const bool oppositeSigns = (Di > 0.0 && Dmin < 0.0) || (Di < 0.0 && Dmin > 0.0);
    if ((b > 0.0 && Dmin >= Di) || (b < 0.0 && Di >= Dmin) || oppositeSigns) {
        return QRVP_FAIL(L"GetArpsDminDate", L"Invalid Dmin for given decline.");
    }
    const double QD = qrvp::Pow(Dmin / Di, 1 / b) * Qi;
    if (NearZero(QD)) {
        return QRVP_FAIL(L"GetArpsDminDate", L"Qf cannot be zero.");
    }
    const double days = (qrvp::Exp(qrvp::Log(Qi / QD) * b) - 1) * arps::kDaysPerYear / (Di * b);
    // Also rejects a number of days that is not a finite number, so the date
    // arithmetic only ever moves by a real amount.
    if (!(days > 0) || !std::isfinite(days)) {
        return QRVP_FAIL(L"GetArpsDminDate", L"Time cannot be zero.");
    }
    Date switchDate = StartDate;
    switchDate.AddFracDay(days);
    *DminDate = switchDate;
    return kStatusOk;
}
