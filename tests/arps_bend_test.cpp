// Bending an Arps segment: the result keeps both ends and passes close to the
// bend point; the point fit; the log records; hostile input.
#include "decline/arps/curve_fit.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

using namespace qrvp::test;
using qrvp::arps::RatePoint;
namespace CurveFit = qrvp::arps::CurveFit;

struct BendCase {
    const char* name;
    double Qi, BendQ, Qf, Dmin;
    Date start, bend, end;
    double b, Di;  // expected, NaN when only the geometry is checked
    double bendTolerance;
};

const double kNone = std::numeric_limits<double>::quiet_NaN();

TEST(ArpsBend, KeepsBothEndsAndPassesNearTheBendPoint)
{
    const BendCase cases[] = {
        {"hyperbolic", 1000, 250, 100, 0, D(2000, 1, 1), D(2005, 1, 1), D(2010, 1, 1), 0.364197, 0.360501, 1e-3},
        {"on a harmonic", 1000, 166.609648, 90.897779, 0, D(2000, 1, 1), D(2005, 1, 1), D(2010, 1, 1), 1.000305,
         1.000500, 1e-3},
        {"below the exponential, early bend", 1000, 400, 100, 0, D(2000, 1, 1), D(2001, 6, 1), D(2010, 1, 1), kNone,
         kNone, 1e-3},
        {"above the exponential", 1000, 600, 100, 0, D(2000, 1, 1), D(2005, 1, 1), D(2010, 1, 1), kNone, kNone, 1e-3},
        {"with a minimum decline", 1000, 200, 50, 0.1, D(2000, 1, 1), D(2004, 1, 1), D(2016, 1, 1), kNone, kNone,
         1e-2},
        {"incline", 100, 150, 400, 0, D(2000, 1, 1), D(2005, 1, 1), D(2010, 1, 1), kNone, kNone, 1e-3},
        {"incline, fast start", 100, 300, 400, 0, D(2000, 1, 1), D(2003, 1, 1), D(2010, 1, 1), kNone, kNone, 1e-3},
    };
    for (const BendCase& c : cases) {
        SCOPED_TRACE(c.name);
        ArpsSegment seg;
        ASSERT_EQ(BendArpsSegment(c.Qi, c.start, c.BendQ, c.bend, c.Qf, c.end, c.Dmin, &seg), 0);
        EXPECT_EQ(seg.Qi, c.Qi);
        EXPECT_TRUE(seg.StartDate == c.start);
        EXPECT_TRUE(seg.EndDate == c.end);
        EXPECT_NEAR(seg.Qf, c.Qf, 1e-6 * c.Qf);
        EXPECT_NEAR(ArpsRate(c.end, c.start, c.Qi, seg.Di, seg.b, c.Dmin), c.Qf, 1e-6 * c.Qf);
        EXPECT_NEAR(ArpsRate(c.bend, c.start, c.Qi, seg.Di, seg.b, c.Dmin), c.BendQ, c.bendTolerance * c.BendQ);
        if (!std::isnan(c.b)) {
            EXPECT_NEAR(seg.b, c.b, 1e-6);
            EXPECT_NEAR(seg.Di, c.Di, 1e-6);
        }
    }
}

const char* const kFile = "decline/arps/bend.cpp";

