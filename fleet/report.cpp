// The cells of a fit's segment row and report row, and their CSV text.
#include "fleet/report.h"

#include "fleet/csv.h"
#include "fleet/text.h"

#include <cmath>

namespace qrvp::fleet {

Cell Text(std::string text)
{
    Cell c;
    c.blank = false;
    c.text = std::move(text);
    return c;
}

Cell At(const Date& date)
{
    Cell c;
    c.blank = false;
    c.date = date;
    return c;
}

Cell Count(int64_t n)
{
    Cell c;
    c.blank = false;
    c.count = n;
    return c;
}

// A finite number; blank otherwise.
Cell Number(double value)
{
    Cell c;
    c.blank = !std::isfinite(value);
    c.number = value;
    return c;
}

Cell Blank() { return Cell{}; }

std::vector<Cell> SegmentCells(const std::string& well, int32_t model, const Date& start, const Date& end, double qi,
                               double diPercent, double b, double dminPercent, double tau, double n)
{
    if (model == FIT_MODEL_STRETCHED)
        return {Text(well), Text("sedm"), At(start), At(end), Number(qi), Blank(), Blank(), Blank(),
                Blank(), Number(tau), Number(n), Blank()};
    return {Text(well), Text("arps"), At(start), At(end), Number(qi), Blank(), Number(diPercent),
            Number(b), dminPercent > 0.0 ? Number(dminPercent) : Blank(), Blank(), Blank(), Text("nominal")};
}

std::vector<Cell> SegmentCells(const std::string& well, const FitResult& r)
{
    const FitCurve& c = r.curve;
    return SegmentCells(well, c.model, c.start, r.limitDate, c.Qi, c.Di * 100.0, c.b, c.Dmin * 100.0, c.tau, c.n);
}

std::vector<Cell> ReportCells(const std::string& well, const WellFit& fit)
{
    std::vector<Cell> cells(kReportColumns.size());
    cells[0] = Text(well);
    if (fit.status != 0) {
        cells[1] = Text("failed");
        cells.back() = Text(fit.message);
        return cells;
    }
    const FitResult& r = fit.result;
    const FitCurve& c = r.curve;
    const bool sedm = c.model == FIT_MODEL_STRETCHED;
    cells = {Text(well), Text("ok"), Text(FitModelName(c.model)), At(r.fitStart), At(c.start), Count(r.periodsUsed),
             Number(c.Qi), sedm ? Blank() : Number(c.Di * 100.0), sedm ? Blank() : Number(c.b),
             sedm ? Blank() : Number(c.Dmin * 100.0), sedm ? Number(c.tau) : Blank(), sedm ? Number(c.n) : Blank(),
             Number(r.stdErr[0]), Number(r.stdErr[1]), Number(r.stdErr[2]), Number(r.logRmse), Number(r.aicc),
             Number(r.candidateAicc[0]), Number(r.candidateAicc[1]), Number(r.candidateAicc[2]),
             Count(r.iterations), At(r.historyEnd), At(r.limitDate), Number(r.remaining), Number(r.p90),
             Number(r.p50), Number(r.p10), Count(r.bootstrapUsed), At(r.regimeStart), Count(r.regimeChanges),
             Number(r.noise), Blank()};
    return cells;
}

std::vector<Cell> HorizonCells(const WellFit& fit)
{
    return {Number(fit.band[0]), Number(fit.band[1]), Number(fit.band[2])};
}

std::vector<Cell> TotalsCells(const GroupTotal& t)
{
    const bool ok = t.message.empty();
    return {Text(t.group),   Count(static_cast<int64_t>(t.wells)),
            Number(t.p90),   Number(t.p50),
            Number(t.p10),   Number(t.mean),
            Number(ok ? t.dependence.rho : std::nan("")), ok ? Count(static_cast<int64_t>(t.dependence.pairs)) : Blank(),
            Number(t.sumP90), Number(t.sumP10),
            ok ? Blank() : Text(t.message)};
}

template <size_t N>
std::string CsvLine(const std::array<Column, N>& columns, const std::vector<Cell>& cells)
{
    std::string line;
    for (size_t i = 0; i < N; ++i) {
        if (i > 0) line += ',';
        const Cell& c = cells[i];
        if (c.blank) continue;
        switch (columns[i].kind) {
        case Kind::Text: line += CsvField(c.text); break;
        case Kind::Date: line += FormatDate(c.date); break;
        case Kind::Count: line += std::to_string(c.count); break;
        case Kind::Number: line += FormatNumber(c.number); break;
        }
    }
    line += '\n';
    return line;
}

template std::string CsvLine(const std::array<Column, kSegmentColumns.size()>&, const std::vector<Cell>&);
template std::string CsvLine(const std::array<Column, kReportColumns.size()>&, const std::vector<Cell>&);
template std::string CsvLine(const std::array<Column, kHorizonColumns.size()>&, const std::vector<Cell>&);
template std::string CsvLine(const std::array<Column, kTypeWellColumns.size()>&, const std::vector<Cell>&);
template std::string CsvLine(const std::array<Column, kTypeWellSummaryColumns.size()>&, const std::vector<Cell>&);
// The totals table has as many columns as the summary: the line above serves both.
static_assert(kTotalsColumns.size() == kTypeWellSummaryColumns.size(), "instantiate CsvLine for kTotalsColumns");

}  // namespace qrvp::fleet
