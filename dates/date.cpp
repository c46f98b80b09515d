#include "QRVPFuncs.h"
#include "dates/date_span.h"
#include "dates/day_number.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <type_traits>

static_assert(std::is_standard_layout_v<DateBase> && std::is_trivially_copyable_v<DateBase>);
static_assert(std::is_standard_layout_v<QRVDate> && std::is_trivially_copyable_v<QRVDate>);
static_assert(std::is_standard_layout_v<Date> && std::is_trivially_copyable_v<Date>);
static_assert(offsetof(DateBase, year) == 0 && offsetof(DateBase, month) == 4 &&
              offsetof(DateBase, day) == 6 && offsetof(DateBase, hour) == 8 &&
              offsetof(DateBase, minute) == 10 && offsetof(DateBase, second) == 12);

namespace {

using qrvp::dates::CivilFromDayNumber;
using qrvp::dates::DayNumber;
using qrvp::dates::MonthLength;

void SetNullDate(DateBase& d)
{
    d.year = 1799;
    d.month = 12;
    d.day = 31;
    d.hour = 0;
    d.minute = 0;
    d.second = 0;
}

// The validating rule: every field within its own range, read as unsigned;
// otherwise the whole record is the null date.
void SetValidated(DateBase& d, int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                  int32_t second)
{
    const auto u = [](int32_t v) { return static_cast<uint32_t>(v); };
    if (u(year) - 1800u > 1199u || u(month) - 1u > 11u || u(day) - 1u > 30u || u(hour) > 23u ||
        u(minute) > 59u || u(second) > 59u) {
        SetNullDate(d);
        return;
    }
    d.year = u(year);
    d.month = static_cast<uint16_t>(month);
    d.day = static_cast<uint16_t>(day);
    d.hour = static_cast<uint16_t>(hour);
    d.minute = static_cast<uint16_t>(minute);
    d.second = u(second);
}

// The year read as the signed 32-bit number that the day number works with, so
// that a year carried below zero by the arithmetic comes back unchanged.
int32_t SignedYear(const DateBase& d)
{
    return static_cast<int32_t>(d.year);
}

int32_t DayNumberOf(const DateBase& d)
{
    return DayNumber(SignedYear(d), d.month, d.day);
}

// The calendar date `days` after the record's, through the day number.
qrvp::dates::CivilDate MovedDate(const DateBase& d, int32_t days)
{
    return CivilFromDayNumber((qrvp::dates::Int32{DayNumberOf(d)} + days).v);
}

void MoveDays(DateBase& d, int32_t days)
{
    const auto c = MovedDate(d, days);
    d.year = static_cast<uint32_t>(c.year);
    d.month = static_cast<uint16_t>(c.month);
    d.day = static_cast<uint16_t>(c.day);
}

// Writes the date moved by whole days (`moved`, kept out of memory until the
// end) and adds s seconds (s >= 0; less than a day and a minute for a valid
// record) to the time of day, carrying at most one day, then applies a borrowed
// day and brings an over-long day back into its month.
void AddSecondsOfDay(DateBase& d, qrvp::dates::CivilDate moved, uint64_t s, bool borrow)
{
    // The carries minute + s / 60, hour + minute / 60 and day + hour / 24, each
    // followed by its remainder, are taken at once from the seconds counted
    // from the start of the day: for whole numbers (m + 60 h) / 60 is exactly
    // h + m / 60, so the results are the same, with one division in the chain
    // instead of three.  s is below 2^32 + 86400, so the total fits 64 bits
    // and the day carried fits 32.
    // (Quotients of a 32-bit total, the usual case, cost less.)
    const uint64_t total = s + 60 * uint64_t{d.minute} + 3600 * uint64_t{d.hour};
    int32_t minute = 0;
    int32_t hour = 0;
    int32_t carried = 0;
    const auto split = [&](auto t) {
        d.second = static_cast<uint32_t>(t % 60);
        minute = static_cast<int32_t>(t / 60 % 60);
        hour = static_cast<int32_t>(t / 3600 % 24);
        carried = static_cast<int32_t>(t / 86400);
    };
    if (total <= UINT32_MAX) {
        split(static_cast<uint32_t>(total));
    } else {
        split(total);
    }
    // The borrowed day is taken without a branch: its sign follows the input's
    // and cannot be predicted.
    int32_t day = static_cast<uint16_t>(moved.day) + carried - static_cast<int32_t>(borrow);
    int32_t month = static_cast<uint16_t>(moved.month);
    int32_t year = moved.year;
    if (day == 0 && borrow) {
        month -= 1;
        if (month == 0) {
            month = 12;
            year = (qrvp::dates::Int32{year} - 1).v;
        }
        day = MonthLength(year, month);
    }
    // No month is shorter than 28 days, so a day up to 28 needs no length.
    if (day > 28) {
        const int32_t length = MonthLength(year, month);
        if (day > length) {
            day -= length;
            month += 1;
            if (month == 13) {
                month = 1;
                year = (qrvp::dates::Int32{year} + 1).v;
            }
        }
    }
    d.year = static_cast<uint32_t>(year);
    d.month = static_cast<uint16_t>(month);
    d.day = static_cast<uint16_t>(day);
    d.hour = static_cast<uint16_t>(hour);
    d.minute = static_cast<uint16_t>(minute);
}

// A whole-day count beyond the 32-bit range is held at its nearest end.
constexpr int64_t kMaxWholeDays = std::numeric_limits<int32_t>::max();

int32_t ClampedDays(int64_t days)
{
    if (days > kMaxWholeDays) {
        return static_cast<int32_t>(kMaxWholeDays);
    }
    if (days < -kMaxWholeDays) {
        return static_cast<int32_t>(-kMaxWholeDays);
    }
    return static_cast<int32_t>(days);
}

}  // namespace

