// The fitted curve as the library evaluates it: rates and volumes by the
// library's own functions, so the fit and any later forecast of its curve agree
// to the digit.
#include "fit/fit_internal.h"

#include <cmath>

namespace qrvp::fit {

int32_t CurveCumulative(const FitCurve& c, const Date& at, double* vol)
{
    if (!(c.start < at)) {
        // Nothing has flowed yet; the library would say the same.
        *vol = 0.0;
        return 0;
    }
    if (c.model == FIT_MODEL_STRETCHED) return GetSEDMVol(c.Qi, c.start, at, c.tau, c.n, vol);
    return GetArpsVol2(c.start, at, c.Qi, c.Di, c.b, c.Dmin, vol);
}

int32_t CurveRate(const FitCurve& c, const Date& at, double* qt)
{
    if (c.model == FIT_MODEL_STRETCHED) return GetSEDMQt(c.Qi, c.start, at, c.tau, c.n, qt);
    return GetArpsQt(at, c.start, c.Qi, c.Di, c.b, c.Dmin, qt);
}

double SnapPercent(double x)
{
    // A fixed point of x -> (x * 100) / 100 near x: a table that holds the
    // value as a percentage then reads back the same double.
    double v = x;
    for (int i = 0; i < 8; ++i) {
        const double back = (v * 100.0) / 100.0;
        if (back == v) return v;
        v = back;
    }
    for (int i = 0; i < 64; ++i) {
        v = std::nextafter(v, 0.0);
        if ((v * 100.0) / 100.0 == v) return v;
    }
    return x;
}

}  // namespace qrvp::fit

using qrvp::fit::Fail;

QRVP_EXTERN_C QRVPFIT_API int32_t GetFitQt(const FitCurve* curve, Date at, double* Qt)
{
    if (curve == nullptr || Qt == nullptr) return Fail(L"GetFitQt", __LINE__, "a null curve or result");
    if (curve->model < 0 || curve->model >= FIT_MODEL_COUNT)
        return Fail(L"GetFitQt", __LINE__, "unknown model %d", curve->model);
    double q = 0.0;
    if (qrvp::fit::CurveRate(*curve, at, &q) != 0) return -1;
    *Qt = q;
    return 0;
}

QRVP_EXTERN_C QRVPFIT_API int32_t GetFitVol(const FitCurve* curve, Date from, Date to, double* Vol)
{
    if (curve == nullptr || Vol == nullptr) return Fail(L"GetFitVol", __LINE__, "a null curve or result");
    if (curve->model < 0 || curve->model >= FIT_MODEL_COUNT)
        return Fail(L"GetFitVol", __LINE__, "unknown model %d", curve->model);
    if (to < from || from < curve->start)
        return Fail(L"GetFitVol", __LINE__,
                    "the interval %u/%u/%u to %u/%u/%u must run forward from the curve's start %u/%u/%u",
                    from.month, from.day, from.year, to.month, to.day, to.year, curve->start.month,
                    curve->start.day, curve->start.year);
    double a = 0.0, b = 0.0;
    if (qrvp::fit::CurveCumulative(*curve, from, &a) != 0 || qrvp::fit::CurveCumulative(*curve, to, &b) != 0)
        return -1;
    *Vol = b - a;
    return 0;
}
