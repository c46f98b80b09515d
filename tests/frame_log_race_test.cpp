// Many threads logging at once, beside deletions, re-initialisations and
// closes: every record arrives whole, each thread's in its own order.
#include "QRVPFuncs.h"
#include "frame/log.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(FrameLogRace, ThreadsLoggingAtOnceLoseNothing)
{
    qrvp::test::LogCapture capture;
    constexpr int kThreads = 8, kRecords = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kRecords; ++i) LogPrintf(9, 5, 0, nullptr, L"T", t, L"record %d, of thread %d", i, t);
        });
    }
    for (auto& thread : threads) thread.join();
    const std::regex record(R"(^[^,]+,9,5,0,\(null\),\d+,T,(\d),record (\d+), of thread \1$)");
    std::map<int, int> next;
    const auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kRecords));
    for (const std::string& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, record)) << line;
        EXPECT_EQ(std::stoi(m[2]), next[std::stoi(m[1])]++);
    }
}

TEST(FrameLogRace, LoggingBesideDeletionAndReinitialisation)
{
    qrvp::test::LogCapture capture;
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &stop] {
            for (int i = 0; !stop.load(); ++i) {
                LogPrintf(9, 5, 0, nullptr, L"T", t, L"record %d", i);
                if (i % 64 == 0) std::this_thread::yield();
            }
        });
    }
    const auto repeat = [&stop](void (*action)(), int times) {
        return std::thread([&stop, action, times] {
            for (int i = 0; i < times && !stop.load(); ++i, std::this_thread::yield()) action();
        });
    };
    threads.push_back(repeat(_LogDelete, 1 << 30));
    threads.push_back(repeat([] { _LogInit(), (void)qrvp::log::CurrentSettings(); }, 1 << 30));
    threads.push_back(repeat(_LogClose, 200));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    stop.store(true);
    for (auto& thread : threads) thread.join();
    // Whatever survived the deletions is whole records.
    LogPrintf(9, 5, 0, nullptr, L"T", 9, L"last");
    const auto lines = capture.Lines();
    ASSERT_FALSE(lines.empty());
    const std::regex record(R"(^[^,]+,9,5,0,\(null\),\d+,T,\d,(record \d+|last)$)");
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, record)) << line;
    EXPECT_EQ(capture.LastCall(), "T,9,last");
}

}  // namespace
