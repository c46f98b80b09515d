// The fit's forecasting pieces against wells made by the library's own volume
// functions: the prior's pull by history length, restarts and the peak at the
// boundaries of their rules, and FitBand's band against the curve's own volume.
#include "QRVPFit.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

struct Well {
    std::vector<Date> starts, ends;
    std::vector<double> volumes, daysOn;
};

// `months` full months of Arps (qi, di, b) from 2012-01, with seeded log noise.
Well MakeWell(int months, double qi, double di, double b, double noise, uint64_t seed)
{
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> eps(0.0, noise);
    const Date origin(2012, 1, 1, 0, 0, 0);
    Well w;
    Date month = origin;
    double before = 0.0;
    for (int k = 0; k < months; ++k) {
        Date next = month;
        next.AddMonths(1);
        double cum = 0.0;
        EXPECT_EQ(GetArpsVol2(origin, next, qi, di, b, 0.0, &cum), 0);
        w.starts.push_back(month);
        w.ends.push_back(next);
        w.volumes.push_back((cum - before) * std::exp(eps(rng)));
        w.daysOn.push_back(next.DaySpan(month));
        before = cum;
        month = next;
    }
    return w;
}

int32_t Fit(const Well& w, const FitOptions& o, FitResult* r)
{
    return FitDecline(static_cast<int32_t>(w.volumes.size()), w.starts.data(), w.ends.data(), w.volumes.data(),
                      w.daysOn.data(), &o, r, nullptr);
}

FitOptions Defaults()
{
    FitOptions o;
    FitDefaults(&o);
    return o;
}

TEST(FitForecast, PriorPullsAShortHistoryHardAndALongOneHardlyAtAll)
{
    FitOptions withPrior = Defaults();
    withPrior.prior = FitPrior{std::log(1.5), 1.8, 0.5, 0.5, 3.0, 12.0, 0.0, 0, 0};
    // The wells' true Di is 3 and b 0.5, the prior's 1.5 and 1.8, each with a spread of 0.5.
    for (int months : {8, 120}) {
        const Well w = MakeWell(months, 20000.0, 3.0, 0.5, 0.03, 5);
        FitResult alone, pulled;
        ASSERT_EQ(Fit(w, Defaults(), &alone), 0);
        ASSERT_EQ(Fit(w, withPrior, &pulled), 0);
        SCOPED_TRACE(months);
        if (months == 8) {
            EXPECT_GT(pulled.curve.b, 1.2);  // most of the way to the fleet
            EXPECT_NEAR(std::log(pulled.curve.Di), std::log(1.5), 0.05);
        } else {
            EXPECT_NEAR(alone.curve.b, 0.5, 0.05);
            EXPECT_LT(std::fabs(pulled.curve.b - alone.curve.b), 0.1);
        }
    }
    // A prior alone fits a single month: its shape, the month's level.
    const Well one = MakeWell(1, 20000.0, 3.0, 0.5, 0.0, 1);
    FitResult r;
    ASSERT_EQ(Fit(one, withPrior, &r), 0);
    EXPECT_NEAR(r.curve.b, 1.8, 1e-6);
    EXPECT_NEAR(std::log(r.curve.Di), std::log(1.5), 1e-6);
}

// Whole months from 2012-01 at the given rates (0: shut in; -1: on, but no volume recorded), without noise.
Well Rates(std::initializer_list<std::vector<double>> parts)
{
    Well w;
    Date month(2012, 1, 1, 0, 0, 0);
    for (const std::vector<double>& part : parts) {
        for (double rate : part) {
            Date next = month;
            next.AddMonths(1);
            w.starts.push_back(month);
            w.ends.push_back(next);
            w.daysOn.push_back(rate != 0.0 ? next.DaySpan(month) : 0.0);
            w.volumes.push_back((rate > 0.0 ? rate : 0.0) * w.daysOn.back());
            month = next;
        }
    }
    return w;
}

// n months falling 3% a month from q.
std::vector<double> Falling(int n, double q)
{
    std::vector<double> out;
    for (int k = 0; k < n; ++k) out.push_back(q * std::pow(0.97, k));
    return out;
}

