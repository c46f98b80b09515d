// Bending an Arps segment through a third point: the point fit finds the
// exponent b of the curve through the start, the bend point and the end, and
// the segment keeps both ends with that b and a re-solved initial decline.
#include "decline/arps/arps_core.h"
#include "decline/arps/curve_fit.h"
#include "frame/elementary.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

namespace qrvp::arps {

namespace {

// The search on b stops once its bracket is this narrow.
constexpr double kBFactorResolution = 0.001;
// A midpoint this close to the bound means the curve needs a steeper exponent.
constexpr double kBFactorBoundMargin = 0.002;

double YearsBetween(const Date& later, const Date& earlier) { return later.DaySpan(earlier) / kDaysPerYear; }

}  // namespace

bool CurveFit::PointFit(std::span<const RatePoint> Points, double Dmin, double* Di, double* Qi, double* b)
{
    if (Di == nullptr || Qi == nullptr || b == nullptr) {
        return false;
    }
    const std::size_t n = Points.size();
    if (n != 2 && n != 3) {
        (void)QRVP_FAIL(L"CurveFit::PointFit", L"PointFit requires 2 or 3 points.  %d points submitted.",
                        static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max())));
        return false;
    }
    const RatePoint& first = Points.front();
    const RatePoint& last = Points.back();
    const double q1 = first.rate;
    const double qN = last.rate;
    *Qi = q1;
    if (NearZero(q1) || NearZero(qN)) {
        (void)QRVP_FAIL(L"CurveFit::PointFit", L"Non-Zero Qi and Qf are required.  Qi=%f, Qf=%f.", q1, qN);
        return false;
    }
    if (NearZero(q1 - qN)) {
        *b = 0.0;
        *Di = 0.0;
        return true;
    }

    // The exponential through the end points decides on which side of b = 0
    // the middle point lies.
    *Di = -qrvp::Log(qN / q1) / YearsBetween(last.date, first.date);
    if (n == 2) {
        *b = 0.0;
        return true;
    }
    const RatePoint& middle = Points[1];
    const double q2 = middle.rate;
    const double qe = qrvp::Exp(YearsBetween(middle.date, first.date) * -*Di) * q1;
    double lo = 0.0;
    double hi = kMaxBFactor;
    if (!(qe > q2)) {
        lo = -kMaxBFactor;
        hi = 0.0;
    }

    double mid = 0.0;
    while (hi - lo > kBFactorResolution) {
        mid = (lo + hi) * 0.5;
        *b = mid;
        if (std::fabs(std::fabs(mid) - kMaxBFactor) < kBFactorBoundMargin) {
            (void)QRVP_FAIL(L"CurveFit::PointFit", L"New bFactor (%f) is out of range (+/- %f)", mid, kMaxBFactor);
            return false;
        }
        // The decline that takes the curve through the middle point; the end
        // rate it then reaches says whether b must grow or shrink.
        double q3 = 0.0;
        if (GetArpsDi(first.date, middle.date, *Qi, q2, mid, Dmin, Di) != kStatusOk ||
            ComputeArpsQt(last.date, first.date, *Qi, *Di, mid, Dmin, &q3) != kStatusOk) {
            // No curve with this b: move towards b = 0.
            if (lo < 0.0) {
                lo = mid;
            } else {
                hi = mid;
            }
            continue;
        }
        if (q3 > qN) {
            hi = mid;  // the tail is too flat
        } else {
            lo = mid;
        }
    }
    if (std::fabs(std::fabs(mid) - kMaxBFactor) > kBFactorResolution) {
        return true;
    }
    (void)QRVP_FAIL(L"CurveFit::PointFit", L"Unknown error.  Should not have reached here.");
    return false;
}

}  // namespace qrvp::arps

using namespace qrvp;
using namespace qrvp::arps;

extern "C" QRVP_API int32_t BendArpsSegment(double Qi, Date StartDate, double BendQ, Date BendDate, double Qf,
                                            Date EndDate, double Dmin, ArpsSegment* Segment)
{
    if (Segment == nullptr) {
        return kStatusFailed;
    }
    std::memset(static_cast<void*>(Segment), 0, sizeof(ArpsSegment));

    if (BendDate <= StartDate || !(BendDate < EndDate)) {
        return QRVP_FAIL(L"BendArpsSegment",
                         L"The bend point (%d/%d/%d) is less than the start date (%d/%d/%d) or greater than the "
                         L"end date (%d/%d/%d)",
                         LogMonth(BendDate), LogDay(BendDate), LogYear(BendDate), LogMonth(StartDate),
                         LogDay(StartDate), LogYear(StartDate), LogMonth(EndDate), LogDay(EndDate),
                         LogYear(EndDate));
    }
    if (Qi > Qf && (BendQ > Qi || BendQ < Qf)) {
        return QRVP_FAIL(L"BendArpsSegment", L"The bend point (%f) is greater than the Qi (%f) or less than the Qf (%f)",
                         BendQ, Qi, Qf);
    }
    if (Qi <= Qf && (BendQ < Qi || BendQ > Qf)) {
        return QRVP_FAIL(L"BendArpsSegment", L"The bend point (%f) is less than the Qi (%f) or greater than the Qf (%f)",
                         BendQ, Qi, Qf);
    }

    const std::array<RatePoint, 3> points{{{StartDate, Qi}, {BendDate, BendQ}, {EndDate, Qf}}};
    double fitDi = 0.0;
    double fitQi = 0.0;
    double b = 0.0;
    if (!CurveFit::PointFit(points, Dmin, &fitDi, &fitQi, &b)) {
        return kStatusFailed;
    }
    Segment->Qi = Qi;
    Segment->StartDate = StartDate;
    Segment->b = b;

    // The fitted curve must be evaluable over the whole segment.
    const EffectiveDecline fitted = ApplyMinDeclineRule(b, fitDi, Dmin);
    double qEnd = 0.0;
    if (ComputeArpsQt(EndDate, StartDate, Qi, fitDi, fitted.b, fitted.Dmin, &qEnd) != kStatusOk) {
        return kStatusFailed;
    }
    if (std::fabs(b) > CurveFit::kMaxBFactor) {
        return QRVP_FAIL(L"BendArpsSegment", L"New bFactor (%f) is out of range (+/- %f)", b, CurveFit::kMaxBFactor);
    }
    if ((Qi > Qf && fitDi < 0.0) || (Qf > Qi && fitDi > 0.0)) {
        return QRVP_FAIL(L"BendArpsSegment", L"New decline rate (%f) is inconsistent with Qi (%f) and Qf (%f)", fitDi,
                         Qi, Qf);
    }

    // Keep both ends: the decline that, with the fitted b, reaches Qf at EndDate.
    double Di = 0.0;
    if (GetArpsDi(StartDate, EndDate, Qi, Qf, b, Dmin, &Di) != kStatusOk) {
        return kStatusFailed;
    }
    Segment->Di = Di;
    const EffectiveDecline kept = ApplyMinDeclineRule(b, Di, Dmin);
    double qf = 0.0;
    if (ComputeArpsQt(EndDate, StartDate, Qi, Di, kept.b, kept.Dmin, &qf) != kStatusOk) {
        return kStatusFailed;
    }
    Segment->Qf = qf;
    Segment->EndDate = EndDate;
    return kStatusOk;
}
