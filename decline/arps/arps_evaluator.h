// The rate and the cumulative volume of one Arps segment at many dates.  The
// segment is taken once: its regime is chosen, its switch to Dmin placed and
// the rate and volume at the switch computed, so that each date costs the
// day span and the curve alone.  Every result, status and log record is that
// of GetArpsQt(at, StartDate, ...) and GetArpsVol2(StartDate, at, ...) on the
// same arguments, bit for bit: a date where rounding decides the switch, or
// where the one-value calls would fail, is handed to them.
#ifndef QRVP_DECLINE_ARPS_EVALUATOR_H
#define QRVP_DECLINE_ARPS_EVALUATOR_H

#include "QRVPFuncs.h"
#include "decline/arps/arps_switch.h"

#include <cstdint>

namespace qrvp::arps {

class ArpsEvaluator {
public:
    // Takes the arguments of GetArpsQt and GetArpsVol2 apart from the date.
    // Writes no record and never fails: a segment the calls reject is
    // rejected at each date.
    ArpsEvaluator(Date StartDate, double Qi, double Di, double b, double Dmin);

    // As GetArpsQt(at, StartDate, Qi, Di, b, Dmin, Qt).
    int32_t Rate(const Date& at, double* Qt) const;
    // As GetArpsVol2(StartDate, at, Qi, Di, b, Dmin, Vol).
    int32_t Volume(const Date& at, double* Vol) const;
    // The rate, then (when the rate succeeded) the volume: -1 when either
    // fails, with what that call leaves behind.
    int32_t RateAndVolume(const Date& at, double* Qt, double* Vol) const;

private:
    enum class Regime { Calls, Constant, Exponential, Hyperbolic, HyperbolicChecked, Switching };

    // Both results at `at` when the date needs no one-value call; false
    // otherwise, with nothing written.
    bool Quick(const Date& at, double* Qt, double* Vol) const;
    double DaysFrom(const Date& at, double originDay, const Date& origin) const;

    Date start_;
    double Qi_, Di_, b_, Dmin_;  // as given
    double bEff_ = 0.0, DminEff_ = 0.0;
    Regime regime_ = Regime::Calls;
    double startDay_ = 0.0;  // day numbers of the start and the switch
    SwitchBounds bounds_;
    Date dminDate_;
    double dminDay_ = 0.0;
    double rateAtSwitch_ = 0.0;   // the rate's QD
    double volAtSwitch_ = 0.0;    // the hyperbolic volume up to the switch
    double twelveQD_ = 0.0;       // 12 times the volume's QD
};

}  // namespace qrvp::arps

#endif
