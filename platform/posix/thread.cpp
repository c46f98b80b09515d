// Threads on POSIX: joinable pthreads that block every signal (the host's
// handlers stay on the host's threads), the nice value for priority and the
// kernel's thread id.
#include "platform/thread.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
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

void LowerCurrentThreadPriority()
{
#if defined(__linux__)
    // On Linux the nice value belongs to the thread, so only the caller moves.
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, tid);
    if (nice == -1 && errno != 0) return;
    (void)setpriority(PRIO_PROCESS, tid, nice + 2);
#endif
}

uint32_t CurrentThreadId()
{
#if defined(__linux__)
    return static_cast<uint32_t>(syscall(SYS_gettid));
#else
    uint64_t id = 0;
    pthread_threadid_np(nullptr, &id);
    return static_cast<uint32_t>(id);
#endif
}

}  // namespace qrvp::platform
