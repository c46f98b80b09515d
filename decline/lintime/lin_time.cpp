// Linear-with-time decline: a rate that changes by the same amount every year,
// q(t) = Qi - Di * t with t in years of 365.25 days.
#include "QRVPFuncs.h"
#include "decline/lintime/lin_time_log.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <cmath>

using qrvp::kStatusFailed;
using qrvp::kStatusOk;
using qrvp::NearZero;
using qrvp::lintime::LogDay;
using qrvp::lintime::LogMonth;
using qrvp::lintime::LogWordOf;
using qrvp::lintime::LogYear;

namespace {

constexpr double kDaysPerYear = 365.25;
// Twice the year: the trapezoid's halving folded into the days-to-years step.
constexpr double kDaysPerTwoYears = 730.5;
// The smallest rate a normalised segment falls to when its end rate is unusable.
constexpr double kFloorRate = 1e-6;
// Dates before this year are null to this family; no upper bound is tested.
constexpr uint32_t kFirstValidYear = 1800;

bool IsNullYear(const Date& d) { return d.year < kFirstValidYear; }

// Days from `from` to `to`, fractional, time of day included.
double DaysBetween(const Date& from, const Date& to) { return to.DaySpan(from); }

int32_t LinTimYears(double Qi, double Qf, double Di, double* Years)
{
    if (NearZero(Di) || Qi == Qf) {
        return QRVP_FAIL(L"GetLinTimYears", L"Cannot solve for time with zero decline or Qi (%f) equal to Qf (%f).",
                         Qi, Qf);
    }
    if (Qi < 0 || Qf < 0) {
        return QRVP_FAIL(L"GetLinTimYears", L"Invalid Qi (%f) or Qf (%f).", Qi, Qf);
    }
    *Years = (Qi - Qf) / Di;
    return kStatusOk;
}

// StartDate moved on by Years; false (nothing written) when Years is not a
// finite number, so that no NaN or infinity ever reaches the date arithmetic.
bool DateAfterYears(const Date& StartDate, double Years, Date* EndDate)
{
    const double days = Years * kDaysPerYear;
    if (!std::isfinite(days)) {
        return false;
    }
    Date moved = StartDate;
    moved.AddFracDay(days);
    *EndDate = moved;
    return true;
}

}  // namespace

extern "C" int32_t GetLinTimQt(Date FindDate, Date StartDate, double Qi, double Di, double* Qt)
{
    if (Qt == nullptr) {
        return kStatusFailed;
    }
    if (FindDate < StartDate) {
        return QRVP_FAIL(L"GetLinTimQt", L"FindDate (%d/%d/%d) is earlier than StartDate (%d/%d/%d)",
                         LogMonth(FindDate), LogDay(FindDate), LogYear(FindDate), LogMonth(StartDate),
                         LogDay(StartDate), LogYear(StartDate));
    }
    if (NearZero(Di) || FindDate == StartDate) {
        *Qt = Qi;
        return kStatusOk;
    }
    *Qt = Qi - DaysBetween(StartDate, FindDate) * Di / kDaysPerYear;
    return kStatusOk;
}

extern "C" int32_t GetLinTimQi(Date EndDate, Date StartDate, double Qf, double Di, double* Qi)
{
    if (Qi == nullptr) {
        return kStatusFailed;
    }
    if (Qf <= 0) {
        return QRVP_FAIL(L"GetLinTimQi", L"Invalid Qf (%f)", Qf);
    }
    if (IsNullYear(EndDate) || IsNullYear(StartDate)) {
        return QRVP_FAIL(L"GetLinTimQi", L"Invalid EndDate (%d/%d%d) or StartDate(%d/%d/%d)", LogMonth(EndDate),
                         LogDay(EndDate), LogYear(EndDate), LogMonth(StartDate), LogDay(StartDate),
                         LogYear(StartDate));
    }
    if (EndDate < StartDate) {
        return QRVP_FAIL(L"GetLinTimQi", L"EndDate (%d/%d%d) is earlier than StartDate(%d/%d/%d)",
                         LogMonth(EndDate), LogDay(EndDate), LogYear(EndDate), LogMonth(StartDate),
                         LogDay(StartDate), LogYear(StartDate));
    }
    if (NearZero(Di)) {
        *Qi = Qf;
        return kStatusOk;
    }
    *Qi = Qf + DaysBetween(StartDate, EndDate) * Di / kDaysPerYear;
    return kStatusOk;
}

extern "C" int32_t GetLinTimDi(Date EndDate, Date StartDate, double Qi, double Qf, double* Di)
{
    if (Di == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Qi - Qf)) {
        *Di = 0;
        return kStatusOk;
    }
    if (Qi <= 0 || Qf <= 0) {
        return QRVP_FAIL(L"GetLinTimDi", L"Invalid Qi (%f) or Qf (%f)", Qi, Qf);
    }
    if (IsNullYear(StartDate) || IsNullYear(EndDate)) {
        return QRVP_FAIL(L"GetLinTimDi", L"Invalid start date (%d/%d/%d) or end date (%d/%d/%d)",
                         LogMonth(StartDate), LogDay(StartDate), LogYear(StartDate), LogMonth(EndDate),
                         LogDay(EndDate), LogYear(EndDate));
    }
    if (EndDate < StartDate) {
        return QRVP_FAIL(L"GetLinTimDi", L"End date (%d/%d/%d) is earlier than start date (%d/%d/%d)",
                         LogMonth(EndDate), LogDay(EndDate), LogYear(EndDate), LogMonth(StartDate),
                         LogDay(StartDate), LogYear(StartDate));
    }
    const double days = DaysBetween(StartDate, EndDate);
    // Different rates with no time between them have no decline; an infinite
    // one is not returned.
    if (days == 0) {
        return QRVP_FAIL(L"GetLinTimDi", L"No time between start date (%d/%d/%d) and end date (%d/%d/%d)",
                         LogMonth(StartDate), LogDay(StartDate), LogYear(StartDate), LogMonth(EndDate),
                         LogDay(EndDate), LogYear(EndDate));
    }
    *Di = (Qi - Qf) / (days / kDaysPerYear);
    return kStatusOk;
}

