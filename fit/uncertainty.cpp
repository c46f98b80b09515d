// The uncertainty of a fit: standard errors by the delta method, the
// remaining volume to the economic limit, and its residual bootstrap.
#include "fit/uncertainty.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace qrvp::fit {
namespace {

// SplitMix64: the same draws on every platform and compiler.
struct Draws {
    uint64_t state;
    uint64_t Next()
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

}  // namespace

void StandardErrors(int32_t model, const Series& s, const FitOptions& o, const Candidate& c, Work& work, double* se)
{
    se[0] = se[1] = se[2] = kNaN;
    const Model m(model, s, o);
    const size_t n = s.size();
    const int p = m.Params();
    if (n <= static_cast<size_t>(p)) return;
    work.g.resize(n);
    if (!m.Unit(c.th, work.g.data())) return;
    // The fixed exponent of the exponential gets no column.
    Eigen::Matrix<double, kParams, kParams> A = Eigen::Matrix<double, kParams, kParams>::Zero();
    if (!Jacobian(m, c.th, work)) return;
    for (size_t k = 0; k < n; ++k) {
        const Theta J(-1.0, -work.d[1][k], -work.d[2][k]);
        A.noalias() += s.w[k] * J * J.transpose();
    }
    const double sigma2 = c.rss / static_cast<double>(n - static_cast<size_t>(p));
    Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, 0, kParams, kParams> Ap = A.topLeftCorner(p, p);
    Eigen::FullPivLU<decltype(Ap)> lu(Ap);
    if (!lu.isInvertible()) return;
    // From theta to (Qi, Di, b) or (Qi, tau, n): ln tau = ln T - q / n.
    Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, 0, kParams, kParams> G =
        decltype(Ap)::Zero(p, p);
    double dF1 = 0.0, dF2 = 0.0;
    m.Fall(c.th, &dF1, &dF2);
    G(0, 0) = c.curve.Qi;
    G(0, 1) = c.curve.Qi * dF1;
    if (p > 2) G(0, 2) = c.curve.Qi * dF2;
    if (model == FIT_MODEL_STRETCHED) {
        G(1, 1) = -c.curve.tau / c.th[2];
        G(1, 2) = c.curve.tau * c.th[1] / (c.th[2] * c.th[2]);
        G(2, 2) = 1.0;
    } else {
        G(1, 1) = c.curve.Di;
        if (p > 2) G(2, 2) = 1.0;
    }
    const auto cov = (G * lu.inverse() * G.transpose()).eval();
    for (int j = 0; j < p; ++j) {
        const double v = sigma2 * cov(j, j);
        se[j] = v >= 0.0 ? std::sqrt(v) : kNaN;
    }
}

Error Remaining(const FitCurve& c, const Date& end, double limitRate, double* vol, Date* limit)
{
    Date horizon = end;
    horizon.AddMonths(600);
    const Date last(2999, 12, 31, 0, 0, 0);
    if (last < horizon) horizon = last;
    if (horizon < end) horizon = end;
    Date stop = horizon;
    if (limitRate > 0.0) {
        double q = 0.0;
        if (CurveRate(c, end, &q) != 0) return Err(__LINE__, "the fitted curve's rate failed");
        if (q <= limitRate) {
            stop = end;
        } else if (CurveRate(c, horizon, &q) == 0 && q <= limitRate) {
            // Bisect on days to the second: the first date whose rate is at or below the limit.
            double lo = 0.0, hi = horizon.DaySpan(end);
            while (hi - lo > 0.5 / 86400.0) {
                const double mid = 0.5 * (lo + hi);
                Date at = end;
                at.AddFracDay(mid);
                if (CurveRate(c, at, &q) != 0) return Err(__LINE__, "the fitted curve's rate failed");
                (q <= limitRate ? hi : lo) = mid;
            }
            stop = end;
            stop.AddFracDay(hi);
        }
    }
    double a = 0.0, b = 0.0;
    if (CurveCumulative(c, end, &a) != 0 || CurveCumulative(c, stop, &b) != 0)
        return Err(__LINE__, "the fitted curve's volume failed");
    *vol = b - a;
    *limit = stop;
    return Error{};
}

void Bootstrap(int32_t model, const Series& s, const FitOptions& o, const Candidate& c, FitResult& r, Work& work)
{
    r.p90Curve = r.p10Curve = r.curve;
    r.p90 = r.p50 = r.p10 = kNaN;
    if (o.bootstrap <= 0) return;
    // Residual bootstrap: the fitted log volumes plus residuals drawn with
    // replacement, each with the chance of its weight (so the misfit of
    // months the recency weights discount does not land on recent ones),
    // refitted from the fit; the remaining volume of each.
    const Model m(model, s, o);
    const Loss loss = FitLoss(model, s, o);
    const size_t n = s.size();
    std::vector<double> resid(n), yStar(n), cumWeight(n);
    double total = 0.0;
    for (size_t k = 0; k < n; ++k) {
        resid[k] = s.y[k] - c.lnFitted[k];
        cumWeight[k] = total += s.w[k];
    }
    auto draw = [&](Draws& d) {
        const double u = static_cast<double>(d.Next() >> 11) * 0x1.0p-53 * total;
        return std::min<size_t>(static_cast<size_t>(std::upper_bound(cumWeight.begin(), cumWeight.end(), u) -
                                                    cumWeight.begin()),
                                n - 1);
    };
    std::vector<std::pair<double, FitCurve>> outcomes;
    outcomes.reserve(static_cast<size_t>(o.bootstrap));
    Draws draws{o.seed};
    for (int32_t rep = 0; rep < o.bootstrap; ++rep) {
        for (size_t k = 0; k < n; ++k) yStar[k] = c.lnFitted[k] + resid[draw(draws)];
        Theta th = c.th;
        if (Solve(m, yStar, s.w, loss, o.maxIterations, th, work).error) continue;
        const FitCurve curve = m.Curve(th);
        double vol = 0.0;
        Date stop;
        if (Remaining(curve, r.historyEnd, o.economicLimit, &vol, &stop) || !std::isfinite(vol)) continue;
        outcomes.emplace_back(vol, curve);
    }
    if (!outcomes.empty()) {
        std::stable_sort(outcomes.begin(), outcomes.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        auto at = [&](double q) {
            return outcomes[static_cast<size_t>(std::lround(q * static_cast<double>(outcomes.size() - 1)))];
        };
        r.p90 = at(0.1).first;
        r.p90Curve = at(0.1).second;
        r.p50 = at(0.5).first;
        r.p10 = at(0.9).first;
        r.p10Curve = at(0.9).second;
    }
    r.bootstrapUsed = static_cast<int32_t>(outcomes.size());
}

}  // namespace qrvp::fit
