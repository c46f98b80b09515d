// How the linear-with-time family puts its values into log messages.
#ifndef QRVP_DECLINE_LIN_TIME_LOG_H
#define QRVP_DECLINE_LIN_TIME_LOG_H

#include "QRVPFuncs.h"

#include <bit>
#include <cstdint>

namespace qrvp::lintime {

// A date's fields as the %d values of a message (month/day/year).  A year
// beyond the int range wraps, as it would on the hosts' platform.
inline int32_t LogMonth(const Date& d) { return static_cast<int32_t>(d.month); }
inline int32_t LogDay(const Date& d) { return static_cast<int32_t>(d.day); }
inline int32_t LogYear(const Date& d) { return static_cast<int32_t>(d.year); }

// What a %d placeholder shows for a double on the hosts' platform, where the
// double travels in a 64-bit argument slot and %d reads its low 32 bits: the
// low half of the IEEE-754 bit pattern as a signed int (0 for 100.0, for
// instance).  Passing the double itself to %d would be undefined here.
inline int32_t LogWordOf(double x)
{
    return static_cast<int32_t>(static_cast<uint32_t>(std::bit_cast<uint64_t>(x)));
}

}  // namespace qrvp::lintime

#endif
