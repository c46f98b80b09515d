// Day-number arithmetic of the date record: the Fliegel and Van Flandern
// formulas in signed 32-bit integers, with every division truncating toward
// zero and each product divided before the terms are summed.
//
// The formulas are written once and evaluated with Int32, a 32-bit integer
// whose addition, subtraction and multiplication wrap around modulo 2^32
// instead of overflowing, or, where every dividend is known to be
// non-negative, in unsigned 32-bit integers, which give the same quotients
// faster.  Within the calendar (and far beyond it) no intermediate comes near
// the 32-bit limits, so the results are those of plain 32-bit arithmetic; a
// record far outside the calendar (a copied year of four billion, a move by
// two billion days) yields the wrapped 32-bit result, which is harmless, and
// never undefined behaviour.
#ifndef QRVP_DATES_DAY_NUMBER_H
#define QRVP_DATES_DAY_NUMBER_H

#include <cstdint>

namespace qrvp::dates {

// A signed 32-bit integer with wrap-around arithmetic.
struct Int32 {
    int32_t v;
};

constexpr Int32 Wrapped(int64_t value)
{
    return {static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)))};
}

constexpr Int32 operator+(Int32 a, Int32 b) { return Wrapped(int64_t{a.v} + b.v); }
constexpr Int32 operator-(Int32 a, Int32 b) { return Wrapped(int64_t{a.v} - b.v); }
constexpr Int32 operator*(Int32 a, Int32 b) { return Wrapped(int64_t{a.v} * b.v); }
// Truncates toward zero.  The divisors are the formulas' positive constants;
// the one quotient that overflows, INT32_MIN / -1, wraps like the others.
constexpr Int32 operator/(Int32 a, Int32 b)
{
    return b.v == -1 ? Wrapped(-int64_t{a.v}) : Int32{a.v / b.v};
}

// Only the mixed forms the formulas write (constant * x, x + constant, ...).
constexpr Int32 operator+(Int32 a, int32_t b) { return a + Int32{b}; }
constexpr Int32 operator-(Int32 a, int32_t b) { return a - Int32{b}; }
constexpr Int32 operator*(int32_t a, Int32 b) { return Int32{a} * b; }
constexpr Int32 operator/(Int32 a, int32_t b) { return a / Int32{b}; }

struct CivilDate {
    int32_t year;
    int32_t month;
    int32_t day;
};

constexpr int32_t ToInt32(Int32 x) { return x.v; }
constexpr int32_t ToInt32(uint32_t x) { return static_cast<int32_t>(x); }

// The two formulas, written once for either integer type: Int32 (signed,
// wrapping) for any input, and uint32_t where every quotient is taken of a
// non-negative number below 2^32, which makes the unsigned quotient the same as
// the truncated signed one while it costs fewer instructions.  Additions,
// subtractions and products agree modulo 2^32 in both types.
template <class T>
constexpr T DayNumberFormula(T y, T m, T d, T a)
{
    return d - 32075 + 1461 * (y + 4800 + a) / 4 + 367 * (m - 2 - 12 * a) / 12 - 3 * ((y + 4900 + a) / 100) / 4;
}

template <class T>
constexpr CivilDate CivilFormula(T j)
{
    T l = j + 68569;
    const T n = 4 * l / 146097;
    l = l - (146097 * n + 3) / 4;
    const T i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    const T k = 80 * l / 2447;
    const T day = l - 2447 * k / 80;
    l = k / 11;
    const T month = k + 2 - 12 * l;
    const T year = 100 * (n - 49) + i + l;
    return {ToInt32(year), ToInt32(month), ToInt32(day)};
}

// Where the unsigned evaluation gives the signed results: a year from 0 to
// 1,400,000 with a month from 0 to 65535 (then a is -1 or more and every
// dividend is non-negative and below 2^31), and a day number from -68569 up to
// 2^29 - 68570 (then 4 * (j + 68569) stays below 2^31 and the later dividends
// are non-negative).  The tests check the two evaluations against each other
// over these ranges.
inline constexpr int32_t kUnsignedYearMax = 1400000;
inline constexpr int32_t kUnsignedDayNumberMin = -68569;
inline constexpr int32_t kUnsignedDayNumberMax = (1 << 29) - 68570;

// Julian Day Number of a calendar date; an over-long day counts on into the
// next month (February 31, 2001 is March 3, 2001).  Month 0 reads as December
// of the year before and month 13 as January of the year after.
constexpr int32_t DayNumber(int32_t year, int32_t month, int32_t day)
{
    // a is -1 for January and February and 0 for March to December (also for
    // months 0 and 13): no division for the months a record holds.
    const Int32 a = month >= 0 && month <= 13 ? Int32{-static_cast<int32_t>(month <= 2)} : (Int32{month} - 14) / 12;
    if (year >= 0 && year <= kUnsignedYearMax && month >= 0 && month <= 0xFFFF) {
        return ToInt32(DayNumberFormula<uint32_t>(static_cast<uint32_t>(year), static_cast<uint32_t>(month),
                                                  static_cast<uint32_t>(day), static_cast<uint32_t>(a.v)));
    }
    return DayNumberFormula<Int32>(Int32{year}, Int32{month}, Int32{day}, a).v;
}

// The calendar date of a day number (the inverse formula).
constexpr CivilDate CivilFromDayNumber(int32_t dayNumber)
{
    if (dayNumber >= kUnsignedDayNumberMin && dayNumber <= kUnsignedDayNumberMax) {
        return CivilFormula<uint32_t>(static_cast<uint32_t>(dayNumber));
    }
    return CivilFormula<Int32>(Int32{dayNumber});
}

// The Gregorian rule, evaluated whole (no early exit) so that it costs no
// branch.
constexpr bool IsLeap(int32_t year)
{
    return (year % 400 == 0) | ((year % 100 != 0) & (year % 4 == 0));
}

inline constexpr int32_t kMonthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Length of a month in its year.  A month outside 1..12 can only come from an
// unvalidated copy; it is given 31 days, which is also the length of the
// months that the day number reads month 0 and month 13 as.
constexpr int32_t MonthLength(int32_t year, int32_t month)
{
    if (month < 1 || month > 12) {
        return 31;
    }
    return kMonthLengths[month - 1] + static_cast<int32_t>((month == 2) & IsLeap(year));
}

static_assert(DayNumber(2000, 1, 1) == 2451545);
static_assert(DayNumber(1800, 1, 1) == 2378497);
static_assert(DayNumber(1799, 12, 31) == 2378496);
static_assert(DayNumber(2999, 12, 31) == 2816787);
static_assert(DayNumber(2001, 2, 31) == DayNumber(2001, 3, 3));
static_assert(DayNumber(2001, 0, 1) == DayNumber(2000, 12, 1));
static_assert(DayNumber(2000, 13, 1) == DayNumber(2001, 1, 1));
static_assert(CivilFromDayNumber(2451545).year == 2000 && CivilFromDayNumber(2451545).month == 1 &&
              CivilFromDayNumber(2451545).day == 1);

}  // namespace qrvp::dates

#endif
