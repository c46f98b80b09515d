// Linear-with-time decline: each solver against the forward rate, the volume
// against a day-by-day integral of the rate and its inversion, edge values and
// the normalisation of a segment (failures and hostile input: the library's
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

struct Normalised {
    double Qi, Di, Qf;
    Date end;
};

Date After(Date d, double days)
{
    d.AddFracDay(days);
    return d;
}

TEST(ValidateLinTime, NormalisesOrRefusesWithNothingChanged)
{
    const Date end = After(kJan2021, 730.5);
    const Date floored = After(kJan2021, (100 - 1e-6) / 60 * 365.25);
    // The end date from the duration (before the start when Qf lies above Qi
    // on a falling decline); a negative end rate takes the rate at EndDate,
    // floored, with the end date moved to the floor; zero rates; no decline.
    const Normalised cases[][2] = {
        {{100, 10, 90, Date()}, {100, 10, 90, D(2022, 1, 1, 6)}}, {{90, 10, 100, Date()}, {90, 10, 100, D(2020, 1, 1, 18)}},
        {{100, 10, -5, end}, {100, 10, 80, end}},                 {{100, 60, -5, end}, {100, 60, 1e-6, floored}},
        {{5e-12, 3, -5e-12, kJan2020}, {0, 0, 0, kJan2020}},      {{50, 0, 20, kJan2020}, {50, 0, 50, kJan2020}},
    };
    LogCapture log;
    for (const auto& c : cases) {
        Normalised n = c[0];
        EXPECT_EQ(ValidateLinTime(kJan2021, &n.Qi, &n.Di, &n.Qf, &n.end), 0) << c[0].Qi << " " << c[0].Qf;
        EXPECT_EQ(n.Qi, c[1].Qi);
        EXPECT_EQ(n.Di, c[1].Di);
        EXPECT_DOUBLE_EQ(n.Qf, c[1].Qf);
        EXPECT_EQ(n.end, c[1].end);
    }
    // NaN decline with a negative Qf: the floor is written, no date is.
    Normalised n = {100, kNaN, -5, end};
    EXPECT_EQ(ValidateLinTime(kJan2021, &n.Qi, &n.Di, &n.Qf, &n.end), -1);
    EXPECT_EQ(n.Qf, 1e-6);
    EXPECT_EQ(n.end, end);
    // It writes nothing of its own: only the record of the duration it asks
    // for with each negative Qf (three of them above; its refusals: the
    // library's argument table).
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& l : lines) {
        ExpectRecord(l, {"GetLinTimYears", "Invalid Qi (100.000000) or Qf (-5.000000).", "decline/lintime/lin_time.cpp"});
    }
}

}  // namespace
