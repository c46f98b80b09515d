// Appending on POSIX: O_APPEND, so each write lands at the file's current end
// even when other processes append too.  Records are converted into a buffer
// and written in pieces of about 64 KiB that hold whole records only; the
// offsets of the record ends tell how far a short write got.
#include "platform/file_append.h"
#include "platform/record_chunks.h"

#include "platform/posix/posix_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>
#include <string>

namespace qrvp::platform {

class AppendFile {
public:
    int fd = -1;
    bool regular = false;
    bool needsLineEnd = false;  // the file ended mid-line when opened
    uint64_t cutEnd = 0;        // see CutRecordEnd
};

namespace {

int OpenNonBlocking(const std::string& name, int access)
{
    int fd = -1;
    do {
        fd = ::open(name.c_str(), access | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes `data`; returns the bytes that reached the file.
size_t WriteSome(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.data() + done, data.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        done += static_cast<size_t>(written);
    }
    return done;
}

// Cuts the last `bytes` bytes (a fragment just appended) off the file.
void CutBack(const AppendFile* file, size_t bytes)
{
    struct stat info {};
    if (bytes == 0 || !file->regular || fstat(file->fd, &info) != 0) return;
    const off_t keep = info.st_size - static_cast<off_t>(bytes);
    if (keep >= 0) {
        while (ftruncate(file->fd, keep) != 0 && errno == EINTR) {
        }
    }
}

}  // namespace

AppendFile* OpenForAppend(const wchar_t* path, uint64_t cutEnd)
{
    const std::string name = posix::ToUtf8(path, true);
    if (name.empty()) return nullptr;
    // Without blocking: a FIFO with no reader would otherwise hold the open
    // for ever.  Read access, where granted, lets the last byte be checked.
    int fd = OpenNonBlocking(name, O_RDWR);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) fd = OpenNonBlocking(name, O_WRONLY);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISCHR(info.st_mode))) {
        ::close(fd);
        return nullptr;
    }
    auto* file = new (std::nothrow) AppendFile;
    if (file == nullptr) {
        ::close(fd);
        return nullptr;
    }
    // Writes to a device may block like any other write.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) (void)fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file->fd = fd;
    file->regular = S_ISREG(info.st_mode);
    char last = '\n';
    if (file->regular && info.st_size > 0 && pread(fd, &last, 1, info.st_size - 1) == 1) {
        const bool ownCut = cutEnd != 0 && static_cast<uint64_t>(info.st_size) == cutEnd;
        file->needsLineEnd = last != '\n' && !ownCut;
        file->cutEnd = last != '\n' && ownCut ? cutEnd : 0;
    }
    return file;
}

size_t AppendRecords(AppendFile* file, const std::wstring* records, size_t count)
{
    if (file == nullptr || records == nullptr) return 0;
    const size_t whole = AppendInChunks(
        records, count, file->needsLineEnd, [&](const std::string& text) { return WriteSome(file->fd, text); },
        [&](size_t bytes) { CutBack(file, bytes); });
    struct stat info {};
    if (const std::wstring* last = LastWithText(records, whole)) {
        const bool cut = last->back() != L'\n' && file->regular && fstat(file->fd, &info) == 0;
        file->cutEnd = cut ? static_cast<uint64_t>(info.st_size) : 0;
    }
    return whole;
}

uint64_t CutRecordEnd(const AppendFile* file)
{
    return file == nullptr ? 0 : file->cutEnd;
}

bool AppendText(AppendFile* file, const wchar_t* text, size_t length)
{
    if (text == nullptr) return false;
    try {
        const std::wstring record(text, length);
        return AppendRecords(file, &record, 1) == 1;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void CloseAppendFile(AppendFile* file)
{
    if (file == nullptr) return;
    ::close(file->fd);
    delete file;
}

void DeleteFileAt(const wchar_t* path)
{
    const std::string name = posix::ToUtf8(path, true);
    if (!name.empty()) (void)::unlink(name.c_str());
}

}  // namespace qrvp::platform
