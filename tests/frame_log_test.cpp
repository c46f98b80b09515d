// The diagnostic log as a host sees it: exact record lines with the caller's
// time and thread, the cuts, and a file that cannot be opened yet.  (Deletion
// beside logging threads is in frame_log_race_test.)
#include "QRVPFuncs.h"
#include "frame/log.h"
#include "frame/log_record.h"
#include "platform/thread.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>


#include <cstdarg>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>

namespace {

using qrvp::test::LogCapture;
using qrvp::test::ParseRecordTail;
namespace fs = std::filesystem;

const std::regex kStamp(R"(^([1-9]|1[0-2])/([1-9]|[12][0-9]|3[01])/[0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-6][0-9]\.[0-9]{3},)");

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(FrameLog, RecordLinesWithTimeThreadAndText)
{
    LogCapture capture;
    const std::time_t before = std::time(nullptr);
    LogPrintf(9, 5, 0, nullptr, L"NomToSecEff", 82, L"bFactor (%f) cannot be %d, not even %d/%d/%d", 0.5, 0, 3, 7, 2024);
    uint32_t otherId = 0;
    std::thread other([&] {
        otherId = qrvp::platform::CurrentThreadId();
        _LogMsg(9, 5, 0, L"text", L"f", 2, L"caf\u00e9 \u4e2d");
    });
    other.join();
    _LogMsg(-55, 5, -2147483647 - 1, L"host, text", nullptr, -1, nullptr);
    LogPrintf(9, 5, 0, nullptr, L"f", 1, nullptr);
    LogPrintf(9, 5, 0, nullptr, L"f", 2, L"%%d %5.2f|%-4d|%ls", 2.5, 7, L"wide");
    const auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 5u);

    std::tm fields{};
    int ms = 0;
    unsigned thread = 0;
    char rest[200] = {};
    ASSERT_EQ(std::sscanf(lines[0].c_str(), "%d/%d/%d %d:%d:%d.%d,9,5,0,(null),%u,%199[^\n]", &fields.tm_mon,
                          &fields.tm_mday, &fields.tm_year, &fields.tm_hour, &fields.tm_min, &fields.tm_sec, &ms,
                          &thread, rest),
              9)
        << lines[0];
    EXPECT_EQ(std::string(rest), "NomToSecEff,82,bFactor (0.500000) cannot be 0, not even 3/7/2024");
    fields.tm_mon -= 1;
    fields.tm_year -= 1900;
    fields.tm_isdst = -1;
    EXPECT_LE(std::abs(std::difftime(std::mktime(&fields), before)), 60.0) << lines[0];
    EXPECT_EQ(thread, qrvp::platform::CurrentThreadId());
    EXPECT_NE(otherId, thread);
    // Eight-bit text: characters beyond it become '?'; lines end in CR LF.
    EXPECT_NE(lines[1].find(",9,5,0,text," + std::to_string(otherId) + ",f,2,caf\xe9 ?"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find(",-55,5,-2147483648,host, text,"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[2].substr(lines[2].size() - 17), ",(null),-1,(null)");
    EXPECT_EQ(lines[3].substr(lines[3].size() - 11), ",f,1,(null)");
    EXPECT_EQ(ParseRecordTail(lines[4]).message, "%d  2.50|7   |wide");
    const std::string raw = ReadAll(capture.LogPath());
    EXPECT_EQ(raw.substr(raw.size() - 2), "\r\n");
}

size_t Format(wchar_t* out, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const size_t length = qrvp::log::FormatMessage(out, format, args);
    va_end(args);
    return length;
}

TEST(FrameLog, MessagesCutAt4093AndRecordLinesAt1023)
{
    wchar_t out[qrvp::log::kMessageCapacity];
    const std::wstring long5000(5000, L'm');
    EXPECT_EQ(Format(out, L"%ls", long5000.c_str()), 4093u);
    EXPECT_EQ(std::wstring(out), long5000.substr(0, 4093));
    EXPECT_EQ(Format(out, L"%2000000d", 1), 4093u);  // larger than every trial buffer

    // A cut record loses its line end: the next record follows on its line,
    // written by a later writer too (a stamp at 1023 is that record's).
    LogCapture capture;
    _LogMsg(9, 5, 0, nullptr, L"f", 1, std::wstring(2000, L'q').c_str());
    _LogClose();
    _LogMsg(9, 5, 0, nullptr, L"f", 2, L"next");
    const auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].find_last_of('q') + 1, 1023u);
    std::smatch m;
    EXPECT_TRUE(std::regex_search(lines[0].cbegin() + 1023, lines[0].cend(), m, kStamp));
}

TEST(FrameLog, RecordsWaitForADirectoryThatAppearsLater)
{
    // Records wait in the queue for a directory that does not exist yet; a
    // backslash in the name is a separator.
    LogCapture capture(0x20, 0x200, "sub\\QuarvexLog.csv");
    for (int i = 0; i < 3; ++i) LogPrintf(9, 5, 0, nullptr, L"f", i, L"queued %d", i);
    _LogClose();
    EXPECT_EQ(qrvp::log::QueuedRecords(), 3u);
    fs::create_directory(fs::path(capture.Dir()) / "sub");
    LogPrintf(9, 5, 0, nullptr, L"f", 3, L"queued %d", 3);
    _LogClose();
    EXPECT_EQ(qrvp::log::QueuedRecords(), 0u);
    const std::string content = ReadAll(capture.Dir() + "/sub/QuarvexLog.csv");
    EXPECT_NE(content.find(",f,0,queued 0\r\n"), std::string::npos);
    EXPECT_NE(content.find(",f,3,queued 3\r\n"), std::string::npos);
}

}  // namespace
