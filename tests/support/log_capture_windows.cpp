// The log capture where the settings live in the real registry: the capture
// writes "Levels", "Systems" and "Filename" under
// HKEY_LOCAL_MACHINE\Software\Ostrel Labs\Quarvex\Error Log (which needs the
// rights to write there: an administrator, or any user under Wine), calls
// _LogInit, and puts the values back as they were when it ends.  The registry
// is one for the whole machine, so a capture holds a system-wide mutex for its
// lifetime: captures in test programs running side by side take turns instead
// of reading each other's settings.  Construct and destroy a capture on the
// same thread (the mutex belongs to the thread that took it).
#include "tests/support/log_capture.h"

#include "QRVPFuncs.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <random>
#include <vector>

namespace qrvp::test {

namespace {

namespace fs = std::filesystem;

constexpr const wchar_t* kKey = L"Software\\Ostrel Labs\\Quarvex\\Error Log";
constexpr const wchar_t* kNames[] = {L"Levels", L"Systems", L"Filename"};

// What the running capture has to put back (captures do not nest): each
// value as it stood, absent when its type is REG_NONE.
HANDLE g_mutex = nullptr;
DWORD g_types[3];
std::vector<BYTE> g_saved[3];

HKEY OpenSettingsKey()
{
    HKEY key = nullptr;
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                           nullptr) == ERROR_SUCCESS ? key : nullptr;
}

void WriteSettings(DWORD levels, DWORD systems, const std::wstring& logFile)
{
    HKEY key = OpenSettingsKey();
    if (key == nullptr) return;
    RegSetValueExW(key, L"Levels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&levels), sizeof levels);
    RegSetValueExW(key, L"Systems", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&systems), sizeof systems);
    RegSetValueExW(key, L"Filename", 0, REG_SZ, reinterpret_cast<const BYTE*>(logFile.c_str()),
                   static_cast<DWORD>((logFile.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

}  // namespace

LogCapture::LogCapture() : LogCapture(0x20, 0x200) {}

LogCapture::LogCapture(unsigned levelMask, unsigned systemMask, const std::string& logFileName)
{
    static std::atomic<unsigned> counter{0};
    dir_ = (fs::temp_directory_path() / ("qrvp_log_" + std::to_string(std::random_device()()) + "_" +
                                         std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++)))
               .string();
    fs::create_directories(dir_);
    fs::path log = fs::path(dir_) / logFileName;
    logPath_ = log.make_preferred().string();
    // A test program that died inside a capture leaves the mutex abandoned;
    // the next one gets it all the same.
    if (g_mutex == nullptr) g_mutex = CreateMutexW(nullptr, FALSE, L"qrvp.tests.LogCapture");
    if (g_mutex != nullptr) WaitForSingleObject(g_mutex, INFINITE);
    if (HKEY key = OpenSettingsKey()) {
        for (size_t i = 0; i < 3; ++i) {
            DWORD size = 0;
            g_types[i] = REG_NONE;
            if (RegQueryValueExW(key, kNames[i], nullptr, &g_types[i], nullptr, &size) != ERROR_SUCCESS) continue;
            g_saved[i].resize(size);
            if (RegQueryValueExW(key, kNames[i], nullptr, &g_types[i], g_saved[i].data(), &size) != ERROR_SUCCESS) {
                g_types[i] = REG_NONE;
            }
        }
        RegCloseKey(key);
    }
    WriteSettings(levelMask, systemMask, log.wstring());
    _LogInit();
}

LogCapture::~LogCapture()
{
    // Leave the log writing nowhere that outlives this capture: filters shut,
    // forced records to the null device, and no writer still at work.
    _LogClose();
    WriteSettings(0, 0, L"NUL");
    _LogInit();
    _LogClose();
    if (HKEY key = OpenSettingsKey()) {
        for (size_t i = 0; i < 3; ++i) {
            if (g_types[i] == REG_NONE) {
                RegDeleteValueW(key, kNames[i]);
            } else {
                RegSetValueExW(key, kNames[i], 0, g_types[i], g_saved[i].data(), static_cast<DWORD>(g_saved[i].size()));
            }
        }
        RegCloseKey(key);
    }
    if (g_mutex != nullptr) ReleaseMutex(g_mutex);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

}  // namespace qrvp::test
