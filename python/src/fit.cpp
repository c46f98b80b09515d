// Fits of many wells' histories, as `qrvp fit` makes them: each well's
// monthly periods (the date opens a month that ends a calendar month later;
// producing days default to the whole month), sorted by date, fitted by
// FitDecline on worker threads.  The caller groups the rows into wells and
// turns the results into its tables.
#include "python/src/common.h"

#include "QRVPFit.h"
#include "tools/qrvp/text.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <optional>
#include <thread>

namespace qrvp::python {

using namespace pybind11::literals;

namespace {

struct WellRowsOf {
    std::vector<size_t> rows;  // positions in the caller's table, in date order
    std::vector<Date> starts, ends;
    std::vector<double> volumes, daysOn;
    std::string problem;       // set when the rows cannot be fitted as given
    int64_t problemRow = -1;
};

struct Outcome {
    int32_t status = -1;
    FitResult result{};
    std::string message;
    int64_t row = -1;
};

int32_t Model(const std::string& name)
{
    if (name == "best") return FIT_MODEL_BEST;
    if (name == "exponential" || name == "exp") return FIT_MODEL_EXPONENTIAL;
    if (name == "hyperbolic" || name == "arps") return FIT_MODEL_HYPERBOLIC;
    if (name == "stretched" || name == "sedm") return FIT_MODEL_STRETCHED;
    throw py::value_error("unknown model '" + name + "' (best, exponential, hyperbolic, stretched)");
}

Outcome FitOne(const WellRowsOf& w, FitOptions options, const std::optional<Date>& start)
{
    Outcome out;
    out.row = w.rows.empty() ? -1 : static_cast<int64_t>(w.rows.front());
    if (!w.problem.empty()) {
        out.message = w.problem;
        out.row = w.problemRow;
        return out;
    }
    if (start) {
        const auto at = std::lower_bound(w.starts.begin(), w.starts.end(), *start);
        if (at == w.starts.end()) {
            out.message = "no month on or after the fit start " + tool::FormatDate(*start);
            return out;
        }
        options.startIndex = static_cast<int32_t>(at - w.starts.begin());
    }
    if (w.starts.size() > 100000) {
        out.message = "more than 100000 months";
        return out;
    }
    out.status = FitDecline(static_cast<int32_t>(w.starts.size()), w.starts.data(), w.ends.data(), w.volumes.data(),
                            w.daysOn.data(), &options, &out.result, nullptr);
    return out;
}

py::dict Fit(const py::array_t<int64_t, py::array::c_style | py::array::forcecast>& wellCodes, size_t wellCount,
             const py::array_t<int64_t, py::array::c_style | py::array::forcecast>& seconds,
             const py::array_t<double, py::array::c_style | py::array::forcecast>& volumes,
             const py::array_t<double, py::array::c_style | py::array::forcecast>& daysOn, const std::string& model,
             double bMin, double bMax, double dminPercent, const py::object& start, const py::object& halfLife,
             bool calendar, bool softL1, double economicLimit, const py::object& bootstrap, uint64_t seed,
             unsigned threads)
{
    const auto n = static_cast<size_t>(wellCodes.size());
    if (static_cast<size_t>(seconds.size()) != n || static_cast<size_t>(volumes.size()) != n ||
        static_cast<size_t>(daysOn.size()) != n)
        throw py::value_error("the history's columns differ in length");
    FitOptions options;
    FitDefaults(&options);
    options.model = Model(model);
    options.bMin = bMin;
    options.bMax = bMax;
    options.Dmin = dminPercent / 100.0;
    options.producingTime = calendar ? 0 : 1;
    options.softL1 = softL1 ? 1 : 0;
    options.economicLimit = economicLimit;
    options.seed = seed;
    if (!halfLife.is_none()) options.halfLife = halfLife.cast<double>();
    if (!bootstrap.is_none()) options.bootstrap = bootstrap.cast<int32_t>();
    std::optional<Date> fitStart;
    if (!start.is_none()) fitStart = ToDate(start, "start");
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<size_t>({threads, std::max<size_t>(wellCount, 1), 256}));

