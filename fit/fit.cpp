// Fitting a decline to a well's history: the periods fitted and their clock,
// a bounded Levenberg-Marquardt solver on the log residuals, the model choice
// by AICc, the remaining volume and its residual bootstrap.
#include "fit/fit_internal.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace qrvp::fit {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kDaysPerYear = 365.25;
constexpr double kDaysPerMonth = 30.4375;

// A failure on its way out: the source line and message of its record.
struct Error {
    int line = 0;
    std::string message;
    explicit operator bool() const { return line != 0; }
};

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
Error Err(int line, const char* format, ...)
{
    char text[400];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return Error{line, text};
}

// The periods fitted, in order, with the curve's clock over each.
struct Series {
    std::vector<int32_t> index;   // the period's index in the history
    std::vector<Date> from, to;   // the clock over the period: calendar dates, or producing time from origin
    std::vector<double> y;        // ln of the volume produced
    std::vector<double> lnShare;  // calendar time: ln of the share of the period produced; else 0
    std::vector<double> w;        // recency weights, mean 1
    Date origin;                  // the curve's start
    double years = 0.0;           // clock time from origin to the end of the last period fitted
    double pivot = 0.0;           // weighted mean of the periods' clock midpoints, years
    size_t size() const { return y.size(); }
};

// theta: the ln rate at the pivot (the weighted centre of the history), then
// ln Di and b (Arps), or the stretched exponential's q = n ln(T / tau), the log
// of its fall in e-folds over the history's T years, and n.  Qi and the shape,
// like tau and n, run along long valleys of the misfit; these cut across them.
constexpr int kParams = 3;
using Theta = Eigen::Matrix<double, kParams, 1>;

class Model {
public:
    Model(int32_t model, const Series& series, const FitOptions& options) : model_(model), s_(series)
    {
        lo_ << -700.0, std::log(1e-4), 0.0;
        hi_ << 700.0, std::log(36.0), 0.0;
        step_ << 0.0, 1e-7, 1e-6;
        dmin_ = model == FIT_MODEL_HYPERBOLIC ? SnapPercent(options.Dmin) : 0.0;
        if (model == FIT_MODEL_HYPERBOLIC) {
            lo_[2] = options.bMin;
            hi_[2] = options.bMax;
        } else if (model == FIT_MODEL_STRETCHED) {
            lo_[1] = std::log(1e-4);
            hi_[1] = std::log(100.0);
            lo_[2] = 0.05;
            hi_[2] = 1.0;
        }
        lnYears_ = std::log(std::max(series.years, 1e-6));
        lnPivotShare_ = std::log(std::max(series.pivot, 1e-9)) - lnYears_;
    }

    int32_t Params() const { return model_ == FIT_MODEL_EXPONENTIAL ? 2 : 3; }
    const Theta& Lo() const { return lo_; }
    const Theta& Hi() const { return hi_; }
    double Step(int j) const { return step_[j]; }

    // The fall of ln rate from the start to the pivot, and its derivatives by
    // theta[1] and theta[2].
    double Fall(const Theta& th, double* d1 = nullptr, double* d2 = nullptr) const
    {
        double f, f1, f2;
        if (model_ == FIT_MODEL_STRETCHED) {
            f = std::exp(th[1] + th[2] * lnPivotShare_);
            f1 = f;
            f2 = f * lnPivotShare_;
        } else {
            const double x = std::exp(th[1]) * s_.pivot, b = th[2];
            if (b < 1e-8) {
                f = x - 0.5 * b * x * x;
                f1 = x - b * x * x;
                f2 = -0.5 * x * x;
            } else {
                const double l = std::log1p(b * x);
                f = l / b;
                f1 = x / (1.0 + b * x);
                f2 = -l / (b * b) + x / (b * (1.0 + b * x));
            }
        }
        if (d1) *d1 = f1;
        if (d2) *d2 = f2;
        return f;
    }

