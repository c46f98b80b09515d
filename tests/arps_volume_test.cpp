// Arps volumes checked against a numerical integral of the rate, the
// inversions against the volumes, the log records, and hostile input.
#include "decline/arps/arps_volume.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <limits>
#include <string>

namespace {

using qrvp::test::LogCapture;

Date D(int y, int m, int d) { return Date(y, m, d, 0, 0, 0); }

double Rate(Date at, Date start, double Qi, double Di, double b, double Dmin)
{
    double q = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(GetArpsQt(at, start, Qi, Di, b, Dmin, &q), 0);
    return q;
}

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
        sum += weight * Rate(at, start, Qi, Di, b, Dmin);
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
        const double qf = Rate(c.end, c.start, c.Qi, c.Di, c.b, c.Dmin);
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
        const double qf = Rate(c.end, c.start, c.Qi, c.Di, c.b, c.Dmin);

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

TEST(ArpsVolume, SwitchCaseFigures)
{
    double years = 0;
    ASSERT_EQ(GetArpsYearsVol(1000, 28774.458384, 1.0, 1.0, 0.1, &years), 0);
    EXPECT_NEAR(years, 3653 / 365.25, 1e-6);
    double qf = 0;
    ASSERT_EQ(GetArpsQfVol(1000, 1.0, 1.0, 28774.458384, 0.1, &qf), 0);
    EXPECT_NEAR(qf, 90.471356, 1e-6);
    ASSERT_EQ(qrvp::arps::GetArpsRemTime(1000, 12004.105371, 0.5, 1.0, 0, &years), 0);
    EXPECT_NEAR(years, 731 / 365.25, 1e-6);
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

TEST(ArpsVolume, FailuresAndWhatTheyLeave)
{
    LogCapture log;
    const Date s = D(2000, 1, 1), e = D(2001, 1, 1);
    double out = 123.0;
    // b > 0 with Dmin >= Di makes the segment exponential; a zero Qf cannot end it.
    EXPECT_EQ(GetArpsVol(s, e, 100, 0, 0.5, 0.5, 0.6, &out), -1);
    EXPECT_EQ(out, 123.0);
    EXPECT_EQ(GetArpsVol2(s, e, 0, 0.5, 0.5, 0, &out), -1);
    EXPECT_EQ(out, 123.0);
    EXPECT_EQ(GetArpsYearsVol(0, 100, 0.5, 0.5, 0, &out), -1);
    EXPECT_EQ(out, 123.0);
    EXPECT_EQ(GetArpsQfVol(100, 0.0, 0.5, 10, 0, &out), -1);  // silent
    EXPECT_EQ(out, 123.0);
    // Far past the switch the linear exponential tail goes negative; the value stays.
    EXPECT_EQ(GetArpsQfVol(1000, 1.0, 1.0, 1e7, 0.1, &out), -1);
    EXPECT_LT(out, 0.0);

    double di = 5, qf = 5;
    EXPECT_EQ(GetArpsQfDiVol(s, e, 100, 0.5, 366 * 100 / 30.4375, 0.1, &di, &qf), 0);
    EXPECT_EQ(di, 0.0);
    EXPECT_EQ(qf, 100.0);
    EXPECT_EQ(GetArpsQfDiVol(s, e, 100, 0.5, 0.0, 0.1, &di, &qf), -1);  // never within a zero tolerance

    double years = 0;
    EXPECT_EQ(qrvp::arps::GetArpsRemTime(100, 12 * 100 / 0.5, 0.0, 0.5, 0, &years), 0);
    EXPECT_FALSE(std::isfinite(years));

    EXPECT_EQ(GetArpsVol(s, e, 1, 2, 3, 4, 5, nullptr), -1);
    EXPECT_EQ(GetArpsVol2(s, e, 1, 2, 3, 4, nullptr), -1);
    EXPECT_EQ(GetArpsQfDiVol(s, e, 1, 2, 3, 4, &di, nullptr), -1);
    EXPECT_EQ(GetArpsQfDiVol(s, e, 1, 2, 3, 4, nullptr, &qf), -1);
    EXPECT_EQ(GetArpsYearsVol(1, 2, 3, 4, 5, nullptr), -1);
    EXPECT_EQ(GetArpsQfVol(1, 2, 3, 4, 5, nullptr), -1);
}

// The source line of the report that carries this message, in volume.cpp.
int ReportLine(const std::string& message)
{
    std::ifstream source(QRVP_SOURCE_DIR "/decline/arps/volume.cpp");
    std::string text;
    int lineNo = 0, failLine = 0;
    while (std::getline(source, text)) {
        ++lineNo;
        if (text.find("QRVP_FAIL(") != std::string::npos) failLine = lineNo;
        if (text.find(message) != std::string::npos) return failLine;
    }
    return -1;
}

TEST(ArpsVolume, LogRecordsNameTheReportingRoutine)
{
    const Date s = D(2000, 1, 1), e = D(2001, 1, 1);
    struct Expected {
        const char* function;
        const char* message;
    };
    double out = 0;
    const auto expect = [](LogCapture& log, const Expected& x) {
        const auto lines = log.Lines();
        ASSERT_EQ(lines.size(), 1u);
        const auto tail = qrvp::test::ParseRecordTail(lines.back());
        EXPECT_EQ(tail.function, x.function);
        EXPECT_EQ(tail.message, x.message);
        EXPECT_EQ(tail.line, ReportLine(x.message));
    };
    {
        LogCapture log;
        EXPECT_EQ(GetArpsVol(s, e, 100, 0, 0.5, 0.5, 0.6, &out), -1);
        expect(log, {"HypVolQf", "Qi, Qf, and Di must all be nonzero."});
    }
    {
        LogCapture log;
        EXPECT_EQ(GetArpsVol2(s, e, 0, 0.5, 0.5, 0, &out), -1);
        expect(log, {"GetArpsYears", "Qi and Di must be nonzero."});
    }
    {
        LogCapture log;
        EXPECT_EQ(GetArpsYearsVol(-1, 100, 0.5, 0.5, 0, &out), -1);
        expect(log, {"GetArpsRemTime", "Qi cannot be less than or equal to zero."});
    }
    {
        LogCapture log;
        EXPECT_EQ(GetArpsQfVol(1000, 1.0, 1.0, 1e7, 0.1, &out), -1);
        expect(log, {"GetArpsQfVol", "Solved Qf cannot be less than zero."});
    }
}

TEST(ArpsVolume, HostileNumbersAndDates)
{
    LogCapture log;
    const double hostile[] = {std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              1e308,
                              -1e308,
                              std::numeric_limits<double>::denorm_min(),
                              -std::numeric_limits<double>::denorm_min(),
                              0.0};
    Date wild;
    wild.year = 4000000000u;
    wild.month = 99;
    wild.day = 99;
    wild.hour = 99;
    wild.second = 4000000000u;
    Date zero;
    zero.year = 0;
    const Date dates[] = {D(2000, 1, 1), Date(), zero, wild, D(2999, 12, 31)};

    // Five numbers, varied one at a time and all together, with every date pair.
    const std::array<double, 5> base{1000, 1.0, 0.5, 0.1, 5000};
    for (const Date& s : dates) {
        for (const Date& e : dates) {
            for (size_t pos = 0; pos <= base.size(); ++pos) {
                for (double h : hostile) {
                    auto a = base;
                    for (size_t i = 0; i < a.size(); ++i) {
                        if (i == pos || pos == base.size()) a[i] = h;
                    }
                    double out = 7.0, out2 = 7.0;
                    int32_t st = GetArpsVol(s, e, a[0], a[4], a[1], a[2], a[3], &out);
                    EXPECT_TRUE(st == 0 || (st == -1 && out == 7.0));
                    out = 7.0;
                    st = GetArpsVol2(s, e, a[0], a[1], a[2], a[3], &out);
                    EXPECT_TRUE(st == 0 || (st == -1 && out == 7.0));
                    st = GetArpsQfDiVol(s, e, a[0], a[2], a[4], a[3], &out, &out2);
                    EXPECT_TRUE(st == 0 || st == -1);
                    out = 7.0;
                    st = GetArpsYearsVol(a[0], a[4], a[2], a[1], a[3], &out);
                    EXPECT_TRUE(st == 0 || (st == -1 && out == 7.0));
                    st = GetArpsQfVol(a[0], a[1], a[2], a[4], a[3], &out);
                    EXPECT_TRUE(st == 0 || st == -1);
                }
            }
        }
    }
}

}  // namespace
