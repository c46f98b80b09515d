// Group totals against independent oracles: an independent sampler of many
// draws (rho 0 and 0.5), the comonotone sum of quantiles (rho 1), a numerical
// integral of the mean; the same bits whatever the threads and the wells'
// order; the dependence a one-factor fleet shows; the messages of bad groups.
#include "fleet/totals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using namespace qrvp::fleet;

const std::vector<Band> kBands = {{80, 100, 160}, {400, 500, 900}, {5, 20, 30}, {900, 1000, 1100}, {0, 0, 0}};
const std::vector<std::string> kNames = {"A", "B", "C", "D", "E"};

std::vector<GroupTotal> OneGroup(double rho, unsigned threads, std::vector<size_t> order = {0, 1, 2, 3, 4})
{
    std::vector<std::string> names, groups(order.size(), "g"), problems(order.size());
    std::vector<Band> bands;
    for (size_t i : order) {
        names.push_back(kNames[i]);
        bands.push_back(kBands[i]);
    }
    return GroupTotals(names, groups, bands, problems, Dependence{rho, 7}, 11, threads);
}

// The 10%, 50%, 90% points of the total by 400,000 draws of another generator.
std::array<double, 3> Sampled(double rho)
{
    std::mt19937_64 rng(5);
    std::normal_distribution<double> z;
    std::vector<double> totals(400000);
    for (double& t : totals) {
        const double f = z(rng);
        for (const Band& b : kBands) t += BandVolume(b, std::sqrt(rho) * f + std::sqrt(1 - rho) * z(rng));
    }
    std::sort(totals.begin(), totals.end());
    return {totals[40000], totals[200000], totals[360000]};
}

TEST(FleetTotals, AgreeWithAnIndependentSamplerAndTheComonotoneSum)
{
    for (double rho : {0.0, 0.5}) {
        const GroupTotal t = OneGroup(rho, 2)[0];
        const std::array<double, 3> want = Sampled(rho);
        for (size_t q = 0; q < 3; ++q) EXPECT_NEAR((q ? q > 1 ? t.p10 : t.p50 : t.p90) / want[q], 1.0, 0.004) << rho << q;
    }
    const GroupTotal one = OneGroup(1.0, 1)[0];
    EXPECT_NEAR(one.p90 / one.sumP90, 1.0, 2e-4);
    EXPECT_NEAR(one.p10 / one.sumP10, 1.0, 2e-4);
    EXPECT_TRUE(one.sumP90 == 1385.0 && one.wells == 5u && one.dependence.pairs == 7u);
}

TEST(FleetTotals, MeanIsTheIntegralOfTheBand)
{
    for (const Band& b : kBands) {
        double sum = 0.0;  // midpoint rule over the score, -12 .. 12
        for (int i = 0; i < 240000; ++i) {
            const double x = -12.0 + (i + 0.5) * 1e-4;
            sum += BandVolume(b, x) * std::exp(-0.5 * x * x) * 1e-4 / std::sqrt(2.0 * M_PI);
        }
        EXPECT_NEAR(BandMean(b), sum, 1e-9 * (1.0 + sum));
    }
    double mean = 0.0;
    for (const Band& b : kBands) mean += BandMean(b);
    EXPECT_EQ(OneGroup(0.3, 1)[0].mean, mean);
}

TEST(FleetTotals, SameBitsWhateverTheThreadsAndOrder)
{
    const GroupTotal a = OneGroup(0.2, 1)[0], b = OneGroup(0.2, 3, {4, 2, 0, 3, 1})[0];
    EXPECT_TRUE(a.p90 == b.p90 && a.p50 == b.p50 && a.p10 == b.p10 && a.mean == b.mean);
}

TEST(FleetTotals, NormalQuantileInvertsTheDistribution)
{
    for (double p : {1e-12, 0.001, 0.02425, 0.1, 0.5, 0.7, 0.97575, 0.999999}) {
        double lo = -10, hi = 10;  // bisection on the distribution function, by its nearer tail
        for (int i = 0; i < 200; ++i) {
            const double mid = 0.5 * (lo + hi);
            const bool below = p < 0.5 ? 0.5 * std::erfc(-mid / std::sqrt(2.0)) < p
                                       : 0.5 * std::erfc(mid / std::sqrt(2.0)) > 1.0 - p;
            (below ? lo : hi) = mid;
        }
        EXPECT_NEAR(NormalQuantile(p), lo, 1e-13 * std::fabs(lo) + 1e-15) << p;
    }
    EXPECT_EQ(NormalQuantile(0.0), -INFINITY);
    EXPECT_EQ(NormalQuantile(1.0), INFINITY);
}

