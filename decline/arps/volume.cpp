// Arps volumes: the cumulative production of a segment between two dates, and
// the inversions that start from a volume (decline and final rate, duration,
// rate reached).  Once a hyperbola's decline has fallen to Dmin the rest of
// the segment is exponential at Dmin, so a volume is a hyperbolic piece up to
// the switch plus an exponential piece after it.
#include "decline/arps/arps_core.h"
#include "decline/arps/arps_switch.h"
#include "decline/arps/arps_volume.h"
#include "dates/date_span.h"
#include "frame/elementary.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <cmath>

namespace qrvp::arps {

namespace {

// The bracket of the decline search in GetArpsQfDiVol, and its budget.
constexpr double kVolDeclineBound = 36.0;
constexpr int kVolSearchEvaluations = 35;

double ConstantRateVolume(double days, double Qi) { return days * Qi / kDaysPerMonth; }

double ExponentialVolume(double Qi, double Di, double t) { return 12.0 * Qi * (1.0 - qrvp::Exp(-Di * t)) / Di; }

// Rate reached after producing Vol on a harmonic or hyperbolic curve (b not 0).
double HyperbolicQfAfterVolume(double Qi, double Di, double b, double Vol)
{
    if (NearZero(b - 1.0)) {
        return Qi * qrvp::Exp(-Vol * Di / (12.0 * Qi));
    }
    return qrvp::Pow(qrvp::Pow(Qi, 1.0 - b) - Vol * Di * (1.0 - b) / (12.0 * qrvp::Pow(Qi, b)), 1.0 / (1.0 - b));
}

}  // namespace

int32_t HypVolQf(double Qi, double Qf, double Di, double b, double* Vol)
{
    if (Vol == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Qi) || NearZero(Qf) || NearZero(Di)) {
        return QRVP_FAIL(L"HypVolQf", L"Qi, Qf, and Di must all be nonzero.");
    }
    if (NearZero(b - 1.0)) {
        *Vol = 12.0 * Qi * qrvp::Log(Qi / Qf) / Di;
        return kStatusOk;
    }
    *Vol = 12.0 * qrvp::Pow(Qi, b) * (qrvp::Pow(Qi, 1.0 - b) - qrvp::Pow(Qf, 1.0 - b)) / ((1.0 - b) * Di);
    return kStatusOk;
}

int32_t HypVolTime(double Qi, double Di, double b, double t, double* Vol)
{
    if (Vol == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Qi) || NearZero(Di)) {
        // Reported under the solver that first used this volume.
        return QRVP_FAIL(L"GetArpsYears", L"Qi and Di must be nonzero.");
    }
    if (b == 1.0) {
        *Vol = 12.0 * Qi * qrvp::Log(1.0 + Di * t) / Di;
        return kStatusOk;
    }
    *Vol = 12.0 * Qi / ((1.0 - b) * Di) * (1.0 - qrvp::Pow(1.0 + b * Di * t, 1.0 - 1.0 / b));
    return kStatusOk;
}

int32_t GetArpsRemTime(double Qi, double Vol, double b, double Di, double Dmin, double* Years)
{
    if (Years == nullptr) {
        return kStatusFailed;
    }
    if (Qi <= 0.0) {
        return QRVP_FAIL(L"GetArpsRemTime", L"Qi cannot be less than or equal to zero.");
    }
    // Dmin matters only through the exponent the rule leaves.
    const double c = ApplyMinDeclineRule(b, Di, Dmin).b;
    const double x = Vol * Di / (12.0 * Qi);
    if (NearZero(c)) {
        *Years = -qrvp::Log(1.0 - x) / Di;
    } else if (NearZero(c - 1.0)) {
        *Years = (qrvp::Exp(x) - 1.0) / Di;
    } else {
        *Years = (qrvp::Pow(1.0 + (c - 1.0) * x, c / (c - 1.0)) - 1.0) / (c * Di);
    }
    return kStatusOk;
}

