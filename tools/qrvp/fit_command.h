// qrvp fit: fits a decline to each well of a production history (the table
// fleet/history.h reads) and writes the segment table that qrvp forecast
// reads, one segment per well from the fitted curve's start to where its
// remaining volume ends; with --report the fit report, with --svg the plots,
// with --totals the group totals (fleet/totals.h) into --totals-out.
#ifndef QRVP_TOOLS_FIT_COMMAND_H
#define QRVP_TOOLS_FIT_COMMAND_H

#include "QRVPFit.h"

#include <string>

namespace qrvp::tool {

struct FitArgs {
    std::string file;          // "-" for standard input
    std::string model;         // empty: the library's default (hyperbolic)
    double bMin = 0.0, bMax = 2.0;
    double dminPercent = 0.0;  // nominal percent per year
    std::string start;         // fit start date; empty: the peak month
    double halfLife = -1.0;    // months; below 0: the library's default
    bool calendar = false;
    bool softL1 = false;       // --soft-l1 / --least-squares; neither: the library's default (soft L1)
    bool leastSquares = false;
    double softL1Scale = -1.0; // below 0: the library's default
    bool noRegimes = false;
    double economicLimit = 0.0;
    int bootstrap = -1;        // below 0: the library's default
    unsigned long long seed = 1;
    unsigned threads = 0;
    std::string report;
    std::string svg;
    int horizon = 0;           // months; > 0 adds the band's columns to the report
    std::string prior, calibration;          // files to read them from; empty: learned from the fleet
    std::string savePrior, saveCalibration;  // files to write what the fleet taught
    bool noPrior = false;
    std::string headers;       // the well headers file
    std::string totals;        // the headers' column to total by; empty: no totals
    std::string totalsOut;     // the file the totals table goes to
    double rho = -1.0;         // below 0: learned from the fleet's backtests
};

// Runs the command: 0 when every well was fitted, 1 when any failed, 2 when
// the input or an output file could not be used.
int RunFit(const FitArgs& args);

}  // namespace qrvp::tool

#endif
