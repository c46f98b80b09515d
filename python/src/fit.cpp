// The fit run behind DataFrame calls: the history in as columns of text (the
// same reading and checks as `qrvp fit`'s file), the fleet's fit run on
// worker threads, and the segment and report rows out as columns.
#include "python/src/common.h"
#include "python/src/tables.h"

#include "QRVPFit.h"
#include "fleet/fit_run.h"
#include "fleet/history.h"
#include "fleet/report.h"
#include "fleet/totals.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <map>
#include <thread>

namespace qrvp::python {

using namespace pybind11::literals;

namespace {

fleet::FitRun RunOf(const std::string& model, double bMin, double bMax, double dminPercent, const py::object& start,
                    const py::object& halfLife, bool calendar, const py::object& softL1, double economicLimit,
                    const py::object& bootstrap, uint64_t seed, unsigned threads)
{
    fleet::FitRun run;
    FitOptions& options = run.options;
    FitDefaults(&options);
    if (!model.empty()) {
        const std::optional<int32_t> chosen = fleet::FitModelOf(model);
        if (!chosen) throw py::value_error("unknown model '" + model + "' (" + fleet::kFitModelNames + ")");
        options.model = *chosen;
    }
    options.bMin = bMin;
    options.bMax = bMax;
    options.Dmin = dminPercent / 100.0;
    options.producingTime = calendar ? 0 : 1;
    if (!softL1.is_none()) options.softL1 = softL1.cast<bool>() ? 1 : 0;
    options.economicLimit = economicLimit;
    options.seed = seed;
    if (!halfLife.is_none()) options.halfLife = halfLife.cast<double>();
    if (!bootstrap.is_none()) options.bootstrap = bootstrap.cast<int32_t>();
    if (!start.is_none()) run.start = ToDate(start, "start");
    run.threads = std::min(threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : threads, 256u);
    return run;
}

// The group of each of `wells` by the headers' column `by`; ValueError
// naming the headers' problem (its row as the position in the columns).
std::map<std::string, std::string> GroupsOfHeaders(const std::vector<std::string>& names,
                                                   const std::vector<std::vector<std::string>>& columns,
                                                   const std::string& by, const std::vector<std::string>& wells)
{
    fleet::Headers headers;
    std::vector<fleet::Problem> problems;
    fleet::Problem problem;
    std::map<std::string, std::string> groupOf;
    const bool read = fleet::ReadHeaders(Records(names, columns), headers, problems);
    for (const fleet::Problem& p : problems)
        if (!p.warning) problem = p;
    if (read && fleet::GroupsOf(headers, by, wells, groupOf, problem)) return groupOf;
    std::string where = problem.line > 0 ? " (row " + std::to_string(problem.line - 1) + ")" : "";
    throw py::value_error("headers: " + problem.message + where);
}

py::dict TotalsDict(const std::vector<fleet::GroupTotal>& totals)
{
    std::vector<std::vector<fleet::Cell>> rows;
    for (const fleet::GroupTotal& t : totals) rows.push_back(fleet::TotalsCells(t));
    return CellColumns(fleet::kTotalsColumns, rows);
}

// The totals of wells' bands (a report's horizon columns) by the headers'
// column `by`, with the dependence rho given.
py::dict Totals(const std::vector<std::string>& wells, const std::vector<double>& p90, const std::vector<double>& p50,
                const std::vector<double>& p10, const std::vector<std::string>& problems,
                const std::vector<std::string>& headerNames, const std::vector<std::vector<std::string>>& headerColumns,
                const std::string& by, double rho, uint64_t seed, unsigned threads)
{
    const size_t n = wells.size();
    if (p90.size() != n || p50.size() != n || p10.size() != n || problems.size() != n)
        throw py::value_error("the report's columns differ in length");
    const std::map<std::string, std::string> groupOf = GroupsOfHeaders(headerNames, headerColumns, by, wells);
    std::vector<std::string> groups;
    std::vector<fleet::Band> bands;
    for (size_t i = 0; i < n; ++i) {
        groups.push_back(groupOf.at(wells[i]));
        bands.push_back(fleet::Band{p90[i], p50[i], p10[i]});
    }
    std::vector<fleet::GroupTotal> totals;
    {
        py::gil_scoped_release release;
        totals = fleet::GroupTotals(wells, groups, bands, problems, fleet::Dependence{rho, 0}, seed,
                                    std::max(1u, std::min(threads, 256u)));
    }
    return TotalsDict(totals);
}

// {"problems": the table's, "wells": names, "segments": the fitted wells'
// segment columns, "report": every well's report columns}.
py::dict Fit(const std::vector<std::string>& names, const std::vector<std::vector<std::string>>& columns,
             const std::string& model, double bMin, double bMax, double dminPercent, const py::object& start,
             const py::object& halfLife, bool calendar, const py::object& softL1, double economicLimit,
             const py::object& bootstrap, uint64_t seed, unsigned threads, int32_t horizon, const py::object& prior,
             const py::object& calibration, bool noPrior, size_t fleetSize, bool learnOnly,
             const std::vector<std::string>& headerNames, const std::vector<std::vector<std::string>>& headerColumns,
             const std::string& totalsBy, double rho)
{
    fleet::FitRun run = RunOf(model, bMin, bMax, dminPercent, start, halfLife, calendar, softL1, economicLimit,
                              bootstrap, seed, threads);
    run.horizonMonths = horizon;
    const bool priorGiven = noPrior || !prior.is_none();
    if (noPrior) run.options.prior.strength = 0.0;
    ReadEvidenceFiles(prior, calibration, run);
    const std::vector<fleet::CsvRecord> records = Records(names, columns);
    std::vector<fleet::Problem> problems;
    std::vector<fleet::History> wells;
    std::vector<fleet::WellFit> fits;
    wells = fleet::ReadHistory(records, problems);
    std::map<std::string, std::string> groupOf;
    const bool fatal = std::any_of(problems.begin(), problems.end(), [](const fleet::Problem& p) { return p.fatal; });
    if (!totalsBy.empty() && !fatal) {
        std::vector<std::string> wellNames;
        for (const fleet::History& w : wells) wellNames.push_back(w.name);
        groupOf = GroupsOfHeaders(headerNames, headerColumns, totalsBy, wellNames);
    }
    fleet::Dependence dependence{rho, 0};
    std::vector<fleet::GroupTotal> totals;
    fleet::Calibration own;  // the fleet's own cells, as qrvp fit --save-calibration writes them
    {
        py::gil_scoped_release release;
        const fleet::Evidence learned = fleet::PrepareRun(wells, run, priorGiven, !calibration.is_none(), fleetSize);
        own = learned.own;
        if (!totalsBy.empty() && rho < 0.0 && !fatal)
            dependence = fleet::LearnDependence(wells, run, learned, groupOf, fleetSize);
        if (!learnOnly) fits = fleet::RunFits(wells, run);
    }
    const std::string learned[2] = {fleet::PriorCsv(run.options.prior, run.bestModel), fleet::CalibrationCsv(own)};
    const py::tuple learnedDependence = py::make_tuple(dependence.rho, dependence.pairs);
    if (learnOnly)
        return py::dict("prior"_a = learned[0], "calibration"_a = learned[1], "dependence"_a = learnedDependence);
    // A well that failed in the library is fitted again alone, for its record.
    if (fleet::NeedsReplay(fits))
        WithLogRoute([&](fleet::LogRoute& log) { fleet::ExplainFailures(wells, run, &log, fits); });
    else
        fleet::ExplainFailures(wells, run, nullptr, fits);

    py::list problemList;
    for (const fleet::Problem& p : problems) problemList.append(ProblemTuple(p));
    std::vector<std::string> wellNames;
    std::vector<int64_t> failedRows;
    std::vector<std::vector<fleet::Cell>> segments, report, bands;
    for (size_t i = 0; i < wells.size(); ++i) {
        wellNames.push_back(wells[i].name);
        if (fits[i].status == 0) segments.push_back(fleet::SegmentCells(wells[i].name, fits[i].result));
        report.push_back(fleet::ReportCells(wells[i].name, fits[i]));
        if (horizon > 0) bands.push_back(fleet::HorizonCells(fits[i]));
        failedRows.push_back(fits[i].status == 0 ? -1 : fits[i].line - 1);
    }
    if (!totalsBy.empty() && !fatal) {
        py::gil_scoped_release release;
        totals = fleet::TotalsOfFits(wells, fits, groupOf, dependence, run.options.seed, run.threads);
    }
    return py::dict("problems"_a = problemList, "wells"_a = wellNames, "failed_rows"_a = failedRows,
                    "segments"_a = CellColumns(fleet::kSegmentColumns, segments),
                    "report"_a = CellColumns(fleet::kReportColumns, report),
                    "bands"_a = CellColumns(fleet::kHorizonColumns, bands), "prior"_a = learned[0],
                    "calibration"_a = learned[1], "totals"_a = TotalsDict(totals),
                    "dependence"_a = learnedDependence);
}

using Numbers = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Seconds = py::array_t<int64_t, py::array::c_style | py::array::forcecast>;

// The segment columns of fitted wells given as the report's columns: model
// names, curve starts and limit dates (seconds since 1970), and the numbers.
py::dict FittedSegments(const std::vector<std::string>& wells, const std::vector<std::string>& models,
                        const Seconds& starts, const Seconds& ends, const Numbers& qi, const Numbers& di,
                        const Numbers& b, const Numbers& dmin, const Numbers& tau, const Numbers& n)
{
    const size_t count = wells.size();
    for (size_t size : {models.size(), static_cast<size_t>(starts.size()), static_cast<size_t>(ends.size()),
                        static_cast<size_t>(qi.size()), static_cast<size_t>(di.size()), static_cast<size_t>(b.size()),
                        static_cast<size_t>(dmin.size()), static_cast<size_t>(tau.size()),
                        static_cast<size_t>(n.size())})
        if (size != count) throw py::value_error("the report's columns differ in length");
    std::vector<std::vector<fleet::Cell>> rows;
    for (size_t i = 0; i < count; ++i) {
        const std::optional<int32_t> model = fleet::FitModelOf(models[i]);
        Date start, end;
        if (!model || !DateFromEpochSeconds(starts.data()[i], start) || !DateFromEpochSeconds(ends.data()[i], end))
            throw py::value_error("report row " + std::to_string(i) + ": not a fitted well's model and dates");
        rows.push_back(fleet::SegmentCells(wells[i], *model, start, end, qi.data()[i], di.data()[i], b.data()[i],
                                           dmin.data()[i], tau.data()[i], n.data()[i]));
    }
    return CellColumns(fleet::kSegmentColumns, rows);
}

}  // namespace

void RegisterFit(py::module_& m)
{
    m.def("_fitted_segments", &FittedSegments, "wells"_a, "models"_a, "starts"_a, "ends"_a, "qi"_a, "di"_a, "b"_a,
          "dmin"_a, "tau"_a, "n"_a);
    m.def("_fit", &Fit, "names"_a, "columns"_a, "model"_a, "b_min"_a, "b_max"_a, "dmin"_a, "start"_a, "half_life"_a,
          "calendar"_a, "soft_l1"_a, "economic_limit"_a, "bootstrap"_a, "seed"_a, "threads"_a, "horizon"_a,
          "prior"_a, "calibration"_a, "no_prior"_a, "fleet_size"_a, "learn_only"_a, "header_names"_a,
          "header_columns"_a, "totals_by"_a, "rho"_a);
    m.def("_totals", &Totals, "wells"_a, "p90"_a, "p50"_a, "p10"_a, "problems"_a, "header_names"_a,
          "header_columns"_a, "by"_a, "rho"_a, "seed"_a, "threads"_a);
    m.def("_in_sample", [](const std::vector<std::string>& names, size_t fleetSize) {
        std::vector<bool> out;
        for (const std::string& n : names) out.push_back(fleet::InSample(n, fleetSize));
        return out;
    }, "names"_a, "fleet_size"_a);
}

}  // namespace qrvp::python
