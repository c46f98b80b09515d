// The monthly forecast of a well: one row per calendar month from the month
// of its first start to its end, with the rate at the month's first instant of
// production, the month's volume and the cumulative volume.
//
// Volumes: the cumulative at every month boundary is the sum of the volumes
// of the segments already ended plus the current segment's volume from its
// start to the boundary, each by the model's own volume function; a month's
// volume is the difference of its two boundary cumulatives.  So at every
// segment end the cumulative column equals the library's segment volumes
// summed, and a segment's monthly volumes telescope to its volume.
#ifndef QRVP_FLEET_FORECAST_H
#define QRVP_FLEET_FORECAST_H

#include "fleet/segments.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qrvp::fleet {

struct ForecastFormat {
    int decimals = 6;        // fixed decimals; below 0: the shortest exact form
    bool keepCurve = false;  // keep the points of the rate curve for a plot
    bool oneValueCalls = false;  // every rate and cumulative by its own call (to replay a failure)
    bool keepValues = false; // keep the rows' numbers rather than their text
};

struct ForecastValues {
    Date month;
    double rate = 0.0;
    double volume = 0.0;
    double cumulative = 0.0;
};

struct CurvePoint {
    double day = 0.0;   // days since 1800-01-01
    double rate = 0.0;
};

struct WellForecast {
    std::string rows;               // the well's table rows, each ending in a line feed
    std::vector<CurvePoint> curve;  // rate against time, when kept
    std::vector<ForecastValues> values;  // the rows' numbers, when kept (then `rows` stays empty)
    bool failed = false;
    bool unresolved = false;        // the well's segments could not be resolved
    int failedLine = 0;             // the row of the segment whose call failed
    std::string failedCall;         // the library function that returned -1
};

WellForecast ForecastWell(const Well& well, const ForecastFormat& format);

// Days since 1800-01-01, the plot's time axis.
double DayNumber(const Date& date);

}  // namespace qrvp::fleet

#endif
