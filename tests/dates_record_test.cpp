// The date record: validating constructors, the null date, the validity tests
// and the conversions to and from the ODBC records (the platform's own
// definitions when its headers are installed).
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string Text(const DateBase& d)
{
    char buf[80];
    std::snprintf(buf, sizeof buf, "%u-%u-%u %u:%u:%u", d.year, d.month, d.day, d.hour, d.minute, d.second);
    return buf;
}

bool SameBytes(const void* a, const void* b)
{
    return std::memcmp(a, b, 16) == 0;
}

const std::string kNull = "1799-12-31 0:0:0";

TEST(DatesRecord, OdbcRecordsComeFromThePlatformWhenInstalled)
{
#if defined(__has_include)
#  if __has_include(<sqltypes.h>) && !defined(_WIN32) && !defined(QRVP_NO_ODBC_HEADERS)
    EXPECT_EQ(QRVP_ODBC_FROM_PLATFORM, 1);
#  endif
#endif
    EXPECT_EQ(sizeof(TIMESTAMP_STRUCT), 16u);
    EXPECT_EQ(sizeof(DATE_STRUCT), 6u);
}

struct SixFields {
    int32_t y, mo, d, h, mi, s;
    const char* expected;
};

TEST(DatesRecord, ConstructorsCheckEachFieldAgainstItsOwnRange)
{
    const SixFields cases[] = {
        {2001, 2, 31, 0, 0, 0, "2001-2-31 0:0:0"},  // the day is not checked against its month
        {1800, 1, 1, 0, 0, 0, "1800-1-1 0:0:0"},
        {2999, 12, 31, 23, 59, 59, "2999-12-31 23:59:59"},
        {1799, 12, 31, 0, 0, 0, nullptr},
        {3000, 1, 1, 0, 0, 0, nullptr},
        {2000, 1, 1, 24, 0, 0, nullptr},
        {2000, 1, 1, 0, 0, -1, nullptr},
        {2000, 1, 1, 0, 60, 0, nullptr},
        {2000, 1, 1, 0, 0, 60, nullptr},
        {2000, 13, 1, 10, 20, 30, nullptr},  // the valid time is not kept
        {2000, 0, 1, 0, 0, 0, nullptr},
        {2000, 1, 0, 0, 0, 0, nullptr},
        {2000, 1, 32, 0, 0, 0, nullptr},
        {-2000, 1, 1, 0, 0, 0, nullptr},
        {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, nullptr},
        {2000, 65537, 1, 0, 0, 0, nullptr},  // not cut to 16 bits before the test
    };
    for (const auto& c : cases) {
        const std::string want = c.expected ? c.expected : kNull;
        EXPECT_EQ(Text(Date(c.y, c.mo, c.d, c.h, c.mi, c.s)), want) << c.y << "-" << c.mo << "-" << c.d;
        EXPECT_EQ(Text(QRVDate(c.y, c.mo, c.d, c.h, c.mi, c.s)), want);
        TIMESTAMP_STRUCT ts{};
        ts.year = static_cast<decltype(ts.year)>(c.y);
        ts.month = static_cast<decltype(ts.month)>(c.mo);
        ts.day = static_cast<decltype(ts.day)>(c.d);
        ts.hour = static_cast<decltype(ts.hour)>(c.h);
        ts.minute = static_cast<decltype(ts.minute)>(c.mi);
        ts.second = static_cast<decltype(ts.second)>(c.s);
        if (ts.year == c.y && ts.month == c.mo && ts.day == c.d && ts.hour == c.h && ts.minute == c.mi &&
            ts.second == c.s) {
            EXPECT_EQ(Text(QRVDate(ts)), want);
        }
    }
}

