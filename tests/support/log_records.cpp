// Reading the captured log back, the same wherever the settings live.
#include "tests/support/log_capture.h"

#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <cstdio>
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

void LogNumbered(int tag, long i)
{
    LogPrintf(9, 5, 0, nullptr, L"Writer", tag, L"process %d record %ld, padded", tag, i);
}

std::map<int, long> CountInOrder(const std::vector<std::string>& lines, bool gaps)
{
    std::map<int, long> next, count;
    for (const std::string& line : lines) {
        int tag = 0, again = 0, end = 0;
        long n = 0;
        const char* format = "%*u/%*u/%*u %*2u:%*2u:%*2u.%*3u,9,5,0,(null),%*u,Writer,%d,process %d record %ld, padded%n";
        if (std::sscanf(line.c_str(), format, &tag, &again, &n, &end) != 3 || tag != again ||
            static_cast<size_t>(end) != line.size()) {
            ADD_FAILURE() << "torn: " << line;
            continue;
        }
        EXPECT_TRUE(gaps ? n >= next[tag] : n == next[tag]) << line;
        next[tag] = n + 1;
        ++count[tag];
    }
    return count;
}

}  // namespace qrvp::test
