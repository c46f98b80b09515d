// Several processes sharing one log file through the system-wide mutex, on
// POSIX and on Windows: no record lost or torn, each process's records in its
// own order, and a process that dies holding the mutex or in the middle of
// logging holds up nobody.  The helper, frame_log_writer_main, sits beside
// this program (the tests run in its directory) and reads the same settings,
// so it logs into this capture.
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

#ifdef _WIN32
constexpr int kRecords = 300;  // processes start slowly under Wine
const std::string kHelper = "frame_log_writer_main.exe ";
#else
constexpr int kRecords = 5000;
const std::string kHelper = "./frame_log_writer_main ";
#endif

int Helper(const std::string& arguments) { return std::system((kHelper + arguments).c_str()); }

TEST(FrameLogProcess, TwoProcessesAppendEveryRecordWhole)
{
    qrvp::test::LogCapture capture;
    int first = -1, second = -1;
    std::thread a([&] { first = Helper("append " + std::to_string(kRecords) + " 1"); });
    std::thread b([&] { second = Helper("append " + std::to_string(kRecords) + " 2"); });
    a.join();
    b.join();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(qrvp::test::CountInOrder(capture.Lines()), (std::map<int, long>{{1, kRecords}, {2, kRecords}}));
}

TEST(FrameLogProcess, ProcessesDyingHoldingTheMutexOrLoggingBlockNobody)
{
    qrvp::test::LogCapture capture;
    ASSERT_EQ(Helper("die-holding"), 0);
    ASSERT_EQ(Helper("append 100 1"), 0);
    for (int round = 0; round < 5; ++round) {
        EXPECT_EQ(Helper("die-logging " + std::to_string(50 + 37 * round)), 0);
        ASSERT_EQ(Helper("append 50 1"), 0) << "round " << round;
    }
    int whole = 0;
    for (const std::string& line : capture.Lines()) whole += line.find(",Writer,1,process 1 record ") != std::string::npos;
    EXPECT_EQ(whole, 350);
}

}  // namespace
