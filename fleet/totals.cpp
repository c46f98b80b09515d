// Group totals: the wells' bands as two-piece lognormals, rho from the
// backtests' scores, and each group's total by a seeded Monte Carlo.
#include "fleet/totals.h"

#include "fleet/text.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

namespace qrvp::fleet {

namespace {

constexpr size_t kDrawBlock = 1250;  // draws of one task: a group's work splits over threads by blocks

// The log-volume per unit of score above and below the median.
double Upper(const Band& b) { return std::log(b.p10 / b.p50) / kZ90; }
double Lower(const Band& b) { return std::log(b.p50 / b.p90) / kZ90; }

double Phi(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }

uint64_t Mix(uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

uint64_t NameKey(const std::string& name, uint64_t seed)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (char c : name) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    return Mix(h ^ Mix(seed + 0x9e3779b97f4a7c15ull));
}

double RoughQuantile(double p);

// The k-th standard normal draw of a well's key: a uniform in (0, 1) from
// the key and k, through the normal quantile.
double Draw(uint64_t key, size_t k)
{
    const uint64_t bits = Mix(key + (static_cast<uint64_t>(k) + 1) * 0x9e3779b97f4a7c15ull) >> 11;
    return RoughQuantile((static_cast<double>(bits) + 0.5) * 0x1p-53);
}

double Quantile(const std::vector<double>& sorted, double q)
{
    const double at = q * static_cast<double>(sorted.size() - 1);
    const auto i = static_cast<size_t>(at);
    if (i + 1 >= sorted.size()) return sorted.back();
    return sorted[i] + (at - static_cast<double>(i)) * (sorted[i + 1] - sorted[i]);
}

// A group ready for its draws: its wells in name order.
struct Group {
    GroupTotal* row = nullptr;
    std::vector<size_t> wells;
    std::vector<uint64_t> keys;
    std::vector<double> totals;  // one per draw
};

}  // namespace

namespace {

// Acklam's rational approximation: relative error under 1e-9 for p in
// 0.02425 .. 0.97575, under 1e-5 beyond (good enough for a draw).
double RoughQuantile(double p)
{
    static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02, -2.759285104469687e+02,
                                   1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
    static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                                   6.680131188771972e+01,  -1.328068155288572e+01};
    static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                                   -2.549671010229583e+00, 4.374664141464968e+00,  2.938163982698783e+00};
    static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                                   3.754408661907416e+00};
    constexpr double low = 0.02425;
    if (!(p > 0.0)) return -std::numeric_limits<double>::infinity();
    if (!(p < 1.0)) return std::numeric_limits<double>::infinity();
    auto tail = [&](double q) {
        return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
               ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
    };
    if (p < low) return tail(std::sqrt(-2.0 * std::log(p)));
    if (p > 1.0 - low) return -tail(std::sqrt(-2.0 * std::log1p(-p)));
    const double q = p - 0.5, r = q * q;
    return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
           (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
}

}  // namespace

double NormalQuantile(double p)
{
    // One Halley step on the distribution function refines the approximation,
    // on the lower side, where 1 - p is exact and the tail's digits are kept.
    if (p > 0.5) return -NormalQuantile(1.0 - p);
    const double x = RoughQuantile(p);
    if (!std::isfinite(x)) return x;
    const double e = Phi(x) - p, u = e * std::sqrt(2.0 * M_PI) * std::exp(0.5 * x * x);
    return x - u / (1.0 + 0.5 * x * u);
}

std::string BandProblem(const Band& b)
{
    const bool finite = std::isfinite(b.p90) && std::isfinite(b.p50) && std::isfinite(b.p10);
    const bool zero = b.p90 == 0.0 && b.p50 == 0.0 && b.p10 == 0.0;
    if (finite && (zero || (b.p90 > 0.0 && b.p90 <= b.p50 && b.p50 <= b.p10))) return "";
    return std::string("its band (P90 ").append(FormatNumber(b.p90)).append(", P50 ").append(FormatNumber(b.p50))
        .append(", P10 ").append(FormatNumber(b.p10)).append(") is not 0 < P90 <= P50 <= P10");
}

double BandVolume(const Band& b, double x)
{
    if (b.p50 == 0.0) return 0.0;
    return b.p50 * std::exp(x * (x > 0.0 ? Upper(b) : Lower(b)));
}

double BandScore(const Band& b, double volume)
{
    const double l = std::log(volume / b.p50);
    const double slope = l > 0.0 ? Upper(b) : Lower(b);
    if (l == 0.0) return 0.0;
    return slope > 0.0 ? l / slope : std::copysign(std::numeric_limits<double>::infinity(), l);
}

