// Shared checks of the stretched-exponential tests: relative closeness, and
// the one record a failing routine writes, down to its source line.
#ifndef QRVP_TESTS_SEDM_TEST_UTIL_H
#define QRVP_TESTS_SEDM_TEST_UTIL_H

#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

namespace qrvp::test {

inline void ExpectRelative(double actual, double expected, double tolerance)
{
    EXPECT_NEAR(actual, expected, std::fabs(expected) * tolerance) << "expected " << expected;
}

// The line of the first reporting statement that writes `format` after the
// line holding `after` (say the start of the reporting function; "" for the
// top of the file).
inline int ReportLine(const std::string& file, const std::string& after, const std::string& format)
{
    std::ifstream source(std::string(QRVP_SOURCE_DIR) + "/" + file);
    std::string text;
    int lineNo = 0;
    int failLine = -1;
    bool inside = false;
    while (std::getline(source, text)) {
        ++lineNo;
        inside = inside || text.find(after) != std::string::npos;
        if (text.find("QRVP_FAIL(") != std::string::npos) failLine = lineNo;
        if (inside && text.find(format) != std::string::npos) return failLine;
    }
    return -1;
}

struct ExpectedRecord {
    const char* function;
    const char* message;
    const char* file;    // where the reporting statement is
    const char* after;   // see ReportLine
    const char* format;  // a piece of its format text
};

inline void ExpectOneRecord(LogCapture& log, const ExpectedRecord& x)
{
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 1u);
    const auto tail = ParseRecordTail(lines.back());
    EXPECT_EQ(tail.function, x.function);
    EXPECT_EQ(tail.message, x.message);
    EXPECT_EQ(tail.line, ReportLine(x.file, x.after, x.format));
}

}  // namespace qrvp::test

#endif