    const int64_t* code = wellCodes.data();
    const int64_t* sec = seconds.data();
    const double* vol = volumes.data();
    const double* on = daysOn.data();
    std::vector<WellRowsOf> wells(wellCount);
    std::vector<Outcome> outcomes(wellCount);
    {
        py::gil_scoped_release release;
        for (size_t r = 0; r < n; ++r) {
            if (code[r] < 0 || static_cast<size_t>(code[r]) >= wellCount) continue;
            wells[static_cast<size_t>(code[r])].rows.push_back(r);
        }
        // Each well's periods in date order; two rows of one month are an error.
        for (WellRowsOf& w : wells) {
            std::vector<Date> starts(w.rows.size());
            for (size_t k = 0; k < w.rows.size(); ++k) DateFromEpochSeconds(sec[w.rows[k]], starts[k]);
            std::vector<size_t> order(w.rows.size());
            std::iota(order.begin(), order.end(), size_t{0});
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return starts[a] < starts[b]; });
            std::vector<size_t> rows;
            for (size_t k : order) {
                Date end = starts[k];
                end.AddMonths(1);
                if (!w.ends.empty() && starts[k] < w.ends.back()) {
                    w.problem = "its month " + tool::FormatDate(starts[k]) + " overlaps the month of row position " +
                                std::to_string(rows.back());
                    w.problemRow = static_cast<int64_t>(w.rows[k]);
                    break;
                }
                const double days = std::isnan(on[w.rows[k]]) ? end.DaySpan(starts[k]) : on[w.rows[k]];
                rows.push_back(w.rows[k]);
                w.starts.push_back(starts[k]);
                w.ends.push_back(end);
                w.volumes.push_back(vol[w.rows[k]]);
                w.daysOn.push_back(days);
            }
            w.rows.swap(rows);
        }
        std::atomic<size_t> next{0};
        auto worker = [&] {
            for (size_t i; (i = next.fetch_add(1)) < wells.size();) outcomes[i] = FitOne(wells[i], options, fitStart);
        };
        std::vector<std::thread> pool;
        for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
        worker();
        for (std::thread& t : pool) t.join();
    }

    // A well that failed in the library is fitted again alone, for its record;
    // the library names a period by its index, the message names its row.
    for (size_t i = 0; i < wells.size(); ++i) {
        Outcome& o = outcomes[i];
        if (o.status == 0 || !o.message.empty()) continue;
        const std::vector<std::string> records = RecordsOf([&] { FitOne(wells[i], options, fitStart); });
        o.message = records.empty() ? "the fit failed (no log record)" : records.front();
        const size_t colon = o.message.find("): ");
        if (!records.empty() && colon != std::string::npos) o.message.erase(0, colon + 3);
        while (!o.message.empty() && (o.message.back() == '\r' || o.message.back() == '\n')) o.message.pop_back();
        int period = -1;
        if (std::sscanf(o.message.c_str(), "period %d:", &period) == 1 && period >= 0 &&
            static_cast<size_t>(period) < wells[i].rows.size())
            o.row = static_cast<int64_t>(wells[i].rows[static_cast<size_t>(period)]);
    }

    const auto m = static_cast<py::ssize_t>(wellCount);
    py::array_t<int32_t> status(m), modelOut(m), periods(m), iterations(m), bootstrapUsed(m);
    py::array_t<int64_t> fitStartOut(m), curveStart(m), historyEnd(m), limitDate(m), row(m);
    const char* numberNames[] = {"qi", "di", "b", "dmin", "tau", "n", "se_qi", "se_di_or_tau", "se_b_or_n",
                                 "log_rmse", "aicc", "aicc_exponential", "aicc_hyperbolic", "aicc_stretched",
                                 "remaining", "p90", "p50", "p10"};
    constexpr size_t kNumbers = sizeof numberNames / sizeof numberNames[0];
    std::vector<py::array_t<double>> numbers;
    for (size_t k = 0; k < kNumbers; ++k) numbers.emplace_back(m);
    std::vector<std::string> messages(wellCount);
    for (size_t i = 0; i < wellCount; ++i) {
        const Outcome& o = outcomes[i];
        const FitResult& r = o.result;
        const FitCurve& c = r.curve;
        const auto j = static_cast<py::ssize_t>(i);
        status.mutable_at(j) = o.status;
        modelOut.mutable_at(j) = c.model;
        periods.mutable_at(j) = r.periodsUsed;
        iterations.mutable_at(j) = r.iterations;
        bootstrapUsed.mutable_at(j) = r.bootstrapUsed;
        fitStartOut.mutable_at(j) = EpochSeconds(r.fitStart);
        curveStart.mutable_at(j) = EpochSeconds(c.start);
        historyEnd.mutable_at(j) = EpochSeconds(r.historyEnd);
        limitDate.mutable_at(j) = EpochSeconds(r.limitDate);
        row.mutable_at(j) = o.row;
        const double values[kNumbers] = {c.Qi, c.Di, c.b, c.Dmin, c.tau, c.n, r.stdErr[0], r.stdErr[1], r.stdErr[2],
                                         r.logRmse, r.aicc, r.candidateAicc[0], r.candidateAicc[1],
                                         r.candidateAicc[2], r.remaining, r.p90, r.p50, r.p10};
        for (size_t k = 0; k < kNumbers; ++k) numbers[k].mutable_at(j) = values[k];
        messages[i] = o.message;
    }
    py::dict out("status"_a = status, "model"_a = modelOut, "periods_used"_a = periods, "iterations"_a = iterations,
                 "bootstrap_used"_a = bootstrapUsed, "fit_start"_a = fitStartOut, "curve_start"_a = curveStart,
                 "history_end"_a = historyEnd, "limit_date"_a = limitDate, "row"_a = row, "message"_a = messages);
    for (size_t k = 0; k < kNumbers; ++k) out[numberNames[k]] = numbers[k];
    return out;
}

}  // namespace

void RegisterFit(py::module_& m)
{
    m.def("_fit", &Fit, "well_codes"_a, "well_count"_a, "seconds"_a, "volumes"_a, "days_on"_a, "model"_a, "b_min"_a,
          "b_max"_a, "dmin"_a, "start"_a, "half_life"_a, "calendar"_a, "soft_l1"_a, "economic_limit"_a,
          "bootstrap"_a, "seed"_a, "threads"_a);
}

}  // namespace qrvp::python
