// The library's own exponential, logarithms and power, correctly rounded: each
// returns the double nearest the exact value (ties cannot occur for Exp, Log
// and Log10; Pow's exact halfway cases round to even).  The same arguments
// give the same bits on every platform, compiler and C library, which <cmath>
// does not promise.  Every calculation of the library calls these instead of
// std::exp, std::log, std::log10 and std::pow.
//
// Each function first evaluates in plain doubles (2^-62 relative error for
// exp, 2^-60 for log) and rounds when the error bound cannot straddle a
// rounding boundary; else in double-double arithmetic with exact products
// (2^-70, 2^-67); the rare other cases (about one argument in ten thousand
// for exp and log) go to a 128-bit evaluation whose error, below 2^-120, is
// smaller than the closest approach of exp and log to a rounding boundary
// (Ziv's strategy).  The
// results need round-to-nearest (the default) and no contraction of a * b + c
// into an fma by the compiler (the build turns it off).  No allocation, lock
// or I/O; any thread.
#ifndef QRVP_FRAME_ELEMENTARY_H
#define QRVP_FRAME_ELEMENTARY_H

#include <cstdint>

namespace qrvp {

// e^x.  NaN for NaN, +inf above 709.78 and for +inf, 0 below -745.13 and for -inf.
double Exp(double x);

// The natural logarithm: NaN for NaN and x < 0,
// -inf for ±0, +inf for +inf.  Subnormal x are exact inputs like any other.
double Log(double x);

// The decimal logarithm, with Log's special values; exact at the powers of ten.
double Log10(double x);

// x^y with the special values of the C standard's pow: 1 when y is ±0 or x is
// 1 (NaN included), NaN for a negative finite x and a finite non-integer y,
// the sign of x when y is an odd integer, ±inf and ±0 at the poles and limits.
double Pow(double x, double y);

// The parts behind the four functions, shared by frame/elementary_*.cpp and
// checked on their own by the tests.
namespace elementary {

// hi + lo, |lo| about an ulp of hi or less.
struct DoubleDouble {
    double hi;
    double lo;
};

// a + b exactly, for |a| >= |b| (or a == 0).
inline DoubleDouble FastTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// a + b exactly, any order.
inline DoubleDouble TwoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// a * b exactly (Dekker's product; no fma, so every platform takes the same path).
inline DoubleDouble TwoProduct(double a, double b) {
    constexpr double kSplitter = 0x1.0000002p+27;  // 2^27 + 1
    const double p = a * b;
    const double ta = kSplitter * a;
    const double ah = ta - (ta - a);
    const double al = a - ah;
    const double tb = kSplitter * b;
    const double bh = tb - (tb - b);
    const double bl = b - bh;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

// The nearest integer to v as a double, |v| < 2^51 (ties to even).
inline double NearestInteger(double v) {
    constexpr double kShifter = 0x1.8p52;
    return (v + kShifter) - kShifter;
}

__extension__ typedef unsigned __int128 Uint128;

constexpr Uint128 Join(uint64_t hi, uint64_t lo) { return (static_cast<Uint128>(hi) << 64) | lo; }

// A 128-bit binary floating-point number for the accurate paths: ±m * 2^e,
// m's top bit set, or m == 0 for zero.  Each operation truncates its exact
// result to 128 bits (relative error below 2^-127).
struct Wide {
    Uint128 m;
    int e;
    bool neg;
};

inline constexpr Wide kWideOne{static_cast<Uint128>(1) << 127, -127, false};

Wide ToWide(double x);                   // exact
Wide Add(const Wide& a, const Wide& b);
Wide Multiply(const Wide& a, const Wide& b);
inline Wide Negated(Wide a) { a.neg = !a.neg; return a; }

// The double nearest a (subnormals, ±0 and ±inf included).  When a lies within
// `margin` units of its last bit of a point halfway between two doubles, the
// exact value is taken to be that point and rounds to even.
double Round(const Wide& a, Uint128 margin);

// Within `margin` units of a's last bit of a halfway point: a's error bound
// must then be tightened, or the exact value is that point.
inline constexpr Uint128 kMargin = 0x100;  // 2^-119 of a, ten times the paths' error

// e^t and e^t - 1 for |t| < 1000, relative error below 2^-123 (plus t's own).
Wide ExpWide(const Wide& t);
Wide Expm1Wide(const Wide& t);

// log x, x > 0 finite, relative error below 2^-121.
Wide LogWide(double x);

// log x as hi + lo with relative error below 2^-67, x > 0 finite.
DoubleDouble LogEstimate(double x);

// e^(th + tl) rounded, when the fast evaluations' error bound (2^-70, plus
// `extra` relative error of the argument's own) decides the rounding and the
// result is normal; false otherwise.  -746 < th < 710, |tl| <= 2^-40 |th|.
bool ExpRounded(double th, double tl, double extra, double& result);

// The first evaluations alone: the rounded result, or NaN when their error
// bounds cannot decide it (measured: one argument in ten thousand for log and
// log10 over all positive doubles, one in 800 for pow over the library's bases
// and exponents).  x > 0 finite; for pow x != 1, y finite,
// not 0, |y| <= 2^64.
double LogRounded(double x);
double Log10Rounded(double x);
double PowRounded(double x, double y);

// The accurate paths alone (the functions fall back to them).
double ExpAccurate(double x);          // |x| <= 746
double LogAccurate(double x);          // x > 0 finite
double Log10Accurate(double x);        // x > 0 finite
double PowAccurate(double x, double y);  // x > 0 finite, |y log x| <= 746

}  // namespace elementary
}  // namespace qrvp

#endif
