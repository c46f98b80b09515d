// The three models as a fit sees them: their parameters, bounds and finite
// difference steps, their curve, and the log volumes they give the periods.
#ifndef QRVP_FIT_MODEL_H
#define QRVP_FIT_MODEL_H

#include "fit/periods.h"

#include <Eigen/Dense>

namespace qrvp::fit {

// theta: the ln rate at the pivot (the weighted centre of the history), then
// ln Di and b (Arps), or the stretched exponential's q = n ln(T / tau), the log
// of its fall in e-folds over the history's T years, and n.  Qi and the shape,
// like tau and n, run along long valleys of the misfit; these cut across them.
constexpr int kParams = 3;
using Theta = Eigen::Matrix<double, kParams, 1>;

// One model (FIT_MODEL_EXPONENTIAL, _HYPERBOLIC or _STRETCHED) over one series,
// which it refers to and must outlive it; the bounds of b and Dmin from the
// options.  Holds no buffers: its members read, never write.
class Model {
public:
    Model(int32_t model, const Series& series, const FitOptions& options);

    // The parameters fitted: 2 for the exponential (b fixed at 0), else 3.
    int32_t Params() const { return model_ == FIT_MODEL_EXPONENTIAL ? 2 : 3; }
    // The box theta lives in (a fixed parameter has Lo == Hi) and the forward
    // difference step of parameter j.
    const Theta& Lo() const { return lo_; }
    const Theta& Hi() const { return hi_; }
    double Step(int j) const { return step_[j]; }

    // The fall of ln rate from the start to the pivot; its derivatives by
    // theta[1] and theta[2] into d1 and d2 where they are not null.
    double Fall(const Theta& th, double* d1 = nullptr, double* d2 = nullptr) const;

    // The curve; Di and Dmin snapped so that percentages read back the same.
    // Qi is 1 for a unit curve.
    FitCurve Curve(const Theta& th, bool unit = false) const;

    // g[k] = ln of period k's model volume at Qi = 1, plus its ln share and
    // the fall to the pivot, so that ln volume = theta[0] + g[k], for each of
    // the series' periods.  False when a volume is not a positive finite
    // number (g then holds the periods before it).
    bool Unit(const Theta& th, double* g) const;

private:
    int32_t model_;
    const Series& s_;
    Theta lo_, hi_, step_;
    double dmin_ = 0.0;
    double lnYears_ = 0.0;
    double lnPivotShare_ = 0.0;
};

}  // namespace qrvp::fit

#endif
