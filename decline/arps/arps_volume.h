// The Arps volume pieces shared by the exported volume operations: the
// hyperbolic volume down to a rate and over a time, the time needed to produce
// a volume, and where the switch to exponential decline at Dmin falls inside
// a dated interval.
#ifndef QRVP_DECLINE_ARPS_VOLUME_H
#define QRVP_DECLINE_ARPS_VOLUME_H

#include "QRVPFuncs.h"

#include <cstdint>

namespace qrvp::arps {

// A constant-rate volume counts months as days over this.
inline constexpr double kDaysPerMonth = 30.4375;

// Volume produced while the rate falls (or rises) from Qi to Qf on a curve of
// initial decline Di and exponent b (b = 0 exponential, b = 1 harmonic).
// Fails, logged as "HypVolQf", when Qi, Qf or Di is zero.
int32_t HypVolQf(double Qi, double Qf, double Di, double b, double* Vol);

// Volume produced over t years from Qi on a hyperbola of exponent b (not
// zero).  Fails when Qi or Di is zero; that record carries the name
// "GetArpsYears".
int32_t HypVolTime(double Qi, double Di, double b, double t, double* Vol);

// Years needed to produce Vol from Qi, with the exponent the minimum-decline
// rule gives for (b, Di, Dmin).  Fails only when Qi <= 0; a volume the curve
// never reaches gives a non-finite result with status 0.
int32_t GetArpsRemTime(double Qi, double Vol, double b, double Di, double Dmin, double* Years);

// Where the switch to exponential decline at Dmin falls between StartDate and
// EndDate.  When inside is false, the segment stays on its hyperbola up to
// EndDate and the other fields are not meaningful.
struct ArpsSwitch {
    bool inside;
    Date DminDate;
    double tD;  // years from StartDate to DminDate
    double QD;  // rate of the hyperbola at DminDate
};

// The switch at dminDate, as the volume places it: inside when dminDate lies
// after StartDate and before EndDate, with its time and rate.
void PlaceArpsSwitch(const Date& StartDate, const Date& EndDate, double Qi, double Di, double bEff,
                     const Date& dminDate, ArpsSwitch* where);

// The switch at dminDate, inside, with its time and rate.
ArpsSwitch SwitchAt(const Date& StartDate, double Qi, double Di, double bEff, const Date& dminDate);

// Locates the switch for the effective exponent bEff and the active minimum
// decline DminEff.  Fails when the pure hyperbola cannot be evaluated at
// EndDate, its decline there cannot be found, or the Dmin date cannot be
// solved (the routines that detect it log; a Dmin date before 1800 is silent).
int32_t LocateArpsSwitch(Date StartDate, Date EndDate, double Qi, double Di, double bEff, double DminEff,
                         ArpsSwitch* where);

}  // namespace qrvp::arps

#endif
