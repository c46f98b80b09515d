// Reading the machine-wide settings under "Software\Ostrel Labs".
#ifndef QRVP_FRAME_SETTINGS_H
#define QRVP_FRAME_SETTINGS_H

#include <string>

namespace qrvp {

// "Software\Ostrel Labs\<subkey>", or the root alone for an empty subkey, cut
// at 1,023 characters as the key-path formatter's 1,024-character output
// limit cuts it.
std::wstring SettingsKeyPath(const wchar_t* subkey);

// The text of "Filename" under "Quarvex\Error Log", taken as stored: read into
// a zero-filled 2,048-byte buffer allowing 2,047 bytes of data, so the longest
// path is 1,022 characters.  Empty when the key or value cannot be read.
std::wstring ReadLogFileSetting();

// Wide text from stored UTF-16LE bytes, up to the first zero unit.  An odd
// last byte pairs with a zero byte, as it would in a zero-filled buffer.
std::wstring WideFromUtf16Le(const unsigned char* bytes, size_t size);

}  // namespace qrvp

#endif
