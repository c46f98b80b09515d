// The stand-in ODBC records that the public header declares when the platform's
// ODBC headers are absent (forced here): same layout, and interchangeable with
// the library built against the platform's definitions.
#define QRVP_NO_ODBC_HEADERS 1
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>

static_assert(QRVP_ODBC_FROM_PLATFORM == 0, "the stand-in declarations are in use");
static_assert(std::is_same_v<decltype(TIMESTAMP_STRUCT{}.year), int16_t>);
static_assert(std::is_same_v<decltype(TIMESTAMP_STRUCT{}.fraction), uint32_t>);
static_assert(std::is_same_v<TIMESTAMP_STRUCT, tagTIMESTAMP_STRUCT>);
static_assert(std::is_same_v<DATE_STRUCT, tagDATE_STRUCT>);

namespace {

TEST(DatesOdbcFallback, TimestampRoundTrip)
{
    TIMESTAMP_STRUCT ts{};
    ts.year = 2999;
    ts.month = 12;
    ts.day = 31;
    ts.hour = 23;
    ts.minute = 59;
    ts.second = 59;
    ts.fraction = 123;
    const QRVDate q(ts);
    EXPECT_EQ(q.year, 2999u);
    EXPECT_EQ(q.second, 59u);
    const TIMESTAMP_STRUCT back = q.Date2TS();
    EXPECT_EQ(back.year, 2999);
    EXPECT_EQ(back.month, 12);
    EXPECT_EQ(back.day, 31);
    EXPECT_EQ(back.hour, 23);
    EXPECT_EQ(back.minute, 59);
    EXPECT_EQ(back.second, 59);
    EXPECT_EQ(back.fraction, 0u);

    ts.hour = 24;
    EXPECT_TRUE(QRVDate(ts).IsNull());
}

TEST(DatesOdbcFallback, DateStructRoundTrip)
{
    DATE_STRUCT ds{};
    ds.year = 1800;
    ds.month = 1;
    ds.day = 1;
    const QRVDate q(ds);
    EXPECT_EQ(q.year, 1800u);
    EXPECT_EQ(q.hour + q.minute + q.second, 0u);
    const DATE_STRUCT back = q.Date2DS();
    EXPECT_EQ(back.year, 1800);
    EXPECT_EQ(back.month, 1);
    EXPECT_EQ(back.day, 1);
    ds.year = 1799;
    EXPECT_TRUE(QRVDate(ds).IsNull());
}

}  // namespace
