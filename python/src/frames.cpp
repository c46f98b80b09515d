// The forecast run behind DataFrame calls: the segment table in as columns of
// text (the same reading, solving and checks as `qrvp forecast`'s file), the
// forecast out as arrays, with no text in between.
#include "python/src/common.h"
#include "python/src/tables.h"

#include "fleet/forecast_run.h"
#include "fleet/segments.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <thread>

namespace qrvp::python {

using namespace pybind11::literals;

namespace {

py::dict Forecast(const std::vector<std::string>& names, const std::vector<std::vector<std::string>>& columns,
                  int months, unsigned threads)
{
    if (months < 0) throw py::value_error("months cannot be negative");
    if (columns.empty() || columns.front().size() >= static_cast<size_t>(std::numeric_limits<int>::max()))
        throw py::value_error("the table needs columns, and fewer rows than 2^31");
    const std::vector<fleet::CsvRecord> records = Records(names, columns);
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    // More threads than wells, or than a machine runs at once, only cost.
    threads = static_cast<unsigned>(std::min<size_t>({threads, columns.front().size() + 1, 256}));

    std::vector<fleet::Problem> problems;
    std::vector<fleet::WellRows> table;
    std::vector<fleet::Well> wells;
    std::vector<fleet::WellForecast> results;
    std::vector<size_t> failed;
    fleet::TableOptions options;
    options.months = months;
    fleet::ForecastFormat format;
    format.keepValues = true;
    {
        py::gil_scoped_release release;
        table = fleet::ReadRecords(records, problems);
        results.resize(table.size());
        failed = fleet::RunForecast(table, options, format, threads, wells,
                                    [&](size_t i, fleet::WellForecast& result) { results[i] = std::move(result); });
    }
    for (size_t i : failed) results[i].failed = true;

    // A well that failed is taken again alone, its library records read back.
    if (!failed.empty()) {
        WithLogRoute([&](fleet::LogRoute& log) {
            for (fleet::Problem& p : fleet::ExplainForecastFailures(table, failed, options, format, log))
                problems.push_back(std::move(p));
        });
    }
    py::list problemList;
    for (const fleet::Problem& p : problems) problemList.append(ProblemTuple(p));

    size_t total = 0;
    for (const fleet::WellForecast& r : results)
        if (!r.failed) total += r.values.size();
    const auto n = static_cast<py::ssize_t>(total);
    py::array_t<int64_t> well(n), date(n);
    py::array_t<double> rate(n), volume(n), cumulative(n);
    {
        int64_t* w = well.mutable_data();
        int64_t* d = date.mutable_data();
        double* q = rate.mutable_data();
        double* v = volume.mutable_data();
        double* c = cumulative.mutable_data();
        py::gil_scoped_release release;
        size_t k = 0;
        for (size_t i = 0; i < results.size(); ++i) {
            if (results[i].failed) continue;
            for (const fleet::ForecastValues& row : results[i].values) {
                w[k] = static_cast<int64_t>(i);
                d[k] = EpochSeconds(row.month);
                q[k] = row.rate;
                v[k] = row.volume;
                c[k] = row.cumulative;
                ++k;
            }
        }
    }
    std::vector<std::string> wellNames;
    wellNames.reserve(table.size());
    for (const fleet::WellRows& w : table) wellNames.push_back(w.name);
    return py::dict("wells"_a = wellNames, "well"_a = well, "date"_a = date, "rate"_a = rate,
                    "volume"_a = volume, "cumulative"_a = cumulative, "problems"_a = problemList);
}

}  // namespace

void RegisterFrames(py::module_& m)
{
    m.def("_forecast", &Forecast, "names"_a, "columns"_a, "months"_a, "threads"_a);
}

}  // namespace qrvp::python
