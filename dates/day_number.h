// Day-number arithmetic of the date record: the Fliegel and Van Flandern
// formulas, with every division truncating toward zero and each product
// divided before the terms are summed.  The arithmetic is carried in 64 bits so
// that an unvalidated record can never overflow; within the calendar's range
// every intermediate fits 32 bits and the results are those of 32-bit
// arithmetic.
#ifndef QRVP_DATES_DAY_NUMBER_H
#define QRVP_DATES_DAY_NUMBER_H

#include <cstdint>

namespace qrvp::dates {

struct CivilDate {
    int64_t year;
    int64_t month;
    int64_t day;
};

// Julian Day Number of a calendar date; an over-long day counts on into the
// next month (February 31 is March 3 or 2).
constexpr int64_t DayNumber(int64_t year, int64_t month, int64_t day)
{
    const int64_t a = (month - 14) / 12;
    return day - 32075 + 1461 * (year + 4800 + a) / 4 + 367 * (month - 2 - 12 * a) / 12 -
           3 * ((year + 4900 + a) / 100) / 4;
}

// The calendar date of a day number (the inverse formula).
constexpr CivilDate CivilFromDayNumber(int64_t j)
{
    int64_t l = j + 68569;
    const int64_t n = 4 * l / 146097;
    l = l - (146097 * n + 3) / 4;
    const int64_t i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    const int64_t k = 80 * l / 2447;
    const int64_t day = l - 2447 * k / 80;
    l = k / 11;
    const int64_t month = k + 2 - 12 * l;
    const int64_t year = 100 * (n - 49) + i + l;
    return {year, month, day};
}

constexpr bool IsLeap(int64_t year)
{
    return year % 400 == 0 || (year % 100 != 0 && year % 4 == 0);
}

inline constexpr int32_t kMonthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Length of a month in its year.  A month outside 1..12 can only come from an
// unvalidated copy; it is given 31 days so that no table is read out of range.
constexpr int32_t MonthLength(int64_t year, int64_t month)
{
    if (month < 1 || month > 12) {
        return 31;
    }
    if (month == 2 && IsLeap(year)) {
        return 29;
    }
    return kMonthLengths[month - 1];
}

static_assert(DayNumber(2000, 1, 1) == 2451545);
static_assert(DayNumber(1800, 1, 1) == 2378497);
static_assert(DayNumber(1799, 12, 31) == 2378496);
static_assert(DayNumber(2999, 12, 31) == 2816787);
static_assert(DayNumber(2001, 2, 31) == DayNumber(2001, 3, 3));
static_assert(CivilFromDayNumber(2451545).year == 2000 && CivilFromDayNumber(2451545).month == 1 &&
              CivilFromDayNumber(2451545).day == 1);

}  // namespace qrvp::dates

#endif
