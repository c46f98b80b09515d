#include "python/src/tables.h"

#include "python/src/common.h"

#include "fleet/evidence.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <limits>

namespace qrvp::python {

std::vector<fleet::CsvRecord> Records(const std::vector<std::string>& names,
                                      const std::vector<std::vector<std::string>>& columns)
{
    if (names.size() != columns.size()) throw py::value_error("one column of text per name");
    const size_t rows = columns.empty() ? 0 : columns.front().size();
    for (const auto& c : columns)
        if (c.size() != rows) throw py::value_error("the columns differ in length");
    std::vector<fleet::CsvRecord> records(rows + 1);
    records[0].line = 0;
    records[0].fields = names;
    for (size_t r = 0; r < rows; ++r) {
        records[r + 1].line = static_cast<int>(r + 1);
        records[r + 1].fields.reserve(columns.size());
        for (const auto& c : columns) records[r + 1].fields.push_back(c[r]);
    }
    return records;
}

py::tuple ProblemTuple(const fleet::Problem& p)
{
    std::vector<std::string> records;
    for (const fleet::LogRecord& r : p.records)
        records.push_back(r.function.empty() ? r.text : r.function + " (source line " + r.line + "): " + r.message);
    return py::make_tuple(p.line - 1, p.columnName, p.well, p.message, records, p.warning, p.fatal);
}

template <size_t N>
py::dict CellColumns(const std::array<fleet::Column, N>& table, const std::vector<std::vector<fleet::Cell>>& rows)
{
    py::dict out;
    const auto n = static_cast<py::ssize_t>(rows.size());
    for (size_t c = 0; c < N; ++c) {
        switch (table[c].kind) {
        case fleet::Kind::Text:
        case fleet::Kind::Count: {
            py::list values(rows.size());
            for (size_t r = 0; r < rows.size(); ++r) {
                const fleet::Cell& cell = rows[r][c];
                py::object v = py::none();
                if (!cell.blank)
                    v = table[c].kind == fleet::Kind::Text ? py::object(py::str(cell.text)) : py::int_(cell.count);
                values[r] = v;
            }
            out[table[c].name] = values;
            break;
        }
        case fleet::Kind::Date: {
            py::array_t<int64_t> values(n);
            int64_t* v = values.mutable_data();
            for (size_t r = 0; r < rows.size(); ++r)
                v[r] = rows[r][c].blank ? std::numeric_limits<int64_t>::min() : EpochSeconds(rows[r][c].date);
            out[table[c].name] = values;
            break;
        }
        case fleet::Kind::Number: {
            py::array_t<double> values(n);
            double* v = values.mutable_data();
            for (size_t r = 0; r < rows.size(); ++r)
                v[r] = rows[r][c].blank ? std::numeric_limits<double>::quiet_NaN() : rows[r][c].number;
            out[table[c].name] = values;
            break;
        }
        }
    }
    return out;
}

template py::dict CellColumns(const std::array<fleet::Column, fleet::kSegmentColumns.size()>&,
                              const std::vector<std::vector<fleet::Cell>>&);
template py::dict CellColumns(const std::array<fleet::Column, fleet::kHorizonColumns.size()>&,
                             const std::vector<std::vector<fleet::Cell>>&);
template py::dict CellColumns(const std::array<fleet::Column, fleet::kReportColumns.size()>&,
                              const std::vector<std::vector<fleet::Cell>>&);
template py::dict CellColumns(const std::array<fleet::Column, fleet::kTypeWellColumns.size()>&,
                              const std::vector<std::vector<fleet::Cell>>&);
template py::dict CellColumns(const std::array<fleet::Column, fleet::kTypeWellSummaryColumns.size()>&,
                              const std::vector<std::vector<fleet::Cell>>&);
// The totals table has as many columns as the type well's summary: the line above serves both.
static_assert(fleet::kTotalsColumns.size() == fleet::kTypeWellSummaryColumns.size(),
              "instantiate CellColumns for kTotalsColumns");

void ReadEvidenceFiles(const py::object& prior, const py::object& calibration, fleet::FitRun& run)
{
    std::string problem;
    if (!prior.is_none() && !fleet::ReadPrior(fleet::ReadCsv(prior.cast<std::string>()), run.options.prior, problem,
                                                   &run.bestModel))
        throw py::value_error("prior: " + problem);
    if (!calibration.is_none() &&
        !fleet::ReadCalibration(fleet::ReadCsv(calibration.cast<std::string>()), run.calibration, problem))
        throw py::value_error("calibration: " + problem);
}

namespace {

template <size_t N>
py::tuple ColumnTuples(const std::array<fleet::Column, N>& table)
{
    static const char* const kinds[] = {"text", "date", "count", "number"};
    py::tuple out(N);
    for (size_t c = 0; c < N; ++c)
        out[c] = py::make_tuple(table[c].name, kinds[static_cast<int>(table[c].kind)], table[c].required);
    return out;
}

}  // namespace

void RegisterTables(py::module_& m)
{
    m.attr("SEGMENT_COLUMNS") = ColumnTuples(fleet::kSegmentColumns);
    m.attr("HISTORY_COLUMNS") = ColumnTuples(fleet::kHistoryColumns);
    m.attr("FORECAST_COLUMNS") = ColumnTuples(fleet::kForecastColumns);
    m.attr("REPORT_COLUMNS") = ColumnTuples(fleet::kReportColumns);
    m.attr("HORIZON_COLUMNS") = ColumnTuples(fleet::kHorizonColumns);
    m.attr("HEADER_COLUMNS") = ColumnTuples(fleet::kHeaderColumns);
    m.attr("TYPEWELL_COLUMNS") = ColumnTuples(fleet::kTypeWellColumns);
    m.attr("TYPEWELL_SUMMARY_COLUMNS") = ColumnTuples(fleet::kTypeWellSummaryColumns);
    m.attr("TOTALS_COLUMNS") = ColumnTuples(fleet::kTotalsColumns);
}

}  // namespace qrvp::python
