// The fleet's tables as the module hands them over: columns of text in (the
// same reading as the command's files), problems as tuples, rows of cells out
// as one array or list per column, and the tables' column names.
#ifndef QRVP_PYTHON_TABLES_H
#define QRVP_PYTHON_TABLES_H

#include "fleet/columns.h"
#include "fleet/csv.h"
#include "fleet/fit_run.h"
#include "fleet/report.h"
#include "fleet/segments.h"

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

namespace qrvp::python {

namespace py = pybind11;

// Header and rows as the fleet's records: the header is line 0, the row at
// position r is line r + 1.  Throws ValueError when the names and columns do
// not match or the columns differ in length.
std::vector<fleet::CsvRecord> Records(const std::vector<std::string>& names,
                                      const std::vector<std::vector<std::string>>& columns);

// Reads the prior and the calibration files a fit was given (None: not
// given) into `run`.  Throws ValueError naming the file's kind, line and
// column when one is refused; `run` may then hold part of what was read.
void ReadEvidenceFiles(const py::object& prior, const py::object& calibration, fleet::FitRun& run);

// A problem as Python sees it: (row, column, well, message, records, warning,
// fatal), row being the position in the columns (-1 for the header).
py::tuple ProblemTuple(const fleet::Problem& p);

// Rows of cells as {column name: values}: text as a list of str (None where
// blank), dates as int64 seconds since 1970 (the int64 minimum, NaT, where
// blank), counts as a list of int (None where blank), numbers as float64 (NaN
// where blank).  Needs the GIL.
template <size_t N>
py::dict CellColumns(const std::array<fleet::Column, N>& table, const std::vector<std::vector<fleet::Cell>>& rows);

// The module's SEGMENT_COLUMNS, HISTORY_COLUMNS, FORECAST_COLUMNS and
// REPORT_COLUMNS: tuples of (name, kind, required), kind one of "text",
// "date", "count", "number".
void RegisterTables(py::module_& m);

}  // namespace qrvp::python

#endif
