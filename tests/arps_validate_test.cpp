// Bringing an Arps segment's values back into agreement.
#include "QRVPFuncs.h"

#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

using namespace qrvp::test;

struct Values {
    double Qi, Di, b, Dmin, Qf;
    Date end;
};

int32_t Validate(Date start, Values& v)
{
    return ValidateArps(start, &v.Qi, &v.Di, &v.b, &v.Dmin, &v.Qf, &v.end);
}

const Date kStart = D(2000, 1, 1);

TEST(ArpsValidate, RatesAndExponentTidied)
{
    Values v{0, 0.7, 0.5, 0.1, 0, D(2001, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), 0);
    EXPECT_EQ(v.Qi, 0.0);
    EXPECT_EQ(v.Di, 0.0);
    EXPECT_EQ(v.b, 0.0);

    v = {100, 0.7, 0.5, 0, 100.0005, D(2001, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), 0);
    EXPECT_EQ(v.Qf, 100.0);
    EXPECT_EQ(v.Di, 0.0);
    EXPECT_EQ(v.b, 0.0);

    v = {-1, 0.7, 0.5, 0, 0, D(2001, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), -1);
    v = {100, 0.7, 0.5, 0, -1, D(2001, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), -1);

    v = {0, 0, 0.0005, 0, 5, D(2001, 1, 1)};  // Qi zero: the solve fails, the call does not
    EXPECT_EQ(Validate(kStart, v), 0);
    EXPECT_EQ(v.Di, 0.0);
    EXPECT_EQ(v.b, 0.0);
    v = {0, 0.5, 0.002, 0, 5, D(2001, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), -1);
    EXPECT_EQ(v.b, 0.002);
}

TEST(ArpsValidate, MissingDeclineSolvedFromDatesAndRates)
{
    Values v{1000, 0, 1, 0, 100, D(2009, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), 0);
    EXPECT_NEAR(v.Di, 0.999772, 1e-6);

    // Round trip with a switch: the solved decline reproduces Qf at EndDate.
    v = {1000, 0, 1, 0.1, 0, D(2016, 1, 1)};
    v.Qf = 50;
    EXPECT_EQ(Validate(kStart, v), 0);
    double q = 0;
    ASSERT_EQ(GetArpsQt(v.end, kStart, v.Qi, v.Di, v.b, v.Dmin, &q), 0);
    EXPECT_NEAR(q, 50.0, 1e-6);

    // Qf zero becomes 0.1 and the decline is solved to it.
    v = {100, 0, 0, 0, 0, D(2010, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), 0);
    EXPECT_EQ(v.Qf, 0.1);
    EXPECT_NEAR(v.Di, std::log(1000.0) / (3653 / 365.25), 1e-12);

    v = {100, 0, 0, 0, 50, kStart};  // no span: nothing further
    EXPECT_EQ(Validate(kStart, v), 0);
    EXPECT_EQ(v.Di, 0.0);
}

TEST(ArpsValidate, GivenDeclineMovesEndDateOrQf)
{
    Values v{1000, 1.0, 1, 0, 100, D(2005, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), 0);
    EXPECT_TRUE(v.end == D(2008, 12, 31, 6, 0, 0));
    EXPECT_EQ(v.Qf, 100.0);

    v = {1000, 1.0, 1, 0, 100, D(2012, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), 0);
    EXPECT_TRUE(v.end == D(2012, 1, 1));
    EXPECT_NEAR(v.Qf, 1000.0 / 13, 1e-6);

    // More than 300 years out: EndDate stays and Qf follows the curve there.
    v = {1000, 0.01, 0, 0, 0.001, D(2001, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), 0);
    EXPECT_TRUE(v.end == D(2001, 1, 1));
    EXPECT_NEAR(v.Qf, 1000 * std::exp(-0.01 * 366 / 365.25), 1e-9);

    // Round trip through a switch: the moved end date gives back Qf.
    v = {1000, 1.0, 1, 0.1, 50, D(2001, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), 0);
    double q = 0;
    ASSERT_EQ(GetArpsQt(v.end, kStart, v.Qi, v.Di, v.b, v.Dmin, &q), 0);
    EXPECT_NEAR(q, 50.0, 1e-5);
}

TEST(ArpsValidate, DurationNotWrittenKeepsEndDateAndRecomputesQf)
{
    // The switch falls after 2600, so no duration comes back.
    Values v{1000, 1.0, 1, 0.001, 1e-6, D(2050, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), 0);
    EXPECT_TRUE(v.end == D(2050, 1, 1));
    EXPECT_NEAR(v.Qf, 1000 / (1 + 18263 / 365.25), 1e-9);

    // ...and when the rate at EndDate cannot be evaluated either, it fails.
    v = {1000, 1.0, 1, 0.001, 1e-6, D(2050, 1, 1)};
    EXPECT_EQ(Validate(D(2060, 1, 1), v), -1);
    EXPECT_TRUE(v.end == D(2050, 1, 1));
    EXPECT_EQ(v.Qf, 1e-6);
    EXPECT_EQ(ValidateArps(kStart, &v.Qi, &v.Di, &v.b, nullptr, &v.Qf, &v.end), -1);
}

TEST(ArpsValidateHostile, NoCrashAndOnlyStatuses)
{
    const std::vector<double> h = HostileDoubles();
    for (const Date& start : HostileDates()) {
        for (const Date& end : HostileDates()) {
            ForEachCombination(5, h, [&](const std::vector<double>& a) {
                Values v{a[0], a[1], a[2], a[3], a[4], end};
                ASSERT_TRUE(IsStatus(Validate(start, v)));
                ASSERT_EQ(std::bit_cast<uint64_t>(v.Dmin), std::bit_cast<uint64_t>(a[3])) << "Dmin is only read";
            });
        }
    }
}

TEST(ArpsValidateLog, NoRecordsOfItsOwn)
{
    LogCapture log;
    Values v{100, 0.5, 0.5, 0, -1, D(2001, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), -1);
    v = {-1, 0.5, 0.5, 0, 0, D(2001, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), -1);
    EXPECT_TRUE(log.Lines().empty());
}

}  // namespace
