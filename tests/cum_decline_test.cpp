// Linear and logarithmic rate-versus-cumulative declines, each family through
// one table of its functions: the solvers against one another and the rate at
// a cumulative, the average rate against a numerical integral, the
// normalisation, failures that leave the result alone, where the families
// part, and hostile doubles.
#include "QRVPFuncs.h"
#include "decline/cum/lin_cum.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using namespace qrvp::test;

constexpr double kSentinel = -12345.0;
const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

struct Family {
    const char* name;
    int32_t (*Decl)(double Qi, double Qf, double BegCum, double EndCum, double* decl);
    int32_t (*Qf)(double Qi, double BegCum, double EndCum, double decl, double* Qf);
    int32_t (*Qi)(double BegCum, double EndCum, double Qf, double decl, double* Qi);
    int32_t (*EndCum)(double Qi, double Qf, double BegCum, double decl, double* EndCum);
    int32_t (*BegCum)(double Qi, double Qf, double decl, double EndCum, double* BegCum);
    int32_t (*VCum)(double Qi, double Qf, double FindCum, double BegCum, double EndCum, double* rate);
    int32_t (*Average)(double Qi, double Qf, double cum1, double cum2, double Cumi, double Cumf, double* rate);
    int32_t (*Validate)(double* Qi, double* Qf, double* decl, double* BegCum, double* EndCum);
    double (*Middle)(double Qi, double Qf);  // the rate halfway along the cumulative
    bool reversedBounds;                     // averages over bounds given the other way round
};

const Family kFamilies[] = {
    {"linear", GetLinCumDecl, GetLinCumQf, GetLinCumQi, GetLinCumEndCum, GetLinCumBegCum, GetLinCumVCum, GetLinCum,
     ValidateLinCum, [](double a, double b) { return (a + b) / 2; }, true},
    {"logarithmic", GetLogCumDecl, GetLogCumQf, GetLogCumQi, GetLogCumEndCum, GetLogCumBegCum, GetLogCumVCum,
     GetLogCum, ValidateLogCum, [](double a, double b) { return std::sqrt(a * b); }, false},
};

struct Segment {
    double Qi, Qf, BegCum, EndCum;
};

const Segment kSegments[] = {
    {100, 50, 0, 1000}, {100, 10, 0, 1000},   {5000, 12.5, 250, 1e6},
    {3, 40, 10, 10.5},  {1e-3, 2e-3, 0, 1e-2}, {7e5, 6.9e5, 1e7, 2e7},
};

void ExpectClose(double actual, double expected, const char* what)
{
    EXPECT_NEAR(actual, expected, 1e-9 * std::fabs(expected) + 1e-12) << what;
}

TEST(CumRoundTrip, EverySolverAgreesWithTheDecline)
{
    for (const Family& f : kFamilies) {
        for (const Segment& s : kSegments) {
            SCOPED_TRACE(testing::Message() << f.name << " " << s.Qi << " " << s.Qf);
            double decl = kSentinel, v = kSentinel;
            ASSERT_EQ(f.Decl(s.Qi, s.Qf, s.BegCum, s.EndCum, &decl), 0);
            ASSERT_EQ(f.Qf(s.Qi, s.BegCum, s.EndCum, decl, &v), 0);
            ExpectClose(v, s.Qf, "Qf");
            ASSERT_EQ(f.Qi(s.BegCum, s.EndCum, s.Qf, decl, &v), 0);
            ExpectClose(v, s.Qi, "Qi");
            ASSERT_EQ(f.EndCum(s.Qi, s.Qf, s.BegCum, decl, &v), 0);
            ExpectClose(v, s.EndCum, "EndCum");
            ASSERT_EQ(f.BegCum(s.Qi, s.Qf, decl, s.EndCum, &v), 0);
            EXPECT_NEAR(v, s.BegCum, 1e-9 * s.EndCum);
            ASSERT_EQ(f.VCum(s.Qi, s.Qf, (s.BegCum + s.EndCum) / 2, s.BegCum, s.EndCum, &v), 0);
            ExpectClose(v, f.Middle(s.Qi, s.Qf), "VCum at the middle");
            ASSERT_EQ(f.VCum(s.Qi, s.Qf, s.BegCum, s.BegCum, s.EndCum, &v), 0);
            ExpectClose(v, s.Qi, "VCum at BegCum");
        }
    }
}

