// The rows a fit run writes, as cells in the columns of fleet/columns.h: the
// segment row of each fitted well (the table a forecast reads) and the report
// row of each well.  The command writes them as CSV text, the Python module
// as arrays, so both hold the same values.
#ifndef QRVP_FLEET_REPORT_H
#define QRVP_FLEET_REPORT_H

#include "fleet/columns.h"
#include "fleet/fit_run.h"
#include "fleet/totals.h"

#include <string>
#include <vector>

namespace qrvp::fleet {

// One value of a row; `blank` when it has none.  Which of the others holds it
// follows the column's kind.
struct Cell {
    bool blank = true;
    std::string text;
    Date date;
    int64_t count = 0;
    double number = 0.0;
};

// Cells of each kind: text, a date, a count, a finite number (blank
// otherwise), a blank.
Cell Text(std::string text);
Cell At(const Date& date);
Cell Count(int64_t n);
Cell Number(double value);
Cell Blank();

// The fitted curve as a segment row (kSegmentColumns): from the curve's start
// to the limit date, declines as nominal percentages per year.
std::vector<Cell> SegmentCells(const std::string& well, const FitResult& r);

// The same row from a fitted curve as the report holds it (model as
// FIT_MODEL_*, declines in nominal percent per year): the stretched
// exponential a sedm row of qi, tau and n; any other model an arps row of qi,
// di, b and dmin (blank unless above 0), nominal.
std::vector<Cell> SegmentCells(const std::string& well, int32_t model, const Date& start, const Date& end, double qi,
                               double diPercent, double b, double dminPercent, double tau, double n);

// The well's report row (kReportColumns): a failure has its status and
// message only; a fit leaves the message blank.  A number that is not finite
// is blank.
std::vector<Cell> ReportCells(const std::string& well, const WellFit& fit);

// The well's band over the run's horizon (kHorizonColumns), blank where none.
std::vector<Cell> HorizonCells(const WellFit& fit);

// A group's row of the totals table (kTotalsColumns): its numbers blank when
// it has a message.
std::vector<Cell> TotalsCells(const GroupTotal& total);

// The cells as one CSV line, ending in a line feed: text quoted as needed,
// dates as FormatDate writes them, numbers in their shortest exact form.
template <size_t N>
std::string CsvLine(const std::array<Column, N>& columns, const std::vector<Cell>& cells);

}  // namespace qrvp::fleet

#endif
