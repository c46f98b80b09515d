// The fleet passes ahead of the wells' own fits: backtests of a sample of the
// wells (each history cut short, fitted, forecast, compared with what
// followed) give the prior's centre and spread, choose its centre of b and
// its strength, and give the calibration of the forecast's error.
//
// Deterministic: the sample is the wells whose name hashes into it (FNV-1a),
// taken in name order, so the same fleet gives the same prior and calibration
// however it is split into partitions, threads or processes.
#ifndef QRVP_FLEET_LEARN_H
#define QRVP_FLEET_LEARN_H

#include "fleet/evidence.h"
#include "fleet/history.h"

#include <vector>

namespace qrvp::fleet {

constexpr size_t kSampleWells = 800;      // about this many wells learn for the fleet
constexpr size_t kMinPriorWells = 20;     // fewer counted fits of cut histories than this: no prior
constexpr size_t kPriorMinPeriods = 6;    // periods a cut history's fit needs to count
constexpr double kPriorMonths = 12.0;     // the prior's pull halves at this many periods
constexpr double kMinSdLnDi = 0.1, kMinSdB = 0.05;
constexpr double kBacktestMaxMonths = 24; // a backtest holds out half the history, at most this
constexpr size_t kBacktestMinPeriods = 6; // producing periods its cut history needs
constexpr double kBlendCases = 100.0;     // a fleet's cell outweighs the built-in one past this many cases

// The strengths and the centres of b (beside the cut fits' median) a
// fleet's backtests choose from, and the grid of its
// calibration (history lengths in periods fitted, horizons in months).
inline constexpr double kStrengths[] = {0.01, 0.03, 0.1, 0.3, 1.0, 3.0, 10.0};
constexpr double kProbeStrength = 3.0;   // the strength at which the centres of b are compared
constexpr double kDefaultStrength = 1.0; // kept unless a strength's backtests miss less by more than their noise
inline constexpr double kCentresOfB[] = {0.5, 1.0, 1.5};
// The recency half-lives (months; 0: equal weights) tried last, at the chosen
// centre and strength, when the run's options leave the half-life to the
// prior: the one whose backtests miss least travels in the prior (a tie keeps
// the first).
inline constexpr double kHalfLives[] = {0.0, 12.0};
inline constexpr double kCalibrationHistories[] = {0.0, 12.0, 24.0, 48.0};
inline constexpr double kCalibrationHorizons[] = {3.0, 6.0, 12.0, 24.0};
constexpr double kNoisePower = 0.5, kNoiseFloor = 0.05;
constexpr bool kCentred = false;          // the P50 is the curve: backtests of shorter histories misjudge its bias
constexpr size_t kMinCellCases = 50;      // a cell of fewer backtests is left out (its neighbour holds)

// The prior of wells fitted without a fleet's (too few wells for one, or
// none wanted): `p` with b pulled toward the middle of the options' bounds,
// its spread half their width, at the default strength, and ln Di left free
// (a spread of kLoneSdLnDi).  A short history leaves b to its noise, and
// alone its fits run to the bounds, which forecast worst.  `p` unchanged when
// the bounds leave b no room.
constexpr double kLoneSdLnDi = 1000.0;
FitPrior LonePrior(FitPrior p, const FitOptions& options);
// Whether `p` is such a prior (its band is the lone fits' calibration).
bool IsLonePrior(const FitPrior& p);

// Whether a well of this name is in the sample of a fleet of `wells` wells.
bool InSample(const std::string& name, size_t wells);

// The sample of `wells` in a fleet of `fleetSize` (every one that InSample
// takes, in name order).
std::vector<const History*> SampleOf(const std::vector<History>& wells, size_t fleetSize);

// One backtest of a sample well: the fit of its cut history (with the prior
// the backtests knew) and the months held out after it, their actual volumes
// and shares produced (0 for a shut-in).
struct Backtest {
    std::string well;
    FitResult fit{};
    std::vector<Date> from, to;
    std::vector<double> actual, uptime;
};

struct Evidence {
    FitPrior prior{};         // strength 0 when the sample is too small
    Calibration own;          // the sample's backtests alone (the cells with enough cases)
    size_t backtests = 0;     // the sample's backtest cases
    int32_t model = -1;       // for FIT_MODEL_BEST, the model whose backtests missed least; -1: none chosen
    std::vector<Backtest> fitted;  // the backtests whose cut history was fitted, in the sample's order
};

// Learns from the sample with `options` (its prior and bootstrap ignored) on
// `threads` threads: the prior (unless `given` is not null: then that prior,
// used for the backtests too) and the calibration of the backtests.  The
// prior's halfLife and oneRegime are those its backtests were fitted with:
// the options' when they set them (halfLife 0 or more, regimes 0 or 1), else
// chosen, the half-life from kHalfLives, then the whole history as one regime
// when its backtests miss less (0 and 0 when no prior is learned).  With FIT_MODEL_BEST the prior's search fits the hyperbola,
// then the exponential and the stretched exponential are backtested at its
// outcome, and the model whose backtests miss least is the Evidence's model
// (a tie keeps the hyperbola; none without a prior: each well's AICc).
Evidence Learn(const std::vector<const History*>& sample, const FitOptions& options, unsigned threads,
               const FitPrior* given);

// The prior of fits' (ln Di, b): their medians, and 1.4826 times their
// median absolute deviations held at the floors above; the strength given.
// Strength 0 (no prior) for fewer than kMinPriorWells points.
FitPrior PriorOf(std::vector<double> lnDi, std::vector<double> b, double strength);

}  // namespace qrvp::fleet

#endif
