// The settings store on Windows: the registry's local-machine hive, opened for
// reading on every query and closed again, so a change shows at the next read.
#include "platform/settings_store.h"

#include "platform/windows/windows_api.h"

namespace qrvp::platform {

SettingRead ReadSettingValue(const wchar_t* keyPath, const wchar_t* valueName, void* buffer, uint32_t capacity,
                             uint32_t* length)
{
    if (length != nullptr) *length = 0;
    if (keyPath == nullptr) return SettingRead::kNoKey;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return SettingRead::kNoKey;

    // Without a buffer the query would only measure the value; a zero-sized
    // buffer of our own makes any data "more data", as it is.
    BYTE none[1] = {0};
    BYTE* data = buffer != nullptr ? static_cast<BYTE*>(buffer) : none;
    DWORD size = buffer != nullptr ? capacity : 0;
    const LSTATUS status = RegQueryValueExW(key, valueName == nullptr ? L"" : valueName, nullptr, nullptr, data, &size);
    RegCloseKey(key);

    switch (status) {
    case ERROR_SUCCESS:
        if (length != nullptr) *length = size;
        return SettingRead::kOk;
    case ERROR_MORE_DATA:
        return SettingRead::kMoreData;
    default:
        return SettingRead::kNoValue;  // missing, or unreadable for any other reason
    }
}

}  // namespace qrvp::platform
