// Text-mode appending on POSIX: O_APPEND, so each write lands at the file's
// current end even when other processes append too; the text is collected in
// a buffer and written in large pieces.
#include "platform/file_append.h"

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
    std::string pending;
};

namespace {

constexpr size_t kFlushSize = 64 * 1024;

void WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;  // a full disk or a revoked file: the rest is lost, as with any text stream
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

void Flush(AppendFile* file)
{
    WriteAll(file->fd, file->pending.data(), file->pending.size());
    file->pending.clear();
}

}  // namespace

AppendFile* OpenForAppend(const wchar_t* path)
{
    const std::string name = posix::ToUtf8(path, true);
    if (name.empty()) return nullptr;
    int fd = -1;
    do {
        fd = ::open(name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    auto* file = new (std::nothrow) AppendFile;
    if (file == nullptr) {
        ::close(fd);
        return nullptr;
    }
    file->fd = fd;
    file->pending.reserve(kFlushSize + 4096);
    return file;
}

void AppendText(AppendFile* file, const wchar_t* text, size_t length)
{
    if (file == nullptr || text == nullptr) return;
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<uint32_t>(text[i]);
        if (c == '\n') {
            file->pending.push_back('\r');
            file->pending.push_back('\n');
        } else {
            file->pending.push_back(c < 256u ? static_cast<char>(static_cast<unsigned char>(c)) : '?');
        }
    }
    if (file->pending.size() >= kFlushSize) Flush(file);
}

void CloseAppendFile(AppendFile* file)
{
    if (file == nullptr) return;
    Flush(file);
    ::close(file->fd);
    delete file;
}

void DeleteFileAt(const wchar_t* path)
{
    const std::string name = posix::ToUtf8(path, true);
    if (!name.empty()) (void)::unlink(name.c_str());
}

}  // namespace qrvp::platform