TEST(FitForecast, RestartsAndThePeakAtTheBoundariesOfTheirRules)
{
    // A restart: production again after 6 months shut in or on with no volume (5 are not enough), or a
    // rate at twice the median of the three producing months before it, its own and the next two's median
    // too (a wild month is not one); either with 6 producing months after it.  The fit starts at the regime's peak, the highest
    // median of three (at the ends the lower of two, the first of equals) among the first half of its
    // months not 2x off the median of five, unless fewer than 4 months follow.
    const double q12 = 1000.0 * std::pow(0.97, 12), q13 = 1000.0 * std::pow(0.97, 13);
    struct Case {
        Well well;
        int changes, regimeFirst, first;
    };
    const Case cases[] = {
        {Rates({Falling(12, 1000.0), Falling(12, 2.2 * q12)}), 1, 12, 12},
        {Rates({Falling(12, 1000.0), Falling(12, 2.1 * q12)}), 0, 0, 0},
        {Rates({Falling(9, 1000.0), {500, 500, 500, 1000, 1000, 1000}, Falling(6, 990.0)}), 1, 12, 12},  // exactly twice
        {Rates({Falling(12, 1000.0), {3.0 * q12}, Falling(11, q13)}), 0, 0, 0},
        {Rates({Falling(12, 1000.0), std::vector<double>(5, 0.0), Falling(12, q12)}), 0, 0, 0},
        {Rates({Falling(12, 1000.0), std::vector<double>(6, -1.0), Falling(12, q12)}), 1, 18, 18},
        {Rates({Falling(12, 1000.0), std::vector<double>(6, 0.0), Falling(5, q12)}), 0, 0, 0},
        {Rates({Falling(12, 1000.0), std::vector<double>(6, 0.0), Falling(6, q12)}), 1, 18, 18},
        {Rates({{100, 300, 500, 450, 350}, Falling(12, 300.0)}), 0, 0, 2},
        {Rates({{1000, 50, 100}, Falling(12, 95.0)}), 0, 0, 1},
        {Rates({{95, 40, 100, 90}, Falling(12, 45.0)}), 0, 0, 2},
        {Rates({{200, 250, 300, 350, 500, 450, 400, 350, 300}}), 0, 0, 4},  // the middle of nine is in the first half
        {Rates({{100, 90, 80, 70, 60, 400, 500, 450, 50, 40, 30}}), 1, 5, 6},
        {Rates({Falling(12, 1000.0), std::vector<double>(6, 0.0), {100, 95, 90, 88, 300, 290, 280}}), 1, 18, 18},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i);
        FitResult r;
        ASSERT_EQ(Fit(c.well, Defaults(), &r), 0);
        EXPECT_EQ(r.regimeChanges, c.changes);
        EXPECT_EQ(r.regimeStart, c.well.starts[static_cast<size_t>(c.regimeFirst)]);
        EXPECT_EQ(r.startIndex, c.first);
    }
    // The whole history as one regime, as the prior says when the options leave it.
    FitOptions one = Defaults();
    one.prior.oneRegime = 1;
    FitResult r;
    ASSERT_EQ(Fit(cases[4].well, one, &r), 0);
    EXPECT_EQ(r.regimeChanges, 0);
    EXPECT_EQ(r.startIndex, 0);
}

TEST(FitForecast, BandsFollowTheCurveTheNoiseAndTheHorizon)
{
    const double history[] = {0, 0, 24, 24}, horizon[] = {6, 24, 6, 24}, centre[] = {0.1, 0.1, 0.0, 0.0},
                 low[] = {-1.0, -2.0, -0.5, -1.0}, high[] = {1.0, 2.0, 0.5, 1.0};
    const FitCalibration cal = {4, 0, 0.5, 0.05, history, horizon, centre, low, high};
    double width[2][2];
    for (int noisy = 0; noisy < 2; ++noisy) {
        const Well w = MakeWell(noisy ? 12 : 36, 8000.0, 1.0, 1.0, noisy ? 0.25 : 0.02, 4);
        FitResult r;
        ASSERT_EQ(Fit(w, Defaults(), &r), 0);
        for (int far = 0; far < 2; ++far) {
            Date to = r.historyEnd;
            to.AddMonths(far ? 25 : 6);
            double p90, p50, p10, v;
            ASSERT_EQ(FitBand(&r, &cal, r.historyEnd, to, &p90, &p50, &p10), 0);
            ASSERT_EQ(GetFitVol(&r.curve, r.historyEnd, to, &v), 0);
            const double s = std::sqrt(std::max(r.noise, 0.05));
            const int cell = (noisy ? 0 : 2) + far;  // 12 periods: the first history; 36: that of 24
            EXPECT_DOUBLE_EQ(p50, v * std::exp(centre[cell]));
            EXPECT_DOUBLE_EQ(p90, v * std::exp(centre[cell] + low[cell] * s));
            EXPECT_DOUBLE_EQ(p10, v * std::exp(centre[cell] + high[cell] * s));
            width[noisy][far] = std::log(p10 / p90);
        }
    }
    EXPECT_GT(width[0][1], width[0][0]);
    EXPECT_GT(width[1][0], width[0][0]);
    // Between two horizons the cells mix linearly; the built-in calibration holds P90 <= P50 <= P10.
    FitResult r;
    ASSERT_EQ(Fit(MakeWell(36, 8000.0, 1.0, 1.0, 0.1, 4), Defaults(), &r), 0);
    Date mid = r.historyEnd;
    mid.AddMonths(15);
    double p90, p50, p10, p90b;
    ASSERT_EQ(FitBand(&r, &cal, r.historyEnd, mid, &p90, &p50, &p10), 0);
    const double t = mid.DaySpan(r.historyEnd) / 30.4375, lowAt = -0.5 + (t - 6.0) / 18.0 * -0.5;
    EXPECT_NEAR(std::log(p90 / p50), lowAt * std::sqrt(std::max(r.noise, 0.05)), 1e-12);
    ASSERT_EQ(FitBand(&r, nullptr, r.historyEnd, mid, &p90b, &p50, &p10), 0);
    EXPECT_LE(p90b, p50);
    EXPECT_LE(p50, p10);
}

}  // namespace
