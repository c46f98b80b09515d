// The Arps solvers against their forward function and against known values.
#include "QRVPFuncs.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qrvp::test;

// A segment: its rate and decline at the start, b, Dmin, and its end date.
struct Segment {
    double Qi, Di, b, Dmin;
    Date end;
};

// Declines and inclines, b across (-1, 2], with and without an active Dmin.
const Segment kSegments[] = {
    {1000, 0.5, 0.0, 0.0, D(2005, 7, 1)},    {1000, 1.0, 0.5, 0.0, D(2002, 1, 1)},
    {1000, 1.0, 1.0, 0.0, D(2010, 1, 1)},    {1000, 1.0, 1.0, 0.1, D(2016, 1, 1)},
    {1000, 2.5, 2.0, 0.06, D(2030, 3, 15)},  {1000, 0.8, 1.5, 0.12, D(2012, 6, 30)},
    {800, 0.6, 0.3, 0.2, D(2011, 1, 1)},     {1000, 0.4, 0.9, 0.05, D(2001, 1, 1)},
    {100, -0.4, -0.5, -0.1, D(2010, 1, 1)},  {100, -1.2, -0.9, -0.5, D(2004, 2, 29)},
    {100, -0.3, -0.2, 0.0, D(2006, 1, 1)},   {100, -0.2, 0.0, 0.0, D(2003, 1, 1)},
    {100, 0.3, -0.5, 0.0, D(2003, 1, 1)},    {100, -0.3, 0.7, 0.0, D(2003, 1, 1)},
    {1000, 0.3, 0.5, 0.4, D(2010, 1, 1)},    // Dmin above Di: exponential
};
const Date kStart = D(2000, 1, 1);

// Each solver, then the rate: Di, Qi and the duration give back the rates.
TEST(ArpsSolvers, RoundTripsThroughTheRate)
{
    for (const Segment& s : kSegments) {
        SCOPED_TRACE(testing::Message() << s.Di << " b " << s.b);
        const double Qf = ArpsRate(s.end, kStart, s.Qi, s.Di, s.b, s.Dmin);
        double Di = -1, Qi = -1, years = -1;
        ASSERT_EQ(GetArpsDi(kStart, s.end, s.Qi, Qf, s.b, s.Dmin, &Di), 0);
        EXPECT_NEAR(ArpsRate(s.end, kStart, s.Qi, Di, s.b, s.Dmin), Qf, 1e-6 * Qf);
        ASSERT_EQ(GetArpsQi(kStart, s.end, Qf, s.b, s.Di, s.Dmin, &Qi), 0);
        EXPECT_NEAR(Qi, s.Qi, 1e-9 * s.Qi);
        ASSERT_EQ(GetArpsYears(s.Qi, Qf, s.b, s.Di, s.Dmin, &years), 0);
        EXPECT_NEAR(years * 365.25, s.end.DaySpan(kStart), 1e-6);
        Date at = kStart;
        at.AddFracDay(years * 365.25);
        // The date keeps whole seconds: within a second's worth of rate.
        const double slack = std::fabs(s.Di) * Qf * 2 / 86400 / 365.25 * 10 + 1e-9;
        EXPECT_NEAR(ArpsRate(at, kStart, s.Qi, s.Di, s.b, s.Dmin), Qf, slack * s.Qi / Qf);
    }
}

TEST(ArpsSolvers, KnownValues)
{
    double x = 0;
    EXPECT_EQ(GetArpsDi(D(2000, 1, 1), D(2009, 1, 1), 1000, 100, 0, 0, &x), 0);
    EXPECT_NEAR(x, 0.255784, 1e-6);
    EXPECT_EQ(GetArpsDi(D(2000, 1, 1), D(2009, 1, 1), 1000, 100, 1, 0, &x), 0);
    EXPECT_NEAR(x, 0.999772, 1e-6);
    EXPECT_EQ(GetArpsDi(D(2000, 1, 1), D(2016, 1, 1), 1000, 50, 1, 0.1, &x), 0);
    EXPECT_NEAR(x, 0.992411, 1e-6);
    EXPECT_EQ(GetArpsDi(D(2000, 1, 1), D(2016, 1, 1), 1000, 500, 1, 0.1, &x), 0);
    EXPECT_NEAR(x, std::log(2.0) / (5844 / 365.25), 1e-12);
    EXPECT_EQ(GetArpsQi(D(2000, 1, 1), D(2002, 1, 1), 100, 0.5, 1.0, 0, &x), 0);
    EXPECT_NEAR(x, 400.273832, 1e-6);
    EXPECT_EQ(GetArpsQi(Date(), Date(), 100, 0.5, 0.0, 0, &x), 0);
    EXPECT_EQ(x, 100.0);
    EXPECT_EQ(GetArpsYears(1000, 100, 0, 0.5, 0, &x), 0);
    EXPECT_NEAR(x, 4.605170, 1e-6);
    EXPECT_EQ(GetArpsYears(1000, 100, 1, 1.0, 0.1, &x), 0);
    EXPECT_NEAR(x, 9.0, 1e-12);
    EXPECT_EQ(GetArpsYears(1000, 50, 1, 1.0, 0.1, &x), 0);
    EXPECT_NEAR(x, 9.0 + std::log(2.0) / 0.1, 1e-5);

    double nq = 0, nd = 0;
    EXPECT_EQ(GetConstantArpsQi(D(2009, 1, 1), D(2010, 1, 1), 100, 0.5, 1, &nq, &nd), 0);
    EXPECT_NEAR(nq, 199.863201, 1e-6);
    EXPECT_NEAR(nd, 0.999316, 1e-6);

    double Di = 1.0, Qinit = 0;
    Date start;
    EXPECT_EQ(GetConstantArpsQinit(&Di, D(2010, 1, 1), D(2012, 1, 1), 100, 50, 0.5, 1, 0, &Qinit, &start), 0);
    EXPECT_TRUE(start == D(2009, 1, 1));
    EXPECT_NEAR(Qinit, 199.863201, 1e-6);
    EXPECT_NEAR(Di, 0.999772, 1e-6);
}

