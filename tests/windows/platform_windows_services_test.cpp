// The Windows platform services against the system's own answers where the
// shared tests cannot tell: the thread's priority and id, and the local
// clock.  (Appending, the code page and the named mutex are held to the
// log's exact lines by the shared log tests, which run here too.)
#include "platform/local_time.h"
#include "platform/thread.h"

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>

namespace platform = qrvp::platform;

TEST(WindowsThreads, StartWaitPriorityAndId)
{
    struct Seen {
        std::atomic<int> priority{0};
        std::atomic<uint32_t> id{0}, systemId{0};
    } seen;
    platform::Thread* thread = platform::StartThread(
        [](void* raw) {
            auto* s = static_cast<Seen*>(raw);
            platform::LowerCurrentThreadPriority();
            s->priority = GetThreadPriority(GetCurrentThread());
            s->id = platform::CurrentThreadId();
            s->systemId = GetCurrentThreadId();
        },
        &seen);
    ASSERT_NE(thread, nullptr);
    platform::WaitThread(thread);
    EXPECT_EQ(seen.priority.load(), THREAD_PRIORITY_LOWEST);
    EXPECT_EQ(seen.id.load(), seen.systemId.load());
    EXPECT_EQ(platform::CurrentThreadId(), static_cast<uint32_t>(GetCurrentThreadId()));
    EXPECT_NE(seen.id.load(), platform::CurrentThreadId());
    platform::WaitThread(nullptr);
    EXPECT_EQ(platform::StartThread(nullptr, nullptr), nullptr);
}

TEST(WindowsClock, LocalTimeIsTheSystemLocalTime)
{
    // The system's clock read on both sides of ours; a minute boundary in
    // between shows as the two readings differing.
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    const platform::LocalTime t = platform::CurrentLocalTime();
    GetLocalTime(&after);
    if (before.wMinute != after.wMinute) GTEST_SKIP() << "the minute changed while reading";
    EXPECT_TRUE(t.year == before.wYear && t.month == before.wMonth && t.day == before.wDay && t.hour == before.wHour &&
                t.minute == before.wMinute);
    EXPECT_TRUE(t.second >= before.wSecond && t.second <= after.wSecond && t.milliseconds <= 999);
}
