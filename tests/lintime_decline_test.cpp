// Linear-with-time decline: each solver against the forward rate, and the
// volume against a day-by-day integral of the rate and its inversion (edge
// values, the normalisation, failures and hostile input: the library's
// argument table).
#include "QRVPFuncs.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qrvp::test;

const Date kJan2020 = D(2020, 1, 1), kJan2021 = D(2021, 1, 1);

TEST(LinTimRoundTrip, SolversThenRateGiveBackTheSegment)
{
    // Falling, rising, short, long, and with times of day.
    const struct {
        Date start, end;
        double Qi, Qf;
    } segments[] = {{kJan2021, D(2022, 1, 1, 6), 100.0, 90.0},
                    {D(2000, 2, 29, 13, 5, 7), D(2031, 7, 15, 1, 2, 3), 5000.0, 12.5},
                    {D(1999, 12, 31, 23, 59, 59), D(2000, 1, 1), 3.0, 2.0},
                    {D(1800, 1, 1), D(2999, 12, 31, 23, 59, 59), 1e6, 0.25},
                    {D(2024, 3, 1), D(2026, 9, 1, 12), 40.0, 75.0}};
    for (const auto& s : segments) {
        SCOPED_TRACE(s.Qi);
        const double years = s.end.DaySpan(s.start) / 365.25;
        double di = kNaN, v = kNaN;
        ASSERT_EQ(GetLinTimDi(s.end, s.start, s.Qi, s.Qf, &di), 0);
        ASSERT_EQ(GetLinTimQt(s.end, s.start, s.Qi, di, &v), 0);
        EXPECT_NEAR(v, s.Qf, 1e-9 * s.Qi);
        ASSERT_EQ(GetLinTimQi(s.end, s.start, s.Qf, di, &v), 0);
        EXPECT_NEAR(v, s.Qi, 1e-9 * s.Qi);
        ASSERT_EQ(GetLinTimYears(s.Qi, s.Qf, di, &v), 0);
        EXPECT_NEAR(v, years, 1e-9 * years);
    }
}

TEST(LinTimVol, MatchesTheIntegralOfTheRateAndInverts)
{
    const struct {
        Date start;
        int32_t days;
        double Qi, Di;
    } cases[] = {{kJan2021, 365, 100.0, 10.0}, {D(2000, 2, 28, 6, 30), 1461, 2500.0, 400.0},
                 {D(1850, 6, 15), 30, 1.5, 0.75}, {D(2024, 12, 31, 23), 4000, 80.0, -3.0}};
    for (const auto& c : cases) {
        // 12 times the integral of the rate over years, by the trapezoid on
        // whole days (exact for a straight line).
        double integral = 0, q0 = kNaN, q1 = kNaN, vol = kNaN, years = kNaN;
        Date end = c.start;
        ASSERT_EQ(GetLinTimQt(end, c.start, c.Qi, c.Di, &q0), 0);
        for (int32_t i = 0; i < c.days; ++i, q0 = q1) {
            end.AddDays(1);
            ASSERT_EQ(GetLinTimQt(end, c.start, c.Qi, c.Di, &q1), 0);
            integral += 12 * (q0 + q1) / 2 / 365.25;
        }
        ASSERT_EQ(GetLinTimVol(c.start, end, c.Qi, q1, &vol), 0);
        EXPECT_NEAR(vol, integral, 1e-9 * vol);
        ASSERT_EQ(GetLinTimYearsVol(c.Qi, vol, -12 * c.Di, &years), 0);
        EXPECT_NEAR(years, c.days / 365.25, 1e-9 * years);
    }
}

}  // namespace
