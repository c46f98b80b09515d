// Reading the captured log back, the same wherever the settings live.
#include "tests/support/log_capture.h"

#include "QRVPFuncs.h"

#include <cstdlib>
#include <fstream>

namespace qrvp::test {

std::vector<std::string> LogCapture::Lines()
{
    _LogClose();
    std::ifstream in(logPath_, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

namespace {

// The fields after the thread id (after the record's sixth comma), or "".
std::string AfterThreadId(const std::string& record)
{
    size_t pos = 0;
    for (int comma = 0; comma < 6 && pos != std::string::npos; ++comma) {
        pos = record.find(',', pos);
        pos = pos == std::string::npos ? pos : pos + 1;
    }
    return pos == std::string::npos ? std::string() : record.substr(pos);
}

}  // namespace

std::string LogCapture::LastCall()
{
    const std::vector<std::string> lines = Lines();
    return lines.empty() ? std::string() : AfterThreadId(lines.back());
}

RecordTail ParseRecordTail(const std::string& record)
{
    const std::string rest = AfterThreadId(record);
    RecordTail tail;
    const size_t afterFunction = rest.find(',');
    if (afterFunction == std::string::npos) return tail;
    tail.function = rest.substr(0, afterFunction);
    tail.line = std::atoi(rest.c_str() + afterFunction + 1);
    const size_t afterLine = rest.find(',', afterFunction + 1);
    if (afterLine != std::string::npos) tail.message = rest.substr(afterLine + 1);
    return tail;
}

}  // namespace qrvp::test
