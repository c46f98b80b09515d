// The system-wide mutex on POSIX: an exclusive flock() on a shared-memory
// object named after the mutex and the account (a file in /tmp where shared
// memory is not available).  The object is the account's own, mode 0600: a
// process of another account can neither open it nor hold the lock, and an
// object of that name made by another account is never used.  So the mutex
// excludes the processes of one account from one another.  The kernel drops a
// flock when the last descriptor of its holder closes, so a process that dies
// holding the mutex releases it with its death and nobody waits on a dead
// owner.  flock() excludes other open descriptions, not other threads sharing
// this one, so a process-local mutex is taken first; a child made by fork()
// shares its parent's description, so it opens its own before it first locks.
#include "platform/named_mutex.h"

#include "platform/posix/posix_path.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <new>
#include <string>

namespace qrvp::platform {

class NamedMutex {
public:
    int fd = -1;
    pid_t opener = 0;  // the process that opened fd
    std::string name;
    std::mutex local;
};

namespace {

// Opens or creates the object at `path` (shared memory or a file), keeping
// it only when it belongs to this account and no other can open it.
int OpenPrivate(const std::string& path, bool shared)
{
    constexpr int kFlags = O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW;
    int fd = -1;
    do {
        fd = shared ? shm_open(path.c_str(), kFlags, 0600) : ::open(path.c_str(), kFlags, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat info {};
    const bool own = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid();
    if (!own || ((info.st_mode & 077) != 0 && fchmod(fd, 0600) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int OpenLockObject(const std::string& name)
{
    // Shared-memory names are one path component; a '/' in the mutex name
    // would make it a directory.
    std::string component;
    for (const char c : name) component.push_back(c == '/' ? '_' : c);
    component.push_back('.');
    component += std::to_string(geteuid());
    const int fd = OpenPrivate("/" + component, true);
    return fd >= 0 ? fd : OpenPrivate("/tmp/" + component + ".lock", false);
}

}  // namespace

NamedMutex* OpenNamedMutex(const wchar_t* name)
{
    const std::string narrow = posix::ToUtf8(name, false);
    if (narrow.empty()) return nullptr;
    const int fd = OpenLockObject(narrow);
    if (fd < 0) return nullptr;
    auto* mutex = new (std::nothrow) NamedMutex;
    if (mutex == nullptr) {
        ::close(fd);
        return nullptr;
    }
    try {
        mutex->name = narrow;
    } catch (...) {
        ::close(fd);
        delete mutex;
        return nullptr;
    }
    mutex->fd = fd;
    mutex->opener = getpid();
    return mutex;
}

void LockNamedMutex(NamedMutex* mutex)
{
    if (mutex == nullptr) return;
    mutex->local.lock();
    if (mutex->opener != getpid()) {
        // The first lock in the child of a fork: the inherited descriptor is
        // the parent's lock, so the child takes one of its own (or, when the
        // object cannot be opened again, does without).
        ::close(mutex->fd);
        mutex->fd = OpenLockObject(mutex->name);
        mutex->opener = getpid();
    }
    while (mutex->fd >= 0 && flock(mutex->fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

void UnlockNamedMutex(NamedMutex* mutex)
{
    if (mutex == nullptr) return;
    if (mutex->fd >= 0) (void)flock(mutex->fd, LOCK_UN);
    mutex->local.unlock();
}

void CloseNamedMutex(NamedMutex* mutex)
{
    if (mutex == nullptr) return;
    if (mutex->fd >= 0) ::close(mutex->fd);
    delete mutex;
}

}  // namespace qrvp::platform
