// Helpers shared by the decline tests: dates, one-result calls, and the check
// of a log record against the reporting statement in the source (so a
// record's line is checked against the code, not against a number copied into
// the test).
#ifndef QRVP_TESTS_DECLINE_TEST_UTIL_H
#define QRVP_TESTS_DECLINE_TEST_UTIL_H

#include "QRVPFuncs.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace qrvp::test {

inline Date D(int y, int m, int d, int h = 0, int mi = 0, int s = 0) { return Date(y, m, d, h, mi, s); }

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

inline void ExpectRelative(double actual, double expected, double tolerance)
{
    EXPECT_NEAR(actual, expected, std::fabs(expected) * tolerance) << "expected " << expected;
}

// The Arps rate, expected to succeed.
inline double ArpsRate(Date at, Date start, double Qi, double Di, double b, double Dmin)
{
    double q = kNaN;
    EXPECT_EQ(GetArpsQt(at, start, Qi, Di, b, Dmin, &q), 0);
    return q;
}

// 12 times the integral over years of rate(at) from start to end, by Simpson's
// rule on six-hour steps (whole seconds, so every date is exact).
template <typename Rate>
double IntegratedVolume(Date start, Date end, Rate rate)
{
    const int steps = static_cast<int>(end.DaySpan(start) * 4.0);
    double sum = 0.0;
    for (int i = 0; i <= steps; ++i) {
        Date at = start;
        at.AddFracDay(i * 0.25);
        sum += (i == 0 || i == steps ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0)) * rate(at);
    }
    return 12.0 * (sum * 0.25 / 3.0) / 365.25;
}

inline std::vector<std::string> SourceLines(const std::string& file)
{
    std::ifstream in(std::string(QRVP_SOURCE_DIR) + "/" + file);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

// What a failure should have logged: the record's name and message, and its
// line a reporting statement of the library under that name (or of a routine
// that takes the name as an argument).
struct ExpectedRecord {
    std::string function;
    std::string message;
};

inline void ExpectRecord(const std::string& record, const ExpectedRecord& x)
{
    const RecordTail tail = ParseRecordTail(record);
    EXPECT_EQ(tail.function, x.function) << record;
    EXPECT_EQ(tail.message, x.message) << record;
    EXPECT_NE(record.find(",9,5,0,(null),"), std::string::npos) << record;
    bool reported = false;
    for (const char* file : {"decline/arps/bend.cpp", "decline/arps/conversions.cpp", "decline/arps/rate.cpp",
                             "decline/arps/solvers.cpp", "decline/arps/volume.cpp", "decline/lintime/lin_time.cpp",
                             "decline/cum/lin_cum.cpp", "decline/cum/log_cum.cpp", "decline/sedm/sedm.cpp",
                             "decline/sedm/gamma.cpp"}) {
        const std::vector<std::string> lines = SourceLines(file);
        const std::string at = tail.line > 0 && static_cast<size_t>(tail.line) <= lines.size()
                                   ? lines[static_cast<size_t>(tail.line) - 1] : "";
        reported |= at.find("QRVP_FAIL(L\"" + tail.function + "\"") != std::string::npos ||
                    at.find("QRVP_FAIL(function,") != std::string::npos;
    }
    EXPECT_TRUE(reported) << record;
}

}  // namespace qrvp::test

#endif