int32_t LocateArpsSwitch(Date StartDate, Date EndDate, double Qi, double Di, double bEff, double DminEff,
                         ArpsSwitch* where)
{
    if (where == nullptr) {
        return kStatusFailed;
    }
    where->inside = false;

    // Where the switch is certain, neither the rate of the hyperbola at EndDate
    // nor its decline there is needed.
    if (!dates::IsEarlier(EndDate, StartDate)) {
        const SwitchBounds bounds = BoundSwitch(Qi, Di, bEff, DminEff);
        const SwitchSide side = SideOfSwitch(bounds, Di, bEff, dates::SpanInDays(EndDate, StartDate) / kDaysPerYear);
        Date dminDate;
        if (side == SwitchSide::Before) {
            return kStatusOk;
        }
        if (side == SwitchSide::After && KnownDminDate(bounds, StartDate, Di, DminEff, Qi, bEff, &dminDate)) {
            PlaceArpsSwitch(StartDate, EndDate, Qi, Di, bEff, dminDate, where);
            return kStatusOk;
        }
    }

    // The decline the pure hyperbola has reached by EndDate tells whether the
    // switch comes before it.
    double qEnd = 0.0;
    if (ComputeArpsQt(EndDate, StartDate, Qi, Di, bEff, 0.0, &qEnd) != kStatusOk) {
        return kStatusFailed;
    }
    double dEnd = 0.0;
    if (GetArpsIDecl(qEnd, Di, Qi, bEff, &dEnd) != kStatusOk) {
        return kStatusFailed;
    }
    const bool passed = (bEff > 0.0 && DminEff > dEnd) || (bEff < 0.0 && dEnd > DminEff);
    if (!passed) {
        return kStatusOk;
    }

    Date dminDate;  // the null date until solved
    if (GetArpsDminDate(StartDate, Di, DminEff, Qi, bEff, &dminDate) != kStatusOk) {
        return kStatusFailed;
    }
    if (dminDate.year < 1800) {
        return kStatusFailed;
    }
    PlaceArpsSwitch(StartDate, EndDate, Qi, Di, bEff, dminDate, where);
    return kStatusOk;
}

void PlaceArpsSwitch(const Date& StartDate, const Date& EndDate, double Qi, double Di, double bEff,
                     const Date& dminDate, ArpsSwitch* where)
{
    where->inside = false;
    if (!dates::IsEarlier(dminDate, EndDate) || !dates::IsEarlier(StartDate, dminDate)) {
        return;
    }
    *where = SwitchAt(StartDate, Qi, Di, bEff, dminDate);
}

ArpsSwitch SwitchAt(const Date& StartDate, double Qi, double Di, double bEff, const Date& dminDate)
{
    ArpsSwitch where{true, dminDate, 0.0, 0.0};
    where.tD = dates::SpanInDays(dminDate, StartDate) / kDaysPerYear;
    where.QD = Qi * qrvp::Pow(1.0 + bEff * Di * where.tD, -1.0 / bEff);
    return where;
}

}  // namespace qrvp::arps

using namespace qrvp;
using namespace qrvp::arps;

extern "C" QRVP_API int32_t GetArpsVol(Date StartDate, Date EndDate, double Qi, double Qf, double Di, double b,
                                       double Dmin, double* Vol)
{
    if (Vol == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Di) || Qi == Qf) {
        *Vol = ConstantRateVolume(EndDate.DaySpan(StartDate), Qi);
        return kStatusOk;
    }
    if (NearZero(b)) {
        *Vol = 12.0 * (Qi - Qf) / Di;
        return kStatusOk;
    }

    const EffectiveDecline eff = ApplyMinDeclineRule(b, Di, Dmin);
    ArpsSwitch sw{};
    if (!NearZero(eff.Dmin)) {
        if (LocateArpsSwitch(StartDate, EndDate, Qi, Di, eff.b, eff.Dmin, &sw) != kStatusOk) {
            return kStatusFailed;
        }
    }
    double vol = 0.0;
    if (!sw.inside) {
        if (HypVolQf(Qi, Qf, Di, eff.b, &vol) != kStatusOk) {
            return kStatusFailed;
        }
        *Vol = vol;
        return kStatusOk;
    }
    if (HypVolQf(Qi, sw.QD, Di, eff.b, &vol) != kStatusOk) {
        return kStatusFailed;
    }
    *Vol = vol + 12.0 * (sw.QD - Qf) / eff.Dmin;
    return kStatusOk;
}

