// The text of one log record: the message from its format and values, and the
// comma-separated record line around it.
#ifndef QRVP_FRAME_LOG_RECORD_H
#define QRVP_FRAME_LOG_RECORD_H

#include "platform/local_time.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace qrvp::log {

// Wide characters, terminator included: a message holds at most 4,093
// characters, a record line at most 1,023.
inline constexpr size_t kMessageCapacity = 4094;
inline constexpr size_t kRecordCapacity = 1024;

// Formats `format` with `args` by the wide printf rules into `out` (room for
// kMessageCapacity characters), cutting the output at 4,093 characters as a
// truncating formatter would; returns the length.  A null format gives
// "(null)"; a format the formatter rejects gives what it produced before.
size_t FormatMessage(wchar_t* out, const wchar_t* format, va_list args);

struct RecordFields {
    platform::LocalTime time;
    int32_t system = 0;
    int32_t level = 0;
    int32_t code = 0;
    const wchar_t* text = nullptr;  // null prints "(null)"
    uint32_t thread = 0;
    const wchar_t* function = nullptr;
    int32_t line = 0;
    const wchar_t* message = nullptr;
};

// "m/d/yyyy hh:mm:ss.mmm,system,level,code,text,thread,function,line,message\n"
// into `out` (room for kRecordCapacity characters), cut at 1,023 characters,
// when it loses its line feed; returns the length.
size_t FormatRecordLine(wchar_t* out, const RecordFields& fields);

// True when bit (level mod 32) of the level mask and bit (system mod 32) of the
// system mask are both set.
inline bool PassesFilter(uint32_t levelMask, uint32_t systemMask, int32_t system, int32_t level)
{
    const uint32_t levelBit = 1u << (static_cast<uint32_t>(level) & 31u);
    const uint32_t systemBit = 1u << (static_cast<uint32_t>(system) & 31u);
    return (levelMask & levelBit) != 0 && (systemMask & systemBit) != 0;
}

}  // namespace qrvp::log

#endif
