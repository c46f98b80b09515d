// The stretched-exponential decline and its gamma functions: the gamma
// function against the C library's tgamma and exact factorials, the
// incomplete gamma function against values tabulated with a 40-digit
// reference (mpmath) and closed forms on both of its branches, volumes against
// a 30-digit quadrature and Simpson's rule over the rate, the inversions as
// round trips through the rate (failures and hostile input: the library's
// argument table).
#include "QRVPFuncs.h"
#include "decline/sedm/gamma.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using namespace qrvp::test;
using qrvp::sedm::incGamma;

double Gamma(double x)
{
    double g = kNaN;
    EXPECT_EQ(qrvp::sedm::gamma(x, &g), 0) << x;
    return g;
}

// Against a 40-digit reference (mpmath) the routine is within 2.3e-15 of
// Gamma up to 171 and tgamma within 8e-16; a coefficient of the series wrong
// in its last place shows near the top of the fraction at about 4e-14.
TEST(Gamma, MatchesTheCLibraryAndExactFactorials)
{
    for (double x = 0.013; x < 171.0; x += 0.0937) ExpectRelative(Gamma(x), std::tgamma(x), 5e-15);
    for (double x : {1e-6, 1.0000001, 170.5, 3.0 - 5e-12, 0.999}) ExpectRelative(Gamma(x), std::tgamma(x), 5e-15);
    // Within the tolerance above an integer, the factorial; the pole at 0 is
    // answered with the empty product; NaN passes through.
    const double exact[][2] = {{2.0, 1.0}, {19.0, 6402373705728000.0}, {171.0, 7.257415615307994e306},
                               {3.0 + 5e-12, 2.0}, {0.0, 1.0}};
    for (const auto& c : exact) EXPECT_EQ(Gamma(c[0]), c[1]) << c[0];
    EXPECT_TRUE(std::isnan(Gamma(kNaN)));
}

TEST(IncGamma, MatchesTabulatedValuesAndClosedForms)
{
    // a, x, lower, upper: x <= a + 1 takes the series, x > a + 1 the continued fraction.
    const double table[][4] = {
        {10, 5, 11549.765435275602, 351330.2345647244},        {10, 20, 361067.26478156134, 1812.7352184386572},
        {5, 6, 17.158643992400851, 6.8413560075991492},        {5, 6.0001, 17.158965233328842, 6.841034766671158},
        {0.01, 0.001, 93.324506297641045, 6.1080788215095587}, {4, 40, 5.9999999999997067, 2.9333186791086305e-13},
        {100, 150, 9.3325662529016397e+155, 5.529149277557091e+150}, {100, 50, 2.9864998591692648e+146, 9.3326215414079154e+155},
    };
    double lower = kNaN, upper = kNaN, upperNext = kNaN;
    for (const auto& c : table) {
        SCOPED_TRACE(testing::Message() << "a " << c[0] << " x " << c[1]);
        ASSERT_EQ(incGamma(c[0], c[1], &lower, &upper), 0);
        ExpectRelative(lower, c[2], 1e-12);
        ExpectRelative(upper, c[3], 1e-12);
    }
    for (double x = 0.01; x < 25.0; x *= 1.07) {
        SCOPED_TRACE(x);
        // gamma(1, x) = 1 - e^-x; Gamma(1/2, x) = sqrt(pi) erfc(sqrt(x));
        // Gamma(a + 1, x) = a Gamma(a, x) + x^a e^-x, a and a + 1 often on
        // different branches.
        ASSERT_EQ(incGamma(1.0, x, &lower, &upper), 0);
        ExpectRelative(lower, -std::expm1(-x), 1e-12);
        ExpectRelative(upper, std::exp(-x), 1e-11);
        ASSERT_EQ(incGamma(0.5, x, &lower, &upper), 0);
        ExpectRelative(lower, std::sqrt(std::numbers::pi) * std::erf(std::sqrt(x)), 1e-12);
        ExpectRelative(upper, std::sqrt(std::numbers::pi) * std::erfc(std::sqrt(x)), 1e-11);
        ASSERT_EQ(incGamma(2.5, x, &lower, &upper), 0);
        ASSERT_EQ(incGamma(3.5, x, &lower, &upperNext), 0);
        ExpectRelative(upperNext, 2.5 * upper + std::pow(x, 2.5) * std::exp(-x), 1e-11);
    }
    // At x = 0 the complete function (at a = 0, a ln x is NaN and passes).
    for (const double a : {2.0, 0.5, 0.0}) {
        ASSERT_EQ(incGamma(a, 0.0, &lower, &upper), 0);
        EXPECT_EQ(lower, 0.0);
        EXPECT_EQ(upper, a == 0.0 ? 1.0 : Gamma(a)) << a;
    }
}

