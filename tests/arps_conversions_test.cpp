// Nominal, tangent effective and secant effective declines.
#include "QRVPFuncs.h"

#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace qrvp::test;

TEST(ArpsConversions, TangentPairKnownValuesAndCap)
{
    double x = 5;
    EXPECT_EQ(TanEffToNom(1.0, &x), -1);
    EXPECT_EQ(x, 36.0);
    EXPECT_EQ(TanEffToNom(0.5, &x), 0);
    EXPECT_NEAR(x, std::log(2.0), 1e-15);
    EXPECT_EQ(NomToTanEff(0.0, &x), 0);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(NomToTanEff(-0.1, &x), 0);
    EXPECT_NEAR(x, -0.105171, 1e-6);
}

TEST(ArpsConversions, PairsInvertEachOther)
{
    const double declines[] = {-2.0, -0.3, 0.01, 0.5, 1.0, 3.0};
    const double exponents[] = {-0.9, -0.2, 1e-10, 0.3, 1.0, 2.0};
    for (double D : declines) {
        double De = 0, back = 0;
        ASSERT_EQ(NomToTanEff(D, &De), 0);
        ASSERT_EQ(TanEffToNom(De, &back), 0);
        EXPECT_NEAR(back, D, 1e-12 * (1 + std::fabs(D)));
        for (double b : exponents) {
            if (D * b + 1 <= 0) {
                continue;  // outside the power's domain
            }
            double Ds = 0;
            ASSERT_EQ(NomToSecEff(D, b, &Ds), 0);
            // Independent form: (1 - Ds)^-b = 1 + b*D.
            EXPECT_NEAR(std::pow(1 - Ds, -b), 1 + b * D, 1e-9 * (1 + std::fabs(b * D)));
            if (b > 1e-6 || b < -1e-6) {  // the tiny exponent loses digits in (x^-b - 1)/b
                ASSERT_EQ(SecEffToNom(Ds, b, &back), 0);
                EXPECT_NEAR(back, D, 1e-9 * (1 + std::fabs(D))) << D << " " << b;
            }
        }
    }
    double Ds = 0;
    ASSERT_EQ(NomToSecEff(0.5, 1.0, &Ds), 0);
    EXPECT_NEAR(Ds, 1.0 / 3, 1e-15);
}

TEST(ArpsConversions, SecantRejectionsWriteNothing)
{
    double x = 5;
    EXPECT_EQ(NomToSecEff(0.5, 0.0, &x), -1);
    EXPECT_EQ(SecEffToNom(0.5, 1e-12, &x), -1);
    EXPECT_EQ(SecEffToNom(1.0 + 1e-15, 1.0, &x), -1);
    EXPECT_EQ(x, 5.0);
    EXPECT_EQ(NomToSecEff(0.5, 1e-10, &x), 0);
    // Ds of exactly 1 is accepted: +inf for b > 0, -1/b for b < 0.
    EXPECT_EQ(SecEffToNom(1.0, 0.5, &x), 0);
    EXPECT_EQ(x, std::numeric_limits<double>::infinity());
    EXPECT_EQ(SecEffToNom(1.0, -0.5, &x), 0);
    EXPECT_EQ(x, 2.0);
    EXPECT_EQ(NomToTanEff(0.5, nullptr), -1);
    EXPECT_EQ(TanEffToNom(0.5, nullptr), -1);
    EXPECT_EQ(NomToSecEff(0.5, 1, nullptr), -1);
    EXPECT_EQ(SecEffToNom(0.5, 1, nullptr), -1);
}

TEST(ArpsConversionsHostile, NoCrashAndOnlyStatuses)
{
    ForEachCombination(2, HostileDoubles(), [](const std::vector<double>& v) {
        double x = 0;
        ASSERT_TRUE(IsStatus(NomToTanEff(v[0], &x)));
        ASSERT_TRUE(IsStatus(TanEffToNom(v[0], &x)));
        ASSERT_TRUE(IsStatus(NomToSecEff(v[0], v[1], &x)));
        ASSERT_TRUE(IsStatus(SecEffToNom(v[0], v[1], &x)));
    });
}

TEST(ArpsConversionsLog, SecantRecordsUnderTheForwardName)
{
    const char* file = "decline/arps/conversions.cpp";
    double x = 0;
    LogCapture log;
    NomToSecEff(0.5, 0.0, &x);
    ExpectLastRecord(log, {"NomToSecEff", "bFactor cannot be 0", file, "L\"bFactor cannot"});
    SecEffToNom(1.5, 1.0, &x);
    ExpectLastRecord(log, {"NomToSecEff", "Decline must be less than 1.0 and bFactor cannot be 0", file,
                           "L\"Decline must"});
    TanEffToNom(2.0, &x);  // silent
    EXPECT_EQ(log.Lines().size(), 2u);
}

}  // namespace
