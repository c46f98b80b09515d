// The table engines of qrvp behind DataFrame calls: the segment table in as
// columns of text (the same reading, solving and checks as `qrvp forecast`'s
// file), the forecast out as arrays, with no text in between.
#include "python/src/common.h"

#include "tools/qrvp/forecast.h"
#include "tools/qrvp/wells.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <thread>

namespace qrvp::python {

using namespace pybind11::literals;

namespace {

// A problem as Python sees it: (row, column, well, message, records,
// warning), row being the position in the columns (-1 for the header).
py::tuple ProblemTuple(const tool::Problem& p)
{
    std::vector<std::string> records;
    for (const tool::LogRecord& r : p.records)
        records.push_back(r.function.empty() ? r.text : r.function + " (source line " + r.line + "): " + r.message);
    return py::make_tuple(p.line - 1, p.columnName, p.well, p.message, records, p.warning);
}

// Header and rows as the engine's records: the header is line 0, the row at
// position r is line r + 1.
std::vector<tool::CsvRecord> Records(const std::vector<std::string>& names,
                                     const std::vector<std::vector<std::string>>& columns)
{
    if (names.size() != columns.size()) throw py::value_error("one column of text per name");
    const size_t rows = columns.empty() ? 0 : columns.front().size();
    for (const auto& c : columns)
        if (c.size() != rows) throw py::value_error("the columns differ in length");
    std::vector<tool::CsvRecord> records(rows + 1);
    records[0].line = 0;
    records[0].fields = names;
    for (size_t r = 0; r < rows; ++r) {
        records[r + 1].line = static_cast<int>(r + 1);
        records[r + 1].fields.reserve(columns.size());
        for (const auto& c : columns) records[r + 1].fields.push_back(c[r]);
    }
    return records;
}

py::dict Forecast(const std::vector<std::string>& names, const std::vector<std::vector<std::string>>& columns,
                  int months, unsigned threads)
{
    if (months < 0) throw py::value_error("months cannot be negative");
    if (columns.empty() || columns.front().size() >= static_cast<size_t>(std::numeric_limits<int>::max()))
        throw py::value_error("the table needs columns, and fewer rows than 2^31");
    const std::vector<tool::CsvRecord> records = Records(names, columns);
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    // More threads than wells, or than a machine runs at once, only cost.
    threads = static_cast<unsigned>(std::min<size_t>({threads, columns.front().size() + 1, 256}));

    std::vector<tool::Problem> problems;
    std::vector<tool::WellRows> table;
    std::vector<tool::Well> wells;
    std::vector<tool::WellForecast> results;
    tool::TableOptions options;
    options.months = months;
    tool::ForecastFormat format;
    format.keepValues = true;
    {
        py::gil_scoped_release release;
        table = tool::ReadRecords(records, problems);
        wells.resize(table.size());
        results.resize(table.size());
        tool::RunInOrder(
            table.size(), threads,
            [&](size_t i) {
                tool::Problem ignored;
                if (!tool::ResolveWell(table[i], options, nullptr, wells[i], ignored)) {
                    tool::WellForecast result;
                    result.failed = result.unresolved = true;
                    return result;
                }
                return tool::ForecastWell(wells[i], format);
            },
            [&](size_t i, tool::WellForecast& result) { results[i] = std::move(result); });
    }

    // A well that failed is taken again alone, its library records read back.
    py::list problemList;
    for (const tool::Problem& p : problems) problemList.append(ProblemTuple(p));
    for (size_t i = 0; i < table.size(); ++i) {
        if (!results[i].failed) continue;
        WithLogRoute([&](tool::LogRoute& log) {
            tool::Problem p;
            tool::Well well;
            if (!tool::ResolveWell(table[i], options, &log, well, p)) {
                problemList.append(ProblemTuple(p));
                return;
            }
            tool::ForecastFormat replay = format;
            replay.oneValueCalls = true;  // so the failing call and its records are the one-value calls'
            tool::WellForecast again = tool::ForecastWell(well, replay);
            p = tool::Problem{};
            p.line = again.failedLine;
            p.well = well.name;
            p.message = again.failed ? again.failedCall + " rejected a date inside the segment"
                                     : "a library call failed on one thread but not when repeated";
            p.records = log.Collect();
            problemList.append(ProblemTuple(p));
        });
    }

    size_t total = 0;
    for (const tool::WellForecast& r : results)
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
            for (const tool::ForecastValues& row : results[i].values) {
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
    for (const tool::WellRows& w : table) wellNames.push_back(w.name);
    return py::dict("wells"_a = wellNames, "well"_a = well, "date"_a = date, "rate"_a = rate,
                    "volume"_a = volume, "cumulative"_a = cumulative, "problems"_a = problemList);
}

}  // namespace

void RegisterFrames(py::module_& m)
{
    m.def("_forecast", &Forecast, "names"_a, "columns"_a, "months"_a, "threads"_a);
}

}  // namespace qrvp::python
