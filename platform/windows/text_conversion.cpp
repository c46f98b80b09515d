// Code-page conversion on Windows: the calling thread's ANSI code page
// (CP_THREAD_ACP) both ways; a character the page lacks becomes the page's
// default character, '?'.
#include "platform/text_conversion.h"

#include "platform/windows/windows_api.h"

#include <climits>

namespace qrvp::platform {

std::wstring NarrowToWide(std::string_view text)
{
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return {};
    const int count = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), count, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    const int written = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), count, wide.data(), needed);
    if (written <= 0) return {};
    wide.resize(static_cast<size_t>(written));
    return wide;
}

std::string WideToNarrow(std::wstring_view text)
{
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return {};
    const int count = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string narrow(static_cast<size_t>(needed), '\0');
    const int written =
        WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), count, narrow.data(), needed, nullptr, nullptr);
    if (written <= 0) return {};
    narrow.resize(static_cast<size_t>(written));
    return narrow;
}

}  // namespace qrvp::platform