double Qt(double Qi, Date start, Date end, double tau, double n)
{
    double q = kNaN;
    EXPECT_EQ(GetSEDMQt(Qi, start, end, tau, n, &q), 0);
    return q;
}

double Vol(double Qi, Date start, Date end, double tau, double n)
{
    double v = kNaN;
    EXPECT_EQ(GetSEDMVol(Qi, start, end, tau, n, &v), 0);
    return v;
}

TEST(SEDM, VolumeMatchesQuadratureAndTheIntegralOfTheRate)
{
    const struct {
        double Qi;
        Date start, end;
        double tau, n;
        double expected;  // 12 Qi times the integral of exp(-(t/tau)^n), 30 digits
    } cases[] = {
        {100, D(2020, 1, 1), D(2021, 1, 1), 2, 0.5, 760.95416087072428},
        {100, D(2020, 1, 1), D(2021, 1, 1), 2, 1, 945.82018113863521},  // exponential: 12 Qi tau (1 - e^(-t/tau))
        {2500, D(2001, 3, 15), D(2011, 3, 15), 3.5, 0.3, 108136.68735781335},
        {800, D(2010, 6, 1), D(2040, 6, 1), 12, 1.7, 102498.63337516119},
        {50, D(2000, 1, 1), D(2000, 2, 1), 0.1, 0.8, 32.220304876008423},
        {1e4, D(1990, 1, 1), D(2090, 1, 1), 1, 0.05, 3624148.7798931996},
        {300, D(2015, 1, 1), D(2020, 1, 1), 40, 3, 17988.756581113378},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "tau " << c.tau << " n " << c.n);
        const double v = Vol(c.Qi, c.start, c.end, c.tau, c.n);
        ExpectRelative(v, c.expected, 1e-12);
        // Below n = 1 the rate has a vertical tangent at the start, which
        // slows Simpson's rule down.
        ExpectRelative(v, IntegratedVolume(c.start, c.end, [&](Date at) { return Qt(c.Qi, c.start, at, c.tau, c.n); }),
                       c.n < 1 ? 1e-4 : 1e-9);
    }
}

// Each inversion fed back through the rate: Qi from the rate at the end,
// the years to 30% of Qi, and the tau that reaches 60% of Qi at the end.
TEST(SEDM, InversionsRoundTripThroughTheRate)
{
    const struct {
        double Qi, tau, n;
        Date start, end;
    } segments[] = {
        {100, 2, 0.5, D(2020, 1, 1), D(2021, 1, 1)},
        {5000, 0.4, 0.25, D(2003, 7, 9, 6, 30, 0), D(2009, 2, 1)},
        {12.5, 10, 1, D(1999, 12, 31), D(2004, 2, 29, 23, 59, 59)},
        {750, 3, 2.5, D(2012, 2, 29), D(2015, 8, 15)},
        {1e6, 1.5, 0.9, D(1850, 1, 1), D(1851, 6, 1, 12, 0, 0)},
    };
    for (const auto& s : segments) {
        SCOPED_TRACE(testing::Message() << "Qi " << s.Qi);
        const double qf = Qt(s.Qi, s.start, s.end, s.tau, s.n);
        double qi = kNaN, years = kNaN, tau = kNaN;
        ASSERT_EQ(GetSEDMQi(qf, s.start, s.end, s.tau, s.n, &qi), 0);
        ExpectRelative(qi, s.Qi, 1e-13);
        ASSERT_EQ(GetSEDMYears(s.Qi, s.Qi * 0.3, 99.0, s.tau, s.n, &years), 0);
        Date end = s.start;
        end.AddFracDay(years * 365.25);  // to the whole second
        ExpectRelative(Qt(s.Qi, s.start, end, s.tau, s.n), s.Qi * 0.3, 1e-5);
        ASSERT_EQ(GetSEDMTau(s.Qi, s.Qi * 0.6, s.start, s.end, s.n, &tau), 0);
        ExpectRelative(Qt(s.Qi, s.start, s.end, tau, s.n), s.Qi * 0.6, 1e-13);
    }
}

}  // namespace
