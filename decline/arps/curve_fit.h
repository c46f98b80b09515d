// The point fit: the Arps curve through two or three dated rates, found by
// bisection on the exponent b.  Used to bend a segment through a third point.
#ifndef QRVP_DECLINE_ARPS_CURVE_FIT_H
#define QRVP_DECLINE_ARPS_CURVE_FIT_H

#include "QRVPFuncs.h"

#include <span>

namespace qrvp::arps {

// One dated rate of the fit's input, earliest first.
struct RatePoint {
    Date date;
    double rate;
};

namespace CurveFit {

// Largest exponent magnitude a fit may reach.
inline constexpr double kMaxBFactor = 9.0;

// Fits the curve through Points (2 or 3 of them, earliest first), passing Dmin
// unchanged to the solvers.  Writes Qi (the first rate) first, then Di and b
// as the search goes; with two points, or equal end rates, b = 0.  Returns
// false, with a log record under "CurveFit::PointFit", on a wrong number of
// points, a zero end rate, or an exponent driven to +/-9.
bool PointFit(std::span<const RatePoint> Points, double Dmin, double* Di, double* Qi, double* b);

}  // namespace CurveFit

}  // namespace qrvp::arps

#endif