TEST(Cum, EdgeValues)
{
    const OneResultCall rows[] = {
        {"lin decl", [](double* v) { return GetLinCumDecl(100, 50, 0, 1000, v); }, -0.05},
        {"lin rate past the end", [](double* v) { return GetLinCumVCum(100, 50, 1500, 0, 1000, v); }, 25},
        {"lin average", [](double* v) { return GetLinCum(100, 50, 0, 1000, 0, 1000, v); }, 75},
        // Equal bounds or equal cumulatives give Qi, whatever the rate there.
        {"lin no width", [](double* v) { return GetLinCum(100, 50, 800, 800, 0, 1000, v); }, 100},
        {"lin equal cumulatives", [](double* v) { return GetLinCum(100, 50, 0, 1000, 300, 300, v); }, 100},
        // Equal rates, and zero rates, settle before any other check.
        {"lin equal rates", [](double* v) { return GetLinCumDecl(-3, -3, -1, -1, v); }, 0},
        {"lin zero Qf", [](double* v) { return GetLinCumQi(-1, -1, 5e-12, 1, v); }, 0},
        {"lin zero Qi", [](double* v) { return GetLinCumQf(-5e-12, -1, -1, 1, v); }, 0},
        // The linear family alone takes a zero rate and a cumulative before zero.
        {"lin before zero", [](double* v) { return GetLinCumVCum(0, 2, -5, 0, 10, v); }, -1},
        {"log decl", [](double* v) { return GetLogCumDecl(100, 10, 0, 1000, v); }, -0.001},
        {"log rate past the end", [](double* v) { return GetLogCumVCum(100, 10, 2000, 0, 1000, v); }, 1},
        {"log average", [](double* v) { return GetLogCum(100, 10, 0, 1000, 0, 1000, v); }, 90 / std::log(10.0)},
        // An interval of no width averages to the rate at its point.
        {"log no width", [](double* v) { return GetLogCum(100, 10, 500, 500, 0, 1000, v); }, std::pow(10.0, 1.5)},
        {"log equal cumulatives", [](double* v) { return GetLogCum(100, 10, 0, 1000, 300, 300, v); }, 100},
        // A flat segment keeps its rate even with no width.
        {"log flat, no width", [](double* v) { return GetLogCumQf(100, 10, 10, 0, v); }, 100},
    };
    for (const OneResultCall& r : rows) {
        ExpectValue(r);
    }
}

// Mean of the rate over [cum1, cum2] by Simpson's rule on the rate at a cumulative.
double AverageOfRate(const Family& f, const Segment& s, double cum1, double cum2)
{
    constexpr int kSteps = 4096;
    const double h = (cum2 - cum1) / kSteps;
    double sum = 0;
    for (int i = 0; i <= kSteps; ++i) {
        double q = 0;
        EXPECT_EQ(f.VCum(s.Qi, s.Qf, cum1 + i * h, s.BegCum, s.EndCum, &q), 0);
        sum += q * (i == 0 || i == kSteps ? 1 : (i % 2 == 1 ? 4 : 2));
    }
    return sum * h / 3 / (cum2 - cum1);
}

