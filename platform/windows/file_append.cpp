// Appending on Windows through the C runtime's low-level files, opened for
// appending in binary mode: the text-mode translation (each line feed to
// carriage return and line feed) is done here, one byte a character, so that
// the bytes of every record are known and a write cut short can be taken back
// off the file.  Records are written in pieces of about 64 KiB that hold whole
// records only.
#include "platform/file_append.h"
#include "platform/record_chunks.h"

#include "platform/windows/windows_api.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdint>
#include <new>
#include <string>

namespace qrvp::platform {

class AppendFile {
public:
    int fd = -1;
    bool disk = false;
    bool needsLineEnd = false;  // the file ended mid-line when opened
    uint64_t cutEnd = 0;        // see CutRecordEnd
};

namespace {

size_t WriteSome(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const size_t piece = data.size() - done < 0x40000000u ? data.size() - done : 0x40000000u;
        const int written = _write(fd, data.data() + done, static_cast<unsigned>(piece));
        if (written <= 0) break;
        done += static_cast<size_t>(written);
    }
    return done;
}

void CutBack(const AppendFile* file, size_t bytes)
{
    if (bytes == 0 || !file->disk) return;
    const __int64 size = _filelengthi64(file->fd);
    if (size >= static_cast<__int64>(bytes)) (void)_chsize_s(file->fd, size - static_cast<__int64>(bytes));
}

}  // namespace

AppendFile* OpenForAppend(const wchar_t* path, uint64_t cutEnd)
{
    if (path == nullptr || *path == L'\0') return nullptr;
    constexpr int kFlags = _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT;
    int fd = _wopen(path, _O_RDWR | kFlags, _S_IREAD | _S_IWRITE);
    if (fd < 0) fd = _wopen(path, _O_WRONLY | kFlags, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    // A pipe or anything else that is neither a disk file nor a character
    // device (such as NUL) could block the writer or never take the text.
    const DWORD type = GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
    auto* file = type == FILE_TYPE_DISK || type == FILE_TYPE_CHAR ? new (std::nothrow) AppendFile : nullptr;
    if (file == nullptr) {
        _close(fd);
        return nullptr;
    }
    file->fd = fd;
    file->disk = type == FILE_TYPE_DISK;
    const __int64 size = file->disk ? _filelengthi64(fd) : 0;
    char last = '\n';
    if (size > 0 && _lseeki64(fd, size - 1, SEEK_SET) == size - 1 && _read(fd, &last, 1) == 1) {
        const bool ownCut = cutEnd != 0 && static_cast<uint64_t>(size) == cutEnd;
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
    if (const std::wstring* last = LastWithText(records, whole)) {
        const __int64 size = last->back() != L'\n' && file->disk ? _filelengthi64(file->fd) : 0;
        file->cutEnd = size > 0 ? static_cast<uint64_t>(size) : 0;
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
    _close(file->fd);
    delete file;
}

void DeleteFileAt(const wchar_t* path)
{
    if (path != nullptr) (void)DeleteFileW(path);
}

}  // namespace qrvp::platform
