// The Arps rate at its switch to Dmin, a switch the rule would drop, and the
// decline conversions as inverse pairs.  (The rate's values, statuses and
// leftovers in every regime are held bit for bit to the slow path in
// arps_evaluator_test; the validation of a segment and the failures: the
// library's argument table.)
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
    double q = 0;
    // The core asked for a switch the rule would have dropped: the switch
    // date's own record, then the rate's; the rate without the switch stays.
    LogCapture log;
    EXPECT_EQ(ComputeArpsQt(D(2010, 1, 1), kStart, 1000, 0.2, 0.5, 0.3, &q), -1);
    EXPECT_NEAR(q, ArpsRate(D(2010, 1, 1), kStart, 1000, 0.2, 0.5, 0), 1e-9);
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    ExpectRecord(lines[0], {"GetArpsDminDate", "Invalid Dmin for given decline."});
    ExpectRecord(lines[1], {"GetArpsQt", "Unable to solve for Dmin date"});
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

}  // namespace
