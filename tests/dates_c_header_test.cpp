// The public header as a C99 caller sees it: Date is a plain 16-byte struct with
// the six fields in order, and the header compiles warning-free under
// -std=c99 -pedantic with the platform's ODBC records and with the stand-ins.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* const kCaller = R"(#include "QRVPFuncs.h"
#include <stddef.h>
typedef char year_first[offsetof(Date, year) == 0 ? 1 : -1];
typedef char month_at_4[offsetof(Date, month) == 4 ? 1 : -1];
typedef char day_at_6[offsetof(Date, day) == 6 ? 1 : -1];
typedef char hour_at_8[offsetof(Date, hour) == 8 ? 1 : -1];
typedef char minute_at_10[offsetof(Date, minute) == 10 ? 1 : -1];
typedef char second_at_12[offsetof(Date, second) == 12 ? 1 : -1];
typedef char timestamp_16[sizeof(TIMESTAMP_STRUCT) == 16 ? 1 : -1];
typedef char date_6[sizeof(DATE_STRUCT) == 6 ? 1 : -1];
int main(void)
{
    Date d = {2000, 1, 1, 0, 0, 0};
    ArpsSegment s;
    s.StartDate = d;
    return (int)(s.StartDate.year - 2000u);
}
)";

bool HaveCompiler()
{
    return std::system("cc --version >/dev/null 2>&1") == 0;
}

TEST(DatesCHeader, CompilesAsPedanticC99BothWays)
{
    if (!HaveCompiler()) {
        GTEST_SKIP() << "no C compiler on the path";
    }
    const auto dir = std::filesystem::path(QRVP_TEST_BINARY_DIR) / "dates_c_header";
    std::filesystem::create_directories(dir);
    const auto source = dir / "caller.c";
    std::ofstream(source) << kCaller;
    for (const char* define : {"", "-DQRVP_NO_ODBC_HEADERS"}) {
        const std::string cmd = "cc -std=c99 -pedantic -Wall -Wextra -Werror " + std::string(define) + " -I\"" +
                                QRVP_SOURCE_DIR + "/include\" \"" + source.string() + "\" -o \"" +
                                (dir / "caller").string() + "\" && \"" + (dir / "caller").string() + "\"";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
