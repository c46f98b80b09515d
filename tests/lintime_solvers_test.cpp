// Linear-with-time decline: each solver against the forward rate, the
// documented edge values, failures that leave the result alone, and the
// normalisation of a segment.
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kSentinel = -12345.0;

struct Segment {
    Date start;
    Date end;
    double Qi;
    double Qf;
};

// Falling, rising, short, long, and with times of day.
const Segment kSegments[] = {
    {Date(2021, 1, 1, 0, 0, 0), Date(2022, 1, 1, 6, 0, 0), 100.0, 90.0},
    {Date(2000, 2, 29, 13, 5, 7), Date(2031, 7, 15, 1, 2, 3), 5000.0, 12.5},
    {Date(1999, 12, 31, 23, 59, 59), Date(2000, 1, 1, 0, 0, 0), 3.0, 2.0},
    {Date(1800, 1, 1, 0, 0, 0), Date(2999, 12, 31, 23, 59, 59), 1e6, 0.25},
    {Date(2024, 3, 1, 0, 0, 0), Date(2026, 9, 1, 12, 0, 0), 40.0, 75.0},
};

double Years(const Segment& s) { return s.end.DaySpan(s.start) / 365.25; }

TEST(LinTimRoundTrip, DeclineThenRateGivesTheEndRate)
{
    for (const Segment& s : kSegments) {
        double di = kSentinel;
        ASSERT_EQ(GetLinTimDi(s.end, s.start, s.Qi, s.Qf, &di), 0);
        EXPECT_NEAR(di, (s.Qi - s.Qf) / Years(s), 1e-12 * std::fabs(di));
        double qt = kSentinel;
        ASSERT_EQ(GetLinTimQt(s.end, s.start, s.Qi, di, &qt), 0);
        EXPECT_NEAR(qt, s.Qf, 1e-9 * s.Qi);
    }
}

TEST(LinTimRoundTrip, InitialRateThenRateGivesTheEndRate)
{
    for (const Segment& s : kSegments) {
        const double di = (s.Qi - s.Qf) / Years(s);
        double qi = kSentinel;
        ASSERT_EQ(GetLinTimQi(s.end, s.start, s.Qf, di, &qi), 0);
        EXPECT_NEAR(qi, s.Qi, 1e-9 * s.Qi);
        double qt = kSentinel;
        ASSERT_EQ(GetLinTimQt(s.end, s.start, qi, di, &qt), 0);
        EXPECT_NEAR(qt, s.Qf, 1e-9 * s.Qi);
    }
}

TEST(LinTimRoundTrip, DurationMatchesTheDates)
{
    for (const Segment& s : kSegments) {
        double di = 0;
        ASSERT_EQ(GetLinTimDi(s.end, s.start, s.Qi, s.Qf, &di), 0);
        double years = kSentinel;
        ASSERT_EQ(GetLinTimYears(s.Qi, s.Qf, di, &years), 0);
        EXPECT_NEAR(years, Years(s), 1e-9 * Years(s));
    }
}

TEST(LinTimQt, EdgeValues)
{
    const Date start(2021, 1, 1, 0, 0, 0);
    double qt = kSentinel;
    ASSERT_EQ(GetLinTimQt(start, start, 100.0, 10.0, &qt), 0);
    EXPECT_EQ(qt, 100.0);
    ASSERT_EQ(GetLinTimQt(Date(2022, 1, 1, 6, 0, 0), start, 100.0, 10.0, &qt), 0);
    EXPECT_EQ(qt, 90.0);
    // The rate may go below zero, and no date validity is tested.
    ASSERT_EQ(GetLinTimQt(Date(2031, 1, 1, 0, 0, 0), start, 100.0, 50.0, &qt), 0);
    EXPECT_LT(qt, 0.0);
    Date null;
    ASSERT_EQ(GetLinTimQt(null, null, 7.0, 1.0, &qt), 0);
    EXPECT_EQ(qt, 7.0);
}

TEST(LinTimDi, EqualRatesGiveZeroBeforeAnyCheck)
{
    double di = kSentinel;
    ASSERT_EQ(GetLinTimDi(Date(), Date(2020, 1, 1, 0, 0, 0), -5.0, -5.0, &di), 0);
    EXPECT_EQ(di, 0.0);
}

