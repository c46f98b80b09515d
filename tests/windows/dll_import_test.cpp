// A C++ host linked against the import library: the date classes, their
// operators and GetSEDMQfVol reached under their C++ names through the DLL.
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

namespace {

TEST(DllImport, DateMembersAndOperatorsThroughTheDll)
{
    Date start(2024, 1, 31, 0, 0, 0);
    Date end = start;
    end.AddMonths(1);
    EXPECT_EQ(end.month, 2);
    EXPECT_EQ(end.day, 29);  // clamped to the leap February
    EXPECT_DOUBLE_EQ(end.DaySpan(start), 29.0);
    EXPECT_DOUBLE_EQ(end - start, 29.0);
    EXPECT_TRUE(start < end);
    EXPECT_TRUE(Min(start, end) == start);
    EXPECT_TRUE(Max(start, end) == end);
    EXPECT_TRUE(Date().GetQRVDate().IsNull());
    EXPECT_FALSE(QRVDate(2024, 13, 1, 0, 0, 0).IsValid());
    end.AddFracDay(0.5);
    EXPECT_EQ(end.hour, 12);
}

TEST(DllImport, FlatFunctionsThroughTheImportLibrary)
{
    VersionInfo v{};
    ASSERT_EQ(GetVersionInfo(&v), &v);
    EXPECT_EQ(v.Build, 664);
    // Exported under its C++ name; it always answers -1 with Qf -1.0.
    double qf = 5.0;
    EXPECT_EQ(GetSEDMQfVol(1000.0, 10.0, Date(2024, 1, 1, 0, 0, 0), Date(2025, 1, 1, 0, 0, 0), 2.0, qf), -1);
    EXPECT_EQ(qf, -1.0);
}

}  // namespace
