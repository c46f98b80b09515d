#include "tests/support/log_capture.h"

#include "QRVPFuncs.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace qrvp::test {

namespace {

namespace fs = std::filesystem;

constexpr const char* kStoreVariable = "QRVPFUNCS_REGISTRY";

std::string UniqueDirectory()
{
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    std::ostringstream name;
    name << "qrvp_log_" << std::hex << random() << '_' << counter.fetch_add(1);
    const fs::path dir = fs::temp_directory_path() / name.str();
    fs::create_directories(dir);
    return dir.string();
}

// A text value of an exported-registry file: backslashes and quotes escaped.
std::string RegText(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

void WriteStore(const std::string& path, unsigned levels, unsigned systems, const std::string& logFile)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    char masks[96];
    std::snprintf(masks, sizeof masks, "\"Levels\"=dword:%08x\n\"Systems\"=dword:%08x\n", levels, systems);
    out << "Windows Registry Editor Version 5.00\n\n"
        << "[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log]\n"
        << masks << "\"Filename\"=\"" << RegText(logFile) << "\"\n";
}

void SetStoreVariable(const char* value)
{
    if (value == nullptr) {
        ::unsetenv(kStoreVariable);
    } else {
        ::setenv(kStoreVariable, value, 1);
    }
}

}  // namespace

LogCapture::LogCapture() : LogCapture(0x20, 0x200) {}

LogCapture::LogCapture(unsigned levelMask, unsigned systemMask, const std::string& logFileName)
{
    dir_ = UniqueDirectory();
    logPath_ = (fs::path(dir_) / logFileName).string();
    registryPath_ = (fs::path(dir_) / "registry.reg").string();
    WriteStore(registryPath_, levelMask, systemMask, logPath_);
    if (const char* previous = std::getenv(kStoreVariable)) {
        previousStore_ = previous;
        hadPreviousStore_ = true;
    }
    SetStoreVariable(registryPath_.c_str());
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
    SetStoreVariable(hadPreviousStore_ ? previousStore_.c_str() : nullptr);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

}  // namespace qrvp::test
