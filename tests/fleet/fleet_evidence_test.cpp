// The fleet's evidence: its files read back to the bit, what a fleet learns
// does not depend on the order of its wells (so partitions agree), and the
// backtests' cuts and calibration against a plain re-computation from the wells;
// and a seeded fleet's prior, calibration, fits and bands the same to the bit.
#include "fleet/fit_run.h"
#include "fleet/typewell.h"
#include "tests/support/digest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace {

using namespace qrvp::fleet;

// Hyperbolic wells with b drawn around 1.3 and a few months of seeded noise (60 for one).
std::vector<History> Fleet(int wells, int longWell = -1)
{
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> eps(0.0, 0.08);
    std::vector<History> out;
    for (int i = 0; i < wells; ++i) {
        History w;
        w.name = std::string("W").append(std::to_string(i));
        const double qi = 5000.0 + 20000.0 * u(rng), di = 2.0 + 4.0 * u(rng), b = 1.0 + 0.6 * u(rng);
        const int months = std::max(i == longWell ? 60 : 0, 12 + static_cast<int>(12 * u(rng)));
        Date month(2015, 1, 1, 0, 0, 0);
        for (int k = 0; k < months; ++k) {
            Date next = month;
            next.AddMonths(1);
            double v0 = 0.0, v1 = 0.0;
            GetArpsVol2(Date(2015, 1, 1, 0, 0, 0), month, qi, di, b, 0.0, &v0);
            GetArpsVol2(Date(2015, 1, 1, 0, 0, 0), next, qi, di, b, 0.0, &v1);
            w.starts.push_back(month);
            w.ends.push_back(next);
            w.volumes.push_back((v1 - v0) * std::exp(eps(rng)));
            w.daysOn.push_back(next.DaySpan(month));
            w.lines.push_back(k + 2);
            month = next;
        }
        out.push_back(w);
    }
    return out;
}

TEST(FleetEvidence, FilesReadBackToTheBit)
{
    const FitPrior prior{1.2345678901234567, 1.1, 0.3333333333333333, 0.07, 3.0, 12.0, 18.5, 1, 0};
    FitPrior back{};
    std::string problem;
    int32_t model = -1;  // the fleet's choice for FIT_MODEL_BEST
    ASSERT_TRUE(ReadPrior(ReadCsv(PriorCsv(prior, FIT_MODEL_STRETCHED)), back, problem, &model)) << problem;
    EXPECT_TRUE(std::memcmp(&back, &prior, sizeof prior) == 0 && model == FIT_MODEL_STRETCHED);

    FitCalibration builtIn{};
    ASSERT_EQ(FitDefaultCalibration(&builtIn), 0);
    const Calibration c = CopyOf(builtIn);
    Calibration read;
    ASSERT_TRUE(ReadCalibration(ReadCsv(CalibrationCsv(c)), read, problem)) << problem;
    EXPECT_EQ(CalibrationCsv(read), CalibrationCsv(c));

    // A blend moves each cell toward the fleet's by n / (n + n0); a fleet's cell the base lacks is left out.
    Calibration own = c;
    own.centre[0] = c.centre[0] + 1.0, own.cases[0] = 300.0, own.horizon[1] = 1e6;
    const Calibration blend = Blend(c, own, 100.0);
    EXPECT_DOUBLE_EQ(blend.centre[0], c.centre[0] + 0.75);
    EXPECT_TRUE(blend.cases[0] == 300.0 && blend.centre[1] == c.centre[1] && blend.size() == c.size());
    EXPECT_FALSE(ReadPrior(ReadCsv("ln_di,b,sd_ln_di,sd_b,strength\n1,1,1,1,1\n"), back, problem));
    EXPECT_EQ(problem, "line 1: missing column 'months'");
    for (const char* row : {"1,1,1,1,-1e-300,12", "1,1,1,1,0,0", "1,1,0,1,1e-300,12", "1,1,1,-1,1,12"})  // each check
        EXPECT_TRUE(!ReadPrior(ReadCsv(std::string("ln_di,b,sd_ln_di,sd_b,strength,months\n").append(row)), back, problem) &&
                    problem == "line 2: the months must be positive, the strength zero or more, and with a strength the spreads positive") << row;
    // A file written before the half-life and the model travelled with the prior reads as equal weights and
    // each well's AICc; a bad one is named.
    EXPECT_TRUE(ReadPrior(ReadCsv("ln_di,b,sd_ln_di,sd_b,strength,months\n1,1,1,1,1,12\n"), back, problem, &model) && !back.halfLife && model == -1);
    EXPECT_FALSE(ReadPrior(ReadCsv("half_life,ln_di,b,sd_ln_di,sd_b,strength,months\n-1,1,1,1,1,1,12\n"), back, problem));
    EXPECT_EQ(problem, "line 2: column 'half_life' must be zero or more months");
    EXPECT_FALSE(ReadPrior(ReadCsv("ln_di,b,sd_ln_di,sd_b,strength,months,model\n1,1,1,1,1,12,cubic\n"), back, problem));
    EXPECT_EQ(problem, "line 2: column 'model' must name one of best, exponential, hyperbolic, stretched");
    const std::string columns = "history,horizon,centre,low,high,cases,noise_power,noise_floor\n";
    EXPECT_FALSE(ReadCalibration(ReadCsv(columns + "0,6,0,0.5,-0.5,10,0.5,0.05\n"), read, problem));
    EXPECT_TRUE(ReadCalibration(ReadCsv(columns), read, problem) && read.size() == 0);  // the built-in as it is
    EXPECT_TRUE(!ReadCalibration(ReadCsv(columns + "0,6,0,-1,1,10,0.5,0.05\n12,5,0,-1,1,10,0.5,0.05\n"), read, problem) &&
                problem == "line 3: the cell of history 12 and horizon 5 is not one of the built-in calibration's, which the table refines");
    EXPECT_TRUE(!ReadCalibration(ReadCsv(columns + "0,6,0,-1,1,10,0.5,0.06\n"), read, problem) &&
                problem == "line 2: columns 'noise_power' and 'noise_floor' must be the built-in calibration's (0.5 and 0.05)");
}

