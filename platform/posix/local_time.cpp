// Local time on POSIX: the real-time clock broken down by localtime_r.  The
// broken-down form is kept per thread for the current second, so records
// written within one second do not each pay for the time-zone conversion.
#include "platform/local_time.h"

#include <time.h>

namespace qrvp::platform {

namespace {

struct SecondCache {
    time_t second = -1;
    struct tm fields {};
};

}  // namespace

LocalTime CurrentLocalTime()
{
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);

    thread_local SecondCache cache;
    if (cache.second != now.tv_sec) {
        struct tm fields {};
        if (localtime_r(&now.tv_sec, &fields) == nullptr) fields = {};
        cache.fields = fields;
        cache.second = now.tv_sec;
    }
    const struct tm& f = cache.fields;
    LocalTime t;
    t.year = static_cast<uint16_t>(f.tm_year + 1900);
    t.month = static_cast<uint16_t>(f.tm_mon + 1);
    t.day = static_cast<uint16_t>(f.tm_mday);
    t.hour = static_cast<uint16_t>(f.tm_hour);
    t.minute = static_cast<uint16_t>(f.tm_min);
    t.second = static_cast<uint16_t>(f.tm_sec);
    t.milliseconds = static_cast<uint16_t>(now.tv_nsec / 1000000);
    return t;
}

}  // namespace qrvp::platform
