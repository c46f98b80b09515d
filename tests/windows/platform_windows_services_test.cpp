// The Windows platform services against the system's own answers: text-mode
// appending, code-page conversion, threads and the local clock.
#include "platform/file_append.h"
#include "platform/local_time.h"
#include "platform/named_mutex.h"
#include "platform/text_conversion.h"
#include "platform/thread.h"

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
namespace platform = qrvp::platform;

class WindowsFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("qrvp_win_" + std::to_string(GetCurrentProcessId()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    static std::string Bytes(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    fs::path dir_;
};

TEST_F(WindowsFiles, AppendsInTextModeOneByteACharacter)
{
    const fs::path path = dir_ / "QuarvexLog.csv";
    for (const wchar_t* text : {L"first,\x00e9\n", L"second \x4e2d\x00ff\r\n"}) {
        platform::AppendFile* file = platform::OpenForAppend(path.c_str());
        ASSERT_NE(file, nullptr);
        platform::AppendText(file, text, wcslen(text));
        platform::CloseAppendFile(file);
    }
    // Line feeds become CR LF; a carriage return of its own stays; characters
    // below 256 are their byte, others '?'.
    EXPECT_EQ(Bytes(path), std::string("first,\xe9\r\nsecond ?\xff\r\r\n"));
}

TEST_F(WindowsFiles, MissingDirectoryIsNotCreatedAndDeletionIgnoresFailure)
{
    const fs::path path = dir_ / "logs" / "QuarvexLog.csv";
    EXPECT_EQ(platform::OpenForAppend(path.c_str()), nullptr);
    EXPECT_FALSE(fs::exists(dir_ / "logs"));
    EXPECT_EQ(platform::OpenForAppend(L""), nullptr);
    EXPECT_EQ(platform::OpenForAppend(nullptr), nullptr);
    platform::DeleteFileAt(path.c_str());  // missing: nothing happens
    platform::DeleteFileAt(nullptr);

    const fs::path there = dir_ / "QuarvexLog.csv";
    platform::AppendFile* file = platform::OpenForAppend(there.c_str());
    ASSERT_NE(file, nullptr);
    platform::CloseAppendFile(file);
    EXPECT_TRUE(fs::exists(there));
    platform::DeleteFileAt(there.c_str());
    EXPECT_FALSE(fs::exists(there));
}

TEST_F(WindowsFiles, ForwardAndBackSlashesNameTheSameFile)
{
    const std::wstring back = (dir_ / "a.csv").wstring();
    std::wstring forward = back;
    for (wchar_t& c : forward) {
        if (c == L'\\') c = L'/';
    }
    for (const std::wstring& name : {back, forward}) {
        platform::AppendFile* file = platform::OpenForAppend(name.c_str());
        ASSERT_NE(file, nullptr);
        platform::AppendText(file, L"x\n", 2);
        platform::CloseAppendFile(file);
    }
    EXPECT_EQ(Bytes(dir_ / "a.csv"), "x\r\nx\r\n");
}

TEST(WindowsText, AsciiSurvivesTheThreadCodePage)
{
    std::string ascii;
    for (int c = 1; c < 128; ++c) ascii.push_back(static_cast<char>(c));
    const std::wstring wide = platform::NarrowToWide(ascii);
    ASSERT_EQ(wide.size(), ascii.size());
    for (size_t i = 0; i < ascii.size(); ++i) EXPECT_EQ(static_cast<int>(wide[i]), static_cast<int>(ascii[i]));
    EXPECT_EQ(platform::WideToNarrow(wide), ascii);
    EXPECT_EQ(platform::NarrowToWide(""), L"");
    EXPECT_EQ(platform::WideToNarrow(L""), "");
}

TEST(WindowsText, OtherCharactersFollowTheSystemConversion)
{
    // Whatever the thread's ANSI page is, the conversion is the system's own.
    const std::string narrow = "\xe9\x80 {Oil}";
    wchar_t expected[16] = {};
    const int n = MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), expected, 16);
    ASSERT_GT(n, 0);
    EXPECT_EQ(platform::NarrowToWide(narrow), std::wstring(expected, static_cast<size_t>(n)));
    // A character the page lacks becomes the page's default, '?'.
    EXPECT_EQ(platform::WideToNarrow(L"x\x4e2d\x0416y").front(), 'x');
    EXPECT_EQ(platform::WideToNarrow(L"x\x4e2d\x0416y").back(), 'y');
}

