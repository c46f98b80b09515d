// The exact records the linear-with-time family writes: routine name, the line
// of the reporting statement, and the message, one record per failure.
#include "QRVPFuncs.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Expected {
    void (*call)();
    const char* function;
    const char* message;
};

const Date kStart(2021, 5, 6, 0, 0, 0);
const Date kEarly(2020, 3, 4, 0, 0, 0);
double out;

const Expected kRecords[] = {
    {[] { GetLinTimQt(kEarly, kStart, 1, 1, &out); }, "GetLinTimQt",
     "FindDate (3/4/2020) is earlier than StartDate (5/6/2021)"},
    // These two messages have always lacked the slash before the year.
    {[] { GetLinTimQi(kEarly, Date(), 5, 1, &out); }, "GetLinTimQi",
     "Invalid EndDate (3/42020) or StartDate(12/31/1799)"},
    {[] { GetLinTimQi(kEarly, kStart, 5, 1, &out); }, "GetLinTimQi",
     "EndDate (3/42020) is earlier than StartDate(5/6/2021)"},
    {[] { GetLinTimDi(kStart, kStart, 1, 2, &out); }, "GetLinTimDi",
     "No time between start date (5/6/2021) and end date (5/6/2021)"},
    {[] { GetLinTimYears(100, 100, 10, &out); }, "GetLinTimYears",
     "Cannot solve for time with zero decline or Qi (100.000000) equal to Qf (100.000000)."},
    {[] { GetLinTimYears(100, -1.5, 10, &out); }, "GetLinTimYears", "Invalid Qi (100.000000) or Qf (-1.500000)."},
    {[] { GetLinTimVol(kStart, Date(), 1, 1, &out); }, "GetLinTimVol",
     "Invalid start date (5/6/2021) or end date (12/31/1799)"},
    // %d of a double: the low 32 bits of its bit pattern (0 for -1.0 and 100.0,
    // 0x9999999A for -0.1).
    {[] { GetLinTimYearsVol(-1, 100, -12, &out); }, "GetLinTimYearsVol", "Invalid Qi (0) or Vol (0)"},
    {[] { GetLinTimYearsVol(100, -0.1, -12, &out); }, "GetLinTimYearsVol", "Invalid Qi (0) or Vol (-1717986918)"},
    {[] { GetLinTimYearsVol(0, 1, 0, &out); }, "GetLinTimYearsVol",
     "Invalid Vol (1.000000) for given decline (0.000000)"},
    // The normalisation writes nothing of its own: a negative Qi leaves no
    // record, a negative Qf only that of the duration it asks for.
    {[] {
         double qi = -1, di = 1, qf = 1;
         Date end;
         ValidateLinTime(kStart, &qi, &di, &qf, &end);
         qi = 100;
         qf = -5;
         ValidateLinTime(kStart, &qi, &di, &qf, &end);
     },
     "GetLinTimYears", "Invalid Qi (100.000000) or Qf (-5.000000)."},
};

TEST(LinTimLog, OneExactRecordPerFailure)
{
    qrvp::test::LogCapture capture;
    for (const Expected& e : kRecords) {
        e.call();
    }
    const std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), std::size(kRecords));
    for (size_t i = 0; i < lines.size(); ++i) {
        qrvp::test::ExpectRecord(lines[i],
                                 {kRecords[i].function, kRecords[i].message, "decline/lintime/lin_time.cpp"});
    }
}

}  // namespace
