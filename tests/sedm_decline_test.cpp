// The stretched-exponential decline: volumes against a 30-digit quadrature
// (mpmath) and against Simpson's rule over the rate, the inversions as round
// trips through the rate, the log records, and hostile input.
#include "QRVPFuncs.h"
#include "tests/sedm_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

namespace {

using qrvp::test::D;
using qrvp::test::ExpectRelative;
using qrvp::test::LogCapture;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();


double Qt(double Qi, Date start, Date end, double tau, double n)
{
    double q = kNaN;
    EXPECT_EQ(GetSEDMQt(Qi, start, end, tau, n, &q), 0);
    return q;
}

double Vol(double Qi, Date start, Date end, double tau, double n)
{
    double v = kNaN;
    EXPECT_EQ(GetSEDMVol(Qi, start, end, tau, n, &v), 0);
    return v;
}

TEST(SEDM, KnownValues)
{
    const Date s = D(2020, 1, 1), e = D(2021, 1, 1);  // 366 days
    double out = kNaN;
    ExpectRelative(Qt(100, s, e, 2, 0.5), 49.27110455822088, 1e-14);
    ExpectRelative(Vol(100, s, e, 2, 0.5), 760.9541608707239, 1e-13);
    ASSERT_EQ(GetSEDMQi(49.27110455822088, s, e, 2, 0.5, &out), 0);
    ExpectRelative(out, 100.0, 1e-14);
    ASSERT_EQ(GetSEDMYears(100, 50, 0, 2, 0.5, &out), 0);
    ExpectRelative(out, 2 * std::log(2.0) * std::log(2.0), 1e-14);
    ASSERT_EQ(GetSEDMTau(100, 50, s, e, 0.5, &out), 0);
    ExpectRelative(out, 2.085642839282827, 1e-14);
    // n = 1 is exponential decline: 12 Qi tau (1 - e^(-t/tau)).
    const double t = 366 / 365.25;
    ExpectRelative(Vol(100, s, e, 2, 1), 12 * 100 * 2 * -std::expm1(-t / 2), 1e-13);
    // n = 0 is not rejected by the rate: (t/tau)^0 = 1.
    ExpectRelative(Qt(100, s, e, 2, 0), 100 * std::exp(-1.0), 1e-15);

    // Equal dates give the starting values.
    const Date at = D(2020, 5, 17, 13, 4, 5);
    EXPECT_EQ(Qt(123.5, at, at, 2, 0.7), 123.5);
    EXPECT_EQ(Vol(123.5, at, at, 2, 0.7), 0.0);
    ASSERT_EQ(GetSEDMTau(100, 50, at, at, 0.5, &out), 0);
    EXPECT_EQ(out, 0.0);
}

struct VolumeCase {
    double Qi;
    Date start, end;
    double tau, n;
    double expected;  // 12 Qi times the integral of exp(-(t/tau)^n), 30 digits
};

const VolumeCase kVolumes[] = {
    {100, D(2020, 1, 1), D(2021, 1, 1), 2, 0.5, 760.95416087072428},
    {100, D(2020, 1, 1), D(2021, 1, 1), 2, 1, 945.82018113863521},
    {2500, D(2001, 3, 15), D(2011, 3, 15), 3.5, 0.3, 108136.68735781335},
    {800, D(2010, 6, 1), D(2040, 6, 1), 12, 1.7, 102498.63337516119},
    {50, D(2000, 1, 1), D(2000, 2, 1), 0.1, 0.8, 32.220304876008423},
    {1e4, D(1990, 1, 1), D(2090, 1, 1), 1, 0.05, 3624148.7798931996},
    {300, D(2015, 1, 1), D(2020, 1, 1), 40, 3, 17988.756581113378},
};

// 12 times the integral of GetSEDMQt over years, Simpson's rule on six-hour
// steps (whole seconds, so every date is exact).
double IntegratedVolume(const VolumeCase& c)
{
    const auto steps = static_cast<int>(c.end.DaySpan(c.start) * 4.0);
    double sum = 0.0;
    for (int i = 0; i <= steps; ++i) {
        Date at = c.start;
        at.AddFracDay(i * 0.25);
        const double weight = (i == 0 || i == steps) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
        sum += weight * Qt(c.Qi, c.start, at, c.tau, c.n);
    }
    return 12.0 * (sum * 0.25 / 3.0) / 365.25;
}

TEST(SEDM, VolumeMatchesQuadratureAndTheIntegralOfTheRate)
{
    for (const VolumeCase& c : kVolumes) {
        SCOPED_TRACE(testing::Message() << "tau " << c.tau << " n " << c.n);
        ExpectRelative(Vol(c.Qi, c.start, c.end, c.tau, c.n), c.expected, 1e-12);
        // Below n = 1 the rate has a vertical tangent at the start, which
        // slows Simpson's rule down.
        ExpectRelative(Vol(c.Qi, c.start, c.end, c.tau, c.n), IntegratedVolume(c), c.n < 1 ? 1e-4 : 1e-9);
    }
}

struct Segment {
    double Qi, tau, n;
    Date start, end;
};

const Segment kSegments[] = {
    {100, 2, 0.5, D(2020, 1, 1), D(2021, 1, 1)},
    {5000, 0.4, 0.25, D(2003, 7, 9, 6, 30, 0), D(2009, 2, 1)},
    {12.5, 10, 1, D(1999, 12, 31), D(2004, 2, 29, 23, 59, 59)},
    {750, 3, 2.5, D(2012, 2, 29), D(2015, 8, 15)},
    {1e6, 1.5, 0.9, D(1850, 1, 1), D(1851, 6, 1, 12, 0, 0)},
};

// Each inversion fed back through the rate: Qi from the rate at the end,
// the years to 30% of Qi, and the tau that reaches 60% of Qi at the end.
TEST(SEDM, InversionsRoundTripThroughTheRate)
{
    for (const Segment& s : kSegments) {
        SCOPED_TRACE(testing::Message() << "Qi " << s.Qi);
        const double qf = Qt(s.Qi, s.start, s.end, s.tau, s.n);
        ASSERT_LT(qf, s.Qi);
        double qi = kNaN;
        ASSERT_EQ(GetSEDMQi(qf, s.start, s.end, s.tau, s.n, &qi), 0);
        ExpectRelative(qi, s.Qi, 1e-13);

        double years = kNaN;
        ASSERT_EQ(GetSEDMYears(s.Qi, s.Qi * 0.3, 99.0, s.tau, s.n, &years), 0);
        Date end = s.start;
        end.AddFracDay(years * 365.25);  // to the whole second
        ExpectRelative(Qt(s.Qi, s.start, end, s.tau, s.n), s.Qi * 0.3, 1e-5);

        double tau = kNaN;
        ASSERT_EQ(GetSEDMTau(s.Qi, s.Qi * 0.6, s.start, s.end, s.n, &tau), 0);
        ExpectRelative(Qt(s.Qi, s.start, s.end, tau, s.n), s.Qi * 0.6, 1e-13);
    }
}

TEST(SEDM, FailuresWriteOneRecordAndLeaveTheResult)
{
    const Date s = D(2020, 1, 1), e = D(2021, 1, 1);
    const Date early = D(1799, 12, 31);  // the null date
    Date secondBefore = s;
    secondBefore.AddSeconds(-1);
    struct Case {
        const char* name;
        std::function<int32_t(double*)> call;
        qrvp::test::ExpectedRecord record;
    };
    const char* sedm = "decline/sedm/sedm.cpp";
    const char* gam = "decline/sedm/gamma.cpp";
    const Case cases[] = {
        {"Qt tau 0", [&](double* o) { return GetSEDMQt(100, s, e, 0, 0.5, o); }, {"GetSEDMQt",
         "Invalid Qi (100.000000), tau (0.000000), or n (0.500000)", sedm, "Invalid Qi (%f), tau"}},
        {"Qt start 1799", [&](double* o) { return GetSEDMQt(100, early, e, 2, 0.5, o); }, {"GetSEDMQt",
         "Invalid start date (12/31/1799) or end date (1/1/2021)", sedm, "Invalid start date"}},
        {"Qt end a second early", [&](double* o) { return GetSEDMQt(100, s, secondBefore, 2, 0.5, o); },
         {"GetSEDMQt", "End date (12/31/2019) is earlier than start date (1/1/2020)", sedm, "is earlier than"}},
        {"Vol Qi 0", [&](double* o) { return GetSEDMVol(0, s, e, 2, 0.5, o); }, {"GetSEDMVol",
         "Invalid Qi (0.000000), tau (2.000000), or n (0.500000)", sedm, "Invalid Qi (%f), tau", 1}},
        {"Vol end 1799", [&](double* o) { return GetSEDMVol(1, s, early, 2, 0.5, o); }, {"GetSEDMVol",
         "Invalid start date (1/1/2020) or end date (12/31/1799)", sedm, "Invalid start date"}},
        {"Vol n 0.005", [&](double* o) { return GetSEDMVol(100, s, e, 2, 0.005, o); }, {"gamma",
         "x (200.000000) is out of range for function (max = 171.0)", gam, "max = 171.0"}},
        {"Vol n 0", [&](double* o) { return GetSEDMVol(100, s, e, 2, 0, o); }, {"gamma",
         "x (inf) is out of range for function (max = 171.0)", gam, "max = 171.0"}},
        {"Vol n -2", [&](double* o) { return GetSEDMVol(100, s, e, 2, -2, o); }, {"gamma",
         "x (-0.500000) cannot be negative", gam, "cannot be negative"}},
        {"Vol n just above the gamma limit", [&](double* o) { return GetSEDMVol(100, s, e, 2, 1 / 170.5, o); },
         {"incGamma", "xam (-1.687051) or a (170.500000) out of range for function (xam <= 700, a <= 170)", gam,
          "xam <= 700"}},
        {"Years tau 0", [&](double* o) { return GetSEDMYears(100, 50, 0, 0, 0.5, o); }, {"GetSEDMYears",
         "tau (0.000000) and n (0.500000) must be greater than zero", sedm, "must be greater than zero"}},
        {"Years Qf = Qi", [&](double* o) { return GetSEDMYears(100, 100, 0, 2, 0.5, o); }, {"GetSEDMYears",
         "Invalid Qi (100.000000) or Qf (100.000000)", sedm, "Invalid Qi (%f) or Qf"}},
        {"Years Qf above Qi", [&](double* o) { return GetSEDMYears(100, 150, 0, 2, 0.5, o); }, {"GetSEDMYears",
         "Invalid Qi (100.000000) or Qf (150.000000)", sedm, "Invalid Qi (%f) or Qf"}},
        {"Years Qf within tolerance below Qi",
         [&](double* o) { return GetSEDMYears(100, 100 - 5e-12, 0, 2, 0.5, o); }, {"GetSEDMYears",
         "Invalid Qi (100.000000) or Qf (100.000000)", sedm, "Invalid Qi (%f) or Qf"}},
        {"Tau Qf 0", [&](double* o) { return GetSEDMTau(100, 0, s, e, 0.5, o); }, {"GetSEDMTau",
         "Invalid n (0.500000), Qi (100.000000), or Qf (0.000000)", sedm, "Invalid n (%f)"}},
        {"Tau order", [&](double* o) { return GetSEDMTau(100, 50, e, s, 0.5, o); }, {"GetSEDMTau",
         "End date (1/1/2020) is earlier than start date (1/1/2021)", sedm, "is earlier than"}},
        {"Qi Qf negative", [&](double* o) { return GetSEDMQi(-3, s, e, 2, 0.5, o); }, {"GetSEDMQi",
         "Invalid tau (2.000000), n (0.500000), or Qf (-3.000000)", sedm, "Invalid tau (%f)"}},
        {"Qi tau negative", [&](double* o) { return GetSEDMQi(3, s, e, -2, 0.5, o); }, {"GetSEDMQi",
         "Invalid tau (-2.000000), n (0.500000), or Qf (3.000000)", sedm, "Invalid tau (%f)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        double out = 42.0;
        EXPECT_EQ(c.call(&out), -1);
        EXPECT_EQ(out, 42.0);
        qrvp::test::ExpectOneRecord(log, c.record);
    }
}

// A null result, and the Qf-from-volume inversion the decline does not offer.
TEST(SEDM, FailuresWithoutARecord)
{
    LogCapture log;
    const Date s = D(2020, 1, 1), e = D(2021, 1, 1);
    EXPECT_EQ(GetSEDMQt(100, s, e, 2, 0.5, nullptr), -1);
    EXPECT_EQ(GetSEDMVol(100, s, e, 2, 0.5, nullptr), -1);
    EXPECT_EQ(GetSEDMYears(100, 50, 0, 2, 0.5, nullptr), -1);
    EXPECT_EQ(GetSEDMTau(100, 50, s, e, 0.5, nullptr), -1);
    EXPECT_EQ(GetSEDMQi(50, s, e, 2, 0.5, nullptr), -1);
    double qf = 42.0;
    EXPECT_EQ(GetSEDMQfVol(100, 500, s, e, 2, qf), -1);
    EXPECT_EQ(qf, -1.0);
    EXPECT_TRUE(log.Lines().empty());
}

TEST(SEDM, HostileNumbersAndDatesDoNotCrash)
{
    LogCapture log;
    const double hostile[] = {kNaN, kInf, -kInf, 1e308, -1e308, 5e-324, -5e-324, 0.0, 1e-11, 0.5};
    const Date wild(DateBase{4000000000u, 99, 99, 99, 99, 4000000000u});
    const Date dates[] = {D(2020, 1, 1), D(2999, 12, 31), wild};
    for (const double a : hostile) {
        for (const double b : hostile) {
            for (const Date& end : dates) {
                const Date start = D(2020, 1, 1);
                double out = 0.0;
                for (const int32_t status :
                     {GetSEDMQt(a, start, end, b, a, &out), GetSEDMVol(a, start, end, b, a, &out),
                      GetSEDMVol(100, start, end, a, b, &out), GetSEDMYears(a, b, 0, a, b, &out),
                      GetSEDMYears(100, a, 0, 2, b, &out), GetSEDMTau(a, b, start, end, a, &out),
                      GetSEDMTau(100, 50, start, end, a, &out), GetSEDMQi(a, start, end, b, a, &out),
                      GetSEDMQi(1, start, end, 0.01, b, &out)}) {
                    EXPECT_TRUE(status == 0 || status == -1);
                }
            }
        }
    }
}

}  // namespace