extern "C" QRVP_API int32_t GetArpsVol2(Date StartDate, Date EndDate, double Qi, double Di, double b, double Dmin,
                                        double* Vol)
{
    if (Vol == nullptr) {
        return kStatusFailed;
    }
    const double days = EndDate.DaySpan(StartDate);
    const double t = days / kDaysPerYear;
    if (NearZero(Di)) {
        *Vol = ConstantRateVolume(days, Qi);
        return kStatusOk;
    }
    if (NearZero(b)) {
        *Vol = ExponentialVolume(Qi, Di, t);
        return kStatusOk;
    }

    const EffectiveDecline eff = ApplyMinDeclineRule(b, Di, Dmin);
    if (NearZero(eff.b)) {
        *Vol = ExponentialVolume(Qi, Di, t);
        return kStatusOk;
    }
    ArpsSwitch sw{};
    if (!NearZero(eff.Dmin)) {
        if (LocateArpsSwitch(StartDate, EndDate, Qi, Di, eff.b, eff.Dmin, &sw) != kStatusOk) {
            return kStatusFailed;
        }
    }
    double vol = 0.0;
    if (!sw.inside) {
        if (HypVolTime(Qi, Di, eff.b, t, &vol) != kStatusOk) {
            return kStatusFailed;
        }
        *Vol = vol;
        return kStatusOk;
    }
    if (HypVolTime(Qi, Di, eff.b, sw.tD, &vol) != kStatusOk) {
        return kStatusFailed;
    }
    const double te = EndDate.DaySpan(sw.DminDate) / kDaysPerYear;
    *Vol = vol + 12.0 * sw.QD * (1.0 - qrvp::Exp(-eff.Dmin * te)) / eff.Dmin;
    return kStatusOk;
}

extern "C" QRVP_API int32_t GetArpsQfDiVol(Date StartDate, Date EndDate, double Qi, double b, double Vol,
                                           double Dmin, double* Di, double* Qf)
{
    if (Di == nullptr || Qf == nullptr) {
        return kStatusFailed;
    }
    double lo = -kVolDeclineBound;
    double hi = kVolDeclineBound;
    double trialDi = 0.0;
    double trialQf = Qi;
    const double tolerance = 1e-5 * Vol;
    // A failed evaluation keeps the previous volume; the first trial (no
    // decline) always has one.
    double v = 0.0;
    for (int evaluation = 1;; ++evaluation) {
        (void)GetArpsVol(StartDate, EndDate, Qi, trialQf, trialDi, b, Dmin, &v);
        *Di = trialDi;
        *Qf = trialQf;
        if (std::fabs(v - Vol) < tolerance) {
            return kStatusOk;
        }
        if (evaluation == kVolSearchEvaluations) {
            return kStatusFailed;
        }
        if (Vol > v) {
            hi = trialDi;
        } else {
            lo = trialDi;
        }
        trialDi = (lo + hi) / 2.0;
        // A failed rate leaves what ComputeArpsQt wrote (-1.0 on an early failure).
        const EffectiveDecline eff = ApplyMinDeclineRule(b, trialDi, Dmin);
        (void)ComputeArpsQt(EndDate, StartDate, Qi, trialDi, eff.b, eff.Dmin, &trialQf);
    }
}

