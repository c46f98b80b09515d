// A semi-log plot of rate against time for each well, as a standalone SVG
// document: one colour per well, segment boundaries marked with circles and
// switches to the minimum decline with diamonds, labelled axes and a legend.
#ifndef QRVP_TOOLS_SVG_H
#define QRVP_TOOLS_SVG_H

#include "tools/qrvp/forecast.h"
#include "tools/qrvp/wells.h"

#include <string>
#include <vector>

namespace qrvp::tool {

struct PlottedWell {
    const Well* well = nullptr;
    std::vector<CurvePoint> curve;
};

std::string RenderSvg(const std::vector<PlottedWell>& wells);

}  // namespace qrvp::tool

#endif
