// Internal routines of the linear rate-versus-cumulative family.
#ifndef QRVP_DECLINE_LIN_CUM_H
#define QRVP_DECLINE_LIN_CUM_H

#include <cstdint>

namespace qrvp::cum {

// The integral over cumulative, from 0 to FindCum, of the rate line through
// (Cumi, Qi) and (Cumf, Qf); the constant rate Qi when the rates or the two
// cumulatives are equal.  Fails (one record under "GetLinCumIntVal", Area
// untouched) on a negative rate, a negative FindCum or Cumi, or Cumi > Cumf.
int32_t GetLinCumIntVal(double Qi, double Qf, double FindCum, double Cumi, double Cumf, double* Area);

}  // namespace qrvp::cum

#endif
