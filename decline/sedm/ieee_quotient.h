// Division with the IEEE result for a zero divisor, computed without dividing
// by zero: a zero divisor is a legitimate input here (an exponent of 0, a rate
// ratio that rounds to 1), and the sanitizer builds trap a real division.
#ifndef QRVP_DECLINE_SEDM_IEEE_QUOTIENT_H
#define QRVP_DECLINE_SEDM_IEEE_QUOTIENT_H

#include <cmath>
#include <limits>

namespace qrvp::sedm {

// a / b; for b = +-0: NaN when a is 0 or NaN, else an infinity whose sign is
// the product of the signs.
inline double Quotient(double a, double b)
{
    if (b != 0.0) return a / b;
    if (a == 0.0 || std::isnan(a)) return std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    return std::signbit(a) == std::signbit(b) ? inf : -inf;
}

}  // namespace qrvp::sedm

#endif
