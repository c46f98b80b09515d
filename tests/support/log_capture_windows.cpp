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
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace qrvp::test {

namespace {

namespace fs = std::filesystem;

constexpr const wchar_t* kKey = L"Software\\Ostrel Labs\\Quarvex\\Error Log";
constexpr const wchar_t* kCaptureMutex = L"qrvp.tests.LogCapture";
constexpr const wchar_t* kValueNames[] = {L"Levels", L"Systems", L"Filename"};

// A registry value as it stood before the capture.
struct SavedValue {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

// What the running capture has to put back (captures do not nest).
struct CaptureState {
    HANDLE mutex = nullptr;
    bool createdKey = false;
    SavedValue saved[3];
};

CaptureState g_capture;

std::string UniqueDirectory()
{
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    std::ostringstream name;
    name << "qrvp_log_" << std::hex << random() << '_' << GetCurrentProcessId() << '_' << counter.fetch_add(1);
    const fs::path dir = fs::temp_directory_path() / name.str();
    fs::create_directories(dir);
    return dir.string();
}

HKEY OpenSettingsKey(bool* created)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                        &disposition) != ERROR_SUCCESS) {
        return nullptr;
    }
    if (created != nullptr) *created = disposition == REG_CREATED_NEW_KEY;
    return key;
}

SavedValue Save(HKEY key, const wchar_t* name)
{
    SavedValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return value;
    value.data.resize(size);
    if (RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size) != ERROR_SUCCESS) return value;
    value.data.resize(size);
    value.present = true;
    return value;
}

void Restore(HKEY key, const wchar_t* name, const SavedValue& value)
{
    if (!value.present) {
        RegDeleteValueW(key, name);
        return;
    }
    RegSetValueExW(key, name, 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
}

void SetDword(HKEY key, const wchar_t* name, DWORD value)
{
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void WriteSettings(unsigned levels, unsigned systems, const std::wstring& logFile)
{
    HKEY key = OpenSettingsKey(nullptr);
    if (key == nullptr) return;
    SetDword(key, L"Levels", levels);
    SetDword(key, L"Systems", systems);
    RegSetValueExW(key, L"Filename", 0, REG_SZ, reinterpret_cast<const BYTE*>(logFile.c_str()),
                   static_cast<DWORD>((logFile.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void BeginCapture()
{
    if (g_capture.mutex == nullptr) g_capture.mutex = CreateMutexW(nullptr, FALSE, kCaptureMutex);
    // A test program that died inside a capture leaves the mutex abandoned;
    // the next one gets it all the same.
    if (g_capture.mutex != nullptr) WaitForSingleObject(g_capture.mutex, INFINITE);
    bool created = false;
    HKEY key = OpenSettingsKey(&created);
    g_capture.createdKey = created;
    for (size_t i = 0; i < 3; ++i) g_capture.saved[i] = key != nullptr ? Save(key, kValueNames[i]) : SavedValue{};
    if (key != nullptr) RegCloseKey(key);
}

void EndCapture()
{
    HKEY key = OpenSettingsKey(nullptr);
    if (key != nullptr) {
        for (size_t i = 0; i < 3; ++i) Restore(key, kValueNames[i], g_capture.saved[i]);
        RegCloseKey(key);
    }
    if (g_capture.createdKey) RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
    if (g_capture.mutex != nullptr) ReleaseMutex(g_capture.mutex);
}

}  // namespace

LogCapture::LogCapture() : LogCapture(0x20, 0x200) {}

LogCapture::LogCapture(unsigned levelMask, unsigned systemMask, const std::string& logFileName)
{
    dir_ = UniqueDirectory();
    fs::path log = fs::path(dir_) / logFileName;
    log.make_preferred();
    logPath_ = log.string();
    BeginCapture();
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
    EndCapture();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

}  // namespace qrvp::test
