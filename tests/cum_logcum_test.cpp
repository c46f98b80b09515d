// Logarithmic rate-versus-cumulative decline: solvers against one another and
// the rate at a cumulative, the average rate against a numerical integral, the
// normalisation, where it parts from the linear sibling, hostile doubles.
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double kSentinel = -12345.0;

struct Segment {
    double Qi, Qf, BegCum, EndCum;
};

const Segment kSegments[] = {
    {100, 10, 0, 1000}, {5000, 12.5, 250, 1e6}, {3, 40, 10, 10.5}, {1e-3, 2e-3, 0, 1e-2}, {7e5, 6.9e5, 1e7, 2e7},
};

void ExpectClose(double actual, double expected, const char* what)
{
    EXPECT_NEAR(actual, expected, 1e-9 * std::fabs(expected) + 1e-12) << what;
}

TEST(LogCumRoundTrip, EverySolverAgreesWithTheDecline)
{
    for (const Segment& s : kSegments) {
        double decl = kSentinel;
        ASSERT_EQ(GetLogCumDecl(s.Qi, s.Qf, s.BegCum, s.EndCum, &decl), 0);
        double v = kSentinel;
        ASSERT_EQ(GetLogCumQf(s.Qi, s.BegCum, s.EndCum, decl, &v), 0);
        ExpectClose(v, s.Qf, "Qf");
        ASSERT_EQ(GetLogCumQi(s.BegCum, s.EndCum, s.Qf, decl, &v), 0);
        ExpectClose(v, s.Qi, "Qi");
        ASSERT_EQ(GetLogCumEndCum(s.Qi, s.Qf, s.BegCum, decl, &v), 0);
        ExpectClose(v, s.EndCum, "EndCum");
        ASSERT_EQ(GetLogCumBegCum(s.Qi, s.Qf, decl, s.EndCum, &v), 0);
        EXPECT_NEAR(v, s.BegCum, 1e-9 * s.EndCum);
        const double mid = (s.BegCum + s.EndCum) / 2;
        ASSERT_EQ(GetLogCumVCum(s.Qi, s.Qf, mid, s.BegCum, s.EndCum, &v), 0);
        ExpectClose(v, std::sqrt(s.Qi * s.Qf), "VCum at the middle");
        ASSERT_EQ(GetLogCumVCum(s.Qi, s.Qf, s.BegCum, s.BegCum, s.EndCum, &v), 0);
        ExpectClose(v, s.Qi, "VCum at BegCum");
    }
}

TEST(LogCum, EdgeValues)
{
    double v = kSentinel;
    ASSERT_EQ(GetLogCumDecl(100, 10, 0, 1000, &v), 0);
    EXPECT_DOUBLE_EQ(v, -0.001);
    ASSERT_EQ(GetLogCumQf(100, 0, 1000, -0.001, &v), 0);
    EXPECT_DOUBLE_EQ(v, 10);
    ASSERT_EQ(GetLogCumQi(0, 1000, 10, -0.001, &v), 0);
    EXPECT_DOUBLE_EQ(v, 100);
    ASSERT_EQ(GetLogCumEndCum(100, 10, 0, -0.001, &v), 0);
    EXPECT_DOUBLE_EQ(v, 1000);
    ASSERT_EQ(GetLogCumBegCum(100, 10, -0.001, 1000, &v), 0);
    EXPECT_NEAR(v, 0, 1e-12);
    ASSERT_EQ(GetLogCumVCum(100, 10, 500, 0, 1000, &v), 0);
    EXPECT_DOUBLE_EQ(v, std::pow(10.0, 1.5));
    ASSERT_EQ(GetLogCumVCum(100, 10, 2000, 0, 1000, &v), 0);
    EXPECT_DOUBLE_EQ(v, 1);
    ASSERT_EQ(GetLogCum(100, 10, 0, 1000, 0, 1000, &v), 0);
    EXPECT_DOUBLE_EQ(v, 90 / std::log(10.0));
    // An interval of no width averages to the rate at its point.
    ASSERT_EQ(GetLogCum(100, 10, 500, 500, 0, 1000, &v), 0);
    EXPECT_DOUBLE_EQ(v, std::pow(10.0, 1.5));
    ASSERT_EQ(GetLogCum(100, 10, 0, 1000, 300, 300, &v), 0);
    EXPECT_EQ(v, 100);
    // A flat segment keeps its rate even with no width.
    ASSERT_EQ(GetLogCumQf(100, 10, 10, 0, &v), 0);
    EXPECT_EQ(v, 100);
}