extern "C" int32_t GetLinTimYears(double Qi, double Qf, double Di, double* Years)
{
    if (Years == nullptr) {
        return kStatusFailed;
    }
    return LinTimYears(Qi, Qf, Di, Years);
}

extern "C" int32_t GetLinTimVol(Date StartDate, Date EndDate, double Qi, double Qf, double* Vol)
{
    if (Vol == nullptr) {
        return kStatusFailed;
    }
    if (IsNullYear(StartDate) || IsNullYear(EndDate)) {
        return QRVP_FAIL(L"GetLinTimVol", L"Invalid start date (%d/%d/%d) or end date (%d/%d/%d)",
                         LogMonth(StartDate), LogDay(StartDate), LogYear(StartDate), LogMonth(EndDate),
                         LogDay(EndDate), LogYear(EndDate));
    }
    if (EndDate < StartDate) {
        return QRVP_FAIL(L"GetLinTimVol", L"End date (%d/%d/%d) is earlier than start date (%d/%d/%d)",
                         LogMonth(EndDate), LogDay(EndDate), LogYear(EndDate), LogMonth(StartDate),
                         LogDay(StartDate), LogYear(StartDate));
    }
    if (Qi <= 0 || Qf <= 0) {
        return QRVP_FAIL(L"GetLinTimVol", L"Invalid Qi (%f) or Qf (%f)", Qi, Qf);
    }
    *Vol = DaysBetween(StartDate, EndDate) * (Qi + Qf) * 12 / kDaysPerTwoYears;
    return kStatusOk;
}

extern "C" int32_t GetLinTimYearsVol(double Qi, double Vol, double Decl, double* Years)
{
    if (Years == nullptr) {
        return kStatusFailed;
    }
    if (Qi < 0 || Vol <= 0) {
        // This message's placeholders are integer ones; each double shows as
        // the low 32 bits of its bit pattern, as on the hosts' platform.
        return QRVP_FAIL(L"GetLinTimYearsVol", L"Invalid Qi (%d) or Vol (%d)", LogWordOf(Qi), LogWordOf(Vol));
    }
    const double annualRate = 12 * Qi;
    if (NearZero(Decl)) {
        // A flat rate: the quadratic degenerates to Vol = 12 * Qi * t.  With no
        // rate at all (or too little to reach Vol in a finite time) the volume
        // is never reached.
        const double years = NearZero(Qi) ? HUGE_VAL : Vol / annualRate;
        if (!std::isfinite(years)) {
            return QRVP_FAIL(L"GetLinTimYearsVol", L"Invalid Vol (%f) for given decline (%f)", Vol, Decl);
        }
        *Years = years;
        return kStatusOk;
    }
    const double d = annualRate * annualRate + 2 * Vol * Decl;
    if (d < 0) {
        return QRVP_FAIL(L"GetLinTimYearsVol", L"Invalid Vol (%f) for given decline (%f)", Vol, Decl);
    }
    // The first time the cumulative volume reaches Vol.
    *Years = (std::sqrt(d) - annualRate) / Decl;
    if (*Years < 0) {
        return QRVP_FAIL(L"GetLinTimYearsVol", L"Invalid Vol (%f) for given decline (%f)", Vol, Decl);
    }
    return kStatusOk;
}

extern "C" int32_t ValidateLinTime(Date StartDate, double* Qi, double* Di, double* Qf, Date* EndDate)
{
    if (Qi == nullptr || Di == nullptr || Qf == nullptr || EndDate == nullptr) {
        return kStatusFailed;
    }
    const double qi = *Qi;
    const double di = *Di;
    const double qf = *Qf;
    const Date end = *EndDate;

    if (NearZero(qi) && NearZero(qf)) {
        *Qi = 0;
        *Di = 0;
        *Qf = 0;
        return kStatusOk;
    }
    if (qi < 0) {
        return kStatusFailed;
    }
    if (NearZero(di) || NearZero(qi - qf)) {
        *Qf = qi;
        *Di = 0;
        return kStatusOk;
    }
    double years = 0;
    if (LinTimYears(qi, qf, di, &years) == kStatusOk) {
        return DateAfterYears(StartDate, years, EndDate) ? kStatusOk : kStatusFailed;
    }

    // The end rate is negative: take the rate at EndDate instead, if EndDate
    // gives the segment a duration.
    if (IsNullYear(end)) {
        return kStatusFailed;
    }
    const double t = DaysBetween(StartDate, end) / kDaysPerYear;
    if (!(t > 0)) {
        return kStatusFailed;
    }
    const double rateAtEnd = qi - t * di;
    if (rateAtEnd > 0) {
        *Qf = rateAtEnd;
        return kStatusOk;
    }
    // The rate is gone before EndDate: end the segment where it reaches the floor.
    *Qf = kFloorRate;
    if (LinTimYears(qi, kFloorRate, di, &years) != kStatusOk) {
        return kStatusFailed;
    }
    return DateAfterYears(StartDate, years, EndDate) ? kStatusOk : kStatusFailed;
}
