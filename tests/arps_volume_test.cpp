// Arps volumes checked against a numerical integral of the rate, the
// inversions against the volumes, the log records, and hostile input.
#include "decline/arps/arps_volume.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace {

using namespace qrvp::test;

// 12 times the integral of the rate over years, by Simpson's rule on
// six-hour steps (whole seconds, so the dates are exact).
double IntegratedVolume(Date start, Date end, double Qi, double Di, double b, double Dmin)
{
    const double days = end.DaySpan(start);
    const int steps = static_cast<int>(days * 4.0);
    double sum = 0.0;
    for (int i = 0; i <= steps; ++i) {
        Date at = start;
        at.AddFracDay(i * 0.25);
        const double weight = (i == 0 || i == steps) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
        sum += weight * ArpsRate(at, start, Qi, Di, b, Dmin);
    }
    return 12.0 * (sum * 0.25 / 3.0) / 365.25;
}

struct VolumeCase {
    const char* name;
    double Qi, Di, b, Dmin;
    Date start, end;
    double expected;  // NaN when only the integral is known
};

const double kNone = std::numeric_limits<double>::quiet_NaN();

std::array<VolumeCase, 13> Cases()
{
    return {{
        {"exponential", 100, 0.5, 0, 0, D(2020, 1, 1), D(2021, 1, 1), 945.820181},
        {"exponential incline", 100, -0.3, 0, 0, D(2020, 1, 1), D(2025, 1, 1), kNone},
        {"hyperbolic", 1000, 1.0, 0.5, 0, D(2000, 1, 1), D(2002, 1, 1), 12004.105371},
        {"harmonic", 1000, 1.0, 1.0, 0, D(2000, 1, 1), D(2010, 1, 1), kNone},
        {"b above one", 500, 2.0, 1.5, 0, D(2000, 1, 1), D(2020, 1, 1), kNone},
        {"harmonic, switch inside", 1000, 1.0, 1.0, 0.1, D(2000, 1, 1), D(2010, 1, 1), 28774.458384},
        {"switch after the interval", 1000, 1.0, 1.0, 0.1, D(2000, 1, 1), D(2005, 1, 1), kNone},
        {"Dmin not below Di: exponential", 1000, 0.3, 0.5, 0.4, D(2000, 1, 1), D(2010, 1, 1), kNone},
        {"switch just after the start", 1000, 0.3, 0.5, 0.29, D(2000, 1, 1), D(2010, 1, 1), kNone},
        {"b above one, switch inside", 500, 2.0, 1.5, 0.08, D(2000, 1, 1), D(2030, 1, 1), kNone},
        {"hyperbolic incline", 100, -0.4, -0.5, 0, D(2000, 1, 1), D(2010, 1, 1), kNone},
        {"hyperbolic incline, switch inside", 100, -0.4, -0.5, -0.1, D(2000, 1, 1), D(2030, 1, 1), kNone},
        {"incline on a decline exponent", 100, -0.3, 0.5, 0.1, D(2000, 1, 1), D(2005, 1, 1), kNone},
    }};
}

TEST(ArpsVolume, BothVolumesMatchTheIntegralOfTheRate)
{
    for (const VolumeCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const double integral = IntegratedVolume(c.start, c.end, c.Qi, c.Di, c.b, c.Dmin);
        const double qf = ArpsRate(c.end, c.start, c.Qi, c.Di, c.b, c.Dmin);
        double vol2 = kNone;
        double vol = kNone;
        ASSERT_EQ(GetArpsVol2(c.start, c.end, c.Qi, c.Di, c.b, c.Dmin, &vol2), 0);
        ASSERT_EQ(GetArpsVol(c.start, c.end, c.Qi, qf, c.Di, c.b, c.Dmin, &vol), 0);
        EXPECT_NEAR(vol2, integral, 1e-8 * std::fabs(integral));
        EXPECT_NEAR(vol, integral, 1e-8 * std::fabs(integral));
        if (!std::isnan(c.expected)) {
            EXPECT_NEAR(vol2, c.expected, 1e-6);
            EXPECT_NEAR(vol, c.expected, 1e-6);
        }
    }
}

