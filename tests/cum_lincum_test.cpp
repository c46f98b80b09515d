// Linear rate-versus-cumulative decline: solvers against one another and the
// rate at a cumulative, the average rate against a numerical integral, the
// normalisation, failures that leave the result alone, hostile doubles.
#include "QRVPFuncs.h"
#include "decline/cum/lin_cum.h"

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
    {100, 50, 0, 1000}, {5000, 12.5, 250, 1e6}, {3, 40, 10, 10.5}, {1e-3, 2e-3, 0, 1e-2}, {7e5, 6.9e5, 1e7, 2e7},
};

void ExpectClose(double actual, double expected, const char* what)
{
    EXPECT_NEAR(actual, expected, 1e-9 * (std::fabs(expected) + 1e-300) + 1e-12) << what;
}

TEST(LinCumRoundTrip, EverySolverAgreesWithTheDecline)
{
    for (const Segment& s : kSegments) {
        double decl = kSentinel;
        ASSERT_EQ(GetLinCumDecl(s.Qi, s.Qf, s.BegCum, s.EndCum, &decl), 0);
        double v = kSentinel;
        ASSERT_EQ(GetLinCumQf(s.Qi, s.BegCum, s.EndCum, decl, &v), 0);
        ExpectClose(v, s.Qf, "Qf");
        ASSERT_EQ(GetLinCumQi(s.BegCum, s.EndCum, s.Qf, decl, &v), 0);
        ExpectClose(v, s.Qi, "Qi");
        ASSERT_EQ(GetLinCumEndCum(s.Qi, s.Qf, s.BegCum, decl, &v), 0);
        ExpectClose(v, s.EndCum, "EndCum");
        ASSERT_EQ(GetLinCumBegCum(s.Qi, s.Qf, decl, s.EndCum, &v), 0);
        EXPECT_NEAR(v, s.BegCum, 1e-9 * s.EndCum);
        // The rate at a cumulative lies on the same line.
        const double mid = (s.BegCum + s.EndCum) / 2;
        ASSERT_EQ(GetLinCumVCum(s.Qi, s.Qf, mid, s.BegCum, s.EndCum, &v), 0);
        ExpectClose(v, s.Qi + decl * (mid - s.BegCum), "VCum");
        ASSERT_EQ(GetLinCumVCum(s.Qi, s.Qf, s.BegCum, s.BegCum, s.EndCum, &v), 0);
        ExpectClose(v, s.Qi, "VCum at BegCum");
    }
}

TEST(LinCum, EdgeValues)
{
    double v = kSentinel;
    ASSERT_EQ(GetLinCumDecl(100, 50, 0, 1000, &v), 0);
    EXPECT_DOUBLE_EQ(v, -0.05);
    ASSERT_EQ(GetLinCumVCum(100, 50, 500, 0, 1000, &v), 0);
    EXPECT_DOUBLE_EQ(v, 75);
    ASSERT_EQ(GetLinCumVCum(100, 50, 1500, 0, 1000, &v), 0);
    EXPECT_DOUBLE_EQ(v, 25);
    ASSERT_EQ(GetLinCum(100, 50, 0, 1000, 0, 1000, &v), 0);
    EXPECT_DOUBLE_EQ(v, 75);
    // Equal bounds or equal cumulatives give Qi, whatever the rate there.
    ASSERT_EQ(GetLinCum(100, 50, 800, 800, 0, 1000, &v), 0);
    EXPECT_EQ(v, 100);
    ASSERT_EQ(GetLinCum(100, 50, 0, 1000, 300, 300, &v), 0);
    EXPECT_EQ(v, 100);
    // Equal rates, and zero rates, settle before any other check.
    ASSERT_EQ(GetLinCumDecl(-3, -3, -1, -1, &v), 0);
    EXPECT_EQ(v, 0);
    ASSERT_EQ(GetLinCumQi(-1, -1, 5e-12, 1, &v), 0);
    EXPECT_EQ(v, 0);
    ASSERT_EQ(GetLinCumQf(-5e-12, -1, -1, 1, &v), 0);
    EXPECT_EQ(v, 0);
}

// Mean of the rate over [cum1, cum2] by Simpson's rule on GetLinCumVCum.
double AverageOfRate(const Segment& s, double cum1, double cum2)
{
    constexpr int kSteps = 64;
    const double h = (cum2 - cum1) / kSteps;
    double sum = 0;
    for (int i = 0; i <= kSteps; ++i) {
        double q = 0;
        EXPECT_EQ(GetLinCumVCum(s.Qi, s.Qf, cum1 + i * h, s.BegCum, s.EndCum, &q), 0);
        sum += q * (i == 0 || i == kSteps ? 1 : (i % 2 == 1 ? 4 : 2));
    }
    return sum * h / 3 / (cum2 - cum1);
}

