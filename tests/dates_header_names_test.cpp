// The public header declares no name of the ODBC headers unless the host asks
// for them: a host keeps its own BOOL, DWORD and friends (the platform's
// sqltypes.h declares them otherwise, which would not compile here).
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <type_traits>

typedef char BOOL;
typedef unsigned short DWORD;
typedef double SQLSMALLINT;

static_assert(QRVP_ODBC_FROM_PLATFORM == 0, "the stand-in records are in use");
// The stand-ins have the platform's layout and names.
static_assert(sizeof(TIMESTAMP_STRUCT) == 16 && sizeof(DATE_STRUCT) == 6);
static_assert(std::is_same_v<decltype(TIMESTAMP_STRUCT{}.year), int16_t>);
static_assert(std::is_same_v<decltype(TIMESTAMP_STRUCT{}.fraction), uint32_t>);
static_assert(std::is_same_v<TIMESTAMP_STRUCT, tagTIMESTAMP_STRUCT> && std::is_same_v<DATE_STRUCT, tagDATE_STRUCT>);

TEST(DatesHeaderNames, HostKeepsItsOwnNames)
{
    EXPECT_EQ(sizeof(BOOL) + sizeof(DWORD) + sizeof(SQLSMALLINT), 11u);
    // The conversions are the same code whichever records are in use.
    TIMESTAMP_STRUCT ts{2999, 12, 31, 23, 59, 59, 123};
    EXPECT_EQ(QRVDate(ts).Date2TS().second, 59u);
}
