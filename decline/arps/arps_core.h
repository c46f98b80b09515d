// The Arps model's shared core, used by every operation of the family: the
// minimum-decline rule and the rate at a date with the switch to exponential
// decline at Dmin.  The exported building blocks (GetArpsIDecl,
// GetArpsDminDate, GetArpsDi, GetArpsYears) are declared in QRVPFuncs.h.
#ifndef QRVP_DECLINE_ARPS_CORE_H
#define QRVP_DECLINE_ARPS_CORE_H

#include "QRVPFuncs.h"

#include <cstdint>

namespace qrvp::arps {

// The exponent and minimum decline an Arps operation actually uses (b', Dmin').
struct EffectiveDecline {
    double b;
    double Dmin;
};

// The minimum-decline rule: derives (b', Dmin') from (b, Di, Dmin).
EffectiveDecline ApplyMinDeclineRule(double b, double Di, double Dmin);

// Rate at FindDate of the segment (Qi, Di at StartDate; b; Dmin), switching to
// exponential decline at Dmin once the instantaneous decline has reached it.
// Applies no minimum-decline rule of its own.  Writes Qt = -1.0 first.
int32_t ComputeArpsQt(Date FindDate, Date StartDate, double Qi, double Di, double b, double Dmin, double* Qt);

}  // namespace qrvp::arps

#endif
