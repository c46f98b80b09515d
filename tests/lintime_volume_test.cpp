// Linear-with-time volumes: GetLinTimVol against a day-by-day integral of the
// rate that GetLinTimQt gives, GetLinTimYearsVol against GetLinTimVol, and
// hostile doubles through every function of the family.
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Case {
    Date start;
    int32_t days;
    double Qi;
    double Di;
};

const Case kCases[] = {
    {Date(2021, 1, 1, 0, 0, 0), 365, 100.0, 10.0},
    {Date(2000, 2, 28, 6, 30, 0), 1461, 2500.0, 400.0},
    {Date(1850, 6, 15, 0, 0, 0), 30, 1.5, 0.75},
    {Date(2024, 12, 31, 23, 0, 0), 4000, 80.0, -3.0},
};

// 12 times the integral of the rate over years, by the trapezoid on whole days
// (exact for a straight line), with the rates read from GetLinTimQt.
double IntegralOfRate(const Case& c)
{
    double sum = 0;
    Date d = c.start;
    double q0 = 0;
    EXPECT_EQ(GetLinTimQt(d, c.start, c.Qi, c.Di, &q0), 0);
    for (int32_t i = 0; i < c.days; ++i) {
        d.AddDays(1);
        double q1 = 0;
        EXPECT_EQ(GetLinTimQt(d, c.start, c.Qi, c.Di, &q1), 0);
        sum += 12 * (q0 + q1) / 2 / 365.25;
        q0 = q1;
    }
    return sum;
}

Date EndOf(const Case& c)
{
    Date d = c.start;
    d.AddDays(c.days);
    return d;
}

TEST(LinTimVol, MatchesTheIntegralOfTheRate)
{
    for (const Case& c : kCases) {
        const Date end = EndOf(c);
        double qf = 0;
        ASSERT_EQ(GetLinTimQt(end, c.start, c.Qi, c.Di, &qf), 0);
        double vol = -1;
        ASSERT_EQ(GetLinTimVol(c.start, end, c.Qi, qf, &vol), 0);
        EXPECT_NEAR(vol, IntegralOfRate(c), 1e-9 * vol);
    }
}

TEST(LinTimVol, OneYearAtAFlatHundred)
{
    double vol = -1;
    ASSERT_EQ(GetLinTimVol(Date(2021, 1, 1, 0, 0, 0), Date(2022, 1, 1, 6, 0, 0), 100, 100, &vol), 0);
    EXPECT_EQ(vol, 1200.0);
}

TEST(LinTimYearsVol, InvertsTheVolume)
{
    for (const Case& c : kCases) {
        const Date end = EndOf(c);
        double qf = 0;
        double vol = 0;
        ASSERT_EQ(GetLinTimQt(end, c.start, c.Qi, c.Di, &qf), 0);
        ASSERT_EQ(GetLinTimVol(c.start, end, c.Qi, qf, &vol), 0);
        double years = -1;
        ASSERT_EQ(GetLinTimYearsVol(c.Qi, vol, -12 * c.Di, &years), 0);
        EXPECT_NEAR(years, c.days / 365.25, 1e-9 * years);
    }
}

// No crash, no undefined behaviour and only the two statuses, whatever the
// doubles; the sanitizer build is what makes this a real check.
TEST(LinTimHostile, EveryFunctionSurvivesEveryDouble)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {nan, inf, -inf, 1e308, -1e308, 5e-324, -0.0, 0.0, 1e-12, 1.0, 100.0, -100.0};
    const Date dates[] = {Date(2021, 1, 1, 0, 0, 0), Date(2999, 12, 31, 23, 59, 59), Date()};
    const auto status = [](int32_t s) { return s == 0 || s == -1; };
    for (double a : values) {
        for (double b : values) {
            double out = 0;
            for (const Date& d : dates) {
                EXPECT_TRUE(status(GetLinTimQt(d, dates[0], a, b, &out)));
                EXPECT_TRUE(status(GetLinTimQi(d, dates[0], a, b, &out)));
                EXPECT_TRUE(status(GetLinTimDi(d, dates[0], a, b, &out)));
                EXPECT_TRUE(status(GetLinTimVol(dates[0], d, a, b, &out)));
            }
            for (double c : values) {
                EXPECT_TRUE(status(GetLinTimYears(a, b, c, &out)));
                EXPECT_TRUE(status(GetLinTimYearsVol(a, b, c, &out)));
                for (const Date& d : dates) {
                    double qi = a;
                    double di = b;
                    double qf = c;
                    Date end = d;
                    EXPECT_TRUE(status(ValidateLinTime(dates[0], &qi, &di, &qf, &end)));
                    EXPECT_GE(end.year, 1u);
                }
            }
        }
    }
}

}  // namespace
