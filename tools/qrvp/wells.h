// The forecast's input: a table of decline segments, one row per segment,
// grouped into wells, and the resolution of each segment into the complete
// parameter set that the monthly forecast needs (start, end, initial and final
// rate, nominal declines, volume), solved by the library where a value is
// left blank.
#ifndef QRVP_TOOLS_WELLS_H
#define QRVP_TOOLS_WELLS_H

#include "QRVPFuncs.h"
#include "tools/qrvp/log_route.h"

#include <string>
#include <vector>

namespace qrvp::tool {

enum class Model { Arps, LinTime, Sedm };

struct Segment {
    Model model = Model::Arps;
    int line = 0;          // the table line the segment came from
    Date start;
    Date end;
    double qi = 0.0;       // rate at start, volume per month
    double qf = 0.0;       // rate at end
    double di = 0.0;       // Arps: nominal decline per year; lintime: rate lost per year
    double b = 0.0;        // Arps exponent
    double dmin = 0.0;     // Arps nominal minimum decline per year
    double tau = 0.0;      // stretched exponential: characteristic time, years
    double n = 0.0;        // stretched exponential: exponent
    double volume = 0.0;   // the model's volume from start to end
    bool hasSwitch = false;  // an Arps segment switches to Dmin before its end
    Date switchDate;
    double switchRate = 0.0;
};

struct Well {
    std::string name;
    int line = 0;          // line of the well's first row
    std::vector<Segment> segments;
    Date start;            // the first segment's start
    Date end;              // where the forecast stops: the last end, cut at the horizon
};

// Something wrong with a row: where, and the library's own records when the
// library rejected the segment.
struct Problem {
    int line = 0;
    int column = 0;        // 1-based; 0 when the column is missing from the header
    std::string columnName;
    std::string well;      // empty when no well could be named
    std::string message;
    std::vector<LogRecord> records;
    bool fatal = false;    // the whole table is unusable
    bool warning = false;  // reported, but nothing is left out for it
};

struct TableOptions {
    // Months from the month of each well's first start after which the
    // forecast stops; 0 for no cap.
    int months = 0;
};

// Months an open-ended last segment runs when no cap is given.
constexpr int kOpenEndedMonths = 360;

// Reads the table, groups its rows into wells in the order of their first
// rows, and resolves every segment.  A well with any problem is left out and
// its problem reported; the others are returned ready to forecast.
std::vector<Well> ReadWells(const std::string& text, const TableOptions& options, LogRoute& log,
                            std::vector<Problem>& problems);

// "file:line:column: message" with the library's records below it.
std::string DescribeProblem(const std::string& source, const Problem& problem);

// The rate and the cumulative volume from the segment's start at a date
// inside it, by the segment's own model; the library's status.
int32_t SegmentRate(const Segment& segment, const Date& at, double* rate);
int32_t SegmentCumulative(const Segment& segment, const Date& at, double* volume);

// The library function that SegmentRate and SegmentCumulative call.
const char* RateFunctionName(Model model);
const char* VolumeFunctionName(Model model);

}  // namespace qrvp::tool

#endif