TEST(CumAverage, MatchesTheIntegralOfTheRate)
{
    for (const Family& f : kFamilies) {
        for (const Segment& s : kSegments) {
            SCOPED_TRACE(testing::Message() << f.name << " " << s.Qi << " " << s.Qf);
            const double w = s.EndCum - s.BegCum;
            const double bounds[][2] = {{s.BegCum, s.EndCum}, {s.BegCum + w / 3, s.BegCum + w / 2},
                                        {s.BegCum / 2, s.BegCum + w / 4}, {s.EndCum, s.EndCum + w / 5}};
            for (const auto& b : bounds) {
                const double expected = AverageOfRate(f, s, b[0], b[1]);
                double rate = kSentinel;
                ASSERT_EQ(f.Average(s.Qi, s.Qf, b[0], b[1], s.BegCum, s.EndCum, &rate), 0);
                EXPECT_NEAR(rate, expected, 1e-8 * std::fabs(rate) + 1e-12);
                if (f.reversedBounds) {
                    ASSERT_EQ(f.Average(s.Qi, s.Qf, b[1], b[0], s.BegCum, s.EndCum, &rate), 0);
                    EXPECT_NEAR(rate, expected, 1e-8 * std::fabs(rate) + 1e-12);
                }
            }
        }
    }
    for (const Segment& s : kSegments) {
        double area = kSentinel;
        ASSERT_EQ(qrvp::cum::GetLinCumIntVal(s.Qi, s.Qf, s.EndCum, s.BegCum, s.EndCum, &area), 0);
        EXPECT_NEAR(area, AverageOfRate(kFamilies[0], s, 0, s.EndCum) * s.EndCum, 1e-8 * std::fabs(area) + 1e-12);
    }
}

// More failures, each with its record, are in cum_log_lines_test.cpp.
const OneResultCall kFailures[] = {
    {"LinDecl zero rate", [](double* r) { return GetLinCumDecl(0, 5, 0, 10, r); }},
    {"LinDecl zero EndCum", [](double* r) { return GetLinCumDecl(1, 5, 0, 0, r); }},
    {"LinDecl equal bounds", [](double* r) { return GetLinCumDecl(1, 5, 10, 10 + 5e-12, r); }},
    {"LinQi bad cumulatives", [](double* r) { return GetLinCumQi(-1, 10, 1, 1, r); }},
    {"LinQi equal bounds", [](double* r) { return GetLinCumQi(10, 10, 1, 1, r); }},
    {"LinQf bad cumulatives", [](double* r) { return GetLinCumQf(1, 0, -10, 1, r); }},
    {"LinQf equal bounds", [](double* r) { return GetLinCumQf(1, 10, 10, 0, r); }},
    {"LinEndCum zero rate", [](double* r) { return GetLinCumEndCum(1, 0, 0, 1, r); }},
    {"LinEndCum negative BegCum", [](double* r) { return GetLinCumEndCum(1, 2, -1, 1, r); }},
    {"LinEndCum zero decl", [](double* r) { return GetLinCumEndCum(1, 2, 0, 5e-12, r); }},
    {"LinBegCum zero rate", [](double* r) { return GetLinCumBegCum(0, 1, 1, 10, r); }},
    {"LinBegCum zero EndCum", [](double* r) { return GetLinCumBegCum(1, 2, 1, 0, r); }},
    {"LinBegCum zero decl", [](double* r) { return GetLinCumBegCum(1, 2, 0, 10, r); }},
    {"LinVCum negative rate", [](double* r) { return GetLinCumVCum(-1, 2, 5, 0, 10, r); }},
    {"LinVCum negative EndCum", [](double* r) { return GetLinCumVCum(1, 2, 5, 0, -10, r); }},
    {"LinVCum reversed bounds", [](double* r) { return GetLinCumVCum(1, 2, 5, 10, 9, r); }},
    {"LinAverage negative Cumi", [](double* r) { return GetLinCum(1, 2, 0, 10, -1, 10, r); }},
    {"LinIntVal Cumi after Cumf", [](double* r) { return qrvp::cum::GetLinCumIntVal(1, 2, 0, 10, 9, r); }},
    {"LogDecl zero rate", [](double* r) { return GetLogCumDecl(0, 5, 0, 10, r); }},
    {"LogDecl equal bounds", [](double* r) { return GetLogCumDecl(1, 5, 10, 10, r); }},
    {"LogQi negative Qf", [](double* r) { return GetLogCumQi(0, 10, -1, 1, r); }},
    {"LogQi zero EndCum", [](double* r) { return GetLogCumQi(0, 0, 1, 1, r); }},
    {"LogQi equal bounds", [](double* r) { return GetLogCumQi(10, 10, 1, 0, r); }},
    {"LogQf negative BegCum", [](double* r) { return GetLogCumQf(1, -1, 10, 0, r); }},
    {"LogEndCum zero rate", [](double* r) { return GetLogCumEndCum(1, 0, 0, 1, r); }},
    {"LogEndCum negative BegCum", [](double* r) { return GetLogCumEndCum(1, 2, -1, 1, r); }},
    {"LogEndCum zero decl", [](double* r) { return GetLogCumEndCum(1, 2, 0, 0, r); }},
    {"LogBegCum zero rate", [](double* r) { return GetLogCumBegCum(1, 0, 1, 10, r); }},
    {"LogBegCum zero EndCum", [](double* r) { return GetLogCumBegCum(1, 2, 1, 0, r); }},
    {"LogBegCum zero decl", [](double* r) { return GetLogCumBegCum(1, 2, 5e-12, 10, r); }},
    {"LogVCum zero rate", [](double* r) { return GetLogCumVCum(0, 2, 5, 0, 10, r); }},
    {"LogAverage negative Cumi", [](double* r) { return GetLogCum(1, 2, 0, 10, -1, 10, r); }},
    {"LogAverage Cumi after Cumf", [](double* r) { return GetLogCum(1, 2, 0, 10, 10, 9, r); }},
};

