// A C++ host linked against the import library: the date classes, their
// operators and GetSEDMQfVol reached under their C++ names through the DLL.
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

TEST(DllImport, DateMembersOperatorsAndCxxNamesThroughTheDll)
{
    const Date start(2024, 1, 31, 0, 0, 0);
    Date end = start;
    end.AddMonths(1);
    EXPECT_TRUE(end == Date(2024, 2, 29, 0, 0, 0));  // clamped to the leap February
    EXPECT_DOUBLE_EQ(end - start, 29.0);
    EXPECT_TRUE(start < end && Min(start, end) == start && Max(start, end) == end);
    EXPECT_TRUE(Date().GetQRVDate().IsNull());
    EXPECT_FALSE(QRVDate(2024, 13, 1, 0, 0, 0).IsValid());
    end.AddFracDay(0.5);
    EXPECT_EQ(end.hour, 12);
    double qf = 5.0;  // it always answers -1 with Qf -1.0
    EXPECT_EQ(GetSEDMQfVol(1000.0, 10.0, start, end, 2.0, qf), -1);
    EXPECT_EQ(qf, -1.0);
}
