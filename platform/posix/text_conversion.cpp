// Without code pages the 8-bit text is taken as ISO 8859-1, the one page in
// which every byte survives the round trip to wide text and back.
#include "platform/text_conversion.h"

#include <cstdint>

namespace qrvp::platform {

std::wstring NarrowToWide(std::string_view text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (const char c : text) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
}

std::string WideToNarrow(std::wstring_view text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (const wchar_t c : text) {
        const auto code = static_cast<uint32_t>(c);
        narrow.push_back(code < 256u ? static_cast<char>(static_cast<unsigned char>(code)) : '?');
    }
    return narrow;
}

}  // namespace qrvp::platform
