// The fit run behind DataFrame calls: the history in as columns of text (the
// same reading and checks as `qrvp fit`'s file), the fleet's fit run on
// worker threads, and the segment and report rows out as columns.
#include "python/src/common.h"
#include "python/src/tables.h"

#include "QRVPFit.h"
#include "fleet/fit_run.h"
#include "fleet/history.h"
#include "fleet/report.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
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

// {"problems": the table's, "wells": names, "segments": the fitted wells'
// segment columns, "report": every well's report columns}.
py::dict Fit(const std::vector<std::string>& names, const std::vector<std::vector<std::string>>& columns,
             const std::string& model, double bMin, double bMax, double dminPercent, const py::object& start,
             const py::object& halfLife, bool calendar, const py::object& softL1, double economicLimit,
             const py::object& bootstrap, uint64_t seed, unsigned threads, int32_t horizon, const py::object& prior,
             const py::object& calibration, bool noPrior, size_t fleetSize, bool learnOnly)
{
    fleet::FitRun run = RunOf(model, bMin, bMax, dminPercent, start, halfLife, calendar, softL1, economicLimit,
                              bootstrap, seed, threads);
    run.horizonMonths = horizon;
    const bool priorGiven = noPrior || !prior.is_none();
    if (noPrior) run.options.prior.strength = 0.0;
    std::string problem;
    if (!prior.is_none() && !fleet::ReadPrior(fleet::ReadCsv(prior.cast<std::string>()), run.options.prior, problem))
        throw py::value_error("prior: " + problem);
    if (!calibration.is_none() &&
        !fleet::ReadCalibration(fleet::ReadCsv(calibration.cast<std::string>()), run.calibration, problem))
        throw py::value_error("calibration: " + problem);
    const std::vector<fleet::CsvRecord> records = Records(names, columns);
    std::vector<fleet::Problem> problems;
    std::vector<fleet::History> wells;
    std::vector<fleet::WellFit> fits;
    {
        py::gil_scoped_release release;
        wells = fleet::ReadHistory(records, problems);
        fleet::PrepareRun(wells, run, priorGiven, !calibration.is_none(), fleetSize);
        if (!learnOnly) fits = fleet::RunFits(wells, run);
    }
    const FitCalibration builtIn = [] {
        FitCalibration c{};
        FitDefaultCalibration(&c);
        return c;
    }();
    const std::string learned[2] = {fleet::PriorCsv(run.options.prior),
                                    fleet::CalibrationCsv(run.calibration.size() ? run.calibration
                                                                                 : fleet::CopyOf(builtIn))};
    if (learnOnly) return py::dict("prior"_a = learned[0], "calibration"_a = learned[1]);
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
    return py::dict("problems"_a = problemList, "wells"_a = wellNames, "failed_rows"_a = failedRows,
                    "segments"_a = CellColumns(fleet::kSegmentColumns, segments),
                    "report"_a = CellColumns(fleet::kReportColumns, report),
                    "bands"_a = CellColumns(fleet::kHorizonColumns, bands), "prior"_a = learned[0],
                    "calibration"_a = learned[1]);
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
          "prior"_a, "calibration"_a, "no_prior"_a, "fleet_size"_a, "learn_only"_a);
    m.def("_in_sample", [](const std::vector<std::string>& names, size_t fleetSize) {
        std::vector<bool> out;
        for (const std::string& n : names) out.push_back(fleet::InSample(n, fleetSize));
        return out;
    }, "names"_a, "fleet_size"_a);
}

}  // namespace qrvp::python