TEST(LinTimYears, EdgeValues)
{
    double years = kSentinel;
    // Qi below Qf with a positive decline: a negative duration, no error.
    ASSERT_EQ(GetLinTimYears(90.0, 100.0, 10.0, &years), 0);
    EXPECT_EQ(years, -1.0);
}

struct Failure {
    const char* what;
    int32_t (*call)(double*);
};

const Date kJan2020(2020, 1, 1, 0, 0, 0);
const Date kJan2021(2021, 1, 1, 0, 0, 0);

const Failure kFailures[] = {
    {"Qt before start", [](double* r) { return GetLinTimQt(kJan2020, kJan2021, 100, 10, r); }},
    {"Qi zero Qf", [](double* r) { return GetLinTimQi(kJan2021, kJan2020, 0, 10, r); }},
    {"Qi null date", [](double* r) { return GetLinTimQi(kJan2021, Date(), 50, 10, r); }},
    {"Qi end before start", [](double* r) { return GetLinTimQi(kJan2020, kJan2021, 50, 10, r); }},
    {"Di zero Qi", [](double* r) { return GetLinTimDi(kJan2021, kJan2020, 0, 10, r); }},
    {"Di null date", [](double* r) { return GetLinTimDi(Date(), kJan2020, 20, 10, r); }},
    {"Di end before start", [](double* r) { return GetLinTimDi(kJan2020, kJan2021, 20, 10, r); }},
    {"Di no time", [](double* r) { return GetLinTimDi(kJan2020, kJan2020, 20, 10, r); }},
    {"Di no time, over-long day", [](double* r) {
         return GetLinTimDi(Date(2021, 3, 3, 0, 0, 0), Date(2021, 2, 31, 0, 0, 0), 20, 10, r);
     }},
    {"Years zero decline", [](double* r) { return GetLinTimYears(100, 90, 5e-12, r); }},
    {"Years equal rates", [](double* r) { return GetLinTimYears(100, 100, 10, r); }},
    {"Years negative Qf", [](double* r) { return GetLinTimYears(100, -1, 10, r); }},
    {"Vol null date", [](double* r) { return GetLinTimVol(kJan2020, Date(), 10, 10, r); }},
    {"Vol end before start", [](double* r) { return GetLinTimVol(kJan2021, kJan2020, 10, 10, r); }},
    {"Vol zero rate", [](double* r) { return GetLinTimVol(kJan2020, kJan2021, 10, 0, r); }},
    {"YearsVol negative Qi", [](double* r) { return GetLinTimYearsVol(-1, 100, -12, r); }},
    {"YearsVol zero Vol", [](double* r) { return GetLinTimYearsVol(100, 0, -12, r); }},
    {"YearsVol beyond the decline", [](double* r) { return GetLinTimYearsVol(100, 6000.001, -120, r); }},
    {"YearsVol no rate, no decline", [](double* r) { return GetLinTimYearsVol(0, 100, 0, r); }},
    {"YearsVol flat rate, no finite time", [](double* r) { return GetLinTimYearsVol(1e-10, 1e308, 0, r); }},
};

TEST(LinTimFailure, ReturnsMinusOneAndLeavesTheResult)
{
    for (const Failure& f : kFailures) {
        double out = kSentinel;
        EXPECT_EQ(f.call(&out), -1) << f.what;
        EXPECT_EQ(out, kSentinel) << f.what;
        EXPECT_EQ(f.call(nullptr), -1) << f.what;
    }
}

TEST(LinTimYearsVol, EdgeValues)
{
    double years = kSentinel;
    ASSERT_EQ(GetLinTimYearsVol(100.0, 1140.0, -120.0, &years), 0);
    EXPECT_EQ(years, 1.0);
    // The volume a rate falling from 100 at 120 a year ever gives is 6000.
    ASSERT_EQ(GetLinTimYearsVol(100.0, 6000.0, -120.0, &years), 0);
    EXPECT_DOUBLE_EQ(years, 10.0);
    // No initial rate, a rising one: 60 t^2 = 600.
    ASSERT_EQ(GetLinTimYearsVol(0.0, 600.0, 120.0, &years), 0);
    EXPECT_DOUBLE_EQ(years, std::sqrt(10.0));
    // No decline: the flat-rate time.
    ASSERT_EQ(GetLinTimYearsVol(100.0, 2400.0, 0.0, &years), 0);
    EXPECT_EQ(years, 2.0);
    ASSERT_EQ(GetLinTimYearsVol(100.0, 2400.0, -5e-12, &years), 0);
    EXPECT_EQ(years, 2.0);
}

