// Reading the captured log back, the same wherever the settings live.
#include "tests/support/log_capture.h"

#include "QRVPFuncs.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace qrvp::test {

namespace {

// Where the fields after the thread id begin (after the record's sixth
// comma), or npos.
size_t AfterThreadId(const std::string& record)
{
    size_t pos = 0;
    for (int comma = 0; comma < 6; ++comma) {
        pos = record.find(',', pos);
        if (pos == std::string::npos) return std::string::npos;
        ++pos;
    }
    return pos;
}

}  // namespace

std::vector<std::string> LogCapture::Lines()
{
    _LogClose();
    std::vector<std::string> lines;
    std::ifstream in(logPath_, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string LogCapture::LastCall()
{
    const std::vector<std::string> lines = Lines();
    if (lines.empty()) return {};
    const size_t pos = AfterThreadId(lines.back());
    return pos == std::string::npos ? std::string() : lines.back().substr(pos);
}

RecordTail ParseRecordTail(const std::string& record)
{
    RecordTail tail;
    const size_t pos = AfterThreadId(record);
    if (pos == std::string::npos) return tail;
    const size_t afterFunction = record.find(',', pos);
    if (afterFunction == std::string::npos) return tail;
    tail.function = record.substr(pos, afterFunction - pos);
    const size_t afterLine = record.find(',', afterFunction + 1);
    const std::string lineText =
        record.substr(afterFunction + 1, afterLine == std::string::npos ? std::string::npos : afterLine - afterFunction - 1);
    tail.line = std::atoi(lineText.c_str());
    if (afterLine != std::string::npos) tail.message = record.substr(afterLine + 1);
    return tail;
}

}  // namespace qrvp::test
