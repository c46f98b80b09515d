// The Arps rate at its switch to Dmin, the instantaneous decline, the decline
// conversions and the validation of a segment, with the records their failures
// write.  (The rate's values, statuses and leftovers in every regime are held
// bit for bit to the slow path in arps_evaluator_test.)
#include "QRVPFuncs.h"
#include "decline/arps/arps_core.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qrvp::test;
using qrvp::arps::ComputeArpsQt;

const Date kStart = D(2000, 1, 1);

TEST(ArpsSwitch, RateContinuousAndDeclineEqualsDminAtSwitch)
{
    const double cases[][4] = {{1000, 1.0, 1.0, 0.1}, {500, 2.0, 0.5, 0.15}, {800, 0.9, 1.8, 0.08},
                               {100, -0.4, -0.5, -0.1}, {100, -1.5, -0.9, -0.3}};  // Qi, Di, b, Dmin
    for (const auto& c : cases) {
        Date sw;
        ASSERT_EQ(GetArpsDminDate(kStart, c[1], c[3], c[0], c[2], &sw), 0);
        Date before = sw, after = sw;
        before.AddDays(-1);
        after.AddDays(1);
        const double qs = ArpsRate(sw, kStart, c[0], c[1], c[2], c[3]);
        // The decline is Dmin at the switch; one day either side the rate is
        // close, and the day after follows the exponential at Dmin.
        double Dsw = 0;
        ASSERT_EQ(GetArpsIDecl(qs, c[1], c[0], c[2], &Dsw), 0);
        EXPECT_NEAR(Dsw, c[3], 1e-6 * std::fabs(c[3]));
        EXPECT_NEAR(ArpsRate(after, kStart, c[0], c[1], c[2], c[3]), qs * std::exp(-c[3] / 365.25), 1e-9 * qs);
        EXPECT_NEAR(ArpsRate(before, kStart, c[0], c[1], c[2], c[3]), qs, 2 * std::fabs(c[3]) / 365.25 * qs);
    }
}

TEST(ArpsRateLog, ASwitchTheRuleWouldDropFailsWithBothRecords)
{
    const char* file = "decline/arps/rate.cpp";
    double q = 0;
    // The core asked for a switch the rule would have dropped: the switch
    // date's own record, then the rate's; the rate without the switch stays.
    LogCapture log;
    EXPECT_EQ(ComputeArpsQt(D(2010, 1, 1), kStart, 1000, 0.2, 0.5, 0.3, &q), -1);
    EXPECT_NEAR(q, ArpsRate(D(2010, 1, 1), kStart, 1000, 0.2, 0.5, 0), 1e-9);
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    ExpectRecord(lines[0], {"GetArpsDminDate", "Invalid Dmin for given decline.", file});
    ExpectRecord(lines[1], {"GetArpsQt", "Unable to solve for Dmin date", file});
    // A negative Qi with an active switch fails in the decline at the rate and
    // leaves the hyperbolic rate.
    EXPECT_EQ(ComputeArpsQt(D(2010, 1, 1), kStart, -1000, 1.0, 1.0, 0.1, &q), -1);
    EXPECT_NEAR(q, -90.897779, 1e-6);
}

TEST(ArpsConversions, PairsInvertEachOther)
{
    for (double D : {-2.0, -0.3, 0.01, 0.5, 1.0, 3.0}) {
        double De = 0, back = 0;
        ASSERT_EQ(NomToTanEff(D, &De), 0);
        ASSERT_EQ(TanEffToNom(De, &back), 0);
        EXPECT_NEAR(back, D, 1e-12 * (1 + std::fabs(D)));
        for (double b : {-0.9, -0.2, 1e-10, 0.3, 1.0, 2.0}) {
            double Ds = 0;
            if (D * b + 1 <= 0) continue;  // outside the power's domain
            ASSERT_EQ(NomToSecEff(D, b, &Ds), 0);
            // Independent form: (1 - Ds)^-b = 1 + b*D.
            EXPECT_NEAR(std::pow(1 - Ds, -b), 1 + b * D, 1e-9 * (1 + std::fabs(b * D)));
            if (std::fabs(b) < 1e-6) continue;  // the tiny exponent loses digits in (x^-b - 1)/b
            ASSERT_EQ(SecEffToNom(Ds, b, &back), 0);
            EXPECT_NEAR(back, D, 1e-9 * (1 + std::fabs(D))) << D << " " << b;
        }
    }
}

