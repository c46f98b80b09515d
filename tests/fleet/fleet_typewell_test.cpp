// Type wells against oracles that do not share their code: wells of a known
// curve (the library's Arps volumes), percentiles and rows worked by hand,
// scaled copies normalised by a power of two (exact), and bad input.
#include "fleet/typewell.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qrvp::fleet;

constexpr double kQi = 20000.0, kDi = 3.0, kB = 1.2;

// A well on the Arps curve from 2015-01 (times `scale`), `months` months after
// `ramp` months at a tenth of the first month's volume.
History Well(const std::string& name, int months, double scale = 1.0, int ramp = 0)
{
    History w;
    w.name = name;
    w.line = 2;
    const Date t0(2015, 1, 1, 0, 0, 0);
    for (int k = -ramp; k < months; ++k) {
        Date a = t0, b = t0;
        a.AddMonths(k);
        b.AddMonths(k + 1);
        double v0 = 0.0, v1 = 0.0;
        GetArpsVol2(t0, k < 0 ? t0 : a, kQi, kDi, kB, 0.0, &v0);
        GetArpsVol2(t0, k < 0 ? Date(2015, 2, 1, 0, 0, 0) : b, kQi, kDi, kB, 0.0, &v1);
        w.starts.push_back(a);
        w.ends.push_back(b);
        w.volumes.push_back((v1 - v0) * scale * (k < 0 ? 0.1 : 1.0));
        w.daysOn.push_back(b.DaySpan(a));
        w.lines.push_back(k + 2 + ramp);
    }
    return w;
}

std::vector<TypeWell> Build(const std::vector<History>& wells, const TypeWellOptions& o, const WellKeys* given = nullptr)
{
    FitRun run;
    FitDefaults(&run.options);
    const std::vector<WellFit> fits = RunFits(wells, run);
    WellKeys keys;
    std::vector<Problem> problems;
    if (given) keys = *given;
    else KeysOf(nullptr, std::vector<std::string>(wells.size()), "", "", 1.0, keys, problems);
    // On the calling thread alone, or with the pool.
    const std::vector<FilledWell> filled = FillWells(wells, fits, Calibration{}, o, keys.factors, given ? 1 : 2);
    for (const FilledWell& f : filled) EXPECT_EQ(f.problem, "");
    return BuildTypeWells(filled, keys, o, Date(2030, 1, 1, 0, 0, 0));
}

TEST(FleetTypeWell, IdenticalWellsGiveTheWellsOwnCurve)
{
    TypeWellOptions o;
    o.months = 120;
    o.minWells = 3;
    for (int months : {120, 24}) {  // the whole profile from history; the last 96 months forecast
        const std::vector<TypeWell> t = Build({Well("a", months), Well("b", months), Well("c", months)}, o);
        ASSERT_EQ(t.size(), 1u);
        EXPECT_TRUE(t[0].inHistory[23] == 3 && t[0].inHistory[24] == (months > 24 ? 3 : 0));
        const History truth = Well("x", 120);
        for (size_t m = 0; m < 120; ++m)
            EXPECT_NEAR(t[0].monthly[1][m], truth.volumes[m], truth.volumes[m] * (m < 24 ? 1e-12 : 0.01)) << m;
        // The profile's decline fitted back is the curve the wells were made from.
        EXPECT_TRUE(t[0].declineStatus[1] == 0 && std::fabs(t[0].decline[1].curve.b - kB) < 0.05);
        const std::vector<std::vector<Cell>> rows = TypeWellSegmentCells(t[0], Date(2030, 1, 1, 0, 0, 0), 120);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_TRUE(rows[1][0].text == "all P50" && rows[1][3].date == Date(2040, 1, 1, 0, 0, 0));
    }
}

TEST(FleetTypeWell, ScaledCopiesNormaliseToOneWell)
{
    TypeWellOptions o;
    o.months = 60;
    o.align = Align::Peak;
    std::vector<History> wells;
    for (int i = 1; i <= 11; ++i) wells.push_back(Well(std::string("w").append(std::to_string(i)), 60, i, i % 3));
    const History one = Well("x", 60);
    // Per 10000 ft of laterals of 1250 ft * i (factors 8 / i): every well becomes 8 copies of one.
    WellKeys keys{std::vector<std::string>(11, "all"), {}, std::vector<bool>(11, true)};
    for (int i = 1; i <= 11; ++i) keys.factors.push_back(10000.0 / (1250 * i));
    o.spread = Spread::Rate;
    const std::vector<TypeWell> n = Build(wells, o, &keys);
    for (size_t m = 0; m < 60; ++m)
        for (int q = 0; q < 3; ++q) EXPECT_NEAR(n[0].monthly[q][m], 8 * one.volumes[m], 1e-12 * one.volumes[m]);
}