TEST(FleetEvidence, LearnedTheSameWhateverTheWellsOrder)
{
    std::vector<History> wells = Fleet(24);
    FitRun run;
    FitDefaults(&run.options);
    run.threads = 2, run.horizonMonths = 24;
    FitRun first = run;
    PrepareRun(wells, first, false, false);
    // A run promised to repeat exactly changes no bit unless intended: its prior, calibration, fits and bands.
    qrvp::test::Digest d;
    for (const WellFit& f : RunFits(wells, first)) d.Add(CsvLine(kReportColumns, ReportCells(PriorCsv(first.options.prior) + CalibrationCsv(first.calibration), f)) + CsvLine(kHorizonColumns, HorizonCells(f)));
    EXPECT_EQ(d.value, 0xa7d2b4de7e4f7aa5u) << std::hex << d.value;
    std::reverse(wells.begin(), wells.end());
    FitRun second = run;
    second.threads = 1;
    PrepareRun(wells, second, false, false);
    FitRun given = run;  // a prior file's model is the model fitted
    given.options.model = FIT_MODEL_BEST, given.bestModel = FIT_MODEL_EXPONENTIAL, PrepareRun(wells, given, true, true);
    EXPECT_EQ(given.options.model, FIT_MODEL_EXPONENTIAL);
    EXPECT_TRUE(std::memcmp(&first.options.prior, &second.options.prior, sizeof(FitPrior)) == 0 &&
                first.calibration.low == second.calibration.low);
    // The sample in name order, whatever the wells' order (every well of a small fleet: the backtests' test).
    const std::vector<const History*> sample = SampleOf(wells, wells.size());
    EXPECT_TRUE(std::is_sorted(sample.begin(), sample.end(), [](auto a, auto b) { return a->name < b->name; }));
    // The fleet's b lies between 1 and 1.6: the prior's centre does too, and it pulls.
    EXPECT_TRUE(first.options.prior.strength > 0.0 && first.options.prior.b > 0.9 && first.options.prior.b < 1.7);
    // Three wells are too few for a prior or a cell of their own: each is fitted alone, b pulled toward the middle of
    // its bounds, and banded as lone fits are.
    FitRun few = run;
    FitCalibration lone{};
    ASSERT_EQ(FitLoneCalibration(&lone), 0);
    PrepareRun(Fleet(3), few, false, false);
    EXPECT_TRUE(IsLonePrior(few.options.prior) && few.options.prior.b == 1.0 && CalibrationCsv(few.calibration) == CalibrationCsv(CopyOf(lone)));
}

