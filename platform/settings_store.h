// The machine-wide settings store: the raw data of one named value under a key
// of the local-machine hive, read the way the registry's value query reads it.
#ifndef QRVP_PLATFORM_SETTINGS_STORE_H
#define QRVP_PLATFORM_SETTINGS_STORE_H

#include <cstdint>

namespace qrvp::platform {

enum class SettingRead {
    kOk,        // the data fitted and was copied
    kNoKey,     // the key cannot be opened (missing store, missing key, denied)
    kNoValue,   // the key has no value of that name
    kMoreData,  // the value exists but its data is longer than the buffer
};

// Opens `keyPath` (relative to the local-machine hive, backslash-separated,
// e.g. L"Software\\Ostrel Labs\\Quarvex\\Error Log"; an empty path is the hive
// itself) for reading and reads the data of `valueName` (empty: the key's
// default value) into `buffer`, whatever the value's type, as the registry
// stores it: a 32-bit number as its 4 little-endian bytes, text as UTF-16LE
// code units with their terminator, a 64-bit number as 8 bytes, binary as
// given.  Key and value names compare without regard to case.
//
// On kOk, *length is the number of bytes copied (at most `capacity`) and the
// rest of the buffer is untouched.  On any other result the buffer's contents
// are undefined and *length is 0.  Never fails loudly: every problem maps to
// one of the results above.  Safe on any thread; keeps no state between calls.
SettingRead ReadSettingValue(const wchar_t* keyPath, const wchar_t* valueName, void* buffer,
                             uint32_t capacity, uint32_t* length);

}  // namespace qrvp::platform

#endif
