// Type wells: each well aligned and filled with its forecast, the groups'
// percentiles month by month, the EUR distribution and each profile's decline.
#include "fleet/typewell.h"

#include "fleet/text.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <thread>

namespace qrvp::fleet {

namespace {

// The aligned month: the first with a volume, or the highest.
size_t AlignedIndex(const History& w, Align align)
{
    size_t first = w.volumes.size(), peak = w.volumes.size();
    for (size_t k = 0; k < w.volumes.size(); ++k) {
        if (w.volumes[k] <= 0.0) continue;
        if (first == w.volumes.size()) first = k;
        if (peak == w.volumes.size() || w.volumes[k] > w.volumes[peak]) peak = k;
    }
    return align == Align::Peak ? peak : first;
}

// Month m's start counted from `first`.
Date MonthStart(const Date& first, int32_t m)
{
    Date d = first;
    d.AddMonths(m);
    return d;
}

const char* const kProfileNames[3] = {"P90", "P50", "P10"};
constexpr double kProbabilities[3] = {0.1, 0.5, 0.9};

}  // namespace

double Percentile(std::vector<double>& values, double p)
{
    if (values.empty()) return std::nan("");
    std::sort(values.begin(), values.end());
    const double h = (static_cast<double>(values.size()) - 1.0) * std::clamp(p, 0.0, 1.0);
    const size_t j = static_cast<size_t>(std::floor(h));
    if (j + 1 >= values.size()) return values.back();
    return values[j] + (h - static_cast<double>(j)) * (values[j + 1] - values[j]);
}

double WeightedPercentile(const std::vector<double>& values, const std::vector<double>& weights, double p,
                          std::vector<size_t>& order)
{
    if (values.empty()) return std::nan("");
    order.resize(values.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return values[a] < values[b]; });
    double total = 0.0;
    for (double w : weights) total += w;
    const double at = std::clamp(p, 0.0, 1.0) * total;
    double below = 0.0, lastMid = 0.0, lastValue = values[order[0]];
    for (size_t k = 0; k < order.size(); ++k) {
        const double mid = below + weights[order[k]] / 2.0, v = values[order[k]];
        if (at <= mid) return k == 0 || mid == lastMid ? v : lastValue + (at - lastMid) / (mid - lastMid) * (v - lastValue);
        below += weights[order[k]];
        lastMid = mid;
        lastValue = v;
    }
    return lastValue;
}

FilledWell FillWell(const History& w, const WellFit& fit, const Calibration& calibration,
                    const TypeWellOptions& options, double factor)
{
    FilledWell out;
    out.factor = factor;
    if (!w.problem.empty()) {
        out.problem = w.problem;
        return out;
    }
    const size_t k0 = AlignedIndex(w, options.align);
    if (k0 >= w.volumes.size()) {
        out.problem = "no month with a volume";
        return out;
    }
    const int32_t months = options.months;
    out.first = w.starts[k0];
    std::vector<double> volumes(static_cast<size_t>(months), 0.0);
    for (size_t k = k0; k < w.starts.size(); ++k) {
        const int32_t m = w.starts[k].MonthsBetweenDates(out.first);
        if (m < months) volumes[static_cast<size_t>(m)] += w.volumes[k] * factor;
    }
    out.historyMonths = std::min(months, w.starts.back().MonthsBetweenDates(out.first) + 1);
    if (out.historyMonths < months) {
        if (fit.status != 0) {
            out.problem = "its fit failed: " + fit.message;
            return out;
        }
        const FitCalibration view = calibration.View();
        const FitCalibration* cal = calibration.size() ? &view : nullptr;
        const Date from = fit.result.historyEnd;
        double before = 0.0;
        for (int32_t m = out.historyMonths; m < months; ++m) {
            const Date to = MonthStart(out.first, m + 1);
            double p50 = 0.0;
            if (!(from < to) || FitBand(&fit.result, cal, from, to, nullptr, &p50, nullptr) != 0 ||
                !std::isfinite(p50)) {
                out.problem = "its forecast to " + FormatDay(to) + " failed";
                return out;
            }
            // The P50's horizon factor may shrink a little month to month: the
            // cumulative never goes down.
            p50 = std::max(p50, before);
            volumes[static_cast<size_t>(m)] += (p50 - before) * factor;
            before = p50;
        }
    }
    out.volumes.swap(volumes);
    return out;
}

std::vector<FilledWell> FillWells(const std::vector<History>& wells, const std::vector<WellFit>& fits,
                                  const Calibration& calibration, const TypeWellOptions& options,
                                  const std::vector<double>& factors, unsigned threads)
{
    std::vector<FilledWell> out(wells.size());
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i; (i = next.fetch_add(1)) < wells.size();)
            out[i] = FillWell(wells[i], fits[i], calibration, options, factors[i]);
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < std::min<size_t>(std::max(threads, 1u), wells.size()); ++t) pool.emplace_back(worker);
    worker();
    for (std::thread& t : pool) t.join();
    return out;
}

