// The settings store off Windows: a file in the format the registry editor
// exports, read as the registry itself would answer a value query.
//
// First line "Windows Registry Editor Version 5.00" or "REGEDIT4" (leading
// and trailing blanks ignored); the file is UTF-16LE when it starts with the
// byte-order mark FF FE, else UTF-8 (an optional EF BB BF is skipped, invalid
// bytes read as U+FFFD).  Lines end with LF or CR LF.  After the first line:
//
//   [HKEY_LOCAL_MACHINE\Key\Path]    starts a key (other hives are ignored)
//   [-HKEY_LOCAL_MACHINE\Key\Path]   deletes the key, its subkeys and values
//   "Name"=data  or  @=data          a value of the current key (@: default)
//   "Name"=-                         deletes the value
//   ; comment                        ignored, as are blank lines
//
// data is one of
//   "text"            text, stored as UTF-16LE with its 2-byte terminator;
//                     \\ stands for \ and \" for "
//   dword:1a2b3c4d    1 to 8 hex digits, stored as 4 little-endian bytes
//   hex:01,02,...     bytes as listed (binary); may be empty
//   hex(N):01,...     bytes as listed for type N (2 expandable text,
//                     7 multi-text, b 64-bit number, ...)
// A line ending in a backslash continues on the next line, whose leading
// blanks are dropped.  Names of keys and values compare without regard to case
// (ASCII and Latin-1 letters).  Lines are applied in order, so a later value
// or deletion overrides an earlier one; a key exists once any key at or below
// it is named.  A line that fits none of the forms is skipped.
//
// Bounds: a file over 16 MiB counts as unreadable, and a continued line longer
// than 1 Mi characters is skipped, so a hostile file cannot exhaust memory or
// time.  Nothing is recursive.
#ifndef QRVP_PLATFORM_POSIX_REG_FILE_H
#define QRVP_PLATFORM_POSIX_REG_FILE_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qrvp::platform::posix {

inline constexpr size_t kMaxRegFileBytes = 16u * 1024u * 1024u;
inline constexpr size_t kMaxRegLineChars = 1024u * 1024u;

struct RegLookup {
    bool keyFound = false;
    bool valueFound = false;
    std::vector<uint8_t> data;  // the value's bytes when found
};

// Looks up `valueName` (empty: the default value) under `keyPath`, a path
// relative to HKEY_LOCAL_MACHINE (empty: the hive's root), in the raw bytes of
// an exported registry file.  A file without the header line finds nothing.
RegLookup LookUpRegValue(std::string_view fileBytes, std::wstring_view keyPath, std::wstring_view valueName);

}  // namespace qrvp::platform::posix

#endif