// ValidateLinTime ----------------------------------------------------------

struct Normalised {
    double Qi, Di, Qf;
    Date end;
};

Normalised Validate(double qi, double di, double qf, Date end, int32_t expectStatus, const Date& start = kJan2021)
{
    Normalised n{qi, di, qf, end};
    EXPECT_EQ(ValidateLinTime(start, &n.Qi, &n.Di, &n.Qf, &n.end), expectStatus);
    return n;
}

Date After(Date d, double days)
{
    d.AddFracDay(days);
    return d;
}

TEST(ValidateLinTime, EndDateFromTheDuration)
{
    const Normalised n = Validate(100, 10, 90, Date(), 0);
    EXPECT_EQ(n.end, Date(2022, 1, 1, 6, 0, 0));
    EXPECT_EQ(n.Qf, 90.0);
    EXPECT_EQ(n.Di, 10.0);
    // Qf above Qi with a falling decline puts the end before the start.
    EXPECT_EQ(Validate(90, 10, 100, Date(), 0).end, Date(2020, 1, 1, 18, 0, 0));
}

TEST(ValidateLinTime, NegativeEndRateTakesTheRateAtEndDate)
{
    const Date end = After(kJan2021, 730.5);
    const Normalised kept = Validate(100, 10, -5, end, 0);
    EXPECT_DOUBLE_EQ(kept.Qf, 80.0);
    EXPECT_EQ(kept.end, end);
    EXPECT_EQ(kept.Di, 10.0);

    const Normalised floored = Validate(100, 60, -5, end, 0);
    EXPECT_EQ(floored.Qf, 1e-6);
    EXPECT_EQ(floored.end, After(kJan2021, (100 - 1e-6) / 60 * 365.25));
    double qt = kSentinel;
    ASSERT_EQ(GetLinTimQt(floored.end, kJan2021, 100, 60, &qt), 0);
    // Within the one second the end date is cut to.
    EXPECT_NEAR(qt, 1e-6, 1.01 * 60.0 / 365.25 / 86400);
}

TEST(ValidateLinTime, SettledCasesAndRefusals)
{
    const Normalised zero = Validate(5e-12, 3, -5e-12, kJan2020, 0);
    EXPECT_EQ(zero.Qi, 0.0);
    EXPECT_EQ(zero.Di, 0.0);
    EXPECT_EQ(zero.Qf, 0.0);
    const Normalised flat = Validate(50, 0, 20, kJan2020, 0);
    EXPECT_EQ(flat.Qf, 50.0);
    EXPECT_EQ(flat.Di, 0.0);
    EXPECT_EQ(flat.end, kJan2020);

    // Refusals change nothing: negative Qi; negative Qf with no usable EndDate
    // (null, at or before the start); a duration that is not a number of days.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Normalised refused[] = {
        {-1, 10, 5, kJan2020}, {100, 10, -5, Date()},       {100, 10, -5, kJan2021},
        {100, 10, -5, kJan2020}, {inf, 10, 5, kJan2020},   {1e300, 1e-10, 5, kJan2020},
    };
    for (const Normalised& r : refused) {
        const Normalised n = Validate(r.Qi, r.Di, r.Qf, r.end, -1);
        EXPECT_EQ(n.Qi, r.Qi);
        EXPECT_EQ(n.Di, r.Di);
        EXPECT_EQ(n.Qf, r.Qf);
        EXPECT_EQ(n.end, r.end);
    }
    // NaN decline with a negative Qf: the floor is written, no date is.
    const Date end = After(kJan2021, 100);
    const Normalised n = Validate(100, nan, -5, end, -1);
    EXPECT_EQ(n.Qf, 1e-6);
    EXPECT_EQ(n.end, end);

    double d = 1;
    Date e;
    EXPECT_EQ(ValidateLinTime(kJan2021, nullptr, &d, &d, &e), -1);
    EXPECT_EQ(ValidateLinTime(kJan2021, &d, &d, &d, nullptr), -1);
    EXPECT_EQ(d, 1.0);
}

}  // namespace
