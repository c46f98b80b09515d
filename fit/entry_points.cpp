// The entry points of the fitting library: the default options, and the fit
// of one well's history as the header's contract reads: check the options and
// the periods, pick the first period, build the series, choose the model, then
// its standard errors, remaining volume and bootstrap.
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
    if (!(o.halfLife >= 0.0) || !std::isfinite(o.halfLife))
        return Err(__LINE__, "halfLife (%f) must be zero or a positive number of months", o.halfLife);
    if (!(o.economicLimit >= 0.0) || !std::isfinite(o.economicLimit))
        return Err(__LINE__, "economicLimit (%f) must be zero or a positive rate", o.economicLimit);
    return Error{};
}

Error Fit(int32_t count, const Date* starts, const Date* ends, const double* volumes, const double* daysOn,
          const FitOptions& o, FitResult& result, std::vector<double>& fitted)
{
    if (Error e = CheckOptions(o, count)) return e;
    if (Error e = CheckPeriods(count, starts, ends, volumes, daysOn)) return e;
    int32_t first = o.startIndex;
    if (first < 0) {
        first = PeakPeriod(count, starts, ends, volumes, daysOn);
        if (first < 0) return Err(__LINE__, "no period produced: every one of the %d periods is a shut-in", count);
    }
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
