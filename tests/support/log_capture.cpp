// The log capture where the settings live in a settings file: the capture
// writes one naming its masks and log file, and points QRVPFUNCS_REGISTRY at it.
#include "tests/support/log_capture.h"

#include "QRVPFuncs.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace qrvp::test {

namespace {

namespace fs = std::filesystem;

void WriteStore(const std::string& path, unsigned levels, unsigned systems, const std::string& logFile)
{
    // A text value of an exported-registry file: backslashes and quotes escaped.
    std::string name;
    for (const char c : logFile) name += (c == '\\' || c == '"') ? std::string{'\\', c} : std::string{c};
    char masks[96];
    std::snprintf(masks, sizeof masks, "\"Levels\"=dword:%08x\n\"Systems\"=dword:%08x\n", levels, systems);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        << "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log]\n"
        << masks << "\"Filename\"=\"" << name << "\"\n";
}

}  // namespace

LogCapture::LogCapture() : LogCapture(0x20, 0x200) {}

LogCapture::LogCapture(unsigned levelMask, unsigned systemMask, const std::string& logFileName)
{
    static std::atomic<unsigned> counter{0};
    dir_ = (fs::temp_directory_path() /
            ("qrvp_log_" + std::to_string(std::random_device()()) + "_" + std::to_string(counter++)))
               .string();
    fs::create_directories(dir_);
    logPath_ = (fs::path(dir_) / logFileName).string();
    registryPath_ = (fs::path(dir_) / "registry.reg").string();
    WriteStore(registryPath_, levelMask, systemMask, logPath_);
    if (const char* previous = std::getenv("QRVPFUNCS_REGISTRY")) {
        previousStore_ = previous;
        hadPreviousStore_ = true;
    }
    ::setenv("QRVPFUNCS_REGISTRY", registryPath_.c_str(), 1);
    _LogInit();
}

LogCapture::~LogCapture()
{
    // Leave the log writing nowhere that outlives this capture: filters shut,
    // forced records to the null device, and no writer still at work.
    _LogClose();
    WriteStore(registryPath_, 0, 0, "/dev/null");
    _LogInit();
    _LogClose();
    if (hadPreviousStore_) {
        ::setenv("QRVPFUNCS_REGISTRY", previousStore_.c_str(), 1);
    } else {
        ::unsetenv("QRVPFUNCS_REGISTRY");
    }
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

}  // namespace qrvp::test