TEST(LinCumAverage, MatchesTheIntegralOfTheRate)
{
    for (const Segment& s : kSegments) {
        const double w = s.EndCum - s.BegCum;
        const double bounds[][2] = {{s.BegCum, s.EndCum}, {s.BegCum + w / 3, s.BegCum + w / 2},
                                    {0, s.BegCum + w / 4}, {s.EndCum, s.EndCum + w / 5}};
        for (const auto& b : bounds) {
            double rate = kSentinel;
            ASSERT_EQ(GetLinCum(s.Qi, s.Qf, b[0], b[1], s.BegCum, s.EndCum, &rate), 0);
            ExpectClose(rate, AverageOfRate(s, b[0], b[1]), "GetLinCum");
            // Bounds given the other way round average the same.
            ASSERT_EQ(GetLinCum(s.Qi, s.Qf, b[1], b[0], s.BegCum, s.EndCum, &rate), 0);
            ExpectClose(rate, AverageOfRate(s, b[0], b[1]), "GetLinCum reversed");
        }
        double area = kSentinel;
        ASSERT_EQ(qrvp::cum::GetLinCumIntVal(s.Qi, s.Qf, s.EndCum, s.BegCum, s.EndCum, &area), 0);
        ExpectClose(area, AverageOfRate(s, 0, s.EndCum) * s.EndCum, "GetLinCumIntVal");
    }
}

struct Failure {
    const char* what;
    int32_t (*call)(double*);
};

const Failure kFailures[] = {
    {"Decl zero rate", [](double* r) { return GetLinCumDecl(0, 5, 0, 10, r); }},
    {"Decl negative BegCum", [](double* r) { return GetLinCumDecl(1, 5, -1, 10, r); }},
    {"Decl zero EndCum", [](double* r) { return GetLinCumDecl(1, 5, 0, 0, r); }},
    {"Decl equal bounds", [](double* r) { return GetLinCumDecl(1, 5, 10, 10 + 5e-12, r); }},
    {"Qi negative Qf", [](double* r) { return GetLinCumQi(0, 10, -1, 1, r); }},
    {"Qi bad cumulatives", [](double* r) { return GetLinCumQi(-1, 10, 1, 1, r); }},
    {"Qi equal bounds", [](double* r) { return GetLinCumQi(10, 10, 1, 1, r); }},
    {"Qf negative Qi", [](double* r) { return GetLinCumQf(-1, 0, 10, 1, r); }},
    {"Qf bad cumulatives", [](double* r) { return GetLinCumQf(1, 0, -10, 1, r); }},
    {"Qf equal bounds", [](double* r) { return GetLinCumQf(1, 10, 10, 0, r); }},
    {"EndCum zero rate", [](double* r) { return GetLinCumEndCum(1, 0, 0, 1, r); }},
    {"EndCum negative BegCum", [](double* r) { return GetLinCumEndCum(1, 2, -1, 1, r); }},
    {"EndCum zero decl", [](double* r) { return GetLinCumEndCum(1, 2, 0, 5e-12, r); }},
    {"BegCum zero rate", [](double* r) { return GetLinCumBegCum(0, 1, 1, 10, r); }},
    {"BegCum zero EndCum", [](double* r) { return GetLinCumBegCum(1, 2, 1, 0, r); }},
    {"BegCum zero decl", [](double* r) { return GetLinCumBegCum(1, 2, 0, 10, r); }},
    {"VCum negative rate", [](double* r) { return GetLinCumVCum(-1, 2, 5, 0, 10, r); }},
    {"VCum negative EndCum", [](double* r) { return GetLinCumVCum(1, 2, 5, 0, -10, r); }},
    {"VCum equal bounds", [](double* r) { return GetLinCumVCum(1, 2, 5, 10, 10, r); }},
    {"VCum reversed bounds", [](double* r) { return GetLinCumVCum(1, 2, 5, 10, 9, r); }},
    {"Average negative rate", [](double* r) { return GetLinCum(-1, 2, 0, 10, 0, 10, r); }},
    {"Average negative cum1", [](double* r) { return GetLinCum(1, 2, -1, 10, 0, 10, r); }},
    {"Average negative Cumi", [](double* r) { return GetLinCum(1, 2, 0, 10, -1, 10, r); }},
    {"Average Cumi after Cumf", [](double* r) { return GetLinCum(1, 2, 0, 10, 10, 9, r); }},
    {"IntVal Cumi after Cumf", [](double* r) { return qrvp::cum::GetLinCumIntVal(1, 2, 0, 10, 9, r); }},
};

