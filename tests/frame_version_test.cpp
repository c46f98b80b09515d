// The exported zero and equality tests.  (The version record is checked
// where hosts call it: tests/abi/abi_c_caller.c and the Windows DLL tests.)
#include "QRVPFuncs.h"
#include "frame/tolerance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FrameTolerance, IsZeroAndIsEqualAreStrict)
{
    struct ZeroCase {
        double value, tolerance;
        int32_t expected;
    };
    const ZeroCase zeros[] = {
        {0.0, 0.0, 0},     {-5e-12, 1e-11, 1}, {1e-11, 1e-11, 0}, {0.0, -1.0, 0},   {kNaN, 1.0, 0},
        {0.0, kNaN, 0},    {1e308, kInf, 1},   {kInf, kInf, 0},   {-0.0, 1e-300, 1}, {4.9e-324, 1e-323, 1},
    };
    for (const auto& c : zeros) EXPECT_EQ(IsZero(c.value, c.tolerance), c.expected) << c.value << " " << c.tolerance;

    struct EqualCase {
        double a, b, tolerance;
        int32_t expected;
    };
    const EqualCase equals[] = {
        {1.0, 1.0, 0.0, 0},   {2.0, 2.0 + 1e-12, 1e-11, 1}, {2.0, 2.0, -1.0, 0},     {kNaN, kNaN, kInf, 0},
        {kInf, kInf, 1.0, 0}, {1e308, -1e308, kInf, 0},     {-1e308, 1e308, 1e300, 0}, {3.0, 3.0 + 2e-11, 1e-11, 0},
    };
    for (const auto& c : equals) EXPECT_EQ(IsEqual(c.a, c.b, c.tolerance), c.expected) << c.a << " " << c.b;

    // The calculations' own tests agree with the exported ones at 1e-11.
    for (const double x : {0.0, 9.99e-12, 1e-11, -1e-12, kNaN, kInf}) {
        EXPECT_EQ(qrvp::NearZero(x), IsZero(x, 1e-11) == 1) << x;
        EXPECT_EQ(qrvp::NearlyEqual(1.0, 1.0 + x), IsEqual(1.0, 1.0 + x, 1e-11) == 1) << x;
    }
}

}  // namespace
