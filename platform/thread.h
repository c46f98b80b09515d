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

// Releases the handle of a thread that has done its work but may still be
// ending (it must have reached its entry function), while the library is
// being unloaded.  Never waits where the system
// holds a lock that an ending thread needs (Windows' loader lock: there each
// thread keeps the library loaded until it has ended, so none runs its code
// after unload); elsewhere waits as WaitThread does.  Null is fine.
void ReleaseThreadAtUnload(Thread* thread);

// In the child of a fork: releases the handle of a thread of the parent (the
// child has no such thread) without waiting.  Null is fine.
void ForgetThreadAfterFork(Thread* thread);

// Registers functions that run around every fork() of the process: `prepare`
// in the forking thread before, `parent` in it after, `child` in the new
// process's only thread.  Where processes do not fork, nothing happens.
void RegisterForkHandlers(void (*prepare)(), void (*parent)(), void (*child)());

// Sets the calling thread's scheduling priority two steps below the
// process's normal one (the lowest of the normal levels), also when it was
// started by a thread already lowered; a refusal is ignored.
void LowerCurrentThreadPriority();

// The operating system's id of the calling thread (the kernel thread id where
// threads have one), as printed in log records.
uint32_t CurrentThreadId();

}  // namespace qrvp::platform

#endif
