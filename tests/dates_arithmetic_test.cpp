// Date arithmetic: the day number and AddDays against std::chrono's civil
// calendar for every day the calendar allows, moves by fractional days and
// seconds against exact second counts, month arithmetic, the field-wise
// ordering, and input far outside the calendar (impossible fields, amounts
// beyond the 32-bit day range, NaN and infinities), where each operation
// gives the result its contract names and none may trip the sanitizers.
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <tuple>

namespace {

namespace chr = std::chrono;

// Opens the protected day number to the tests.
class Probe : public Date {
public:
    using Date::Date;
    Probe(const Date& d) : Date(static_cast<const DateBase&>(d)) {}
    using Date::julianDay;
};

int32_t JulianDay(const Date& d)
{
    return Probe(d).julianDay();
}

std::string Text(const DateBase& d)
{
    char buf[80];
    std::snprintf(buf, sizeof buf, "%u-%02u-%02u %02u:%02u:%02u", d.year, d.month, d.day, d.hour, d.minute,
                  d.second);
    return buf;
}

Date Raw(uint32_t y, uint16_t mo, uint16_t d, uint16_t h = 0, uint16_t mi = 0, uint32_t s = 0)
{
    return Date(DateBase{y, mo, d, h, mi, s});
}

// Julian Day Number of 1970-01-01, the epoch of std::chrono's sys_days.
constexpr int32_t kUnixEpochDay = 2440588;

chr::year_month_day Ymd(const DateBase& d)
{
    return chr::year{static_cast<int>(static_cast<int32_t>(d.year))} / chr::month{d.month} / chr::day{d.day};
}

// Seconds since 1970 of a record, by std::chrono.
int64_t ChronoSeconds(const DateBase& d)
{
    const auto days = chr::sys_days{Ymd(d)}.time_since_epoch().count();
    return int64_t{days} * 86400 + d.hour * 3600 + d.minute * 60 + int64_t{d.second};
}

Date FromChronoSeconds(int64_t t)
{
    const chr::sys_seconds tp{chr::seconds{t}};
    const auto dp = chr::floor<chr::days>(tp);
    const chr::year_month_day ymd{dp};
    const chr::hh_mm_ss hms{tp - dp};
    return Raw(static_cast<uint32_t>(static_cast<int>(ymd.year())), static_cast<uint16_t>(unsigned(ymd.month())),
               static_cast<uint16_t>(unsigned(ymd.day())), static_cast<uint16_t>(hms.hours().count()),
               static_cast<uint16_t>(hms.minutes().count()), static_cast<uint32_t>(hms.seconds().count()));
}

TEST(DatesArithmetic, DayNumberAndAddDaysMatchTheCivilCalendarEveryDay)
{
    const chr::sys_days first = chr::year{1800} / 1 / 1;
    const chr::sys_days last = chr::year{2999} / 12 / 31;
    Date walker(1800, 1, 1, 7, 8, 9);
    std::mt19937 rng(42);
    std::uniform_int_distribution<int32_t> jump(-200000, 200000);
    for (chr::sys_days day = first; day <= last; day += chr::days{1}) {
        const chr::year_month_day ymd{day};
        const Date d(int(ymd.year()), int32_t(unsigned(ymd.month())), int32_t(unsigned(ymd.day())), 7, 8, 9);
        const auto oracle = static_cast<int32_t>(day.time_since_epoch().count() + kUnixEpochDay);
        ASSERT_EQ(JulianDay(d), oracle) << Text(d);
        ASSERT_EQ(Text(walker), Text(d));
        walker.AddDays(1);

        const int32_t k = jump(rng);
        Date moved = d;
        moved.AddDays(k);
        const chr::year_month_day want{day + chr::days{k}};
        ASSERT_EQ(Text(moved), Text(Raw(uint32_t(int(want.year())), uint16_t(unsigned(want.month())),
                                        uint16_t(unsigned(want.day())), 7, 8, 9)))
            << Text(d) << " + " << k;
    }
}

TEST(DatesArithmetic, CalendarFactsMatchTheCivilCalendar)
{
    for (int32_t y = 1800; y <= 2999; ++y) {
        Date d(y, 1, 1, 0, 0, 0);
        ASSERT_EQ(d.IsLeapYear(), chr::year{y}.is_leap()) << y;
        ASSERT_EQ(d.DaysInYear(), chr::year{y}.is_leap() ? 366 : 365);
        for (int32_t m = 1; m <= 12; ++m) {
            d = Date(y, m, 20, 13, 14, 15);
            const auto lastDay = unsigned(chr::year_month_day_last{chr::year{y} / m / chr::last}.day());
            ASSERT_EQ(d.DaysInMonth(), int32_t(lastDay));
            ASSERT_EQ(Text(d.MonthEnd()), Text(Raw(uint32_t(y), uint16_t(m), uint16_t(lastDay))));
            ASSERT_EQ(Text(d.MonthStart()), Text(Raw(uint32_t(y), uint16_t(m), 1)));
            ASSERT_EQ(Text(d), Text(Raw(uint32_t(y), uint16_t(m), 20, 13, 14, 15)));  // left unchanged
            // Days past the month's end count on into the next month.
            for (int32_t day = 28; day <= 31; ++day) {
                Date over(y, m, day, 5, 6, 7);
                over.AddDays(0);
                const chr::year_month_day want{chr::sys_days{chr::year{y} / m / 1} + chr::days{day - 1}};
                ASSERT_EQ(Text(over), Text(Raw(uint32_t(int(want.year())), uint16_t(unsigned(want.month())),
                                               uint16_t(unsigned(want.day())), 5, 6, 7)));
            }
        }
    }
}

struct Move {
    Date start;
    std::function<void(Date&)> op;
    const char* expected;
};

TEST(DatesArithmetic, MovesByDaysSecondsAndMonths)
{
    const Move cases[] = {
        {Date(2000, 2, 28, 10, 0, 0), [](Date& d) { d.AddDays(1); }, "2000-02-29 10:00:00"},
        {Date(2000, 3, 1, 0, 0, 0), [](Date& d) { d.AddDays(-1); }, "2000-02-29 00:00:00"},
        {Date(2001, 2, 31, 0, 0, 0), [](Date& d) { d.AddDays(0); }, "2001-03-03 00:00:00"},
        {Date(2000, 1, 31, 18, 0, 0), [](Date& d) { d.AddFracDay(0.5); }, "2000-02-01 06:00:00"},
        {Date(2000, 12, 31, 12, 0, 0), [](Date& d) { d.AddFracDay(1.5); }, "2001-01-02 00:00:00"},
        {Date(2000, 3, 1, 0, 0, 0), [](Date& d) { d.AddFracDay(-0.25); }, "2000-02-29 18:00:00"},
        {Date(2000, 1, 1, 0, 0, 0), [](Date& d) { d.AddFracDay(-1.5); }, "1999-12-30 12:00:00"},
        {Date(2000, 1, 1, 0, 0, 0), [](Date& d) { d.AddFracDay(0.9 / 86400); }, "2000-01-01 00:00:00"},
        {Date(2000, 1, 1, 0, 0, 0), [](Date& d) { d.AddFracDay(-0.1 / 86400); }, "1999-12-31 23:59:59"},
        {Date(2000, 1, 1, 0, 0, 0), [](Date& d) { d.AddFracDay(-0.0); }, "2000-01-01 00:00:00"},
        {Date(2001, 2, 31, 23, 0, 0), [](Date& d) { d.AddFracDay(0.5); }, "2001-03-04 11:00:00"},
        {Date(2000, 1, 1, 0, 0, 0), [](Date& d) { d.AddSeconds(-1); }, "1999-12-31 23:59:59"},
        {Date(2000, 1, 1, 0, 0, 0), [](Date& d) { d.AddSeconds(11); }, "2000-01-01 00:00:11"},
        {Date(2000, 1, 1, 0, 0, 0), [](Date& d) { d.AddSeconds(90061); }, "2000-01-02 01:01:01"},
        {Date(2000, 12, 31, 23, 59, 59), [](Date& d) { d.AddSeconds(1); }, "2001-01-01 00:00:00"},
        {Date(2001, 1, 31, 5, 0, 0), [](Date& d) { d.AddMonths(1); }, "2001-02-28 05:00:00"},
        {Date(2000, 1, 31, 0, 0, 0), [](Date& d) { d.AddMonths(1); }, "2000-02-29 00:00:00"},
        {Date(2001, 3, 31, 0, 0, 0), [](Date& d) { d.AddMonths(-1); }, "2001-02-28 00:00:00"},
        {Date(2001, 1, 15, 0, 0, 0), [](Date& d) { d.AddMonths(-13); }, "1999-12-15 00:00:00"},
        {Date(2000, 2, 29, 0, 0, 0), [](Date& d) { d.AddMonths(12); }, "2001-02-28 00:00:00"},
        {Date(2000, 12, 31, 0, 0, 0), [](Date& d) { d.AddMonths(-12); }, "1999-12-31 00:00:00"},
        {Date(2000, 1, 10, 0, 0, 0), [](Date& d) { d.AddMonths(-1); }, "1999-12-10 00:00:00"},
        {Date(2000, 2, 10, 9, 9, 9), [](Date& d) { d.MidMonth(); }, "2000-02-15 00:00:00"},
        {Date(2001, 2, 1, 0, 0, 0), [](Date& d) { d.MidMonth(); }, "2001-02-15 00:00:00"},
        {Date(2001, 1, 1, 0, 0, 0), [](Date& d) { d.MidMonth(); }, "2001-01-16 00:00:00"},
        {Date(2001, 4, 30, 0, 0, 0), [](Date& d) { d.MidMonth(); }, "2001-04-16 00:00:00"},
        {Date(2001, 4, 30, 1, 2, 3), [](Date& d) { d.FirstOfMonth(); }, "2001-04-01 00:00:00"},
        {Date(2001, 4, 30, 1, 2, 3), [](Date& d) { d.Truncate(); }, "2001-04-30 00:00:00"},
    };
    for (const auto& c : cases) {
        Date d = c.start;
        c.op(d);
        EXPECT_EQ(Text(d), c.expected) << "from " << Text(c.start);
    }
}

TEST(DatesArithmetic, DayNumbersSpansAndMonthCounts)
{
    EXPECT_EQ(JulianDay(Date(2000, 1, 1, 0, 0, 0)), 2451545);
    EXPECT_EQ(JulianDay(Date(1800, 1, 1, 0, 0, 0)), 2378497);
    EXPECT_EQ(JulianDay(Date()), 2378496);
    EXPECT_EQ(JulianDay(Date(2999, 12, 31, 0, 0, 0)), 2816787);

    const Date y2001(2001, 1, 1, 0, 0, 0);
    const Date y2000(2000, 1, 1, 0, 0, 0);
    EXPECT_EQ(y2001.DaySpan(y2000), 366.0);
    EXPECT_EQ(y2000.DaySpan(y2001), -366.0);
    const Date march(2000, 3, 1, 0, 0, 0);
    const Date febNoon(2000, 2, 28, 12, 0, 0);
    EXPECT_EQ(march.DaySpan(febNoon), 1.5);
    EXPECT_EQ(febNoon.DaySpan(march), -1.5);
    EXPECT_EQ(march - febNoon, 1.5);
    EXPECT_EQ(Date(2000, 1, 1, 0, 0, 1).DaySpan(Date(2000, 1, 1, 23, 59, 59)), -86398.0 / 86400.0);

    EXPECT_EQ(Date(2001, 3, 31, 0, 0, 0).MonthsBetweenDates(Date(2000, 12, 1, 0, 0, 0)), 3);
    EXPECT_EQ(Date(2000, 12, 1, 0, 0, 0).MonthsBetweenDates(Date(2001, 3, 31, 0, 0, 0)), -3);
}

Date RandomDate(std::mt19937_64& rng)
{
    std::uniform_int_distribution<int64_t> t(ChronoSeconds(Date(1800, 1, 1, 0, 0, 0)),
                                              ChronoSeconds(Date(2999, 12, 31, 23, 59, 59)));
    return FromChronoSeconds(t(rng));
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
        ASSERT_NEAR(moved.DaySpan(start), static_cast<double>(t) / 86400.0, 1e-9);
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
        const int64_t moveSeconds = ChronoSeconds(moved) - ChronoSeconds(start);
        const long double shortfall = static_cast<long double>(x) * 86400.0L - moveSeconds;
        ASSERT_GT(shortfall, -1e-6L) << Text(start) << " + " << x;
        ASSERT_LT(shortfall, 1.0L + 1e-6L) << Text(start) << " + " << x;
        ASSERT_LE(moved.hour, 23);
        ASSERT_LE(moved.minute, 59);
        ASSERT_LE(moved.second, 59u);

        // Back along the measured span: the start again, or one second short
        // of it where the span's fraction falls just below a whole second.
        const Date end = RandomDate(rng);
        Date back = start;
        back.AddFracDay(end.DaySpan(start));
        const int64_t miss = ChronoSeconds(end) - ChronoSeconds(back);
        ASSERT_TRUE(miss == 0 || miss == 1) << Text(start) << " to " << Text(end) << ": " << miss;
    }
}

