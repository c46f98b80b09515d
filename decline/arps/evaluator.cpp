// The Arps segment evaluator and the rate and volume at many dates.
#include "decline/arps/arps_evaluator.h"

#include "dates/date_span.h"
#include "decline/arps/arps_core.h"
#include "decline/arps/arps_volume.h"
#include "frame/elementary.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <cmath>

namespace qrvp::arps {

namespace {

double DayOf(const Date& date) { return static_cast<double>(dates::DayNumberOfRecord(date)); }

}  // namespace

ArpsEvaluator::ArpsEvaluator(Date StartDate, double Qi, double Di, double b, double Dmin)
    : start_(StartDate), Qi_(Qi), Di_(Di), b_(b), Dmin_(Dmin), startDay_(DayOf(StartDate))
{
    // The regimes in the order the one-value calls choose them; anything
    // they treat in a way of its own is left to them (Regime::Calls).
    if (!std::isfinite(Qi) || !std::isfinite(Di) || !std::isfinite(b) || !std::isfinite(Dmin)) {
        return;
    }
    if (NearZero(Di)) {
        regime_ = Regime::Constant;
        return;
    }
    const EffectiveDecline eff = ApplyMinDeclineRule(b, Di, Dmin);
    bEff_ = eff.b;
    DminEff_ = eff.Dmin;
    if (NearZero(bEff_)) {
        regime_ = Regime::Exponential;
        return;
    }
    if (NearZero(Qi)) {
        return;  // the hyperbolic volume rejects it
    }
    if (NearZero(DminEff_)) {
        regime_ = Regime::Hyperbolic;
        return;
    }
    if (!(Qi > 0.0)) {
        return;  // GetArpsIDecl rejects it
    }
    if ((bEff_ > 0.0) != (DminEff_ > 0.0)) {
        // A Dmin of the other sign from the decline is never reached, but the
        // decline is still worked out at every date.
        regime_ = Regime::HyperbolicChecked;
        return;
    }
    bounds_ = BoundSwitch(Qi, Di, bEff_, DminEff_);
    if (!KnownDminDate(bounds_, StartDate, Di, DminEff_, Qi, bEff_, &dminDate_)) {
        return;
    }
    // A switch within a second of the start: the rate switches, the volume does not.
    if (!dates::IsEarlier(StartDate, dminDate_)) {
        return;
    }
    dminDay_ = DayOf(dminDate_);
    rateAtSwitch_ = RateAtSwitch(StartDate, dminDate_, Qi, Di, bEff_);
    const ArpsSwitch where = SwitchAt(StartDate, Qi, Di, bEff_, dminDate_);
    if (HypVolTime(Qi, Di, bEff_, where.tD, &volAtSwitch_) != kStatusOk) {
        return;
    }
    twelveQD_ = 12.0 * where.QD;
    regime_ = Regime::Switching;
}

bool ArpsEvaluator::Quick(const Date& at, double* Qt, double* Vol) const
{
    if (regime_ == Regime::Calls || dates::IsEarlier(at, start_)) {
        return false;
    }
    const double atDay = DayOf(at);
    const double days = dates::SpanFromDayNumbers(atDay, at, startDay_, start_);
    if (!(days > 0.0)) {
        return false;  // the start itself, or an over-long day counted back before it
    }
    const double t = days / kDaysPerYear;

    // The hyperbola before the switch (or without one).
    auto hyperbola = [&](bool positiveRate) {
        if (Di_ * bEff_ * t <= -1.0) {
            return false;
        }
        const double q = HyperbolicRate(Qi_, Di_, bEff_, t);
        if (positiveRate && !(q > 0.0)) {
            return false;  // GetArpsIDecl rejects it
        }
        if (Qt != nullptr) *Qt = q;
        if (Vol != nullptr) (void)HypVolTime(Qi_, Di_, bEff_, t, Vol);
        return true;
    };

    switch (regime_) {
    case Regime::Constant:
        if (Qt != nullptr) *Qt = Qi_;
        if (Vol != nullptr) *Vol = days * Qi_ / kDaysPerMonth;
        return true;
    case Regime::Exponential: {
        const double x = -Di_ * t;
        if (x > 1000.0) {
            return false;
        }
        const double e = qrvp::Exp(x);
        if (Qt != nullptr) *Qt = x < -1000.0 ? 0.0 : e * Qi_;
        if (Vol != nullptr) *Vol = 12.0 * Qi_ * (1.0 - e) / Di_;
        return true;
    }
    case Regime::Hyperbolic:
        return hyperbola(false);
    case Regime::HyperbolicChecked:
        return hyperbola(true);
    case Regime::Switching:
        switch (SideOfSwitch(bounds_, Di_, bEff_, t)) {
        case SwitchSide::Before:
            return hyperbola(true);
        case SwitchSide::After:
            if (dates::IsEarlier(dminDate_, at)) {
                const double te = dates::SpanFromDayNumbers(atDay, at, dminDay_, dminDate_) / kDaysPerYear;
                const double e = qrvp::Exp(te * (-DminEff_));
                if (Qt != nullptr) *Qt = rateAtSwitch_ * e;
                if (Vol != nullptr) *Vol = volAtSwitch_ + twelveQD_ * (1.0 - e) / DminEff_;
                return true;
            }
            return hyperbola(true);
        case SwitchSide::Unsure:
            return false;
        }
        return false;
    case Regime::Calls:
        return false;
    }
    return false;
}

int32_t ArpsEvaluator::Rate(const Date& at, double* Qt) const
{
    if (Qt == nullptr) {
        return kStatusFailed;
    }
    if (Quick(at, Qt, nullptr)) {
        return kStatusOk;
    }
    return GetArpsQt(at, start_, Qi_, Di_, b_, Dmin_, Qt);
}

int32_t ArpsEvaluator::Volume(const Date& at, double* Vol) const
{
    if (Vol == nullptr) {
        return kStatusFailed;
    }
    if (Quick(at, nullptr, Vol)) {
        return kStatusOk;
    }
    return GetArpsVol2(start_, at, Qi_, Di_, b_, Dmin_, Vol);
}

int32_t ArpsEvaluator::RateAndVolume(const Date& at, double* Qt, double* Vol) const
{
    if (Qt == nullptr || Vol == nullptr) {
        return kStatusFailed;
    }
    if (Quick(at, Qt, Vol)) {
        return kStatusOk;
    }
    if (GetArpsQt(at, start_, Qi_, Di_, b_, Dmin_, Qt) != kStatusOk) {
        return kStatusFailed;
    }
    return GetArpsVol2(start_, at, Qi_, Di_, b_, Dmin_, Vol);
}

}  // namespace qrvp::arps

