// The bounded Levenberg-Marquardt solver on a model's log residuals.
#ifndef QRVP_FIT_SOLVER_H
#define QRVP_FIT_SOLVER_H

#include "fit/model.h"

#include <cmath>
#include <vector>

namespace qrvp::fit {

// The misfit of weighted log residuals: least squares, or soft L1 of `scale`
// when robust; plus a prior's pull, 0.5 sum_j pull[j] (theta[j] - centre[j])^2
// (zero pulls: none), which the solver adds to the cost, its gradient and its
// normal matrix.
struct Loss {
    bool robust = false;
    double scale = 0.25;
    Theta pull = Theta::Zero();
    Theta centre = Theta::Zero();
    double PriorCost(const Theta& th) const
    {
        const Theta d = th - centre;
        return 0.5 * d.dot(pull.cwiseProduct(d));
    }
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

// The buffers of one thread's fits, reused from fit to fit: the unit log
// volumes g, the residuals r, their trial values, and the Jacobian's columns d.
struct Work {
    std::vector<double> g, gTrial, r, rTrial;
    std::vector<double> d[kParams];
};

// r[k] = y[k] - lnQi - g[k], r resized to y's size.
void Residuals(const std::vector<double>& y, const std::vector<double>& g, double lnQi, std::vector<double>& r);

// The ln Qi that fits best in least squares for the rest of theta (weights w).
double ProjectLnQi(const std::vector<double>& y, const std::vector<double>& g, const std::vector<double>& w);

// The Jacobian of the model's log volumes at th (dg/dtheta_j, j >= 1, into
// work.d[j]; zero for a fixed parameter) by forward differences from work.g,
// which holds the unit volumes at th, stepping away from the upper bound.
// False when a stepped point gives no finite volume.
bool Jacobian(const Model& m, const Theta& th, Work& work);

struct Solved {
    Error error;
    int iterations = 0;
};

// Bounded Levenberg-Marquardt from theta on the residuals y - ln Qi - g,
// moving th to the minimum found (work's g and r hold its unit volumes and
// residuals).  Converged when the Gauss-Newton model promises no real
// decrease, when an accepted step lowers the misfit by a negligible share, or
// when the step itself becomes negligible; out of maxIterations first, or a
// model without finite volumes at or beside th, is a failure.
Solved Solve(const Model& m, const std::vector<double>& y, const std::vector<double>& w, const Loss& loss,
             int32_t maxIterations, Theta& th, Work& work);

}  // namespace qrvp::fit

#endif
