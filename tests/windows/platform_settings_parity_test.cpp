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
#include <tuple>
#include <vector>

namespace {

using qrvp::platform::ReadSettingValue;
using qrvp::platform::SettingRead;

constexpr const wchar_t* kKey = L"Software\\Ostrel Labs\\QRVP Parity";

TEST(SettingsParity, IntegersReadAsFourBytes)
{
    // "7" and its terminator are 4 bytes; 6 bytes do not fit; the key and
    // value names are matched without regard to case.
    const std::tuple<const wchar_t*, const wchar_t*, int32_t> cases[] = {
        {L"QRVP Parity", L"Dword", -2},  {L"QRVP Parity", L"Seven", 55},       {L"QRVP Parity", L"Long", 0},
        {L"QRVP Parity", L"Two", 0x1234}, {L"QRVP Parity", L"Qword", 0},       {L"QRVP Parity", L"Empty", 0},
        {L"QRVP Parity", L"Four", 0x04030201}, {L"QRVP Parity", L"", 0x11},   {L"QRVP Parity", nullptr, 0x11},
        {L"qrvp parity", L"MIXEDCASE", 9}, {L"QRVP Parity", L"Dropped", 0},   {L"QRVP Parity", L"Missing", 0},
        {L"QRVP Parity\\Gone", L"Here", 0}, {L"QRVP PARITY\\error log", L"levels", 0x20},
        {L"QRVP Parity\\Nowhere", L"Dword", 0},
    };
    for (const auto& [subkey, value, expected] : cases) {
        EXPECT_EQ(GetRegistryValueInt(subkey, value), expected) << std::wstring(subkey).size() << " " << (value != nullptr);
    }
}

std::vector<uint8_t> Utf16(const std::wstring& text)
{
    std::vector<uint8_t> bytes;
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(c) & 0xFFu));
        bytes.push_back(static_cast<uint8_t>((static_cast<uint32_t>(c) >> 8) & 0xFFu));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

TEST(SettingsParity, RawDataAndResults)
{
    const std::wstring error = std::wstring(kKey) + L"\\Error Log";
    const struct {
        std::wstring key;
        const wchar_t* value;
        uint32_t capacity;
        SettingRead result;
        std::vector<uint8_t> data;  // compared on kOk
    } cases[] = {
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
        {std::wstring(kKey) + L"\\Gone", L"Here", 64, SettingRead::kNoKey, {}},
        {error, L"Filename", 2047, SettingRead::kOk, Utf16(L"C:\\logs\\QuarvexLog.csv")},
        {L"Software\\Ostrel Labs", L"Nothing here", 64, SettingRead::kNoValue, {}},
    };
    for (const auto& c : cases) {
        std::array<uint8_t, 2048> buffer{};
        uint32_t length = 12345;
        const SettingRead result = ReadSettingValue(c.key.c_str(), c.value, buffer.data(), c.capacity, &length);
        EXPECT_EQ(static_cast<int>(result), static_cast<int>(c.result)) << c.capacity;
        EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + length), c.data) << c.capacity;
    }
    // The log's file name as the text it is.
    std::array<unsigned char, 2048> buffer{};
    uint32_t length = 0;
    ASSERT_EQ(ReadSettingValue(error.c_str(), L"Filename", buffer.data(), 2047, &length), SettingRead::kOk);
    EXPECT_EQ(qrvp::WideFromUtf16Le(buffer.data(), buffer.size()), L"C:\\logs\\QuarvexLog.csv");
}

}  // namespace