double BandMean(const Band& b)
{
    if (b.p50 == 0.0) return 0.0;
    const double u = Upper(b), l = Lower(b);
    return b.p50 * (std::exp(0.5 * u * u) * Phi(u) + std::exp(0.5 * l * l) * Phi(-l));
}

Dependence DependenceOf(const std::vector<std::string>& groups, const std::vector<double>& scores)
{
    std::map<std::string, std::pair<double, double>> sums;  // group -> (sum, sum of squares)
    size_t pairs = 0;
    std::map<std::string, size_t> sizes;
    for (size_t i = 0; i < scores.size(); ++i) {
        const double x = std::clamp(scores[i], -kScoreLimit, kScoreLimit);
        auto& s = sums[groups[i]];
        s.first += x;
        s.second += x * x;
        pairs += sizes[groups[i]]++;
    }
    if (scores.empty()) return {};
    if (pairs < kMinDependencePairs && sums.size() > 1)
        return DependenceOf(std::vector<std::string>(groups.size()), scores);
    double cross = 0.0, square = 0.0;
    for (const auto& [group, s] : sums) {
        cross += s.first * s.first - s.second;  // twice the sum of the pairs' products
        square += s.second;
    }
    if (pairs == 0 || !(square > 0.0)) return Dependence{0.0, pairs};
    const double rho = (cross / (2.0 * static_cast<double>(pairs))) / (square / static_cast<double>(scores.size()));
    return Dependence{std::clamp(rho, 0.0, 1.0), pairs};
}

void BacktestScores(const std::vector<Backtest>& backtests, const Calibration& calibration, int32_t months,
                    const std::map<std::string, std::string>& groupOf, std::vector<std::string>& groups,
                    std::vector<double>& scores)
{
    const FitCalibration view = calibration.View();
    for (const Backtest& t : backtests) {
        const auto group = groupOf.find(t.well);
        const size_t m = std::min(static_cast<size_t>(std::max(months, 1)), t.from.size());
        if (group == groupOf.end() || m == 0) continue;
        double actual = 0.0, forecast = 0.0, full = 0.0;
        for (size_t j = 0; j < m; ++j) {
            double v = 0.0;
            if (GetFitVol(&t.fit.curve, t.from[j], t.to[j], &v) != 0) v = std::nan("");
            forecast += v * t.uptime[j];
            actual += t.actual[j];
        }
        Band band;
        if (GetFitVol(&t.fit.curve, t.fit.historyEnd, t.to[m - 1], &full) != 0 || !(full > 0.0) ||
            !(forecast > 0.0) || !(actual > 0.0) ||
            FitBand(&t.fit, calibration.size() ? &view : nullptr, t.fit.historyEnd, t.to[m - 1], &band.p90,
                    &band.p50, &band.p10) != 0 ||
            !BandProblem(band).empty())
            continue;
        // The band of the forecast at the held-out months' uptime: the same factors.
        const double scale = forecast / full;
        band = Band{band.p90 * scale, band.p50 * scale, band.p10 * scale};
        groups.push_back(group->second);
        scores.push_back(BandScore(band, actual));
    }
}

