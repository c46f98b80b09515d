// Several processes sharing one log file through the system-wide mutex, on
// POSIX and on Windows: no record lost or torn, each process's records in its
// own order, and a process that dies holding the mutex or in the middle of
// logging holds up nobody.  The helper, frame_log_writer_main, sits beside
// this program and reads the same settings, so it logs into this capture.
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include <algorithm>
#include <chrono>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

#ifdef _WIN32
constexpr int kRecords = 300;  // processes start slowly under Wine

struct Child {
    HANDLE process = nullptr;
    HANDLE output = nullptr;  // read end of its standard output, when asked for
};

Child Spawn(const std::string& arguments, bool captureOutput = false)
{
    wchar_t self[MAX_PATH] = {};
    std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    path.erase(path.find_last_of(L"\\/"));
    std::wstring command = L"\"" + path + L"\\frame_log_writer_main.exe\" " + std::wstring(arguments.begin(), arguments.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    Child child;
    HANDLE writeEnd = nullptr;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (captureOutput && CreatePipe(&child.output, &writeEnd, &inherit, 0)) {
        SetHandleInformation(child.output, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, captureOutput, 0, nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        child.process = info.hProcess;
    }
    if (writeEnd != nullptr) CloseHandle(writeEnd);
    return child;
}

std::string ReadSome(Child& child)
{
    char buffer[16];
    DWORD got = 0;
    return ReadFile(child.output, buffer, sizeof buffer, &got, nullptr) ? std::string(buffer, got) : std::string();
}

// The exit code, or -1 when the process has not ended within the time (it is
// then killed).
int Finish(Child& child, int seconds)
{
    int code = -1;
    DWORD exitCode = 0;
    if (WaitForSingleObject(child.process, static_cast<DWORD>(seconds) * 1000) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(child.process, &exitCode)) {
        code = static_cast<int>(exitCode);
    } else {
        TerminateProcess(child.process, 99);
        WaitForSingleObject(child.process, INFINITE);
    }
    CloseHandle(child.process);
    if (child.output != nullptr) CloseHandle(child.output);
    return code;
}
#else
constexpr int kRecords = 5000;

struct Child {
    pid_t process = -1;
    int output = -1;
};

Child Spawn(const std::string& arguments, bool captureOutput = false)
{
    const std::string helper = std::string(QRVP_TEST_BINARY_DIR) + "/frame_log_writer_main";
    std::vector<std::string> words{helper};
    for (size_t at = 0, end; at < arguments.size(); at = end + 1) {
        end = std::min(arguments.find(' ', at), arguments.size());
        words.push_back(arguments.substr(at, end - at));
    }
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int fds[2] = {-1, -1};
    if (captureOutput && pipe(fds) == 0) {
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
    }
    Child child;
    EXPECT_EQ(posix_spawn(&child.process, helper.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    if (fds[1] >= 0) close(fds[1]);
    child.output = fds[0];
    return child;
}

std::string ReadSome(Child& child)
{
    char buffer[16];
    const ssize_t got = read(child.output, buffer, sizeof buffer);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

int Finish(Child& child, int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(child.process, &status, WNOHANG) != child.process) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child.process, SIGKILL);
            waitpid(child.process, &status, 0);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (child.output >= 0) close(child.output);
    return status == -1 ? -1 : (WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}
#endif

TEST(FrameLogProcess, TwoProcessesAppendEveryRecordWhole)
{
    qrvp::test::LogCapture capture;
    Child first = Spawn("append " + std::to_string(kRecords) + " 1");
    Child second = Spawn("append " + std::to_string(kRecords) + " 2");
    EXPECT_EQ(Finish(first, 120), 0);
    EXPECT_EQ(Finish(second, 120), 0);
    const std::regex whole(R"(^\d+/\d+/\d{4} \d\d:\d\d:\d\d\.\d{3},9,5,0,\(null\),\d+,Writer,(\d),process \1 record (\d+) of )" +
                           std::to_string(kRecords) + ", padded to be long enough$");
    std::map<int, int> next;
    const std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 2u * kRecords);
    for (const std::string& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, whole)) << line;
        EXPECT_EQ(std::stoi(m[2]), next[std::stoi(m[1])]++) << line;  // each process's records in its order
    }
    EXPECT_EQ(next[1], kRecords);
    EXPECT_EQ(next[2], kRecords);
}

TEST(FrameLogProcess, DeadHolderOfTheMutexBlocksNobody)
{
    qrvp::test::LogCapture capture;
    Child holder = Spawn("hold", true);
    std::string said;
    for (std::string part = "-"; !part.empty() && said.find("held") == std::string::npos; said += part) {
        part = ReadSome(holder);
    }
    ASSERT_NE(said.find("held"), std::string::npos);
    EXPECT_EQ(Finish(holder, 0), -1);  // killed while holding the mutex
    Child writer = Spawn("append 100 1");
    EXPECT_EQ(Finish(writer, 30), 0);
    EXPECT_EQ(capture.Lines().size(), 100u);
}

TEST(FrameLogProcess, ProcessKilledWhileLoggingBlocksNobody)
{
    qrvp::test::LogCapture capture;
    for (int round = 0; round < 5; ++round) {
        Child victim = Spawn("forever 2");
        std::this_thread::sleep_for(std::chrono::milliseconds(50 + 37 * round));
        Finish(victim, 0);
        Child writer = Spawn("append 50 1");
        ASSERT_EQ(Finish(writer, 30), 0) << "round " << round;
    }
    int survivors = 0;
    for (const std::string& line : capture.Lines()) survivors += line.find(",Writer,1,process 1 record ") != std::string::npos;
    EXPECT_EQ(survivors, 250);
}

}  // namespace
