// The uncertainty of a fit: its parameters' standard errors, the remaining
// volume on its curve, and the residual bootstrap of that volume.
#ifndef QRVP_FIT_UNCERTAINTY_H
#define QRVP_FIT_UNCERTAINTY_H

#include "fit/choice.h"

namespace qrvp::fit {

// Standard errors of (Qi, Di, b) or (Qi, tau, n) from the Jacobian at the
// chosen fit c of `model`, into se[0..2]; NaN where the model has no such
// parameter, the periods do not outnumber the parameters or the normal matrix
// is singular.
void StandardErrors(int32_t model, const Series& s, const FitOptions& o, const Candidate& c, Work& work, double* se);

// The remaining volume on the curve from `end` to the first second its rate is
// at or below limitRate (none when 0), or 50 years on (at most to the end of
// 2999), into *vol, and that stop into *limit.  A failure of the library's
// rate or volume leaves both unwritten.
Error Remaining(const FitCurve& c, const Date& end, double limitRate, double* vol, Date* limit);

// The residual bootstrap of o.bootstrap replicates (seed o.seed) around the
// chosen fit c of `model`: r.p90, r.p50, r.p10, the P90 and P10 curves and
// r.bootstrapUsed (the replicates that refitted).  Without replicates, or when
// none refits, the P values stay NaN and the curves r.curve.  Reads
// r.curve and r.historyEnd.
void Bootstrap(int32_t model, const Series& s, const FitOptions& o, const Candidate& c, FitResult& r, Work& work);

}  // namespace qrvp::fit

#endif
