// The system-wide mutex on Windows: a named kernel mutex.  The handle itself
// stands for the NamedMutex, so opening allocates nothing.  A holder that dies
// leaves the mutex abandoned, and the next waiter receives it.
#include "platform/named_mutex.h"

#include "platform/windows/windows_api.h"

namespace qrvp::platform {

namespace {

HANDLE HandleOf(NamedMutex* mutex) { return static_cast<HANDLE>(mutex); }

}  // namespace

NamedMutex* OpenNamedMutex(const wchar_t* name)
{
    // An empty name would make a private, unnamed mutex.
    if (name == nullptr || *name == L'\0') return nullptr;
    // Creates the mutex not owned, or opens the one another process created.
    HANDLE handle = CreateMutexW(nullptr, FALSE, name);
    return static_cast<NamedMutex*>(handle);
}

void LockNamedMutex(NamedMutex* mutex)
{
    if (mutex == nullptr) return;
    // WAIT_OBJECT_0 and WAIT_ABANDONED (a dead holder) both hand it over.
    (void)WaitForSingleObject(HandleOf(mutex), INFINITE);
}

void UnlockNamedMutex(NamedMutex* mutex)
{
    if (mutex == nullptr) return;
    (void)ReleaseMutex(HandleOf(mutex));
}

void CloseNamedMutex(NamedMutex* mutex)
{
    if (mutex == nullptr) return;
    (void)CloseHandle(HandleOf(mutex));
}

}  // namespace qrvp::platform
