// The calibrated band of a fitted curve's volume: the curve's volume over the
// dates asked, times the calibration's factors for the fit's history length,
// the horizon and the well's noise.
#include "fit/fit_internal.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace qrvp::fit {
namespace {

#include "fit/default_calibration.inc"
#include "fit/lone_calibration.inc"

constexpr int32_t kDefaultCells = static_cast<int32_t>(sizeof kDefaultHistory / sizeof kDefaultHistory[0]);
static_assert(sizeof kDefaultHistory == sizeof kDefaultHorizon && sizeof kDefaultHistory == sizeof kDefaultCentre &&
                  sizeof kDefaultHistory == sizeof kDefaultLow && sizeof kDefaultHistory == sizeof kDefaultHigh,
              "the built-in calibration's columns");
// The lone fits' table has the same cells, so a fleet's cells (read against
// the built-in grid) refine either.
constexpr bool SameGrid()
{
    for (size_t i = 0; i < std::size(kDefaultHistory); ++i)
        if (kLoneHistory[i] != kDefaultHistory[i] || kLoneHorizon[i] != kDefaultHorizon[i]) return false;
    return true;
}
static_assert(sizeof kLoneHistory == sizeof kDefaultHistory && sizeof kLoneHorizon == sizeof kDefaultHistory &&
                  sizeof kLoneCentre == sizeof kDefaultHistory && sizeof kLoneLow == sizeof kDefaultHistory &&
                  sizeof kLoneHigh == sizeof kDefaultHistory && kLoneNoisePower == kDefaultNoisePower &&
                  kLoneNoiseFloor == kDefaultNoiseFloor && SameGrid(),
              "the lone fits' calibration's columns and cells");

const FitCalibration kDefault = {kDefaultCells,  0,           kDefaultNoisePower, kDefaultNoiseFloor, kDefaultHistory,
                                 kDefaultHorizon, kDefaultCentre, kDefaultLow,        kDefaultHigh};
const FitCalibration kLone = {kDefaultCells, 0,           kLoneNoisePower, kLoneNoiseFloor, kLoneHistory,
                              kLoneHorizon,  kLoneCentre, kLoneLow,        kLoneHigh};

Error CheckCalibration(const FitCalibration& c)
{
    if (c.cells < 1 || !c.history || !c.horizon || !c.centre || !c.low || !c.high)
        return Err(__LINE__, "the calibration has no cells (%d) or a null column", c.cells);
    if (!(c.noisePower >= 0.0 && c.noisePower <= 2.0) || !(c.noiseFloor > 0.0) || !std::isfinite(c.noiseFloor))
        return Err(__LINE__, "the calibration's noise power (%g) must lie in 0 .. 2 and its floor (%g) be positive",
                   c.noisePower, c.noiseFloor);
    for (int32_t i = 0; i < c.cells; ++i) {
        const bool finite = std::isfinite(c.history[i]) && std::isfinite(c.horizon[i]) && std::isfinite(c.centre[i]) &&
                            std::isfinite(c.low[i]) && std::isfinite(c.high[i]);
        if (!finite || !(c.horizon[i] > 0.0) || !(c.low[i] <= c.high[i]))
            return Err(__LINE__, "calibration cell %d: its values must be finite, its horizon positive and low <= high",
                       i);
        if (i > 0 && (c.history[i] < c.history[i - 1] ||
                      (c.history[i] == c.history[i - 1] && !(c.horizon[i] > c.horizon[i - 1]))))
            return Err(__LINE__, "calibration cell %d: cells must run by history, then by increasing horizon", i);
    }
    return Error{};
}

struct Factors {
    double centre, low, high;
};

// The cells of the nearest history at or below `periods` (the first when
// none), interpolated linearly at `months` and held beyond their ends.
Factors Lookup(const FitCalibration& c, double periods, double months)
{
    int32_t lo = 0;
    for (int32_t i = 0; i < c.cells; ++i)
        if (c.history[i] <= periods && c.history[i] != c.history[lo]) lo = i;
    int32_t hi = lo;
    while (hi + 1 < c.cells && c.history[hi + 1] == c.history[lo]) ++hi;
    auto at = [&](int32_t i) { return Factors{c.centre[i], c.low[i], c.high[i]}; };
    if (months <= c.horizon[lo]) return at(lo);
    if (months >= c.horizon[hi]) return at(hi);
    int32_t j = lo;
    while (c.horizon[j + 1] < months) ++j;
    const double t = (months - c.horizon[j]) / (c.horizon[j + 1] - c.horizon[j]);
    auto mix = [&](const double* v) { return v[j] + t * (v[j + 1] - v[j]); };
    return Factors{mix(c.centre), mix(c.low), mix(c.high)};
}

}  // namespace
}  // namespace qrvp::fit

using qrvp::fit::Fail;

QRVP_EXTERN_C QRVPFIT_API int32_t FitBand(const FitResult* fit, const FitCalibration* calibration, Date from,
                                          Date to, double* p90, double* p50, double* p10)
{
    using namespace qrvp::fit;
    if (fit == nullptr) return Fail(L"FitBand", __LINE__, "no fit result given");
    const FitCalibration& c = calibration ? *calibration : kDefault;
    if (Error e = CheckCalibration(c)) return Fail(L"FitBand", e.line, "%s", e.message.c_str());
    if (from < fit->historyEnd || !(from < to))
        return Fail(L"FitBand", __LINE__,
                    "the dates (%u/%u/%u to %u/%u/%u) must run forward from the history's end (%u/%u/%u)", from.month,
                    from.day, from.year, to.month, to.day, to.year, fit->historyEnd.month, fit->historyEnd.day,
                    fit->historyEnd.year);
    double volume = 0.0;
    if (GetFitVol(&fit->curve, from, to, &volume) != 0)
        return Fail(L"FitBand", __LINE__, "the curve's volume over the dates failed");
    const double months = to.DaySpan(fit->historyEnd) / kDaysPerMonth;
    const Factors f = Lookup(c, static_cast<double>(fit->periodsUsed), months);
    const double noise = std::max(std::isfinite(fit->noise) ? fit->noise : 0.0, c.noiseFloor);
    const double width = std::pow(noise, c.noisePower);
    if (p90) *p90 = volume * std::exp(f.centre + f.low * width);
    if (p50) *p50 = volume * std::exp(f.centre);
    if (p10) *p10 = volume * std::exp(f.centre + f.high * width);
    return 0;
}

QRVP_EXTERN_C QRVPFIT_API int32_t FitDefaultCalibration(FitCalibration* calibration)
{
    if (calibration == nullptr) return -1;
    *calibration = qrvp::fit::kDefault;
    return 0;
}

QRVP_EXTERN_C QRVPFIT_API int32_t FitLoneCalibration(FitCalibration* calibration)
{
    if (calibration == nullptr) return -1;
    *calibration = qrvp::fit::kLone;
    return 0;
}
