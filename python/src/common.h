// What the parts of the extension module share: the conversions between the
// library's 16-byte Date and Python's dates, and the way a calculation's
// failure (status -1) becomes a Python exception that carries the record the
// library wrote to its log.
#ifndef QRVP_PYTHON_COMMON_H
#define QRVP_PYTHON_COMMON_H

#include "QRVPFuncs.h"
#include "fleet/log_route.h"

#include <pybind11/pybind11.h>

#include <cstdint>
#include <functional>
#include <string>

namespace qrvp::python {

namespace py = pybind11;

// Days from 1970-01-01 to a proleptic Gregorian date, and back (the civil
// calendar algorithms over 400-year eras; exact for every int64 day whose
// year fits the result).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day);
void CivilFromDays(int64_t days, int64_t& year, int64_t& month, int64_t& day);

// Seconds since 1970-01-01 00:00:00 as a record, the time of day included.
// False, leaving `date` alone, when the year falls outside 1..9999 (where
// Python's own dates end).
bool DateFromEpochSeconds(int64_t seconds, Date& date);
// The record as seconds since 1970-01-01, its fields read as they stand (an
// over-long day counts on into the next month, as the library's day number
// does).
int64_t EpochSeconds(const Date& date);

// The module's exception for a calculation that returned -1, a subclass of
// ValueError; set up by RegisterErrors.
void RegisterErrors(py::module_& m);

// Runs `call`; on a status other than 0 raises LibraryError naming
// `function` with the message of the record the library wrote.  The call is
// made again, alone, with the log routed into a private file, so the record
// read back is this call's; it must therefore be free of side effects.  Needs
// the GIL.
[[noreturn]] void Fail(const char* function, const std::function<int32_t()>& call, const std::string& where);
template <typename Call>
void Check(const char* function, Call&& call)
{
    if (call() != 0) Fail(function, std::function<int32_t()>(call), "");
}

// The records the library writes while `call` runs on this thread, read back
// from the private log ("function (source line N): message" each).  Needs
// the GIL.
std::vector<std::string> RecordsOf(const std::function<void()>& call);

// Runs `body` with the library's log routed into a private file that holds
// nothing yet, one caller at a time (for the fleet's replays, which take a
// LogRoute of their own).  Needs the GIL.
void WithLogRoute(const std::function<void(fleet::LogRoute&)>& body);

// Results as Python objects.
inline double Out(double value) { return value; }
inline int32_t Out(int32_t value) { return value; }
py::object Out(const Date& date);
py::dict Out(const ArpsSegment& segment);

// A date argument: datetime.datetime, datetime.date, numpy.datetime64, a
// pandas Timestamp, "YYYY-MM-DD[THH:MM:SS]" or a tuple (year, month, day[,
// hour, minute, second]).  The fields are copied as they stand, so the
// library's own date checks apply; parts of a second are dropped.  Throws
// ValueError for what is no date.
Date ToDate(py::handle value, const char* what);

}  // namespace qrvp::python

namespace pybind11::detail {

template <>
struct type_caster<Date> {
    PYBIND11_TYPE_CASTER(Date, const_name("datetime"));
    bool load(handle src, bool)
    {
        if (src.is_none()) return false;
        value = qrvp::python::ToDate(src, "date");
        return true;
    }
    static handle cast(const Date& date, return_value_policy, handle)
    {
        return qrvp::python::Out(date).release();
    }
};

}  // namespace pybind11::detail

#endif