TEST(LinCumFailure, ReturnsMinusOneAndLeavesTheResult)
{
    for (const Failure& f : kFailures) {
        double out = kSentinel;
        EXPECT_EQ(f.call(&out), -1) << f.what;
        EXPECT_EQ(out, kSentinel) << f.what;
        EXPECT_EQ(f.call(nullptr), -1) << f.what;
    }
}

// ValidateLinCum ------------------------------------------------------------

struct Params {
    double Qi, Qf, decl, BegCum, EndCum;
};

Params Validate(Params p, int32_t expectStatus)
{
    EXPECT_EQ(ValidateLinCum(&p.Qi, &p.Qf, &p.decl, &p.BegCum, &p.EndCum), expectStatus);
    return p;
}

// Unchanged, NaN included.
void ExpectSame(const Params& a, const Params& b)
{
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

TEST(ValidateLinCum, Normalises)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        Params in;
        Params out;
    } cases[] = {
        {{100, 50, 9, 0, 1000}, {100, 50, -0.05, 0, 1000}},
        {{5e-12, -5e-12, 9, -4, 7}, {0, 0, 0, -4, 7}},
        {{40, 40 + 5e-12, 9, 0, 7}, {40, 40, 0, 0, 7}},
        // No end cumulative yet: marked unknown, decl kept.
        {{100, 50, 9, 0, 0}, {100, 50, 9, 0, -1}},
        // A slope within the tolerance is flattened.
        {{100, 100 + 1e-9, 9, 0, 1000}, {100, 100, 0, 0, 1000}},
        {{10, 20, nan, 5, 10}, {10, 20, 2, 5, 10}},
    };
    for (const auto& c : cases) {
        const Params p = Validate(c.in, 0);
        EXPECT_EQ(p.Qi, c.out.Qi);
        EXPECT_EQ(p.Qf, c.out.Qf);
        EXPECT_DOUBLE_EQ(p.decl, c.out.decl);
        EXPECT_EQ(p.BegCum, c.out.BegCum);
        EXPECT_EQ(p.EndCum, c.out.EndCum);
    }
}

TEST(ValidateLinCum, RefusesWithNothingChanged)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Params refused[] = {
        {100, 50, 9, -1, 1000}, {-1, 50, 9, 0, 1000}, {100, -1, 9, 0, 1000},
        // An end at or before the start: no infinite, no back-to-front decl.
        {100, 50, 9, 500, 500}, {100, 50, 9, 500, 500 + 5e-12}, {100, 50, 9, 600, 500},
        // A decl that is not a number.
        {nan, 50, 9, 0, 10}, {100, 50, 9, 0, inf}, {1e308, 1, 9, 0, 1e-10},
    };
    for (const Params& r : refused) {
        SCOPED_TRACE(r.Qi);
        ExpectSame(Validate(r, -1), r);
    }
    double d = 1;
    EXPECT_EQ(ValidateLinCum(&d, &d, &d, &d, nullptr), -1);
    EXPECT_EQ(ValidateLinCum(nullptr, &d, &d, &d, &d), -1);
    EXPECT_EQ(d, 1.0);
}

TEST(LinCumHostile, EveryFunctionSurvivesEveryDouble)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double v[] = {nan, inf, -inf, 1e308, -1e308, 5e-324, -0.0, 1e-12, 1.0, 100.0};
    const auto ok = [](int32_t s) { return s == 0 || s == -1; };
    for (double a : v) {
        for (double b : v) {
            for (double c : v) {
                double o = 0;
                EXPECT_TRUE(ok(GetLinCumDecl(a, b, c, 10, &o)));
                EXPECT_TRUE(ok(GetLinCumQi(c, 10, a, b, &o)));
                EXPECT_TRUE(ok(GetLinCumQf(a, c, 10, b, &o)));
                EXPECT_TRUE(ok(GetLinCumEndCum(a, b, c, 0.5, &o)));
                EXPECT_TRUE(ok(GetLinCumBegCum(a, b, 0.5, c, &o)));
                EXPECT_TRUE(ok(GetLinCumVCum(a, b, c, 0, 10, &o)));
                EXPECT_TRUE(ok(GetLinCum(a, b, c, 10, 0, 10, &o)));
                EXPECT_TRUE(ok(GetLinCum(1, 2, a, b, c, 10, &o)));
                double qi = a, qf = b, decl = 0, beg = 0, end = c;
                EXPECT_TRUE(ok(ValidateLinCum(&qi, &qf, &decl, &beg, &end)));
            }
        }
    }
}

}  // namespace