extern "C" QRVP_API int32_t GetArpsYearsVol(double Qi, double Vol, double b, double Di, double Dmin,
                                            double* Years)
{
    if (Years == nullptr) {
        return kStatusFailed;
    }
    const EffectiveDecline eff = ApplyMinDeclineRule(b, Di, Dmin);
    double years = 0.0;
    if (NearZero(eff.Dmin)) {
        if (GetArpsRemTime(Qi, Vol, eff.b, Di, 0.0, &years) != kStatusOk) {
            return kStatusFailed;
        }
        *Years = years;
        return kStatusOk;
    }

    // The volume before the switch, measured on a reference start date.
    const Date reference(1900, 1, 1, 0, 0, 0);
    Date dminDate;
    if (GetArpsDminDate(reference, Di, eff.Dmin, Qi, eff.b, &dminDate) != kStatusOk) {
        return kStatusFailed;
    }
    double qD = 0.0;
    if (ComputeArpsQt(dminDate, reference, Qi, Di, eff.b, 0.0, &qD) != kStatusOk) {
        return kStatusFailed;
    }
    double vD = 0.0;
    if (GetArpsVol(reference, dminDate, Qi, qD, Di, eff.b, 0.0, &vD) != kStatusOk) {
        return kStatusFailed;
    }

    if (vD > Vol) {
        if (GetArpsRemTime(Qi, Vol, eff.b, Di, eff.Dmin, &years) != kStatusOk) {
            return kStatusFailed;
        }
        *Years = years;
        return kStatusOk;
    }
    double yearsExp = 0.0;
    if (GetArpsRemTime(Qi, vD, eff.b, Di, eff.Dmin, &years) != kStatusOk ||
        GetArpsRemTime(qD, Vol - vD, 0.0, eff.Dmin, 0.0, &yearsExp) != kStatusOk) {
        return kStatusFailed;
    }
    *Years = years + yearsExp;
    return kStatusOk;
}

extern "C" QRVP_API int32_t GetArpsQfVol(double Qi, double Di, double b, double Vol, double Dmin, double* Qf)
{
    if (Qf == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Di)) {
        return kStatusFailed;  // silent: no decline, no rate change to solve for
    }
    const EffectiveDecline eff = ApplyMinDeclineRule(b, Di, Dmin);
    if (NearZero(eff.Dmin)) {
        // No sign check: a volume the curve never reaches gives a negative or
        // non-finite rate with status 0.
        if (NearZero(eff.b)) {
            *Qf = Qi - Vol * Di / 12.0;
        } else {
            *Qf = HyperbolicQfAfterVolume(Qi, Di, eff.b, Vol);
        }
        return kStatusOk;
    }

    // The volume down to the switch rate, on a reference interval long enough
    // to hold the switch.
    const Date reference(2000, 1, 1, 0, 0, 0);
    const Date referenceEnd(2599, 12, 31, 0, 0, 0);
    Date dminDate;
    if (GetArpsDminDate(reference, Di, eff.Dmin, Qi, eff.b, &dminDate) != kStatusOk || dminDate.year < 1800) {
        return kStatusFailed;
    }
    if (ComputeArpsQt(dminDate, reference, Qi, Di, eff.b, eff.Dmin, Qf) != kStatusOk) {
        return kStatusFailed;
    }
    const double qD = *Qf;
    double vD = 0.0;
    if (GetArpsVol(reference, referenceEnd, Qi, qD, Di, eff.b, eff.Dmin, &vD) != kStatusOk) {
        return kStatusFailed;
    }

    double qf = 0.0;
    if (vD > Vol) {
        qf = HyperbolicQfAfterVolume(Qi, Di, eff.b, Vol);
    } else {
        qf = qD - (Vol - vD) * eff.Dmin / 12.0;
    }
    *Qf = qf;
    if (qf < 0.0) {
        return QRVP_FAIL(L"GetArpsQfVol", L"Solved Qf cannot be less than zero.");
    }
    return kStatusOk;
}