TEST(CumFailure, ReturnsMinusOneAndLeavesTheResult)
{
    for (const OneResultCall& f : kFailures) {
        ExpectFailureLeavesResult(f);
    }
}

// The normalisations ---------------------------------------------------------

struct Params {
    double Qi, Qf, decl, BegCum, EndCum;
};

TEST(ValidateCum, Normalises)
{
    const struct {
        const Family& f;
        Params in, out;
    } cases[] = {
        {kFamilies[0], {100, 50, 9, 0, 1000}, {100, 50, -0.05, 0, 1000}},
        {kFamilies[0], {5e-12, -5e-12, 9, -4, 7}, {0, 0, 0, -4, 7}},
        {kFamilies[0], {40, 40 + 5e-12, 9, 0, 7}, {40, 40, 0, 0, 7}},
        // No end cumulative yet: marked unknown, decl kept.
        {kFamilies[0], {100, 50, 9, 0, 0}, {100, 50, 9, 0, -1}},
        {kFamilies[1], {100, 10, 9, 0, 0}, {100, 10, 9, 0, -1}},
        // A slope within the tolerance is flattened.
        {kFamilies[0], {100, 100 + 1e-9, 9, 0, 1000}, {100, 100, 0, 0, 1000}},
        {kFamilies[0], {10, 20, kNan, 5, 10}, {10, 20, 2, 5, 10}},
        {kFamilies[1], {1e-13, 0, 9, 0, 10}, {0, 0, 0, 0, 10}},
        // The decl of a falling rate: negative in one family, positive in the other.
        {kFamilies[0], {100, 10, 0, 0, 1000}, {100, 10, -0.09, 0, 1000}},
        {kFamilies[1], {100, 10, 0, 0, 1000}, {100, 10, 0.001, 0, 1000}},
    };
    for (const auto& c : cases) {
        Params p = c.in;
        ASSERT_EQ(c.f.Validate(&p.Qi, &p.Qf, &p.decl, &p.BegCum, &p.EndCum), 0) << c.f.name << " " << c.in.Qi;
        EXPECT_EQ(p.Qi, c.out.Qi);
        EXPECT_EQ(p.Qf, c.out.Qf);
        EXPECT_DOUBLE_EQ(p.decl, c.out.decl);
        EXPECT_EQ(p.BegCum, c.out.BegCum);
        EXPECT_EQ(p.EndCum, c.out.EndCum);
    }
}

