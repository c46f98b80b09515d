// The exact records the linear-with-time family writes: routine name, the line
// of the reporting statement, and the message, one record per failure; the
// result is left alone, and a null result pointer fails without a record.
#include "QRVPFuncs.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Expected {
    int32_t (*call)(double*);
    const char* function;
    const char* message;
};

const Date kStart(2021, 5, 6, 0, 0, 0);
const Date kEarly(2020, 3, 4, 0, 0, 0);

const Expected kRecords[] = {
    {[](double* r) { return GetLinTimQt(kEarly, kStart, 1, 1, r); }, "GetLinTimQt",
     "FindDate (3/4/2020) is earlier than StartDate (5/6/2021)"},
    // These two messages have always lacked the slash before the year.
    {[](double* r) { return GetLinTimQi(kEarly, Date(), 5, 1, r); }, "GetLinTimQi",
     "Invalid EndDate (3/42020) or StartDate(12/31/1799)"},
    {[](double* r) { return GetLinTimQi(kEarly, kStart, 5, 1, r); }, "GetLinTimQi",
     "EndDate (3/42020) is earlier than StartDate(5/6/2021)"},
    {[](double* r) { return GetLinTimDi(kStart, kStart, 1, 2, r); }, "GetLinTimDi",
     "No time between start date (5/6/2021) and end date (5/6/2021)"},
    {[](double* r) { return GetLinTimYears(100, 100, 10, r); }, "GetLinTimYears",
     "Cannot solve for time with zero decline or Qi (100.000000) equal to Qf (100.000000)."},
    {[](double* r) { return GetLinTimYears(100, -1.5, 10, r); }, "GetLinTimYears",
     "Invalid Qi (100.000000) or Qf (-1.500000)."},
    {[](double* r) { return GetLinTimVol(kStart, Date(), 1, 1, r); }, "GetLinTimVol",
     "Invalid start date (5/6/2021) or end date (12/31/1799)"},
    // %d of a double: the low 32 bits of its bit pattern (0 for -1.0 and 100.0,
    // 0x9999999A for -0.1).
    {[](double* r) { return GetLinTimYearsVol(-1, 100, -12, r); }, "GetLinTimYearsVol", "Invalid Qi (0) or Vol (0)"},
    {[](double* r) { return GetLinTimYearsVol(100, -0.1, -12, r); }, "GetLinTimYearsVol",
     "Invalid Qi (0) or Vol (-1717986918)"},
    {[](double* r) { return GetLinTimYearsVol(0, 1, 0, r); }, "GetLinTimYearsVol",
     "Invalid Vol (1.000000) for given decline (0.000000)"},
};

TEST(LinTimLog, OneExactRecordPerFailure)
{
    qrvp::test::LogCapture capture;
    for (const Expected& e : kRecords) {
        qrvp::test::ExpectFailureLeavesResult({e.message, e.call});
    }
    // The normalisation writes nothing of its own: a negative Qi leaves no
    // record, a negative Qf only that of the duration it asks for.
    double qi = -1, di = 1, qf = 1;
    Date end;
    EXPECT_EQ(ValidateLinTime(kStart, &qi, &di, &qf, &end), -1);
    qi = 100;
    qf = -5;
    ValidateLinTime(kStart, &qi, &di, &qf, &end);

    const std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), std::size(kRecords) + 1);
    qrvp::test::ExpectRecord(lines.back(), {"GetLinTimYears", "Invalid Qi (100.000000) or Qf (-5.000000).",
                                            "decline/lintime/lin_time.cpp"});
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        qrvp::test::ExpectRecord(lines[i],
                                 {kRecords[i].function, kRecords[i].message, "decline/lintime/lin_time.cpp"});
    }
}

}  // namespace
