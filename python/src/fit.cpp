// The fit run behind DataFrame calls: the history in as columns of text (the
// same reading and checks as `qrvp fit`'s file), the fleet's fit run on
// worker threads, and the segment and report rows out as columns.
#include "python/src/common.h"
#include "python/src/tables.h"

#include "QRVPFit.h"
#include "fleet/fit_run.h"
#include "fleet/history.h"
#include "fleet/report.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <thread>

namespace qrvp::python {

using namespace pybind11::literals;

namespace {

fleet::FitRun RunOf(const std::string& model, double bMin, double bMax, double dminPercent, const py::object& start,
                    const py::object& halfLife, bool calendar, bool softL1, double economicLimit,
                    const py::object& bootstrap, uint64_t seed, unsigned threads)
{
    fleet::FitRun run;
    FitOptions& options = run.options;
    FitDefaults(&options);
    const std::optional<int32_t> chosen = fleet::FitModelOf(model);
    if (!chosen) throw py::value_error("unknown model '" + model + "' (" + fleet::kFitModelNames + ")");
    options.model = *chosen;
    options.bMin = bMin;
    options.bMax = bMax;
    options.Dmin = dminPercent / 100.0;
    options.producingTime = calendar ? 0 : 1;
    options.softL1 = softL1 ? 1 : 0;
    options.economicLimit = economicLimit;
    options.seed = seed;
    if (!halfLife.is_none()) options.halfLife = halfLife.cast<double>();
    if (!bootstrap.is_none()) options.bootstrap = bootstrap.cast<int32_t>();
    if (!start.is_none()) run.start = ToDate(start, "start");
    run.threads = std::min(threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : threads, 256u);
    return run;
}

// {"problems": the table's, "wells": names, "segments": the fitted wells'
// segment columns, "report": every well's report columns}.
py::dict Fit(const std::vector<std::string>& names, const std::vector<std::vector<std::string>>& columns,
             const std::string& model, double bMin, double bMax, double dminPercent, const py::object& start,
             const py::object& halfLife, bool calendar, bool softL1, double economicLimit,
             const py::object& bootstrap, uint64_t seed, unsigned threads)
{
    const fleet::FitRun run = RunOf(model, bMin, bMax, dminPercent, start, halfLife, calendar, softL1,
                                    economicLimit, bootstrap, seed, threads);
    const std::vector<fleet::CsvRecord> records = Records(names, columns);
    std::vector<fleet::Problem> problems;
    std::vector<fleet::History> wells;
    std::vector<fleet::WellFit> fits;
    {
        py::gil_scoped_release release;
        wells = fleet::ReadHistory(records, problems);
        fits = fleet::RunFits(wells, run);
    }
    // A well that failed in the library is fitted again alone, for its record.
    if (fleet::NeedsReplay(fits))
        WithLogRoute([&](fleet::LogRoute& log) { fleet::ExplainFailures(wells, run, &log, fits); });
    else
        fleet::ExplainFailures(wells, run, nullptr, fits);

    py::list problemList;
    for (const fleet::Problem& p : problems) problemList.append(ProblemTuple(p));
    std::vector<std::string> wellNames;
    std::vector<int64_t> failedRows;
    std::vector<std::vector<fleet::Cell>> segments, report;
    for (size_t i = 0; i < wells.size(); ++i) {
        wellNames.push_back(wells[i].name);
        if (fits[i].status == 0) segments.push_back(fleet::SegmentCells(wells[i].name, fits[i].result));
        report.push_back(fleet::ReportCells(wells[i].name, fits[i]));
        failedRows.push_back(fits[i].status == 0 ? -1 : fits[i].line - 1);
    }
    return py::dict("problems"_a = problemList, "wells"_a = wellNames, "failed_rows"_a = failedRows,
                    "segments"_a = CellColumns(fleet::kSegmentColumns, segments),
                    "report"_a = CellColumns(fleet::kReportColumns, report));
}

}  // namespace

void RegisterFit(py::module_& m)
{
    m.def("_fit", &Fit, "names"_a, "columns"_a, "model"_a, "b_min"_a, "b_max"_a, "dmin"_a, "start"_a, "half_life"_a,
          "calendar"_a, "soft_l1"_a, "economic_limit"_a, "bootstrap"_a, "seed"_a, "threads"_a);
}

}  // namespace qrvp::python
