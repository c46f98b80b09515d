// The public header as a C99 caller sees it with the stand-in ODBC records:
// it compiles warning-free under -std=c99 -pedantic and the records keep
// their sizes.  (With the platform's records, tests/abi/abi_c_caller.c is
// that caller, and checks the Date layout too.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* const kCaller = R"(#include "QRVPFuncs.h"
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

TEST(DatesCHeader, CompilesAsPedanticC99WithTheStandIns)
{
    if (!HaveCompiler()) {
        GTEST_SKIP() << "no C compiler on the path";
    }
    const auto dir = std::filesystem::path(QRVP_TEST_BINARY_DIR) / "dates_c_header";
    std::filesystem::create_directories(dir);
    const auto source = dir / "caller.c";
    std::ofstream(source) << kCaller;
    const std::string cmd = "cc -std=c99 -pedantic -Wall -Wextra -Werror -DQRVP_NO_ODBC_HEADERS -I\"" +
                            std::string(QRVP_SOURCE_DIR) + "/include\" \"" + source.string() + "\" -o \"" +
                            (dir / "caller").string() + "\" && \"" + (dir / "caller").string() + "\"";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::filesystem::remove_all(dir);
}

}  // namespace
