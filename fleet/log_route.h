// Routing the library's diagnostic log into a private file while a front-end runs,
// so that the records a call produced can be shown beside its result.
//
// The library reads its log settings from the settings store named by the
// QRVPFUNCS_REGISTRY environment variable (a file in the registry-export
// format).  LogRoute writes such a file into a fresh temporary directory,
// keeping the calculations' records (Levels 0x20, Systems 0x200) and naming a
// log file beside it, points the variable at it and calls _LogInit.  The
// user's own log file is not written meanwhile.
#ifndef QRVP_FLEET_LOG_ROUTE_H
#define QRVP_FLEET_LOG_ROUTE_H

#include <cstdint>
#include <string>
#include <vector>

namespace qrvp::fleet {

// One record line split at its fields: the function name, the source line
// and the message (which keeps its commas).  The whole line stays in `text`.
struct LogRecord {
    std::string text;
    std::string function;
    std::string line;
    std::string message;
};
LogRecord SplitRecord(const std::string& line);

class LogRoute {
public:
    LogRoute();
    ~LogRoute();
    LogRoute(const LogRoute&) = delete;
    LogRoute& operator=(const LogRoute&) = delete;

    // False when no temporary directory could be made; records are then lost
    // but nothing else changes.
    bool Active() const { return !dir_.empty(); }

    // Waits for the log's writer, returns the records written since the last
    // call, and opens the log again for the next ones.
    std::vector<LogRecord> Collect();

private:
    std::string dir_;
    std::string logPath_;
    std::string registryPath_;
    uintmax_t offset_ = 0;
    bool hadPrevious_ = false;
    std::string previous_;
};

// The settings store the library reads: $QRVPFUNCS_REGISTRY, else the
// machine-wide default file.
std::string SettingsStorePath();

// The "Filename" value under "Quarvex\Error Log" in the store file at `path`,
// read from the registry-export text (UTF-8 or UTF-16); empty when the file,
// the key or the value is missing.
std::string ReadLogFilenameSetting(const std::string& path);

}  // namespace qrvp::fleet

#endif
