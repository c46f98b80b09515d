// The Arps rate at a date, the instantaneous decline, the switch date and the
// minimum-decline rule.
#include "QRVPFuncs.h"
#include "decline/arps/arps_core.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qrvp::test;
using qrvp::arps::ApplyMinDeclineRule;
using qrvp::arps::ComputeArpsQt;

double Qt(Date find, Date start, double Qi, double Di, double b, double Dmin, int32_t* status = nullptr)
{
    double q = 12345.0;
    const int32_t rc = GetArpsQt(find, start, Qi, Di, b, Dmin, &q);
    if (status != nullptr) {
        *status = rc;
    }
    return q;
}

TEST(ArpsMinDeclineRule, DerivesEffectiveExponentAndDmin)
{
    const struct {
        double b, Di, Dmin, bEff, DminEff;
    } cases[] = {
        {0.5, 1.0, 0.1, 0.5, 0.1},       // decline with Dmin below Di
        {0.5, 0.3, 0.4, 0.0, 0.0},       // Dmin not below Di: exponential at Di
        {0.5, 0.3, 0.3, 0.0, 0.0},       // Dmin equal to Di
        {0.5, 0.0, -0.1, 0.5, -0.1},     // Di zero counts as a decline
        {0.5, 1.0, 0.0, 0.5, 0.0},       // no Dmin
        {0.0, 0.3, 0.1, 0.0, 0.0},       // exponential
        {-0.5, -0.4, -0.1, -0.5, -0.1},  // incline with a slower Dmin
        {-0.5, -0.4, -0.5, 0.0, 0.0},    // incline with Dmin not above Di
        {0.5, -0.3, 0.1, 0.5, 0.0},      // opposite signs: Dmin dropped
        {-0.5, 0.3, 0.1, -0.5, 0.0},
    };
    for (const auto& c : cases) {
        const auto eff = ApplyMinDeclineRule(c.b, c.Di, c.Dmin);
        EXPECT_EQ(eff.b, c.bEff) << c.b << " " << c.Di << " " << c.Dmin;
        EXPECT_EQ(eff.Dmin, c.DminEff) << c.b << " " << c.Di << " " << c.Dmin;
        const auto again = ApplyMinDeclineRule(eff.b, c.Di, eff.Dmin);  // idempotent
        EXPECT_EQ(again.b, eff.b);
        EXPECT_EQ(again.Dmin, eff.Dmin);
    }
}

TEST(ArpsQt, KnownRatesAndFailures)
{
    EXPECT_NEAR(Qt(D(2021, 1, 1), D(2020, 1, 1), 100, 0.5, 0, 0), 60.590826, 1e-6);
    EXPECT_NEAR(Qt(D(2002, 1, 1), D(2000, 1, 1), 1000, 1.0, 0.5, 0), 249.828972, 1e-6);
    EXPECT_NEAR(Qt(D(2010, 1, 1), D(2000, 1, 1), 1000, 1.0, 1.0, 0.1), 90.471356, 1e-6);
    EXPECT_NEAR(Qt(D(2010, 1, 1), D(2000, 1, 1), 1000, 1.0, 1.0, 0), 90.897779, 1e-6);
    EXPECT_NEAR(Qt(D(2008, 12, 31), D(2000, 1, 1), 1000, 1.0, 1.0, 0.1), 100.006845, 1e-6);
    // Dmin not below Di: exponential at Di; opposite signs: the incline ignores Dmin.
    EXPECT_DOUBLE_EQ(Qt(D(2003, 1, 1), D(2000, 1, 1), 100, 0.3, 0.5, 0.4),
                     Qt(D(2003, 1, 1), D(2000, 1, 1), 100, 0.3, 0.0, 0.0));
    EXPECT_DOUBLE_EQ(Qt(D(2003, 1, 1), D(2000, 1, 1), 100, -0.3, 0.5, 0.1),
                     Qt(D(2003, 1, 1), D(2000, 1, 1), 100, -0.3, 0.5, 0.0));
    EXPECT_EQ(Qt(D(2000, 1, 1), D(2000, 1, 1), 77, 5.0, 2.0, 0.1), 77.0);

    const struct {
        Date find;
        double Qi, Di, b;
        double q;  // what is left
        int32_t rc;
    } rows[] = {
        {D(1999, 12, 31, 23, 59, 59), 100, 0.5, 0.5, -1.0, -1},
        // Exponential growth past the guard fails silently; decay past it gives 0.
        {D(2101, 1, 1), 100, -10.0, 0, -1.0, -1},
        {D(2051, 1, 1), 100, 20.0, 0, 0.0, 0},
        // Di*b*t reaching -1: 1 + b*Di*t has run out.
        {D(2001, 1, 1), 100, -2 * 365.25 / 366, 0.5, -1.0, -1},
    };
    for (const auto& r : rows) {
        int32_t rc = 7;
        EXPECT_EQ(Qt(r.find, D(2000, 1, 1), r.Qi, r.Di, r.b, 0, &rc), r.q) << r.Di;
        EXPECT_EQ(rc, r.rc) << r.Di;
    }
    // A negative Qi with an active switch fails in the decline at the rate and
    // leaves the hyperbolic rate.
    double q = 0;
    EXPECT_EQ(ComputeArpsQt(D(2010, 1, 1), D(2000, 1, 1), -1000, 1.0, 1.0, 0.1, &q), -1);
    EXPECT_NEAR(q, -90.897779, 1e-6);
}

