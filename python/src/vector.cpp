// Rates and cumulative volumes of one segment at many dates: one loop in C++
// per call, run without the GIL.  Each value is the one-value call's result
// for the same date (GetArpsQt and GetArpsVol2, GetLinTimQt and GetLinTimVol,
// GetSEDMQt and GetSEDMVol), as qrvp's forecast makes them; Arps segments go
// through the library's evaluator over arrays, which places the switch once.
#include "python/src/common.h"

#include "fleet/text.h"
#include "fleet/segments.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

namespace qrvp::python {

using namespace pybind11::literals;

namespace {

constexpr int64_t kNotATime = std::numeric_limits<int64_t>::min();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

enum class Quantity { Rate, Cumulative };

// The dates asked for: datetime64 ticks with their length in seconds (as a
// fraction mul/div), or years after the segment's start.
struct Times {
    const int64_t* ticks = nullptr;
    int64_t mul = 1;
    int64_t div = 1;
    const double* years = nullptr;
    size_t count = 0;
};

// The calendar day last converted: neighbouring dates mostly share one.
struct DayCache {
    int64_t day = std::numeric_limits<int64_t>::min();
    Date date;
};

// 1 when the element is missing (NaT, NaN years), 0 when `date` is set, -2
// when the date lies outside the years 1 to 9999.
int DateAt(const Times& t, size_t i, const Date& start, Date& date, DayCache& cache)
{
    if (t.ticks != nullptr) {
        const int64_t v = t.ticks[i];
        if (v == kNotATime) return 1;
        int64_t seconds = 0;
        if (t.mul != 1) {
            if (__builtin_mul_overflow(v, t.mul, &seconds)) return -2;
        } else {
            seconds = v / t.div - ((v % t.div) < 0 ? 1 : 0);
        }
        int64_t day = seconds / 86400, rest = seconds % 86400;
        if (rest < 0) {
            rest += 86400;
            --day;
        }
        if (day != cache.day) {
            if (!DateFromEpochSeconds(day * 86400, cache.date)) return -2;
            cache.day = day;
        }
        date = cache.date;
        date.hour = static_cast<uint16_t>(rest / 3600);
        date.minute = static_cast<uint16_t>(rest / 60 % 60);
        date.second = static_cast<uint32_t>(rest % 60);
        return 0;
    }
    const double y = t.years[i];
    if (std::isnan(y)) return 1;
    date = start;
    date.AddFracDay(y * 365.25);
    return 0;
}

int32_t Evaluate(const fleet::Segment& s, Quantity q, const Date& at, double* out)
{
    return q == Quantity::Rate ? fleet::SegmentRate(s, at, out) : fleet::SegmentCumulative(s, at, out);
}

fleet::Segment MakeSegment(const std::string& model, const Date& start, double qi, double di, double b, double dmin,
                          double tau, double n)
{
    fleet::Segment s;
    if (model == "arps")
        s.model = fleet::Model::Arps;
    else if (model == "lintime")
        s.model = fleet::Model::LinTime;
    else if (model == "sedm")
        s.model = fleet::Model::Sedm;
    else
        throw py::value_error("unknown model '" + model + "' (arps, lintime or sedm)");
    s.start = start;
    s.qi = qi;
    s.di = di;
    s.b = b;
    s.dmin = dmin;
    s.tau = tau;
    s.n = n;
    return s;
}

Times MakeTimes(const py::object& ticks, int64_t mul, int64_t div, const py::object& years, py::array& keep)
{
    Times t;
    if (mul < 1 || div < 1) throw py::value_error("a date unit needs a positive length");
    t.mul = mul;
    t.div = div;
    if (!ticks.is_none()) {
        auto a = py::array_t<int64_t, py::array::c_style>::ensure(ticks);
        if (!a) throw py::value_error("dates must be a datetime64 array");
        keep = a;
        t.ticks = a.data();
        t.count = static_cast<size_t>(a.size());
    } else {
        auto a = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(years);
        if (!a) throw py::value_error("years must be an array of numbers");
        keep = a;
        t.years = a.data();
        t.count = static_cast<size_t>(a.size());
    }
    return t;
}

std::string DescribeAt(const Times& t, size_t i, const Date& date)
{
    std::string text = "at[" + std::to_string(i) + "]";
    if (t.years != nullptr) text += " (" + fleet::FormatNumber(t.years[i]) + " years, " + fleet::FormatDate(date) + ")";
    else text += " (" + fleet::FormatDate(date) + ")";
    return text;
}

// The values at every date, NaN where the date is missing; a failure raises
// (the first in order, the rate asked before the volume) unless
// `nanOnError`, when it gives NaN too.  "both" gives the rates, then the
// volumes, in one array of twice the length.
py::array_t<double> Values(const std::string& model, const std::string& quantity, const py::object& ticks,
                           int64_t mul, int64_t div, const py::object& years, Date start, double qi, double di,
                           double b, double dmin, double tau, double n, bool nanOnError)
{
    const fleet::Segment segment = MakeSegment(model, start, qi, di, b, dmin, tau, n);
    if (quantity != "rate" && quantity != "cumulative" && quantity != "both")
        throw py::value_error("unknown quantity '" + quantity + "' (rate, cumulative or both)");
    py::array keep;
    const Times t = MakeTimes(ticks, mul, div, years, keep);
    const bool both = quantity == "both";
    py::array_t<double> result(static_cast<py::ssize_t>(both ? 2 * t.count : t.count));
    double* rates = quantity == "cumulative" ? nullptr : result.mutable_data();
    double* volumes = quantity == "rate" ? nullptr : result.mutable_data() + (both ? t.count : 0);
    size_t firstBad = t.count;
    int firstKind = 0;  // -2 a date out of range, -1 the rate failed, -3 the volume failed
    {
        py::gil_scoped_release release;
        // An Arps segment goes through the evaluator a block of dates at a
        // time (its switch placed once per block); a block where it fails, or
        // holds a missing date, is taken again one call at a time.
        constexpr size_t kBlock = 4096;
        DayCache cache;
        std::vector<Date> dates(segment.model == fleet::Model::Arps ? std::min(t.count, kBlock) : 0);
        for (size_t begin = 0; begin < t.count; begin += kBlock) {
            const size_t end = std::min(t.count, begin + kBlock);
            if (!dates.empty()) {
                bool usable = true;
                for (size_t i = begin; i < end && usable; ++i)
                    usable = DateAt(t, i, segment.start, dates[i - begin], cache) == 0;
                if (usable && GetArpsQtVolDates(segment.start, segment.qi, segment.di, segment.b, segment.dmin,
                                                dates.data(), end - begin, rates ? rates + begin : nullptr,
                                                volumes ? volumes + begin : nullptr) == 0)
                    continue;
            }
            for (size_t i = begin; i < end; ++i) {
                Date at;
                int kind = DateAt(t, i, segment.start, at, cache);
                if (kind == 0 && rates && Evaluate(segment, Quantity::Rate, at, rates + i) != 0) kind = -1;
                if (kind == 0 && volumes && Evaluate(segment, Quantity::Cumulative, at, volumes + i) != 0) kind = -3;
                if (kind == 0) continue;
                if (rates) rates[i] = kNaN;
                if (volumes) volumes[i] = kNaN;
                if (kind != 1 && firstBad == t.count) {
                    firstBad = i;
                    firstKind = kind;
                }
            }
        }
    }
    if (firstBad == t.count || nanOnError) return result;
    Date at;
    DayCache fresh;
    DateAt(t, firstBad, segment.start, at, fresh);
    if (firstKind == -2)
        throw py::value_error("at[" + std::to_string(firstBad) + "]: the date lies outside the years 1 to 9999");
    const Quantity q = firstKind == -1 ? Quantity::Rate : Quantity::Cumulative;
    const char* function = q == Quantity::Rate ? fleet::RateFunctionName(segment.model)
                                               : fleet::VolumeFunctionName(segment.model);
    Fail(function, [&] {
        double ignored = 0.0;
        return Evaluate(segment, q, at, &ignored);
    }, DescribeAt(t, firstBad, at));
}

// The floor to measure the package against: the same work in bare C++ over
// dates already built (one evaluator call over them all, or a loop of
// one-value calls), timed here; seconds per value.
double FloorLoop(const std::string& model, const std::string& quantity, const py::object& ticks, Date start,
                 double qi, double di, double b, double dmin, double tau, double n, int repeats, bool evaluator)
{
    const fleet::Segment segment = MakeSegment(model, start, qi, di, b, dmin, tau, n);
    const Quantity q = quantity == "rate" ? Quantity::Rate : Quantity::Cumulative;
    const bool both = quantity == "both";
    py::array keep;
    const Times t = MakeTimes(ticks, 1, 1, py::none(), keep);
    std::vector<Date> dates(t.count);
    for (size_t i = 0; i < t.count; ++i)
        if (DayCache cache; DateAt(t, i, start, dates[i], cache) != 0) throw py::value_error("the floor needs seconds within years 1..9999");
    std::vector<double> out(t.count), out2(t.count);
    double best = std::numeric_limits<double>::infinity();
    py::gil_scoped_release release;
    for (int r = 0; r < repeats; ++r) {
        const auto begin = std::chrono::steady_clock::now();
        if (evaluator && segment.model == fleet::Model::Arps)
            GetArpsQtVolDates(start, qi, di, b, dmin, dates.data(), dates.size(),
                              both || q == Quantity::Rate ? out.data() : nullptr,
                              both ? out2.data() : q == Quantity::Rate ? nullptr : out.data());
        else if (both)
            for (size_t i = 0; i < t.count; ++i) {
                Evaluate(segment, Quantity::Rate, dates[i], &out[i]);
                Evaluate(segment, Quantity::Cumulative, dates[i], &out2[i]);
            }
        else
            for (size_t i = 0; i < t.count; ++i) Evaluate(segment, q, dates[i], &out[i]);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        best = std::min(best, took.count());
    }
    return best / static_cast<double>(t.count == 0 ? 1 : t.count);
}

}  // namespace

void RegisterVector(py::module_& m)
{
    m.def("_values", &Values, "model"_a, "quantity"_a, "ticks"_a, "mul"_a, "div"_a, "years"_a, "start"_a, "qi"_a,
          "di"_a, "b"_a, "dmin"_a, "tau"_a, "n"_a, "nan_on_error"_a);
    m.def("_floor_loop", &FloorLoop, "model"_a, "quantity"_a, "seconds"_a, "start"_a, "qi"_a, "di"_a, "b"_a,
          "dmin"_a, "tau"_a, "n"_a, "repeats"_a, "evaluator"_a);
}

}  // namespace qrvp::python