TEST(FleetEvidence, BacktestsAndTheirCalibrationAgainstAPlainReComputation)
{
    // Shut-ins (none, a dry month, half a day on), a gap and partial months around the cuts, in
    // units a million times larger (a month's volume well below 1: misses are ratios).
    std::vector<History> wells = Fleet(60, 1);  // two cells of exactly kMinCellCases; W1 holds out 24 months, not 30
    for (size_t i = 0; i < wells.size(); ++i) {
        History& w = wells[i];
        for (double& v : w.volumes) v *= 1e-6;
        const size_t k = 2 + i % 8;
        if (i % 3 == 0) w.daysOn[k] = 0.5;
        if (i % 5 == 1) w.volumes[k] = 0.0;
        if (i % 4 == 2) w.daysOn[k + 1] = 10.25;
        if (i % 7 == 3) {  // a gap of two months
            for (auto* v : {&w.starts, &w.ends}) v->erase(v->begin() + static_cast<long>(k), v->begin() + static_cast<long>(k) + 2);
            for (auto* v : {&w.volumes, &w.daysOn}) v->erase(v->begin() + static_cast<long>(k), v->begin() + static_cast<long>(k) + 2);
        }
        if (i % 11 == 5) w.volumes[0] = w.daysOn[1] = 0.0;  // the first producing month is the third
        if (i % 13 == 7) std::fill(w.volumes.end() - static_cast<long>(w.volumes.size() / 2), w.volumes.end(), 0.0);  // dry
    }
    for (auto* v : {&wells[1].starts, &wells[1].ends}) v->erase(v->begin() + 33, v->begin() + 36);  // none just before its cut
    for (auto* v : {&wells[1].volumes, &wells[1].daysOn}) v->erase(v->begin() + 33, v->begin() + 36);
    FitOptions o{};
    FitDefaults(&o);
    const FitPrior none{};
    const Evidence e = Learn(SampleOf(wells, wells.size()), o, 2, &none);
    // Each well's cut by hand: half its months from the first producing one (at most 24) held out.
    auto produced = [](const History& w, size_t j) { return w.volumes[j] > 0.0 && w.daysOn[j] > 0.0; };
    size_t cuts = 0;
    for (const History& w : wells) {
        size_t f = 0;
        while (!produced(w, f)) ++f;
        const int32_t months = w.starts.back().MonthsBetweenDates(w.starts[f]) + 1, held = std::min(24, months / 2);
        Date cut = w.starts[f];
        cut.AddMonths(months - held);
        size_t before = 0;
        double total = 0.0;
        for (size_t j = 0; j < w.starts.size(); ++j)
            if (w.starts[j] < cut) before += produced(w, j); else total += w.volumes[j];
        if (before < kBacktestMinPeriods || total == 0.0) continue;
        ++cuts;
        const auto t = std::find_if(e.fitted.begin(), e.fitted.end(), [&](const Backtest& b) { return b.well == w.name; });
        ASSERT_TRUE(t != e.fitted.end() && t->from.size() == static_cast<size_t>(held)) << w.name;
        EXPECT_TRUE(t->fit.historyEnd == cut) << w.name;
        for (size_t m = 0; m < t->from.size(); ++m) {
            Date from = cut, to = cut;
            from.AddMonths(static_cast<int32_t>(m));
            to.AddMonths(static_cast<int32_t>(m) + 1);
            const auto j = std::find_if(w.starts.begin(), w.starts.end(), [&](const Date& d) { return d == from; });
            const size_t at = static_cast<size_t>(j - w.starts.begin());
            const bool here = j != w.starts.end() && produced(w, at);
            EXPECT_TRUE(t->from[m] == from && t->to[m] == to && t->actual[m] == (here ? w.volumes[at] : 0.0) &&
                        t->uptime[m] == (here ? w.daysOn[at] / to.DaySpan(from) : 0.0)) << w.name << m;
        }
    }
    EXPECT_TRUE(e.backtests == cuts && e.fitted.size() == cuts);
    // Each cell: the quantiles of ln(actual / forecast at the months' uptime) over the noise's power.
    std::vector<double> errors[4][4];
    for (const Backtest& t : e.fitted) {
        size_t h = 0;
        while (h < 3 && kCalibrationHistories[h + 1] <= t.fit.periodsUsed) ++h;
        for (size_t z = 0; z < 4; ++z) {
            double a = 0.0, f = 0.0, v = 0.0;
            for (size_t m = 0; m < static_cast<size_t>(kCalibrationHorizons[z]) && m < t.from.size(); ++m) {
                ASSERT_EQ(GetFitVol(&t.fit.curve, t.from[m], t.to[m], &v), 0);
                a += t.actual[m];
                f += v * t.uptime[m];
            }
            if (kCalibrationHorizons[z] <= static_cast<double>(t.from.size()))
                errors[h][z].push_back(std::log(a / f) / std::pow(std::max(t.fit.noise, kNoiseFloor), kNoisePower));
        }
    }
    Calibration want;
    for (size_t h = 0; h < 4; ++h)
        for (size_t z = 0; z < 4; ++z) {
            if (errors[h][z].size() < kMinCellCases) continue;
            want.history.push_back(kCalibrationHistories[h]);
            want.horizon.push_back(kCalibrationHorizons[z]);
            want.low.push_back(Percentile(errors[h][z], 0.1));
            want.high.push_back(Percentile(errors[h][z], 0.9));
            want.cases.push_back(static_cast<double>(errors[h][z].size()));
        }
    ASSERT_GE(want.size(), 2u);
    EXPECT_TRUE(e.own.history == want.history && e.own.horizon == want.horizon && e.own.cases == want.cases &&
                e.own.centre == std::vector<double>(want.size(), 0.0));
    for (size_t c = 0; c < want.size() && c < e.own.size(); ++c)
        EXPECT_TRUE(std::fabs(e.own.low[c] - want.low[c]) < 1e-12 && std::fabs(e.own.high[c] - want.high[c]) < 1e-12) << c;
    // A run given a fleet's own cells as its calibration bands as that fleet's run does.
    FitRun learned, reused;
    learned.options = reused.options = o;
    const Evidence again = PrepareRun(wells, learned, true, false);
    reused.calibration = again.own;
    PrepareRun(wells, reused, true, true);
    EXPECT_TRUE(again.own.size() >= 2 && CalibrationCsv(reused.calibration) == CalibrationCsv(learned.calibration));
}

}  // namespace
