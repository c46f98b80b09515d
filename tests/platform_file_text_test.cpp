// Text-mode appending, file deletion and the code-page conversions.  (The
// local time is checked through the log's time stamps in frame_log_test.)
#include "platform/file_append.h"
#include "platform/text_conversion.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace qrvp::platform;

TEST(PlatformFileText, AppendWritesEightBitTextWithCarriageReturns)
{
    const fs::path dir = fs::temp_directory_path() / ("qrvp_platform_append_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    // A backslash separates too; a character UTF-8 cannot hold is a '?' in the name.
    const std::wstring path = (dir / "sub").wstring() + L"\\out\xD800.csv";
    for (int round = 0; round < 2; ++round) {
        AppendFile* file = OpenForAppend(path.c_str());
        ASSERT_NE(file, nullptr);
        const std::wstring text = L"a\u00e9\u00ff\u0100\u4e2d\U0001F600\nb\n";
        EXPECT_TRUE(AppendText(file, text.data(), text.size()));
        const std::wstring big(100000, L'z');  // more than one buffer's worth
        AppendText(file, big.data(), round == 0 ? 0 : big.size());
        CloseAppendFile(file);
    }
    std::ifstream in(dir / "sub" / "out?.csv", std::ios::binary);
    const std::string once = "a\xe9\xff???\r\nb\r\n";
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), once + once + std::string(100000, 'z'));
    EXPECT_EQ(OpenForAppend((dir / "missing" / "x.csv").wstring().c_str()), nullptr);
    EXPECT_EQ(OpenForAppend(L""), nullptr);
    DeleteFileAt(path.c_str());
    EXPECT_FALSE(fs::exists(dir / "sub" / "out?.csv"));
    DeleteFileAt(path.c_str());  // already gone: ignored
    CloseAppendFile(nullptr);
    EXPECT_FALSE(AppendText(nullptr, L"x", 1));  // no file takes no record
    fs::remove_all(dir);

    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::wstring wide = NarrowToWide(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(wide[0xE9], L'\u00e9');
    EXPECT_EQ(WideToNarrow(wide), all);  // every byte survives the round trip
    EXPECT_EQ(WideToNarrow(L"x\u20acy"), "x?y");
}

TEST(PlatformFileText, WriteCutShortLeavesWholeRecordsOnly)
{
    // Records of 4 and 8 bytes after what the file held, under a limit of the
    // file's size: the records that fit whole stay, a cut one is taken back
    // (a line end first when the file ended mid-line).
    const struct {
        const char* before;
        rlim_t limit;
        size_t whole;
        const char* after;
    } cases[] = {{"", 3, 0, ""}, {"", 4, 1, "ab\r\n"}, {"", 11, 1, "ab\r\n"}, {"", 12, 2, "ab\r\ncdefgh\r\n"}, {"x", 1, 0, "x"},
                 {"x", 2, 0, "x"}, {"x", 3, 0, "x\r\n"}, {"x", 5, 0, "x\r\n"}, {"x", 7, 1, "x\r\nab\r\n"}};
    const std::wstring records[] = {L"ab\n", L"cdefgh\n"};
    const std::string path = (fs::temp_directory_path() / ("qrvp_platform_short_" + std::to_string(getpid()))).string();
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    void (*handler)(int) = signal(SIGXFSZ, SIG_IGN);
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.before;
        AppendFile* file = OpenForAppend(std::wstring(path.begin(), path.end()).c_str());
        ASSERT_NE(file, nullptr);
        rlimit limit = saved;
        limit.rlim_cur = c.limit;
        setrlimit(RLIMIT_FSIZE, &limit);
        EXPECT_EQ(AppendRecords(file, records, 2), c.whole) << c.before << c.limit;
        setrlimit(RLIMIT_FSIZE, &saved);
        CloseAppendFile(file);
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.after) << c.before << c.limit;
    }
    signal(SIGXFSZ, handler);
    fs::remove(path);
}

}  // namespace
