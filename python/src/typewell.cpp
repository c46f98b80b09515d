// The type well behind DataFrame calls, in two steps so that the first can
// run on Dask partitions: each well filled (its history read, its fit by the
// fleet run, its months aligned, normalised and filled with its forecast),
// then every filled well of the fleet gathered into the groups' type wells.
#include "python/src/common.h"
#include "python/src/tables.h"

#include "QRVPFit.h"
#include "fleet/fit_run.h"
#include "fleet/headers.h"
#include "fleet/history.h"
#include "fleet/typewell.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <thread>

namespace qrvp::python {

using namespace pybind11::literals;

namespace {

py::list Tuples(const std::vector<fleet::Problem>& problems, size_t from, size_t to)
{
    py::list out;
    for (size_t i = from; i < to; ++i) out.append(ProblemTuple(problems[i]));
    return out;
}

fleet::TypeWellOptions OptionsOf(int32_t months, const std::string& align, const std::string& spread,
                                 size_t minWells)
{
    fleet::TypeWellOptions o;
    if (months < 1 || months > 1200) throw py::value_error("months must be 1 to 1200, not " + std::to_string(months));
    o.months = months;
    if (align != "first" && align != "peak") throw py::value_error("align must be 'first' or 'peak', not '" + align + "'");
    o.align = align == "peak" ? fleet::Align::Peak : fleet::Align::FirstProduction;
    if (spread != "cumulative" && spread != "rate")
        throw py::value_error("spread must be 'cumulative' or 'rate', not '" + spread + "'");
    o.spread = spread == "rate" ? fleet::Spread::Rate : fleet::Spread::Cumulative;
    o.minWells = std::max<size_t>(minWells, 1);
    return o;
}

// {"history_problems", "header_problems", "fatal", "wells", "groups", "used",
// "factors", "history_months", "first" and "history_end" (seconds), "volumes" (wells x months),
// "problems" (why a well is not filled, "" when it is)}.
py::dict Fill(const std::vector<std::string>& names, const std::vector<std::vector<std::string>>& columns,
              const py::object& headerNames, const py::object& headerColumns, const std::string& by,
              const std::string& per, double perUnit, int32_t months, const std::string& align,
              const std::string& model, const py::object& prior, const py::object& calibration, size_t fleetSize,
              unsigned threads)
{
    const fleet::TypeWellOptions options = OptionsOf(months, align, "cumulative", 1);
    fleet::FitRun run;
    FitDefaults(&run.options);
    if (!model.empty()) {
        const std::optional<int32_t> chosen = fleet::FitModelOf(model);
        if (!chosen) throw py::value_error("unknown model '" + model + "' (" + fleet::kFitModelNames + ")");
        run.options.model = *chosen;
    }
    run.threads = std::min(threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : threads, 256u);
    ReadEvidenceFiles(prior, calibration, run);
    const std::vector<fleet::CsvRecord> records = Records(names, columns);
    std::vector<fleet::CsvRecord> headerRecords;
    const bool withHeaders = !headerNames.is_none();
    if (withHeaders)
        headerRecords = Records(headerNames.cast<std::vector<std::string>>(),
                                headerColumns.cast<std::vector<std::vector<std::string>>>());
    std::vector<fleet::Problem> problems;
    std::vector<fleet::History> wells;
    fleet::Headers headers;
    fleet::WellKeys keys;
    std::vector<fleet::FilledWell> filled;
    std::vector<fleet::WellFit> fits;
    size_t historyProblems = 0;
    bool fatal = false;
    {
        py::gil_scoped_release release;
        wells = fleet::ReadHistory(records, problems);
        historyProblems = problems.size();
        if (withHeaders) fleet::ReadHeaders(headerRecords, headers, problems);
        fatal = std::any_of(problems.begin(), problems.end(), [](const fleet::Problem& p) { return p.fatal; });
        std::vector<std::string> wellNames;
        for (const fleet::History& w : wells) wellNames.push_back(w.name);
        if (!fatal)
            fatal = !fleet::KeysOf(withHeaders ? &headers : nullptr, wellNames, by, per, perUnit, keys, problems);
        if (!fatal) {
            fleet::PrepareRun(wells, run, !prior.is_none(), !calibration.is_none(), fleetSize);
            fits = fleet::RunFits(wells, run);
        }
    }
    if (!fatal) {
        // A well that failed in the library is fitted again alone, for its record.
        if (fleet::NeedsReplay(fits))
            WithLogRoute([&](fleet::LogRoute& log) { fleet::ExplainFailures(wells, run, &log, fits); });
        py::gil_scoped_release release;
        filled = fleet::FillWells(wells, fits, run.calibration, options, keys.factors, run.threads);
    }
    py::dict out("history_problems"_a = Tuples(problems, 0, historyProblems),
                 "header_problems"_a = Tuples(problems, historyProblems, problems.size()), "fatal"_a = fatal);
    if (fatal) return out;
    const auto n = static_cast<py::ssize_t>(wells.size());
    py::array_t<double> volumes({n, static_cast<py::ssize_t>(months)});
    py::array_t<int32_t> historyMonths(n);
    py::array_t<int64_t> first(n), historyEnd(n);
    std::vector<std::string> wellNames, why;
    std::fill(volumes.mutable_data(), volumes.mutable_data() + volumes.size(), 0.0);
    for (size_t i = 0; i < wells.size(); ++i) {
        wellNames.push_back(wells[i].name);
        why.push_back(filled[i].problem);
        historyMonths.mutable_data()[i] = filled[i].historyMonths;
        first.mutable_data()[i] = filled[i].problem.empty() ? EpochSeconds(filled[i].first) : 0;
        historyEnd.mutable_data()[i] = wells[i].ends.empty() ? 0 : EpochSeconds(wells[i].ends.back());
        std::copy(filled[i].volumes.begin(), filled[i].volumes.end(), volumes.mutable_data() + i * static_cast<size_t>(months));
    }
    out["wells"] = wellNames;
    out["groups"] = keys.groups;
    out["used"] = std::vector<bool>(keys.used.begin(), keys.used.end());
    out["factors"] = keys.factors;
    out["history_months"] = historyMonths;
    out["first"] = first;
    out["history_end"] = historyEnd;
    out["volumes"] = volumes;
    out["problems"] = why;
    return out;
}

using Numbers = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Whole = py::array_t<int32_t, py::array::c_style | py::array::forcecast>;

// {"profile", "summary", "segments": columns; "problems": the groups with no type well}.
py::dict Build(const std::vector<std::string>& wells, const std::vector<std::string>& groups, const Numbers& volumes,
               const Whole& historyMonths, const Whole& firstMonths, const std::string& spread, size_t minWells,
               double recency, const py::object& start)
{
    const size_t n = wells.size();
    if (groups.size() != n || static_cast<size_t>(historyMonths.size()) != n ||
        static_cast<size_t>(firstMonths.size()) != n || volumes.ndim() != 2 ||
        static_cast<size_t>(volumes.shape(0)) != n)
        throw py::value_error("the filled wells' columns differ in length");
    const auto months = static_cast<int32_t>(volumes.shape(1));
    fleet::TypeWellOptions options = OptionsOf(months, "first", spread, minWells);
    if (!(recency >= 0.0) || !std::isfinite(recency)) throw py::value_error("recency must be 0 or more years");
    options.recencyYears = recency;
    const Date at = ToDate(start, "start");
    std::vector<fleet::FilledWell> filled(n);
    fleet::WellKeys keys;
    keys.groups = groups;
    keys.used.assign(n, true);
    keys.factors.assign(n, 1.0);
    for (size_t i = 0; i < n; ++i) {
        filled[i].volumes.assign(volumes.data() + i * static_cast<size_t>(months),
                                 volumes.data() + (i + 1) * static_cast<size_t>(months));
        filled[i].historyMonths = historyMonths.data()[i];
        // year * 12 + month - 1 of the aligned month: all the weights need.
        const int32_t m = std::max(firstMonths.data()[i], 0);
        filled[i].first = Date{};
        filled[i].first.year = static_cast<decltype(filled[i].first.year)>(m / 12);
        filled[i].first.month = static_cast<decltype(filled[i].first.month)>(m % 12 + 1);
        filled[i].first.day = 1;
    }
    std::vector<fleet::TypeWell> types;
    {
        py::gil_scoped_release release;
        types = fleet::BuildTypeWells(filled, keys, options, at);
    }
    std::vector<std::vector<fleet::Cell>> profile, summary, segments;
    std::vector<std::string> problems;
    for (const fleet::TypeWell& t : types) {
        if (!t.problem.empty()) {
            problems.push_back(t.problem);
            continue;
        }
        for (auto& row : fleet::ProfileCells(t)) profile.push_back(std::move(row));
        summary.push_back(fleet::SummaryCells(t, wells));
        for (auto& row : fleet::TypeWellSegmentCells(t, at, months)) segments.push_back(std::move(row));
    }
    return py::dict("profile"_a = CellColumns(fleet::kTypeWellColumns, profile),
                    "summary"_a = CellColumns(fleet::kTypeWellSummaryColumns, summary),
                    "segments"_a = CellColumns(fleet::kSegmentColumns, segments), "problems"_a = problems);
}

}  // namespace

void RegisterTypeWell(py::module_& m)
{
    m.def("_typewell_fill", &Fill, "names"_a, "columns"_a, "header_names"_a, "header_columns"_a, "by"_a, "per"_a,
          "per_unit"_a, "months"_a, "align"_a, "model"_a, "prior"_a, "calibration"_a, "fleet_size"_a, "threads"_a);
    m.def("_typewell_build", &Build, "wells"_a, "groups"_a, "volumes"_a, "history_months"_a, "first_months"_a,
          "spread"_a, "min_wells"_a, "recency"_a, "start"_a);
}

}  // namespace qrvp::python