// ---------------------------------------------------------------------------
// QRVDate

QRVDate::QRVDate() : DateBase()
{
    SetNullDate(*this);
}

QRVDate::QRVDate(int32_t y, int32_t mo, int32_t d, int32_t h, int32_t mi, int32_t s) : DateBase()
{
    SetValidated(*this, y, mo, d, h, mi, s);
}

QRVDate::QRVDate(TIMESTAMP_STRUCT ts) : DateBase()
{
    SetValidated(*this, static_cast<int32_t>(ts.year), ts.month, ts.day, ts.hour, ts.minute, ts.second);
}

QRVDate::QRVDate(DATE_STRUCT ds) : DateBase()
{
    SetValidated(*this, static_cast<int32_t>(ds.year), ds.month, ds.day, 0, 0, 0);
}

QRVDate::QRVDate(const DateBase& other) : DateBase(other) {}

TIMESTAMP_STRUCT QRVDate::Date2TS() const
{
    TIMESTAMP_STRUCT ts{};
    ts.year = static_cast<decltype(ts.year)>(static_cast<uint16_t>(year));
    ts.month = month;
    ts.day = day;
    ts.hour = hour;
    ts.minute = minute;
    ts.second = static_cast<decltype(ts.second)>(static_cast<uint16_t>(second));
    ts.fraction = 0;
    return ts;
}

DATE_STRUCT QRVDate::Date2DS() const
{
    DATE_STRUCT ds{};
    ds.year = static_cast<decltype(ds.year)>(static_cast<uint16_t>(year));
    ds.month = month;
    ds.day = day;
    return ds;
}

void QRVDate::SetNull()
{
    SetNullDate(*this);
}

bool QRVDate::IsNull() const
{
    return year < 1800;
}

bool QRVDate::IsValid() const
{
    return !IsNull();
}

bool QRVDate::IsStartOfMonth() const
{
    return day == 1 && hour == 0 && minute == 0 && second == 0;
}

// ---------------------------------------------------------------------------
// Date

Date::Date() : DateBase()
{
    SetNullDate(*this);
}

Date::Date(int32_t y, int32_t mo, int32_t d, int32_t h, int32_t mi, int32_t s) : DateBase()
{
    SetValidated(*this, y, mo, d, h, mi, s);
}

Date::Date(const DateBase& other) : DateBase(other) {}

Date::Date(const QRVDate& other) : DateBase(other) {}

QRVDate Date::GetQRVDate() const
{
    return QRVDate(static_cast<const DateBase&>(*this));
}

int32_t Date::julianDay() const
{
    return DayNumberOf(*this);
}

int32_t Date::DaysInYear() const
{
    return IsLeapYear() ? 366 : 365;
}

bool Date::IsLeapYear() const
{
    return qrvp::dates::IsLeap(SignedYear(*this));
}

