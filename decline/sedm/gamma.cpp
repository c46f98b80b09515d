// Gamma(x) from the power series of 1/Gamma(z) on the fractional part of x,
// and the incomplete gamma functions from their power series (small x) or
// their continued fraction (large x).
#include "decline/sedm/gamma.h"

#include "decline/sedm/ieee_quotient.h"
#include "frame/elementary.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace qrvp::sedm {
namespace {

// c1..c25 of 1/Gamma(z) = z * (c1 + c2 z + ... + c25 z^24), Abramowitz and
// Stegun 6.1.34, cut after the 25th coefficient.
constexpr std::array<double, 25> kReciprocalGammaSeries = {
    1.0,
    0.5772156649015329,
    -0.6558780715202538,
    -0.0420026350340952,
    0.1665386113822915,
    -0.0421977345555443,
    -0.009621971527877,
    0.007218943246663,
    -0.0011651675918591,
    -0.0002152416741149,
    0.0001280502823882,
    -2.01348547807e-5,
    -1.2504934821e-6,
    1.133027232e-6,
    -2.056338417e-7,
    6.116095e-9,
    5.0020075e-9,
    -1.1812746e-9,
    1.043427e-10,
    7.7823e-12,
    -3.6968e-12,
    5.1e-13,
    -2.06e-14,
    -5.4e-15,
    1.4e-15,
};

constexpr double kLargestGammaArgument = 171.0;
constexpr double kLargestIncGammaA = 170.0;
constexpr double kLargestIncGammaXam = 700.0;
constexpr int kSeriesTerms = 60;
constexpr double kSeriesStop = 1e-15;
constexpr int kFractionDepth = 60;

// (n - 1)! for an integer argument n, multiplied up from 1.0 in increasing
// order; 1.0 for n <= 2 (including the pole at 0).
double FactorialBelow(int32_t n)
{
    double product = 1.0;
    for (int32_t k = 2; k <= n - 1; ++k) product *= k;
    return product;
}

// Gamma(z) for 0 < z < 1: the series evaluated by Horner's rule from the top.
double GammaOfFraction(double z)
{
    double series = kReciprocalGammaSeries.back();
    for (std::size_t k = kReciprocalGammaSeries.size() - 1; k-- > 0;) {
        series = series * z + kReciprocalGammaSeries[k];
    }
    return 1.0 / (z * series);
}

// The sum 1/a + x/(a(a+1)) + ... of the lower function's power series.
double LowerSeries(double a, double x)
{
    double term = Quotient(1.0, a);
    double sum = term;
    for (int k = 1; k <= kSeriesTerms; ++k) {
        term = term * (x / (a + k));
        sum = sum + term;
        if (std::fabs(term / sum) < kSeriesStop) break;
    }
    return sum;
}

// The tail t1 of the upper function's continued fraction, so that
// Gamma(a, x) = e^(a ln x - x) / (x + t1); evaluated from the bottom up.
double UpperFractionTail(double a, double x)
{
    double tail = 0.0;
    for (int k = kFractionDepth; k >= 1; --k) {
        tail = Quotient(k - a, 1.0 + Quotient(k, x + tail));
    }
    return tail;
}

}  // namespace

int32_t gamma(double x, double* result)
{
    if (x < 0.0) return QRVP_FAIL(L"gamma", L"x (%f) cannot be negative", x);
    if (x > kLargestGammaArgument) {
        return QRVP_FAIL(L"gamma", L"x (%f) is out of range for function (max = 171.0)", x);
    }
    if (std::isnan(x)) {
        *result = x;
        return kStatusOk;
    }

    const auto n = static_cast<int32_t>(x);  // 0..171 here
    if (NearZero(x - n)) {
        *result = FactorialBelow(n);
        return kStatusOk;
    }

    if (x > 1.0) {
        // Gamma(x) = (x - 1)(x - 2)...(x - n) * Gamma(x - n), 0 < x - n < 1.
        double shift = 1.0;
        for (int32_t k = 1; k <= n; ++k) shift *= x - k;
        *result = GammaOfFraction(x - n) * shift;
    } else {
        *result = GammaOfFraction(x);
    }
    return kStatusOk;
}

int32_t incGamma(double a, double x, double* lower, double* upper)
{
    if (a < 0.0 || x < 0.0) {
        return QRVP_FAIL(L"incGamma", L"a (%f) and x (%f) must both be positive", a, x);
    }
    const double xam = a * qrvp::Log(x) - x;
    if (xam > kLargestIncGammaXam || a > kLargestIncGammaA) {
        return QRVP_FAIL(L"incGamma", L"xam (%f) or a (%f) out of range for function (xam <= 700, a <= 170)",
                         xam, a);
    }

    double complete = 0.0;
    if (x == 0.0) {
        if (gamma(a, &complete) != kStatusOk) return kStatusFailed;
        *lower = 0.0;
        *upper = complete;
        return kStatusOk;
    }
    if (x <= a + 1.0) {
        const double below = qrvp::Exp(xam) * LowerSeries(a, x);
        if (gamma(a, &complete) != kStatusOk) return kStatusFailed;
        *lower = below;
        *upper = complete - below;
        return kStatusOk;
    }
    const double above = Quotient(qrvp::Exp(xam), x + UpperFractionTail(a, x));
    if (gamma(a, &complete) != kStatusOk) return kStatusFailed;
    *upper = above;
    *lower = complete - above;
    return kStatusOk;
}

}  // namespace qrvp::sedm
