// Conversion between 8-bit text in the calling thread's code page and wide
// text, as the formula evaluator needs it.
#ifndef QRVP_PLATFORM_TEXT_CONVERSION_H
#define QRVP_PLATFORM_TEXT_CONVERSION_H

#include <string>
#include <string_view>

namespace qrvp::platform {

// Each 8-bit character becomes its wide character in the thread's code page.
// Where there are no code pages (POSIX), the page is ISO 8859-1: byte b becomes
// code point b.  Empty text, or text that cannot be converted, gives "".
std::wstring NarrowToWide(std::string_view text);

// Each wide character becomes its 8-bit character in the thread's code page, a
// character the page lacks becomes '?'.  Under ISO 8859-1: code points below
// 256 become that byte.  Empty text, or text that cannot be converted, gives "".
std::string WideToNarrow(std::wstring_view text);

}  // namespace qrvp::platform

#endif
