// The command's plots as standalone SVG documents: the forecast's semi-log
// rate against time of every well, the fit's panel per well, the type wells.
#ifndef QRVP_TOOLS_SVG_H
#define QRVP_TOOLS_SVG_H

#include "fleet/fit_run.h"
#include "fleet/forecast.h"
#include "fleet/history.h"
#include "fleet/segments.h"
#include "fleet/typewell.h"

#include <string>
#include <vector>

namespace qrvp::tool {

struct PlottedWell {
    const fleet::Well* well = nullptr;
    std::vector<fleet::CurvePoint> curve;
};

// One colour per well, segment boundaries marked with circles and switches to
// the minimum decline with diamonds, labelled axes and a legend.
std::string RenderSvg(const std::vector<PlottedWell>& wells);

// A semi-log panel for each of the first 50 wells fitted (outcomes[i] of
// wells[i], its fitted volumes kept): the monthly rates (shut-ins as ticks on
// the axis), the fitted rates, the forecast and its calibrated P90-P10 band
// (FitBand month by month with `calibration`; null: the built-in one).
std::string RenderFitSvg(const std::vector<fleet::History>& wells, const std::vector<fleet::WellFit>& outcomes,
                         const FitCalibration* calibration);

// A row of two panels per type well: left, semi-log volume per month against
// the month, the wells' (normalised) histories in grey under the P90, P50 and
// P10 profiles; right, the wells' volumes over the profile's months as an
// exceedance curve with the P90, P50, P10 and mean marked.
std::string RenderTypeWellSvg(const std::vector<fleet::TypeWell>& types, const std::vector<fleet::FilledWell>& filled,
                              const std::vector<std::string>& names);

}  // namespace qrvp::tool

#endif
