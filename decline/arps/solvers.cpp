// The Arps solvers: the decline, initial rate or duration that a segment needs
// to reach a given rate, and the same hyperbola restarted at another date.
#include "decline/arps/arps_core.h"
#include "frame/elementary.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <cmath>

using namespace qrvp;
using arps::kDaysPerYear;
using arps::kMaxNominalDecline;
using arps::LogDay;
using arps::LogMonth;
using arps::LogYear;

namespace {

// Successive bisection midpoints closer than this end the decline search.
constexpr double kDeclineStep = 1e-8;
constexpr int kMaxDeclineMidpoints = 100;
// The rate the initial-rate solve evaluates at; the model is proportional in Qi.
constexpr double kReferenceRate = 5000.0;
// The rate at the capped decline on the reference scale of the backward extension.
constexpr double kCapScaleRate = 50000.0;

// The hyperbolic (and harmonic) time from Qi to Qf.
double HyperbolicYears(double Qi, double Qf, double b, double Di)
{
    return (qrvp::Pow(Qf / Qi, -b) - 1) / (b * Di);
}

}  // namespace

int32_t GetArpsDi(Date StartDate, Date EndDate, double Qi, double Qt, double b, double Dmin, double* Di)
{
    if (Di == nullptr) {
        return kStatusFailed;
    }
    *Di = 0.0;
    if (NearZero(Qi) || NearZero(Qt) || StartDate.year < 1800 || EndDate.year < 1800 || EndDate < StartDate) {
        return QRVP_FAIL(L"GetArpsDi",
                         L"Invalid parameters: Qi (%f), Qt (%f), StartDate (%d/%d/%d), EndDate (%d/%d/%d)", Qi, Qt,
                         LogMonth(StartDate), LogDay(StartDate), LogYear(StartDate), LogMonth(EndDate),
                         LogDay(EndDate), LogYear(EndDate));
    }
    if (NearZero(Qi - Qt)) {
        return kStatusOk;
    }

    // The minimum decline only matters when it points the way the rate moves.
    double Dm = Dmin;
    if (NearZero(b) || (Qi > Qt && b < 0.0) || (Qt > Qi && b > 0.0)) {
        Dm = 0.0;
    }
    const double T = EndDate.DaySpan(StartDate) / kDaysPerYear;
    if (NearZero(Dm) || (Dm > 0.0 && Qt > Qi) || (Dm < 0.0 && Qi > Qt)) {
        if (NearZero(b)) {
            *Di = qrvp::Log(Qi / Qt) / T;
        } else if (NearZero(b - 1)) {
            *Di = (Qi - Qt) / (T * Qt);
        } else {
            *Di = (qrvp::Pow(Qi / Qt, b) - 1) / (T * b);
        }
        return kStatusOk;
    }

    // When Dm alone moves the rate past the target, the answer is the gentler
    // exponential through both points.
    double qx = 0.0;
    if (arps::ComputeArpsQt(EndDate, StartDate, Qi, Dm, 0, 0, &qx) != kStatusOk) {
        return kStatusFailed;
    }
    if ((Qi > Qt && Qt > qx) || (Qt > Qi && qx > Qt)) {
        *Di = qrvp::Log(Qi / Qt) / T;
        return kStatusOk;
    }

    double lo = -kMaxNominalDecline;
    double hi = 0.0;
    if (Qi > Qt) {
        lo = Dm;
        hi = kMaxNominalDecline;
    }
    double previous = -37.0;
    for (int i = 0; i < kMaxDeclineMidpoints; ++i) {
        const double mid = (hi + lo) * 0.5;
        const arps::EffectiveDecline eff = arps::ApplyMinDeclineRule(b, mid, Dm);
        double q = 0.0;
        if (arps::ComputeArpsQt(EndDate, StartDate, Qi, mid, eff.b, eff.Dmin, &q) != kStatusOk) {
            return kStatusFailed;
        }
        if (q > Qt) {
            lo = mid;  // more decline needed
        } else {
            hi = mid;
        }
        if (std::fabs(mid - previous) < kDeclineStep) {
            *Di = mid;
            return kStatusOk;
        }
        previous = mid;
    }
    return QRVP_FAIL(L"GetArpsDi", L"Reached iteration limit (100)");
}

int32_t GetArpsYears(double Qi, double Qf, double b, double Di, double Dmin, double* Years)
{
    if (Years == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Qi) || NearZero(Qf) || NearZero(Di)) {
        return QRVP_FAIL(L"GetArpsYears", L"Qi, Qf, and Di must all be nonzero.");
    }
    const arps::EffectiveDecline eff = arps::ApplyMinDeclineRule(b, Di, Dmin);
    if (NearZero(eff.b)) {
        *Years = qrvp::Log(Qi / Qf) / Di;
        return kStatusOk;
    }
    if (NearZero(eff.Dmin)) {
        *Years = HyperbolicYears(Qi, Qf, eff.b, Di);
        return kStatusOk;
    }
    double D = 0.0;
    if (GetArpsIDecl(Qf, Di, Qi, eff.b, &D) != kStatusOk) {
        return kStatusFailed;
    }
    if (!((eff.b > 0.0 && eff.Dmin > D) || (eff.b < 0.0 && D > eff.Dmin))) {
        // Qf is reached before the switch.
        *Years = HyperbolicYears(Qi, Qf, eff.b, Di);
        return kStatusOk;
    }

    const Date reference(2000, 1, 1, 0, 0, 0);
    Date DminDate;
    if (GetArpsDminDate(reference, Di, eff.Dmin, Qi, eff.b, &DminDate) != kStatusOk || DminDate.year < 1800) {
        return kStatusFailed;
    }
    // A switch outside the reference window leaves Years as the caller set it.
    if (DminDate <= reference || DminDate >= Date(2600, 1, 1, 0, 0, 0)) {
        return kStatusOk;
    }
    const double tD = DminDate.DaySpan(reference) / kDaysPerYear;
    const double QD = qrvp::Pow(eff.b * Di * tD + 1, -1 / eff.b) * Qi;
    const double te = qrvp::Log(Qf / QD) / (-eff.Dmin);
    if (tD > 0 && te > 0) {
        *Years = te + tD;
    }
    return kStatusOk;
}