bool KeysOf(const Headers* headers, const std::vector<std::string>& names, const std::string& by,
            const std::string& per, double perUnit, WellKeys& keys, std::vector<Problem>& problems)
{
    keys = WellKeys{};
    keys.groups.assign(names.size(), "all");
    keys.factors.assign(names.size(), 1.0);
    keys.used.assign(names.size(), true);
    if (by.empty() && per.empty()) return true;
    auto fatal = [&](Problem p) {
        p.fatal = true;
        problems.push_back(std::move(p));
        return false;
    };
    std::vector<std::string> absent;
    const std::vector<size_t> rows = RowsOf(*headers, names, absent);
    if (!absent.empty()) {
        Problem p;
        p.message = AbsentMessage(absent);
        p.well = absent.front();
        return fatal(p);
    }
    Problem p;
    std::vector<std::string> groups;
    std::vector<double> values;
    if (!by.empty() && !TextColumn(*headers, by, groups, p)) return fatal(p);
    if (!per.empty() && !NumberColumn(*headers, per, values, p)) return fatal(p);
    auto leaveOut = [&](size_t i, const std::string& column, const std::string& why) {
        keys.used[i] = false;
        Problem w;
        w.line = headers->lines[rows[i]];
        w.columnName = Lower(column);
        w.well = names[i];
        w.message = "well '" + names[i] + "' is left out: " + why;
        w.warning = true;
        problems.push_back(w);
    };
    for (size_t i = 0; i < names.size(); ++i) {
        if (!by.empty()) {
            keys.groups[i] = groups[rows[i]];
            if (keys.groups[i].empty()) leaveOut(i, by, "its '" + Lower(by) + "' is blank in the well headers");
        }
        if (per.empty() || !keys.used[i]) continue;
        const double v = values[rows[i]];
        if (std::isnan(v))
            leaveOut(i, per, "its '" + Lower(per) + "' is blank in the well headers");
        else if (!(v > 0.0))
            leaveOut(i, per, "its '" + Lower(per) + "' is " + FormatNumber(v) + ", not above 0");
        else
            keys.factors[i] = perUnit / v;
    }
    return true;
}

namespace {

// Each member's weight by its aligned month's age before the latest member's;
// none (empty) without recency.
std::vector<double> RecencyWeights(const std::vector<size_t>& members, const std::vector<FilledWell>& filled,
                                   double years)
{
    if (!(years > 0.0)) return {};
    auto monthOf = [&](size_t i) { return filled[i].first.year * 12.0 + filled[i].first.month; };
    double latest = -1e300;
    for (size_t i : members) latest = std::max(latest, monthOf(i));
    std::vector<double> weights;
    for (size_t i : members) weights.push_back(std::exp2(-(latest - monthOf(i)) / 12.0 / years));
    return weights;
}

// The type well of one group of filled wells.
TypeWell BuildOne(const std::string& group, std::vector<size_t> members, const std::vector<FilledWell>& filled,
                  const TypeWellOptions& options, const Date& start)
{
    TypeWell t;
    t.group = group;
    t.members = std::move(members);
    const size_t n = t.members.size();
    if (n < std::max<size_t>(options.minWells, 1)) {
        t.problem = "group '" + group + "' has " + std::to_string(n) + (n == 1 ? " well" : " wells") +
                    "; a type well needs at least " + std::to_string(std::max<size_t>(options.minWells, 1));
        return t;
    }
    const auto months = static_cast<size_t>(options.months);
    // Each well's running cumulative, well by well.
    std::vector<std::vector<double>> cum(n, std::vector<double>(months));
    for (size_t i = 0; i < n; ++i) {
        double c = 0.0;
        for (size_t m = 0; m < months; ++m) cum[i][m] = c += filled[t.members[i]].volumes[m];
    }
    for (auto& v : t.monthly) v.assign(months, 0.0);
    for (auto& v : t.cumulative) v.assign(months, 0.0);
    t.inHistory.assign(months, 0);
    const std::vector<double> weights = RecencyWeights(t.members, filled, options.recencyYears);
    std::vector<size_t> order;
    // Percentile unweighted keeps the type well of alike wells as it was, to the bit.
    auto percentile = [&](std::vector<double>& v, double p) {
        return weights.empty() ? Percentile(v, p) : WeightedPercentile(v, weights, p, order);
    };
    std::vector<double> column(n);
    for (size_t m = 0; m < months; ++m) {
        for (size_t i = 0; i < n; ++i) {
            const FilledWell& f = filled[t.members[i]];
            column[i] = options.spread == Spread::Cumulative ? cum[i][m] : f.volumes[m];
            if (static_cast<int32_t>(m) < f.historyMonths) ++t.inHistory[m];
        }
        for (int q = 0; q < 3; ++q) {
            const double value = percentile(column, kProbabilities[q]);
            if (options.spread == Spread::Cumulative) {
                t.cumulative[q][m] = value;
                t.monthly[q][m] = value - (m ? t.cumulative[q][m - 1] : 0.0);
            } else {
                t.monthly[q][m] = value;
                t.cumulative[q][m] = value + (m ? t.cumulative[q][m - 1] : 0.0);
            }
        }
    }
    std::vector<double> eurs(n);
    double sum = 0.0, weight = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double w = weights.empty() ? 1.0 : weights[i];
        sum += w * (eurs[i] = cum[i].back());
        weight += w;
    }
    t.eurMean = sum / weight;
    for (int q = 0; q < 3; ++q) t.eur[q] = percentile(eurs, kProbabilities[q]);
    for (size_t i = 0; i < n; ++i)
        if (std::fabs(cum[i].back() - t.eur[1]) < std::fabs(cum[t.p50Well].back() - t.eur[1])) t.p50Well = i;
    t.p50WellEur = cum[t.p50Well].back();
    t.p50Well = t.members[t.p50Well];

