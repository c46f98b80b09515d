// The fleet's prior and calibration as values and files.
#include "fleet/evidence.h"

#include "fleet/columns.h"
#include "fleet/fit_run.h"
#include "fleet/text.h"

#include <cmath>
#include <optional>

namespace qrvp::fleet {

FitCalibration Calibration::View() const
{
    FitCalibration v{};
    v.cells = static_cast<int32_t>(size());
    v.noisePower = noisePower;
    v.noiseFloor = noiseFloor;
    v.history = history.data();
    v.horizon = horizon.data();
    v.centre = centre.data();
    v.low = low.data();
    v.high = high.data();
    return v;
}

Calibration CopyOf(const FitCalibration& c)
{
    Calibration out;
    const auto n = static_cast<size_t>(std::max(c.cells, 0));
    out.history.assign(c.history, c.history + n);
    out.horizon.assign(c.horizon, c.horizon + n);
    out.centre.assign(c.centre, c.centre + n);
    out.low.assign(c.low, c.low + n);
    out.high.assign(c.high, c.high + n);
    out.cases.assign(n, 0.0);
    out.noisePower = c.noisePower;
    out.noiseFloor = c.noiseFloor;
    return out;
}

Calibration Blend(const Calibration& base, const Calibration& own, double n0)
{
    Calibration out = base;
    for (size_t i = 0; i < base.size(); ++i) {
        for (size_t j = 0; j < own.size(); ++j) {
            if (own.history[j] != base.history[i] || own.horizon[j] != base.horizon[i]) continue;
            const double n = own.cases[j], t = n / (n + n0);
            out.centre[i] += t * (own.centre[j] - base.centre[i]);
            out.low[i] += t * (own.low[j] - base.low[i]);
            out.high[i] += t * (own.high[j] - base.high[i]);
            out.cases[i] = base.cases[i] + n;
        }
    }
    return out;
}

namespace {

template <size_t N>
std::string Row(const std::array<double, N>& values)
{
    std::string out;
    for (double v : values) {
        if (!out.empty()) out += ',';
        out += FormatNumber(v);
    }
    return out + "\n";
}

// The columns' numbers of each data row, in the table's order (0 for an
// optional column the table lacks, and for a text column); false with a
// problem when a required column is missing or a number does not read.
template <size_t N>
bool ReadRows(const std::vector<CsvRecord>& records, const std::array<Column, N>& table,
              std::vector<std::array<double, N>>& rows, std::string& problem)
{
    if (records.empty()) {
        problem = "line 1: the table is empty: it needs a header naming " + ColumnNames(table, ", ");
        return false;
    }
    std::array<int, N> col;
    col.fill(-1);
    for (size_t i = 0; i < records[0].fields.size(); ++i) {
        const size_t c = FindColumn(table, Lower(Trim(records[0].fields[i])));
        if (c < N) col[c] = static_cast<int>(i);
    }
    for (size_t c = 0; c < N; ++c)
        if (col[c] < 0 && table[c].required) {
            problem = "line " + std::to_string(records[0].line) + ": missing column '" + table[c].name + "'";
            return false;
        }
    for (size_t r = 1; r < records.size(); ++r) {
        std::array<double, N> row{};
        for (size_t c = 0; c < N; ++c) {
            if (col[c] < 0 || table[c].kind != Kind::Number) continue;
            const auto& fields = records[r].fields;
            const auto i = static_cast<size_t>(col[c]);
            const std::optional<double> v = i < fields.size() ? ParseNumber(Trim(fields[i])) : std::nullopt;
            if (!v || !std::isfinite(*v)) {
                problem = "line " + std::to_string(records[r].line) + ": column '" + table[c].name +
                          "' needs a finite number";
                return false;
            }
            row[c] = *v;
        }
        rows.push_back(row);
    }
    return true;
}

}  // namespace

std::string PriorCsv(const FitPrior& p, int32_t bestModel)
{
    std::string row = Row(std::array<double, 8>{p.lnDi, p.b, p.sdLnDi, p.sdB, p.strength, p.months, p.halfLife,
                                                static_cast<double>(p.oneRegime)});
    row.back() = ',';
    return ColumnNames(kPriorColumns, ",") + "\n" + row + FitModelName(bestModel) + "\n";
}

bool ReadPrior(const std::vector<CsvRecord>& records, FitPrior& prior, std::string& problem, int32_t* bestModel)
{
    std::vector<std::array<double, 9>> rows;
    if (!ReadRows(records, kPriorColumns, rows, problem)) return false;
    if (rows.size() != 1) {
        problem = "the prior needs exactly one row after its header, not " + std::to_string(rows.size());
        return false;
    }
    const auto& r = rows[0];
    if (!(r[4] >= 0.0 && r[5] > 0.0 && (r[4] == 0.0 || (r[2] > 0.0 && r[3] > 0.0)))) {
        problem = "line " + std::to_string(records[1].line) +
                  ": the months must be positive, the strength zero or more, and with a strength the spreads positive";
        return false;
    }
    if (!(r[6] >= 0.0)) {
        problem = "line " + std::to_string(records[1].line) + ": column 'half_life' must be zero or more months";
        return false;
    }
    if (r[7] != 0.0 && r[7] != 1.0) {
        problem = "line " + std::to_string(records[1].line) + ": column 'one_regime' must be 0 or 1";
        return false;
    }
    std::optional<int32_t> model = FIT_MODEL_BEST;
    for (size_t i = 0; i < records[0].fields.size(); ++i)
        if (Lower(Trim(records[0].fields[i])) == kPriorColumns[8].name && i < records[1].fields.size() &&
            !Trim(records[1].fields[i]).empty())
            model = FitModelOf(std::string(Trim(records[1].fields[i])));
    if (!model) {
        problem = "line " + std::to_string(records[1].line) + ": column 'model' must name one of " + kFitModelNames;
        return false;
    }
    prior = FitPrior{r[0], r[1], r[2], r[3], r[4], r[5], r[6], static_cast<int32_t>(r[7]), 0};
    if (bestModel) *bestModel = *model == FIT_MODEL_BEST ? -1 : *model;
    return true;
}

std::string CalibrationCsv(const Calibration& c)
{
    std::string out = ColumnNames(kCalibrationColumns, ",") + "\n";
    for (size_t i = 0; i < c.size(); ++i)
        out += Row(std::array<double, 8>{c.history[i], c.horizon[i], c.centre[i], c.low[i], c.high[i], c.cases[i],
                                         c.noisePower, c.noiseFloor});
    return out;
}

bool ReadCalibration(const std::vector<CsvRecord>& records, Calibration& c, std::string& problem)
{
    std::vector<std::array<double, 8>> rows;
    if (!ReadRows(records, kCalibrationColumns, rows, problem)) return false;
    FitCalibration view{};
    FitDefaultCalibration(&view);
    const Calibration builtIn = CopyOf(view);
    for (size_t k = 0; k < rows.size(); ++k) {
        const auto& r = rows[k];
        bool known = false;
        for (size_t i = 0; i < builtIn.size(); ++i) known = known || (builtIn.history[i] == r[0] && builtIn.horizon[i] == r[1]);
        const std::string line = "line " + std::to_string(records[k + 1].line) + ": ";
        if (!known) {
            problem = line + "the cell of history " + FormatNumber(r[0]) + " and horizon " + FormatNumber(r[1]) +
                      " is not one of the built-in calibration's, which the table refines";
            return false;
        }
        if (r[6] != builtIn.noisePower || r[7] != builtIn.noiseFloor) {
            problem = line + "columns 'noise_power' and 'noise_floor' must be the built-in calibration's (" +
                      FormatNumber(builtIn.noisePower) + " and " + FormatNumber(builtIn.noiseFloor) + ")";
            return false;
        }
    }
    Calibration out;
    for (const auto& r : rows) {
        out.history.push_back(r[0]);
        out.horizon.push_back(r[1]);
        out.centre.push_back(r[2]);
        out.low.push_back(r[3]);
        out.high.push_back(r[4]);
        out.cases.push_back(r[5]);
        out.noisePower = r[6];
        out.noiseFloor = r[7];
    }
    // FitBand's own checks, on a unit curve one month past its history.
    FitResult probe{};
    probe.curve.model = FIT_MODEL_EXPONENTIAL;
    probe.curve.start = probe.historyEnd = Date(2000, 1, 1, 0, 0, 0);
    probe.curve.Qi = 1.0;
    Date to = probe.historyEnd;
    to.AddMonths(1);
    const FitCalibration cells = out.View();
    if (out.size() && FitBand(&probe, &cells, probe.historyEnd, to, nullptr, nullptr, nullptr) != 0) {
        problem = "the calibration's cells must be finite, run by history then by increasing horizon, have positive "
                  "horizons and low <= high, with a noise power in 0 .. 2 and a positive noise floor";
        return false;
    }
    c = std::move(out);
    return true;
}

}  // namespace qrvp::fleet