TEST(ArpsSolvers, FailuresAndWhatTheyLeave)
{
    double x = 5;
    EXPECT_EQ(GetArpsDi(D(2000, 1, 1), D(2009, 1, 1), 1000, 0, 1, 0, &x), -1);
    EXPECT_EQ(x, 0.0);
    x = 5;
    EXPECT_EQ(GetArpsDi(D(2000, 1, 1), D(2009, 1, 1), 1000, 1000, 1, 0, &x), 0);
    EXPECT_EQ(x, 0.0);
    x = 5;
    EXPECT_EQ(GetArpsDi(D(2000, 1, 1), D(2016, 1, 1), 1000, 50, 1, std::nan(""), &x), -1);  // never converges
    EXPECT_EQ(x, 0.0);
    x = 5;
    EXPECT_EQ(GetArpsQi(D(2000, 1, 1), D(2002, 1, 1), 0, 0.5, 1.0, 0, &x), -1);
    EXPECT_EQ(GetArpsQi(D(2002, 1, 1), D(2000, 1, 1), 10, 0.5, 1.0, 0, &x), -1);
    EXPECT_EQ(GetArpsYears(1000, 0, 1, 1.0, 0.1, &x), -1);
    EXPECT_EQ(x, 5.0);
    // A switch past 2600 reports success without writing.
    EXPECT_EQ(GetArpsYears(1000, 1e-6, 1, 1.0, 0.001, &x), 0);
    EXPECT_EQ(x, 5.0);

    double nq = 5, nd = 5;
    EXPECT_EQ(GetConstantArpsQi(D(2008, 1, 1), D(2010, 1, 1), 100, 0.5, 1, &nq, &nd), -1);
    EXPECT_EQ(GetConstantArpsQi(D(2010, 1, 1), D(2010, 1, 1), 100, 0.5, 1, &nq, &nd), -1);
    EXPECT_EQ(GetConstantArpsQi(D(2009, 1, 1), D(2010, 1, 1), 100, 0.5, 0, &nq, &nd), -1);
    EXPECT_EQ(GetConstantArpsQi(D(2009, 1, 1), D(2010, 1, 1), 100, -0.5, 1, &nq, &nd), -1);
    EXPECT_EQ(GetConstantArpsQi(D(2009, 1, 1), D(2010, 1, 1), 100, 0.5, 1e-9, &nq, &nd), -1);
    EXPECT_EQ(nq, 5.0);
    EXPECT_EQ(nd, 5.0);

    double Di = 0.0, Qinit = 5;
    Date start = D(2222, 2, 2);
    EXPECT_EQ(GetConstantArpsQinit(&Di, D(2010, 1, 1), D(2012, 1, 1), 100, 50, 0.5, 1, 0, &Qinit, &start), -1);
    EXPECT_EQ(Qinit, 5.0);
    EXPECT_TRUE(start == D(2222, 2, 2));
    // A wanted decline of the other sign has no such point on the curve.
    Di = -1.0;
    EXPECT_EQ(GetConstantArpsQinit(&Di, D(2010, 1, 1), D(2012, 1, 1), 100, 50, 0.5, 0.7, 0, &Qinit, &start), -1);
    EXPECT_TRUE(start == D(2222, 2, 2));
    EXPECT_EQ(Di, -1.0);
}

