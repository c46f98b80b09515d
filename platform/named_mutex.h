// A system-wide mutex known by name: one lock for every thread of every
// process that opens the same name (on POSIX, every process of the same
// account: other accounts can neither open nor hold it).  A process that dies
// while holding it does not leave it held; a child made by fork() without
// exec holds it apart from its parent.
#ifndef QRVP_PLATFORM_NAMED_MUTEX_H
#define QRVP_PLATFORM_NAMED_MUTEX_H

namespace qrvp::platform {

class NamedMutex;  // defined by each platform

// Creates the mutex, not owned, or opens it when another process already has;
// nullptr when it can be neither created nor opened.
NamedMutex* OpenNamedMutex(const wchar_t* name);

// Waits without a time-out until the calling thread holds the mutex.  Not
// recursive: a thread must not lock a mutex it already holds.
void LockNamedMutex(NamedMutex* mutex);
void UnlockNamedMutex(NamedMutex* mutex);

// Closes the handle; the mutex must not be held by the caller.  Null is fine.
void CloseNamedMutex(NamedMutex* mutex);

}  // namespace qrvp::platform

#endif
