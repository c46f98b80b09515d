// The gamma and incomplete gamma functions against values tabulated with a
// 40-digit reference (mpmath), closed forms, the C library's tgamma, and
// their range checks with the records they write.
#include "decline/sedm/gamma.h"
#include "tests/sedm_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

using qrvp::sedm::gamma;
using qrvp::sedm::incGamma;
using qrvp::test::ExpectRelative;
using qrvp::test::LogCapture;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

double Gamma(double x)
{
    double g = kNaN;
    EXPECT_EQ(gamma(x, &g), 0) << x;
    return g;
}

void ExpectGammaRecord(LogCapture& log, const char* function, const char* message, const char* format)
{
    qrvp::test::ExpectOneRecord(log, {function, message, "decline/sedm/gamma.cpp", format});
}

TEST(Gamma, MatchesTabulatedValuesAndTheCLibrary)
{
    const struct {
        double x, expected;
    } cases[] = {
        {0.5, 1.772453850905516},          {2.5, 1.329340388179137},
        {10.3, 716430.68906237524},        {0.1, 9.5135076986687318},
        {0.999, 1.0005782056293586},       {1.5, 0.88622692545275801},
        {7.25, 1155.3810139199897},        {33.3, 7.4875775965227066e+35},
        {100.5, 9.3209631040827166e+156},  {170.5, 5.5620924145599996e+305},
        {1e-6, 999999.42278532415},        {0.25, 3.6256099082219083},
        {169.9, 2.5552232692967025e+304},  {1.0000001, 0.9999999422784434},
        {4.75, 16.58620653922594},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        ExpectRelative(Gamma(c.x), c.expected, 5e-14);
    }
    // And the C library's across the whole range.
    for (double x = 0.013; x < 171.0; x += 0.0937) {
        SCOPED_TRACE(x);
        ExpectRelative(Gamma(x), std::tgamma(x), 5e-14);
    }
}

TEST(Gamma, IntegerArgumentsGiveExactFactorials)
{
    const struct {
        double x, expected;
    } cases[] = {
        {1.0, 1.0}, {2.0, 1.0}, {5.0, 24.0}, {19.0, 6402373705728000.0}, {171.0, 7.257415615307994e306},
        {3.0 + 5e-12, 2.0},  // within the tolerance above 3
        {0.0, 1.0},          // the pole at 0 is answered with the empty product
        {5e-12, 1.0},
    };
    for (const auto& c : cases) EXPECT_EQ(Gamma(c.x), c.expected) << c.x;
    // Just below an integer is not taken as the integer.
    ExpectRelative(Gamma(3.0 - 5e-12), std::tgamma(3.0 - 5e-12), 1e-13);
    EXPECT_TRUE(std::isnan(Gamma(kNaN)));  // NaN passes through
}

