// The models' curves and log volumes: the box each fits in, the fall of ln
// rate to the pivot, the curve of a theta, and its periods' log volumes by the
// library's own functions.
#include "fit/model.h"

#include <algorithm>
#include <cmath>

namespace qrvp::fit {

Model::Model(int32_t model, const Series& series, const FitOptions& options) : model_(model), s_(series)
{
    lo_ << -700.0, std::log(1e-4), 0.0;
    hi_ << 700.0, std::log(kMaxDecline), 0.0;
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

double Model::Fall(const Theta& th, double* d1, double* d2) const
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

FitCurve Model::Curve(const Theta& th, bool unit) const
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

bool Model::Unit(const Theta& th, double* g) const
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

}  // namespace qrvp::fit