TEST(ArpsValidate, TidiesSolvesAndMovesTheEnd)
{
    struct Values {
        double Qi, Di, b, Dmin, Qf;
        Date end;
    };
    const Date y2001 = D(2001, 1, 1), y2050 = D(2050, 1, 1), X;  // X: the end is not checked
    const double _ = kNaN;                                         // a value the row leaves unchecked
    const struct {
        const char* what;
        Date start;
        Values in;
        int32_t rc;
        double Di, b, Qf;
        Date end;
        double rateAtEnd, tol;
    } rows[] = {
        {"negative Qi", kStart, {-1, 0.7, 0.5, 0, 0, y2001}, -1, _, _, _, X, _, 0},
        // |b| up to 0.001 is no exponent.
        {"Qi zero: the solve fails, the call does not", kStart, {0, 0, 0.001, 0, 5, y2001}, 0, 0, 0, _, X, _, 0},
        // A missing decline is solved from the dates and rates.
        {"decline solved", kStart, {1000, 0, 1, 0, 100, D(2009, 1, 1)}, 0, 0.999772, _, _, X, _, 1e-6},
        {"decline solved through a switch", kStart, {1000, 0, 1, 0.1, 50, D(2016, 1, 1)}, 0, _, _, _, X, 50, 1e-6},
        // Qf zero becomes 0.1 and the decline is solved to it.
        {"Qf zero", kStart, {100, 0, 0, 0, 0, D(2010, 1, 1)}, 0, std::log(1000.0) / (3653 / 365.25), _, 0.1, X, _,
         1e-12},
        // A given decline moves the end date to Qf, or Qf to the end date.
        {"end date moved", kStart, {1000, 1.0, 1, 0, 100, D(2005, 1, 1)}, 0, _, _, 100, D(2008, 12, 31, 6), _, 0},
        {"Qf moved", kStart, {1000, 1.0, 1, 0, 100, D(2012, 1, 1)}, 0, _, _, 1000.0 / 13, D(2012, 1, 1), _, 1e-6},
        // More than 300 years out: EndDate stays and Qf follows the curve there.
        {"beyond 300 years", kStart, {1000, 0.01, 0, 0, 0.001, y2001}, 0, _, _, 1000 * std::exp(-0.01 * 366 / 365.25),
         y2001, _, 1e-9},
        // The switch falls after 2600, so no duration comes back: EndDate
        // stays and Qf is recomputed; when the rate at EndDate cannot be
        // evaluated either, it fails.
        {"no duration", kStart, {1000, 1.0, 1, 0.001, 1e-6, y2050}, 0, _, _, 1000 / (1 + 18263 / 365.25), y2050, _, 1e-9},
        {"no duration, no rate", D(2060, 1, 1), {1000, 1.0, 1, 0.001, 1e-6, y2050}, -1, _, _, 1e-6, y2050, _, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Values v = r.in;
        EXPECT_EQ(ValidateArps(r.start, &v.Qi, &v.Di, &v.b, &v.Dmin, &v.Qf, &v.end), r.rc);
        const auto near = [&r](double actual, double expected) {
            EXPECT_TRUE(std::isnan(expected) || std::fabs(actual - expected) <= r.tol) << actual << " " << expected;
        };
        near(v.Di, r.Di);
        near(v.b, r.b);
        near(v.Qf, r.Qf);
        EXPECT_TRUE(r.end == X || v.end == r.end);
        near(std::isnan(r.rateAtEnd) ? 0 : ArpsRate(v.end, r.start, v.Qi, v.Di, v.b, v.Dmin), r.rateAtEnd);
    }
}

}  // namespace
