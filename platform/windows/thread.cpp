// Threads on Windows: started through the C runtime (so the runtime's
// per-thread state is set up and freed), waited for on their handle.  Each
// thread holds a reference to the module its code is in until it has ended:
// a host that unloads the library meanwhile only drops its own reference, and
// the library is unloaded once the thread is gone.  (The universal runtime's
// thread start takes that reference itself.)
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
    HMODULE module = nullptr;  // the reference the thread holds, or null
};

namespace {

unsigned __stdcall RunThread(void* raw)
{
    // The Thread is freed by WaitThread once the thread has ended, or by
    // ReleaseThreadAtUnload once it runs its entry function.
    const auto* thread = static_cast<const Thread*>(raw);
    HMODULE module = thread->module;
    const ThreadEntry entry = thread->entry;
    void* const argument = thread->argument;
    entry(argument);
    // Dropping the last reference unloads the library while this thread still
    // runs: the system's exit does both at once, with no code of the library
    // left to run.
    if (module != nullptr) FreeLibraryAndExitThread(module, 0);
    return 0;
}

HMODULE ReferenceThisModule()
{
#if defined(_UCRT)
    return nullptr;
#else
    HMODULE module = nullptr;
    const auto address = reinterpret_cast<LPCWSTR>(reinterpret_cast<uintptr_t>(&RunThread));
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, address, &module) != 0 ? module : nullptr;
#endif
}

}  // namespace

Thread* StartThread(ThreadEntry entry, void* argument)
{
    if (entry == nullptr) return nullptr;
    auto* thread = new (std::nothrow) Thread;
    if (thread == nullptr) return nullptr;
    thread->entry = entry;
    thread->argument = argument;
    thread->module = ReferenceThisModule();
    // Default stack size; the thread starts at once.
    const uintptr_t handle = _beginthreadex(nullptr, 0, RunThread, thread, 0, nullptr);
    if (handle == 0) {
        if (thread->module != nullptr) FreeLibrary(thread->module);
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

void ReleaseThreadAtUnload(Thread* thread)
{
    // Under the loader lock: an ending thread needs that lock to end, so
    // waiting here would never return.  The thread holds the library loaded
    // for as long as it runs, so it is left to end on its own.
    if (thread == nullptr) return;
    (void)CloseHandle(thread->handle);
    delete thread;
}

void ForgetThreadAfterFork(Thread* thread) { ReleaseThreadAtUnload(thread); }

void RegisterForkHandlers(void (*)(), void (*)(), void (*)()) {}

void LowerCurrentThreadPriority()
{
    // THREAD_PRIORITY_LOWEST is -2, the lowest of the normal levels.
    (void)SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
}

uint32_t CurrentThreadId() { return static_cast<uint32_t>(GetCurrentThreadId()); }

}  // namespace qrvp::platform