TEST(FleetTotals, DependenceOfAOneFactorFleet)
{
    std::mt19937_64 rng(3);
    std::normal_distribution<double> z;
    for (double rho : {0.0, 0.3, 0.8}) {
        std::vector<std::string> groups;
        std::vector<double> scores;
        for (int g = 0; g < 300; ++g) {
            const double f = z(rng);
            for (int i = 0; i < 8; ++i) {
                groups.push_back(std::to_string(g));
                scores.push_back(std::sqrt(rho) * f + std::sqrt(1 - rho) * z(rng));
            }
        }
        const Dependence d = DependenceOf(groups, scores);
        EXPECT_NEAR(d.rho, rho, 0.08) << rho;
        EXPECT_EQ(d.pairs, 300u * 28u);
    }
    // Too few pairs within groups: every pair of the fleet, and a shared bias is dependence.
    const Dependence pooled = DependenceOf({"a", "b", "c", "d", "e", "f", "g", "h", "h"}, {1, 1, 1, 1, 1, 1, 1, 1, 1});
    EXPECT_TRUE(pooled.rho == 1.0 && pooled.pairs == 36u);
    EXPECT_EQ(DependenceOf({}, {}).pairs, 0u);
}

TEST(FleetTotals, BacktestScoresReadTheActualVolumeThroughTheBand)
{
    // A well fitted to 2017, held out at half uptime: half the band's P10 (P90) over the
    // first min(months, 6) months scores +z (-z); later months do not count.
    Date d[31];
    std::vector<double> v;
    for (int k = 0; k < 31; ++k) {
        d[k] = Date(2015 + k / 12, k % 12 + 1, 1, 0, 0, 0);
        v.push_back(1000.0 * std::exp(-0.05 * k) * (1.0 + 0.05 * (k % 3 - 1)));
    }
    FitOptions o{};
    FitDefaults(&o);
    Backtest t{"", {}, {d + 24, d + 30}, {d + 25, d + 31}, {}, std::vector<double>(6, 0.5)};
    ASSERT_EQ(FitDecline(24, d, d + 1, v.data(), nullptr, &o, &t.fit, nullptr), 0);
    for (int32_t months : {0, 4, 6, 9}) {
        const size_t m = static_cast<size_t>(std::clamp(months, 1, 6));
        Band b;
        ASSERT_EQ(FitBand(&t.fit, nullptr, t.fit.historyEnd, t.to[m - 1], &b.p90, &b.p50, &b.p10), 0);
        std::vector<Backtest> three(3, t);
        for (size_t j = 0; j < 6; ++j) three[0].actual.push_back(j + 1 < m ? 0.0 : j + 1 == m ? 0.5 * b.p10 : 1e9);
        three[1].actual = {0.5 * b.p90, 0, 0, 0, 0, 0};
        three[1].well = std::string(1, 'B'), three[2].well = std::string(1, 'C');  // C in no group
        std::vector<std::string> groups;
        std::vector<double> scores;
        BacktestScores(three, Calibration{}, months, {{"", "g"}, {"B", "h"}}, groups, scores);
        ASSERT_EQ(groups, (std::vector<std::string>{"g", "h"}));
        EXPECT_TRUE(std::fabs(scores[0] - kZ90) < 1e-9 && std::fabs(scores[1] + kZ90) < 1e-9) << months;
    }
    EXPECT_TRUE(BandScore(Band{1, 2, 3}, 2.0) == 0.0 && BandScore(Band{2, 2, 2}, 2.0) == 0.0);  // the P50 itself
}

TEST(FleetTotals, BadGroupsNameTheWellAndGiveNoNumbers)
{
    struct Case {
        std::vector<std::string> wells, groups, problems;
        std::vector<Band> bands;
        std::string message;
    };
    const Case cases[] = {
        {{"A", "B"}, {"g", "g"}, {"", "no rows"}, {{1, 2, 3}, {}}, "well 'B' is not fitted: no rows"},
        {{"A", "B"}, {"g", "g"}, {"", ""}, {{1, 2, 3}, {3, 2, 1}},
         "well 'B': its band (P90 3, P50 2, P10 1) is not 0 < P90 <= P50 <= P10"},
        {{"A", "B"}, {"g", "g"}, {"", ""}, {{1, 2, 3}, {0, 2, 3}},
         "well 'B': its band (P90 0, P50 2, P10 3) is not 0 < P90 <= P50 <= P10"},
    };
    for (const Case& c : cases) {
        const std::vector<GroupTotal> t = GroupTotals(c.wells, c.groups, c.bands, c.problems, {}, 1, 1);
        ASSERT_EQ(t.size(), 1u);
        EXPECT_EQ(t[0].message, c.message);
        EXPECT_TRUE(std::isnan(t[0].p90) && std::isnan(t[0].p50) && std::isnan(t[0].mean));
    }
}

}  // namespace
