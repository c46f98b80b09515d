// Threads: start one that can later be waited for, lower the calling thread's
// priority, and the numeric id of the calling thread.
#ifndef QRVP_PLATFORM_THREAD_H
#define QRVP_PLATFORM_THREAD_H

#include <cstdint>

namespace qrvp::platform {

class Thread;  // defined by each platform

using ThreadEntry = void (*)(void* argument);

// Starts a thread of default stack size running entry(argument).  Returns its
// handle, or nullptr when no thread could be started (entry is then not run).
// Every handle returned must be passed to WaitThread exactly once.
Thread* StartThread(ThreadEntry entry, void* argument);

// Waits without a time-out until the thread has ended, then releases the
// handle.  A null handle returns at once.
void WaitThread(Thread* thread);

// Lowers the calling thread's scheduling priority by two steps below normal
// (the lowest of the normal levels); a refusal is ignored.
void LowerCurrentThreadPriority();

// The operating system's id of the calling thread (the kernel thread id where
// threads have one), as printed in log records.
uint32_t CurrentThreadId();

}  // namespace qrvp::platform

#endif
