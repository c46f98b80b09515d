// Group totals: the P90, P50 and P10 of the volume a group of wells makes
// over the horizon, from each well's calibrated band and the dependence
// between the wells of a group that the fleet's own backtests show.
//
// Each well's volume is read from its band as a two-piece lognormal: ln V =
// ln P50 + x (ln P10 - ln P50) / z above the median and x (ln P50 - ln P90) / z
// below it, x a standard normal score and z = 1.2816 its 90% point, so the
// well keeps its own P90, P50 and P10.  The scores of the wells of one group
// share one factor: x_i = rho^0.5 F + (1 - rho)^0.5 e_i (F, e_i independent
// standard normals), rho learned from how the backtest scores of pairs of
// wells in the same group move together.  The total's quantiles come from a
// seeded Monte Carlo of kTotalDraws draws, the same to the bit whatever the
// threads, the partitions or the order of the wells; its mean is exact.
#ifndef QRVP_FLEET_TOTALS_H
#define QRVP_FLEET_TOTALS_H

#include "fleet/evidence.h"
#include "fleet/fit_run.h"
#include "fleet/headers.h"
#include "fleet/learn.h"

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace qrvp::fleet {

constexpr size_t kTotalDraws = 10000;      // Monte Carlo draws of each group's total
constexpr size_t kMinDependencePairs = 30; // fewer backtest pairs within groups: every pair of the fleet
constexpr double kScoreLimit = 3.0;        // a backtest's score counts at most this far out (a restart is not a trend)
constexpr double kZ90 = 1.2815515655446004;

// One well's P90 <= P50 <= P10 (volumes, 0 or more).
struct Band {
    double p90 = std::numeric_limits<double>::quiet_NaN();
    double p50 = std::numeric_limits<double>::quiet_NaN();
    double p10 = std::numeric_limits<double>::quiet_NaN();
};

// The standard normal quantile at p in (0, 1) (Acklam's rational
// approximation refined by a Halley step); +-infinity at 1 and 0.
double NormalQuantile(double p);

// An empty string when the band can be read (finite, 0 <= P90 <= P50 <= P10,
// P90 > 0 unless all three are 0); else why not, naming its values.
std::string BandProblem(const Band& band);

// The band's volume at normal score x, and its inverse: the score of a
// volume (0 for a band of zero width on that side); and its exact mean.
double BandVolume(const Band& band, double x);
double BandScore(const Band& band, double volume);
double BandMean(const Band& band);

// The dependence a run uses: rho in 0 .. 1 and the backtest pairs it was
// learned from (0 when it was given).
struct Dependence {
    double rho = 0.0;
    size_t pairs = 0;
};

// Learns rho from backtest scores, `groups[i]` the group of score i:
// rho = (mean product of the scores of two wells of one group) / (mean
// square score), held in 0 .. 1, scores clipped at +-kScoreLimit.  Not
// centred: an error the whole fleet shares is dependence a total carries.
// With fewer than kMinDependencePairs pairs within groups, every pair of the
// fleet counts as one group.  No scores: rho 0, pairs 0.
Dependence DependenceOf(const std::vector<std::string>& groups, const std::vector<double>& scores);

// The normal score, against the calibration's band, of each backtest's
// actual volume over its first min(months, held-out months) months
// (ln(actual / forecast) read through BandScore).  `groupOf` names each
// sampled well's group; a backtest whose well is not in it, or whose band
// fails, is left out.  Returns the groups and scores side by side.
void BacktestScores(const std::vector<Backtest>& backtests, const Calibration& calibration, int32_t months,
                    const std::map<std::string, std::string>& groupOf, std::vector<std::string>& groups,
                    std::vector<double>& scores);

// One group's row of the totals table (kTotalsColumns).  With a message the
// numbers are NaN (blank): the total would be wrong.
struct GroupTotal {
    std::string group;
    size_t wells = 0;
    double p90 = std::numeric_limits<double>::quiet_NaN();
    double p50 = std::numeric_limits<double>::quiet_NaN();
    double p10 = std::numeric_limits<double>::quiet_NaN();
    double mean = std::numeric_limits<double>::quiet_NaN();
    double sumP90 = std::numeric_limits<double>::quiet_NaN();
    double sumP50 = std::numeric_limits<double>::quiet_NaN();
    double sumP10 = std::numeric_limits<double>::quiet_NaN();
    Dependence dependence;
    std::string message;
};

// The totals of the wells by group, one row per group in the groups' name
// order: `wells`, `groups`, `bands` and `problems` side by side (a well's
// problem non-empty when it has no band: it was not fitted).  A group of one
// well, or holding a well with a problem or an unreadable band, gets a
// message naming the well and no numbers.  Draws are seeded by `seed` and
// each well's name; `threads` only shares the work.
std::vector<GroupTotal> GroupTotals(const std::vector<std::string>& wells, const std::vector<std::string>& groups,
                                    const std::vector<Band>& bands, const std::vector<std::string>& problems,
                                    const Dependence& dependence, uint64_t seed, unsigned threads);

// Each well's group: the cell of `column` in its header row.  False with
// `problem` (its line in the headers) when the column is missing, wells are
// absent from the headers (AbsentMessage), or a well's cell is blank
// ("well 'A-3' has no 'county'", the line its row's).
bool GroupsOf(const Headers& headers, const std::string& column, const std::vector<std::string>& wells,
              std::map<std::string, std::string>& groupOf, Problem& problem);

// The dependence of a fit run's totals by `groupOf` (well -> group): the
// scores at run.horizonMonths of the backtests `learned` holds, or, when the
// run learned nothing (its prior and calibration were given), of backtests
// of the fleet's sample made now with the run's prior (`fleetSize` as for
// PrepareRun).  Call it after PrepareRun, with its Evidence.
Dependence LearnDependence(const std::vector<History>& wells, const FitRun& run, const Evidence& learned,
                           const std::map<std::string, std::string>& groupOf, size_t fleetSize = 0);

// The totals of a fit run's wells (side by side with `fits`, each with its
// band over the run's horizon) by `groupOf`, which names every well's group.
std::vector<GroupTotal> TotalsOfFits(const std::vector<History>& wells, const std::vector<WellFit>& fits,
                                     const std::map<std::string, std::string>& groupOf,
                                     const Dependence& dependence, uint64_t seed, unsigned threads);

}  // namespace qrvp::fleet

#endif
