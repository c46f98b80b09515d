// Linear-with-time decline: each solver against the forward rate, the volume
// against a day-by-day integral of the rate and its inversion, edge values,
// failures that leave the result alone, the normalisation of a segment, and
// hostile doubles and dates through every function of the family.
#include "QRVPFuncs.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace qrvp::test;

constexpr double kSentinel = -12345.0;
const Date kJan2020(2020, 1, 1, 0, 0, 0);
const Date kJan2021(2021, 1, 1, 0, 0, 0);

struct Segment {
    Date start;
    Date end;
    double Qi;
    double Qf;
};

// Falling, rising, short, long, and with times of day.
const Segment kSegments[] = {
    {D(2021, 1, 1), D(2022, 1, 1, 6), 100.0, 90.0},
    {D(2000, 2, 29, 13, 5, 7), D(2031, 7, 15, 1, 2, 3), 5000.0, 12.5},
    {D(1999, 12, 31, 23, 59, 59), D(2000, 1, 1), 3.0, 2.0},
    {D(1800, 1, 1), D(2999, 12, 31, 23, 59, 59), 1e6, 0.25},
    {D(2024, 3, 1), D(2026, 9, 1, 12), 40.0, 75.0},
};

TEST(LinTimRoundTrip, SolversThenRateGiveBackTheSegment)
{
    for (const Segment& s : kSegments) {
        SCOPED_TRACE(s.Qi);
        const double years = s.end.DaySpan(s.start) / 365.25;
        double di = kSentinel, qt = kSentinel, qi = kSentinel, t = kSentinel;
        ASSERT_EQ(GetLinTimDi(s.end, s.start, s.Qi, s.Qf, &di), 0);
        ASSERT_EQ(GetLinTimQt(s.end, s.start, s.Qi, di, &qt), 0);
        EXPECT_NEAR(qt, s.Qf, 1e-9 * s.Qi);
        ASSERT_EQ(GetLinTimQi(s.end, s.start, s.Qf, di, &qi), 0);
        EXPECT_NEAR(qi, s.Qi, 1e-9 * s.Qi);
        ASSERT_EQ(GetLinTimYears(s.Qi, s.Qf, di, &t), 0);
        EXPECT_NEAR(t, years, 1e-9 * years);
    }
}

TEST(LinTim, EdgeValues)
{
    const OneResultCall rows[] = {
        {"Qt at the start", [](double* v) { return GetLinTimQt(kJan2021, kJan2021, 100.0, 10.0, v); }, 100.0},
        {"Qt a year on", [](double* v) { return GetLinTimQt(D(2022, 1, 1, 6), kJan2021, 100.0, 10.0, v); }, 90.0},
        // No date validity is tested.
        {"Qt of null dates", [](double* v) { return GetLinTimQt(Date(), Date(), 7.0, 1.0, v); }, 7.0},
        // Equal rates give zero before any check.
        {"Di equal rates", [](double* v) { return GetLinTimDi(Date(), kJan2020, -5.0, -5.0, v); }, 0.0},
        // Qi below Qf with a positive decline: a negative duration, no error.
        {"Years negative", [](double* v) { return GetLinTimYears(90.0, 100.0, 10.0, v); }, -1.0},
        {"Vol flat hundred", [](double* v) { return GetLinTimVol(kJan2021, D(2022, 1, 1, 6), 100, 100, v); }, 1200.0},
        {"YearsVol one year", [](double* v) { return GetLinTimYearsVol(100.0, 1140.0, -120.0, v); }, 1.0},
        // The volume a rate falling from 100 at 120 a year ever gives is 6000.
        {"YearsVol all of it", [](double* v) { return GetLinTimYearsVol(100.0, 6000.0, -120.0, v); }, 10.0},
        // No initial rate, a rising one: 60 t^2 = 600.
        {"YearsVol from zero", [](double* v) { return GetLinTimYearsVol(0.0, 600.0, 120.0, v); }, std::sqrt(10.0)},
        // No decline: the flat-rate time.
        {"YearsVol flat", [](double* v) { return GetLinTimYearsVol(100.0, 2400.0, 0.0, v); }, 2.0},
        {"YearsVol nearly flat", [](double* v) { return GetLinTimYearsVol(100.0, 2400.0, -5e-12, v); }, 2.0},
    };
    for (const OneResultCall& r : rows) {
        ExpectValue(r);
    }
    // The rate may go below zero.
    double qt = kSentinel;
    ASSERT_EQ(GetLinTimQt(D(2031, 1, 1), kJan2021, 100.0, 50.0, &qt), 0);
    EXPECT_LT(qt, 0.0);
}