TEST(DatesArithmetic, AddMonthsClampsTheDayToTheNewMonth)
{
    std::mt19937_64 rng(3);
    std::uniform_int_distribution<int32_t> months(-2400, 2400);
    for (int i = 0; i < 100000; ++i) {
        Date start = RandomDate(rng);
        if (i % 2 == 0) start.day = static_cast<uint16_t>(28 + i % 4);
        if (start.day > start.DaysInMonth()) start.day = static_cast<uint16_t>(start.DaysInMonth());
        const int32_t k = i % 5 == 0 ? months(rng) % 30 : months(rng);
        const chr::year_month ym = chr::year_month{Ymd(start).year(), Ymd(start).month()} + chr::months{k};
        const unsigned lastDay = unsigned(chr::year_month_day_last{ym / chr::last}.day());
        const unsigned wantDay = start.day < lastDay ? start.day : lastDay;
        Date moved = start;
        moved.AddMonths(k);
        ASSERT_EQ(Text(moved), Text(Raw(uint32_t(int(ym.year())), uint16_t(unsigned(ym.month())), uint16_t(wantDay),
                                        start.hour, start.minute, start.second)))
            << Text(start) << " + " << k;
        ASSERT_EQ(moved.MonthsBetweenDates(start), k);
    }
}

auto Key(const DateBase& d)
{
    return std::make_tuple(d.year, d.month, d.day, d.hour, d.minute, d.second);
}