TEST(ArpsVolume, InversionsGiveBackDurationRateAndDecline)
{
    LogCapture log;  // the decline search meets unsolvable trials on its way
    for (const VolumeCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        double vol = kNone;
        ASSERT_EQ(GetArpsVol2(c.start, c.end, c.Qi, c.Di, c.b, c.Dmin, &vol), 0);
        const double years = c.end.DaySpan(c.start) / 365.25;
        const double qf = ArpsRate(c.end, c.start, c.Qi, c.Di, c.b, c.Dmin);

        double solvedYears = kNone;
        ASSERT_EQ(GetArpsYearsVol(c.Qi, vol, c.b, c.Di, c.Dmin, &solvedYears), 0);
        EXPECT_NEAR(solvedYears, years, 1e-6);

        double solvedQf = kNone;
        ASSERT_EQ(GetArpsQfVol(c.Qi, c.Di, c.b, vol, c.Dmin, &solvedQf), 0);
        EXPECT_NEAR(solvedQf, qf, 1e-7 * qf);

        double solvedDi = kNone;
        double solvedQfDi = kNone;
        ASSERT_EQ(GetArpsQfDiVol(c.start, c.end, c.Qi, c.b, vol, c.Dmin, &solvedDi, &solvedQfDi), 0);
        EXPECT_NEAR(solvedDi, c.Di, 1e-4 * std::fabs(c.Di));
        EXPECT_NEAR(solvedQfDi, qf, 1e-4 * qf);
        double again = kNone;
        ASSERT_EQ(GetArpsVol2(c.start, c.end, c.Qi, solvedDi, c.b, c.Dmin, &again), 0);
        EXPECT_LT(std::fabs(again - vol), 1e-5 * vol);
    }
}

TEST(ArpsVolume, ConstantRateAndExponentialShortcuts)
{
    const Date s = D(2000, 1, 1), e = D(2001, 1, 1);  // 366 days
    struct Shortcut {
        double Qi, Qf, Di, b, Dmin, expected;
    };
    const Shortcut rows[] = {
        {100, 100, 0.7, 0.5, 0.1, 366 * 100 / 30.4375},  // equal rates
        {100, 40, 0.0, 0.5, 0.1, 366 * 100 / 30.4375},   // no decline
        {100, 0, 0.5, 0.0, 0.0, 12 * 100 / 0.5},         // exponential down to zero
    };
    for (const Shortcut& r : rows) {
        double vol = kNone;
        ASSERT_EQ(GetArpsVol(s, e, r.Qi, r.Qf, r.Di, r.b, r.Dmin, &vol), 0);
        EXPECT_DOUBLE_EQ(vol, r.expected);
    }
    // Continuous in b: a tiny exponent gives nearly the exponential volume.
    double expo = 0, nearly = 0;
    ASSERT_EQ(GetArpsVol2(s, e, 100, 0.5, 0.0, 0.0, &expo), 0);
    ASSERT_EQ(GetArpsVol2(s, e, 100, 0.5, 1e-7, 0.0, &nearly), 0);
    EXPECT_NEAR(nearly, expo, 1e-6 * expo);
}

