// Type wells: the P90, P50 and P10 profile of a group of analog wells, for
// forecasting locations not yet drilled.  Forecast first, then aggregate:
// each well's months after its history are filled with its own forecast (the
// P50 of its fit by the fleet run), so no well drops out of the late months
// and the type well is not an average over the wells that happen to be old.
//
// The spread is the spread of wells: the P-profiles are the percentiles, month
// by month, of the wells' cumulative volumes (each well's months from its
// first production, or from its peak), so the P90-P10 band of any
// cumulative of the type well (24 months, 30 years) holds the analogs' own
// cumulatives 80% of the time; a profile's monthly volumes are the
// differences of its cumulative.  (The other method, percentiles of each
// month's volume, gives a P50 profile whose cumulative is not the P50 of any
// cumulative; it is here for comparison.)  P90 is the low case, exceeded by
// 90% of wells, as in the fit report.  A percentile is the linear
// interpolation between the order statistics (the (n - 1) p-th of n).
#ifndef QRVP_FLEET_TYPEWELL_H
#define QRVP_FLEET_TYPEWELL_H

#include "QRVPFit.h"
#include "fleet/evidence.h"
#include "fleet/fit_run.h"
#include "fleet/headers.h"
#include "fleet/history.h"
#include "fleet/report.h"

#include <string>
#include <vector>

namespace qrvp::fleet {

enum class Align { FirstProduction, Peak };
enum class Spread { Cumulative, Rate };

struct TypeWellOptions {
    int32_t months = 360;                 // the profile's length (30 years)
    Align align = Align::FirstProduction; // month 1: the first month with a volume, or the highest month
    Spread spread = Spread::Cumulative;
    size_t minWells = 10;                 // a smaller group has no type well
    // Above 0: each well weighs 2^-(the years its aligned month lies before
    // the group's latest) / recencyYears in every percentile and the mean, so
    // the type well leans to the latest vintages (an extrapolation: it
    // assumes the latest wells are the next ones).  0: all wells weigh alike.
    double recencyYears = 0.0;
};

// One well's months, aligned and filled: volumes[m] is month m + 1 counted
// from the aligned month, times the well's factor; months of its history
// that are missing or shut in count as nothing (a type well is in calendar
// months), the months after its history are its forecast's P50.
struct FilledWell {
    std::vector<double> volumes;  // options.months values when filled; empty with a problem
    int32_t historyMonths = 0;    // of them, how many its history gives
    Date first;                   // the aligned month's start
    double factor = 1.0;
    std::string problem;          // why it cannot be filled (its rows, its fit, no volume)
};

// Fills one well from its history and its fit (the fit run's options and
// calibration: `calibration` empty for FitBand's built-in one).  A well
// whose history covers the profile needs no fit.  Problems: the well's own
// rows, no month with a volume, a failed fit ("its fit failed: ..."), a
// forecast the library refuses.
FilledWell FillWell(const History& well, const WellFit& fit, const Calibration& calibration,
                    const TypeWellOptions& options, double factor);

// Every well filled on `threads` threads, in the wells' order.
std::vector<FilledWell> FillWells(const std::vector<History>& wells, const std::vector<WellFit>& fits,
                                  const Calibration& calibration, const TypeWellOptions& options,
                                  const std::vector<double>& factors, unsigned threads);

// Which group each well is in and its normalising factor, from the headers.
struct WellKeys {
    std::vector<std::string> groups;  // per well; "all" without a group column
    std::vector<double> factors;      // per well: unit / the well's value, 1 without normalisation
    std::vector<bool> used;           // false: left out, for a reason in the problems (a warning)
};

// The keys of `names` by the headers' column `by` (empty: every well in the
// group "all") and normalised per `perUnit` of the column `per` (empty:
// none).  Fatal problems, false returned: a column missing or not numeric,
// wells absent from the headers (all named, in AbsentMessage's words).  A
// well with no value in either column, or a value of the `per` column not
// above 0, is left out with a warning naming the well and the column.
// `headers` may be null when neither column is asked for.
bool KeysOf(const Headers* headers, const std::vector<std::string>& names, const std::string& by,
            const std::string& per, double perUnit, WellKeys& keys, std::vector<Problem>& problems);

// A group's type well.
struct TypeWell {
    std::string group;
    std::vector<size_t> members;           // the wells' indexes, in their order
    std::string problem;                   // why there is none (too few wells); the rest is then empty
    std::vector<double> monthly[3];        // P90, P50, P10 volume of each month
    std::vector<double> cumulative[3];     // and their running sums
    std::vector<int32_t> inHistory;        // wells whose history gives the month
    double eur[3] = {0, 0, 0};             // P90, P50, P10 of the wells' volumes over the profile's months
    double eurMean = 0.0;
    size_t p50Well = 0;                    // the well whose volume is nearest the P50 (the first of ties)
    double p50WellEur = 0.0;               // and that volume
    FitResult decline[3]{};                // each profile's fitted decline
    int32_t declineStatus[3] = {-1, -1, -1};
};

// The type wells of every group of used, filled wells, groups in name order,
// each of at least options.minWells wells (a smaller group's problem reads
// "group 'X' has 3 wells; a type well needs at least 10").  Each profile's
// decline is fitted by FitDecline (hyperbolic, from the profile's peak,
// no prior) as if month 1 began at `start`.
std::vector<TypeWell> BuildTypeWells(const std::vector<FilledWell>& filled, const WellKeys& keys,
                                     const TypeWellOptions& options, const Date& start);

// The percentile p (0..1, clamped) of the values, sorted in place; NaN for none.
double Percentile(std::vector<double>& values, double p);

// The weighted percentile p (0..1, clamped) of values[i] weighing weights[i]
// (above 0; the same length): the values in order, the k-th at the middle of
// its weight, (w_0 + ... + w_(k-1) + w_k / 2) / W, linear between, the first
// and last below and above those.  Equal weights give the Hazen plotting
// position ((k + 1/2) / n), not Percentile's.  `order` is scratch.  NaN for none.
double WeightedPercentile(const std::vector<double>& values, const std::vector<double>& weights, double p,
                          std::vector<size_t>& order);

// The type well's profile rows (kTypeWellColumns), its summary row
// (kTypeWellSummaryColumns, the P50 well named from `names`), and its
// segment rows (kSegmentColumns, wells "<group> P90" ...): a flat lintime
// segment over the months before the profile's peak holding their volume,
// then the fitted decline to month options.months.  A profile whose fit
// failed has no segment rows.
std::vector<std::vector<Cell>> ProfileCells(const TypeWell& t);
std::vector<Cell> SummaryCells(const TypeWell& t, const std::vector<std::string>& names);
std::vector<std::vector<Cell>> TypeWellSegmentCells(const TypeWell& t, const Date& start, int32_t months);

}  // namespace qrvp::fleet

#endif
