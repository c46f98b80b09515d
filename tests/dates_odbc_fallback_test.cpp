// The stand-in ODBC records that the public header declares when the platform's
// ODBC headers are absent (forced here): same layout, and interchangeable with
// the library built against the platform's definitions.
#define QRVP_NO_ODBC_HEADERS 1
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

static_assert(QRVP_ODBC_FROM_PLATFORM == 0, "the stand-in declarations are in use");
static_assert(sizeof(TIMESTAMP_STRUCT) == 16 && sizeof(DATE_STRUCT) == 6);
static_assert(std::is_same_v<decltype(TIMESTAMP_STRUCT{}.year), int16_t>);
static_assert(std::is_same_v<decltype(TIMESTAMP_STRUCT{}.fraction), uint32_t>);
static_assert(std::is_same_v<TIMESTAMP_STRUCT, tagTIMESTAMP_STRUCT> && std::is_same_v<DATE_STRUCT, tagDATE_STRUCT>);

TEST(DatesOdbcFallback, RoundTrips)
{
    TIMESTAMP_STRUCT ts{2999, 12, 31, 23, 59, 59, 123};
    const TIMESTAMP_STRUCT back = QRVDate(ts).Date2TS();
    ts.fraction = 0;
    EXPECT_EQ(std::memcmp(&back, &ts, sizeof ts), 0);
    ts.hour = 24;
    EXPECT_TRUE(QRVDate(ts).IsNull());
    DATE_STRUCT ds{1800, 1, 1};
    const DATE_STRUCT dsBack = QRVDate(ds).Date2DS();
    EXPECT_EQ(std::memcmp(&dsBack, &ds, sizeof ds), 0);
    ds.year = 1799;
    EXPECT_TRUE(QRVDate(ds).IsNull());
}
