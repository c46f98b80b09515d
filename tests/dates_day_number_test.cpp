// The day-number formulas evaluated in unsigned 32-bit integers, where the
// library takes that shortcut, give exactly what the wrapping signed
// evaluation gives.
#include "dates/day_number.h"

#include <gtest/gtest.h>

namespace {

using namespace qrvp::dates;

CivilDate SignedCivil(int32_t j)
{
    return CivilFormula<Int32>(Int32{j});
}

int32_t SignedDayNumber(int32_t y, int32_t m, int32_t d)
{
    return DayNumberFormula<Int32>(Int32{y}, Int32{m}, Int32{d}, (Int32{m} - 14) / 12).v;
}

bool SameCivil(int32_t j)
{
    const CivilDate fast = CivilFromDayNumber(j);
    const CivilDate slow = SignedCivil(j);
    return fast.year == slow.year && fast.month == slow.month && fast.day == slow.day;
}

TEST(DatesDayNumber, UnsignedInverseMatchesTheSignedOne)
{
    // Both ends of the shortcut's range and the calendar, day by day; the rest
    // in strides that visit every residue of the formulas' divisors.
    const auto days = [](int64_t from, int64_t to, int64_t step) {
        for (int64_t j = from; j <= to; j += step) {
            ASSERT_TRUE(SameCivil(static_cast<int32_t>(j))) << j;
        }
    };
    days(kUnsignedDayNumberMin - 10, kUnsignedDayNumberMin + 1500000, 1);
    days(kUnsignedDayNumberMax - 1500000, kUnsignedDayNumberMax + 10, 1);
    days(2378000, 2817000, 1);
    days(kUnsignedDayNumberMin, kUnsignedDayNumberMax, 1009);
}

TEST(DatesDayNumber, UnsignedDayNumberMatchesTheSignedOne)
{
    for (int32_t y = 0; y <= kUnsignedYearMax; y += (y < 5000 || y > kUnsignedYearMax - 5000) ? 1 : 97) {
        for (int32_t m : {0, 1, 2, 3, 12, 13, 14, 26, 65535}) {
            ASSERT_EQ(DayNumber(y, m, 31), SignedDayNumber(y, m, 31)) << y << "-" << m;
        }
    }
    for (int32_t m = 0; m <= 65535; ++m) {
        for (int32_t y : {0, 2000, kUnsignedYearMax}) ASSERT_EQ(DayNumber(y, m, 1), SignedDayNumber(y, m, 1));
    }
    // Outside the shortcut the signed evaluation is used as it stands.
    for (int32_t y : {-1, -4800, kUnsignedYearMax + 1, INT32_MAX, INT32_MIN}) {
        ASSERT_EQ(DayNumber(y, 7, 4), SignedDayNumber(y, 7, 4));
    }
}

}  // namespace