TEST(Gamma, RejectsArgumentsOutsideItsRange)
{
    const struct {
        double x;
        const char* message;
        const char* format;
    } cases[] = {
        {-1.0, "x (-1.000000) cannot be negative", "cannot be negative"},
        {-1e-300, "x (-0.000000) cannot be negative", "cannot be negative"},
        {-kInf, "x (-inf) cannot be negative", "cannot be negative"},
        {171.0000001, "x (171.000000) is out of range for function (max = 171.0)", "max = 171.0"},
        {kInf, "x (inf) is out of range for function (max = 171.0)", "max = 171.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        LogCapture log;
        double result = 42.0;
        EXPECT_EQ(gamma(c.x, &result), -1);
        EXPECT_EQ(result, 42.0);
        ExpectGammaRecord(log, "gamma", c.message, c.format);
    }
}

struct IncCase {
    double a, x, lower, upper;
};

// Both branches: x <= a + 1 takes the series, x > a + 1 the continued fraction.
constexpr IncCase kIncCases[] = {
    {1, 1, 0.63212055882855768, 0.36787944117144232},
    {3, 10, 1.9944612085689768, 0.0055387914310231519},
    {2, 0.7078323912093699, 0.15853211684806754, 0.84146788315193246},
    {0.5, 0.2, 0.83821246780326635, 0.93424138310224968},
    {0.5, 4, 1.7641627815248434, 0.0082910693806726674},
    {2.5, 3.4, 1.0156897848515549, 0.31365060332758208},
    {2.5, 3.5, 1.0360343155785856, 0.29330607260055145},
    {10, 5, 11549.765435275602, 351330.2345647244},
    {10, 20, 361067.26478156134, 1812.7352184386572},
    {0.1, 0.05, 7.3780927789784225, 2.1354149196903094},
    {0.1, 3, 9.4986164738520508, 0.014891224816681061},
    {5, 6, 17.158643992400851, 6.8413560075991492},
    {5, 6.0001, 17.158965233328842, 6.841034766671158},
    {0.01, 0.001, 93.324506297641045, 6.1080788215095587},
    {1, 30, 0.99999999999990642, 9.3576229688401746e-14},
    {20, 1e-3, 4.9952403672409039e-62, 1.21645100408832e+17},
    {4, 40, 5.9999999999997067, 2.9333186791086305e-13},
    {0.75, 1.75, 1.0883091252976772, 0.1371075771675004},
    {0.75, 1.7500001, 1.0883091404063084, 0.13710756205886922},
    {30, 10, 2.2192391139810755e+24, 8.841759774500588e+30},
    {30, 60, 8.8417011954414425e+30, 6.0798298259419173e+25},
    {100, 150, 9.3325662529016397e+155, 5.529149277557091e+150},
    {100, 50, 2.9864998591692648e+146, 9.3326215414079154e+155},
};

TEST(IncGamma, MatchesTabulatedValuesOnBothBranches)
{
    for (const IncCase& c : kIncCases) {
        SCOPED_TRACE(testing::Message() << "a " << c.a << " x " << c.x);
        double lower = kNaN;
        double upper = kNaN;
        ASSERT_EQ(incGamma(c.a, c.x, &lower, &upper), 0);
        ExpectRelative(lower, c.lower, 1e-12);
        ExpectRelative(upper, c.upper, 1e-12);
        // The two halves make up the complete function.
        ExpectRelative(lower + upper, Gamma(c.a), 1e-14);
    }
}

TEST(IncGamma, MatchesClosedFormsAcrossTheBranchBoundary)
{
    const double sqrtPi = std::sqrt(std::numbers::pi);
    for (double x = 0.01; x < 25.0; x *= 1.07) {
        SCOPED_TRACE(x);
        double lower = kNaN;
        double upper = kNaN;
        // gamma(1, x) = 1 - e^-x; the branch switches at x = 2.
        ASSERT_EQ(incGamma(1.0, x, &lower, &upper), 0);
        ExpectRelative(lower, -std::expm1(-x), 1e-12);
        ExpectRelative(upper, std::exp(-x), 1e-11);
        // Gamma(1/2, x) = sqrt(pi) erfc(sqrt(x)); the branch switches at 1.5.
        ASSERT_EQ(incGamma(0.5, x, &lower, &upper), 0);
        ExpectRelative(lower, sqrtPi * std::erf(std::sqrt(x)), 1e-12);
        ExpectRelative(upper, sqrtPi * std::erfc(std::sqrt(x)), 1e-11);
        // Gamma(a + 1, x) = a Gamma(a, x) + x^a e^-x, with a and a + 1 often on
        // different branches.
        double upperNext = kNaN;
        ASSERT_EQ(incGamma(2.5, x, &lower, &upper), 0);
        ASSERT_EQ(incGamma(3.5, x, &lower, &upperNext), 0);
        ExpectRelative(upperNext, 2.5 * upper + std::pow(x, 2.5) * std::exp(-x), 1e-11);
    }
}

TEST(IncGamma, ZeroXGivesTheCompleteFunction)
{
    // At a = 0, a ln x is NaN and passes.
    for (const double a : {2.0, 0.5, 0.0}) {
        double lower = kNaN;
        double upper = kNaN;
        ASSERT_EQ(incGamma(a, 0.0, &lower, &upper), 0);
        EXPECT_EQ(lower, 0.0);
        EXPECT_EQ(upper, a == 0.0 ? 1.0 : Gamma(a)) << a;
    }
}

TEST(IncGamma, RejectsArgumentsOutsideItsRange)
{
    const struct {
        double a, x;
        const char* message;
        const char* format;
    } cases[] = {
        {-1, 2, "a (-1.000000) and x (2.000000) must both be positive", "must both be positive"},
        {2, -0.5, "a (2.000000) and x (-0.500000) must both be positive", "must both be positive"},
        {170, 200,
         "xam (700.713952) or a (170.000000) out of range for function (xam <= 700, a <= 170)", "xam <= 700"},
        {170.5, 1, "xam (-1.000000) or a (170.500000) out of range for function (xam <= 700, a <= 170)",
         "xam <= 700"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        LogCapture log;
        double lower = 42.0;
        double upper = 43.0;
        EXPECT_EQ(incGamma(c.a, c.x, &lower, &upper), -1);
        EXPECT_EQ(lower, 42.0);
        EXPECT_EQ(upper, 43.0);
        ExpectGammaRecord(log, "incGamma", c.message, c.format);
    }
}

TEST(IncGamma, HostileArgumentsDoNotCrash)
{
    const double values[] = {kNaN, kInf, -kInf, 1e308, 0.0, -0.0, 1e-320, 170.0, 1e-11};
    LogCapture log;
    for (const double a : values) {
        for (const double x : values) {
            double lower = 0.0;
            double upper = 0.0;
            const int32_t status = incGamma(a, x, &lower, &upper);
            EXPECT_TRUE(status == 0 || status == -1);
        }
    }
}

}  // namespace
