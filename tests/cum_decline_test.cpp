// Linear and logarithmic rate-versus-cumulative declines, each family through
// one table of its functions: the solvers against one another and the rate at
// a cumulative and the average rate against a numerical integral (the
// normalisation, failures and hostile input: the library's argument table).
#include "QRVPFuncs.h"
#include "decline/cum/lin_cum.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qrvp::test;

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

const Family kLin = {"linear", GetLinCumDecl, GetLinCumQf, GetLinCumQi, GetLinCumEndCum, GetLinCumBegCum,
                     GetLinCumVCum, GetLinCum, ValidateLinCum, [](double a, double b) { return (a + b) / 2; }, true};
const Family kLog = {"logarithmic", GetLogCumDecl, GetLogCumQf, GetLogCumQi, GetLogCumEndCum, GetLogCumBegCum,
                     GetLogCumVCum, GetLogCum, ValidateLogCum, [](double a, double b) { return std::sqrt(a * b); },
                     false};

struct Segment {
    double Qi, Qf, BegCum, EndCum;
};

const Segment kSegments[] = {{100, 50, 0, 1000}, {100, 10, 0, 1000},    {5000, 12.5, 250, 1e6},
                             {3, 40, 10, 10.5},  {1e-3, 2e-3, 0, 1e-2}, {7e5, 6.9e5, 1e7, 2e7}};

TEST(CumRoundTrip, EverySolverAgreesWithTheDecline)
{
    const auto close = [](double actual, double expected, double scale) {
        EXPECT_NEAR(actual, expected, 1e-9 * std::fabs(scale) + 1e-12);
    };
    for (const Family& f : {kLin, kLog}) {
        for (const Segment& s : kSegments) {
            SCOPED_TRACE(testing::Message() << f.name << " " << s.Qi << " " << s.Qf);
            double decl = kNaN, v = kNaN;
            ASSERT_EQ(f.Decl(s.Qi, s.Qf, s.BegCum, s.EndCum, &decl), 0);
            ASSERT_EQ(f.Qf(s.Qi, s.BegCum, s.EndCum, decl, &v), 0);
            close(v, s.Qf, s.Qf);
            ASSERT_EQ(f.Qi(s.BegCum, s.EndCum, s.Qf, decl, &v), 0);
            close(v, s.Qi, s.Qi);
            ASSERT_EQ(f.EndCum(s.Qi, s.Qf, s.BegCum, decl, &v), 0);
            close(v, s.EndCum, s.EndCum);
            ASSERT_EQ(f.BegCum(s.Qi, s.Qf, decl, s.EndCum, &v), 0);
            close(v, s.BegCum, s.EndCum);
            ASSERT_EQ(f.VCum(s.Qi, s.Qf, (s.BegCum + s.EndCum) / 2, s.BegCum, s.EndCum, &v), 0);
            close(v, f.Middle(s.Qi, s.Qf), s.Qi);
            ASSERT_EQ(f.VCum(s.Qi, s.Qf, s.BegCum, s.BegCum, s.EndCum, &v), 0);
            close(v, s.Qi, s.Qi);
        }
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
    for (const Family& f : {kLin, kLog}) {
        for (const Segment& s : kSegments) {
            SCOPED_TRACE(testing::Message() << f.name << " " << s.Qi << " " << s.Qf);
            const double w = s.EndCum - s.BegCum;
            const double bounds[][2] = {{s.BegCum, s.EndCum}, {s.BegCum + w / 3, s.BegCum + w / 2},
                                        {s.BegCum / 2, s.BegCum + w / 4}, {s.EndCum, s.EndCum + w / 5}};
            for (const auto& b : bounds) {
                const double expected = AverageOfRate(f, s, b[0], b[1]);
                double rate = kNaN;
                ASSERT_EQ(f.Average(s.Qi, s.Qf, b[0], b[1], s.BegCum, s.EndCum, &rate), 0);
                EXPECT_NEAR(rate, expected, 1e-8 * std::fabs(rate) + 1e-12);
                if (!f.reversedBounds) continue;
                ASSERT_EQ(f.Average(s.Qi, s.Qf, b[1], b[0], s.BegCum, s.EndCum, &rate), 0);
                EXPECT_NEAR(rate, expected, 1e-8 * std::fabs(rate) + 1e-12);
            }
        }
    }
    for (const Segment& s : kSegments) {
        double area = kNaN;
        ASSERT_EQ(qrvp::cum::GetLinCumIntVal(s.Qi, s.Qf, s.EndCum, s.BegCum, s.EndCum, &area), 0);
        EXPECT_NEAR(area, AverageOfRate(kLin, s, 0, s.EndCum) * s.EndCum, 1e-8 * std::fabs(area) + 1e-12);
    }
}

}  // namespace
