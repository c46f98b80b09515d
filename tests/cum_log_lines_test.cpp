// The exact records the rate-versus-cumulative families write: routine name,
// the line of the reporting statement, and the message, one per failure; the
// result is left alone, and a null result pointer fails without a record.
#include "QRVPFuncs.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Expected {
    int32_t (*call)(double*);
    const char* source;
    const char* function;
    const char* message;
};

const char* const kLin = "decline/cum/lin_cum.cpp";
const char* const kLog = "decline/cum/log_cum.cpp";

const Expected kRecords[] = {
    {[](double* r) { return GetLinCumDecl(1, 5, -1, 10, r); }, kLin, "GetLinCumDecl",
     "Invalid BegCum (-1.000000) or EndCum (10.000000)"},
    // Two blanks after "Invalid" in these two.
    {[](double* r) { return GetLinCumQi(0, 10, -1, 1, r); }, kLin, "GetLinCumQi", "Invalid  Qf (-1.000000)"},
    {[](double* r) { return GetLinCumQf(-1, 0, 10, 1, r); }, kLin, "GetLinCumQf", "Invalid  Qi (-1.000000)"},
    {[](double* r) { return GetLinCumEndCum(1, 2, 0, 0, r); }, kLin, "GetLinCumEndCum", "Invalid decl (0.000000)"},
    {[](double* r) { return GetLinCumVCum(1, 2, 5, 10, 10, r); }, kLin, "GetLinCumVCum",
     "EndCum (10.000000) is greater than BegCum (10.000000)"},
    // The average reports through its integral, and adds nothing of its own.
    {[](double* r) { return GetLinCum(-1, 2, 0, 10, 0, 10, r); }, kLin, "GetLinCumIntVal",
     "Invalid Qi (-1.000000) or Qf (2.000000)"},
    {[](double* r) { return GetLinCum(1, 2, -1, 10, 0, 10, r); }, kLin, "GetLinCumIntVal",
     "Invalid FindCum (-1.000000) or Cumi (0.000000)"},
    {[](double* r) { return GetLinCum(1, 2, 0, 10, 10, 9, r); }, kLin, "GetLinCumIntVal",
     "Cumf (9.000000) is less than Cumi (10.000000)"},
    {[](double* r) { return GetLogCumDecl(5, 5, -1, 10, r); }, kLog, "GetLogCumDecl",
     "Invalid BegCum (-1.000000) or EndCum (10.000000)"},
    {[](double* r) { return GetLogCumQf(-2, 0, 10, 1, r); }, kLog, "GetLogCumQf", "Invalid  Qi (-2.000000)"},
    {[](double* r) { return GetLogCumQf(1, 10, 10, 1, r); }, kLog, "GetLogCumQf",
     "Invalid BegCum (10.000000) or EndCum (10.000000)"},
    {[](double* r) { return GetLogCumVCum(1, 2, -5, 0, 10, r); }, kLog, "GetLogCumVCum",
     "Invalid BegCum (0.000000), EndCum (10.000000), or FindCum (-5.000000)"},
    {[](double* r) { return GetLogCumVCum(1, 2, 5, 10, 10, r); }, kLog, "GetLogCumVCum",
     "BegCum (10.000000) is less than EndCum (10.000000)"},
    {[](double* r) { return GetLogCum(1, 0, 0, 10, 0, 10, r); }, kLog, "GetLogCumIntVal",
     "Invalid Qi (1.000000) or Qf (0.000000)"},
    {[](double* r) { return GetLogCum(1, 2, 10, 0, 0, 10, r); }, kLog, "GetLogCumIntVal",
     "Invalid Cumi (0.000000), Cumf (10.000000), cum1 (10.000000), or cum2 (0.000000)"},
};

TEST(CumLog, OneExactRecordPerFailure)
{
    qrvp::test::LogCapture capture;
    for (const Expected& e : kRecords) {
        qrvp::test::ExpectFailureLeavesResult({e.message, e.call});
    }
    // The normalisations write no records, refusing or not.
    double qi = 100, qf = 0, decl = 1, beg = 5, end = 10;
    EXPECT_EQ(ValidateLogCum(&qi, &qf, &decl, &beg, &end), -1);
    end = beg;
    EXPECT_EQ(ValidateLinCum(&qi, &qf, &decl, &beg, &end), -1);
    end = 10;
    EXPECT_EQ(ValidateLinCum(&qi, &qf, &decl, &beg, &end), 0);

    const std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), std::size(kRecords));
    for (size_t i = 0; i < lines.size(); ++i) {
        qrvp::test::ExpectRecord(lines[i], {kRecords[i].function, kRecords[i].message, kRecords[i].source});
    }
}

}  // namespace
