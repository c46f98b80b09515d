// The model choice: each candidate model fitted from its best start, scored by
// AICc, the lowest kept.
#ifndef QRVP_FIT_CHOICE_H
#define QRVP_FIT_CHOICE_H

#include "fit/solver.h"

#include <vector>

namespace qrvp::fit {

// One model fitted to a series.
struct Candidate {
    Error error;
    Theta th = Theta::Zero();
    int iterations = 0;
    FitCurve curve{};
    std::vector<double> lnFitted;  // ln of each period's model volume by the final curve
    double rss = 0.0;              // weighted sum of squared log residuals
    double aicc = kNaN;
};

// The models of o.model (one, or all three for FIT_MODEL_BEST) fitted to the
// series; `model` the one of lowest AICc (the first of equals, so fewer
// parameters win a tie) and `chosen` its fit, with each model's score (NaN
// where it failed or was not tried).  model -1 when none fitted, with the
// first model's failure in `error`.
struct Choice {
    Candidate chosen;
    int32_t model = -1;
    double scores[FIT_MODEL_COUNT] = {kNaN, kNaN, kNaN};
    Error error;
};
// The loss a fit of `model` minimises: o's least squares or soft L1, and for
// the hyperbola o's prior, its pull lambda / sd^2 on ln Di and b with lambda
// = strength * months / (months + the series' periods).
Loss FitLoss(int32_t model, const Series& s, const FitOptions& o);

Choice ChooseModel(const Series& s, const FitOptions& o, Work& work);

}  // namespace qrvp::fit

#endif
