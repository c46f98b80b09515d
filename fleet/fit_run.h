// The fit run: a decline fitted to each well of a history by QRVPFit, the
// wells on worker threads, the outcomes in table order; and the names of the
// models a run may be asked for.
#ifndef QRVP_FLEET_FIT_RUN_H
#define QRVP_FLEET_FIT_RUN_H

#include "QRVPFit.h"
#include "fleet/learn.h"
#include "fleet/history.h"
#include "fleet/log_route.h"

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace qrvp::fleet {

// The model a name asks for (any case): best, exponential (exp), hyperbolic
// (arps), stretched (sedm); none for another name.
std::optional<int32_t> FitModelOf(const std::string& name);
// The names FitModelOf takes, for a message: "best, exponential, hyperbolic, stretched".
extern const char* const kFitModelNames;
// A fitted model's name in the report: exponential, hyperbolic or stretched
// ("best" for any other value).
const char* FitModelName(int32_t model);

// What one run fits with.  The options are the run's, every well's start
// where none is given: a pass over the whole fleet (a prior from all wells)
// belongs in RunFits, ahead of the wells' own fits, and reads them from here.
struct FitRun {
    FitOptions options{};            // from FitDefaults, then the caller's choices
    std::optional<Date> start;       // fit from the first month on or after it; none: the peak month
    unsigned threads = 1;            // worker threads (at least 1)
    bool keepFitted = false;         // keep each month's fitted volume (for a plot)
    int32_t horizonMonths = 0;       // > 0: each fit's band over this many months after its history
    Calibration calibration;         // the band's; empty: FitBand's built-in one
    int32_t bestModel = -1;          // the model the fleet's backtests (or a prior file) chose for
                                     // FIT_MODEL_BEST; -1: none (each well's lowest AICc)
};

// The fleet passes ahead of the wells' fits (fleet/learn.h), on run.threads
// threads: unless `priorGiven`, the prior learned from the fleet's sample goes
// into run.options.prior and the model its backtests chose into
// run.bestModel; with FIT_MODEL_BEST, run.options.model becomes run.bestModel
// when there is one; unless `calibrationGiven`, run.calibration becomes the
// built-in calibration refined by the sample's backtests.  Returns what
// was learned (for the command's summary and a file).  `fleetSize`: the wells
// of the whole fleet when `wells` holds only its sample (a partitioned run's
// first pass); 0: wells.size().
Evidence PrepareRun(const std::vector<History>& wells, FitRun& run, bool priorGiven, bool calibrationGiven,
                    size_t fleetSize = 0);

// One well's outcome: status 0 and the library's result, or -1 and why.
struct WellFit {
    int32_t status = -1;
    FitResult result{};
    std::vector<double> fitted;  // per month, NaN where not fitted; when kept
    double band[3] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::quiet_NaN()};  // P90, P50, P10 over the run's horizon
    std::string message;         // empty for a failure in the library until ExplainFailures
    int line = 0;                // the row a failure names (ExplainFailures sets it)
};

// Fits every well on run.threads threads and returns the outcomes in the
// wells' order; the result does not depend on the thread count.  A well with
// a problem of its rows, without rows, with more than 100000 months or no
// month on or after the start fails with that message; a failure in the
// library leaves the message empty, its record in the library's log.
std::vector<WellFit> RunFits(const std::vector<History>& wells, const FitRun& run);

// True when a well failed in the library: its message waits for a replay.
bool NeedsReplay(const std::vector<WellFit>& fits);

// Fits each well the library failed again, alone on this thread with the log
// routed into `log` (no other thread may call the library meanwhile), and
// takes the message of its first record (with no log, or no record: "the fit
// failed (no log record)"); sets every failure's line: the row of the period
// the message names ("period N: ..."), else of the well's problem, else its
// first row.
void ExplainFailures(const std::vector<History>& wells, const FitRun& run, LogRoute* log,
                     std::vector<WellFit>& fits);

}  // namespace qrvp::fleet

#endif
