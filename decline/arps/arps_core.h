// The Arps model's shared core, used by every operation of the family: the
// minimum-decline rule and the rate at a date with the switch to exponential
// decline at Dmin.  The exported building blocks (GetArpsIDecl,
// GetArpsDminDate, GetArpsDi, GetArpsYears) are declared in QRVPFuncs.h.
#ifndef QRVP_DECLINE_ARPS_CORE_H
#define QRVP_DECLINE_ARPS_CORE_H

#include "QRVPFuncs.h"
#include "frame/elementary.h"

#include <cmath>
#include <cstdint>

namespace qrvp::arps {

// Days in the year every Arps time is measured in.
inline constexpr double kDaysPerYear = 365.25;
// The nominal decline that stands for a 100 % effective decline; bounds the
// decline searches.
inline constexpr double kMaxNominalDecline = 36.0;

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

// The rate of the hyperbola (b not zero) t years after its start.
inline double HyperbolicRate(double Qi, double Di, double b, double t) { return qrvp::Pow(Di * b * t + 1, -1 / b) * Qi; }

// The switch step of ComputeArpsQt: given the hyperbolic rate already in *Qt,
// moves it onto the exponential at Dmin when the switch falls before FindDate.
int32_t ApplySwitch(Date FindDate, Date StartDate, double Qi, double Di, double b, double Dmin, double* Qt);

// A date's fields as the %d values of a log message (month/day/year).
inline int LogMonth(const Date& d) { return static_cast<int>(d.month); }
inline int LogDay(const Date& d) { return static_cast<int>(d.day); }
inline int LogYear(const Date& d) { return static_cast<int>(d.year); }

}  // namespace qrvp::arps

#endif
