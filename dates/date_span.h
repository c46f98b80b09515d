// The day span and the field-wise ordering of two records, inline, so that a
// calculation measuring time between its dates pays for the arithmetic alone.
// Date::DaySpan and the free operators give exactly these results.
#ifndef QRVP_DATES_DATE_SPAN_H
#define QRVP_DATES_DATE_SPAN_H

#include "QRVPFuncs.h"
#include "dates/day_number.h"

namespace qrvp::dates {

inline int32_t DayNumberOfRecord(const DateBase& d)
{
    return DayNumber(static_cast<int32_t>(d.year), d.month, d.day);
}

// `later` minus `earlier` in days, time of day included: each day number and
// each time field converted to a double before its subtraction.  This form
// takes the day numbers already at hand, for a caller measuring many dates
// from one.
inline double SpanFromDayNumbers(double laterDay, const DateBase& later, double earlierDay, const DateBase& earlier)
{
    const double days = laterDay - earlierDay;
    const double seconds =
        ((static_cast<double>(later.hour) - static_cast<double>(earlier.hour)) * 60.0 +
         (static_cast<double>(later.minute) - static_cast<double>(earlier.minute))) *
            60.0 +
        (static_cast<double>(later.second) - static_cast<double>(earlier.second));
    // Whole days apart at the same time of day (the usual case) need no
    // division: the fraction is then exactly zero.
    return seconds == 0.0 ? days : days + seconds / 86400.0;
}

// The same, each day number worked out from its record.
inline double SpanInDays(const DateBase& later, const DateBase& earlier)
{
    return SpanFromDayNumbers(static_cast<double>(DayNumberOfRecord(later)), later,
                              static_cast<double>(DayNumberOfRecord(earlier)), earlier);
}

// a < b on (year, month, day, hour, minute, second) as stored.
inline bool IsEarlier(const DateBase& a, const DateBase& b)
{
    if (a.year != b.year) return a.year < b.year;
    if (a.month != b.month) return a.month < b.month;
    if (a.day != b.day) return a.day < b.day;
    if (a.hour != b.hour) return a.hour < b.hour;
    if (a.minute != b.minute) return a.minute < b.minute;
    return a.second < b.second;
}

}  // namespace qrvp::dates

#endif
