// The public header declares no name of the ODBC headers unless the host asks
// for them: a host keeps its own BOOL, DWORD and friends (the platform's
// sqltypes.h declares them otherwise, which would not compile here).
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

typedef char BOOL;
typedef unsigned short DWORD;
typedef double SQLSMALLINT;

static_assert(QRVP_ODBC_FROM_PLATFORM == 0, "the stand-in records are in use");

TEST(DatesHeaderNames, HostKeepsItsOwnNames)
{
    EXPECT_EQ(sizeof(BOOL) + sizeof(DWORD) + sizeof(SQLSMALLINT), 11u);
    EXPECT_EQ(sizeof(TIMESTAMP_STRUCT), 16u);
}
