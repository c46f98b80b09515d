// The fit's forecasting pieces against wells made by the library's own volume
// functions: the prior's pull by history length, restarts found at their
// date, a wild month not taken for the peak, and FitBand's band against the
// curve's own volume.
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

// `months` full months of Arps (qi, di, b) from 2012-01, with seeded log noise;
// from month `restart` on (if any) a new curve of qi * `jump` after `shut`
// months shut in (jump 1: the same curve resumes).
Well MakeWell(int months, double qi, double di, double b, double noise, uint64_t seed, int restart = -1,
              double jump = 1.0, int shut = 0)
{
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> eps(0.0, noise);
    const Date origin(2012, 1, 1, 0, 0, 0);
    Well w;
    Date month = origin;
    double clock = 0.0;
    for (int k = 0; k < months; ++k) {
        Date next = month;
        next.AddMonths(1);
        const double days = next.DaySpan(month);
        const bool off = restart >= 0 && k >= restart && k < restart + shut;
        if (restart >= 0 && k == restart + shut && jump != 1.0) clock = 0.0, qi *= jump;
        double v = 0.0;
        if (!off) {
            Date a = origin, z = origin;
            a.AddFracDay(clock);
            z.AddFracDay(clock + days);
            double va = 0.0, vz = 0.0;
            EXPECT_EQ(GetArpsVol2(origin, a, qi, di, b, 0.0, &va), 0);
            EXPECT_EQ(GetArpsVol2(origin, z, qi, di, b, 0.0, &vz), 0);
            v = (vz - va) * std::exp(eps(rng));
            clock += days;
        }
        w.starts.push_back(month);
        w.ends.push_back(next);
        w.volumes.push_back(v);
        w.daysOn.push_back(off ? 0.0 : days);
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
    withPrior.prior = FitPrior{std::log(3.0), 1.8, 0.5, 0.5, 3.0, 12.0};
    // The wells' true b is 0.5, the prior's 1.8.
    for (int months : {8, 120}) {
        const Well w = MakeWell(months, 20000.0, 3.0, 0.5, 0.03, 5);
        FitResult alone, pulled;
        ASSERT_EQ(Fit(w, Defaults(), &alone), 0);
        ASSERT_EQ(Fit(w, withPrior, &pulled), 0);
        SCOPED_TRACE(months);
        if (months == 8) {
            EXPECT_GT(pulled.curve.b, 1.2);  // most of the way to the fleet
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
    EXPECT_NEAR(std::log(r.curve.Di), std::log(3.0), 1e-6);
}

TEST(FitForecast, RestartsAreFoundAtTheirDateAndTheLastRegimeFitted)
{
    struct Case {
        int shut;
        double jump;
        int changes;
    };
    // A restart after 9 months shut in; a refrac that triples the rate without a shut-in; a 3-month
    // shut-in that resumes the same decline (no restart).
    for (const Case& c : {Case{9, 1.01, 1}, Case{0, 3.0, 1}, Case{3, 1.0, 0}}) {
        const Well w = MakeWell(72, 15000.0, 2.0, 1.0, 0.03, 9, 30, c.jump, c.shut);
        FitResult r;
        ASSERT_EQ(Fit(w, Defaults(), &r), 0);
        SCOPED_TRACE(c.shut);
        EXPECT_EQ(r.regimeChanges, c.changes);
        const Date expected = c.changes ? w.starts[static_cast<size_t>(30 + c.shut)] : w.starts[0];
        EXPECT_EQ(r.regimeStart, expected);
        EXPECT_GE(r.fitStart, expected);
        if (c.changes) {
            EXPECT_NEAR(r.curve.b, 1.0, 0.2);
        }
    }
    FitOptions one = Defaults();
    one.regimes = 0;
    FitResult r;
    ASSERT_EQ(Fit(MakeWell(72, 15000.0, 2.0, 1.0, 0.03, 9, 30, 1.0, 9), one, &r), 0);
    EXPECT_EQ(r.regimeChanges, 0);
}

TEST(FitForecast, AWildMonthIsNotTakenForThePeak)
{
    Well w = MakeWell(48, 10000.0, 1.5, 0.8, 0.02, 3);
    w.volumes[20] *= 10.0;
    FitResult r;
    ASSERT_EQ(Fit(w, Defaults(), &r), 0);
    EXPECT_EQ(r.startIndex, 0);
    EXPECT_NEAR(r.curve.b, 0.8, 0.15);
    EXPECT_LT(r.noise, 0.05);  // the robust spread ignores it
}

TEST(FitForecast, BandsFollowTheCurveTheNoiseAndTheHorizon)
{
    const double history[] = {0, 0, 24, 24}, horizon[] = {6, 24, 6, 24}, centre[] = {0.1, 0.1, 0.0, 0.0},
                 low[] = {-1.0, -2.0, -0.5, -1.0}, high[] = {1.0, 2.0, 0.5, 1.0};
    const FitCalibration cal = {4, 0, 0.5, 0.05, history, horizon, centre, low, high};
    double width[2][2];
    for (int noisy = 0; noisy < 2; ++noisy) {
        const Well w = MakeWell(36, 8000.0, 1.0, 1.0, noisy ? 0.25 : 0.02, 4);
        FitResult r;
        ASSERT_EQ(Fit(w, Defaults(), &r), 0);
        for (int far = 0; far < 2; ++far) {
            Date to = r.historyEnd;
            to.AddMonths(far ? 24 : 6);
            double p90, p50, p10, v;
            ASSERT_EQ(FitBand(&r, &cal, r.historyEnd, to, &p90, &p50, &p10), 0);
            ASSERT_EQ(GetFitVol(&r.curve, r.historyEnd, to, &v), 0);
            const double s = std::sqrt(std::max(r.noise, 0.05));
            const int cell = 2 + far;  // 36 periods: the history of 24
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

TEST(FitForecast, BandRefusesDatesBeforeTheHistoryAndBadCells)
{
    FitResult r;
    ASSERT_EQ(Fit(MakeWell(24, 8000.0, 1.0, 1.0, 0.05, 2), Defaults(), &r), 0);
    const double history[] = {0, 0}, horizon[] = {12, 6}, zero[] = {0, 0};
    const FitCalibration unsorted = {2, 0, 0.5, 0.05, history, horizon, zero, zero, zero};
    Date early = r.historyEnd, late = r.historyEnd;
    early.AddMonths(-1);
    late.AddMonths(12);
    double p50 = -7.0;
    qrvp::test::LogCapture log;
    EXPECT_EQ(FitBand(&r, nullptr, early, late, nullptr, &p50, nullptr), -1);
    EXPECT_EQ(FitBand(&r, &unsorted, r.historyEnd, late, nullptr, &p50, nullptr), -1);
    EXPECT_EQ(FitBand(nullptr, nullptr, r.historyEnd, late, nullptr, &p50, nullptr), -1);
    EXPECT_EQ(p50, -7.0);
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(qrvp::test::ParseRecordTail(lines[1]).message,
              "calibration cell 1: cells must run by history, then by increasing horizon");
}

}  // namespace
