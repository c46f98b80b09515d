// The fleet passes: the sample, the backtests, the prior's
// strength they choose and the calibration they give.
#include "fleet/learn.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <thread>

namespace qrvp::fleet {

namespace {

uint64_t Fnv1a(const std::string& text)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    return h;
}

void ParallelFor(size_t count, unsigned threads, const std::function<void(size_t)>& work)
{
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i; (i = next.fetch_add(1)) < count;) work(i);
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < std::min<size_t>(std::max(threads, 1u), count); ++t) pool.emplace_back(worker);
    worker();
    for (std::thread& t : pool) t.join();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : 0.5 * (v[m - 1] + v[m]);
}

// The q quantile of sorted values, linear between order statistics.
double Quantile(const std::vector<double>& sorted, double q)
{
    const double at = q * static_cast<double>(sorted.size() - 1);
    const auto i = static_cast<size_t>(at);
    if (i + 1 >= sorted.size()) return sorted.back();
    return sorted[i] + (at - static_cast<double>(i)) * (sorted[i + 1] - sorted[i]);
}

bool Produced(const History& w, size_t i) { return w.volumes[i] > 0.0 && w.daysOn[i] > 0.0; }

// A history cut short and the months held out after it.
struct Cut {
    const std::string* well = nullptr;
    std::vector<Date> starts, ends;
    std::vector<double> volumes, daysOn;
    std::vector<Date> from, to;          // the held-out calendar months
    std::vector<double> actual, uptime;  // their volumes and shares produced (0 for a shut-in)
};

// The well's history from its first producing month to its last month, cut
// so that half of it (at most kBacktestMaxMonths) is held out; none when the
// cut history has fewer than kBacktestMinPeriods producing months or the
// held-out months produced nothing.
std::optional<Cut> CutOf(const History& w)
{
    size_t first = 0;
    while (first < w.starts.size() && !Produced(w, first)) ++first;
    if (first == w.starts.size()) return std::nullopt;
    const int32_t months = w.starts.back().MonthsBetweenDates(w.starts[first]) + 1;
    const int32_t held = std::min<int32_t>(static_cast<int32_t>(kBacktestMaxMonths), months / 2);
    if (held < 1) return std::nullopt;
    Date cut = w.starts[first];
    cut.AddMonths(months - held);
    Cut c;
    c.well = &w.name;
    size_t producing = 0;
    size_t i = 0;
    for (; i < w.starts.size() && w.starts[i] < cut; ++i) {
        c.starts.push_back(w.starts[i]);
        c.ends.push_back(w.ends[i]);
        c.volumes.push_back(w.volumes[i]);
        c.daysOn.push_back(w.daysOn[i]);
        if (Produced(w, i)) ++producing;
    }
    if (producing < kBacktestMinPeriods) return std::nullopt;
    // The months the cut history lacks up to the cut are shut-ins, so its end is the cut.
    while (c.ends.back() < cut) {
        Date next = c.ends.back();
        Date end = next;
        end.AddMonths(1);
        c.starts.push_back(next);
        c.ends.push_back(end);
        c.volumes.push_back(0.0);
        c.daysOn.push_back(0.0);
    }
    double total = 0.0;
    for (int32_t m = 0; m < held; ++m) {
        Date from = cut, to = cut;
        from.AddMonths(m);
        to.AddMonths(m + 1);
        while (i < w.starts.size() && w.starts[i] < from) ++i;
        const bool here = i < w.starts.size() && w.starts[i] == from && Produced(w, i);
        const double span = to.DaySpan(from);
        c.from.push_back(from);
        c.to.push_back(to);
        c.actual.push_back(here ? w.volumes[i] : 0.0);
        c.uptime.push_back(here ? std::min(w.daysOn[i], span) / span : 0.0);
        total += c.actual.back();
    }
    if (!(total > 0.0)) return std::nullopt;
    return c;
}

bool FitCut(const Cut& c, const FitOptions& o, FitResult& r)
{
    return FitDecline(static_cast<int32_t>(c.starts.size()), c.starts.data(), c.ends.data(), c.volumes.data(),
                      c.daysOn.data(), &o, &r, nullptr) == 0;
}

// ln(actual / forecast) over the first `months` held-out months, the forecast
// each month's full-uptime volume times its share produced; NaN when either
// is not positive.
double LogError(const Cut& c, const FitResult& r, size_t months)
{
    double a = 0.0, f = 0.0;
    for (size_t m = 0; m < months && m < c.from.size(); ++m) {
        double v = 0.0;
        if (c.uptime[m] > 0.0 && GetFitVol(&r.curve, c.from[m], c.to[m], &v) == 0) f += v * c.uptime[m];
        a += c.actual[m];
    }
    return a > 0.0 && f > 0.0 ? std::log(a / f) : std::nan("");
}

