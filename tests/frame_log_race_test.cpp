// Threads logging beside deletions, re-initialisations and closes: whatever
// survives is whole records, each thread's in its own order.  (Threads logging
// at once with nothing lost are counted in platform_log_faults_test.)
#include "QRVPFuncs.h"
#include "frame/log.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using qrvp::test::CountInOrder;
using qrvp::test::LogNumbered;

TEST(FrameLogRace, LoggingBesideDeletionAndReinitialisation)
{
    qrvp::test::LogCapture capture;
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &stop] {
            for (int i = 0; !stop.load(); ++i) {
                LogNumbered(t, i);
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
    // Whatever survived the deletions is whole records; the last one is there.
    LogNumbered(9, 0);
    CountInOrder(capture.Lines(), true);
    EXPECT_EQ(capture.LastCall(), "Writer,9,process 9 record 0, padded");
}

}  // namespace