TEST(ValidateCum, RefusesWithNothingChanged)
{
    const struct {
        const Family& f;
        Params p;
    } refused[] = {
        {kFamilies[0], {100, 50, 9, -1, 1000}}, {kFamilies[0], {-1, 50, 9, 0, 1000}},
        {kFamilies[0], {100, -1, 9, 0, 1000}},
        // An end at or before the start: no infinite, no back-to-front decl.
        {kFamilies[0], {100, 50, 9, 500, 500}}, {kFamilies[0], {100, 50, 9, 500, 500 + 5e-12}},
        {kFamilies[0], {100, 50, 9, 600, 500}},
        // A decl that is not a number.
        {kFamilies[0], {kNan, 50, 9, 0, 10}}, {kFamilies[0], {100, 50, 9, 0, kInf}},
        {kFamilies[0], {1e308, 1, 9, 0, 1e-10}},
        // One zero rate has no logarithm; bounds at or before the start have
        // no width.
        {kFamilies[1], {100, 0, 9, 0, 1000}}, {kFamilies[1], {0, 100, 9, 0, 1000}},
        {kFamilies[1], {100, 5e-12, 9, 0, 1000}}, {kFamilies[1], {100, 10, 9, 1000, 1000}},
        {kFamilies[1], {100, 10, 9, 1000, 900}}, {kFamilies[1], {100, 10, 9, -1, 900}},
        {kFamilies[1], {100, kNan, 9, 0, 10}}, {kFamilies[1], {100, 10, 9, 0, kInf}},
    };
    for (const auto& r : refused) {
        Params q = r.p;
        EXPECT_EQ(r.f.Validate(&q.Qi, &q.Qf, &q.decl, &q.BegCum, &q.EndCum), -1) << r.f.name << " " << r.p.Qi;
        EXPECT_EQ(std::memcmp(&q, &r.p, sizeof q), 0) << r.f.name << " " << r.p.Qi;  // NaN included
    }
    for (const Family& f : kFamilies) {
        double d = 1;
        EXPECT_EQ(f.Validate(&d, &d, &d, &d, nullptr), -1);
        EXPECT_EQ(f.Validate(nullptr, &d, &d, &d, &d), -1);
        EXPECT_EQ(d, 1.0);
    }
}

TEST(CumHostile, EveryFunctionSurvivesEveryDouble)
{
    const std::vector<double> values = HostileDoubles({-0.0, 1e-12, 100.0});
    for (const Family& f : kFamilies) {
        ForEachCombination(3, values, [&f](const std::vector<double>& v) {
            const double a = v[0], b = v[1], c = v[2];
            double o = 0;
            EXPECT_TRUE(IsStatus(f.Decl(a, b, c, 10, &o)));
            EXPECT_TRUE(IsStatus(f.Qi(c, 10, a, b, &o)));
            EXPECT_TRUE(IsStatus(f.Qf(a, c, 10, b, &o)));
            EXPECT_TRUE(IsStatus(f.EndCum(a, b, c, 0.5, &o)));
            EXPECT_TRUE(IsStatus(f.BegCum(a, b, 0.5, c, &o)));
            EXPECT_TRUE(IsStatus(f.VCum(a, b, c, 0, 10, &o)));
            EXPECT_TRUE(IsStatus(f.Average(a, b, c, 10, 0, 10, &o)));
            EXPECT_TRUE(IsStatus(f.Average(1, 2, a, b, c, 10, &o)));
            double qi = a, qf = b, decl = 0, beg = 0, end = c;
            EXPECT_TRUE(IsStatus(f.Validate(&qi, &qf, &decl, &beg, &end)));
        });
    }
}

}  // namespace
