#include "frame/settings.h"

#include "QRVPFuncs.h"
#include "platform/settings_store.h"

#include <array>
#include <cstdint>

namespace qrvp {

namespace {

constexpr const wchar_t* kRoot = L"Software\\Ostrel Labs";
constexpr size_t kKeyPathLimit = 1023;
constexpr uint32_t kFileNameCapacity = 2047;  // of a 2,048-byte buffer
}  // namespace

inline constexpr int32_t kDefaultConnections = 20;

std::wstring SettingsKeyPath(const wchar_t* subkey)
{
    std::wstring path = kRoot;
    if (subkey != nullptr && *subkey != L'\0') {
        path += L'\\';
        path += subkey;
    }
    if (path.size() > kKeyPathLimit) path.resize(kKeyPathLimit);
    return path;
}

std::wstring WideFromUtf16Le(const unsigned char* bytes, size_t size)
{
    std::wstring text;
    for (size_t i = 0; i < size; i += 2) {
        const uint32_t low = bytes[i];
        const uint32_t high = i + 1 < size ? bytes[i + 1] : 0u;
        const uint32_t unit = low | (high << 8);
        if (unit == 0) break;
        text.push_back(static_cast<wchar_t>(unit));
    }
    if constexpr (sizeof(wchar_t) >= 4) {
        // Join surrogate pairs into one character; a lone half stays as it is.
        std::wstring joined;
        joined.reserve(text.size());
        for (size_t i = 0; i < text.size(); ++i) {
            const auto unit = static_cast<uint32_t>(text[i]);
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
                const auto low = static_cast<uint32_t>(text[i + 1]);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    joined.push_back(static_cast<wchar_t>(0x10000u + ((unit - 0xD800u) << 10) + (low - 0xDC00u)));
                    ++i;
                    continue;
                }
            }
            joined.push_back(text[i]);
        }
        text.swap(joined);
    }
    return text;
}

std::wstring ReadLogFileSetting()
{
    std::array<unsigned char, kFileNameCapacity + 1> buffer{};
    uint32_t length = 0;
    const std::wstring key = SettingsKeyPath(L"Quarvex\\Error Log");
    if (platform::ReadSettingValue(key.c_str(), L"Filename", buffer.data(), kFileNameCapacity, &length) !=
        platform::SettingRead::kOk) {
        return {};
    }
    return WideFromUtf16Le(buffer.data(), buffer.size());
}

}  // namespace qrvp

// A null subkey opens nothing (0); a null value name reads the key's default
// value, as the registry's value query does.
extern "C" int32_t GetRegistryValueInt(const wchar_t* subkey, const wchar_t* valueName)
{
    if (subkey == nullptr) return 0;
    std::array<unsigned char, 4> data{};
    uint32_t length = 0;
    const std::wstring key = qrvp::SettingsKeyPath(subkey);
    if (qrvp::platform::ReadSettingValue(key.c_str(), valueName == nullptr ? L"" : valueName, data.data(),
                                         static_cast<uint32_t>(data.size()),
                                         &length) != qrvp::platform::SettingRead::kOk) {
        return 0;
    }
    // Shorter data fills the low-order bytes; the rest stays 0.
    uint32_t value = 0;
    for (uint32_t i = 0; i < length && i < 4; ++i) value |= static_cast<uint32_t>(data[i]) << (8 * i);
    return static_cast<int32_t>(value);
}

extern "C" int32_t GetReportThreading(int32_t* count)
{
    if (count == nullptr) return -1;
    const int32_t configured = GetRegistryValueInt(L"Quarvex\\Valcore", L"MaxConnections");
    *count = configured > 0 ? configured : qrvp::kDefaultConnections;
    return 0;
}
