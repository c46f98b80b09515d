// qrvp typewell: the type well of each group of a history's wells (the
// P90, P50 and P10 profile month by month, each well filled with its own
// forecast after its history), from a history and the well headers.
// Writes the profile table (kTypeWellColumns) on standard output; with
// --summary the EUR distribution per group, with --segments each profile's
// fitted decline as the segment table qrvp forecast reads, with --svg the plot.
#ifndef QRVP_TOOLS_TYPEWELL_COMMAND_H
#define QRVP_TOOLS_TYPEWELL_COMMAND_H

#include <string>

namespace qrvp::tool {

struct TypeWellArgs {
    std::string file;          // the history; "-" for standard input
    std::string headers;       // the well headers (needed for --by and --per)
    std::string by;            // a header column to group by; empty: all wells
    std::string per;           // "COLUMN=UNIT": volumes per UNIT of the column
    std::string align = "first";      // first (production) or peak
    std::string spread = "cumulative"; // cumulative or rate
    int months = 360;
    int minWells = 10;
    double recency = 0.0;      // years of half-life of a well's weight by vintage; 0: alike
    std::string start;         // the segments' start; empty: the month after the latest history
    std::string model;         // the wells' fits (the fit's default when empty)
    unsigned threads = 0;
    std::string summary, segments, svg;
};

// Runs the command: 0 when every group has its type well, 1 when a group has
// none (too few wells), 2 when the input, an option or an output file could
// not be used.  A well left out (no header value, a failed fit) is named on
// standard error as a warning.
int RunTypeWell(const TypeWellArgs& args);

}  // namespace qrvp::tool

#endif