    // Each profile's decline, as a well of full months from `start`.
    std::vector<Date> starts(months), ends(months);
    for (size_t m = 0; m < months; ++m) {
        starts[m] = MonthStart(start, static_cast<int32_t>(m));
        ends[m] = MonthStart(start, static_cast<int32_t>(m) + 1);
    }
    FitOptions fo{};
    FitDefaults(&fo);
    fo.regimes = 0;
    for (int q = 0; q < 3; ++q)
        t.declineStatus[q] = FitDecline(static_cast<int32_t>(months), starts.data(), ends.data(), t.monthly[q].data(),
                                        nullptr, &fo, &t.decline[q], nullptr);
    return t;
}

}  // namespace

std::vector<TypeWell> BuildTypeWells(const std::vector<FilledWell>& filled, const WellKeys& keys,
                                     const TypeWellOptions& options, const Date& start)
{
    std::map<std::string, std::vector<size_t>> groups;
    for (size_t i = 0; i < filled.size(); ++i)
        if (keys.used[i] && filled[i].problem.empty()) groups[keys.groups[i]].push_back(i);
    std::vector<TypeWell> out;
    for (auto& [group, members] : groups) out.push_back(BuildOne(group, std::move(members), filled, options, start));
    return out;
}

std::vector<std::vector<Cell>> ProfileCells(const TypeWell& t)
{
    std::vector<std::vector<Cell>> rows;
    for (size_t m = 0; m < t.inHistory.size(); ++m)
        rows.push_back({Text(t.group), Count(static_cast<int64_t>(m) + 1), Count(static_cast<int64_t>(t.members.size())),
                        Count(t.inHistory[m]), Number(t.monthly[0][m]), Number(t.monthly[1][m]),
                        Number(t.monthly[2][m]), Number(t.cumulative[0][m]), Number(t.cumulative[1][m]),
                        Number(t.cumulative[2][m])});
    return rows;
}

std::vector<Cell> SummaryCells(const TypeWell& t, const std::vector<std::string>& names)
{
    auto last = [&](int q) { return t.cumulative[q].empty() ? std::nan("") : t.cumulative[q].back(); };
    return {Text(t.group),         Count(static_cast<int64_t>(t.members.size())),
            Number(t.eur[0]),      Number(t.eur[1]),
            Number(t.eur[2]),      Number(t.eurMean),
            Text(names[t.p50Well]), Number(t.p50WellEur),
            Number(last(0)),       Number(last(1)),
            Number(last(2))};
}

std::vector<std::vector<Cell>> TypeWellSegmentCells(const TypeWell& t, const Date& start, int32_t months)
{
    std::vector<std::vector<Cell>> rows;
    const Date end = MonthStart(start, months);
    for (int q = 0; q < 3; ++q) {
        if (t.declineStatus[q] != 0) continue;
        std::string name = t.group;
        name.append(1, ' ').append(kProfileNames[q]);
        const FitResult& r = t.decline[q];
        const FitCurve& c = r.curve;
        if (start < c.start) {
            // The months before the peak as one flat segment holding their volume.
            double unit = 0.0;
            const double before = r.startIndex > 0 ? t.cumulative[q][static_cast<size_t>(r.startIndex) - 1] : 0.0;
            if (GetLinTimVol(start, c.start, 1.0, 1.0, &unit) == 0 && unit > 0.0)
                rows.push_back({Text(name), Text("lintime"), At(start), At(c.start), Number(before / unit), Blank(),
                                Number(0.0), Blank(), Blank(), Blank(), Blank(), Blank()});
        }
        rows.push_back(SegmentCells(name, c.model, c.start, end, c.Qi, c.Di * 100.0, c.b, c.Dmin * 100.0, c.tau, c.n));
    }
    return rows;
}

}  // namespace qrvp::fleet