int32_t GetArpsQi(Date StartDate, Date EndDate, double Qf, double b, double Di, double Dmin, double* Qi)
{
    if (Qi == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Di)) {
        *Qi = Qf;
        return kStatusOk;
    }
    if (Qf <= 0) {
        return QRVP_FAIL(L"GetArpsQi", L"Invalid Qf");
    }
    if (StartDate.year == 0 || EndDate < StartDate) {
        return QRVP_FAIL(L"GetArpsQi", L"Invalid start date (%d/%d/%d) and/or end date (%d/%d/%d).",
                         LogMonth(StartDate), LogDay(StartDate), LogYear(StartDate), LogMonth(EndDate),
                         LogDay(EndDate), LogYear(EndDate));
    }
    const arps::EffectiveDecline eff = arps::ApplyMinDeclineRule(b, Di, Dmin);
    double qr = 0.0;
    if (arps::ComputeArpsQt(EndDate, StartDate, kReferenceRate, Di, eff.b, eff.Dmin, &qr) != kStatusOk) {
        return kStatusFailed;
    }
    *Qi = Qf * kReferenceRate / qr;
    return kStatusOk;
}

int32_t GetConstantArpsQi(Date NewStartDate, Date StartDate, double Qi, double Di, double b, double* NewQi,
                          double* NewDi)
{
    if (NewQi == nullptr || NewDi == nullptr) {
        return kStatusFailed;
    }
    const double T = StartDate.DaySpan(NewStartDate) / kDaysPerYear;
    if (T <= 0) {
        return QRVP_FAIL(L"GetConstantArpsQi",
                         L"New start date (%d/%d/%d) greater than or equal to original start date (%d/%d/%d)",
                         LogMonth(NewStartDate), LogDay(NewStartDate), LogYear(NewStartDate), LogMonth(StartDate),
                         LogDay(StartDate), LogYear(StartDate));
    }
    const double Dcap = b >= 0 ? kMaxNominalDecline : -kMaxNominalDecline;
    // Without an exponent, or with a decline of the other sign from b, the
    // hyperbola has no point at the capped decline to extend from.
    if (NearZero(b) || !(Di / Dcap > 0)) {
        return QRVP_FAIL(L"GetConstantArpsQi", L"Calculated time too small");
    }
    const double q1 = qrvp::Pow(Di / Dcap, 1 / b) * kCapScaleRate;
    const double Tmax = (qrvp::Pow(kCapScaleRate / q1, b) - 1) / (Dcap * b);
    if (T >= Tmax) {
        return QRVP_FAIL(L"GetConstantArpsQi", L"Calculated time too small");
    }
    const double qn = qrvp::Pow((Tmax - T) * b * Dcap + 1, -1 / b) * kCapScaleRate;
    const double newQi = qn * (Qi / q1);
    const double newDi = qrvp::Pow(Qi / newQi, -b) * Di;
    // An exponent so small that the reference scale under- or overflows.
    if (!std::isfinite(newQi) || !std::isfinite(newDi)) {
        return QRVP_FAIL(L"GetConstantArpsQi", L"Calculated time too small");
    }
    *NewQi = newQi;
    *NewDi = newDi;
    return kStatusOk;
}

int32_t GetConstantArpsQinit(double* Di, Date RefDate, Date EndDate, double Qref, double Qend, double Dref, double b,
                             double Dmin, double* Qinit, Date* StartDate)
{
    if (Di == nullptr || Qinit == nullptr || StartDate == nullptr) {
        return kStatusFailed;
    }
    const double wanted = *Di;
    if (wanted == 0.0 || b == 0.0 || Qref == 0.0) {
        return kStatusFailed;
    }
    // The point of the known curve whose decline is the wanted one.
    *Qinit = qrvp::Pow(Dref / wanted, -1 / b) * Qref;
    const double back = (qrvp::Pow(*Qinit / Qref, b) - 1) / (b * wanted) * kDaysPerYear;
    if (!std::isfinite(back)) {
        return kStatusFailed;  // no such point: the date cannot move by it
    }
    Date start = RefDate;
    start.AddFracDay(-back);
    *StartDate = start;
    if (start.year < 1800) {
        return kStatusFailed;
    }
    // The segment starts at the first midnight after that point.
    Date S1 = start;
    S1.hour = 0;
    S1.minute = 0;
    S1.second = 0;
    S1.AddDays(1);
    const arps::EffectiveDecline eff = arps::ApplyMinDeclineRule(b, wanted, Dmin);
    if (arps::ComputeArpsQt(S1, start, *Qinit, wanted, eff.b, eff.Dmin, Qinit) != kStatusOk) {
        return kStatusFailed;
    }
    if (GetArpsDi(S1, EndDate, *Qinit, Qend, b, Dmin, Di) != kStatusOk) {
        return kStatusFailed;
    }
    *StartDate = S1;
    return kStatusOk;
}
