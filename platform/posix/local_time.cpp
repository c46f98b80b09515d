// Local time on POSIX: the system clock broken down by localtime_r.  The
// broken-down form is kept per thread for the current second, so records
// written within one second do not each pay for the time-zone conversion.
#include "platform/local_time.h"

#include <time.h>

#include <chrono>

namespace qrvp::platform {

namespace {

struct SecondCache {
    time_t second = -1;
    struct tm fields {};
};

}  // namespace

LocalTime CurrentLocalTime()
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto wholeSeconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    const auto seconds = static_cast<time_t>(wholeSeconds.count());
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - wholeSeconds).count();

    thread_local SecondCache cache;
    if (cache.second != seconds) {
        struct tm fields {};
        if (localtime_r(&seconds, &fields) == nullptr) fields = {};
        cache.fields = fields;
        cache.second = seconds;
    }
    const struct tm& f = cache.fields;
    LocalTime t;
    t.year = static_cast<uint16_t>(f.tm_year + 1900);
    t.month = static_cast<uint16_t>(f.tm_mon + 1);
    t.day = static_cast<uint16_t>(f.tm_mday);
    t.hour = static_cast<uint16_t>(f.tm_hour);
    t.minute = static_cast<uint16_t>(f.tm_min);
    t.second = static_cast<uint16_t>(f.tm_sec);
    t.milliseconds = static_cast<uint16_t>(milliseconds);
    return t;
}

}  // namespace qrvp::platform
