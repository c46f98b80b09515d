// The library's zero tolerance, as the calculations use it.
#ifndef QRVP_FRAME_TOLERANCE_H
#define QRVP_FRAME_TOLERANCE_H

#include <cmath>

namespace qrvp {

inline constexpr double kZeroTolerance = 1e-11;

// |x| < 1e-11, strictly; false for NaN.
inline bool NearZero(double x) { return std::fabs(x) < kZeroTolerance; }

// |a - b| < 1e-11, strictly; false when either is NaN.
inline bool NearlyEqual(double a, double b) { return std::fabs(a - b) < kZeroTolerance; }

}  // namespace qrvp

#endif
