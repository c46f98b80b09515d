// The thread service: start and wait, the lowered priority (of that thread
// alone), and the kernel thread id, also in the child of a fork.
#include "platform/thread.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>

namespace {

using namespace qrvp::platform;

TEST(PlatformThread, StartsWaitsLowersOnlyItselfAndKnowsItsId)
{
    struct Probe {
        std::atomic<int> runs{0};
        uint32_t id = 0;
        int niceBefore = 0, niceAfter = 0;
    } probe;
    const int mainNice = getpriority(PRIO_PROCESS, 0);
    Thread* thread = StartThread(
        [](void* raw) {
            auto* p = static_cast<Probe*>(raw);
            p->id = CurrentThreadId();
            const auto tid = static_cast<id_t>(syscall(SYS_gettid));
            p->niceBefore = getpriority(PRIO_PROCESS, tid);
            LowerCurrentThreadPriority();
            p->niceAfter = getpriority(PRIO_PROCESS, tid);
            p->runs.fetch_add(1);
        },
        &probe);
    ASSERT_NE(thread, nullptr);
    WaitThread(thread);
    WaitThread(nullptr);
    EXPECT_EQ(probe.runs.load(), 1);
    EXPECT_NE(probe.id, CurrentThreadId());
    EXPECT_EQ(probe.niceAfter, std::min(probe.niceBefore + 2, 19));
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), mainNice);

    EXPECT_EQ(CurrentThreadId(), static_cast<uint32_t>(syscall(SYS_gettid)));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(CurrentThreadId() == static_cast<uint32_t>(getpid()) ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
