// The fit against wells made by the library's own volume functions, with
// seeded log-normal noise, shut-ins and part-uptime months: what it recovers,
// that it stops at a minimum of its own misfit, the score it picks a model
// by, that a shut-in uses up no producing time, that a seed repeats its
// bootstrap bit for bit, the remaining volume against the library's own
// volume call, and how it refuses bad input (the checks of each period's
// volume and days on, and of too few periods for a model, are met through
// qrvp fit and the Python package).
#include "QRVPFit.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

namespace {

struct Well {
    std::vector<Date> starts, ends;
    std::vector<double> volumes, daysOn;
    int32_t Count() const { return static_cast<int32_t>(volumes.size()); }
};

Date After(Date d, double days)
{
    d.AddFracDay(days);
    return d;
}

// 120 months of an Arps curve (b = 0: exponential) whose clock runs only while
// the well produces (or in calendar time, each month's volume scaled by its
// share produced); about one month in ten shut in, one in six part-time.
Well MakeWell(uint64_t seed, double qi, double di, double b, double noise, double* tenYears, bool calendar = false)
{
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> eps(0.0, noise);
    Well w;
    const Date origin(2010, 1, 1, 0, 0, 0);
    Date month = origin;
    double clock = 0.0;
    auto cum = [&](double days) {
        double v = 0.0;
        EXPECT_EQ(GetArpsVol2(origin, After(origin, days), qi, di, b, 0.0, &v), 0);
        return v;
    };
    for (int k = 0; k < 120; ++k) {
        Date next = month;
        next.AddMonths(1);
        const double days = next.DaySpan(month);
        const double r = u(rng);
        const double on = k > 0 && r < 0.1 ? 0.0 : r < 0.25 ? days * (0.3 + 0.7 * u(rng)) : days;
        const double span = calendar ? days : on;
        const double volume = on > 0.0 ? (cum(clock + span) - cum(clock)) * on / span * std::exp(eps(rng)) : 0.0;
        clock += span;
        w.starts.push_back(month);
        w.ends.push_back(next);
        w.volumes.push_back(volume);
        w.daysOn.push_back(on);
        month = next;
    }
    *tenYears = cum(clock + 3652.5) - cum(clock);
    return w;
}

int32_t Fit(const Well& w, const FitOptions& o, FitResult* r, double* fitted = nullptr)
{
    return FitDecline(w.Count(), w.starts.data(), w.ends.data(), w.volumes.data(), w.daysOn.data(), &o, r, fitted);
}

FitOptions Options(int32_t model)
{
    FitOptions o;
    FitDefaults(&o);
    o.model = model;
    o.startIndex = 0;
    o.halfLife = 0.0;
    o.bootstrap = 0;
    o.softL1 = 0;
    return o;
}

TEST(FitDecline, RecoversParametersAndTenYearVolumeOfManyWells)
{
    std::mt19937_64 pick(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (uint64_t seed = 1; seed <= 40; ++seed) {
        const double qi = 1000.0 + 50000.0 * u(pick), di = 0.3 + 1.7 * u(pick), b = 0.2 + 1.3 * u(pick);
        double tenYears = 0.0;
        const bool calendar = seed % 2 == 0;
        const Well w = MakeWell(seed, qi, di, b, 0.05, &tenYears, calendar);
        FitOptions o = Options(FIT_MODEL_HYPERBOLIC);
        o.producingTime = !calendar;
        FitResult r;
        ASSERT_EQ(Fit(w, o, &r), 0) << "seed " << seed;
        SCOPED_TRACE(testing::Message() << "seed " << seed << " Qi " << qi << " Di " << di << " b " << b);
        EXPECT_NEAR(r.curve.Qi / qi, 1.0, 0.08);
        EXPECT_NEAR(r.curve.Di / di, 1.0, 0.15);
        EXPECT_NEAR(r.curve.b, b, 0.15);
        double fittedTen = 0.0;
        ASSERT_EQ(GetFitVol(&r.curve, r.historyEnd, After(r.historyEnd, 3652.5), &fittedTen), 0);
        EXPECT_NEAR(fittedTen / tenYears, 1.0, 0.06);
        EXPECT_LT(r.logRmse, 0.07);
    }
}

TEST(FitDecline, SoftL1LossResistsMonthsOfUnrecordedDowntime)
{
    double tenYears = 0.0;
    Well w = MakeWell(21, 9000.0, 1.1, 0.7, 0.03, &tenYears);
    for (size_t k : {100u, 104u, 109u, 115u}) w.volumes[k] *= 0.25;
    double error[2];
    for (int robust = 0; robust < 2; ++robust) {
        FitOptions o = Options(FIT_MODEL_HYPERBOLIC);
        if (robust) FitDefaults(&o);  // whose loss is the soft L1
        o.bootstrap = 20 * robust;
        FitResult r;
        ASSERT_EQ(Fit(w, o, &r), 0);
        // The replicates are refitted with the same loss, so the downtime
        // residuals they draw widen their range little (least squares: 1.4x).
        EXPECT_TRUE(!robust || r.p10 / r.p90 < 1.2) << r.p90 << " " << r.p10;
        double ten = 0.0;
        ASSERT_EQ(GetFitVol(&r.curve, r.historyEnd, After(r.historyEnd, 3652.5), &ten), 0);
        error[robust] = std::fabs(ten / tenYears - 1.0);
    }
    EXPECT_LT(error[1], 0.1);
    EXPECT_LT(error[1], 0.5 * error[0]);
}

TEST(FitDecline, LimitDateAndFittedVolumes)
{
    double ignored = 0.0;
    const Well w = MakeWell(3, 8000.0, 1.0, 0.9, 0.08, &ignored);
    FitOptions o;
    FitDefaults(&o);
    o.economicLimit = 300.0;
    FitResult a;
    std::vector<double> fitted(w.volumes.size());
    ASSERT_EQ(Fit(w, o, &a, fitted.data()), 0);
    EXPECT_EQ((a.curve.Di * 100.0) / 100.0, a.curve.Di);
    const FitCurve& c = a.curve;
    // The limit date is the first second at or below the economic limit.
    double q = 0.0, before = 0.0;
    ASSERT_EQ(GetFitQt(&c, a.limitDate, &q), 0);
    ASSERT_EQ(GetFitQt(&c, After(a.limitDate, -1.0 / 86400.0), &before), 0);
    EXPECT_LE(q, 300.0);
    EXPECT_GT(before, 300.0);
    for (size_t k = 0; k < fitted.size(); ++k)
        EXPECT_EQ(std::isnan(fitted[k]), k < static_cast<size_t>(a.startIndex) || w.volumes[k] == 0.0) << k;
}

// 36 periods of 30 days on an Arps curve (or a stretched exponential when
// tau > 0), all produced, with noise; `shutIn` >= 0 puts a shut-in period of
// 30 days before that index.
Well SteadyWell(double qi, double di, double b, double tau, int shutIn = -1)
{
    std::mt19937_64 rng(99);
    std::normal_distribution<double> eps(0.0, 0.05);
    const Date origin(2012, 3, 1, 0, 0, 0);
    const auto cum = [&](double days, double* v) {
        const Date at = After(origin, days);
        return tau > 0 ? GetSEDMVol(qi, origin, at, tau, b, v) : GetArpsVol2(origin, at, qi, di, b, 0, v);
    };
    Well w;
    for (int k = 0; k < 36; ++k) {
        double a = 0.0, z = 0.0;
        EXPECT_EQ(cum(30 * k, &a) + cum(30 * k + 30, &z), 0);
        const Date start = After(origin, 30 * k + (shutIn >= 0 && k >= shutIn ? 30 : 0));
        if (k == shutIn) w.starts.push_back(After(start, -30)), w.ends.push_back(start), w.volumes.push_back(0.0), w.daysOn.push_back(0.0);
        w.starts.push_back(start);
        w.ends.push_back(After(start, 30));
        w.volumes.push_back((z - a) * std::exp(eps(rng)));
        w.daysOn.push_back(30.0);
    }
    return w;
}

// The weighted misfit of the curve to the periods, worked out through GetFitVol.
double Misfit(const Well& w, const FitCurve& c)
{
    double sum = 0.0;
    for (size_t k = 0; k < w.volumes.size(); ++k) {
        double v = 0.0;
        EXPECT_EQ(GetFitVol(&c, w.starts[k], w.ends[k], &v), 0);
        sum += std::pow(std::log(w.volumes[k]) - std::log(v), 2);
    }
    return sum;
}

TEST(FitDecline, StopsAtAMinimumOfItsOwnMisfitAndScoresModelsByIt)
{
    const Well w = SteadyWell(5e-5, 1.2, 0.8, 0.0);  // a rate in a unit so large its figures are tiny
    FitResult best;
    ASSERT_EQ(Fit(w, Options(FIT_MODEL_BEST), &best), 0);
    double lowest = INFINITY;
    for (int32_t model = 0; model < FIT_MODEL_COUNT; ++model) {
        FitResult r;
        std::vector<double> fitted(w.volumes.size());
        ASSERT_EQ(Fit(w, Options(model), &r, fitted.data()), 0) << model;
        FitCurve c = r.curve;
        const double f = Misfit(w, c), n = w.Count();
        EXPECT_NEAR(r.logRmse, std::sqrt(f / n), 1e-12) << model;
        for (size_t k = 0; k < fitted.size(); ++k) {
            double v = 0.0;
            ASSERT_EQ(GetFitVol(&c, w.starts[k], w.ends[k], &v), 0);
            EXPECT_NEAR(fitted[k] / v, 1.0, 1e-12) << model << " period " << k;
        }
        // No parameter moved either way by a thousandth lowers the misfit:
        // the finite differences of the misfit vanish at the fit.
        for (double* p : {&c.Qi, model == FIT_MODEL_STRETCHED ? &c.tau : &c.Di, model == FIT_MODEL_STRETCHED ? &c.n : &c.b}) {
            if (*p == 0.0) continue;
            const double keep = *p;
            for (double step : {1.001, 0.999}) {
                *p = keep * step;
                EXPECT_GE(Misfit(w, c), f * (1 - 1e-9)) << model << " step " << step;
            }
            *p = keep;
        }
        // AICc with the variance counted as a parameter, as the best model's run scores it.
        const double k = r.parameters + 1.0;
        const double aicc = n * std::log(f / n) + 2 * k + 2 * k * (k + 1) / (n - k - 1);
        EXPECT_NEAR(best.candidateAicc[model], aicc, 1e-9 * std::fabs(aicc)) << model;
        lowest = std::min(lowest, aicc);
    }
    EXPECT_EQ(best.aicc, best.candidateAicc[best.curve.model]);
    EXPECT_NEAR(best.aicc, lowest, 1e-9 * std::fabs(lowest));
    // Bounds that meet fix the exponent.
    FitOptions o = Options(FIT_MODEL_HYPERBOLIC);
    o.bMin = o.bMax = 0.5;
    ASSERT_EQ(Fit(w, o, &best), 0);
    EXPECT_EQ(best.curve.b, 0.5);
}

TEST(FitDecline, AShutInPeriodMovesNothingInProducingTime)
{
    const Well plain = SteadyWell(8000.0, 0.9, 1.1, 0.0), shut = SteadyWell(8000.0, 0.9, 1.1, 0.0, 12);
    ASSERT_EQ(shut.Count(), plain.Count() + 1);
    FitResult a, b;
    std::vector<double> fitted(shut.volumes.size());
    ASSERT_EQ(Fit(plain, Options(FIT_MODEL_HYPERBOLIC), &a), 0);
    ASSERT_EQ(Fit(shut, Options(FIT_MODEL_HYPERBOLIC), &b, fitted.data()), 0);
    EXPECT_EQ(b.curve.start, After(a.curve.start, 30));
    EXPECT_EQ(b.periodsUsed, a.periodsUsed);
    EXPECT_TRUE(std::isnan(fitted[12]));
    for (auto [x, y] : {std::pair{b.curve.Qi, a.curve.Qi}, {b.curve.Di, a.curve.Di}, {b.curve.b, a.curve.b}, {b.logRmse, a.logRmse}})
        EXPECT_NEAR(x / y, 1.0, 1e-12);
}

TEST(FitDecline, ASeedRepeatsItsBootstrapAndTheRemainingVolumeIsTheLibrarys)
{
    const Well w = SteadyWell(3000.0, 0.7, 0.6, 0.0);
    FitOptions o = Options(FIT_MODEL_HYPERBOLIC);
    o.bootstrap = 30;
    FitResult r[3];
    for (int i = 0; i < 3; ++i) {
        o.seed = i < 2 ? 5 : 6;
        ASSERT_EQ(Fit(w, o, &r[i]), 0);
    }
    EXPECT_EQ(std::memcmp(&r[0], &r[1], sizeof r[0]), 0);
    EXPECT_NE(r[0].p50, r[2].p50);
    EXPECT_EQ(r[0].bootstrapUsed, 30);
    EXPECT_TRUE(r[0].p90 < r[0].p50 && r[0].p50 < r[0].p10);
    Date horizon = r[0].historyEnd;
    horizon.AddMonths(600);
    EXPECT_EQ(r[0].limitDate, horizon);
    const auto remaining = [&](const FitCurve& c) {
        double to = 0.0, from = 0.0;
        EXPECT_EQ(GetArpsVol2(c.start, horizon, c.Qi, c.Di, c.b, c.Dmin, &to), 0);
        EXPECT_EQ(GetArpsVol2(c.start, r[0].historyEnd, c.Qi, c.Di, c.b, c.Dmin, &from), 0);
        return to - from;
    };
    EXPECT_DOUBLE_EQ(r[0].remaining, remaining(r[0].curve));
    EXPECT_DOUBLE_EQ(r[0].p90, remaining(r[0].p90Curve));
    EXPECT_DOUBLE_EQ(r[0].p10, remaining(r[0].p10Curve));
    o.Dmin = 0.1, o.bootstrap = 0;  // a minimum decline is the hyperbola's to keep
    ASSERT_EQ(Fit(w, o, &r[2]), 0);
    EXPECT_NEAR(r[2].curve.Dmin, 0.1, 1e-16);
    const Well s = SteadyWell(3000.0, 0.0, 0.5, 1.5);
    FitResult t;
    ASSERT_EQ(Fit(s, Options(FIT_MODEL_STRETCHED), &t), 0);
    double to = 0.0, from = 0.0;
    ASSERT_EQ(GetSEDMVol(t.curve.Qi, t.curve.start, t.limitDate, t.curve.tau, t.curve.n, &to), 0);
    ASSERT_EQ(GetSEDMVol(t.curve.Qi, t.curve.start, t.historyEnd, t.curve.tau, t.curve.n, &from), 0);
    EXPECT_DOUBLE_EQ(t.remaining, to - from);
}

// The diagonal of the inverse of a small symmetric matrix, by Gauss-Jordan.
std::vector<double> InverseDiagonal(std::vector<std::vector<double>> a)
{
    const size_t n = a.size();
    for (auto& row : a) row.resize(2 * n, 0.0);
    for (size_t i = 0; i < n; ++i) a[i][n + i] = 1.0;
    for (size_t i = 0; i < n; ++i) {
        const double pivot = a[i][i];
        for (double& x : a[i]) x /= pivot;
        for (size_t r = 0; r < n; ++r) {
            if (r == i) continue;
            const double f = a[r][i];
            for (size_t k = 0; k < 2 * n; ++k) a[r][k] -= f * a[i][k];
        }
    }
    std::vector<double> out;
    for (size_t i = 0; i < n; ++i) out.push_back(a[i][n + i]);
    return out;
}

TEST(FitDecline, ItsFiguresAgainstTheirDefinitions)
{
    for (int32_t model = 0; model < FIT_MODEL_COUNT; ++model) {
        // Calendar time with part-uptime months and recency weights: every fitted volume is the curve's
        // over its period times the share produced, the weighted log RMSE and the robust noise are those
        // of these volumes, and the standard errors are the delta method's in the curve's own parameters.
        double ignored = 0.0;
        const Well w = model == FIT_MODEL_STRETCHED ? SteadyWell(3000.0, 0.0, 0.5, 1.5) : MakeWell(8, 6000.0, 1.1, 0.7, 0.05, &ignored, true);
        FitOptions o = Options(model);
        o.producingTime = model == FIT_MODEL_STRETCHED;
        // A half-life of 18 months: the options' over the prior's, or the prior's when the options leave it.
        o.halfLife = model == FIT_MODEL_STRETCHED ? -1.0 : 18.0, o.prior.halfLife = model == FIT_MODEL_STRETCHED ? 18.0 : 6.0;
        FitResult r;
        std::vector<double> fitted(w.volumes.size());
        ASSERT_EQ(Fit(w, o, &r, fitted.data()), 0) << model;
        SCOPED_TRACE(model);
        double sum = 0.0, weights = 0.0;
        std::vector<double> residuals, weight;
        const size_t last = fitted.size() - 1 - static_cast<size_t>(std::find_if(fitted.rbegin(), fitted.rend(), [](double x) { return !std::isnan(x); }) - fitted.rbegin());
        for (size_t k = 0; k < fitted.size(); ++k) {
            if (std::isnan(fitted[k])) continue;
            if (!o.producingTime) {
                double v = 0.0;
                ASSERT_EQ(GetFitVol(&r.curve, w.starts[k], w.ends[k], &v), 0);
                EXPECT_NEAR(fitted[k] / (v * w.daysOn[k] / w.ends[k].DaySpan(w.starts[k])), 1.0, 1e-12) << k;
            }
            residuals.push_back(std::log(w.volumes[k] / fitted[k]));
            weight.push_back(std::exp2(-w.ends[last].DaySpan(w.ends[k]) / 30.4375 / 18.0));
            weights += weight.back();
            sum += weight.back() * residuals.back() * residuals.back();
        }
        const double n = static_cast<double>(residuals.size());
        EXPECT_EQ(r.periodsUsed, static_cast<int32_t>(n));
        EXPECT_NEAR(r.logRmse, std::sqrt(sum / weights), 1e-12);
        std::vector<double> spread;
        for (double x : residuals) spread.push_back(std::fabs(x));
        std::sort(spread.begin(), spread.end());
        const size_t mid = spread.size() / 2;
        EXPECT_NEAR(r.noise, 1.4826 * (spread.size() % 2 ? spread[mid] : 0.5 * (spread[mid - 1] + spread[mid])), 1e-12);
        // The delta method: sigma^2 (J' W J)^-1 with J the log volumes' central differences in Qi, Di, b
        // (or Qi, tau, n), sigma^2 the weighted squares over the degrees of freedom.
        const size_t p = static_cast<size_t>(r.parameters);
        FitCurve c = r.curve;
        double* params[] = {&c.Qi, model == FIT_MODEL_STRETCHED ? &c.tau : &c.Di, model == FIT_MODEL_STRETCHED ? &c.n : &c.b};
        std::vector<std::vector<double>> jacobian;
        for (size_t j = 0; j < p; ++j) {
            const double keep = *params[j], h = 1e-5 * keep;
            std::vector<double> column;
            for (size_t k = 0; k < fitted.size(); ++k) {
                if (std::isnan(fitted[k])) continue;
                double up = 0.0, down = 0.0;
                *params[j] = keep + h;
                ASSERT_EQ(GetFitVol(&c, w.starts[k], w.ends[k], &up), 0);
                *params[j] = keep - h;
                ASSERT_EQ(GetFitVol(&c, w.starts[k], w.ends[k], &down), 0);
                column.push_back(std::log(up / down) / (2 * h));
            }
            *params[j] = keep;
            jacobian.push_back(column);
        }
        std::vector<std::vector<double>> normal(p, std::vector<double>(p));
        for (size_t a = 0; a < p; ++a)
            for (size_t b = 0; b < p; ++b)
                for (size_t k = 0; k < weight.size(); ++k) normal[a][b] += weight[k] * n / weights * jacobian[a][k] * jacobian[b][k];
        const std::vector<double> inverse = InverseDiagonal(normal);
        for (size_t j = 0; j < 3; ++j) {
            if (j == p) {
                EXPECT_TRUE(std::isnan(r.stdErr[j]));
                continue;
            }
            EXPECT_NEAR(r.stdErr[j] / std::sqrt(sum * n / weights / (n - static_cast<double>(p)) * inverse[j]), 1.0, 1e-4) << j;
        }
    }
    // As many periods as parameters: no standard errors.
    FitOptions o = Options(FIT_MODEL_HYPERBOLIC);
    o.startIndex = 33;
    FitResult r;
    ASSERT_EQ(Fit(SteadyWell(5000.0, 1.2, 0.8, 0.0), o, &r), 0);
    EXPECT_TRUE(std::isnan(r.stdErr[0]) && std::isnan(r.stdErr[1]) && std::isnan(r.stdErr[2]));
}

}  // namespace