TEST(ArpsSwitch, RateContinuousAndDeclineEqualsDminAtSwitch)
{
    const struct {
        double Qi, Di, b, Dmin;
    } cases[] = {{1000, 1.0, 1.0, 0.1}, {500, 2.0, 0.5, 0.15}, {800, 0.9, 1.8, 0.08},
                 {100, -0.4, -0.5, -0.1}, {100, -1.5, -0.9, -0.3}};
    const Date start = D(2000, 1, 1);
    for (const auto& c : cases) {
        Date sw;
        ASSERT_EQ(GetArpsDminDate(start, c.Di, c.Dmin, c.Qi, c.b, &sw), 0);
        Date before = sw, after = sw;
        before.AddDays(-1);
        after.AddDays(1);
        const double qb = Qt(before, start, c.Qi, c.Di, c.b, c.Dmin);
        const double qs = Qt(sw, start, c.Qi, c.Di, c.b, c.Dmin);
        const double qa = Qt(after, start, c.Qi, c.Di, c.b, c.Dmin);
        // The decline is Dmin at the switch; one day either side the rate is
        // close, and the day after follows the exponential at Dmin.
        double Dsw = 0;
        ASSERT_EQ(GetArpsIDecl(qs, c.Di, c.Qi, c.b, &Dsw), 0);
        EXPECT_NEAR(Dsw, c.Dmin, 1e-6 * std::fabs(c.Dmin));
        EXPECT_NEAR(qa, qs * std::exp(-c.Dmin / 365.25), 1e-9 * qs);
        EXPECT_NEAR(qb, qs, 2 * std::fabs(c.Dmin) / 365.25 * qs);
    }
}

TEST(ArpsIDecl, ValuesAndLeftovers)
{
    const struct {
        double Qt, Di, Qi, b;
        int32_t rc;
        double left;
    } rows[] = {
        {250, 1.0, 1000, 0.5, 0, 0.5},
        {250, 1.0, 0, 0.5, -1, 7.0},  // untouched: no provisional case applies
        {250, 1.0, 0, 0.0, -1, 1.0},  // b zero: Di
        {-5, 0.0, -5, 0.5, -1, 0.0},  // Di zero
    };
    for (const auto& r : rows) {
        double d = 7.0;
        EXPECT_EQ(GetArpsIDecl(r.Qt, r.Di, r.Qi, r.b, &d), r.rc);
        EXPECT_DOUBLE_EQ(d, r.left);
    }
}

TEST(ArpsDminDate, SwitchDateAndRejections)
{
    Date sw;
    ASSERT_EQ(GetArpsDminDate(D(2000, 1, 1), 1.0, 0.1, 1000, 1.0, &sw), 0);
    EXPECT_TRUE(sw == D(2008, 12, 31, 6, 0, 0));

    const double nan = std::nan("");
    const struct {
        Date start;
        double Di, Dmin, Qi, b;
    } bad[] = {
        {Date(), 1.0, 0.1, 1000, 1.0},         {D(2000, 1, 1), 0.0, 0.1, 1000, 1.0},
        {D(2000, 1, 1), 1.0, 0.0, 1000, 1.0},  {D(2000, 1, 1), 1.0, 0.1, 1000, 0.0},
        {D(2000, 1, 1), 0.2, 0.2, 1000, 0.5},  {D(2000, 1, 1), -0.4, -0.5, 100, -0.5},
        {D(2000, 1, 1), 1.0, -0.1, 1000, 1.0},  // Dmin of the other sign
        {D(2000, 1, 1), -1.0, 0.1, 1000, -1.0},
        {D(2000, 1, 1), 1.0, 0.1, 0.0, 1.0},  // the rate at the switch is zero
        {D(2000, 1, 1), 1.0, 0.1, nan, 1.0},  // a NaN never moves the switch date
        {D(2000, 1, 1), 1.0, nan, 1000, 1.0},
    };
    const Date mark = D(2222, 2, 2);
    for (const auto& c : bad) {
        Date out = mark;
        EXPECT_EQ(GetArpsDminDate(c.start, c.Di, c.Dmin, c.Qi, c.b, &out), -1) << c.Di << " " << c.Dmin;
        EXPECT_TRUE(out == mark);
    }
}

