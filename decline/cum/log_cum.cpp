// Logarithmic rate-versus-cumulative decline: the decimal logarithm of the rate
// is a straight line against cumulative production,
// q(N) = Qi * 10^(decl * (N - BegCum)).
#include "QRVPFuncs.h"
#include "decline/cum/cum_segment.h"
#include "frame/elementary.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <cmath>
#include <optional>

using qrvp::kStatusFailed;
using qrvp::kStatusOk;
using qrvp::NearZero;
using namespace qrvp::cum;

extern "C" int32_t GetLogCumDecl(double Qi, double Qf, double BegCum, double EndCum, double* decl)
{
    if (decl == nullptr) {
        return kStatusFailed;
    }
    if (Qi <= 0 || Qf <= 0) {
        return QRVP_FAIL(L"GetLogCumDecl", kBadRates, Qi, Qf);
    }
    if (BegCum < 0 || EndCum <= 0) {
        return QRVP_FAIL(L"GetLogCumDecl", kBadCums, BegCum, EndCum);
    }
    // Equal rates are flat, but only once the rates and cumulatives are valid.
    if (NearZero(Qi - Qf)) {
        *decl = 0;
        return kStatusOk;
    }
    if (NearZero(BegCum - EndCum)) {
        return QRVP_FAIL(L"GetLogCumDecl", kBadCums, BegCum, EndCum);
    }
    *decl = (qrvp::Log10(Qf) - qrvp::Log10(Qi)) / (EndCum - BegCum);
    return kStatusOk;
}

extern "C" int32_t GetLogCumQi(double BegCum, double EndCum, double Qf, double decl, double* Qi)
{
    if (Qi == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Qf)) {
        *Qi = 0;
        return kStatusOk;
    }
    if (Qf < 0) {
        return QRVP_FAIL(L"GetLogCumQi", kBadQf, Qf);
    }
    if (BegCum < 0 || EndCum <= 0) {
        return QRVP_FAIL(L"GetLogCumQi", kBadCums, BegCum, EndCum);
    }
    if (NearZero(BegCum - EndCum)) {
        return QRVP_FAIL(L"GetLogCumQi", kBadCums, BegCum, EndCum);
    }
    *Qi = Qf / qrvp::Pow(10.0, (EndCum - BegCum) * decl);
    return kStatusOk;
}

extern "C" int32_t GetLogCumQf(double Qi, double BegCum, double EndCum, double decl, double* Qf)
{
    if (Qf == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Qi)) {
        *Qf = 0;
        return kStatusOk;
    }
    if (Qi < 0) {
        return QRVP_FAIL(L"GetLogCumQf", kBadQi, Qi);
    }
    if (BegCum < 0 || EndCum <= 0) {
        return QRVP_FAIL(L"GetLogCumQf", kBadCums, BegCum, EndCum);
    }
    // A flat segment keeps its rate, even with no width.
    if (NearZero(decl)) {
        *Qf = Qi;
        return kStatusOk;
    }
    if (NearZero(BegCum - EndCum)) {
        return QRVP_FAIL(L"GetLogCumQf", kBadCums, BegCum, EndCum);
    }
    *Qf = Qi * qrvp::Pow(10.0, (EndCum - BegCum) * decl);
    return kStatusOk;
}

extern "C" int32_t GetLogCumEndCum(double Qi, double Qf, double BegCum, double decl, double* EndCum)
{
    if (EndCum == nullptr) {
        return kStatusFailed;
    }
    if (Qi <= 0 || Qf <= 0) {
        return QRVP_FAIL(L"GetLogCumEndCum", kBadRates, Qi, Qf);
    }
    if (BegCum < 0) {
        return QRVP_FAIL(L"GetLogCumEndCum", kBadBegCum, BegCum);
    }
    if (NearZero(decl)) {
        return QRVP_FAIL(L"GetLogCumEndCum", kBadDecl, decl);
    }
    *EndCum = BegCum + (qrvp::Log10(Qf) - qrvp::Log10(Qi)) / decl;
    return kStatusOk;
}