TEST(FleetTypeWell, RecencyWeighsWellsByVintage)
{
    // Flat wells of 1, 2, 3 a month from 2010, 2012, 2014: weights 1/16, 1/4, 1
    // at a half-life of a year, so the P90, P50, P10 are 1.64, 2.75, 3 a month
    // (worked by hand), the mean 3.5625 / 1.3125; unweighted, 1.2, 2, 2.8.
    TypeWellOptions o;
    o.months = 24;
    o.minWells = 3;
    std::vector<FilledWell> filled(3);
    for (int i = 0; i < 3; ++i) {
        filled[static_cast<size_t>(i)].volumes.assign(24, i + 1.0);
        filled[static_cast<size_t>(i)].first = Date(2010 + 2 * i, 1, 1, 0, 0, 0);
    }
    const WellKeys keys{{"all", "all", "all"}, {1, 1, 1}, {true, true, true}};
    for (double years : {1.0, 0.0}) {
        o.recencyYears = years;
        const TypeWell t = BuildTypeWells(filled, keys, o, Date(2030, 1, 1, 0, 0, 0))[0];
        const double want[3] = {years ? 1.64 : 1.2, years ? 2.75 : 2.0, years ? 3.0 : 2.8};
        for (int q = 0; q < 3; ++q) {
            EXPECT_NEAR(t.cumulative[q][23], 24 * want[q], 1e-12) << years << q;
            EXPECT_NEAR(t.eur[q], 24 * want[q], 1e-12) << years << q;
        }
        EXPECT_NEAR(t.eurMean, 24 * (years ? 3.5625 / 1.3125 : 2.0), 1e-12);
    }
    std::vector<size_t> order;
    EXPECT_TRUE(std::isnan(WeightedPercentile({}, {}, 0.5, order)));
}

TEST(FleetTypeWell, SummaryAndProfileRowsByHand)
{
    // Four wells of (a, b) a month over two halves of a year: the wells' volumes
    // 12 (a + b) and each month's percentiles by hand, all nine figures apart.
    const double halves[4][2] = {{1, 8}, {2, 4}, {4, 0}, {6, 4}};
    std::vector<FilledWell> filled(4);
    for (size_t i = 0; i < 4; ++i) {
        for (int m = 0; m < 24; ++m) filled[i].volumes.push_back(halves[i][m / 12]);
        filled[i].historyMonths = std::vector<int32_t>{24, 12, 13, 0}[i];
    }
    const TypeWellOptions o{24, Align::FirstProduction, Spread::Rate, 4};
    const TypeWell t = BuildTypeWells(filled, {{"g", "g", "g", "g"}, {1, 1, 1, 1}, {true, true, true, true}}, o,
                                      Date(2030, 1, 1, 0, 0, 0))[0];
    const std::vector<Cell> s = SummaryCells(t, {"w0", "w1", "w2", "w3"});
    // The P50 (90) lies as far from w0's 108 as from w1's 72: the first is named.
    const double eur[] = {55.2, 90, 116.4, 87, 0, 108, 30, 84, 146.4};
    EXPECT_TRUE(s[0].text == "g" && s[1].count == 4 && s[6].text == "w0" && s[6].number == 0.0);
    for (size_t c = 2; c < 11; ++c) EXPECT_NEAR(s[c].number, eur[c - 2], 1e-12) << kTypeWellSummaryColumns[c].name;
    const std::vector<Cell> row = ProfileCells(t)[12];
    const double month13[] = {1.2, 4, 6.8, 12 * 1.3 + 1.2, 12 * 3 + 4.0, 12 * 5.4 + 6.8};
    EXPECT_TRUE(row[0].text == "g" && row[1].count == 13 && row[2].count == 4 && row[3].count == 2);
    for (size_t c = 4; c < 10; ++c) EXPECT_NEAR(row[c].number, month13[c - 4], 1e-12) << kTypeWellColumns[c].name;
}

TEST(FleetTypeWell, BadInputIsNamed)
{
    Headers h;
    std::vector<Problem> problems;
    ASSERT_TRUE(ReadHeaders(ReadCsv("well,county,len\nA,X,100\nB,,100\nC,X,\nD,X,0\nE,Y,1\n"), h, problems));
    WellKeys keys;
    ASSERT_TRUE(KeysOf(&h, {"A", "B", "C", "D", "E"}, "county", "len", 50.0, keys, problems));
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].message, "well 'B' is left out: its 'county' is blank in the well headers");
    EXPECT_EQ(problems[1].message, "well 'C' is left out: its 'len' is blank in the well headers");
    EXPECT_TRUE(problems[2].message == "well 'D' is left out: its 'len' is 0, not above 0" && problems[2].line == 5);
    EXPECT_TRUE(keys.used == (std::vector<bool>{true, false, false, false, true}) && keys.factors[0] == 0.5);
    TypeWellOptions o;
    o.months = 24;
    o.minWells = 2;
    const std::vector<TypeWell> t = Build({Well("A", 24), Well("B", 24), Well("C", 24), Well("D", 24), Well("E", 24)}, o, &keys);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_TRUE(t[0].problem == "group 'X' has 1 well; a type well needs at least 2" && t[0].monthly[1].empty());

    History dry = Well("dry", 3);
    dry.volumes.assign(3, 0.0);
    WellFit none;
    none.message = "no rows";
    EXPECT_EQ(FillWell(dry, none, Calibration{}, o, 1.0).problem, "no month with a volume");
    EXPECT_EQ(FillWell(Well("short", 3), none, Calibration{}, o, 1.0).problem, "its fit failed: no rows");
}

}  // namespace
