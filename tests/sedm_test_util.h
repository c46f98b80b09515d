// Shared checks of the stretched-exponential tests: relative closeness, and
// the one record a failing routine writes, held to its reporting statement by
// the decline tests' record check.
#ifndef QRVP_TESTS_SEDM_TEST_UTIL_H
#define QRVP_TESTS_SEDM_TEST_UTIL_H

#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qrvp::test {

inline void ExpectRelative(double actual, double expected, double tolerance)
{
    EXPECT_NEAR(actual, expected, std::fabs(expected) * tolerance) << "expected " << expected;
}

inline void ExpectOneRecord(LogCapture& log, const ExpectedRecord& x)
{
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 1u) << x.message;
    ExpectRecord(lines[0], x);
}

}  // namespace qrvp::test

#endif