    // The curve; Di and Dmin snapped so that percentages read back the same.
    // Qi is 1 for a unit curve.
    FitCurve Curve(const Theta& th, bool unit = false) const
    {
        FitCurve c{};
        c.model = model_;
        c.start = s_.origin;
        c.Qi = unit ? 1.0 : std::exp(th[0] + Fall(th));
        if (model_ == FIT_MODEL_STRETCHED) {
            c.tau = std::exp(lnYears_ - th[1] / th[2]);
            c.n = th[2];
        } else {
            c.Di = SnapPercent(std::exp(th[1]));
            c.b = model_ == FIT_MODEL_HYPERBOLIC ? th[2] : 0.0;
            c.Dmin = dmin_;
        }
        return c;
    }

    // g[k] = ln of period k's model volume at Qi = 1, plus its ln share and
    // the fall to the pivot, so that ln volume = theta[0] + g[k].  False when
    // a volume is not a positive finite number.
    bool Unit(const Theta& th, double* g) const
    {
        const FitCurve c = Curve(th, true);
        const double fall = Fall(th);
        double cumTo = 0.0;
        for (size_t k = 0; k < s_.size(); ++k) {
            double cumFrom = cumTo;
            if (k == 0 || !(s_.from[k] == s_.to[k - 1])) {
                if (CurveCumulative(c, s_.from[k], &cumFrom) != 0) return false;
            }
            if (CurveCumulative(c, s_.to[k], &cumTo) != 0) return false;
            const double v = cumTo - cumFrom;
            if (!(v > 0.0) || !std::isfinite(v)) return false;
            g[k] = std::log(v) + s_.lnShare[k] + fall;
        }
        return true;
    }

private:
    int32_t model_;
    const Series& s_;
    Theta lo_, hi_, step_;
    double dmin_ = 0.0;
    double lnYears_ = 0.0;
    double lnPivotShare_ = 0.0;
};

struct Loss {
    bool robust = false;
    double scale = 0.25;
    double Cost(const std::vector<double>& r, const std::vector<double>& w) const
    {
        double sum = 0.0;
        for (size_t k = 0; k < r.size(); ++k) {
            if (robust) {
                const double z = r[k] / scale;
                sum += w[k] * scale * scale * (std::sqrt(1.0 + z * z) - 1.0);
            } else {
                sum += 0.5 * w[k] * r[k] * r[k];
            }
        }
        return sum;
    }
    // The weight a residual keeps in the Gauss-Newton step.
    double Factor(double r) const
    {
        if (!robust) return 1.0;
        const double z = r / scale;
        return 1.0 / std::sqrt(1.0 + z * z);
    }
};

struct Work {
    std::vector<double> g, gTrial, r, rTrial;
    std::vector<double> d[kParams];
};

void Residuals(const std::vector<double>& y, const std::vector<double>& g, double lnQi, std::vector<double>& r)
{
    r.resize(y.size());
    for (size_t k = 0; k < y.size(); ++k) r[k] = y[k] - lnQi - g[k];
}

// The ln Qi that fits best in least squares for the rest of theta.
double ProjectLnQi(const std::vector<double>& y, const std::vector<double>& g, const std::vector<double>& w)
{
    double num = 0.0, den = 0.0;
    for (size_t k = 0; k < y.size(); ++k) {
        num += w[k] * (y[k] - g[k]);
        den += w[k];
    }
    return num / den;
}

// The Jacobian of the model's log volumes (dg/dtheta_j, j >= 1) by forward
// differences, stepping away from the upper bound.
bool Jacobian(const Model& m, const Theta& th, Work& work)
{
    const size_t n = work.g.size();
    for (int j = 1; j < kParams; ++j) {
        work.d[j].resize(n);
        if (m.Lo()[j] == m.Hi()[j]) {
            std::fill(work.d[j].begin(), work.d[j].end(), 0.0);
            continue;
        }
        Theta t = th;
        double h = m.Step(j);
        if (t[j] + h > m.Hi()[j]) h = -h;
        t[j] += h;
        if (!m.Unit(t, work.d[j].data())) return false;
        for (size_t k = 0; k < n; ++k) work.d[j][k] = (work.d[j][k] - work.g[k]) / h;
    }
    return true;
}

struct Solved {
    Error error;
    int iterations = 0;
};

