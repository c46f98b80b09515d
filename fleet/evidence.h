// What a fleet's own histories teach its fits: the prior on the hyperbola's
// shape and the calibration of the forecast's error, their files, and the
// blend of a fleet's calibration into the built-in one.
#ifndef QRVP_FLEET_EVIDENCE_H
#define QRVP_FLEET_EVIDENCE_H

#include "QRVPFit.h"
#include "fleet/csv.h"

#include <string>
#include <vector>

namespace qrvp::fleet {

// A calibration that owns its cells (FitCalibration points into them).
struct Calibration {
    std::vector<double> history, horizon, centre, low, high, cases;
    double noisePower = 0.5;
    double noiseFloor = 0.05;
    size_t size() const { return history.size(); }
    // A view for FitBand, valid while this lives unchanged.
    FitCalibration View() const;
};

// The cells of a FitCalibration (cases 0 for each: unknown).
Calibration CopyOf(const FitCalibration& c);

// `base`'s cells, each moved toward `own`'s cell of the same history and
// horizon in proportion to its cases: (n * own + n0 * base) / (n + n0) for n
// own cases; the noise power and floor of `base`.  Own cells `base` lacks are
// left out.
Calibration Blend(const Calibration& base, const Calibration& own, double n0);

// The tables as CSV text (header and rows, numbers in their shortest exact
// form), and back: false with `problem` naming the line and column when a
// required column is missing, a number does not read, or the prior or the
// cells are refused by the checks FitDecline and FitBand make.  The prior's
// `bestModel` is the model the fleet chose for FIT_MODEL_BEST (-1: none).
std::string PriorCsv(const FitPrior& prior, int32_t bestModel = -1);
bool ReadPrior(const std::vector<CsvRecord>& records, FitPrior& prior, std::string& problem,
               int32_t* bestModel = nullptr);
std::string CalibrationCsv(const Calibration& c);
bool ReadCalibration(const std::vector<CsvRecord>& records, Calibration& c, std::string& problem);

}  // namespace qrvp::fleet

#endif
