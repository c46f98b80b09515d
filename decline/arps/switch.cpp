// Bounds on where an Arps segment's switch to Dmin lies, so that the rate and
// volume operations can skip work whose outcome rounding cannot change.
//
// Error budget (u the unit roundoff, pow, exp and log within a unit in the
// last place): the decline GetArpsIDecl finds at t years is within
// u * (6 + |ln(1 + b*Di*t)| + 4|b|) of Di / (1 + b*Di*t), relatively; the days
// GetArpsDminDate computes through exp(log(Qi/QD) * b), where the exact value
// is Di/Dmin, are within 365.25 * u * (5 + 4|ln(Di/Dmin)| + 4|b|) / |b*Dmin|
// (plus a few units of the days) of (Di/Dmin - 1) * 365.25 / (Di*b).  The band
// and the slack below take 2^12 and 2^6 times those.
#include "decline/arps/arps_switch.h"

#include "dates/date_span.h"
#include "decline/arps/arps_core.h"
#include "frame/elementary.h"
#include "frame/tolerance.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace qrvp::arps {

namespace {

// floor(log2 x) of a positive, finite, normal double.
double Log2Floor(double x)
{
    return static_cast<double>(static_cast<int>((std::bit_cast<uint64_t>(x) >> 52) & 0x7ffu) - 1023);
}

}  // namespace

SwitchBounds BoundSwitch(double Qi, double Di, double b, double Dmin)
{
    SwitchBounds s;
    const bool decline = b > 0.0 && Dmin > 0.0 && Dmin < Di;
    const bool incline = b < 0.0 && Dmin < 0.0 && Di < Dmin;
    const double fb = std::fabs(b);
    if (!(decline || incline) || !(Qi >= 0x1p-900 && Qi <= 0x1p900) || !(fb >= kZeroTolerance && fb <= 1e6) ||
        !(std::fabs(Dmin) >= kZeroTolerance) || !(std::fabs(Di) <= 1e300)) {
        return s;
    }
    const double ratio = Di / Dmin;
    if (!(ratio > 1.0 && ratio <= 0x1p1000)) {
        return s;
    }
    // log2(Dmin/Di) lies in [-(e + 1), -e]: the rate at the switch,
    // Qi * (Dmin/Di)^(1/b), must lie between 2^-30 and 2^1000 (so that it is
    // neither zero nor infinite in any rounding).
    const double e = Log2Floor(ratio);
    const double q = Log2Floor(Qi);
    const double lo = b > 0.0 ? -(e + 1.0) / b : -e / b;
    const double hi = b > 0.0 ? -e / b : -(e + 1.0) / b;
    if (!(q + lo >= -30.0 && q + 1.0 + hi <= 1000.0)) {
        return s;
    }
    // |ln(Di/Dmin)| < e + 1.
    const double spread = 8.0 + 4.0 * (e + 1.0) + 4.0 * fb;
    s.ratio = ratio;
    s.band = 0x1p-40 * spread;
    s.days = (ratio - 1) * kDaysPerYear / (Di * b);
    s.slack = kDaysPerYear * 0x1p-46 * spread / (std::fabs(Dmin) * fb) + 0x1p-46 * s.days;
    s.qiExponent = q;
    s.known = s.band < 0x1p-10 && s.days > s.slack && s.days + s.slack < 2147483647.0;
    return s;
}

SwitchSide SideOfSwitch(const SwitchBounds& s, double Di, double b, double t)
{
    if (!s.known || !(t >= 0.0)) {
        return SwitchSide::Unsure;
    }
    const double u = Di * b * t + 1;
    if (!(u <= 0x1p1000)) {
        return SwitchSide::Unsure;
    }
    const double g = u / s.ratio;
    if (g < 1.0 - s.band) {
        return SwitchSide::Before;
    }
    if (!(g > 1.0 + s.band)) {
        return SwitchSide::Unsure;
    }
    // Qi * u^(-1/b) exceeds 2^(q - (floor(log2 u) + 1)/b), which must stay far
    // from zero on a decline; an incline's rate only grows.
    if (b > 0.0 && !((s.qiExponent + 1000.0) * b > Log2Floor(u) + 1.0)) {
        return SwitchSide::Unsure;
    }
    return SwitchSide::After;
}

bool QuickDminDate(const SwitchBounds& s, const Date& StartDate, Date* DminDate)
{
    if (!s.known || StartDate.year < 1800) {
        return false;
    }
    // AddFracDay keeps the whole days and the truncated second of the day; both
    // are monotonic in the days, so the ends of the interval decide.
    const double lo = s.days - s.slack;
    const double hi = s.days + s.slack;
    const auto whole = static_cast<int32_t>(lo);
    if (static_cast<int32_t>(hi) != whole) {
        return false;
    }
    const double second = static_cast<double>(StartDate.second);
    if (static_cast<int64_t>((lo - whole) * 86400.0 + second) != static_cast<int64_t>((hi - whole) * 86400.0 + second)) {
        return false;
    }
    Date at = StartDate;
    at.AddFracDay(s.days);
    *DminDate = at;
    return true;
}

bool KnownDminDate(const SwitchBounds& s, const Date& StartDate, double Di, double Dmin, double Qi, double b,
                   Date* DminDate)
{
    // Every check of the full computation passes for a known segment (the rate
    // at the switch and the days are bounded away from zero and infinity), so
    // it writes no record.
    return QuickDminDate(s, StartDate, DminDate) ||
           (s.known && StartDate.year >= 1800 && SolveDminDate(StartDate, Di, Dmin, Qi, b, DminDate) == 0);
}

double RateAtSwitch(const Date& StartDate, const Date& DminDate, double Qi, double Di, double b)
{
    return qrvp::Pow(dates::SpanInDays(DminDate, StartDate) * (Di * b) / kDaysPerYear + 1, -1 / b) * Qi;
}

}  // namespace qrvp::arps