TEST(DatesArithmetic, ComparisonsAreFieldWiseOnTheStoredValues)
{
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> f(0, 2);
    const auto pick = [&] {
        return Raw(uint32_t(1999 + f(rng)), uint16_t(1 + f(rng)), uint16_t(30 + f(rng)), uint16_t(f(rng)),
                   uint16_t(f(rng)), uint32_t(f(rng)) * 0x7FFFFFFFu);
    };
    for (int i = 0; i < 50000; ++i) {
        const Date a = pick();
        const Date b = pick();
        ASSERT_EQ(a == b, Key(a) == Key(b));
        ASSERT_EQ(a != b, Key(a) != Key(b));
        ASSERT_EQ(a < b, Key(a) < Key(b));
        ASSERT_EQ(a <= b, Key(a) <= Key(b));
        ASSERT_EQ(a > b, Key(a) > Key(b));
        ASSERT_EQ(a >= b, Key(a) >= Key(b));
        ASSERT_EQ(Key(Min(a, b)), std::min(Key(a), Key(b)));
        ASSERT_EQ(Key(Max(a, b)), std::max(Key(a), Key(b)));
    }
    // February 31 sorts before March 1 although its day number is later.
    const Date feb31(2001, 2, 31, 0, 0, 0);
    const Date mar1(2001, 3, 1, 0, 0, 0);
    EXPECT_LT(feb31, mar1);
    EXPECT_GT(feb31.DaySpan(mar1), 0.0);
}