struct VolumeCase {
    Date start;
    int32_t days;
    double Qi;
    double Di;
};

// 12 times the integral of the rate over years, by the trapezoid on whole days
// (exact for a straight line), with the rates read from GetLinTimQt.
double IntegralOfRate(const VolumeCase& c)
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

TEST(LinTimVol, MatchesTheIntegralOfTheRateAndInverts)
{
    const VolumeCase cases[] = {
        {D(2021, 1, 1), 365, 100.0, 10.0},
        {D(2000, 2, 28, 6, 30), 1461, 2500.0, 400.0},
        {D(1850, 6, 15), 30, 1.5, 0.75},
        {D(2024, 12, 31, 23), 4000, 80.0, -3.0},
    };
    for (const VolumeCase& c : cases) {
        Date end = c.start;
        end.AddDays(c.days);
        double qf = 0, vol = -1, years = -1;
        ASSERT_EQ(GetLinTimQt(end, c.start, c.Qi, c.Di, &qf), 0);
        ASSERT_EQ(GetLinTimVol(c.start, end, c.Qi, qf, &vol), 0);
        EXPECT_NEAR(vol, IntegralOfRate(c), 1e-9 * vol);
        ASSERT_EQ(GetLinTimYearsVol(c.Qi, vol, -12 * c.Di, &years), 0);
        EXPECT_NEAR(years, c.days / 365.25, 1e-9 * years);
    }
}

// More failures, each with its record, are in lintime_log_lines_test.cpp.
const OneResultCall kFailures[] = {
    {"Qi zero Qf", [](double* r) { return GetLinTimQi(kJan2021, kJan2020, 0, 10, r); }},
    {"Di zero Qi", [](double* r) { return GetLinTimDi(kJan2021, kJan2020, 0, 10, r); }},
    {"Di null date", [](double* r) { return GetLinTimDi(Date(), kJan2020, 20, 10, r); }},
    {"Di end before start", [](double* r) { return GetLinTimDi(kJan2020, kJan2021, 20, 10, r); }},
    {"Di no time, over-long day", [](double* r) { return GetLinTimDi(D(2021, 3, 3), D(2021, 2, 31), 20, 10, r); }},
    {"Years zero decline", [](double* r) { return GetLinTimYears(100, 90, 5e-12, r); }},
    {"Vol end before start", [](double* r) { return GetLinTimVol(kJan2021, kJan2020, 10, 10, r); }},
    {"Vol zero rate", [](double* r) { return GetLinTimVol(kJan2020, kJan2021, 10, 0, r); }},
    {"YearsVol zero Vol", [](double* r) { return GetLinTimYearsVol(100, 0, -12, r); }},
    {"YearsVol beyond the decline", [](double* r) { return GetLinTimYearsVol(100, 6000.001, -120, r); }},
    {"YearsVol flat rate, no finite time", [](double* r) { return GetLinTimYearsVol(1e-10, 1e308, 0, r); }},
};

TEST(LinTimFailure, ReturnsMinusOneAndLeavesTheResult)
{
    for (const OneResultCall& f : kFailures) {
        ExpectFailureLeavesResult(f);
    }
}

// ValidateLinTime ----------------------------------------------------------

struct Normalised {
    double Qi, Di, Qf;
    Date end;
};

Normalised Validate(Normalised n, int32_t expectStatus)
{
    EXPECT_EQ(ValidateLinTime(kJan2021, &n.Qi, &n.Di, &n.Qf, &n.end), expectStatus);
    return n;
}

Date After(Date d, double days)
{
    d.AddFracDay(days);
    return d;
}