TEST(ArpsSolversHostile, NoCrashAndOnlyStatuses)
{
    const std::vector<double> h = HostileDoubles();
    const std::vector<double> few = {h[0], h[1], h[3], h[5], 1.0};
    const std::vector<Date> dates = HostileDates();
    for (const Date& a : dates) {
        for (const Date& b : dates) {
            ForEachCombination(4, h, [&](const std::vector<double>& v) {
                double x = 5;
                ASSERT_TRUE(IsStatus(GetArpsDi(a, b, v[0], v[1], v[2], v[3], &x)));
                ASSERT_TRUE(IsStatus(GetArpsQi(a, b, v[0], v[1], v[2], v[3], &x)));
            });
            ForEachCombination(3, h, [&](const std::vector<double>& v) {
                double nq = 5, nd = 5;
                const int32_t rc = GetConstantArpsQi(a, b, v[0], v[1], v[2], &nq, &nd);
                ASSERT_TRUE(IsStatus(rc));
                if (rc == 0) {  // never a NaN reported as success
                    ASSERT_TRUE(std::isfinite(nq) && std::isfinite(nd)) << v[0] << " " << v[1] << " " << v[2];
                }
            });
            ForEachCombination(6, few, [&](const std::vector<double>& v) {
                double Di = v[0], Qinit = 5;
                Date start;
                ASSERT_TRUE(IsStatus(GetConstantArpsQinit(&Di, a, b, v[1], v[2], v[3], v[4], v[5], &Qinit, &start)));
            });
        }
    }
    ForEachCombination(5, h, [&](const std::vector<double>& v) {
        double x = 5;
        ASSERT_TRUE(IsStatus(GetArpsYears(v[0], v[1], v[2], v[3], v[4], &x)));
    });
    double x = 0, y = 0;
    Date out;
    const Date s = D(2000, 1, 1), e = D(2010, 1, 1);
    EXPECT_EQ(GetArpsDi(s, e, 1000, 100, 1, 0, nullptr), -1);
    EXPECT_EQ(GetArpsQi(s, e, 100, 1, 1, 0, nullptr), -1);
    EXPECT_EQ(GetArpsYears(1000, 100, 1, 1, 0, nullptr), -1);
    EXPECT_EQ(GetConstantArpsQi(s, e, 100, 1, 1, nullptr, &y), -1);
    EXPECT_EQ(GetConstantArpsQi(s, e, 100, 1, 1, &x, nullptr), -1);
    EXPECT_EQ(GetConstantArpsQinit(nullptr, e, e, 100, 50, 0.5, 1, 0, &x, &out), -1);
    EXPECT_EQ(GetConstantArpsQinit(&x, e, e, 100, 50, 0.5, 1, 0, nullptr, &out), -1);
    EXPECT_EQ(GetConstantArpsQinit(&x, e, e, 100, 50, 0.5, 1, 0, &y, nullptr), -1);
}

TEST(ArpsSolversLog, RecordsNameMessageAndLine)
{
    const char* file = "decline/arps/solvers.cpp";
    const char* small = "L\"Calculated time";
    const struct {
        void (*call)(double*);
        ExpectedRecord record;
    } rows[] = {
        {[](double* x) { GetArpsDi(D(2000, 1, 1), D(2009, 1, 1), 1000, 0, 1, 0, x); },
         {"GetArpsDi",
          "Invalid parameters: Qi (1000.000000), Qt (0.000000), StartDate (1/1/2000), EndDate (1/1/2009)", file,
          "L\"Invalid parameters"}},
        {[](double* x) { GetArpsDi(D(2000, 1, 1), D(2016, 1, 1), 1000, 50, 1, std::nan(""), x); },
         {"GetArpsDi", "Reached iteration limit (100)", file, "L\"Reached iteration"}},
        {[](double* x) { GetArpsQi(D(2002, 1, 1), D(2000, 1, 1), 10, 0.5, 1.0, 0, x); },
         {"GetArpsQi", "Invalid start date (1/1/2002) and/or end date (1/1/2000).", file, "L\"Invalid start date"}},
        {[](double* x) { GetArpsYears(1000, 0, 1, 1.0, 0.1, x); },
         {"GetArpsYears", "Qi, Qf, and Di must all be nonzero.", file, "L\"Qi, Qf, and Di"}},
        // Three statements share one message: no exponent, past the cap, a
        // scale that under- or overflows.
        {[](double* x) { GetConstantArpsQi(D(2009, 1, 1), D(2010, 1, 1), 100, 0.5, 0, x, x); },
         {"GetConstantArpsQi", "Calculated time too small", file, small, 0}},
        {[](double* x) { GetConstantArpsQi(D(2008, 1, 1), D(2010, 1, 1), 100, 0.5, 1, x, x); },
         {"GetConstantArpsQi", "Calculated time too small", file, small, 1}},
        {[](double* x) { GetConstantArpsQi(D(2009, 1, 1), D(2010, 1, 1), 100, 0.5, 1e-9, x, x); },
         {"GetConstantArpsQi", "Calculated time too small", file, small, 2}},
        {[](double* x) { GetConstantArpsQi(D(2010, 1, 1), D(2010, 1, 1), 100, 0.5, 1, x, x); },
         {"GetConstantArpsQi",
          "New start date (1/1/2010) greater than or equal to original start date (1/1/2010)", file,
          "L\"New start date"}},
    };
    for (const auto& r : rows) {
        LogCapture log;
        double x = 0;
        r.call(&x);
        ExpectLastRecord(log, r.record);
    }
}

}  // namespace