TEST(ArpsBend, RejectionsLeaveAZeroRecordAndOneLogRecord)
{
    const Date s = D(2000, 1, 1), e = D(2010, 1, 1);
    struct Rejection {
        const char* name;
        double Qi, BendQ, Qf;
        Date bend;
        const char* function;
        const char* message;
        const char* fragment;
    };
    const char* dateMsg = "The bend point (%d/%d/%d) is less than";
    const Rejection rows[] = {
        {"bend at the start", 1000, 250, 100, s, "BendArpsSegment",
         "The bend point (1/1/2000) is less than the start date (1/1/2000) or greater than the end date (1/1/2010)",
         dateMsg},
        {"bend at the end", 1000, 250, 100, e, "BendArpsSegment",
         "The bend point (1/1/2010) is less than the start date (1/1/2000) or greater than the end date (1/1/2010)",
         dateMsg},
        {"bend after the end", 1000, 250, 100, D(2011, 3, 4), "BendArpsSegment",
         "The bend point (3/4/2011) is less than the start date (1/1/2000) or greater than the end date (1/1/2010)",
         dateMsg},
        {"decline, bend above Qi", 1000, 1000.5, 100, D(2005, 1, 1), "BendArpsSegment",
         "The bend point (1000.500000) is greater than the Qi (1000.000000) or less than the Qf (100.000000)",
         "is greater than the Qi"},
        {"incline, bend below Qi", 100, 99, 1000, D(2005, 1, 1), "BendArpsSegment",
         "The bend point (99.000000) is less than the Qi (100.000000) or greater than the Qf (1000.000000)",
         "is less than the Qi"},
        {"needs b beyond 9", 1000, 999, 100, D(2009, 12, 1), "CurveFit::PointFit",
         "New bFactor (-8.998901) is out of range (+/- 9.000000)", "New bFactor (%f) is out of range"},
    };
    for (const Rejection& r : rows) {
        SCOPED_TRACE(r.name);
        LogCapture log;
        ArpsSegment seg;
        std::memset(static_cast<void*>(&seg), 0xAB, sizeof(seg));
        EXPECT_EQ(BendArpsSegment(r.Qi, s, r.BendQ, r.bend, r.Qf, e, 0, &seg), -1);
        const unsigned char zeros[64] = {};
        EXPECT_EQ(std::memcmp(&seg, zeros, sizeof(zeros)), 0);
        ExpectLastRecord(log, {r.function, r.message, kFile, r.fragment});
    }
    EXPECT_EQ(BendArpsSegment(1000, s, 250, D(2005, 1, 1), 100, e, 0, nullptr), -1);
    // Bend rates equal to an end pass the rate checks (the fit may still fail).
    for (double bendQ : {1000.0, 100.0}) {
        LogCapture log;
        ArpsSegment seg;
        (void)BendArpsSegment(1000, s, bendQ, D(2005, 1, 1), 100, e, 0, &seg);
        for (const std::string& line : log.Lines()) {
            EXPECT_EQ(line.find("The bend point"), std::string::npos) << line;
        }
    }
}

TEST(ArpsBend, PointFitOnTwoPointsOrTheWrongNumber)
{
    LogCapture log;
    const RatePoint two[] = {{D(2000, 1, 1), 1000}, {D(2010, 1, 1), 100}};
    double Di = kNone, Qi = kNone, b = kNone;
    ASSERT_TRUE(CurveFit::PointFit(two, 0, &Di, &Qi, &b));
    EXPECT_EQ(Qi, 1000);
    EXPECT_EQ(b, 0.0);
    EXPECT_NEAR(Di, std::log(10.0) / (3653 / 365.25), 1e-12);

    const RatePoint flat[] = {{D(2000, 1, 1), 100}, {D(2005, 1, 1), 80}, {D(2010, 1, 1), 100}};
    ASSERT_TRUE(CurveFit::PointFit(flat, 0, &Di, &Qi, &b));
    EXPECT_EQ(b, 0.0);
    EXPECT_EQ(Di, 0.0);

    // A middle point far above the exponential needs an exponent below -9.
    const RatePoint steep[] = {{D(2000, 1, 1), 1000}, {D(2009, 12, 1), 999}, {D(2010, 1, 1), 100}};
    EXPECT_FALSE(CurveFit::PointFit(steep, 0, &Di, &Qi, &b));
    EXPECT_EQ(b, -8.9989013671875);

    const RatePoint four[] = {two[0], two[0], two[1], two[1]};
    EXPECT_FALSE(CurveFit::PointFit(four, 0, &Di, &Qi, &b));
    ExpectLastRecord(log, {"CurveFit::PointFit", "PointFit requires 2 or 3 points.  4 points submitted.", kFile,
                           "PointFit requires 2 or 3 points."});
    EXPECT_FALSE(CurveFit::PointFit(std::span(two, 1), 0, &Di, &Qi, &b));
    ExpectLastRecord(log, {"CurveFit::PointFit", "PointFit requires 2 or 3 points.  1 points submitted.", kFile,
                           "PointFit requires 2 or 3 points."});
    const RatePoint zeroEnd[] = {{D(2000, 1, 1), 1000}, {D(2010, 1, 1), 0}};
    EXPECT_FALSE(CurveFit::PointFit(zeroEnd, 0, &Di, &Qi, &b));
    ExpectLastRecord(log, {"CurveFit::PointFit", "Non-Zero Qi and Qf are required.  Qi=1000.000000, Qf=0.000000.",
                           kFile, "Non-Zero Qi and Qf"});
}

TEST(ArpsBend, HostileNumbersAndDates)
{
    LogCapture log;
    const std::vector<Date> dates = HostileDates();
    ForEachCombination(4, HostileDoubles({0.0}), [&](const std::vector<double>& a) {  // Qi, BendQ, Qf, Dmin
        for (const Date& bend : dates) {
            ArpsSegment seg;
            EXPECT_TRUE(IsStatus(BendArpsSegment(a[0], D(2000, 1, 1), a[1], bend, a[2], D(2010, 1, 1), a[3], &seg)));
            EXPECT_TRUE(IsStatus(BendArpsSegment(a[0], bend, a[1], D(2005, 1, 1), a[2], dates[4], a[3], &seg)));
        }
    });
}

}  // namespace
