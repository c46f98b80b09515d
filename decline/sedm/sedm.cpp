// The stretched-exponential decline q(t) = Qi * exp(-(t / tau)^n): its rate
// at a date, its volume, and its inversions for the duration, tau and Qi.
// t is in years, the days from StartDate to EndDate over 365.25.
#include "QRVPFuncs.h"

#include "decline/sedm/gamma.h"
#include "decline/sedm/ieee_quotient.h"
#include "frame/elementary.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <cmath>
#include <cstdint>

namespace {

using qrvp::kStatusFailed;
using qrvp::kStatusOk;
using qrvp::sedm::Quotient;

constexpr double kDaysPerYear = 365.25;
constexpr uint32_t kFirstValidYear = 1800;

// The checks every dated function makes after its own value checks: both
// years at least 1800 (the year taken as unsigned, so no upper limit), then
// EndDate not earlier than StartDate.  Reports under `function` and fails.
int32_t CheckDates(const wchar_t* function, const Date& StartDate, const Date& EndDate)
{
    if (StartDate.year < kFirstValidYear || EndDate.year < kFirstValidYear) {
        return QRVP_FAIL(function, L"Invalid start date (%d/%d/%d) or end date (%d/%d/%d)",
                         static_cast<int32_t>(StartDate.month), static_cast<int32_t>(StartDate.day),
                         static_cast<int32_t>(StartDate.year), static_cast<int32_t>(EndDate.month),
                         static_cast<int32_t>(EndDate.day), static_cast<int32_t>(EndDate.year));
    }
    if (EndDate < StartDate) {
        return QRVP_FAIL(function, L"End date (%d/%d/%d) is earlier than start date (%d/%d/%d)",
                         static_cast<int32_t>(EndDate.month), static_cast<int32_t>(EndDate.day),
                         static_cast<int32_t>(EndDate.year), static_cast<int32_t>(StartDate.month),
                         static_cast<int32_t>(StartDate.day), static_cast<int32_t>(StartDate.year));
    }
    return kStatusOk;
}

double YearsBetween(const Date& StartDate, const Date& EndDate)
{
    return EndDate.DaySpan(StartDate) / kDaysPerYear;
}

// exp(-(t / tau)^n), the fraction of Qi left after t years.
double RemainingFraction(double t, double tau, double n)
{
    return qrvp::Exp(-qrvp::Pow(t / tau, n));
}

// A rate pair the inversions can use: both positive, Qf below Qi and not
// equal to it within the zero tolerance.
bool IsDecliningPair(double Qi, double Qf)
{
    return !(Qi <= 0.0 || Qf <= 0.0 || Qf >= Qi || qrvp::NearlyEqual(Qf, Qi));
}

// ln(Qi / Qf)^(1 / n): t / tau for the fall from Qi to Qf.
double ScaledTimeToFall(double Qi, double Qf, double n)
{
    return qrvp::Pow(qrvp::Log(Qi / Qf), Quotient(1.0, n));
}

}  // namespace

extern "C" int32_t GetSEDMQt(double Qi, Date StartDate, Date EndDate, double tau, double n, double* Qt)
{
    if (Qt == nullptr) return kStatusFailed;
    if (Qi <= 0.0 || tau <= 0.0) {
        return QRVP_FAIL(L"GetSEDMQt", L"Invalid Qi (%f), tau (%f), or n (%f)", Qi, tau, n);
    }
    if (CheckDates(L"GetSEDMQt", StartDate, EndDate) != kStatusOk) return kStatusFailed;

    *Qt = RemainingFraction(YearsBetween(StartDate, EndDate), tau, n) * Qi;
    return kStatusOk;
}

extern "C" int32_t GetSEDMVol(double Qi, Date StartDate, Date EndDate, double tau, double n, double* Vol)
{
    if (Vol == nullptr) return kStatusFailed;
    if (Qi <= 0.0 || tau <= 0.0) {
        return QRVP_FAIL(L"GetSEDMVol", L"Invalid Qi (%f), tau (%f), or n (%f)", Qi, tau, n);
    }
    if (CheckDates(L"GetSEDMVol", StartDate, EndDate) != kStatusOk) return kStatusFailed;

    const double t = YearsBetween(StartDate, EndDate);
    const double a = Quotient(1.0, n);

    // Gamma(1/n) itself is not needed; the call rejects an exponent whose
    // reciprocal lies outside 0..171, under gamma's own record.
    double gammaOfA = 0.0;
    if (qrvp::sedm::gamma(a, &gammaOfA) != kStatusOk) return kStatusFailed;

    double lower = 0.0;
    double upper = 0.0;
    if (qrvp::sedm::incGamma(a, qrvp::Pow(t / tau, n), &lower, &upper) != kStatusOk) return kStatusFailed;

    // 12 * integral of Qi exp(-(t/tau)^n) dt = 12 Qi (tau/n) gamma(1/n, (t/tau)^n).
    *Vol = Quotient(tau, n) * (Qi * 12.0) * lower;
    return kStatusOk;
}

extern "C" int32_t GetSEDMYears(double Qi, double Qf, double /*unused*/, double tau, double n, double* Years)
{
    if (Years == nullptr) return kStatusFailed;
    if (tau <= 0.0) {
        return QRVP_FAIL(L"GetSEDMYears", L"tau (%f) and n (%f) must be greater than zero", tau, n);
    }
    if (!IsDecliningPair(Qi, Qf)) {
        return QRVP_FAIL(L"GetSEDMYears", L"Invalid Qi (%f) or Qf (%f)", Qi, Qf);
    }

    *Years = ScaledTimeToFall(Qi, Qf, n) * tau;
    return kStatusOk;
}

extern "C" int32_t GetSEDMTau(double Qi, double Qf, Date StartDate, Date EndDate, double n, double* tau)
{
    if (tau == nullptr) return kStatusFailed;
    if (!IsDecliningPair(Qi, Qf)) {
        return QRVP_FAIL(L"GetSEDMTau", L"Invalid n (%f), Qi (%f), or Qf (%f)", n, Qi, Qf);
    }
    if (CheckDates(L"GetSEDMTau", StartDate, EndDate) != kStatusOk) return kStatusFailed;

    *tau = Quotient(YearsBetween(StartDate, EndDate), ScaledTimeToFall(Qi, Qf, n));
    return kStatusOk;
}

extern "C" int32_t GetSEDMQi(double Qf, Date StartDate, Date EndDate, double tau, double n, double* Qi)
{
    if (Qi == nullptr) return kStatusFailed;
    if (tau <= 0.0 || Qf <= 0.0) {
        return QRVP_FAIL(L"GetSEDMQi", L"Invalid tau (%f), n (%f), or Qf (%f)", tau, n, Qf);
    }
    if (CheckDates(L"GetSEDMQi", StartDate, EndDate) != kStatusOk) return kStatusFailed;

    *Qi = Quotient(Qf, RemainingFraction(YearsBetween(StartDate, EndDate), tau, n));
    return kStatusOk;
}

// Kept for hosts that link it; a final rate from a volume has no closed form
// in this model, so the call always fails, silently.
int32_t GetSEDMQfVol(double /*Qi*/, double /*Vol*/, Date /*StartDate*/, Date /*EndDate*/, double /*tau*/,
                     double& Qf)
{
    Qf = -1.0;
    return kStatusFailed;
}