// Mean of the rate over [cum1, cum2] by Simpson's rule on GetLogCumVCum.
double AverageOfRate(const Segment& s, double cum1, double cum2)
{
    constexpr int kSteps = 4096;
    const double h = (cum2 - cum1) / kSteps;
    double sum = 0;
    for (int i = 0; i <= kSteps; ++i) {
        double q = 0;
        EXPECT_EQ(GetLogCumVCum(s.Qi, s.Qf, cum1 + i * h, s.BegCum, s.EndCum, &q), 0);
        sum += q * (i == 0 || i == kSteps ? 1 : (i % 2 == 1 ? 4 : 2));
    }
    return sum * h / 3 / (cum2 - cum1);
}

TEST(LogCumAverage, MatchesTheIntegralOfTheRate)
{
    for (const Segment& s : kSegments) {
        const double w = s.EndCum - s.BegCum;
        const double bounds[][2] = {{s.BegCum, s.EndCum}, {s.BegCum + w / 3, s.BegCum + w / 2},
                                    {s.BegCum / 2, s.BegCum + w / 4}, {s.EndCum, s.EndCum + w / 5}};
        for (const auto& b : bounds) {
            double rate = kSentinel;
            ASSERT_EQ(GetLogCum(s.Qi, s.Qf, b[0], b[1], s.BegCum, s.EndCum, &rate), 0);
            EXPECT_NEAR(rate, AverageOfRate(s, b[0], b[1]), 1e-8 * rate);
        }
    }
}

struct Failure {
    const char* what;
    int32_t (*call)(double*);
};

const Failure kFailures[] = {
    {"Decl zero rate", [](double* r) { return GetLogCumDecl(0, 5, 0, 10, r); }},
    {"Decl equal rates, negative BegCum", [](double* r) { return GetLogCumDecl(5, 5, -1, 10, r); }},
    {"Decl equal bounds", [](double* r) { return GetLogCumDecl(1, 5, 10, 10, r); }},
    {"Qi negative Qf", [](double* r) { return GetLogCumQi(0, 10, -1, 1, r); }},
    {"Qi zero EndCum", [](double* r) { return GetLogCumQi(0, 0, 1, 1, r); }},
    {"Qi equal bounds", [](double* r) { return GetLogCumQi(10, 10, 1, 0, r); }},
    {"Qf negative Qi", [](double* r) { return GetLogCumQf(-1, 0, 10, 1, r); }},
    {"Qf negative BegCum", [](double* r) { return GetLogCumQf(1, -1, 10, 0, r); }},
    {"Qf equal bounds", [](double* r) { return GetLogCumQf(1, 10, 10, 1, r); }},
    {"EndCum zero rate", [](double* r) { return GetLogCumEndCum(1, 0, 0, 1, r); }},
    {"EndCum negative BegCum", [](double* r) { return GetLogCumEndCum(1, 2, -1, 1, r); }},
    {"EndCum zero decl", [](double* r) { return GetLogCumEndCum(1, 2, 0, 0, r); }},
    {"BegCum zero rate", [](double* r) { return GetLogCumBegCum(1, 0, 1, 10, r); }},
    {"BegCum zero EndCum", [](double* r) { return GetLogCumBegCum(1, 2, 1, 0, r); }},
    {"BegCum zero decl", [](double* r) { return GetLogCumBegCum(1, 2, 5e-12, 10, r); }},
    {"VCum zero rate", [](double* r) { return GetLogCumVCum(0, 2, 5, 0, 10, r); }},
    {"VCum negative FindCum", [](double* r) { return GetLogCumVCum(1, 2, -5, 0, 10, r); }},
    {"VCum equal bounds", [](double* r) { return GetLogCumVCum(1, 2, 5, 10, 10, r); }},
    {"Average zero rate", [](double* r) { return GetLogCum(1, 0, 0, 10, 0, 10, r); }},
    {"Average reversed bounds", [](double* r) { return GetLogCum(1, 2, 10, 0, 0, 10, r); }},
    {"Average negative Cumi", [](double* r) { return GetLogCum(1, 2, 0, 10, -1, 10, r); }},
    {"Average Cumi after Cumf", [](double* r) { return GetLogCum(1, 2, 0, 10, 10, 9, r); }},
};

TEST(LogCumFailure, ReturnsMinusOneAndLeavesTheResult)
{
    for (const Failure& f : kFailures) {
        double out = kSentinel;
        EXPECT_EQ(f.call(&out), -1) << f.what;
        EXPECT_EQ(out, kSentinel) << f.what;
        EXPECT_EQ(f.call(nullptr), -1) << f.what;
    }
}