// Whether `excess` is at most `errors` standard errors of the mean of a - b
// over the backtests both forecast (paired; false for fewer than two).
bool WithinNoise(const std::vector<double>& a, const std::vector<double>& b, double excess, double errors)
{
    double sum = 0.0, squares = 0.0, n = 0.0;
    for (size_t k = 0; k < a.size() && k < b.size(); ++k) {
        if (!std::isfinite(a[k]) || !std::isfinite(b[k])) continue;
        const double d = a[k] - b[k];
        sum += d;
        squares += d * d;
        n += 1.0;
    }
    if (n < 2.0) return false;
    const double mean = sum / n;
    return excess <= errors * std::sqrt(std::max(squares - n * mean * mean, 0.0) / (n - 1.0) / n);
}

struct Fitted {
    bool ok = false;
    FitResult result{};
};

std::vector<Fitted> FitAll(size_t count, unsigned threads, const std::function<bool(size_t, FitResult&)>& fit)
{
    std::vector<Fitted> out(count);
    ParallelFor(count, threads, [&](size_t i) { out[i].ok = fit(i, out[i].result); });
    return out;
}

// The prior (strength 0) of the fits of at least kPriorMinPeriods periods.
FitPrior FitsPrior(const std::vector<Fitted>& fits)
{
    std::vector<double> lnDi, b;
    for (const Fitted& f : fits) {
        if (!f.ok || f.result.periodsUsed < static_cast<int32_t>(kPriorMinPeriods) || !(f.result.curve.Di > 0.0))
            continue;
        lnDi.push_back(std::log(f.result.curve.Di));
        b.push_back(f.result.curve.b);
    }
    return PriorOf(lnDi, b, 0.0);
}

Calibration CalibrationOf(const std::vector<Cut>& cuts, const std::vector<Fitted>& fits)
{
    constexpr size_t kH = std::size(kCalibrationHistories), kZ = std::size(kCalibrationHorizons);
    std::vector<double> errors[kH][kZ], noises[kH][kZ];
    for (size_t k = 0; k < cuts.size(); ++k) {
        if (!fits[k].ok) continue;
        const FitResult& r = fits[k].result;
        size_t h = 0;
        while (h + 1 < kH && kCalibrationHistories[h + 1] <= r.periodsUsed) ++h;
        for (size_t z = 0; z < kZ; ++z) {
            const auto months = static_cast<size_t>(kCalibrationHorizons[z]);
            if (months > cuts[k].from.size()) break;
            const double e = LogError(cuts[k], r, months);
            if (!std::isfinite(e)) continue;
            errors[h][z].push_back(e);
            noises[h][z].push_back(std::pow(std::max(r.noise, kNoiseFloor), kNoisePower));
        }
    }
    Calibration c;
    c.noisePower = kNoisePower;
    c.noiseFloor = kNoiseFloor;
    for (size_t h = 0; h < kH; ++h) {
        for (size_t z = 0; z < kZ; ++z) {
            const std::vector<double>& e = errors[h][z];
            if (e.size() < kMinCellCases) continue;
            const double centre = kCentred ? Median(e) : 0.0;
            std::vector<double> u(e.size());
            for (size_t j = 0; j < e.size(); ++j) u[j] = (e[j] - centre) / noises[h][z][j];
            std::sort(u.begin(), u.end());
            c.history.push_back(kCalibrationHistories[h]);
            c.horizon.push_back(kCalibrationHorizons[z]);
            c.centre.push_back(centre);
            c.low.push_back(Quantile(u, 0.1));
            c.high.push_back(Quantile(u, 0.9));
            c.cases.push_back(static_cast<double>(e.size()));
        }
    }
    return c;
}

// The backtests whose cut history was fitted, into out.fitted.
void KeepBacktests(const std::vector<Cut>& cuts, const std::vector<Fitted>& fits, Evidence& out)
{
    for (size_t k = 0; k < cuts.size(); ++k)
        if (fits[k].ok)
            out.fitted.push_back(
                Backtest{*cuts[k].well, fits[k].result, cuts[k].from, cuts[k].to, cuts[k].actual, cuts[k].uptime});
}

}  // namespace

bool InSample(const std::string& name, size_t wells)
{
    const uint64_t every = std::max<uint64_t>(1, (wells + kSampleWells - 1) / kSampleWells);
    return Fnv1a(name) % every == 0;
}

