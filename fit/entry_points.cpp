// The entry points of the fitting library: the default options, and the fit
// of one well's history as the header's contract reads: check the options and
// the periods, pick the first period, build the series, choose the model, then
// its standard errors, remaining volume and bootstrap.
#include "fit/regimes.h"
#include "fit/uncertainty.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace qrvp::fit {
namespace {

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
    if (!std::isfinite(o.halfLife))
        return Err(__LINE__, "halfLife (%f) must be a number of months (negative: the prior's)", o.halfLife);
    if (!(o.economicLimit >= 0.0) || !std::isfinite(o.economicLimit))
        return Err(__LINE__, "economicLimit (%f) must be zero or a positive rate", o.economicLimit);
    if (o.regimes < -1 || o.regimes > 1) return Err(__LINE__, "regimes (%d) must be -1, 0 or 1", o.regimes);
    const FitPrior& p = o.prior;
    if (!(p.halfLife >= 0.0) || !std::isfinite(p.halfLife))
        return Err(__LINE__, "the prior's halfLife (%f) must be zero or a positive number of months", p.halfLife);
    if (p.oneRegime != 0 && p.oneRegime != 1)
        return Err(__LINE__, "the prior's oneRegime (%d) must be 0 or 1", p.oneRegime);
    if (!(p.strength >= 0.0) || !std::isfinite(p.strength))
        return Err(__LINE__, "the prior's strength (%f) must be zero or a positive number", p.strength);
    if (p.strength > 0.0 && !(std::isfinite(p.lnDi) && std::isfinite(p.b) && p.sdLnDi > 0.0 && p.sdB > 0.0 &&
                              std::isfinite(p.sdLnDi) && std::isfinite(p.sdB) && p.months > 0.0 &&
                              std::isfinite(p.months)))
        return Err(__LINE__,
                   "the prior (ln Di %f, b %f, spreads %f and %f, months %f) needs finite centres and positive "
                   "spreads and months",
                   p.lnDi, p.b, p.sdLnDi, p.sdB, p.months);
    return Error{};
}

// 1.4826 x the median absolute log residual (the standard deviation for
// normal residuals, and untouched by a few wild months).
double Noise(const Series& s, const Candidate& c)
{
    std::vector<double> a(s.size());
    for (size_t k = 0; k < s.size(); ++k) a[k] = std::fabs(s.y[k] - c.lnFitted[k]);
    const size_t mid = a.size() / 2;
    std::nth_element(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(mid), a.end());
    double median = a[mid];
    if (a.size() % 2 == 0) median = 0.5 * (median + *std::max_element(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(mid)));
    return 1.4826 * median;
}

Error Fit(int32_t count, const Date* starts, const Date* ends, const double* volumes, const double* daysOn,
          const FitOptions& o, FitResult& result, std::vector<double>& fitted)
{
    if (Error e = CheckOptions(o, count)) return e;
    if (Error e = CheckPeriods(count, starts, ends, volumes, daysOn)) return e;
    Start start;
    if (o.startIndex < 0) {
        start = FitStart(count, starts, ends, volumes, daysOn, o.regimes < 0 ? o.prior.oneRegime == 0 : o.regimes != 0);
        if (start.first < 0)
            return Err(__LINE__, "no period produced: every one of the %d periods is a shut-in", count);
    } else {
        start.first = start.regimeFirst = o.startIndex;
    }
    const int32_t first = start.first;
    const Series s = BuildSeries(count, starts, ends, volumes, daysOn, o, first);

    Work work;
    Choice choice = ChooseModel(s, o, work);
    if (choice.model < 0) return choice.error;
    const Candidate& chosen = choice.chosen;

    FitResult r{};
    r.curve = chosen.curve;
    r.fitStart = starts[first];
    r.historyEnd = ends[count - 1];
    r.startIndex = first;
    r.periodsUsed = static_cast<int32_t>(s.size());
    r.parameters = choice.model == FIT_MODEL_EXPONENTIAL ? 2 : 3;
    r.iterations = chosen.iterations;
    r.logRmse = std::sqrt(chosen.rss / static_cast<double>(s.size()));
    r.aicc = chosen.aicc;
    for (int j = 0; j < FIT_MODEL_COUNT; ++j) r.candidateAicc[j] = choice.scores[j];
    StandardErrors(choice.model, s, o, chosen, work, r.stdErr);
    if (Error e = Remaining(r.curve, r.historyEnd, o.economicLimit, &r.remaining, &r.limitDate)) return e;
    Bootstrap(choice.model, s, o, chosen, r, work);
    r.regimeStart = starts[start.regimeFirst];
    r.regimeChanges = start.changes;
    r.noise = Noise(s, chosen);

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
    o.model = FIT_MODEL_HYPERBOLIC;
    o.producingTime = 1;
    o.startIndex = -1;
    o.softL1 = 1;
    o.bootstrap = 0;
    o.maxIterations = 200;
    o.softL1Scale = 0.1;
    o.bMin = 0.0;
    o.bMax = 2.0;
    o.Dmin = 0.0;
    o.halfLife = -1.0;
    o.economicLimit = 0.0;
    o.seed = 1;
    o.regimes = -1;
    o.prior.months = 12.0;
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