// Bounded Levenberg-Marquardt from theta on the residuals y - ln Qi - g.
// Converged when the Gauss-Newton model promises no real decrease, when an
// accepted step lowers the misfit by a negligible share, or when the step
// itself becomes negligible; out of iterations first is a failure.
Solved Solve(const Model& m, const std::vector<double>& y, const std::vector<double>& w, const Loss& loss,
             int32_t maxIterations, Theta& th, Work& work)
{
    Solved out;
    const size_t n = y.size();
    work.g.resize(n);
    work.gTrial.resize(n);
    if (!m.Unit(th, work.g.data())) {
        out.error = Err(__LINE__, "the model gives no finite volume at its starting point");
        return out;
    }
    Residuals(y, work.g, th[0], work.r);
    double cost = loss.Cost(work.r, w);
    double lambda = -1.0, growth = 2.0;
    for (;;) {
        if (!Jacobian(m, th, work)) {
            out.error = Err(__LINE__, "the model gives no finite volume beside the current point");
            return out;
        }
        // J rows are d r / d theta = (-1, -dg1, -dg2).
        Eigen::Matrix<double, kParams, kParams> A = Eigen::Matrix<double, kParams, kParams>::Zero();
        Theta grad = Theta::Zero();
        for (size_t k = 0; k < n; ++k) {
            const Theta J(-1.0, -work.d[1][k], -work.d[2][k]);
            const double omega = w[k] * loss.Factor(work.r[k]);
            A.noalias() += omega * J * J.transpose();
            grad += omega * work.r[k] * J;
        }
        int freeIdx[kParams];
        int nFree = 0;
        for (int j = 0; j < kParams; ++j) {
            if (m.Lo()[j] == m.Hi()[j]) continue;
            if (th[j] <= m.Lo()[j] && grad[j] > 0.0) continue;  // descent would leave through the bound
            if (th[j] >= m.Hi()[j] && grad[j] < 0.0) continue;
            freeIdx[nFree++] = j;
        }
        if (nFree == 0) return out;
        using Small = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, 0, kParams, kParams>;
        using SmallVec = Eigen::Matrix<double, Eigen::Dynamic, 1, 0, kParams, 1>;
        Small Af(nFree, nFree);
        SmallVec gf(nFree);
        double maxDiag = 0.0;
        for (int a = 0; a < nFree; ++a) {
            gf[a] = grad[freeIdx[a]];
            for (int b = 0; b < nFree; ++b) Af(a, b) = A(freeIdx[a], freeIdx[b]);
            maxDiag = std::max(maxDiag, Af(a, a));
        }
        if (!(maxDiag > 0.0) || !std::isfinite(maxDiag)) {
            out.error = Err(__LINE__, "the model's volumes do not respond to its parameters");
            return out;
        }
        SmallVec diag(nFree);
        for (int a = 0; a < nFree; ++a) diag[a] = std::max(Af(a, a), 1e-12 * maxDiag);
        {
            // What the Gauss-Newton step would gain at best.
            Small M = Af;
            for (int a = 0; a < nFree; ++a) M(a, a) += 1e-12 * diag[a];
            const SmallVec x = M.ldlt().solve(gf);
            const double promise = 0.5 * gf.dot(x);
            if (std::isfinite(promise) && promise <= 1e-12 * cost + 1e-300) return out;
        }
        if (lambda < 0.0) lambda = 1e-1;
        for (;;) {
            if (++out.iterations > maxIterations) {
                out.error = Err(__LINE__, "did not converge within %d solver steps", maxIterations);
                return out;
            }
            Small M = Af;
            for (int a = 0; a < nFree; ++a) M(a, a) += lambda * diag[a];
            const SmallVec delta = M.ldlt().solve(-gf);
            Theta trial = th;
            for (int a = 0; a < nFree; ++a) {
                const int j = freeIdx[a];
                trial[j] = std::clamp(th[j] + delta[a], m.Lo()[j], m.Hi()[j]);
            }
            double moved = 0.0;
            for (int j = 0; j < kParams; ++j) moved = std::max(moved, std::fabs(trial[j] - th[j]) / (1.0 + std::fabs(th[j])));
            if (!(moved > 1e-14)) return out;  // the step has shrunk to nothing: a minimum to the last digit
            double trialCost = kInf;
            if (m.Unit(trial, work.gTrial.data())) {
                Residuals(y, work.gTrial, trial[0], work.rTrial);
                trialCost = loss.Cost(work.rTrial, w);
            }
            if (trialCost < cost) {
                // Nielsen's update: damp less the better the quadratic model predicted the gain.
                const double gain = cost - trialCost;
                const double predicted = -(gf.dot(delta) + 0.5 * delta.dot(Af * delta));
                const double rho = predicted > 0.0 ? gain / predicted : 0.0;
                const double f = 2.0 * rho - 1.0;
                th = trial;
                std::swap(work.g, work.gTrial);
                std::swap(work.r, work.rTrial);
                cost = trialCost;
                lambda = std::max(lambda * std::max(1.0 / 3.0, 1.0 - f * f * f), 1e-12);
                growth = 2.0;
                if (gain <= 1e-10 * cost) return out;
                break;
            }
            // The model promised next to nothing and even that failed: a minimum.
            if (-(gf.dot(delta) + 0.5 * delta.dot(Af * delta)) <= 1e-10 * cost) return out;
            lambda *= growth;
            growth *= 2.0;
            if (lambda > 1e20) {
                out.error = Err(__LINE__, "no step lowers the misfit (the solver stalled)");
                return out;
            }
        }
    }
}

