// Date arithmetic against std::chrono's civil calendar: the day number, the
// calendar facts and AddDays for every day the calendar allows, moves by
// seconds, fractional days and months against exact second counts, the
// field-wise ordering, and input far outside the calendar (impossible fields,
// amounts beyond the 32-bit day range, NaN and infinities), where each
// operation gives the result its contract names and none may trip the
// sanitizers.
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <tuple>

namespace {

namespace chr = std::chrono;

// Opens the protected day number to the tests.
struct Probe : Date {
    Probe(const Date& d) : Date(static_cast<const DateBase&>(d)) {}
    using Date::julianDay;
};

int32_t JulianDay(const Date& d) { return Probe(d).julianDay(); }

std::string Text(const DateBase& d)
{
    char buf[80];
    std::snprintf(buf, sizeof buf, "%u-%02u-%02u %02u:%02u:%02u", d.year, d.month, d.day, d.hour, d.minute, d.second);
    return buf;
}

Date Raw(uint32_t y, uint16_t mo, uint16_t d, uint16_t h = 0, uint16_t mi = 0, uint32_t s = 0)
{
    return Date(DateBase{y, mo, d, h, mi, s});
}

Date FromChrono(chr::sys_days day, uint16_t h = 0, uint16_t mi = 0, uint32_t s = 0)
{
    const chr::year_month_day ymd{day};
    return Raw(uint32_t(int(ymd.year())), uint16_t(unsigned(ymd.month())), uint16_t(unsigned(ymd.day())), h, mi, s);
}

chr::sys_days Days(const DateBase& d)
{
    return chr::year{static_cast<int>(static_cast<int32_t>(d.year))} / chr::month{d.month} / chr::day{d.day};
}

// Seconds since 1970 of a record, and back, by std::chrono.
int64_t ChronoSeconds(const DateBase& d)
{
    return int64_t{Days(d).time_since_epoch().count()} * 86400 + d.hour * 3600 + d.minute * 60 + int64_t{d.second};
}

Date FromChronoSeconds(int64_t t)
{
    const auto day = chr::floor<chr::days>(chr::sys_seconds{chr::seconds{t}});
    const int64_t s = t - int64_t{day.time_since_epoch().count()} * 86400;
    return FromChrono(day, uint16_t(s / 3600), uint16_t(s / 60 % 60), uint32_t(s % 60));
}

Date RandomDate(std::mt19937_64& rng)
{
    std::uniform_int_distribution<int64_t> t(ChronoSeconds(Raw(1800, 1, 1)), ChronoSeconds(Raw(2999, 12, 31, 23, 59, 59)));
    return FromChronoSeconds(t(rng));
}

TEST(DatesArithmetic, DayNumbersCalendarAndAddDaysMatchTheCivilCalendarEveryDay)
{
    constexpr int32_t kUnixEpochDay = 2440588;  // the Julian Day Number of 1970-01-01
    Date walker(1800, 1, 1, 7, 8, 9);
    std::mt19937 rng(42);
    std::uniform_int_distribution<int32_t> jump(-200000, 200000);
    for (chr::sys_days day = chr::year{1800} / 1 / 1; day <= chr::year{2999} / 12 / 31; day += chr::days{1}) {
        const Date d = FromChrono(day, 7, 8, 9);
        ASSERT_EQ(JulianDay(d), day.time_since_epoch().count() + kUnixEpochDay) << Text(d);
        ASSERT_EQ(Text(walker), Text(d));
        walker.AddDays(1);
        const int32_t k = jump(rng);
        Date moved = d;
        moved.AddDays(k);
        ASSERT_EQ(Text(moved), Text(FromChrono(day + chr::days{k}, 7, 8, 9))) << Text(d) << " + " << k;

        const chr::year_month_day ymd{day};
        const auto last = chr::year_month_day_last{ymd.year() / ymd.month() / chr::last};
        ASSERT_EQ(d.IsLeapYear(), ymd.year().is_leap());
        ASSERT_EQ(d.DaysInYear(), ymd.year().is_leap() ? 366 : 365);
        ASSERT_EQ(d.DaysInMonth(), int32_t(unsigned(last.day())));
        if (ymd.day() != chr::day{15}) continue;
        ASSERT_EQ(Text(d.MonthEnd()), Text(FromChrono(chr::sys_days{last})));
        ASSERT_EQ(Text(d.MonthStart()), Text(FromChrono(chr::sys_days{ymd.year() / ymd.month() / 1})));
        // Days past the month's end count on into the next month.
        for (uint16_t over = 29; over <= 31; ++over) {
            Date o = Raw(d.year, d.month, over, 5, 6, 7);
            o.AddDays(0);
            ASSERT_EQ(Text(o), Text(FromChrono(chr::sys_days{ymd.year() / ymd.month() / 1} + chr::days{over - 1}, 5, 6, 7)));
        }
    }
}

TEST(DatesArithmetic, AddSecondsAndDaySpanAgreeWithExactSecondCounts)
{
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<int64_t> offset(-int64_t{15000000000}, int64_t{15000000000});
    for (int i = 0; i < 200000; ++i) {
        const Date start = RandomDate(rng);
        const int64_t t = i % 4 == 0 ? offset(rng) % 200000 : offset(rng);
        Date moved = start;
        moved.AddSeconds(t);
        ASSERT_EQ(Text(moved), Text(FromChronoSeconds(ChronoSeconds(start) + t))) << Text(start) << " + " << t;
        ASSERT_EQ(std::llround(moved.DaySpan(start) * 86400.0), t);
        ASSERT_NEAR(moved - start, static_cast<double>(t) / 86400.0, 1e-9);
        moved.AddSeconds(-t);
        ASSERT_EQ(Text(moved), Text(start));
    }
}

TEST(DatesArithmetic, AddFracDayLandsOnTheWholeSecondAtOrBelowTheAmount)
{
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> amount(-150000.0, 150000.0);
    for (int i = 0; i < 200000; ++i) {
        const Date start = RandomDate(rng);
        const double x = i % 3 == 0 ? amount(rng) / 150000.0 : amount(rng);
        Date moved = start;
        moved.AddFracDay(x);
        const long double shortfall = static_cast<long double>(x) * 86400.0L - (ChronoSeconds(moved) - ChronoSeconds(start));
        ASSERT_TRUE(shortfall > -1e-6L && shortfall < 1.0L + 1e-6L) << Text(start) << " + " << x;
        ASSERT_TRUE(moved.hour <= 23 && moved.minute <= 59 && moved.second <= 59u) << Text(moved);
        // Back along the measured span: the start again, or one second short
        // of it where the span's fraction falls just below a whole second.
        const Date end = RandomDate(rng);
        Date back = start;
        back.AddFracDay(end.DaySpan(start));
        const int64_t miss = ChronoSeconds(end) - ChronoSeconds(back);
        ASSERT_TRUE(miss == 0 || miss == 1) << Text(start) << " to " << Text(end) << ": " << miss;
    }
    // A move below a second in size, either way, and one past an over-long day.
    const std::tuple<Date, double, const char*> small[] = {
        {Raw(2000, 1, 1), 0.9 / 86400, "2000-01-01 00:00:00"}, {Raw(2000, 1, 1), -0.1 / 86400, "1999-12-31 23:59:59"},
        {Raw(2000, 1, 1), -0.0, "2000-01-01 00:00:00"},        {Raw(2001, 2, 31, 23), 0.5, "2001-03-04 11:00:00"}};
    for (auto [d, x, want] : small) {
        d.AddFracDay(x);
        EXPECT_EQ(Text(d), want) << x;
    }
}

TEST(DatesArithmetic, AddMonthsClampsTheDayToTheNewMonth)
{
    std::mt19937_64 rng(3);
    std::uniform_int_distribution<int32_t> months(-2400, 2400);
    for (int i = 0; i < 100000; ++i) {
        Date start = RandomDate(rng);
        if (i % 2 == 0) start.day = static_cast<uint16_t>(std::min(28 + i % 4, start.DaysInMonth()));
        const int32_t k = i % 5 == 0 ? months(rng) % 30 : months(rng);
        const chr::year_month_day ymd{Days(start)};
        const chr::year_month ym = chr::year_month{ymd.year(), ymd.month()} + chr::months{k};
        const unsigned last = unsigned(chr::year_month_day_last{ym / chr::last}.day());
        Date moved = start;
        moved.AddMonths(k);
        ASSERT_EQ(Text(moved), Text(Raw(uint32_t(int(ym.year())), uint16_t(unsigned(ym.month())),
                                        uint16_t(std::min<unsigned>(start.day, last)), start.hour, start.minute,
                                        start.second)))
            << Text(start) << " + " << k;
        ASSERT_EQ(moved.MonthsBetweenDates(start), k);
    }
    // The middle of the month is the 15th of February, else the 16th; the
    // first of the month and the day's start are at midnight.
    const std::tuple<Date, void (Date::*)(), const char*> moves[] = {
        {Raw(2000, 2, 10, 9, 9, 9), &Date::MidMonth, "2000-02-15 00:00:00"},
        {Raw(2001, 4, 30), &Date::MidMonth, "2001-04-16 00:00:00"},
        {Raw(2001, 4, 30, 1, 2, 3), &Date::Truncate, "2001-04-30 00:00:00"}};
    for (auto [d, op, want] : moves) {
        (d.*op)();
        EXPECT_EQ(Text(d), want);
    }
}

TEST(DatesArithmetic, ComparisonsAreFieldWiseOnTheStoredValues)
{
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> f(0, 2);
    const auto pick = [&] {
        return Raw(uint32_t(1999 + f(rng)), uint16_t(1 + f(rng)), uint16_t(30 + f(rng)), uint16_t(f(rng)),
                   uint16_t(f(rng)), uint32_t(f(rng)) * 0x7FFFFFFFu);
    };
    const auto key = [](const DateBase& d) { return std::make_tuple(d.year, d.month, d.day, d.hour, d.minute, d.second); };
    for (int i = 0; i < 50000; ++i) {
        const Date a = pick(), b = pick();
        ASSERT_EQ(a == b, key(a) == key(b));
        ASSERT_EQ(a != b, key(a) != key(b));
        ASSERT_EQ(a < b, key(a) < key(b));
        ASSERT_EQ(a <= b, key(a) <= key(b));
        ASSERT_EQ(a > b, key(a) > key(b));
        ASSERT_EQ(a >= b, key(a) >= key(b));
        ASSERT_EQ(key(Min(a, b)), std::min(key(a), key(b)));
        ASSERT_EQ(key(Max(a, b)), std::max(key(a), key(b)));
    }
    // February 31 sorts before March 1 although its day number is later.
    EXPECT_LT(Raw(2001, 2, 31), Raw(2001, 3, 1));
    EXPECT_GT(Raw(2001, 2, 31).DaySpan(Raw(2001, 3, 1)), 0.0);
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int32_t kMaxDays = std::numeric_limits<int32_t>::max();

TEST(DatesHostile, OutOfRangeAmountsAndFields)
{
    const Date start(2000, 6, 15, 12, 0, 0);
    Date d = start;
    d.AddFracDay(std::nan(""));  // NaN leaves the date
    EXPECT_EQ(Text(d), Text(start));
    // Huge amounts are held at the 32-bit day range.
    Date up = start, down = start;
    up.AddDays(kMaxDays);
    down.AddDays(-kMaxDays);
    for (double x : {kInf, 1e308, 4294967296.0, 2147483648.0}) {
        Date a = start, b = start;
        a.AddFracDay(x);
        b.AddFracDay(-x);
        EXPECT_EQ(Text(a), Text(up)) << x;
        EXPECT_EQ(Text(b), Text(down)) << -x;
    }
    // Years below zero come back on the way up.
    d = start;
    d.AddDays(-1000000);
    EXPECT_EQ(Text(d), Text(FromChrono(Days(start) - chr::days{1000000}, 12)));
    EXPECT_TRUE(d.GetQRVDate().IsValid());  // read unsigned, the year is huge
    d.AddDays(1000000);
    EXPECT_EQ(Text(d), Text(start));
    // A record out of the calendar has no month start or end.
    EXPECT_EQ(Text(Raw(3000, 5, 5).MonthStart()), Text(Date()));
    EXPECT_EQ(Text(Raw(2000, 13, 5).MonthEnd()), Text(Date()));
    EXPECT_EQ(Text(Raw(2999, 2, 40, 30, 70, 99).MonthEnd()), "2999-02-28 00:00:00");
}

// Every operation on every odd record, with amounts at the ends of their
// ranges: the sanitizers judge.
TEST(DatesHostile, EveryOperationOnImpossibleRecordsIsDefined)
{
    const Date odd[] = {Raw(0, 0, 0), Raw(0xFFFFFFFFu, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFFFFFFu),
                        Raw(0x80000000u, 13, 31, 23, 59, 59), Raw(2000, 0, 0, 24, 60, 60), Raw(2000, 2, 0xFFFF), Date()};
    const int32_t ints[] = {0, -1, 13, kMaxDays, std::numeric_limits<int32_t>::min()};
    double sink = 0.0;
    for (const Date& start : odd) {
        for (const Date& other : odd) sink += start.DaySpan(other) + start.MonthsBetweenDates(other) + (start < other);
        sink += JulianDay(start) + start.DaysInMonth() + start.DaysInYear() + start.MonthStart().day + start.MonthEnd().day;
        for (int32_t k : ints) {
            Date d = start;
            d.AddDays(k);
            d.AddMonths(k);
            d.AddFracDay(k * 1e300);
            d.AddSeconds(int64_t{k} << 32);  // any count of seconds carries into a time of day
            ASSERT_TRUE(d.second < 60 && d.minute < 60 && d.hour < 24) << Text(start) << " " << k << ": " << Text(d);
            d.MidMonth();
            sink += d.day;
        }
    }
    EXPECT_TRUE(std::isfinite(sink));
}

}  // namespace
