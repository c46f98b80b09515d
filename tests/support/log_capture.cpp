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

std::vector<std::string> LogCapture::Lines()
{
    _LogClose();
    std::vector<std::string> lines;
    std::ifstream in(logPath_, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string LogCapture::LastCall()
{
    const std::vector<std::string> lines = Lines();
    if (lines.empty()) return {};
    const std::string& record = lines.back();
    size_t pos = 0;
    for (int comma = 0; comma < 6; ++comma) {
        pos = record.find(',', pos);
        if (pos == std::string::npos) return {};
        ++pos;
    }
    return record.substr(pos);
}

RecordTail ParseRecordTail(const std::string& record)
{
    RecordTail tail;
    size_t pos = 0;
    for (int comma = 0; comma < 6; ++comma) {
        pos = record.find(',', pos);
        if (pos == std::string::npos) return tail;
        ++pos;
    }
    const size_t afterFunction = record.find(',', pos);
    if (afterFunction == std::string::npos) return tail;
    tail.function = record.substr(pos, afterFunction - pos);
    const size_t afterLine = record.find(',', afterFunction + 1);
    const std::string lineText =
        record.substr(afterFunction + 1, afterLine == std::string::npos ? std::string::npos : afterLine - afterFunction - 1);
    tail.line = std::atoi(lineText.c_str());
    if (afterLine != std::string::npos) tail.message = record.substr(afterLine + 1);
    return tail;
}

}  // namespace qrvp::test
