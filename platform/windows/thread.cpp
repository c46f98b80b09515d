// Threads on Windows: started through the C runtime (so the runtime's
// per-thread state is set up and freed), waited for on their handle.
#include "platform/thread.h"

#include "platform/windows/windows_api.h"

#include <process.h>

#include <new>

namespace qrvp::platform {

class Thread {
public:
    HANDLE handle = nullptr;
    ThreadEntry entry = nullptr;
    void* argument = nullptr;
};

namespace {

unsigned __stdcall RunThread(void* raw)
{
    // The Thread outlives the thread: it is freed only after WaitThread has
    // seen the thread end.
    const auto* thread = static_cast<const Thread*>(raw);
    thread->entry(thread->argument);
    return 0;
}

}  // namespace

Thread* StartThread(ThreadEntry entry, void* argument)
{
    if (entry == nullptr) return nullptr;
    auto* thread = new (std::nothrow) Thread;
    if (thread == nullptr) return nullptr;
    thread->entry = entry;
    thread->argument = argument;
    // Default stack size; the thread starts at once.
    const uintptr_t handle = _beginthreadex(nullptr, 0, RunThread, thread, 0, nullptr);
    if (handle == 0) {
        delete thread;
        return nullptr;
    }
    thread->handle = reinterpret_cast<HANDLE>(handle);
    return thread;
}

void WaitThread(Thread* thread)
{
    if (thread == nullptr) return;
    (void)WaitForSingleObject(thread->handle, INFINITE);
    (void)CloseHandle(thread->handle);
    delete thread;
}

void LowerCurrentThreadPriority()
{
    // THREAD_PRIORITY_LOWEST is -2, the lowest of the normal levels.
    (void)SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
}

uint32_t CurrentThreadId() { return static_cast<uint32_t>(GetCurrentThreadId()); }

}  // namespace qrvp::platform
