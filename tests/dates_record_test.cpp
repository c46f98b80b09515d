// The date record: validating constructors and the conversions to and from the
// ODBC records (the platform's own definitions when its headers are installed,
// included first as a host would).
#if defined(__has_include) && !defined(_WIN32)
#  if __has_include(<sqltypes.h>)
#    include <sqltypes.h>
#  endif
#endif
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

std::string Text(const DateBase& d)
{
    char buf[80];
    std::snprintf(buf, sizeof buf, "%u-%u-%u %u:%u:%u", d.year, d.month, d.day, d.hour, d.minute, d.second);
    return buf;
}

const std::string kNull = "1799-12-31 0:0:0";

TEST(DatesRecord, ConstructorsCheckEachFieldAgainstItsOwnRange)
{
#if defined(__has_include)
#  if __has_include(<sqltypes.h>) && !defined(_WIN32) && !defined(QRVP_NO_ODBC_HEADERS)
    EXPECT_EQ(QRVP_ODBC_FROM_PLATFORM, 1);
#  endif
#endif
    // The day is not checked against its month; a valid time is not kept
    // beside a bad month; fields are not cut to 16 bits before the test.
    const struct {
        int32_t y, mo, d, h, mi, s;
        const char* expected;
    } cases[] = {
        {2001, 2, 31, 0, 0, 0, "2001-2-31 0:0:0"}, {1800, 1, 1, 0, 0, 0, "1800-1-1 0:0:0"},
        {2999, 12, 31, 23, 59, 59, "2999-12-31 23:59:59"}, {1799, 12, 31, 0, 0, 0, nullptr}, {3000, 1, 1, 0, 0, 0, nullptr},
        {2000, 1, 1, 24, 0, 0, nullptr}, {2000, 1, 1, 0, 0, -1, nullptr}, {2000, 1, 1, 0, 60, 0, nullptr},
        {2000, 1, 1, 0, 0, 60, nullptr}, {2000, 13, 1, 10, 20, 30, nullptr}, {2000, 0, 1, 0, 0, 0, nullptr},
        {2000, 1, 0, 0, 0, 0, nullptr}, {2000, 1, 32, 0, 0, 0, nullptr}, {2000, 65537, 1, 0, 0, 0, nullptr},
        {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, nullptr},
    };
    for (const auto& c : cases) {
        const std::string want = c.expected ? c.expected : kNull;
        EXPECT_EQ(Text(Date(c.y, c.mo, c.d, c.h, c.mi, c.s)), want) << c.y << "-" << c.mo << "-" << c.d;
        EXPECT_EQ(Text(QRVDate(c.y, c.mo, c.d, c.h, c.mi, c.s)), want);
        const TIMESTAMP_STRUCT ts{static_cast<int16_t>(c.y), static_cast<uint16_t>(c.mo), static_cast<uint16_t>(c.d),
                                  static_cast<uint16_t>(c.h), static_cast<uint16_t>(c.mi), static_cast<uint16_t>(c.s), 0};
        if (ts.year == c.y && ts.month == c.mo && ts.day == c.d && ts.hour == c.h && ts.minute == c.mi && ts.second == c.s) {
            EXPECT_EQ(Text(QRVDate(ts)), want);
        }
    }
    // Back to the records: the fraction dropped, the fields cut to 16 bits.
    const QRVDate odd(DateBase{0x12345u, 0, 99, 40, 70, 0x10005u});
    const TIMESTAMP_STRUCT cut = odd.Date2TS();
    EXPECT_EQ((std::array<unsigned, 6>{static_cast<uint16_t>(cut.year), cut.month, cut.day, cut.hour, cut.minute, cut.second}),
              (std::array<unsigned, 6>{0x2345, 0, 99, 40, 70, 5}));
    EXPECT_EQ(cut.fraction, 0u);
    EXPECT_EQ(Text(QRVDate(QRVDate(2000, 6, 15, 12, 30, 45).Date2DS())), "2000-6-15 0:0:0");
    EXPECT_EQ(Text(QRVDate()) + Text(Date()), kNull + kNull);  // the default record is the null date, whole
}

}  // namespace
