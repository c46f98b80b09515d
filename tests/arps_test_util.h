// Helpers shared by the Arps tests: dates, the hostile doubles, and the source
// line of a reporting statement (so a record's line is checked against the
// code, not against a number copied into the test).
#ifndef QRVP_TESTS_ARPS_TEST_UTIL_H
#define QRVP_TESTS_ARPS_TEST_UTIL_H

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

// NaN, both infinities, the largest magnitudes, a denormal, and ordinary values.
inline const std::vector<double>& HostileDoubles()
{
    static const std::vector<double> values = {std::numeric_limits<double>::quiet_NaN(),
                                               std::numeric_limits<double>::infinity(),
                                               -std::numeric_limits<double>::infinity(),
                                               1e308,
                                               -1e308,
                                               std::numeric_limits<double>::denorm_min(),
                                               -0.5,
                                               1.0};
    return values;
}

// Null, the ends of the valid range, and an unvalidated record.
inline std::vector<Date> HostileDates()
{
    DateBase junk{};
    junk.year = 4000000000u;
    junk.month = 99;
    junk.day = 77;
    junk.hour = 30;
    junk.minute = 61;
    junk.second = 99999;
    return {Date(), D(1800, 1, 1), D(2999, 12, 31, 23, 59, 59), D(2000, 1, 1), Date(junk)};
}

// Calls fn with every combination of n values drawn from `values`.
template <typename Fn>
void ForEachCombination(size_t n, const std::vector<double>& values, Fn fn)
{
    std::vector<size_t> index(n, 0);
    std::vector<double> args(n);
    for (;;) {
        for (size_t i = 0; i < n; ++i) {
            args[i] = values[index[i]];
        }
        fn(args);
        size_t k = 0;
        while (k < n && ++index[k] == values.size()) {
            index[k++] = 0;
        }
        if (k == n) {
            return;
        }
    }
}

inline bool IsStatus(int32_t rc) { return rc == 0 || rc == -1; }

// Line of the reporting statement whose message format contains `message`
// in decline/arps/<file> (its `occurrence`-th such statement, from 0): the
// line holding QRVP_FAIL at or above it.
inline int ReportLine(const std::string& file, const std::string& message, int occurrence = 0)
{
    std::ifstream in(std::string(QRVP_SOURCE_DIR) + "/decline/arps/" + file);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
        lines.push_back(l);
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("L\"" + message) == std::string::npos || occurrence-- > 0) {
            continue;
        }
        for (size_t j = i + 1; j-- > 0;) {
            if (lines[j].find("QRVP_FAIL(") != std::string::npos) {
                return static_cast<int>(j + 1);
            }
        }
    }
    return -1;
}

// The record a failing call left last: its function name, line and message.
inline void ExpectLastRecord(LogCapture& log, const std::string& function, const std::string& file,
                             const std::string& format, const std::string& message, int occurrence = 0)
{
    const int line = ReportLine(file, format, occurrence);
    ASSERT_GT(line, 0) << "no reporting statement for " << format;
    const std::vector<std::string> lines = log.Lines();
    ASSERT_FALSE(lines.empty()) << "no record for " << message;
    const RecordTail tail = ParseRecordTail(lines.back());
    EXPECT_EQ(tail.function, function);
    EXPECT_EQ(tail.message, message);
    EXPECT_EQ(tail.line, line) << format;
}

}  // namespace qrvp::test

#endif
