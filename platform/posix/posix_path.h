// Wide text to the byte strings POSIX calls take.
#ifndef QRVP_PLATFORM_POSIX_POSIX_PATH_H
#define QRVP_PLATFORM_POSIX_POSIX_PATH_H

#include <string>

namespace qrvp::platform::posix {

// UTF-8 form of a wide string; a code point that has none (a lone surrogate,
// anything above U+10FFFF) becomes '?'.  When `slashes` is set, each backslash
// becomes '/', so a path written with Windows separators names the same file.
std::string ToUtf8(const wchar_t* text, bool slashes);

}  // namespace qrvp::platform::posix

#endif
