// x^y = e^(y log x): the logarithm's estimate (2^-67) times y in double-double,
// then the exponential of that sum, whose error bound grows with |y log x|.
#include "frame/elementary.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace qrvp {
namespace elementary {
namespace {

bool IsInteger(double y) { return std::trunc(y) == y; }

bool IsOdd(double y) { return std::fabs(y) < 0x1p53 && (static_cast<int64_t>(y) & 1) != 0; }

// x^y for x > 0 finite and not 1, y finite and not 0.
double PowPositive(double x, double y) {
    // |log x| >= 2^-53, so beyond 2^64 |y log x| is far past either limit.
    if (std::fabs(y) > 0x1p64) return (x > 1) == (y > 0) ? HUGE_VAL : 0.0;
    const double result = PowRounded(x, y);
    return result == result ? result : PowAccurate(x, y);
}

}  // namespace

double PowRounded(double x, double y) {
    const DoubleDouble l = LogEstimate(x);
    const DoubleDouble t = TwoProduct(y, l.hi);
    if (t.hi > 0x1.63p+9) return HUGE_VAL;  // 710
    if (t.hi < -0x1.75p+9) return 0.0;     // -746
    double result = 0.0;
    // The logarithm's relative error (2^-67, 1.5 times for safety) grows into |y log x| times that.
    const bool decided = ExpRounded(t.hi, t.lo + y * l.lo, std::fabs(t.hi) * 0x1.8p-67, result);
    return decided ? result : std::numeric_limits<double>::quiet_NaN();
}

double PowAccurate(double x, double y) {
    const Wide t = Multiply(ToWide(y), LogWide(x));
    // The logarithm's relative error (2^-121) grows into |t| times that.
    const double size = std::fabs(Round(t, Uint128{}));
    return Round(ExpWide(t), kMargin + kMargin * static_cast<Uint128>(size));
}

}  // namespace elementary

double Pow(double x, double y) {
    if (y == 0 || x == 1) return 1.0;
    if (x != x || y != y) return x + y;
    const bool odd = elementary::IsOdd(y);
    if (x == 0 || std::fabs(x) == HUGE_VAL) {
        const double magnitude = (x == 0) == (y > 0) ? 0.0 : HUGE_VAL;
        return std::signbit(x) && odd ? -magnitude : magnitude;
    }
    if (std::fabs(y) == HUGE_VAL) {
        if (std::fabs(x) == 1) return 1.0;
        return (std::fabs(x) < 1) == (y < 0) ? HUGE_VAL : 0.0;
    }
    if (x < 0 && !elementary::IsInteger(y)) return std::numeric_limits<double>::quiet_NaN();
    const double magnitude = elementary::PowPositive(std::fabs(x), y);
    return x < 0 && odd ? -magnitude : magnitude;
}

}  // namespace qrvp