extern "C" int32_t GetLogCumBegCum(double Qi, double Qf, double decl, double EndCum, double* BegCum)
{
    if (BegCum == nullptr) {
        return kStatusFailed;
    }
    if (Qi <= 0 || Qf <= 0) {
        return QRVP_FAIL(L"GetLogCumBegCum", kBadRates, Qi, Qf);
    }
    if (EndCum <= 0) {
        return QRVP_FAIL(L"GetLogCumBegCum", kBadEndCum, EndCum);
    }
    if (NearZero(decl)) {
        return QRVP_FAIL(L"GetLogCumBegCum", kBadDecl, decl);
    }
    *BegCum = EndCum - (qrvp::Log10(Qf) - qrvp::Log10(Qi)) / decl;
    return kStatusOk;
}

extern "C" int32_t GetLogCumVCum(double Qi, double Qf, double FindCum, double BegCum, double EndCum, double* Qt)
{
    if (Qt == nullptr) {
        return kStatusFailed;
    }
    if (Qi <= 0 || Qf <= 0) {
        return QRVP_FAIL(L"GetLogCumVCum", kBadRates, Qi, Qf);
    }
    if (BegCum < 0 || EndCum < 0 || FindCum < 0) {
        return QRVP_FAIL(L"GetLogCumVCum", L"Invalid BegCum (%f), EndCum (%f), or FindCum (%f)", BegCum, EndCum,
                         FindCum);
    }
    if (BegCum >= EndCum) {
        return QRVP_FAIL(L"GetLogCumVCum", L"BegCum (%f) is less than EndCum (%f)", BegCum, EndCum);
    }
    if (NearZero(Qi - Qf) || NearZero(BegCum - EndCum)) {
        *Qt = Qi;
        return kStatusOk;
    }
    // Beyond EndCum the curve is extrapolated.
    const double logQf = qrvp::Log10(Qf);
    *Qt = qrvp::Pow(10.0, logQf + (logQf - qrvp::Log10(Qi)) / (EndCum - BegCum) * (FindCum - EndCum));
    return kStatusOk;
}

// The average rate over [cum1, cum2] is the exact integral of the rate divided
// by the interval's width, worked in natural logarithms: ln q(N) = s * N + c.
extern "C" int32_t GetLogCum(double Qi, double Qf, double cum1, double cum2, double Cumi, double Cumf,
                             double* Rate)
{
    if (Rate == nullptr) {
        return kStatusFailed;
    }
    if (Qi <= 0 || Qf <= 0) {
        return QRVP_FAIL(L"GetLogCumIntVal", kBadRates, Qi, Qf);
    }
    if (cum1 < 0 || cum1 > cum2 || Cumi < 0 || Cumi > Cumf) {
        return QRVP_FAIL(L"GetLogCumIntVal", L"Invalid Cumi (%f), Cumf (%f), cum1 (%f), or cum2 (%f)", Cumi, Cumf,
                         cum1, cum2);
    }
    if (NearZero(Qi - Qf) || NearZero(Cumi - Cumf)) {
        *Rate = Qi;
        return kStatusOk;
    }
    const double s = (qrvp::Log(Qf) - qrvp::Log(Qi)) / (Cumf - Cumi);
    const double c = qrvp::Log(Qi) - s * Cumi;
    // An interval of no width averages to the rate at its one point.
    if (NearZero(cum1 - cum2)) {
        *Rate = qrvp::Exp(s * cum1 + c);
        return kStatusOk;
    }
    *Rate = (qrvp::Exp(s * cum2 + c) / s - qrvp::Exp(s * cum1 + c) / s) / (cum2 - cum1);
    return kStatusOk;
}

// Note the sign: this decl is positive for a falling rate, the opposite of
// GetLogCumDecl's.
extern "C" int32_t ValidateLogCum(double* Qi, double* Qf, double* decl, double* BegCum, double* EndCum)
{
    return NormaliseSegment(Qi, Qf, decl, BegCum, EndCum,
                            [](double qi, double qf, double width) -> std::optional<double> {
                                // One zero rate has no logarithm, so no slope.
                                if (NearZero(qi) || NearZero(qf)) {
                                    return std::nullopt;
                                }
                                return (qrvp::Log10(qi) - qrvp::Log10(qf)) / width;
                            });
}