TEST(ValidateLinTime, Normalises)
{
    const Date end = After(kJan2021, 730.5);
    const struct {
        const char* what;
        Normalised in, out;
    } cases[] = {
        {"end date from the duration", {100, 10, 90, Date()}, {100, 10, 90, D(2022, 1, 1, 6)}},
        // Qf above Qi with a falling decline puts the end before the start.
        {"end before the start", {90, 10, 100, Date()}, {90, 10, 100, D(2020, 1, 1, 18)}},
        // A negative end rate takes the rate at EndDate...
        {"negative Qf", {100, 10, -5, end}, {100, 10, 80, end}},
        // ...floored, with the end date moved to the floor.
        {"floored Qf", {100, 60, -5, end}, {100, 60, 1e-6, After(kJan2021, (100 - 1e-6) / 60 * 365.25)}},
        {"zero rates", {5e-12, 3, -5e-12, kJan2020}, {0, 0, 0, kJan2020}},
        {"no decline", {50, 0, 20, kJan2020}, {50, 0, 50, kJan2020}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Normalised n = Validate(c.in, 0);
        EXPECT_EQ(n.Qi, c.out.Qi);
        EXPECT_EQ(n.Di, c.out.Di);
        EXPECT_DOUBLE_EQ(n.Qf, c.out.Qf);
        EXPECT_EQ(n.end, c.out.end);
    }
    // The floored end date gives back the floor, within the one second it is cut to.
    double qt = kSentinel;
    ASSERT_EQ(GetLinTimQt(Validate({100, 60, -5, end}, 0).end, kJan2021, 100, 60, &qt), 0);
    EXPECT_NEAR(qt, 1e-6, 1.01 * 60.0 / 365.25 / 86400);
}

TEST(ValidateLinTime, Refusals)
{
    // Refusals change nothing: negative Qi; negative Qf with no usable EndDate
    // (null, at or before the start); a duration that is not a number of days.
    const Normalised refused[] = {
        {-1, 10, 5, kJan2020},   {100, 10, -5, Date()},  {100, 10, -5, kJan2021},
        {100, 10, -5, kJan2020}, {std::numeric_limits<double>::infinity(), 10, 5, kJan2020},
        {1e300, 1e-10, 5, kJan2020},
    };
    for (const Normalised& r : refused) {
        const Normalised n = Validate(r, -1);
        EXPECT_EQ(n.Qi, r.Qi);
        EXPECT_EQ(n.Di, r.Di);
        EXPECT_EQ(n.Qf, r.Qf);
        EXPECT_EQ(n.end, r.end);
    }
    // NaN decline with a negative Qf: the floor is written, no date is.
    const Date end = After(kJan2021, 100);
    const Normalised n = Validate({100, std::nan(""), -5, end}, -1);
    EXPECT_EQ(n.Qf, 1e-6);
    EXPECT_EQ(n.end, end);

    double d = 1;
    Date e;
    EXPECT_EQ(ValidateLinTime(kJan2021, nullptr, &d, &d, &e), -1);
    EXPECT_EQ(ValidateLinTime(kJan2021, &d, &d, &d, nullptr), -1);
    EXPECT_EQ(d, 1.0);
}

// No crash, no undefined behaviour and only the two statuses, whatever the
// doubles and dates; the sanitizer build is what makes this a real check.
TEST(LinTimHostile, EveryFunctionSurvivesEveryDouble)
{
    const std::vector<double> values = HostileDoubles({0.0, -0.0, 1e-12, 100.0, -100.0});
    const std::vector<Date> dates = HostileDates();
    ForEachCombination(2, values, [&](const std::vector<double>& v) {
        double out = 0;
        for (const Date& d : dates) {
            EXPECT_TRUE(IsStatus(GetLinTimQt(d, kJan2021, v[0], v[1], &out)));
            EXPECT_TRUE(IsStatus(GetLinTimQi(d, kJan2021, v[0], v[1], &out)));
            EXPECT_TRUE(IsStatus(GetLinTimDi(d, kJan2021, v[0], v[1], &out)));
            EXPECT_TRUE(IsStatus(GetLinTimVol(kJan2021, d, v[0], v[1], &out)));
        }
    });
    ForEachCombination(3, values, [&](const std::vector<double>& v) {
        double out = 0;
        EXPECT_TRUE(IsStatus(GetLinTimYears(v[0], v[1], v[2], &out)));
        EXPECT_TRUE(IsStatus(GetLinTimYearsVol(v[0], v[1], v[2], &out)));
        for (const Date& d : dates) {
            double qi = v[0], di = v[1], qf = v[2];
            Date end = d;
            EXPECT_TRUE(IsStatus(ValidateLinTime(kJan2021, &qi, &di, &qf, &end)));
            EXPECT_GE(end.year, 1u);
        }
    });
}

}  // namespace