struct Candidate {
    Error error;
    Theta th = Theta::Zero();
    int iterations = 0;
    FitCurve curve{};
    std::vector<double> lnFitted;  // ln of each period's model volume by the final curve
    double rss = 0.0;              // weighted sum of squared log residuals
    double aicc = kNaN;
};

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
        th[1] = std::log(std::clamp(std::expm1(shape * d * T) / (shape * T), 1e-4, 36.0));
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
    if (s.size() < static_cast<size_t>(m.Params())) {
        c.error = Err(__LINE__, "%d usable periods cannot fit the %d parameters of the %s model",
                      static_cast<int>(s.size()), m.Params(),
                      model == FIT_MODEL_EXPONENTIAL ? "exponential"
                      : model == FIT_MODEL_HYPERBOLIC ? "hyperbolic"
                                                      : "stretched-exponential");
        return c;
    }
    // The start: the best of a few shapes (b, or n) that fall as far over the
    // history as the exponential through the log rates, each with its best Qi.
    work.g.resize(s.size());
    Loss loss{o.softL1 != 0, o.softL1Scale};
    double best = kInf;
    const int shapes = model == FIT_MODEL_EXPONENTIAL ? 1 : 5;
    for (int j = 0; j < shapes; ++j) {
        const double shape = model == FIT_MODEL_STRETCHED ? 0.2 + 0.2 * j
                             : shapes == 1                ? 0.0
                                                          : o.bMin + (o.bMax - o.bMin) * j / (shapes - 1);
        Theta th = Start(model, s, shape);
        if (!m.Unit(th, work.g.data())) continue;
        th[0] = ProjectLnQi(s.y, work.g, s.w);
        Residuals(s.y, work.g, th[0], work.r);
        const double cost = loss.Cost(work.r, s.w);
        if (cost < best) {
            best = cost;
            c.th = th;
        }
    }
    if (!(best < kInf)) {
        c.error = Err(__LINE__, "the model gives no finite volume at its starting point");
        return c;
    }
    Solved solved = Solve(m, s.y, s.w, loss, o.maxIterations, c.th, work);
    c.iterations = solved.iterations;
    if (solved.error) {
        c.error = solved.error;
        return c;
    }
    if (Error e = Evaluate(m, s, c)) {
        c.error = e;
        return c;
    }
    c.aicc = Aicc(c.rss, s.size(), m.Params());
    return c;
}

