// Appending text to a file as a text-mode "at" stream does, and deleting a
// file.  Paths are given as the settings store holds them; where the system's
// separator is "/" every backslash in a path stands for one.
#ifndef QRVP_PLATFORM_FILE_APPEND_H
#define QRVP_PLATFORM_FILE_APPEND_H

#include <cstddef>

namespace qrvp::platform {

class AppendFile;  // defined by each platform

// Opens `path` for appending, creating the file when it does not exist (never
// its directory).  nullptr when it cannot be opened.
AppendFile* OpenForAppend(const wchar_t* path);

// Appends `length` wide characters as 8-bit text: a character below 256 as
// that byte, any other as '?', and each line feed as carriage return and line
// feed.  Output may be buffered until CloseAppendFile; every write lands at the
// file's end at the time of writing.  Errors are ignored.
void AppendText(AppendFile* file, const wchar_t* text, size_t length);

// Writes what is buffered and closes the file.  Null is fine.
void CloseAppendFile(AppendFile* file);

// Deletes the file; the result (a missing file, a denied deletion) is ignored.
void DeleteFileAt(const wchar_t* path);

}  // namespace qrvp::platform

#endif