TEST(ArpsVolume, FailuresWhatTheyLeaveAndTheirRecords)
{
    const Date s = D(2000, 1, 1), e = D(2001, 1, 1);
    const char* file = "decline/arps/volume.cpp";
    const struct {
        const char* what;
        int32_t (*call)(Date, Date, double*);
        bool untouched;
        ExpectedRecord record;  // no function: silent
    } rows[] = {
        // b > 0 with Dmin >= Di makes the segment exponential; a zero Qf cannot end it.
        {"Vol, exponential to zero",
         [](Date a, Date b, double* x) { return GetArpsVol(a, b, 100, 0, 0.5, 0.5, 0.6, x); }, true,
         {"HypVolQf", "Qi, Qf, and Di must all be nonzero.", file, "Qi, Qf, and Di must all be nonzero."}},
        {"Vol2, zero Qi", [](Date a, Date b, double* x) { return GetArpsVol2(a, b, 0, 0.5, 0.5, 0, x); }, true,
         {"GetArpsYears", "Qi and Di must be nonzero.", file, "Qi and Di must be nonzero."}},
        {"YearsVol, zero Qi", [](Date, Date, double* x) { return GetArpsYearsVol(0, 100, 0.5, 0.5, 0, x); }, true,
         {"GetArpsRemTime", "Qi cannot be less than or equal to zero.", file, "Qi cannot be less than"}},
        {"YearsVol, negative Qi", [](Date, Date, double* x) { return GetArpsYearsVol(-1, 100, 0.5, 0.5, 0, x); }, true,
         {"GetArpsRemTime", "Qi cannot be less than or equal to zero.", file, "Qi cannot be less than"}},
        {"QfVol, no decline", [](Date, Date, double* x) { return GetArpsQfVol(100, 0.0, 0.5, 10, 0, x); }, true, {}},
        // Far past the switch the linear exponential tail goes negative; the value stays.
        {"QfVol, past the tail", [](Date, Date, double* x) { return GetArpsQfVol(1000, 1.0, 1.0, 1e7, 0.1, x); },
         false, {"GetArpsQfVol", "Solved Qf cannot be less than zero.", file, "Solved Qf cannot be less"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        LogCapture log;
        double out = 123.0;
        EXPECT_EQ(r.call(s, e, &out), -1);
        if (r.untouched) {
            EXPECT_EQ(out, 123.0);
        } else {
            EXPECT_LT(out, 0.0);
        }
        const auto lines = log.Lines();
        ASSERT_EQ(lines.size(), r.record.function.empty() ? 0u : 1u);
        if (!lines.empty()) {
            ExpectRecord(lines[0], r.record);
        }
        EXPECT_EQ(r.call(s, e, nullptr), -1);
    }

    double di = 5, qf = 5;
    EXPECT_EQ(GetArpsQfDiVol(s, e, 100, 0.5, 366 * 100 / 30.4375, 0.1, &di, &qf), 0);
    EXPECT_EQ(di, 0.0);
    EXPECT_EQ(qf, 100.0);
    EXPECT_EQ(GetArpsQfDiVol(s, e, 100, 0.5, 0.0, 0.1, &di, &qf), -1);  // never within a zero tolerance
    EXPECT_EQ(GetArpsQfDiVol(s, e, 1, 2, 3, 4, &di, nullptr), -1);
    EXPECT_EQ(GetArpsQfDiVol(s, e, 1, 2, 3, 4, nullptr, &qf), -1);

    double years = 0;
    EXPECT_EQ(qrvp::arps::GetArpsRemTime(100, 12 * 100 / 0.5, 0.0, 0.5, 0, &years), 0);
    EXPECT_FALSE(std::isfinite(years));
}

TEST(ArpsVolume, HostileNumbersAndDates)
{
    LogCapture log;
    const std::vector<double> hostile = HostileDoubles({-std::numeric_limits<double>::denorm_min(), 0.0});
    const std::vector<Date> dates = HostileDates();

    // Five numbers, varied one at a time and all together, with every date pair.
    for (const Date& s : dates) {
        for (const Date& e : dates) {
            ForEachVariant(std::array<double, 5>{1000, 1.0, 0.5, 0.1, 5000}, hostile, [&](const auto& a) {
                // A failure leaves the volumes and the duration alone.
                double out = 7.0, out2 = 7.0;
                int32_t st = GetArpsVol(s, e, a[0], a[4], a[1], a[2], a[3], &out);
                EXPECT_TRUE(st == 0 || (st == -1 && out == 7.0));
                out = 7.0;
                st = GetArpsVol2(s, e, a[0], a[1], a[2], a[3], &out);
                EXPECT_TRUE(st == 0 || (st == -1 && out == 7.0));
                out = 7.0;
                st = GetArpsYearsVol(a[0], a[4], a[2], a[1], a[3], &out);
                EXPECT_TRUE(st == 0 || (st == -1 && out == 7.0));
                EXPECT_TRUE(IsStatus(GetArpsQfDiVol(s, e, a[0], a[2], a[4], a[3], &out, &out2)));
                EXPECT_TRUE(IsStatus(GetArpsQfVol(a[0], a[1], a[2], a[4], a[3], &out)));
            });
        }
    }
}

}  // namespace
