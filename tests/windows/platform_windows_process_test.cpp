// The log's named mutex across Windows processes: two programs appending to
// one file leave every record whole and in its program's order, and a program
// that dies holding the mutex blocks nobody (the mutex is handed on abandoned).
// The helper is frame_log_writer_main.exe; it reads the same registry settings
// as this program, so it logs into this test's capture.
#include "QRVPFuncs.h"
#include "platform/named_mutex.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kLogMutex = L"ORV.QRV.LogMutex";

// frame_log_writer_main.exe, one directory above this program.
std::wstring HelperPath()
{
    wchar_t self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    for (int up = 0; up < 2; ++up) path.erase(path.find_last_of(L"\\/"));
    return path + L"\\frame_log_writer_main.exe";
}

struct Child {
    HANDLE process = nullptr;
    HANDLE output = nullptr;  // read end of its standard output, when asked for
};

Child Spawn(const std::wstring& arguments, bool captureOutput)
{
    Child child;
    std::wstring command = L"\"" + HelperPath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    HANDLE writeEnd = nullptr;
    if (captureOutput) {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        if (!CreatePipe(&child.output, &writeEnd, &inherit, 0)) return child;
        SetHandleInformation(child.output, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, captureOutput ? TRUE : FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        child.process = info.hProcess;
    }
    if (writeEnd != nullptr) CloseHandle(writeEnd);
    return child;
}

// The exit code, or -1 when the program has not ended within the time (it is
// then terminated).
long Finish(Child& child, DWORD milliseconds)
{
    long code = -1;
    if (WaitForSingleObject(child.process, milliseconds) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        GetExitCodeProcess(child.process, &exitCode);
        code = static_cast<long>(exitCode);
    } else {
        TerminateProcess(child.process, 99);
        WaitForSingleObject(child.process, INFINITE);
    }
    CloseHandle(child.process);
    if (child.output != nullptr) CloseHandle(child.output);
    child = Child{};
    return code;
}

TEST(WindowsLogProcesses, TwoProgramsAppendWholeRecordsInOrder)
{
    qrvp::test::LogCapture capture;
    constexpr int kRecords = 300;
    Child first = Spawn(L"append " + std::to_wstring(kRecords) + L" 1", false);
    Child second = Spawn(L"append " + std::to_wstring(kRecords) + L" 2", false);
    ASSERT_NE(first.process, nullptr);
    ASSERT_NE(second.process, nullptr);
    EXPECT_EQ(Finish(first, 120000), 0);
    EXPECT_EQ(Finish(second, 120000), 0);

    const std::regex record(
        R"(^\d{1,2}/\d{1,2}/\d{4} \d\d:\d\d:\d\d\.\d{3},9,5,0,\(null\),\d+,Writer,(\d),process \1 record (\d+) of 300, padded to be long enough$)");
    std::map<int, int> next;
    const std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 2u * kRecords);
    for (const std::string& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, record)) << line;
        const int tag = std::stoi(m[1].str());
        EXPECT_EQ(std::stoi(m[2].str()), next[tag]++) << line;
    }
    EXPECT_EQ(next[1], kRecords);
    EXPECT_EQ(next[2], kRecords);
}

TEST(WindowsLogProcesses, AHolderThatDiesBlocksNobody)
{
    qrvp::test::LogCapture capture;
    Child holder = Spawn(L"hold", true);
    ASSERT_NE(holder.process, nullptr);
    std::string said;
    char buffer[16];
    DWORD got = 0;
    while (said.find("held") == std::string::npos && ReadFile(holder.output, buffer, sizeof buffer, &got, nullptr) &&
           got > 0) {
        said.append(buffer, got);
    }
    ASSERT_NE(said.find("held"), std::string::npos);

    // Held by the other program: not to be had at once.
    HANDLE probe = OpenMutexW(SYNCHRONIZE, FALSE, kLogMutex);
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(WaitForSingleObject(probe, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(probe);

    EXPECT_EQ(Finish(holder, 0), -1);  // terminated while holding the mutex

    qrvp::platform::NamedMutex* mutex = qrvp::platform::OpenNamedMutex(kLogMutex);
    ASSERT_NE(mutex, nullptr);
    qrvp::platform::LockNamedMutex(mutex);
    qrvp::platform::UnlockNamedMutex(mutex);
    qrvp::platform::CloseNamedMutex(mutex);

    LogPrintf(9, 5, 0, nullptr, L"AfterTheHolder", 7, L"written");
    const std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(",AfterTheHolder,7,written"), std::string::npos);
}

}  // namespace
