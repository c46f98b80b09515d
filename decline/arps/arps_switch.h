// Where an Arps segment's switch to Dmin lies, told without the curve's
// transcendental functions whenever rounding cannot make it otherwise.
//
// The rate decides the switch from the hyperbolic rate at the date
// (GetArpsIDecl, then D against Dmin) and places it with GetArpsDminDate
// (days through the rate at the switch, then AddFracDay to the whole second).
// Both are a few units in the last place from their exact values.  Away from
// the switch, and for a number of days that truncates to the same second
// wherever rounding puts it, the outcome is already certain; the rate and
// volume operations then skip the computation, and take the full route
// otherwise, so that every result is the full route's, bit for bit.
#ifndef QRVP_DECLINE_ARPS_SWITCH_H
#define QRVP_DECLINE_ARPS_SWITCH_H

#include "QRVPFuncs.h"

namespace qrvp::arps {

struct SwitchBounds {
    bool known = false;   // the segment switches, and the fields below hold
    double ratio = 0.0;   // Di / Dmin: the value of 1 + b*Di*t at the switch
    double band = 0.0;    // relative half-width around it where rounding decides
    double days = 0.0;    // days from the start to the switch,
    double slack = 0.0;   // give or take this many
    double qiExponent = 0.0;  // floor(log2 Qi)
};

// Known for a decline (b > 0, 0 < Dmin < Di) or an incline (b < 0,
// Di < Dmin < 0) with every value finite, Qi positive and the rate at the
// switch far from both ends of the doubles; b and Dmin are those the
// minimum-decline rule leaves.
SwitchBounds BoundSwitch(double Qi, double Di, double b, double Dmin);

enum class SwitchSide { Before, After, Unsure };

// Whether the decline at t years, as the full route finds it from the
// hyperbolic rate, is past Dmin.  After also promises that the hyperbolic rate
// at t is positive (the full route fails when it underflows).
SwitchSide SideOfSwitch(const SwitchBounds& bounds, double Di, double b, double t);

// The date GetArpsDminDate gives (it cannot fail for a known segment started
// in 1800 or later), when every number of days within the slack truncates to
// the same second; false when the full computation must decide.
bool QuickDminDate(const SwitchBounds& bounds, const Date& StartDate, Date* DminDate);

// The date GetArpsDminDate gives, by QuickDminDate or else in full; false,
// with no record, only when the segment is not known or starts before 1800.
bool KnownDminDate(const SwitchBounds& bounds, const Date& StartDate, double Di, double Dmin, double Qi, double b,
                   Date* DminDate);

// GetArpsDminDate's checks and computation in full, with its records.
int32_t SolveDminDate(Date StartDate, double Di, double Dmin, double Qi, double b, Date* DminDate);

// The rate at the switch as the rate at a date computes it; after the switch
// the rate is this times exp(te * (-Dmin)), te the years from the switch.
double RateAtSwitch(const Date& StartDate, const Date& DminDate, double Qi, double Di, double b);

}  // namespace qrvp::arps

#endif
