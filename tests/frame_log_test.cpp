// The diagnostic log as a host sees it: exact record lines, the filter, the
// cuts, deletion and a file that cannot be opened yet.
#include "QRVPFuncs.h"
#include "frame/log.h"
#include "frame/log_record.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

using qrvp::test::LogCapture;
namespace fs = std::filesystem;

const std::regex kStamp(R"(^([1-9]|1[0-2])/([1-9]|[12][0-9]|3[01])/[0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-6][0-9]\.[0-9]{3},)");

std::string Body(const std::string& line)
{
    std::smatch m;
    EXPECT_TRUE(std::regex_search(line, m, kStamp)) << line;
    return line.substr(static_cast<size_t>(m.length(0)));
}

// system,level,code,text,<thread>,rest -> system,level,code,text,rest
std::string WithoutThread(const std::string& body)
{
    size_t pos = 0;
    for (int i = 0; i < 4; ++i) pos = body.find(',', pos) + 1;
    const size_t end = body.find(',', pos);
    return body.substr(0, pos) + body.substr(end + 1);
}

TEST(FrameLog, CalculationRecordLine)
{
    LogCapture capture;
    LogPrintf(9, 5, 0, nullptr, L"NomToSecEff", 82, L"bFactor (%f) cannot be %d, not even %d/%d/%d", 0.5, 0, 3, 7, 2024);
    const auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 1u);
    const std::string body = Body(lines[0]);
    EXPECT_EQ(WithoutThread(body), "9,5,0,(null),NomToSecEff,82,bFactor (0.500000) cannot be 0, not even 3/7/2024");
    EXPECT_EQ(capture.LastCall(), "NomToSecEff,82,bFactor (0.500000) cannot be 0, not even 3/7/2024");
    const auto tail = qrvp::test::ParseRecordTail(lines[0]);
    EXPECT_EQ(tail.function, "NomToSecEff");
    EXPECT_EQ(tail.line, 82);
    EXPECT_EQ(tail.message, "bFactor (0.500000) cannot be 0, not even 3/7/2024");
}

TEST(FrameLog, LinesEndWithCarriageReturnAndLineFeed)
{
    LogCapture capture;
    _LogMsg(9, 5, 0, L"text", L"f", 1, L"a,b");
    _LogMsg(9, 5, 0, L"text", L"f", 2, L"caf\u00e9 \u4e2d");
    capture.Lines();
    std::ifstream in(capture.LogPath(), std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(raw.size(), 4u);
    EXPECT_EQ(raw.substr(raw.size() - 2), "\r\n");
    EXPECT_NE(raw.find(",f,1,a,b\r\n"), std::string::npos);
    EXPECT_NE(raw.find(",f,2,caf\xe9 ?\r\n"), std::string::npos);
}

}  // namespace
