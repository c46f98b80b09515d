// One exported-registry file, two stores: on Windows it is imported into the
// registry before this test runs, elsewhere the settings file reader is
// pointed at it.  The readers must give the same answers from both, which
// holds the settings file to the registry editor's own format.
#include "QRVPFuncs.h"
#include "frame/settings.h"
#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using qrvp::platform::ReadSettingValue;
using qrvp::platform::SettingRead;

constexpr const wchar_t* kKey = L"Software\\Ostrel Labs\\QRVP Parity";

TEST(SettingsParity, IntegersReadAsFourBytes)
{
    struct Case {
        const wchar_t* subkey;
        const wchar_t* value;
        int32_t expected;
    };
    const Case cases[] = {
        {L"QRVP Parity", L"Dword", -2},
        {L"QRVP Parity", L"Seven", 55},  // "7" and its terminator: 4 bytes
        {L"QRVP Parity", L"Long", 0},    // 6 bytes do not fit
        {L"QRVP Parity", L"Two", 0x1234},
        {L"QRVP Parity", L"Qword", 0},
        {L"QRVP Parity", L"Empty", 0},
        {L"QRVP Parity", L"Four", 0x04030201},
        {L"QRVP Parity", L"", 0x11},
        {L"QRVP Parity", nullptr, 0x11},
        {L"qrvp parity", L"MIXEDCASE", 9},
        {L"QRVP Parity", L"Dropped", 0},
        {L"QRVP Parity", L"Missing", 0},
        {L"QRVP Parity\\Gone", L"Here", 0},
        {L"QRVP PARITY\\error log", L"levels", 0x20},
        {L"QRVP Parity\\Nowhere", L"Dword", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetRegistryValueInt(c.subkey, c.value), c.expected)
            << "subkey " << (c.subkey ? std::wstring(c.subkey).size() : 0) << " chars, value "
            << (c.value ? std::string(c.value, c.value + std::wstring(c.value).size()) : "(null)");
    }
}

std::vector<uint8_t> Utf16(const std::wstring& text)
{
    std::vector<uint8_t> bytes;
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(c) & 0xFFu));
        bytes.push_back(static_cast<uint8_t>((static_cast<uint32_t>(c) >> 8) & 0xFFu));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

TEST(SettingsParity, RawDataAndResults)
{
    struct Case {
        const wchar_t* key;
        const wchar_t* value;
        uint32_t capacity;
        SettingRead result;
        std::vector<uint8_t> data;  // compared on kOk
    };
    const Case cases[] = {
        {kKey, L"Quoted \"name\"", 64, SettingRead::kOk, Utf16(L"a \\ b")},
        {kKey, L"Continued", 64, SettingRead::kOk, {1, 2, 3, 4}},
        {kKey, L"Expand", 64, SettingRead::kOk, Utf16(L"%TMP%")},
        {kKey, L"Accented", 64, SettingRead::kOk, Utf16(L"R\x00e9servoir \x20ac")},
        {kKey, L"Qword", 8, SettingRead::kOk, {1, 0, 0, 0, 0, 0, 0, 0}},
        {kKey, L"Long", 6, SettingRead::kOk, Utf16(L"77")},
        {kKey, L"Long", 5, SettingRead::kMoreData, {}},
        {kKey, L"Empty", 0, SettingRead::kOk, {}},
        {kKey, L"Missing", 64, SettingRead::kNoValue, {}},
        {kKey, L"Dropped", 64, SettingRead::kNoValue, {}},
        {L"Software\\Ostrel Labs\\QRVP Parity\\Gone", L"Here", 64, SettingRead::kNoKey, {}},
        {L"Software\\Ostrel Labs\\QRVP Parity\\Error Log", L"Filename", 2047, SettingRead::kOk,
         Utf16(L"C:\\logs\\QuarvexLog.csv")},
        {L"Software\\Ostrel Labs", L"Nothing here", 64, SettingRead::kNoValue, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value, c.value + std::wstring(c.value).size()));
        std::array<uint8_t, 2048> buffer{};
        uint32_t length = 12345;
        const SettingRead result = ReadSettingValue(c.key, c.value, buffer.data(), c.capacity, &length);
        EXPECT_EQ(static_cast<int>(result), static_cast<int>(c.result));
        if (result == SettingRead::kOk) {
            EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + length), c.data);
        } else {
            EXPECT_EQ(length, 0u);
        }
    }
}

TEST(SettingsParity, FileNameTextAsStored)
{
    std::array<unsigned char, 2048> buffer{};
    uint32_t length = 0;
    ASSERT_EQ(ReadSettingValue(L"Software\\Ostrel Labs\\QRVP Parity\\Error Log", L"Filename", buffer.data(), 2047,
                               &length),
              SettingRead::kOk);
    EXPECT_EQ(qrvp::WideFromUtf16Le(buffer.data(), buffer.size()), L"C:\\logs\\QuarvexLog.csv");
}

}  // namespace