TEST(DatesArithmetic, MonthStartAndMonthEndValidateTheirResult)
{
    const Date odd[] = {Raw(3000, 5, 5), Raw(1799, 5, 5), Raw(2000, 0, 5), Raw(2000, 13, 5),
                        Raw(0xFFFFFFFFu, 5, 5), Raw(2000, 0xFFFF, 5)};
    for (const Date& d : odd) {
        EXPECT_EQ(Text(d.MonthStart()), Text(Date())) << Text(d);
        EXPECT_EQ(Text(d.MonthEnd()), Text(Date())) << Text(d);
    }
    EXPECT_EQ(Text(Raw(2999, 2, 40, 30, 70, 99).MonthEnd()), "2999-02-28 00:00:00");
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int32_t kMaxDays = std::numeric_limits<int32_t>::max();

TEST(DatesHostile, NanLeavesTheDateAndHugeAmountsAreHeldAtTheDayRange)
{
    const Date start(2000, 6, 15, 12, 0, 0);
    Date d = start;
    d.AddFracDay(std::nan(""));
    EXPECT_EQ(Text(d), Text(start));

    Date up = start;
    up.AddDays(kMaxDays);
    Date down = start;
    down.AddDays(-kMaxDays);
    for (double x : {kInf, 1e308, 4294967296.0, 2147483648.0}) {
        Date a = start;
        a.AddFracDay(x);
        EXPECT_EQ(Text(a), Text(up)) << x;
        Date b = start;
        b.AddFracDay(-x);
        EXPECT_EQ(Text(b), Text(down)) << -x;
    }
    // Below 2^31 days the fraction still counts.
    Date a = start;
    a.AddFracDay(2147483647.5);
    Date want = start;
    want.AddFracDay(2147483647.0);
    EXPECT_NE(Text(a), Text(want));
    EXPECT_EQ(Text(a).substr(11), "00:00:00");

    // INT64_MIN seconds are -106751991167300 days and -55808 seconds.
    for (const long long t : {std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max()}) {
        Date moved = start;
        moved.AddSeconds(t);
        Date held = start;
        held.AddDays(t < 0 ? -kMaxDays : kMaxDays);
        held.AddSeconds(t < 0 ? -55808 : 55807);
        EXPECT_EQ(Text(moved), Text(held)) << t;
    }
}

TEST(DatesHostile, YearsBelowZeroComeBackOnTheWayUp)
{
    const Date start(2000, 1, 1, 6, 0, 0);
    Date d = start;
    d.AddDays(-1000000);  // 738 BC in the proleptic calendar: year -738
    const chr::year_month_day want{chr::sys_days{chr::year{2000} / 1 / 1} - chr::days{1000000}};
    EXPECT_EQ(Text(d), Text(Raw(uint32_t(int(want.year())), uint16_t(unsigned(want.month())),
                                uint16_t(unsigned(want.day())), 6)));
    EXPECT_EQ(JulianDay(d), JulianDay(start) - 1000000);
    EXPECT_TRUE(d.GetQRVDate().IsValid());  // read unsigned, the year is huge
    d.AddDays(1000000);
    EXPECT_EQ(Text(d), Text(start));

    // The formulas hold down to March 1 of the year -4800 (day number -32044).
    d.AddDays(-32044 - 2451545);
    EXPECT_EQ(Text(d), Text(Raw(uint32_t(-4800), 3, 1, 6)));
    EXPECT_EQ(JulianDay(d), -32044);
    d.AddDays(32044 + 2451545);
    EXPECT_EQ(Text(d), Text(start));
}

TEST(DatesHostile, MonthsOutsideTheYearReadAsTheNeighbouringYears)
{
    EXPECT_EQ(JulianDay(Raw(2001, 0, 10)), JulianDay(Raw(2000, 12, 10)));
    EXPECT_EQ(JulianDay(Raw(2000, 13, 10)), JulianDay(Raw(2001, 1, 10)));
    EXPECT_EQ(Raw(2000, 0, 10).DaysInMonth(), 31);
    EXPECT_EQ(Raw(2000, 13, 10).DaysInMonth(), 31);
    Date d = Raw(2001, 0, 10, 1, 2, 3);
    d.AddDays(0);
    EXPECT_EQ(Text(d), "2000-12-10 01:02:03");
    d = Raw(2000, 13, 31, 23, 59, 59);
    d.AddSeconds(1);  // through the day number: January 31, 2001 first
    EXPECT_EQ(Text(d), "2001-02-01 00:00:00");
}

// Every operation on every odd record: the sanitizers judge.
TEST(DatesHostile, EveryOperationOnImpossibleRecordsIsDefined)
{
    const Date odd[] = {
        Raw(0, 0, 0),
        Raw(0xFFFFFFFFu, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFFFFFFu),
        Raw(0x80000000u, 13, 31, 23, 59, 59),
        Raw(0x7FFFFFFFu, 12, 31, 23, 59, 59),
        Raw(2000, 0, 0, 24, 60, 60),
        Raw(2000, 2, 0xFFFF),
        Raw(1, 1, 1),
        Raw(2999, 12, 31, 23, 59, 59),
        Date(),
    };
    const double fracs[] = {0.0, -0.0, 1e-300, -1e-300, 0.5, -0.5, 1e6, -1e6, 2147483647.0, -2147483648.0,
                            1e308, -1e308, kInf, -kInf, std::nan("")};
    const long long secs[] = {0, 1, -1, 86399, -86400, std::numeric_limits<long long>::max(),
                              std::numeric_limits<long long>::min()};
    const int32_t ints[] = {0, 1, -1, 13, -13, std::numeric_limits<int32_t>::max(),
                            std::numeric_limits<int32_t>::min()};
    double sink = 0.0;
    for (const Date& start : odd) {
        for (const Date& other : odd) {
            sink += start.DaySpan(other) + (start - other) + start.MonthsBetweenDates(other);
            sink += (start < other) + (start <= other) + (start == other) + Min(start, other).day +
                    Max(start, other).day;
        }
        sink += JulianDay(start) + start.DaysInMonth() + start.DaysInYear() + start.MonthStart().day +
                start.MonthEnd().day;
        for (double x : fracs) {
            Date d = start;
            d.AddFracDay(x);
            sink += d.day;
        }
        for (long long t : secs) {
            Date d = start;
            d.AddSeconds(t);
            sink += d.day;
        }
        for (int32_t k : ints) {
            Date d = start;
            d.AddDays(k);
            d.AddMonths(k);
            d.MidMonth();
            sink += d.day;
        }
    }
    EXPECT_TRUE(std::isfinite(sink));
}

}  // namespace
