// The exported zero and equality tests: strict comparisons, NaN never near,
// and the calculations' own tests agreeing with them at 1e-11.  (The version
// record is checked where hosts call it: the C host of the shared library and
// the Windows DLL tests.)
#include "QRVPFuncs.h"
#include "frame/tolerance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(FrameTolerance, IsZeroAndIsEqualAreStrict)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const double zeros[][3] = {{0.0, 0.0, 0}, {-5e-12, 1e-11, 1}, {1e-11, 1e-11, 0}, {kNaN, 1.0, 0}, {kInf, kInf, 0}};
    for (const auto& c : zeros) EXPECT_EQ(IsZero(c[0], c[1]), c[2]) << c[0] << " " << c[1];
    const double equals[][4] = {{1.0, 1.0, 0.0, 0},    {2.0, 2.0 + 1e-12, 1e-11, 1}, {kNaN, kNaN, kInf, 0},
                                {kInf, kInf, 1.0, 0}, {-1e308, 1e308, 1e300, 0},  {3.0, 3.0 + 2e-11, 1e-11, 0}};
    for (const auto& c : equals) EXPECT_EQ(IsEqual(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1];
    for (const double x : {0.0, 9.99e-12, 1e-11, -1e-12, kNaN, kInf}) {
        EXPECT_EQ(qrvp::NearZero(x), IsZero(x, 1e-11) == 1) << x;
        EXPECT_EQ(qrvp::NearlyEqual(1.0, 1.0 + x), IsEqual(1.0, 1.0 + x, 1e-11) == 1) << x;
    }
}
