// What the linear and the logarithmic rate-versus-cumulative families share:
// the texts of the messages they both write, and the normalisation of a
// segment's parameters, which differs between them only in how the slope
// between the two end rates is measured.
#ifndef QRVP_DECLINE_CUM_SEGMENT_H
#define QRVP_DECLINE_CUM_SEGMENT_H

#include "QRVPFuncs.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace qrvp::cum {

inline constexpr const wchar_t* kBadRates = L"Invalid Qi (%f) or Qf (%f)";
inline constexpr const wchar_t* kBadCums = L"Invalid BegCum (%f) or EndCum (%f)";
// Two blanks after "Invalid", as the hosts have always seen them.
inline constexpr const wchar_t* kBadQi = L"Invalid  Qi (%f)";
inline constexpr const wchar_t* kBadQf = L"Invalid  Qf (%f)";
inline constexpr const wchar_t* kBadBegCum = L"Invalid BegCum (%f)";
inline constexpr const wchar_t* kBadEndCum = L"Invalid EndCum (%f)";
inline constexpr const wchar_t* kBadDecl = L"Invalid decl (%f)";

// Normalises (Qi, Qf, decl, BegCum, EndCum) in place; writes no record.
// slopeOf(Qi, Qf, EndCum - BegCum) gives the family's decl between the two
// ends, or nothing when the ends admit none.  A segment whose EndCum is not a
// finite distance after its BegCum, or whose slope is not a finite number, is
// rejected with nothing changed rather than given an infinite or back-to-front
// decl.
template <class SlopeOf>
int32_t NormaliseSegment(double* Qi, double* Qf, double* decl, double* BegCum, double* EndCum, SlopeOf slopeOf)
{
    if (Qi == nullptr || Qf == nullptr || decl == nullptr || BegCum == nullptr || EndCum == nullptr) {
        return kStatusFailed;
    }
    const double qi = *Qi;
    const double qf = *Qf;
    const double begCum = *BegCum;
    const double endCum = *EndCum;

    if (NearZero(qi) && NearZero(qf)) {
        *Qi = 0;
        *Qf = 0;
        *decl = 0;
        return kStatusOk;
    }
    if (begCum < 0 || qi < 0 || qf < 0) {
        return kStatusFailed;
    }
    if (NearZero(qi - qf)) {
        *Qf = qi;
        *decl = 0;
        return kStatusOk;
    }
    // No end cumulative yet: mark it unknown and keep the decl the caller has.
    if (endCum <= 0) {
        *EndCum = -1;
        return kStatusOk;
    }
    const double width = endCum - begCum;
    if (!std::isfinite(width) || width < 0 || NearZero(width)) {
        return kStatusFailed;
    }
    const std::optional<double> slope = slopeOf(qi, qf, width);
    if (!slope || !std::isfinite(*slope)) {
        return kStatusFailed;
    }
    if (NearZero(*slope)) {
        *decl = 0;
        *Qf = qi;
    } else {
        *decl = *slope;
    }
    return kStatusOk;
}

}  // namespace qrvp::cum

#endif
