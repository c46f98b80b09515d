#include "fleet/log_route.h"

#include "QRVPFuncs.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace qrvp::fleet {

namespace {

constexpr const char* kStoreVariable = "QRVPFUNCS_REGISTRY";

void SetVariable(const char* name, const std::string& value)
{
#if defined(_WIN32)
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

void UnsetVariable(const char* name)
{
#if defined(_WIN32)
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

std::string MakeTempDir()
{
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) return {};
    std::random_device device;
    std::mt19937_64 random(device() ^ static_cast<uint64_t>(
                                          std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 16; ++attempt) {
        fs::path dir = base / ("qrvp-" + std::to_string(random() % 1000000000000ull));
        if (fs::create_directory(dir, ec) && !ec) return dir.string();
    }
    return {};
}

// A value of the export text: backslash escapes a backslash or a quote.
std::string RegString(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

}  // namespace

LogRecord SplitRecord(const std::string& line)
{
    // time,system,level,code,text,thread,function,line,message: the message
    // is the ninth field and keeps every comma after it.
    LogRecord record;
    record.text = line;
    size_t pos = 0;
    std::vector<std::string> fields;
    for (int i = 0; i < 8 && pos != std::string::npos; ++i) {
        size_t comma = line.find(',', pos);
        if (comma == std::string::npos) {
            fields.push_back(line.substr(pos));
            pos = std::string::npos;
        } else {
            fields.push_back(line.substr(pos, comma - pos));
            pos = comma + 1;
        }
    }
    if (fields.size() == 8 && pos != std::string::npos) {
        record.function = fields[6];
        record.line = fields[7];
        record.message = line.substr(pos);
    } else {
        record.message = line;
    }
    return record;
}

LogRoute::LogRoute()
{
    dir_ = MakeTempDir();
    if (dir_.empty()) return;
    logPath_ = (fs::path(dir_) / "log.csv").string();
    registryPath_ = (fs::path(dir_) / "settings.reg").string();
    std::ofstream reg(registryPath_, std::ios::binary);
    reg << "Windows Registry Editor Version 5.00\r\n\r\n"
        << "[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log]\r\n"
        << "\"Levels\"=dword:00000020\r\n"
        << "\"Systems\"=dword:00000200\r\n"
        << "\"Filename\"=\"" << RegString(logPath_) << "\"\r\n";
    reg.close();
    if (!reg) {
        std::error_code ec;
        fs::remove_all(dir_, ec);
        dir_.clear();
        return;
    }
    if (const char* old = std::getenv(kStoreVariable)) {
        hadPrevious_ = true;
        previous_ = old;
    }
    SetVariable(kStoreVariable, registryPath_);
    _LogInit();
}

LogRoute::~LogRoute()
{
    if (dir_.empty()) return;
    _LogClose();
    if (hadPrevious_)
        SetVariable(kStoreVariable, previous_);
    else
        UnsetVariable(kStoreVariable);
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::vector<LogRecord> LogRoute::Collect()
{
    std::vector<LogRecord> records;
    if (dir_.empty()) return records;
    _LogClose();
    std::ifstream in(logPath_, std::ios::binary);
    if (in) {
        in.seekg(static_cast<std::streamoff>(offset_));
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) records.push_back(SplitRecord(line));
        }
        std::error_code ec;
        uintmax_t size = fs::file_size(logPath_, ec);
        if (!ec) offset_ = size;
    }
    _LogInit();
    return records;
}

std::string SettingsStorePath()
{
    if (const char* path = std::getenv(kStoreVariable); path != nullptr && *path != '\0') return path;
#if defined(_WIN32)
    return "(the Windows registry)";
#else
    return "/etc/ostrel-labs/registry.reg";
#endif
}

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The library reads no store larger than this (and none that is not a
// regular file); neither does qrvp.
constexpr uintmax_t kMaxStoreBytes = 16u * 1024u * 1024u;

// The file's text as 8-bit characters: UTF-16 (with its byte-order mark) is
// narrowed, characters above 255 becoming '?'.  Empty, as for a missing
// file, when the library would not read it either.
std::string ReadStoreText(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return {};
    const uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxStoreBytes) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string raw(static_cast<size_t>(size), '\0');
    in.read(raw.data(), static_cast<std::streamsize>(raw.size()));
    raw.resize(static_cast<size_t>(in.gcount()));
    if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
        static_cast<unsigned char>(raw[1]) == 0xFE) {
        std::string narrow;
        for (size_t i = 2; i + 1 < raw.size(); i += 2) {
            const unsigned low = static_cast<unsigned char>(raw[i]), high = static_cast<unsigned char>(raw[i + 1]);
            const unsigned code = low | (high << 8u);
            narrow += code < 256 ? static_cast<char>(code) : '?';
        }
        return narrow;
    }
    return raw;
}

}  // namespace

std::string ReadLogFilenameSetting(const std::string& path)
{
    std::istringstream text(ReadStoreText(path));
    const std::string wanted = "[hkey_local_machine\\software\\ostrel labs\\quarvex\\error log]";
    bool inKey = false;
    std::string line;
    while (std::getline(text, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        line.erase(0, first);
        if (line.front() == '[') {
            inKey = Lower(line) == wanted;
            continue;
        }
        if (!inKey || line.front() != '"') continue;
        size_t close = line.find('"', 1);
        if (close == std::string::npos || Lower(line.substr(1, close - 1)) != "filename") continue;
        size_t eq = line.find('=', close);
        if (eq == std::string::npos || eq + 1 >= line.size() || line[eq + 1] != '"') return {};
        // As the library reads a string: only \\ and \" are escapes, and a
        // string not closed is no value.
        std::string value;
        for (size_t i = eq + 2; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
                value += line[++i];
            } else if (line[i] == '"') {
                return value;
            } else {
                value += line[i];
            }
        }
        return {};
    }
    return {};
}

}  // namespace qrvp::fleet
