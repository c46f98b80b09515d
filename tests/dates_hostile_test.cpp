// Date operations on input far outside the calendar: unvalidated copies with
// impossible fields, amounts beyond the 32-bit day range, NaN and infinities.
// Each gives the result its contract names, and none may trip the sanitizers.
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace {

class Probe : public Date {
public:
    using Date::Date;
    Probe(const Date& d) : Date(static_cast<const DateBase&>(d)) {}
    using Date::julianDay;
};

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
}

TEST(DatesHostile, ExtremeSecondCountsHoldTheirDaysAtTheRange)
{
    const Date start(2000, 6, 15, 12, 0, 0);
    // INT64_MIN is -106751991167300 days and -55808 seconds.
    Date low = start;
    low.AddSeconds(std::numeric_limits<long long>::min());
    Date lowWant = start;
    lowWant.AddDays(-kMaxDays);
    lowWant.AddSeconds(-55808);
    EXPECT_EQ(Text(low), Text(lowWant));

    Date high = start;
    high.AddSeconds(std::numeric_limits<long long>::max());
    Date highWant = start;
    highWant.AddDays(kMaxDays);
    highWant.AddSeconds(55807);
    EXPECT_EQ(Text(high), Text(highWant));
}

TEST(DatesHostile, YearsBelowZeroComeBackOnTheWayUp)
{
    const Date start(2000, 1, 1, 6, 0, 0);
    Date d = start;
    d.AddDays(-1000000);  // 738 BC in the proleptic calendar: year -738
    const std::chrono::year_month_day want{std::chrono::sys_days{std::chrono::year{2000} / 1 / 1} -
                                           std::chrono::days{1000000}};
    EXPECT_EQ(static_cast<int32_t>(d.year), int(want.year()));
    EXPECT_EQ(d.month, unsigned(want.month()));
    EXPECT_EQ(d.day, unsigned(want.day()));
    EXPECT_EQ(Probe(d).julianDay(), Probe(start).julianDay() - 1000000);
    EXPECT_TRUE(d.GetQRVDate().IsValid());  // read unsigned, the year is huge
    d.AddDays(1000000);
    EXPECT_EQ(Text(d), Text(start));

    // The formulas hold down to March 1 of the year -4800 (day number -32044).
    d.AddDays(-32044 - 2451545);
    EXPECT_EQ(static_cast<int32_t>(d.year), -4800);
    EXPECT_EQ(d.month, 3);
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(Probe(d).julianDay(), -32044);
    d.AddDays(32044 + 2451545);
    EXPECT_EQ(Text(d), Text(start));
}

TEST(DatesHostile, MonthsOutsideTheYearReadAsTheNeighbouringYears)
{
    EXPECT_EQ(Probe(Raw(2001, 0, 10)).julianDay(), Probe(Raw(2000, 12, 10)).julianDay());
    EXPECT_EQ(Probe(Raw(2000, 13, 10)).julianDay(), Probe(Raw(2001, 1, 10)).julianDay());
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
        sink += Probe(start).julianDay() + start.DaysInMonth() + start.DaysInYear() + start.MonthStart().day +
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