TEST(DatesRecord, OdbcConversionsDropTheFractionAndCutToSixteenBits)
{
    TIMESTAMP_STRUCT ts{2004, 2, 29, 13, 14, 15, 999999999};
    const QRVDate q(ts);
    EXPECT_EQ(Text(q), "2004-2-29 13:14:15");
    ts.fraction = 0;
    const TIMESTAMP_STRUCT back = q.Date2TS();
    EXPECT_EQ(std::memcmp(&back, &ts, sizeof ts), 0);
    ts.year = -2004;
    EXPECT_EQ(Text(QRVDate(ts)), kNull);

    const DATE_STRUCT ds{1999, 12, 31};
    EXPECT_EQ(Text(QRVDate(ds)), "1999-12-31 0:0:0");
    const DATE_STRUCT day = QRVDate(2000, 6, 15, 12, 30, 45).Date2DS();
    EXPECT_EQ(Text(QRVDate(day)), "2000-6-15 0:0:0");
    for (const DATE_STRUCT bad : {DATE_STRUCT{1999, 13, 1}, DATE_STRUCT{-1, 1, 1}}) {
        EXPECT_EQ(Text(QRVDate(bad)), kNull);
    }

    // The null date converts as it stands; other fields are cut, not checked.
    const TIMESTAMP_STRUCT null = QRVDate().Date2TS();
    const TIMESTAMP_STRUCT nullWant{1799, 12, 31, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&null, &nullWant, sizeof null), 0);
    const QRVDate odd(DateBase{0x12345u, 0, 99, 40, 70, 0x10005u});
    const TIMESTAMP_STRUCT cut = odd.Date2TS();
    EXPECT_EQ(static_cast<uint16_t>(cut.year), 0x2345);
    EXPECT_EQ((std::array<unsigned, 5>{cut.month, cut.day, cut.hour, cut.minute, cut.second}),
              (std::array<unsigned, 5>{0, 99, 40, 70, 5}));
    EXPECT_EQ(static_cast<uint16_t>(odd.Date2DS().year), 0x2345);
}

TEST(DatesRecord, DefaultIsTheNullDateAndValidityLooksAtTheYearOnly)
{
    EXPECT_EQ(Text(Date()), kNull);
    EXPECT_EQ(Text(QRVDate()), kNull);
    EXPECT_TRUE(QRVDate().IsNull());
    QRVDate d(2000, 1, 1, 0, 0, 0);
    EXPECT_TRUE(d.IsValid());
    EXPECT_FALSE(d.IsNull());
    d.SetNull();
    EXPECT_EQ(Text(d), kNull);
    EXPECT_FALSE(d.IsValid());

    const QRVDate late(DateBase{3000, 99, 99, 99, 99, 99});
    EXPECT_TRUE(late.IsValid());  // no upper bound
    const QRVDate early(DateBase{1799, 1, 1, 0, 0, 0});
    EXPECT_TRUE(early.IsNull());
    EXPECT_TRUE(QRVDate(DateBase{0, 1, 1, 0, 0, 0}).IsNull());
}

TEST(DatesRecord, StartOfMonthIsMidnightOfDayOne)
{
    EXPECT_TRUE(QRVDate(2000, 7, 1, 0, 0, 0).IsStartOfMonth());
    EXPECT_FALSE(QRVDate(2000, 7, 1, 0, 0, 1).IsStartOfMonth());
    EXPECT_FALSE(QRVDate(2000, 7, 2, 0, 0, 0).IsStartOfMonth());
    EXPECT_TRUE(QRVDate(DateBase{5, 77, 1, 0, 0, 0}).IsStartOfMonth());  // year and month not examined
}

TEST(DatesRecord, CopiesBetweenTheThreeTypesKeepAllSixteenBytes)
{
    const DateBase records[] = {
        Date(2001, 2, 31, 1, 2, 3), Date(), DateBase{0xFFFFFFFFu, 0xFFFF, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFFu},
        DateBase{3000, 13, 0, 24, 60, 60}};
    for (const DateBase& b : records) {
        const Date d(b);
        const QRVDate q = d.GetQRVDate();
        const Date back(q);
        const DateBase plain = back;
        QRVDate assigned;
        assigned = q;
        EXPECT_TRUE(SameBytes(&b, &d));
        EXPECT_TRUE(SameBytes(&b, &q));
        EXPECT_TRUE(SameBytes(&b, &back));
        EXPECT_TRUE(SameBytes(&b, &plain));
        EXPECT_TRUE(SameBytes(&b, &assigned));
        EXPECT_TRUE(SameBytes(&b, &static_cast<const DateBase&>(QRVDate(b))));
    }
}

}  // namespace
