// How a calculation reports itself: one log record with the fixed system,
// level, code and text of every calculation, the reporting routine's name and
// the source line of the reporting statement, then status -1.
#ifndef QRVP_FRAME_REPORT_H
#define QRVP_FRAME_REPORT_H

#include "QRVPFuncs.h"

#include <cstdint>

namespace qrvp {

inline constexpr int32_t kStatusOk = 0;
inline constexpr int32_t kStatusFailed = -1;

// Every record a calculation writes carries these.
inline constexpr int32_t kCalcSystem = 9;
inline constexpr int32_t kCalcLevel = 5;

}  // namespace qrvp

// QRVP_FAIL(L"GetArpsQt", L"Qf cannot be zero.") logs under the given routine
// name with this statement's line and evaluates to -1, so the usual form is
//     return QRVP_FAIL(L"GetArpsQt", L"format %f", value);
#define QRVP_FAIL(function, ...)                                                                 \
    (LogPrintf(::qrvp::kCalcSystem, ::qrvp::kCalcLevel, 0, nullptr, function, __LINE__, __VA_ARGS__), \
     ::qrvp::kStatusFailed)

#endif
