// Threads on POSIX: joinable pthreads that block every signal (the host's
// handlers stay on the host's threads), the nice value for priority and the
// kernel's thread id.
#include "platform/thread.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <new>

namespace qrvp::platform {

class Thread {
public:
    pthread_t id{};
    ThreadEntry entry = nullptr;
    void* argument = nullptr;
};

namespace {

void* RunThread(void* raw)
{
    auto* thread = static_cast<Thread*>(raw);
    thread->entry(thread->argument);
    return nullptr;
}

}  // namespace

Thread* StartThread(ThreadEntry entry, void* argument)
{
    auto* thread = new (std::nothrow) Thread;
    if (thread == nullptr) return nullptr;
    thread->entry = entry;
    thread->argument = argument;

    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    const bool masked = pthread_sigmask(SIG_SETMASK, &all, &previous) == 0;
    const int started = pthread_create(&thread->id, nullptr, RunThread, thread);
    if (masked) pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (started != 0) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void WaitThread(Thread* thread)
{
    if (thread == nullptr) return;
    pthread_join(thread->id, nullptr);
    delete thread;
}

void ReleaseThreadAtUnload(Thread* thread)
{
    // No lock of the system's is held while a library's destructors run, and
    // the thread's code must not be unmapped under it.
    WaitThread(thread);
}

void ForgetThreadAfterFork(Thread* thread)
{
    if (thread == nullptr) return;
    // Nobody will join it: its resources go with the process.
    (void)pthread_detach(thread->id);
    delete thread;
}

void RegisterForkHandlers(void (*prepare)(), void (*parent)(), void (*child)())
{
    (void)pthread_atfork(prepare, parent, child);
}

void LowerCurrentThreadPriority()
{
#if defined(__linux__)
    // On Linux the nice value belongs to the thread, so only the caller moves;
    // the process's normal value is its main thread's.
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    if (nice == -1 && errno != 0) return;
    (void)setpriority(PRIO_PROCESS, tid, nice + 2);
#endif
}

#if defined(__linux__)
namespace {

// Bumped in the child of every fork, whose one thread has a new id: the ids
// kept per thread are then read again.
std::atomic<uint32_t> g_forkGeneration{0};

void AfterForkInChild() { g_forkGeneration.fetch_add(1, std::memory_order_relaxed); }

}  // namespace
#endif

// The id is asked of the kernel once per thread (and again after a fork).
uint32_t CurrentThreadId()
{
#if defined(__linux__)
    thread_local uint32_t cachedId = 0;
    thread_local uint32_t cachedGeneration = 0;
    const uint32_t generation = g_forkGeneration.load(std::memory_order_relaxed);
    if (cachedId == 0 || cachedGeneration != generation) {
        static std::once_flag registered;
        std::call_once(registered, [] { (void)pthread_atfork(nullptr, nullptr, AfterForkInChild); });
        cachedGeneration = g_forkGeneration.load(std::memory_order_relaxed);
        cachedId = static_cast<uint32_t>(syscall(SYS_gettid));
    }
    return cachedId;
#else
    uint64_t id = 0;
    pthread_threadid_np(nullptr, &id);
    return static_cast<uint32_t>(id);
#endif
}

}  // namespace qrvp::platform
