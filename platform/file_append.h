// Appending log records to a file as a text-mode "at" stream does, and
// deleting a file.  Paths are given as the settings store holds them; where
// the system's separator is "/" every backslash in a path stands for one.
#ifndef QRVP_PLATFORM_FILE_APPEND_H
#define QRVP_PLATFORM_FILE_APPEND_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace qrvp::platform {

class AppendFile;  // defined by each platform

// Opens `path` for appending, creating a regular file when nothing is there
// (never its directory).  nullptr when it cannot be opened, and when it names
// anything but a regular file or a character device (such as the null
// device): a FIFO, a socket or a directory could block the writer or never
// take the text.  The open itself never waits for another party.  `cutEnd`:
// see AppendRecords.
AppendFile* OpenForAppend(const wchar_t* path, uint64_t cutEnd = 0);

// Appends the records in order, each as 8-bit text (a character below 256 as
// that byte, any other as '?', each line feed as carriage return and line
// feed), and returns how many of them, counted from the first, are now in the
// file whole.  When a write stops short (a full disk, a file-size limit) the
// part of the record it cut is taken back off the file, so a regular file
// always ends on a whole record, and the records after it are not written.
// Before the first record, a regular file that does not end in a line end
// (its last writer died mid-line) is given one, so no record is glued to a
// fragment.  But a file of just `cutEnd` bytes (CutRecordEnd of this
// process's last use of it) ends on a cut record of its own, a whole record
// without a line end, and the next record follows on its line.
size_t AppendRecords(AppendFile* file, const std::wstring* records, size_t count);

// The file's size when the last record appended with any text has no line
// end (a record cut short of one), else 0.
uint64_t CutRecordEnd(const AppendFile* file);

// One record of `length` characters; true when it is in the file whole.
bool AppendText(AppendFile* file, const wchar_t* text, size_t length);

// Closes the file.  Null is fine.
void CloseAppendFile(AppendFile* file);

// Deletes the file; the result (a missing file, a denied deletion) is ignored.
void DeleteFileAt(const wchar_t* path);

}  // namespace qrvp::platform

#endif
