// The bounded Levenberg-Marquardt solver: residuals, the best ln Qi, the
// finite-difference Jacobian and the damped steps inside the model's box.
#include "fit/solver.h"

#include <algorithm>
#include <utility>

namespace qrvp::fit {

void Residuals(const std::vector<double>& y, const std::vector<double>& g, double lnQi, std::vector<double>& r)
{
    r.resize(y.size());
    for (size_t k = 0; k < y.size(); ++k) r[k] = y[k] - lnQi - g[k];
}

double ProjectLnQi(const std::vector<double>& y, const std::vector<double>& g, const std::vector<double>& w)
{
    double num = 0.0, den = 0.0;
    for (size_t k = 0; k < y.size(); ++k) {
        num += w[k] * (y[k] - g[k]);
        den += w[k];
    }
    return num / den;
}

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
    double cost = loss.Cost(work.r, w) + loss.PriorCost(th);
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
        A.diagonal() += loss.pull;
        grad += loss.pull.cwiseProduct(th - loss.centre);
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
                trialCost = loss.Cost(work.rTrial, w) + loss.PriorCost(trial);
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

}  // namespace qrvp::fit