TEST(ArpsRateHostile, NoCrashAndOnlyStatuses)
{
    const std::vector<double> h = HostileDoubles();
    for (const Date& find : HostileDates()) {
        for (const Date& start : HostileDates()) {
            ForEachCombination(4, h, [&](const std::vector<double>& a) {
                double q = 0;
                ASSERT_TRUE(IsStatus(GetArpsQt(find, start, a[0], a[1], a[2], a[3], &q)));
                ASSERT_TRUE(IsStatus(ComputeArpsQt(find, start, a[0], a[1], a[2], a[3], &q)));
            });
        }
        ForEachCombination(4, h, [&](const std::vector<double>& a) {
            const Date mark = D(2222, 2, 2);
            Date out = mark;
            const int32_t rc = GetArpsDminDate(find, a[0], a[1], a[2], a[3], &out);
            ASSERT_TRUE(IsStatus(rc));
            if (rc != 0) {
                ASSERT_TRUE(out == mark);
            }
        });
    }
    ForEachCombination(4, h, [&](const std::vector<double>& a) {
        double d = 0;
        ASSERT_TRUE(IsStatus(GetArpsIDecl(a[0], a[1], a[2], a[3], &d)));
    });
    EXPECT_EQ(GetArpsQt(D(2010, 1, 1), D(2000, 1, 1), 1000, 1.0, 1.0, 0.1, nullptr), -1);
    EXPECT_EQ(GetArpsDminDate(D(2000, 1, 1), 1.0, 0.1, 1000, 1.0, nullptr), -1);
    EXPECT_EQ(GetArpsIDecl(1, 1, 1, 1, nullptr), -1);
}

TEST(ArpsRateLog, RecordsNameMessageAndLine)
{
    const char* file = "decline/arps/rate.cpp";
    double q = 0;
    Date out;
    const struct {
        void (*call)(double*, Date*);
        ExpectedRecord record;
    } rows[] = {
        {[](double* x, Date*) { GetArpsQt(D(1999, 12, 31, 23, 59, 59), D(2000, 1, 1), 100, 0.5, 0.5, 0, x); },
         {"GetArpsQt", "FindDate (12/31/1999) is less than StartDate (1/1/2000)", file, "L\"FindDate (%d/%d/%d)"}},
        {[](double* x, Date*) { GetArpsQt(D(2001, 1, 1), D(2000, 1, 1), 100, -4.0, 0.25, 0, x); },
         {"GetArpsQt", "Di (-4.000000) * bFactor (0.250000) * time (1.002053 years) must be > -1.", file,
          "L\"Di (%f)"}},
        {[](double* x, Date*) { GetArpsIDecl(250, 1.0, 0, 0.5, x); },
         {"GetArpsIDecl", "Invalid Qi or Qt, Qi = 0.000000, Qt = 250.000000", file, "L\"Invalid Qi or Qt"}},
        {[](double*, Date* d) { GetArpsDminDate(Date(), 1.0, 0.1, 1000, 1.0, d); },
         {"GetArpsDminDate", "Invalid start date (12/31/1799)", file, "L\"Invalid start date"}},
    };
    for (const auto& r : rows) {
        LogCapture log;
        r.call(&q, &out);
        ExpectLastRecord(log, r.record);
    }
    // The core asked for a switch the rule would have dropped: the switch
    // date's own record, then the rate's; the rate without the switch stays.
    LogCapture log;
    EXPECT_EQ(ComputeArpsQt(D(2010, 1, 1), D(2000, 1, 1), 1000, 0.2, 0.5, 0.3, &q), -1);
    EXPECT_NEAR(q, Qt(D(2010, 1, 1), D(2000, 1, 1), 1000, 0.2, 0.5, 0), 1e-9);
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    ExpectRecord(lines[0], {"GetArpsDminDate", "Invalid Dmin for given decline.", file, "L\"Invalid Dmin for given"});
    ExpectRecord(lines[1], {"GetArpsQt", "Unable to solve for Dmin date", file, "L\"Unable to solve"});
}

}  // namespace
