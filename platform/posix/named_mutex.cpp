// The system-wide mutex on POSIX: an exclusive flock() on a shared-memory
// object named after the mutex (a file in /tmp where shared memory is not
// available).  The kernel drops a flock when the last descriptor of its
// holder closes, so a process that dies holding the mutex releases it with
// its death and nobody waits on a dead owner.  flock() excludes other open
// descriptions, not other threads sharing this one, so a process-local mutex
// is taken first.
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
    std::mutex local;
};

namespace {

int OpenLockObject(const std::string& name)
{
    // Shared-memory names are one path component; a '/' in the mutex name
    // would make it a directory.
    std::string component;
    for (const char c : name) component.push_back(c == '/' ? '_' : c);

    const std::string shmName = "/" + component;
    int fd = shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        const std::string fileName = "/tmp/" + component + ".lock";
        do {
            fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        } while (fd < 0 && errno == EINTR);
    }
    // Let processes of other users open it too, whatever the creator's umask.
    if (fd >= 0) (void)fchmod(fd, 0666);
    return fd;
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
    mutex->fd = fd;
    return mutex;
}

void LockNamedMutex(NamedMutex* mutex)
{
    if (mutex == nullptr) return;
    mutex->local.lock();
    while (flock(mutex->fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

void UnlockNamedMutex(NamedMutex* mutex)
{
    if (mutex == nullptr) return;
    (void)flock(mutex->fd, LOCK_UN);
    mutex->local.unlock();
}

void CloseNamedMutex(NamedMutex* mutex)
{
    if (mutex == nullptr) return;
    ::close(mutex->fd);
    delete mutex;
}

}  // namespace qrvp::platform