int32_t Date::DaysInMonth() const
{
    return MonthLength(SignedYear(*this), month);
}

void Date::FirstOfMonth()
{
    day = 1;
    Truncate();
}

Date Date::MonthStart() const
{
    return Date(static_cast<int32_t>(year), month, 1, 0, 0, 0);
}

Date Date::MonthEnd() const
{
    return Date(static_cast<int32_t>(year), month, DaysInMonth(), 0, 0, 0);
}

void Date::MidMonth()
{
    day = static_cast<uint16_t>(DaysInMonth() / 2 + 1);
    Truncate();
}

void Date::Truncate()
{
    hour = 0;
    minute = 0;
    second = 0;
}

void Date::AddDays(int32_t days)
{
    MoveDays(*this, days);
}

void Date::AddFracDay(double days)
{
    if (std::isnan(days)) {
        return;
    }
    // An amount of 2^31 days or more (infinities included) is held at the end
    // of the 32-bit whole-day range, so the truncation below is always
    // defined; anything smaller keeps its fraction.
    constexpr double kDayRange = 2147483648.0;
    if (days >= kDayRange) {
        days = static_cast<double>(kMaxWholeDays);
    } else if (days <= -kDayRange) {
        days = -static_cast<double>(kMaxWholeDays);
    }
    const auto whole = static_cast<int32_t>(days);
    const auto moved = MovedDate(*this, whole);
    double r = days - whole;
    const bool borrow = r < 0.0;
    r += static_cast<double>(borrow);
    // Truncated, never rounded: a fraction of a second is dropped.
    const auto s = static_cast<uint64_t>(static_cast<int64_t>(r * 86400.0 + static_cast<double>(second)));
    AddSecondsOfDay(*this, moved, s, borrow);
}

void Date::AddSeconds(long long seconds)
{
    const int64_t days = seconds / 86400;
    const int64_t rest = seconds - days * 86400;
    const auto moved = MovedDate(*this, ClampedDays(days));
    const bool borrow = rest < 0;
    AddSecondsOfDay(*this, moved, static_cast<uint64_t>(borrow ? 86400 + rest : rest) + second, borrow);
}

void Date::AddMonths(int32_t months)
{
    const int64_t q = months / 12;
    int64_t y = static_cast<int64_t>(year) + q;
    const int64_t m = static_cast<int64_t>(month) + (months - 12 * q);
    int64_t newMonth = m;
    if (m <= 0) {
        y -= 1;
        newMonth = m + 12;
    } else if (m > 12) {
        y += 1;
        newMonth = m - 12;
    }
    year = static_cast<uint32_t>(y);
    month = static_cast<uint16_t>(newMonth);
    const int32_t length = DaysInMonth();
    if (day > length) {
        day = static_cast<uint16_t>(length);
    }
}

double Date::DaySpan(Date other) const
{
    return qrvp::dates::SpanInDays(*this, other);
}

double Date::operator-(const Date& other) const
{
    return DaySpan(other);
}

int32_t Date::MonthsBetweenDates(const Date& other) const
{
    const int64_t months = (static_cast<int64_t>(year) - static_cast<int64_t>(other.year)) * 12 +
                           (static_cast<int64_t>(month) - static_cast<int64_t>(other.month));
    return static_cast<int32_t>(months);
}

// ---------------------------------------------------------------------------
// Free operators: lexicographic on the six stored fields.

namespace {

int CompareFields(const Date& a, const Date& b)
{
    const auto cmp = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    if (int c = cmp(a.year, b.year)) return c;
    if (int c = cmp(a.month, b.month)) return c;
    if (int c = cmp(a.day, b.day)) return c;
    if (int c = cmp(a.hour, b.hour)) return c;
    if (int c = cmp(a.minute, b.minute)) return c;
    return cmp(a.second, b.second);
}

}  // namespace

bool operator==(Date a, Date b) { return CompareFields(a, b) == 0; }
bool operator!=(Date a, Date b) { return !(a == b); }
bool operator<(Date a, Date b) { return CompareFields(a, b) < 0; }
bool operator<=(Date a, Date b) { return a < b || a == b; }
bool operator>(Date a, Date b) { return !(a <= b); }
bool operator>=(Date a, Date b) { return !(a < b); }

Date Min(Date a, Date b)
{
    return a < b ? a : b;
}

Date Max(Date a, Date b)
{
    return a <= b ? b : a;
}
