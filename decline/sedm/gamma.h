// The gamma and incomplete gamma functions that the stretched-exponential
// volume needs.  Both report a bad argument through the log under their own
// names ("gamma", "incGamma") and return -1 without writing an output.
#ifndef QRVP_DECLINE_SEDM_GAMMA_H
#define QRVP_DECLINE_SEDM_GAMMA_H

#include <cstdint>

namespace qrvp::sedm {

// Gamma(x) for 0 <= x <= 171 into *result (non-null).  An argument within
// 1e-11 above an integer n is taken as n and gives (n - 1)! as a running
// product (1.0 for n = 0, 1 and 2).  Otherwise the power series of 1/Gamma on
// the fractional part, times (x - 1)(x - 2)...(x - n).  NaN gives NaN and 0.
int32_t gamma(double x, double* result);

// The lower and upper incomplete gamma functions, gamma(a, x) into *lower and
// Gamma(a, x) into *upper (both non-null), for a <= 170, x >= 0 and
// a ln x - x <= 700.  x = 0 gives 0 and Gamma(a); x <= a + 1 sums at most 60
// terms of the power series; x > a + 1 evaluates a continued fraction of fixed
// depth 60.  The other value is Gamma(a) minus the computed one.
int32_t incGamma(double a, double x, double* lower, double* upper);

}  // namespace qrvp::sedm

#endif
