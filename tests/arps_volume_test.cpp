// Arps volumes against a numerical integral of the rate, the inversions and
// solvers as round trips through the volume and the rate, and bending a
// segment through a third point (failures and hostile input: the library's
// argument table).
#include "decline/arps/arps_core.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qrvp::test;

const Date kStart = D(2000, 1, 1);

struct Segment {
    const char* name;
    double Qi, Di, b, Dmin;
    Date start, end;
    double expected;  // NaN when only the integral is known
};

const Segment kSegments[] = {
    {"exponential", 100, 0.5, 0, 0, D(2020, 1, 1), D(2021, 1, 1), 945.820181},
    {"hyperbolic", 1000, 1.0, 0.5, 0, kStart, D(2002, 1, 1), 12004.105371},
    {"harmonic", 1000, 1.0, 1.0, 0, kStart, D(2010, 1, 1), kNaN},
    {"b above one", 500, 2.0, 1.5, 0, kStart, D(2020, 1, 1), kNaN},
    {"harmonic, switch inside", 1000, 1.0, 1.0, 0.1, kStart, D(2010, 1, 1), 28774.458384},
    {"b above one, switch inside", 500, 2.0, 1.5, 0.08, kStart, D(2030, 1, 1), kNaN},
    {"hyperbolic incline, switch inside", 100, -0.4, -0.5, -0.1, kStart, D(2030, 1, 1), kNaN},
    {"b 2, switch inside", 1000, 2.5, 2.0, 0.06, kStart, D(2030, 3, 15), kNaN},
    {"fast incline, switch inside", 100, -1.2, -0.9, -0.5, kStart, D(2004, 2, 29), kNaN},
    {"b 0.3, switch inside, end within a year of it", 800, 0.6, 0.3, 0.2, kStart, D(2011, 6, 1), kNaN},
};

TEST(ArpsVolume, BothVolumesMatchTheIntegralOfTheRate)
{
    for (const Segment& c : kSegments) {
        SCOPED_TRACE(c.name);
        const double integral = IntegratedVolume(
            c.start, c.end, [&](Date at) { return ArpsRate(at, c.start, c.Qi, c.Di, c.b, c.Dmin); });
        const double qf = ArpsRate(c.end, c.start, c.Qi, c.Di, c.b, c.Dmin);
        double vol2 = kNaN, vol = kNaN;
        ASSERT_EQ(GetArpsVol2(c.start, c.end, c.Qi, c.Di, c.b, c.Dmin, &vol2), 0);
        ASSERT_EQ(GetArpsVol(c.start, c.end, c.Qi, qf, c.Di, c.b, c.Dmin, &vol), 0);
        EXPECT_NEAR(vol2, integral, 1e-8 * std::fabs(integral));
        EXPECT_NEAR(vol, integral, 1e-8 * std::fabs(integral));
        EXPECT_TRUE(std::isnan(c.expected) || std::fabs(vol2 - c.expected) < 1e-6) << vol2;
    }
}

// Each inversion and solver, then the volume or the rate: duration, end rate,
// decline and initial rate come back.
TEST(ArpsVolume, InversionsAndSolversRoundTrip)
{
    LogCapture log;  // the decline search meets unsolvable trials on its way
    for (const Segment& c : kSegments) {
        SCOPED_TRACE(c.name);
        double vol = kNaN, x = kNaN, y = kNaN;
        ASSERT_EQ(GetArpsVol2(c.start, c.end, c.Qi, c.Di, c.b, c.Dmin, &vol), 0);
        const double days = c.end.DaySpan(c.start);
        const double qf = ArpsRate(c.end, c.start, c.Qi, c.Di, c.b, c.Dmin);

        ASSERT_EQ(GetArpsYearsVol(c.Qi, vol, c.b, c.Di, c.Dmin, &x), 0);
        EXPECT_NEAR(x * 365.25, days, 1e-6 * 365.25);
        ASSERT_EQ(GetArpsQfVol(c.Qi, c.Di, c.b, vol, c.Dmin, &x), 0);
        EXPECT_NEAR(x, qf, 1e-7 * qf);
        ASSERT_EQ(GetArpsQfDiVol(c.start, c.end, c.Qi, c.b, vol, c.Dmin, &x, &y), 0);
        EXPECT_NEAR(x, c.Di, 1e-4 * std::fabs(c.Di));
        EXPECT_NEAR(y, qf, 1e-4 * qf);
        ASSERT_EQ(GetArpsVol2(c.start, c.end, c.Qi, x, c.b, c.Dmin, &y), 0);
        EXPECT_LT(std::fabs(y - vol), 1e-5 * vol);

        ASSERT_EQ(GetArpsDi(c.start, c.end, c.Qi, qf, c.b, c.Dmin, &x), 0);
        EXPECT_NEAR(ArpsRate(c.end, c.start, c.Qi, x, c.b, c.Dmin), qf, 1e-6 * qf);
        ASSERT_EQ(GetArpsQi(c.start, c.end, qf, c.b, c.Di, c.Dmin, &x), 0);
        EXPECT_NEAR(x, c.Qi, 1e-9 * c.Qi);
        ASSERT_EQ(GetArpsYears(c.Qi, qf, c.b, c.Di, c.Dmin, &x), 0);
        EXPECT_NEAR(x * 365.25, days, 1e-6);
    }
}

TEST(ArpsBend, KeepsBothEndsAndPassesNearTheBendPoint)
{
    const struct {
        const char* name;
        double Qi, BendQ, Qf, Dmin;
        Date bend, end;
        double b, Di;  // expected, NaN when only the geometry is checked
        double bendTolerance;
    } cases[] = {
        {"hyperbolic", 1000, 250, 100, 0, D(2005, 1, 1), D(2010, 1, 1), 0.364197, 0.360501, 1e-3},
        {"below the exponential, early bend", 1000, 400, 100, 0, D(2001, 6, 1), D(2010, 1, 1), kNaN, kNaN, 1e-3},
        {"above the exponential", 1000, 600, 100, 0, D(2005, 1, 1), D(2010, 1, 1), kNaN, kNaN, 1e-3},
        {"with a minimum decline", 1000, 200, 50, 0.1, D(2004, 1, 1), D(2016, 1, 1), kNaN, kNaN, 1e-2},
        {"incline", 100, 150, 400, 0, D(2005, 1, 1), D(2010, 1, 1), kNaN, kNaN, 1e-3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ArpsSegment seg;
        ASSERT_EQ(BendArpsSegment(c.Qi, kStart, c.BendQ, c.bend, c.Qf, c.end, c.Dmin, &seg), 0);
        EXPECT_EQ(seg.Qi, c.Qi);
        EXPECT_TRUE(seg.StartDate == kStart && seg.EndDate == c.end);
        EXPECT_NEAR(seg.Qf, c.Qf, 1e-6 * c.Qf);
        EXPECT_NEAR(ArpsRate(c.end, kStart, c.Qi, seg.Di, seg.b, c.Dmin), c.Qf, 1e-6 * c.Qf);
        EXPECT_NEAR(ArpsRate(c.bend, kStart, c.Qi, seg.Di, seg.b, c.Dmin), c.BendQ, c.bendTolerance * c.BendQ);
        if (!std::isnan(c.b)) {
            EXPECT_NEAR(seg.b, c.b, 1e-3);
            EXPECT_NEAR(seg.Di, c.Di, 1e-3);
        }
    }
}

}  // namespace
