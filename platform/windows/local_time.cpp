// Local time on Windows: the system's own broken-down local clock.
#include "platform/local_time.h"

#include "platform/windows/windows_api.h"

namespace qrvp::platform {

LocalTime CurrentLocalTime()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    LocalTime t;
    t.year = now.wYear;
    t.month = now.wMonth;
    t.day = now.wDay;
    t.hour = now.wHour;
    t.minute = now.wMinute;
    t.second = now.wSecond;
    t.milliseconds = now.wMilliseconds;
    return t;
}

}  // namespace qrvp::platform
