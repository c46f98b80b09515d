// Several processes sharing one log file through the system-wide mutex: no
// record lost or torn, and a process that dies holding the mutex or in the
// middle of logging holds up nobody.
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

const std::string kHelper = std::string(QRVP_TEST_BINARY_DIR) + "/frame_log_writer_main";

pid_t Spawn(const std::vector<std::string>& args, int* stdoutFd = nullptr)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(kHelper.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int pipeFds[2] = {-1, -1};
    if (stdoutFd != nullptr) {
        EXPECT_EQ(pipe(pipeFds), 0);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    }
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, kHelper.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    if (stdoutFd != nullptr) {
        close(pipeFds[1]);
        *stdoutFd = pipeFds[0];
    }
    return pid;
}

// The exit status, or -1 when the process has not ended within the time
// (it is then killed).
int WaitFor(pid_t pid, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void KillAndReap(pid_t pid)
{
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

TEST(FrameLogProcess, TwoProcessesAppendEveryRecordWhole)
{
    qrvp::test::LogCapture capture;
    constexpr int kRecords = 5000;
    const pid_t first = Spawn({"append", std::to_string(kRecords), "1"});
    const pid_t second = Spawn({"append", std::to_string(kRecords), "2"});
    EXPECT_EQ(WaitFor(first, std::chrono::seconds(60)), 0);
    EXPECT_EQ(WaitFor(second, std::chrono::seconds(60)), 0);

    const std::regex whole(
        R"(^\d+/\d+/\d{4} \d\d:\d\d:\d\d\.\d{3},9,5,0,\(null\),\d+,Writer,([12]),process ([12]) record (\d+) of 5000, padded to be long enough$)");
    std::map<int, int> next{{1, 0}, {2, 0}};
    int torn = 0;
    for (const std::string& line : capture.Lines()) {
        std::smatch m;
        if (!std::regex_match(line, m, whole) || m[1] != m[2]) {
            ++torn;
            continue;
        }
        const int tag = std::stoi(m[1]);
        // Each process's records stand in the order it wrote them.
        EXPECT_EQ(std::stoi(m[3]), next[tag]) << line;
        next[tag] = std::stoi(m[3]) + 1;
    }
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(next[1], kRecords);
    EXPECT_EQ(next[2], kRecords);
}

TEST(FrameLogProcess, DeadHolderOfTheMutexBlocksNobody)
{
    qrvp::test::LogCapture capture;
    int out = -1;
    const pid_t holder = Spawn({"hold"}, &out);
    char buffer[8] = {};
    ASSERT_EQ(read(out, buffer, 5), 5);
    close(out);
    EXPECT_EQ(std::string(buffer, 4), "held");
    KillAndReap(holder);

    const pid_t writer = Spawn({"append", "100", "1"});
    EXPECT_EQ(WaitFor(writer, std::chrono::seconds(30)), 0);
    EXPECT_EQ(capture.Lines().size(), 100u);
}

TEST(FrameLogProcess, ProcessKilledWhileLoggingBlocksNobody)
{
    qrvp::test::LogCapture capture;
    for (int round = 0; round < 5; ++round) {
        const pid_t victim = Spawn({"forever", "2"});
        std::this_thread::sleep_for(std::chrono::milliseconds(50 + 37 * round));
        KillAndReap(victim);
        const pid_t writer = Spawn({"append", "50", "1"});
        ASSERT_EQ(WaitFor(writer, std::chrono::seconds(30)), 0) << "round " << round;
    }
    int survivors = 0;
    for (const std::string& line : capture.Lines()) {
        if (line.find(",Writer,1,process 1 record ") != std::string::npos) ++survivors;
    }
    EXPECT_EQ(survivors, 250);
}

}  // namespace
