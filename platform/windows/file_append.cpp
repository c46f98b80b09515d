// Text-mode appending on Windows: a C runtime stream opened "at", so every
// write goes to the file's end and the runtime turns each line feed into
// carriage return and line feed.  Wide characters are narrowed here, one byte
// each, before they reach the stream.
#include "platform/file_append.h"

#include "platform/windows/windows_api.h"

#include <cstdint>
#include <cstdio>
#include <new>

namespace qrvp::platform {

class AppendFile {
public:
    FILE* stream = nullptr;
};

AppendFile* OpenForAppend(const wchar_t* path)
{
    if (path == nullptr || *path == L'\0') return nullptr;
    FILE* stream = _wfopen(path, L"at");
    if (stream == nullptr) return nullptr;
    auto* file = new (std::nothrow) AppendFile;
    if (file == nullptr) {
        std::fclose(stream);
        return nullptr;
    }
    file->stream = stream;
    return file;
}

void AppendText(AppendFile* file, const wchar_t* text, size_t length)
{
    if (file == nullptr || text == nullptr) return;
    char chunk[4096];
    size_t used = 0;
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<uint32_t>(static_cast<uint16_t>(text[i]));
        chunk[used++] = c < 256u ? static_cast<char>(static_cast<unsigned char>(c)) : '?';
        if (used == sizeof chunk) {
            (void)std::fwrite(chunk, 1, used, file->stream);
            used = 0;
        }
    }
    if (used > 0) (void)std::fwrite(chunk, 1, used, file->stream);
}

void CloseAppendFile(AppendFile* file)
{
    if (file == nullptr) return;
    std::fclose(file->stream);
    delete file;
}

void DeleteFileAt(const wchar_t* path)
{
    if (path != nullptr) (void)DeleteFileW(path);
}

}  // namespace qrvp::platform