std::vector<const History*> SampleOf(const std::vector<History>& wells, size_t fleetSize)
{
    std::vector<const History*> out;
    for (const History& w : wells)
        if (w.problem.empty() && !w.starts.empty() && InSample(w.name, fleetSize)) out.push_back(&w);
    std::stable_sort(out.begin(), out.end(), [](const History* a, const History* b) { return a->name < b->name; });
    return out;
}

FitPrior LonePrior(FitPrior p, const FitOptions& options)
{
    if (!(options.bMax > options.bMin)) return p;
    p.lnDi = 0.0;
    p.sdLnDi = kLoneSdLnDi;
    p.b = 0.5 * (options.bMin + options.bMax);
    p.sdB = 0.5 * (options.bMax - options.bMin);
    p.strength = kDefaultStrength;
    p.months = kPriorMonths;
    return p;
}

bool IsLonePrior(const FitPrior& p) { return p.strength > 0.0 && p.sdLnDi >= kLoneSdLnDi; }

FitPrior PriorOf(std::vector<double> lnDi, std::vector<double> b, double strength)
{
    FitPrior p{};
    p.months = kPriorMonths;
    if (lnDi.size() < kMinPriorWells) return p;
    auto spread = [](const std::vector<double>& v, double centre, double floor) {
        std::vector<double> d(v.size());
        for (size_t i = 0; i < v.size(); ++i) d[i] = std::fabs(v[i] - centre);
        return std::max(1.4826 * Median(d), floor);
    };
    p.lnDi = Median(lnDi);
    p.b = Median(b);
    p.sdLnDi = spread(lnDi, p.lnDi, kMinSdLnDi);
    p.sdB = spread(b, p.b, kMinSdB);
    p.strength = strength;
    return p;
}

