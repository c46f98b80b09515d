// The diagnostic log's costs: a record the filter drops, a kept record on the
// caller's side (format, time stamp, queue), and the writer's drain rate.
#include "QRVPFuncs.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A settings file keeping the calculations' records and naming `logFile`.
class LogSetup {
public:
    explicit LogSetup(const std::string& logName)
    {
        dir_ = fs::temp_directory_path() / "qrvp_log_bench";
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        logFile_ = dir_ / logName;
        const fs::path store = dir_ / "registry.reg";
        std::ofstream(store) << "Windows Registry Editor Version 5.00\n\n"
                                "[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log]\n"
                                "\"Levels\"=dword:00000020\n\"Systems\"=dword:00000200\n"
                                "\"Filename\"=\""
                             << logFile_.string() << "\"\n";
        ::setenv("QRVPFUNCS_REGISTRY", store.c_str(), 1);
        _LogInit();
    }
    ~LogSetup()
    {
        _LogClose();
        ::unsetenv("QRVPFUNCS_REGISTRY");
        fs::remove_all(dir_);
    }
    LogSetup(const LogSetup&) = delete;
    LogSetup& operator=(const LogSetup&) = delete;

    const fs::path& Dir() const { return dir_; }
    const fs::path& LogFile() const { return logFile_; }

private:
    fs::path dir_;
    fs::path logFile_;
};

void BM_LogPrintfDropped(benchmark::State& state)
{
    LogSetup setup("QuarvexLog.csv");
    double value = 0.25;
    for (auto _ : state) {
        // Level 4 is not in the mask: the call returns before formatting.
        LogPrintf(9, 4, 0, nullptr, L"GetArpsQt", 212, L"Di (%f) * bFactor (%f) must be > -1.", value, value);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_LogPrintfDropped);

void BM_LogPrintfKeptCallerSide(benchmark::State& state)
{
    LogSetup setup("QuarvexLog.csv");
    std::vector<double> nanoseconds;
    nanoseconds.reserve(1u << 20);
    double value = 0.25;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        LogPrintf(9, 5, 0, nullptr, L"GetArpsQt", 212, L"Di (%f) * bFactor (%f) * time (%f years) must be > -1.",
                  value, value, value);
        const auto end = std::chrono::steady_clock::now();
        if (nanoseconds.size() < nanoseconds.capacity()) {
            nanoseconds.push_back(std::chrono::duration<double, std::nano>(end - start).count());
        }
    }
    std::sort(nanoseconds.begin(), nanoseconds.end());
    if (!nanoseconds.empty()) {
        state.counters["median_ns"] = nanoseconds[nanoseconds.size() / 2];
        state.counters["p90_ns"] = nanoseconds[nanoseconds.size() * 9 / 10];
        state.counters["p99_ns"] = nanoseconds[nanoseconds.size() * 99 / 100];
    }
}
BENCHMARK(BM_LogPrintfKeptCallerSide)->Iterations(200000);

// Records are queued while the log's directory is missing (they wait in the
// queue); then the directory appears and one more record starts the writer,
// which appends them all: the time of that drain alone is measured.
void BM_WriterDrain(benchmark::State& state)
{
    const auto records = static_cast<int>(state.range(0));
    LogSetup setup("missing/QuarvexLog.csv");
    const fs::path directory = setup.LogFile().parent_path();
    for (auto _ : state) {
        fs::remove_all(directory);
        for (int i = 0; i < records; ++i) {
            LogPrintf(9, 5, 0, nullptr, L"GetArpsQt", 212, L"Di (%f) * bFactor (%f) * time (%f years) must be > -1.",
                      0.25, 0.5, static_cast<double>(i));
        }
        _LogClose();
        const auto start = std::chrono::steady_clock::now();
        fs::create_directory(directory);
        LogPrintf(9, 5, 0, nullptr, L"GetArpsQt", 212, L"last");
        _LogClose();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.SetItemsProcessed(state.iterations() * (records + 1));
    state.counters["file_MiB"] = static_cast<double>(fs::file_size(setup.LogFile())) / (1024.0 * 1024.0);
}
BENCHMARK(BM_WriterDrain)->Arg(100000)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
