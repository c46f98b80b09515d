// Routes the library's diagnostic log into a temporary file for one test:
// writes a settings file that keeps the calculations' records (Levels 0x20,
// Systems 0x200) and names a fresh log file, points QRVPFUNCS_REGISTRY at it
// and calls _LogInit.  Lines() waits for the writer (_LogClose) and returns the
// file's records without their line ends; records written after Lines() still
// reach the file.  Captures may follow one another in one process (not nest);
// when one ends the filters are shut, forced records go to the null device and
// QRVPFUNCS_REGISTRY is restored.
#ifndef QRVP_TESTS_LOG_CAPTURE_H
#define QRVP_TESTS_LOG_CAPTURE_H

#include <map>
#include <string>
#include <vector>

namespace qrvp::test {

class LogCapture {
public:
    LogCapture();
    // A store with other masks, or a log file elsewhere in the capture's
    // directory (a relative name such as "sub/QuarvexLog.csv"; the directory
    // "sub" is not created).
    LogCapture(unsigned levelMask, unsigned systemMask, const std::string& logFileName = "QuarvexLog.csv");
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Every record written since construction, in file order.
    std::vector<std::string> Lines();
    // The last record's fields after the thread id: "function,line,message".
    std::string LastCall();
    const std::string& LogPath() const { return logPath_; }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
    std::string logPath_;
    std::string registryPath_;
    std::string previousStore_;
    bool hadPreviousStore_ = false;
};

// (Lines, LastCall and ParseRecordTail are in log_records.cpp, shared by both
// kinds of capture.)

// Splits a record line into its function name, line number and message
// (fields 13, 14 and 15); the message keeps its commas.
struct RecordTail {
    std::string function;
    int line = 0;
    std::string message;
};
RecordTail ParseRecordTail(const std::string& record);

// A numbered record of the log tests: "process <tag> record <i>, padded" from
// the function "Writer" at line <tag> (frame_log_writer_main writes the same).
void LogNumbered(int tag, long i);
// Each line must be a whole numbered record, each tag's numbers in order: 0, 1,
// 2, ... or, with `gaps` (records deleted on the way), merely rising.  Returns
// the count of each tag's records.
std::map<int, long> CountInOrder(const std::vector<std::string>& lines, bool gaps = false);

}  // namespace qrvp::test

#endif