Evidence Learn(const std::vector<const History*>& sample, const FitOptions& options, unsigned threads,
               const FitPrior* given)
{
    Evidence out;
    FitOptions o = options;
    o.bootstrap = 0;
    o.prior = FitPrior{};
    o.prior.months = kPriorMonths;
    // With FIT_MODEL_BEST the prior's search fits the hyperbola, and the other
    // models are tried at its outcome.
    const bool chooseModel = o.model == FIT_MODEL_BEST;
    if (chooseModel) o.model = FIT_MODEL_HYPERBOLIC;
    const bool shaped = o.model == FIT_MODEL_HYPERBOLIC;

    std::vector<Cut> cuts;
    for (const History* w : sample)
        if (std::optional<Cut> c = CutOf(*w)) cuts.push_back(std::move(*c));
    out.backtests = cuts.size();
    auto fitCuts = [&](const FitOptions& with) {
        return FitAll(cuts.size(), threads, [&](size_t k, FitResult& r) { return FitCut(cuts[k], with, r); });
    };

    FitPrior chosen = given ? *given : FitPrior{};
    if (!given) {
        chosen.months = kPriorMonths;
        chosen.halfLife = std::max(options.halfLife, 0.0);
        chosen.oneRegime = options.regimes == 0 ? 1 : 0;
    }
    if (!given && shaped) {
        // The prior is the one the backtests validate, whole: the cut
        // histories' centre of ln Di and spreads, and the centre of b and the
        // strength whose backtests miss least (median |ln(actual / forecast)|
        // over each held-out part).  A short history leaves b to the prior; the
        // fits of the whole histories give other spreads and another median b,
        // and at a young fleet's 12 months those forecast 24 months far worse.
        const FitPrior cutCentre = FitsPrior(fitCuts(o));
        // A coordinate search, a pass over the cuts a try: the centre of b at
        // kProbeStrength, then the strength at that centre.
        struct Tried {
            double score, strength, centreB;
            FitPrior prior;
            std::vector<Fitted> fits;
            int32_t model;
            std::vector<double> misses;  // each backtest's |ln(actual / forecast)|, NaN when none
        };
        auto tryPrior = [&](double centreB, double strength, double halfLife = 0.0, int32_t oneRegime = 0,
                            int32_t model = FIT_MODEL_HYPERBOLIC) {
            Tried t{std::numeric_limits<double>::infinity(), strength, centreB, cutCentre, {}, model, {}};
            t.prior.b = centreB;
            t.prior.strength = strength;
            t.prior.halfLife = halfLife;
            t.prior.oneRegime = oneRegime;
            FitOptions with = o;
            with.model = model;
            with.prior = t.prior;
            t.fits = fitCuts(with);
            std::vector<double> miss;
            for (size_t k = 0; k < cuts.size(); ++k) {
                const double e =
                    t.fits[k].ok ? LogError(cuts[k], t.fits[k].result, cuts[k].from.size()) : std::nan("");
                t.misses.push_back(std::fabs(e));
                if (std::isfinite(e)) miss.push_back(std::fabs(e));
            }
            if (!miss.empty()) t.score = Median(miss);
            return t;
        };
        // Over a young fleet's backtests, which hold out a few months, a weaker
        // prior gains by following the months just seen, while the forecast
        // runs years: a strength below the default must then beat it by more
        // standard errors, as many as the longest backtest's months over the
        // median one's.
        std::vector<double> held;
        for (const Cut& c : cuts) held.push_back(static_cast<double>(c.from.size()));
        const double weakerErrors = held.empty() ? 1.0 : kBacktestMaxMonths / Median(held);
        std::vector<Tried> tried;
        if (cutCentre.sdLnDi > 0.0) {  // else too few wells for a prior
            Tried probe = tryPrior(cutCentre.b, kProbeStrength);
            for (double centreB : kCentresOfB) {
                Tried t = tryPrior(centreB, kProbeStrength);
                if (t.score < probe.score) probe = std::move(t);
            }
            for (double strength : kStrengths)
                tried.push_back(strength == kProbeStrength ? std::move(probe) : tryPrior(probe.centreB, strength));
        }
        // The strength whose backtests miss least (the strongest at a tie),
        // unless kDefaultStrength misses within the noise of that: a fleet
        // whose backtests are few or hold out only a few months cannot tell
        // the strengths apart, and its best is then a draw of that noise.
        double best = std::numeric_limits<double>::infinity();
        for (const Tried& t : tried) best = std::min(best, t.score);
        const Tried* pick = nullptr;
        for (const Tried& t : tried)
            if (t.score <= best && (!pick || t.strength > pick->strength)) pick = &t;
        for (const Tried& t : tried)
            if (pick && t.strength == kDefaultStrength &&
                WithinNoise(t.misses, pick->misses, t.score - pick->score,
                            pick->strength < kDefaultStrength ? weakerErrors : 1.0))
                pick = &t;
        // Then the half-life at that prior, unless the options set one.
        std::optional<Tried> recent;
        for (double halfLife : kHalfLives) {
            if (!pick || options.halfLife >= 0.0 || halfLife == pick->prior.halfLife) continue;
            Tried t = tryPrior(pick->centreB, pick->strength, halfLife);
            if (t.score < (recent ? recent->score : pick->score)) recent = std::move(t);
        }
        if (recent) pick = &*recent;
        // Then each history whole, as one regime, unless the options say.
        std::optional<Tried> whole;
        if (pick && options.regimes < 0) {
            Tried t = tryPrior(pick->centreB, pick->strength, pick->prior.halfLife, 1);
            if (t.score < pick->score) whole = std::move(t);
        }
        if (whole) pick = &*whole;
        // Then, for FIT_MODEL_BEST, the other models at that prior and half-life.
        std::optional<Tried> other;
        for (int32_t model : {FIT_MODEL_EXPONENTIAL, FIT_MODEL_STRETCHED}) {
            if (!pick || !chooseModel) continue;
            Tried t = tryPrior(pick->centreB, pick->strength, pick->prior.halfLife, pick->prior.oneRegime,
                               model);
            if (t.score < (other ? other->score : pick->score)) other = std::move(t);
        }
        if (other) pick = &*other;
        if (pick) {
            if (chooseModel) out.model = pick->model;
            chosen.lnDi = cutCentre.lnDi;
            chosen.b = pick->centreB;
            chosen.sdLnDi = cutCentre.sdLnDi;
            chosen.sdB = cutCentre.sdB;
            chosen.strength = pick->strength;
            if (options.halfLife < 0.0) chosen.halfLife = pick->prior.halfLife;
            if (options.regimes < 0) chosen.oneRegime = pick->prior.oneRegime;
            out.prior = chosen;
            out.own = CalibrationOf(cuts, pick->fits);
            KeepBacktests(cuts, pick->fits, out);
            return out;
        }
    }
    // No prior learned or given: each well alone.
    if (!(chosen.strength > 0.0)) chosen = LonePrior(chosen, options);
    out.prior = chosen;
    FitOptions with = o;
    with.model = options.model;
    if (shaped) with.prior = chosen;
    const std::vector<Fitted> fits = fitCuts(with);
    out.own = CalibrationOf(cuts, fits);
    KeepBacktests(cuts, fits, out);
    return out;
}

}  // namespace qrvp::fleet
