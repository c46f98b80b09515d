// The wall-clock time in the machine's local time zone, with milliseconds.
#ifndef QRVP_PLATFORM_LOCAL_TIME_H
#define QRVP_PLATFORM_LOCAL_TIME_H

#include <cstdint>

namespace qrvp::platform {

struct LocalTime {
    uint16_t year = 0;
    uint16_t month = 0;   // 1..12
    uint16_t day = 0;     // 1..31
    uint16_t hour = 0;    // 0..23
    uint16_t minute = 0;  // 0..59
    uint16_t second = 0;  // 0..59 (60 for a leap second where the clock shows one)
    uint16_t milliseconds = 0;  // 0..999
};

// Safe on any thread; reads no file after the first call in a process.
LocalTime CurrentLocalTime();

}  // namespace qrvp::platform

#endif
