// The model choice: each model's start among a few shapes, its solve and
// final evaluation through the library, and the choice by AICc.
#include "fit/choice.h"

#include <algorithm>
#include <cmath>
#include <vector>
#include <utility>

namespace qrvp::fit {
namespace {

// The starts the solver runs from, cheapest first.
constexpr size_t kSolvedStarts = 2;

// The final curve through the library with the real Qi, its log volumes and
// the weighted squares of the residuals.
Error Evaluate(const Model& m, const Series& s, Candidate& c)
{
    c.curve = m.Curve(c.th);
    c.lnFitted.resize(s.size());
    c.rss = 0.0;
    double cumTo = 0.0;
    for (size_t k = 0; k < s.size(); ++k) {
        double cumFrom = cumTo;
        if ((k == 0 || !(s.from[k] == s.to[k - 1])) && CurveCumulative(c.curve, s.from[k], &cumFrom) != 0)
            return Err(__LINE__, "the fitted curve's volume failed");
        if (CurveCumulative(c.curve, s.to[k], &cumTo) != 0) return Err(__LINE__, "the fitted curve's volume failed");
        const double v = (cumTo - cumFrom) * std::exp(s.lnShare[k]);
        if (!(v > 0.0) || !std::isfinite(v)) return Err(__LINE__, "the fitted curve gives no positive finite volume");
        c.lnFitted[k] = std::log(v);
        const double r = s.y[k] - c.lnFitted[k];
        c.rss += s.w[k] * r * r;
    }
    return Error{};
}

double Aicc(double rss, size_t periods, int params)
{
    // The variance counts as a parameter too.
    const double n = static_cast<double>(periods);
    const double k = params + 1.0;
    if (n - k - 1.0 <= 0.0) return kInf;
    return n * std::log(std::max(rss / n, 1e-300)) + 2.0 * k + 2.0 * k * (k + 1.0) / (n - k - 1.0);
}

// Start: an exponential through the log rates by weighted least squares, and
// the hyperbola or stretched exponential that falls as far over the history.
Theta Start(int32_t model, const Series& s, double shape)
{
    double sw = 0.0, st = 0.0, sq = 0.0, stt = 0.0, stq = 0.0;
    for (size_t k = 0; k < s.size(); ++k) {
        const double a = s.from[k].DaySpan(s.origin), b = s.to[k].DaySpan(s.origin);
        const double t = 0.5 * (a + b) / kDaysPerYear;
        const double q = s.y[k] - s.lnShare[k] - std::log(std::max(b - a, 1e-6) / kDaysPerMonth);
        sw += s.w[k];
        st += s.w[k] * t;
        sq += s.w[k] * q;
        stt += s.w[k] * t * t;
        stq += s.w[k] * t * q;
    }
    const double var = stt - st * st / sw;
    double d = var > 1e-12 ? -(stq - st * sq / sw) / var : 0.5;
    d = std::clamp(std::isfinite(d) ? d : 0.5, 0.02, 10.0);
    const double T = std::max(s.years, 1.0 / 12.0);
    Theta th(0.0, std::log(d), 0.0);
    if (model == FIT_MODEL_HYPERBOLIC && shape > 0.0) {
        // (1 + b Di T)^(-1/b) = e^(-d T)
        th[1] = std::log(std::clamp(std::expm1(shape * d * T) / (shape * T), 1e-4, kMaxDecline));
        th[2] = shape;
    } else if (model == FIT_MODEL_STRETCHED) {
        // (T / tau)^n = d T
        th[1] = std::log(std::clamp(d * std::max(s.years, 1e-6), 1e-4, 100.0));
        th[2] = shape;
    }
    return th;
}

Candidate FitModel(int32_t model, const Series& s, const FitOptions& o, Work& work)
{
    Candidate c;
    const Model m(model, s, o);
    // A prior stands in for each shape parameter it pins (a spread under
    // kFreeSpread), so with both one period can be fitted.
    int need = m.Params();
    if (model == FIT_MODEL_HYPERBOLIC && o.prior.strength > 0.0)
        need -= (o.prior.sdLnDi < kFreeSpread) + (o.prior.sdB < kFreeSpread);
    if (s.size() < static_cast<size_t>(need)) {
        c.error = Err(__LINE__, "%d usable periods cannot fit the %d parameters of the %s model",
                      static_cast<int>(s.size()), m.Params(),
                      model == FIT_MODEL_EXPONENTIAL ? "exponential"
                      : model == FIT_MODEL_HYPERBOLIC ? "hyperbolic"
                                                      : "stretched-exponential");
        return c;
    }
    // The starts: a few shapes (b, or n) that fall as far over the history as
    // the exponential through the log rates, and the prior's centre, each with
    // its best Qi; the solver runs from the kSolvedStarts cheapest, the lowest
    // minimum kept (the misfit of a short history has several).
    work.g.resize(s.size());
    const Loss loss = FitLoss(model, s, o);
    const int shapes = model == FIT_MODEL_EXPONENTIAL ? 1 : 5;
    std::vector<std::pair<double, Theta>> starts;
    for (int j = 0; j <= shapes; ++j) {
        Theta th;
        if (j == shapes) {
            if (loss.pull[1] == 0.0) break;
            th = Theta(0.0, std::clamp(loss.centre[1], m.Lo()[1], m.Hi()[1]), std::clamp(loss.centre[2], m.Lo()[2], m.Hi()[2]));
        } else {
            const double shape = model == FIT_MODEL_STRETCHED ? 0.2 + 0.2 * j
                                 : shapes == 1                ? 0.0
                                                              : o.bMin + (o.bMax - o.bMin) * j / (shapes - 1);
            th = Start(model, s, shape);
        }
        if (!m.Unit(th, work.g.data())) continue;
        th[0] = ProjectLnQi(s.y, work.g, s.w);
        Residuals(s.y, work.g, th[0], work.r);
        starts.emplace_back(loss.Cost(work.r, s.w) + loss.PriorCost(th), th);
    }
    if (starts.empty()) {
        c.error = Err(__LINE__, "the model gives no finite volume at its starting point");
        return c;
    }
    std::stable_sort(starts.begin(), starts.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    double best = kInf;
    for (size_t j = 0; j < std::min(starts.size(), kSolvedStarts); ++j) {
        Theta th = starts[j].second;
        Solved solved = Solve(m, s.y, s.w, loss, o.maxIterations, th, work);
        if (solved.error) {
            if (j == 0) {
                c.iterations = solved.iterations;
                c.error = solved.error;
            }
            continue;
        }
        const double cost = loss.Cost(work.r, s.w) + loss.PriorCost(th);
        if (cost < best) {
            best = cost;
            c.th = th;
            c.iterations = solved.iterations;
            c.error = Error{};
        }
    }
    if (c.error) return c;
    if (Error e = Evaluate(m, s, c)) {
        c.error = e;
        return c;
    }
    c.aicc = Aicc(c.rss, s.size(), m.Params());
    return c;
}

}  // namespace

Loss FitLoss(int32_t model, const Series& s, const FitOptions& o)
{
    Loss loss;
    loss.robust = o.softL1 != 0;
    loss.scale = o.softL1Scale;
    const FitPrior& p = o.prior;
    if (model == FIT_MODEL_HYPERBOLIC && p.strength > 0.0) {
        const double lambda = p.strength * p.months / (p.months + static_cast<double>(s.size()));
        loss.pull = Theta(0.0, lambda / (p.sdLnDi * p.sdLnDi), lambda / (p.sdB * p.sdB));
        loss.centre = Theta(0.0, p.lnDi, p.b);
    }
    return loss;
}

Choice ChooseModel(const Series& s, const FitOptions& o, Work& work)
{
    Choice out;
    for (int32_t model = 0; model < FIT_MODEL_COUNT; ++model) {
        if (o.model != FIT_MODEL_BEST && o.model != model) continue;
        Candidate c = FitModel(model, s, o, work);
        if (c.error) {
            if (!out.error) out.error = c.error;
            continue;
        }
        out.scores[model] = c.aicc;
        // Strictly lower wins, so at a tie the model with fewer parameters stays.
        if (out.model < 0 || c.aicc < out.chosen.aicc) {
            out.chosen = std::move(c);
            out.model = model;
        }
    }
    return out;
}

}  // namespace qrvp::fit