// Where the two families part: each row is one question put to both.
TEST(CumSiblings, DifferWhereTheyAlwaysHave)
{
    double lin = kSentinel;
    double log = kSentinel;
    // Equal rates settle first in the linear family only.
    EXPECT_EQ(GetLinCumDecl(5, 5, -1, 10, &lin), 0);
    EXPECT_EQ(GetLogCumDecl(5, 5, -1, 10, &log), -1);
    // A zero decl keeps the rate over no width in the logarithmic family only.
    EXPECT_EQ(GetLinCumQf(5, 10, 10, 0, &lin), -1);
    EXPECT_EQ(GetLogCumQf(5, 10, 10, 0, &log), 0);
    // Zero rates and cumulatives before zero: linear only.
    EXPECT_EQ(GetLinCumVCum(0, 2, -5, 0, 10, &lin), 0);
    EXPECT_EQ(GetLogCumVCum(0, 2, 5, 0, 10, &log), -1);
    EXPECT_EQ(GetLogCumVCum(1, 2, -5, 0, 10, &log), -1);
    // Bounds either way round: linear only.
    EXPECT_EQ(GetLinCum(1, 2, 10, 0, 0, 10, &lin), 0);
    EXPECT_EQ(GetLogCum(1, 2, 10, 0, 0, 10, &log), -1);

    // The normalised decl of a falling rate: negative in one, positive in the
    // other.
    double qi = 100, qf = 10, decl = 0, beg = 0, end = 1000;
    ASSERT_EQ(ValidateLinCum(&qi, &qf, &decl, &beg, &end), 0);
    EXPECT_DOUBLE_EQ(decl, -0.09);
    ASSERT_EQ(ValidateLogCum(&qi, &qf, &decl, &beg, &end), 0);
    EXPECT_DOUBLE_EQ(decl, 0.001);
}

struct Params {
    double Qi, Qf, decl, BegCum, EndCum;
};

TEST(ValidateLogCum, NormalisesAndRefuses)
{
    Params p{100, 10, 9, 0, 0};
    ASSERT_EQ(ValidateLogCum(&p.Qi, &p.Qf, &p.decl, &p.BegCum, &p.EndCum), 0);
    EXPECT_EQ(p.EndCum, -1);
    EXPECT_EQ(p.decl, 9);
    p = {1e-13, 0, 9, 0, 10};
    ASSERT_EQ(ValidateLogCum(&p.Qi, &p.Qf, &p.decl, &p.BegCum, &p.EndCum), 0);
    EXPECT_EQ(p.Qi, 0);
    EXPECT_EQ(p.decl, 0);
    // One zero rate has no logarithm; bounds at or before the start have no
    // width: refused, nothing changed.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Params refused[] = {
        {100, 0, 9, 0, 1000}, {0, 100, 9, 0, 1000}, {100, 5e-12, 9, 0, 1000}, {100, 10, 9, 1000, 1000},
        {100, 10, 9, 1000, 900}, {100, 10, 9, -1, 900}, {100, nan, 9, 0, 10}, {100, 10, 9, 0, std::numeric_limits<double>::infinity()},
    };
    for (const Params& r : refused) {
        Params q = r;
        EXPECT_EQ(ValidateLogCum(&q.Qi, &q.Qf, &q.decl, &q.BegCum, &q.EndCum), -1) << r.Qf;
        EXPECT_EQ(std::memcmp(&q, &r, sizeof q), 0) << r.Qf;
    }
}

TEST(LogCumHostile, EveryFunctionSurvivesEveryDouble)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double v[] = {nan, inf, -inf, 1e308, -1e308, 5e-324, -0.0, 1e-12, 1.0, 100.0};
    const auto ok = [](int32_t s) { return s == 0 || s == -1; };
    for (double a : v) {
        for (double b : v) {
            for (double c : v) {
                double o = 0;
                EXPECT_TRUE(ok(GetLogCumDecl(a, b, c, 10, &o)));
                EXPECT_TRUE(ok(GetLogCumQi(c, 10, a, b, &o)));
                EXPECT_TRUE(ok(GetLogCumQf(a, c, 10, b, &o)));
                EXPECT_TRUE(ok(GetLogCumEndCum(a, b, c, 0.5, &o)));
                EXPECT_TRUE(ok(GetLogCumBegCum(a, b, 0.5, c, &o)));
                EXPECT_TRUE(ok(GetLogCumVCum(a, b, c, 0, 10, &o)));
                EXPECT_TRUE(ok(GetLogCum(a, b, c, 10, 0, 10, &o)));
                EXPECT_TRUE(ok(GetLogCum(1, 2, a, b, c, 10, &o)));
                double qi = a, qf = b, decl = 0, beg = 0, end = c;
                EXPECT_TRUE(ok(ValidateLogCum(&qi, &qf, &decl, &beg, &end)));
            }
        }
    }
}

}  // namespace