// Standard errors of (Qi, Di, b) or (Qi, tau, n) from the Jacobian at the fit.
void StandardErrors(int32_t model, const Series& s, const FitOptions& o, const Candidate& c, Work& work, double* se)
{
    se[0] = se[1] = se[2] = kNaN;
    const Model m(model, s, o);
    const size_t n = s.size();
    const int p = m.Params();
    if (n <= static_cast<size_t>(p)) return;
    work.g.resize(n);
    if (!m.Unit(c.th, work.g.data())) return;
    Theta lo = m.Lo(), hi = m.Hi();
    (void)lo;
    (void)hi;
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

// The remaining volume on the curve from the history's end to the economic
// limit (or 50 years on), and where it ends.
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

// A calendar date the arithmetic handles as written (a C caller may pass any 16 bytes).
bool IsUsableDate(const Date& d)
{
    return d.year >= 1800 && d.year <= 2999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           d.day <= Date(d).DaysInMonth() && d.hour < 24 && d.minute < 60 && d.second < 60;
}

Error CheckOptions(const FitOptions& o, int32_t count)
{
    if (o.model < 0 || o.model > FIT_MODEL_BEST) return Err(__LINE__, "unknown model %d (0 to 3)", o.model);
    if (o.producingTime != 0 && o.producingTime != 1)
        return Err(__LINE__, "producingTime (%d) must be 0 or 1", o.producingTime);
    if (o.softL1 != 0 && o.softL1 != 1) return Err(__LINE__, "softL1 (%d) must be 0 or 1", o.softL1);
    if (o.startIndex < -1 || o.startIndex >= count)
        return Err(__LINE__, "startIndex (%d) must be -1 or a period's index (0 to %d)", o.startIndex, count - 1);
    if (o.bootstrap < 0 || o.bootstrap > 100000)
        return Err(__LINE__, "bootstrap (%d) must lie between 0 and 100000", o.bootstrap);
    if (o.maxIterations < 1 || o.maxIterations > 100000)
        return Err(__LINE__, "maxIterations (%d) must lie between 1 and 100000", o.maxIterations);
    if (!(o.softL1Scale > 0.0) || !std::isfinite(o.softL1Scale))
        return Err(__LINE__, "softL1Scale (%f) must be a positive number", o.softL1Scale);
    if (!(o.bMin >= 0.0 && o.bMin <= o.bMax && o.bMax <= 10.0))
        return Err(__LINE__, "b bounds (%f, %f) must satisfy 0 <= bMin <= bMax <= 10", o.bMin, o.bMax);
    if (!(o.Dmin >= 0.0 && o.Dmin < 36.0)) return Err(__LINE__, "Dmin (%f) must lie in [0, 36) per year", o.Dmin);
    if (!(o.halfLife >= 0.0) || !std::isfinite(o.halfLife))
        return Err(__LINE__, "halfLife (%f) must be zero or a positive number of months", o.halfLife);
    if (!(o.economicLimit >= 0.0) || !std::isfinite(o.economicLimit))
        return Err(__LINE__, "economicLimit (%f) must be zero or a positive rate", o.economicLimit);
    return Error{};
}

Error CheckPeriods(int32_t count, const Date* starts, const Date* ends, const double* volumes, const double* daysOn)
{
    for (int32_t i = 0; i < count; ++i) {
        const Date& s = starts[i];
        const Date& e = ends[i];
        if (!IsUsableDate(s) || !IsUsableDate(e))
            return Err(__LINE__, "period %d: its dates (%u/%u/%u to %u/%u/%u) must lie in the years 1800 to 2999",
                       i, s.month, s.day, s.year, e.month, e.day, e.year);
        if (!(s < e))
            return Err(__LINE__, "period %d: it ends (%u/%u/%u) no later than it starts (%u/%u/%u)", i, e.month,
                       e.day, e.year, s.month, s.day, s.year);
        if (i > 0 && s < ends[i - 1])
            return Err(__LINE__,
                       "period %d: it starts (%u/%u/%u) before the previous period ends (%u/%u/%u); periods must "
                       "run forward in time",
                       i, s.month, s.day, s.year, ends[i - 1].month, ends[i - 1].day, ends[i - 1].year);
        if (!(volumes[i] >= 0.0) || !std::isfinite(volumes[i]))
            return Err(__LINE__, "period %d: the volume (%g) must be a finite number, zero or more", i, volumes[i]);
        if (daysOn != nullptr) {
            const double days = e.DaySpan(s);
            // A day's slack: operators' hour counts run over at a clock change.
            if (!(daysOn[i] >= 0.0) || !(daysOn[i] <= days + 1.0))
                return Err(__LINE__, "period %d: the days on (%g) must lie between 0 and the period's %g days", i,
                           daysOn[i], days);
        }
    }
    return Error{};
}

// The clock of the periods fitted: producing days only, or calendar days.
Series BuildSeries(int32_t count, const Date* starts, const Date* ends, const double* volumes, const double* daysOn,
                   const FitOptions& o, int32_t first)
{
    Series s;
    auto onDays = [&](int32_t i) {
        const double days = ends[i].DaySpan(starts[i]);
        return daysOn ? std::min(daysOn[i], days) : days;
    };
    auto used = [&](int32_t i) { return volumes[i] > 0.0 && onDays(i) > 0.0; };
    const Date historyEnd = ends[count - 1];
    double producing = 0.0;
    for (int32_t i = first; i < count; ++i)
        if (used(i)) producing += onDays(i);
    if (o.producingTime) {
        // The curve starts so that its clock meets the calendar at the history's end.
        s.origin = historyEnd;
        s.origin.AddFracDay(-producing);
        if (s.origin < starts[first]) s.origin = starts[first];
    } else {
        s.origin = starts[first];
    }
    double clock = 0.0;
    Date lastEnd = starts[first];
    for (int32_t i = first; i < count; ++i) {
        if (!used(i)) continue;
        const double on = onDays(i);
        Date from = s.origin, to = s.origin;
        double share = 1.0;
        if (o.producingTime) {
            from.AddFracDay(clock);
            clock += on;
            to.AddFracDay(clock);
            if (!(from < to)) continue;  // under a second of production: nothing to match
        } else {
            from = starts[i];
            to = ends[i];
            share = on / to.DaySpan(from);
        }
        s.index.push_back(i);
        s.from.push_back(from);
        s.to.push_back(to);
        s.y.push_back(std::log(volumes[i]));
        s.lnShare.push_back(std::log(share));
        lastEnd = ends[i];
    }
    s.years = s.to.empty() ? 0.0 : s.to.back().DaySpan(s.origin) / kDaysPerYear;
    s.w.assign(s.size(), 1.0);
    if (o.halfLife > 0.0 && !s.w.empty()) {
        double sum = 0.0;
        for (size_t k = 0; k < s.size(); ++k) {
            const double age = lastEnd.DaySpan(ends[s.index[k]]) / kDaysPerMonth;
            s.w[k] = std::exp2(-age / o.halfLife);
            sum += s.w[k];
        }
        for (double& w : s.w) w *= static_cast<double>(s.size()) / sum;
    }
    for (size_t k = 0; k < s.size(); ++k)
        s.pivot += s.w[k] * 0.5 * (s.from[k].DaySpan(s.origin) + s.to[k].DaySpan(s.origin)) / kDaysPerYear;
    s.pivot /= std::max(static_cast<double>(s.size()), 1.0);
    return s;
}

Error Fit(int32_t count, const Date* starts, const Date* ends, const double* volumes, const double* daysOn,
          const FitOptions& o, FitResult& result, std::vector<double>& fitted)
{
    if (Error e = CheckOptions(o, count)) return e;
    if (Error e = CheckPeriods(count, starts, ends, volumes, daysOn)) return e;

    auto onDays = [&](int32_t i) {
        const double days = ends[i].DaySpan(starts[i]);
        return daysOn ? std::min(daysOn[i], days) : days;
    };
    int32_t first = o.startIndex;
    if (first < 0) {
        double peak = -1.0;
        for (int32_t i = 0; i < count; ++i) {
            if (!(volumes[i] > 0.0 && onDays(i) > 0.0)) continue;
            const double rate = volumes[i] / onDays(i);
            if (rate > peak) {
                peak = rate;
                first = i;
            }
        }
        if (first < 0) return Err(__LINE__, "no period produced: every one of the %d periods is a shut-in", count);
    }
    const Series s = BuildSeries(count, starts, ends, volumes, daysOn, o, first);

    Work work;
    Candidate chosen;
    int32_t chosenModel = -1;
    double scores[FIT_MODEL_COUNT] = {kNaN, kNaN, kNaN};
    Error firstError;
    for (int32_t model = 0; model < FIT_MODEL_COUNT; ++model) {
        if (o.model != FIT_MODEL_BEST && o.model != model) continue;
        Candidate c = FitModel(model, s, o, work);
        if (c.error) {
            if (!firstError) firstError = c.error;
            continue;
        }
        scores[model] = c.aicc;
        // Strictly lower wins, so at a tie the model with fewer parameters stays.
        if (chosenModel < 0 || c.aicc < chosen.aicc) {
            chosen = std::move(c);
            chosenModel = model;
        }
    }
    if (chosenModel < 0) return firstError;

    FitResult r{};
    r.curve = chosen.curve;
    r.fitStart = starts[first];
    r.historyEnd = ends[count - 1];
    r.startIndex = first;
    r.periodsUsed = static_cast<int32_t>(s.size());
    r.parameters = chosenModel == FIT_MODEL_EXPONENTIAL ? 2 : 3;
    r.iterations = chosen.iterations;
    r.logRmse = std::sqrt(chosen.rss / static_cast<double>(s.size()));
    r.aicc = chosen.aicc;
    for (int j = 0; j < FIT_MODEL_COUNT; ++j) r.candidateAicc[j] = scores[j];
    StandardErrors(chosenModel, s, o, chosen, work, r.stdErr);
    if (Error e = Remaining(r.curve, r.historyEnd, o.economicLimit, &r.remaining, &r.limitDate)) return e;

    r.p90Curve = r.p10Curve = r.curve;
    r.p90 = r.p50 = r.p10 = kNaN;
    if (o.bootstrap > 0) {
        // Residual bootstrap: the fitted log volumes plus residuals drawn with
        // replacement, each with the chance of its weight (so the misfit of
        // months the recency weights discount does not land on recent ones),
        // refitted from the fit; the remaining volume of each.
        const Model m(chosenModel, s, o);
        const Loss loss{o.softL1 != 0, o.softL1Scale};
        const size_t n = s.size();
        std::vector<double> resid(n), yStar(n), cumWeight(n);
        double total = 0.0;
        for (size_t k = 0; k < n; ++k) {
            resid[k] = s.y[k] - chosen.lnFitted[k];
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
            for (size_t k = 0; k < n; ++k) yStar[k] = chosen.lnFitted[k] + resid[draw(draws)];
            Theta th = chosen.th;
            if (Solve(m, yStar, s.w, loss, o.maxIterations, th, work).error) continue;
            const FitCurve c = m.Curve(th);
            double vol = 0.0;
            Date stop;
            if (Remaining(c, r.historyEnd, o.economicLimit, &vol, &stop) || !std::isfinite(vol)) continue;
            outcomes.emplace_back(vol, c);
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

    fitted.assign(static_cast<size_t>(count), kNaN);
    for (size_t k = 0; k < s.size(); ++k) fitted[static_cast<size_t>(s.index[k])] = std::exp(chosen.lnFitted[k]);
    result = r;
    return Error{};
}

}  // namespace
}  // namespace qrvp::fit

using qrvp::fit::Fail;

QRVP_EXTERN_C QRVPFIT_API int32_t FitDefaults(FitOptions* options)
{
    if (options == nullptr) return -1;
    FitOptions o{};
    o.model = FIT_MODEL_BEST;
    o.producingTime = 1;
    o.startIndex = -1;
    o.softL1 = 0;
    o.bootstrap = 200;
    o.maxIterations = 200;
    o.softL1Scale = 0.25;
    o.bMin = 0.0;
    o.bMax = 2.0;
    o.Dmin = 0.0;
    o.halfLife = 12.0;
    o.economicLimit = 0.0;
    o.seed = 1;
    *options = o;
    return 0;
}

QRVP_EXTERN_C QRVPFIT_API int32_t FitDecline(int32_t count, const Date* starts, const Date* ends,
                                             const double* volumes, const double* daysOn,
                                             const FitOptions* options, FitResult* result, double* fitted)
{
    if (starts == nullptr || ends == nullptr || volumes == nullptr || result == nullptr)
        return Fail(L"FitDecline", __LINE__, "a null array or result (starts, ends, volumes and result are needed)");
    if (count < 1) return Fail(L"FitDecline", __LINE__, "no periods given (count %d)", count);
    FitOptions o;
    if (options != nullptr)
        o = *options;
    else
        FitDefaults(&o);
    try {
        FitResult r{};
        std::vector<double> values;
        const qrvp::fit::Error e = qrvp::fit::Fit(count, starts, ends, volumes, daysOn, o, r, values);
        if (e) return Fail(L"FitDecline", e.line, "%s", e.message.c_str());
        *result = r;
        if (fitted != nullptr) std::copy(values.begin(), values.end(), fitted);
        return 0;
    } catch (const std::bad_alloc&) {
        return Fail(L"FitDecline", __LINE__, "out of memory for %d periods", count);
    }
}
