// Internals of the fitting library shared by its files.
#ifndef QRVP_FIT_FIT_INTERNAL_H
#define QRVP_FIT_FIT_INTERNAL_H

#include "QRVPFit.h"

#include <cstdarg>
#include <cstdio>
#include <limits>
#include <string>

namespace qrvp::fit {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kDaysPerYear = 365.25;
constexpr double kDaysPerMonth = 30.4375;
// The fits' bound on an Arps decline, nominal per year: the flush months of a
// shale well decline faster than the library's solvers' cap of 36 (the
// curve's functions take any decline).
constexpr double kMaxDecline = 200.0;

// A prior's spread at or above which it leaves its parameter to the data
// (e^100 either way): such a prior does not stand in for it.
constexpr double kFreeSpread = 100.0;

// A failure on its way out: the source line and message of its record (none:
// line 0, which reads false).
struct Error {
    int line = 0;
    std::string message;
    explicit operator bool() const { return line != 0; }
};

// The failure at `line` with the message formatted here (at most 399 bytes).
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
inline Error Err(int line, const char* format, ...)
{
    char text[400];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return Error{line, text};
}

// Cumulative volume of the curve from its start to `at` (0 at or before the
// start) and its rate at `at`, by the library's functions; their status.
int32_t CurveCumulative(const FitCurve& curve, const Date& at, double* vol);
int32_t CurveRate(const FitCurve& curve, const Date& at, double* qt);

// The double nearest x (towards zero) that a percentage reads back as:
// (v * 100) / 100 == v.
double SnapPercent(double x);

// Writes one record (system 9, level 5) under `function` with the message
// formatted here, and returns -1.
#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
inline int32_t Fail(const wchar_t* function, int line, const char* format, ...)
{
    char narrow[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(narrow, sizeof narrow, format, args);
    va_end(args);
    wchar_t wide[512];
    size_t i = 0;
    for (; narrow[i] != '\0' && i + 1 < sizeof wide / sizeof wide[0]; ++i)
        wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(narrow[i]));
    wide[i] = L'\0';
    LogMsg(9, 5, 0, nullptr, function, line, wide);
    return -1;
}

}  // namespace qrvp::fit

#endif
