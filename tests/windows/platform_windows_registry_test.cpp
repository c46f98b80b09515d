// The settings the library reads from the real registry: the report
// connection count and the log's masks and file name, written here with the
// registry's own calls and put back as they were afterwards.
#include "QRVPFuncs.h"
#include "frame/log.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace {

// One value under HKEY_LOCAL_MACHINE, restored (or deleted) when the guard ends.
class ValueGuard {
public:
    ValueGuard(const wchar_t* key, const wchar_t* name) : name_(name)
    {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                        nullptr);
        DWORD size = 0;
        if (key_ != nullptr && RegQueryValueExW(key_, name_, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            saved_.resize(size);
            present_ = RegQueryValueExW(key_, name_, nullptr, &type_, saved_.data(), &size) == ERROR_SUCCESS;
        }
    }
    ~ValueGuard()
    {
        if (key_ == nullptr) return;
        if (present_) {
            RegSetValueExW(key_, name_, 0, type_, saved_.data(), static_cast<DWORD>(saved_.size()));
        } else {
            RegDeleteValueW(key_, name_);
        }
        RegCloseKey(key_);
    }
    ValueGuard(const ValueGuard&) = delete;
    ValueGuard& operator=(const ValueGuard&) = delete;

    void Set(DWORD type, const void* data, size_t size)
    {
        ASSERT_NE(key_, nullptr);
        ASSERT_EQ(RegSetValueExW(key_, name_, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    void SetDword(int32_t value) { Set(REG_DWORD, &value, sizeof value); }
    void SetText(const std::wstring& text) { Set(REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t)); }
    void Delete() { RegDeleteValueW(key_, name_); }

private:
    HKEY key_ = nullptr;
    const wchar_t* name_;
    DWORD type_ = 0;
    std::vector<BYTE> saved_;
    bool present_ = false;
};

TEST(WindowsRegistry, ReportConnectionsFromValcore)
{
    ValueGuard value(L"Software\\Ostrel Labs\\Quarvex\\Valcore", L"MaxConnections");
    int32_t count = 0;
    value.Delete();
    EXPECT_EQ(GetReportThreading(&count), 0);
    EXPECT_EQ(count, 20);
    const struct {
        int32_t stored;
        int32_t expected;
    } cases[] = {{0, 20}, {-3, 20}, {8, 8}, {1, 1}};
    for (const auto& c : cases) {
        value.SetDword(c.stored);
        EXPECT_EQ(GetReportThreading(&count), 0);
        EXPECT_EQ(count, c.expected) << c.stored;
    }
    value.SetText(L"7");  // 4 bytes of text: the character's code
    EXPECT_EQ(GetReportThreading(&count), 0);
    EXPECT_EQ(count, 55);
    EXPECT_EQ(GetReportThreading(nullptr), -1);
}

TEST(WindowsRegistry, LogFileNameAndMasks)
{
    // The capture holds the log's settings key for this test alone.
    qrvp::test::LogCapture capture;
    ValueGuard fileName(L"Software\\Ostrel Labs\\Quarvex\\Error Log", L"Filename");
    ValueGuard levels(L"Software\\Ostrel Labs\\Quarvex\\Error Log", L"Levels");

    const std::wstring longest = L"C:\\" + std::wstring(1019, L'p');  // 1,022 characters
    fileName.SetText(longest);
    const unsigned char two[] = {0x34, 0x12};
    levels.Set(REG_BINARY, two, sizeof two);
    _LogInit();
    EXPECT_EQ(qrvp::log::CurrentSettings().fileName, longest);
    EXPECT_EQ(qrvp::log::CurrentSettings().levelMask, 0x1234u);

    fileName.SetText(longest + L"q");  // 2,048 bytes with the terminator: too long
    levels.SetDword(-1);
    _LogInit();
    EXPECT_EQ(qrvp::log::CurrentSettings().fileName, L"logs\\QuarvexLog.csv");
    EXPECT_EQ(qrvp::log::CurrentSettings().levelMask, 0xFFFFFFFFu);

    fileName.Delete();
    levels.Delete();
    _LogInit();
    EXPECT_EQ(qrvp::log::CurrentSettings().fileName, L"logs\\QuarvexLog.csv");
    EXPECT_EQ(qrvp::log::CurrentSettings().levelMask, 0u);
    EXPECT_TRUE(qrvp::log::CurrentSettings().mutexOpen);
    _LogClose();
    EXPECT_FALSE(qrvp::log::CurrentSettings().mutexOpen);
}

}  // namespace