TEST(WindowsThreads, StartWaitPriorityAndId)
{
    struct Seen {
        std::atomic<int> priority{0};
        std::atomic<uint32_t> id{0};
        std::atomic<uint32_t> systemId{0};
    } seen;
    platform::Thread* thread = platform::StartThread(
        [](void* raw) {
            auto* s = static_cast<Seen*>(raw);
            platform::LowerCurrentThreadPriority();
            s->priority = GetThreadPriority(GetCurrentThread());
            s->id = platform::CurrentThreadId();
            s->systemId = GetCurrentThreadId();
        },
        &seen);
    ASSERT_NE(thread, nullptr);
    platform::WaitThread(thread);
    EXPECT_EQ(seen.priority.load(), THREAD_PRIORITY_LOWEST);
    EXPECT_EQ(seen.priority.load(), -2);
    EXPECT_EQ(seen.id.load(), seen.systemId.load());
    EXPECT_NE(seen.id.load(), platform::CurrentThreadId());
    EXPECT_EQ(platform::CurrentThreadId(), static_cast<uint32_t>(GetCurrentThreadId()));
    platform::WaitThread(nullptr);
    EXPECT_EQ(platform::StartThread(nullptr, nullptr), nullptr);
}

TEST(WindowsClock, LocalTimeIsTheSystemLocalTime)
{
    // Read the system's clock on both sides of ours; a minute boundary in
    // between is told apart by the two system readings differing.
    SYSTEMTIME before{};
    SYSTEMTIME after{};
    GetLocalTime(&before);
    const platform::LocalTime t = platform::CurrentLocalTime();
    GetLocalTime(&after);
    if (before.wMinute != after.wMinute) GTEST_SKIP() << "the minute changed while reading";
    EXPECT_EQ(t.year, before.wYear);
    EXPECT_EQ(t.month, before.wMonth);
    EXPECT_EQ(t.day, before.wDay);
    EXPECT_EQ(t.hour, before.wHour);
    EXPECT_EQ(t.minute, before.wMinute);
    EXPECT_GE(t.second, before.wSecond);
    EXPECT_LE(t.second, after.wSecond);
    EXPECT_LE(t.milliseconds, 999);
}

TEST(WindowsMutex, NamedMutexIsOneObjectPerName)
{
    platform::NamedMutex* a = platform::OpenNamedMutex(L"qrvp.tests.OneName");
    platform::NamedMutex* b = platform::OpenNamedMutex(L"qrvp.tests.OneName");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(platform::OpenNamedMutex(L""), nullptr);
    EXPECT_EQ(platform::OpenNamedMutex(nullptr), nullptr);

    // While this thread holds it through one handle, another thread finds it
    // busy, then takes it through the other handle once it is released.
    platform::LockNamedMutex(a);
    struct Probe {
        platform::NamedMutex* mutex = nullptr;
        HANDLE probed = nullptr;
        std::atomic<bool> busy{false};
        std::atomic<bool> tookIt{false};
    } probe;
    probe.mutex = b;
    probe.probed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(probe.probed, nullptr);
    platform::Thread* other = platform::StartThread(
        [](void* raw) {
            auto* p = static_cast<Probe*>(raw);
            HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, L"qrvp.tests.OneName");
            p->busy = h != nullptr && WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
            if (h != nullptr) CloseHandle(h);
            SetEvent(p->probed);
            platform::LockNamedMutex(p->mutex);
            p->tookIt = true;
            platform::UnlockNamedMutex(p->mutex);
        },
        &probe);
    ASSERT_NE(other, nullptr);
    WaitForSingleObject(probe.probed, INFINITE);
    EXPECT_TRUE(probe.busy.load());
    platform::UnlockNamedMutex(a);
    platform::WaitThread(other);
    EXPECT_TRUE(probe.tookIt.load());
    CloseHandle(probe.probed);
    platform::CloseNamedMutex(a);
    platform::CloseNamedMutex(b);
    platform::CloseNamedMutex(nullptr);
}

}  // namespace
