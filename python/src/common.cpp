#include "python/src/common.h"

#include "fleet/log_route.h"
#include "fleet/text.h"

#include <pybind11/stl.h>

#include <datetime.h>

#include <memory>
#include <mutex>

namespace qrvp::python {

int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t& year, int64_t& month, int64_t& day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

namespace {

// 0001-01-01 and 10000-01-01 in seconds since 1970.
constexpr int64_t kFirstSecond = -62135596800;
constexpr int64_t kPastLastSecond = 253402300800;

}  // namespace

bool DateFromEpochSeconds(int64_t seconds, Date& date)
{
    if (seconds < kFirstSecond || seconds >= kPastLastSecond) return false;
    int64_t days = seconds / 86400, rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int64_t y = 0, m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    date.year = static_cast<uint32_t>(y);
    date.month = static_cast<uint16_t>(m);
    date.day = static_cast<uint16_t>(d);
    date.hour = static_cast<uint16_t>(rest / 3600);
    date.minute = static_cast<uint16_t>(rest / 60 % 60);
    date.second = static_cast<uint32_t>(rest % 60);
    return true;
}

int64_t EpochSeconds(const Date& date)
{
    return DaysFromCivil(static_cast<int64_t>(date.year), date.month, date.day) * 86400 +
           static_cast<int64_t>(date.hour) * 3600 + static_cast<int64_t>(date.minute) * 60 + date.second;
}

namespace {

PyObject* g_libraryError = nullptr;

// The log routed into a private file from the first failure on, so that the
// record of a failing call can be read back; one failure is examined at a time.
std::mutex g_captureMutex;
std::unique_ptr<fleet::LogRoute> g_route;

// The thread field of a record line (the sixth).
std::string ThreadField(const std::string& line)
{
    size_t pos = 0;
    for (int i = 0; i < 5; ++i) {
        pos = line.find(',', pos);
        if (pos == std::string::npos) return {};
        ++pos;
    }
    const size_t end = line.find(',', pos);
    return line.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
}

}  // namespace

std::vector<std::string> RecordsOf(const std::function<void()>& call)
{
    const std::string thread = py::str(py::module_::import("threading").attr("get_native_id")());
    std::vector<fleet::LogRecord> records;
    {
        std::lock_guard lock(g_captureMutex);
        if (!g_route) g_route = std::make_unique<fleet::LogRoute>();
        g_route->Collect();  // what other calls left behind
        call();
        records = g_route->Collect();
    }
    std::vector<std::string> mine;
    for (const fleet::LogRecord& r : records) {
        if (ThreadField(r.text) != thread) continue;
        mine.push_back(r.function.empty() ? r.text : r.function + " (source line " + r.line + "): " + r.message);
    }
    return mine;
}

void WithLogRoute(const std::function<void(fleet::LogRoute&)>& body)
{
    std::lock_guard lock(g_captureMutex);
    if (!g_route) g_route = std::make_unique<fleet::LogRoute>();
    g_route->Collect();
    body(*g_route);
}

void Fail(const char* function, const std::function<int32_t()>& call, const std::string& where)
{
    int32_t status = 0;
    std::vector<std::string> records = RecordsOf([&] { status = call(); });
    std::string message = where.empty() ? std::string() : where + ": ";
    if (records.empty()) {
        message += std::string(function) + " failed without a log record";
    } else {
        // The message proper, after the routine's name and source line.
        const std::string& first = records.front();
        const size_t colon = first.find("): ");
        message += std::string(function) + ": " + (colon == std::string::npos ? first : first.substr(colon + 3));
    }
    if (status == 0) message += " (it failed once and succeeded when repeated)";
    py::object error = py::reinterpret_borrow<py::object>(g_libraryError)(message);
    error.attr("function") = function;
    error.attr("records") = py::cast(records);
    PyErr_SetObject(g_libraryError, error.ptr());
    throw py::error_already_set();
}

void RegisterErrors(py::module_& m)
{
    // Kept for the life of the process (a static Python object would be
    // released after the interpreter has gone).
    g_libraryError = PyErr_NewExceptionWithDoc(
        "qrvpfuncs.LibraryError",
        "A calculation of the library returned -1.  str(e) is the message of the record the library wrote; "
        "e.function names the calculation called, e.records lists every record it wrote "
        "(\"routine (source line N): message\").",
        PyExc_ValueError, nullptr);
    if (g_libraryError == nullptr) throw py::error_already_set();
    m.add_object("LibraryError", py::handle(g_libraryError).inc_ref());
    // At exit the private log is closed (waiting for its writer) and removed.
    py::module_::import("atexit").attr("register")(py::cpp_function([] {
        std::lock_guard lock(g_captureMutex);
        g_route.reset();
    }));
}

py::object Out(const Date& date)
{
    if (!PyDateTimeAPI) PyDateTime_IMPORT;
    PyObject* value = PyDateTime_FromDateAndTime(static_cast<int>(date.year), date.month, date.day, date.hour,
                                                 date.minute, static_cast<int>(date.second), 0);
    if (value != nullptr) return py::reinterpret_steal<py::object>(value);
    // A record that no Python date can hold (the library wrote it unchecked).
    PyErr_Clear();
    return py::make_tuple(date.year, date.month, date.day, date.hour, date.minute, date.second);
}

py::dict Out(const ArpsSegment& s)
{
    py::dict d;
    d["Qi"] = s.Qi;
    d["StartDate"] = Out(s.StartDate);
    d["Qf"] = s.Qf;
    d["EndDate"] = Out(s.EndDate);
    d["Di"] = s.Di;
    d["b"] = s.b;
    return d;
}

namespace {

template <typename T>
T Field(py::handle value, const char* what, int64_t low, int64_t high)
{
    const auto v = value.cast<int64_t>();
    if (v < low || v > high)
        throw py::value_error(std::string(what) + ": a date field " + std::to_string(v) + " is out of range");
    return static_cast<T>(v);
}

}  // namespace

Date ToDate(py::handle value, const char* what)
{
    if (!PyDateTimeAPI) PyDateTime_IMPORT;
    PyObject* o = value.ptr();
    Date date;
    if (PyDateTime_Check(o)) {
        if (!py::reinterpret_borrow<py::object>(value).attr("tzinfo").is_none())
            throw py::value_error(std::string(what) + ": the library's dates have no time zone; give a naive date");
        date.year = static_cast<uint32_t>(PyDateTime_GET_YEAR(o));
        date.month = static_cast<uint16_t>(PyDateTime_GET_MONTH(o));
        date.day = static_cast<uint16_t>(PyDateTime_GET_DAY(o));
        date.hour = static_cast<uint16_t>(PyDateTime_DATE_GET_HOUR(o));
        date.minute = static_cast<uint16_t>(PyDateTime_DATE_GET_MINUTE(o));
        date.second = static_cast<uint32_t>(PyDateTime_DATE_GET_SECOND(o));
        return date;
    }
    if (PyDate_Check(o)) {
        date.year = static_cast<uint32_t>(PyDateTime_GET_YEAR(o));
        date.month = static_cast<uint16_t>(PyDateTime_GET_MONTH(o));
        date.day = static_cast<uint16_t>(PyDateTime_GET_DAY(o));
        date.hour = date.minute = 0;
        date.second = 0;
        return date;
    }
    if (PyUnicode_Check(o)) {
        const std::string text = value.cast<std::string>();
        if (auto parsed = fleet::ParseRawDate(text)) return *parsed;
        throw py::value_error(std::string(what) + ": '" + text + "' is not a date (YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS)");
    }
    if (PyTuple_Check(o) || PyList_Check(o)) {
        py::sequence s = py::reinterpret_borrow<py::sequence>(value);
        if (s.size() < 3 || s.size() > 6)
            throw py::value_error(std::string(what) + ": a date tuple holds year, month, day[, hour, minute, second]");
        date.year = Field<uint32_t>(s[0], what, 0, 0xFFFFFFFFll);
        date.month = Field<uint16_t>(s[1], what, 0, 0xFFFF);
        date.day = Field<uint16_t>(s[2], what, 0, 0xFFFF);
        date.hour = s.size() > 3 ? Field<uint16_t>(s[3], what, 0, 0xFFFF) : uint16_t{0};
        date.minute = s.size() > 4 ? Field<uint16_t>(s[4], what, 0, 0xFFFF) : uint16_t{0};
        date.second = s.size() > 5 ? Field<uint32_t>(s[5], what, 0, 0xFFFFFFFFll) : 0u;
        return date;
    }
    py::module_ numpy = py::module_::import("numpy");
    if (py::isinstance(value, numpy.attr("datetime64"))) {
        py::object seconds = value.attr("astype")("datetime64[s]").attr("astype")("int64");
        if (py::bool_(numpy.attr("isnat")(value)))
            throw py::value_error(std::string(what) + ": NaT is no date");
        if (!DateFromEpochSeconds(seconds.cast<int64_t>(), date))
            throw py::value_error(std::string(what) + ": the date lies outside the years 1 to 9999");
        return date;
    }
    throw py::value_error(std::string(what) + ": expected a date (datetime, date, numpy.datetime64, "
                          "'YYYY-MM-DD' or a (year, month, day) tuple), got " +
                          std::string(py::str(value.get_type().attr("__name__"))));
}

}  // namespace qrvp::python