std::vector<GroupTotal> GroupTotals(const std::vector<std::string>& wells, const std::vector<std::string>& groups,
                                    const std::vector<Band>& bands, const std::vector<std::string>& problems,
                                    const Dependence& dependence, uint64_t seed, unsigned threads)
{
    std::map<std::string, std::vector<size_t>> members;
    for (size_t i = 0; i < wells.size(); ++i) members[groups[i]].push_back(i);
    std::vector<GroupTotal> rows;
    rows.reserve(members.size());
    std::vector<Group> work;
    for (auto& [name, list] : members) {
        std::stable_sort(list.begin(), list.end(), [&](size_t a, size_t b) { return wells[a] < wells[b]; });
        GroupTotal& row = rows.emplace_back();
        row.group = name;
        row.wells = list.size();
        row.dependence = dependence;
        if (list.size() < 2) row.message = "group '" + name + "' has one well ('" + wells[list[0]] + "'): a total needs two or more";
        for (size_t i : list) {
            if (!row.message.empty()) break;
            const std::string band = BandProblem(bands[i]);
            if (!problems[i].empty()) row.message = "well '" + wells[i] + "' is not fitted: " + problems[i];
            else if (!band.empty()) row.message = "well '" + wells[i] + "': " + band;
        }
        if (!row.message.empty()) continue;
        row.mean = row.sumP90 = row.sumP50 = row.sumP10 = 0.0;
        Group g;
        for (size_t i : list) {
            row.mean += BandMean(bands[i]);
            row.sumP90 += bands[i].p90;
            row.sumP50 += bands[i].p50;
            row.sumP10 += bands[i].p10;
            g.wells.push_back(i);
            g.keys.push_back(NameKey(wells[i], seed));
        }
        g.totals.assign(kTotalDraws, 0.0);
        work.push_back(std::move(g));
    }
    for (size_t i = 0, r = 0; i < work.size(); ++r)
        if (rows[r].message.empty()) work[i++].row = &rows[r];

    // The factor's draws are stratified (its quantiles at (k + 0.5) / K), the
    // wells' own seeded: a comonotone group (rho 1) then sums its quantiles.
    std::vector<double> factor(kTotalDraws);
    for (size_t k = 0; k < kTotalDraws; ++k) factor[k] = NormalQuantile((static_cast<double>(k) + 0.5) / kTotalDraws);
    const double shared = std::sqrt(dependence.rho), own = std::sqrt(1.0 - dependence.rho);
    const size_t blocks = (kTotalDraws + kDrawBlock - 1) / kDrawBlock, tasks = work.size() * blocks;
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t t; (t = next.fetch_add(1)) < tasks;) {
            Group& g = work[t / blocks];
            const size_t k0 = (t % blocks) * kDrawBlock, k1 = std::min(k0 + kDrawBlock, kTotalDraws);
            for (size_t j = 0; j < g.wells.size(); ++j) {
                // BandVolume with the band's slopes worked out once.
                const Band& b = bands[g.wells[j]];
                if (b.p50 == 0.0) continue;
                const double up = Upper(b), down = Lower(b);
                for (size_t k = k0; k < k1; ++k) {
                    const double x = shared * factor[k] + own * Draw(g.keys[j], k);
                    g.totals[k] += b.p50 * std::exp(x * (x > 0.0 ? up : down));
                }
            }
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < std::min<size_t>(std::max(threads, 1u), tasks); ++t) pool.emplace_back(worker);
    worker();
    for (std::thread& t : pool) t.join();
    for (Group& g : work) {
        std::sort(g.totals.begin(), g.totals.end());
        g.row->p90 = Quantile(g.totals, 0.1);
        g.row->p50 = Quantile(g.totals, 0.5);
        g.row->p10 = Quantile(g.totals, 0.9);
    }
    return rows;
}

bool GroupsOf(const Headers& headers, const std::string& column, const std::vector<std::string>& wells,
              std::map<std::string, std::string>& groupOf, Problem& problem)
{
    std::vector<std::string> cells, absent;
    if (!TextColumn(headers, column, cells, problem)) return false;
    const std::vector<size_t> rows = RowsOf(headers, wells, absent);
    problem = Problem{};
    problem.line = headers.headerLine;
    if (!absent.empty()) {
        problem.well = absent.front();
        problem.message = AbsentMessage(absent);
        return false;
    }
    for (size_t i = 0; i < wells.size(); ++i) {
        if (!cells[rows[i]].empty()) {
            groupOf[wells[i]] = cells[rows[i]];
            continue;
        }
        problem.line = headers.lines[rows[i]];
        problem.well = wells[i];
        problem.message = "well '" + wells[i] + "' has no '" + Lower(column) + "'";
        return false;
    }
    return true;
}

Dependence LearnDependence(const std::vector<History>& wells, const FitRun& run, const Evidence& learned,
                           const std::map<std::string, std::string>& groupOf, size_t fleetSize)
{
    const std::vector<Backtest>* backtests = &learned.fitted;
    Evidence now;
    if (learned.backtests == 0) {
        now = Learn(SampleOf(wells, fleetSize ? fleetSize : wells.size()), run.options, run.threads,
                    &run.options.prior);
        backtests = &now.fitted;
    }
    std::vector<std::string> groups;
    std::vector<double> scores;
    BacktestScores(*backtests, run.calibration, run.horizonMonths, groupOf, groups, scores);
    return DependenceOf(groups, scores);
}

std::vector<GroupTotal> TotalsOfFits(const std::vector<History>& wells, const std::vector<WellFit>& fits,
                                     const std::map<std::string, std::string>& groupOf,
                                     const Dependence& dependence, uint64_t seed, unsigned threads)
{
    std::vector<std::string> names, groups, problems;
    std::vector<Band> bands;
    for (size_t i = 0; i < wells.size(); ++i) {
        const auto group = groupOf.find(wells[i].name);
        if (group == groupOf.end()) continue;
        names.push_back(wells[i].name);
        groups.push_back(group->second);
        bands.push_back(Band{fits[i].band[0], fits[i].band[1], fits[i].band[2]});
        problems.push_back(fits[i].status == 0 ? std::string() : fits[i].message);
    }
    return GroupTotals(names, groups, bands, problems, dependence, seed, threads);
}

}  // namespace qrvp::fleet