namespace {

// One loop per choice of outputs, so that the loop itself tests nothing but
// the status.
template <bool kRate, bool kVolume>
int32_t EvaluateDates(const qrvp::arps::ArpsEvaluator& segment, const Date* Dates, size_t Count, double* Qt,
                      double* Vol)
{
    for (size_t i = 0; i < Count; ++i) {
        double q = 0.0;
        double v = 0.0;
        int32_t status = qrvp::kStatusOk;
        if constexpr (kRate && kVolume) {
            status = segment.RateAndVolume(Dates[i], &q, &v);
        } else if constexpr (kRate) {
            status = segment.Rate(Dates[i], &q);
        } else {
            status = segment.Volume(Dates[i], &v);
        }
        if (status != qrvp::kStatusOk) {
            return qrvp::kStatusFailed;
        }
        if constexpr (kRate) Qt[i] = q;
        if constexpr (kVolume) Vol[i] = v;
    }
    return qrvp::kStatusOk;
}

}  // namespace

extern "C" QRVP_API int32_t GetArpsQtVolDates(Date StartDate, double Qi, double Di, double b, double Dmin,
                                              const Date* Dates, size_t Count, double* Qt, double* Vol)
{
    if ((Dates == nullptr && Count != 0) || (Qt == nullptr && Vol == nullptr)) {
        return qrvp::kStatusFailed;
    }
    const qrvp::arps::ArpsEvaluator segment(StartDate, Qi, Di, b, Dmin);
    if (Qt == nullptr) {
        return EvaluateDates<false, true>(segment, Dates, Count, Qt, Vol);
    }
    if (Vol == nullptr) {
        return EvaluateDates<true, false>(segment, Dates, Count, Qt, Vol);
    }
    return EvaluateDates<true, true>(segment, Dates, Count, Qt, Vol);
}
