// Linear rate-versus-cumulative decline: the rate is a straight line against
// cumulative production, q(N) = Qi + decl * (N - BegCum).
#include "QRVPFuncs.h"
#include "decline/cum/cum_segment.h"
#include "decline/cum/lin_cum.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <optional>

using qrvp::kStatusFailed;
using qrvp::kStatusOk;
using qrvp::NearZero;
using namespace qrvp::cum;

extern "C" int32_t GetLinCumDecl(double Qi, double Qf, double BegCum, double EndCum, double* decl)
{
    if (decl == nullptr) {
        return kStatusFailed;
    }
    // Equal rates are flat whatever the cumulatives.
    if (NearZero(Qi - Qf)) {
        *decl = 0;
        return kStatusOk;
    }
    if (Qi <= 0 || Qf <= 0) {
        return QRVP_FAIL(L"GetLinCumDecl", kBadRates, Qi, Qf);
    }
    if (BegCum < 0 || EndCum <= 0) {
        return QRVP_FAIL(L"GetLinCumDecl", kBadCums, BegCum, EndCum);
    }
    if (NearZero(BegCum - EndCum)) {
        return QRVP_FAIL(L"GetLinCumDecl", kBadCums, BegCum, EndCum);
    }
    *decl = (Qf - Qi) / (EndCum - BegCum);
    return kStatusOk;
}

extern "C" int32_t GetLinCumQi(double BegCum, double EndCum, double Qf, double decl, double* Qi)
{
    if (Qi == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Qf)) {
        *Qi = 0;
        return kStatusOk;
    }
    if (Qf < 0) {
        return QRVP_FAIL(L"GetLinCumQi", kBadQf, Qf);
    }
    if (BegCum < 0 || EndCum <= 0) {
        return QRVP_FAIL(L"GetLinCumQi", kBadCums, BegCum, EndCum);
    }
    if (NearZero(BegCum - EndCum)) {
        return QRVP_FAIL(L"GetLinCumQi", kBadCums, BegCum, EndCum);
    }
    *Qi = Qf - (EndCum - BegCum) * decl;
    return kStatusOk;
}

extern "C" int32_t GetLinCumQf(double Qi, double BegCum, double EndCum, double decl, double* Qf)
{
    if (Qf == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Qi)) {
        *Qf = 0;
        return kStatusOk;
    }
    if (Qi < 0) {
        return QRVP_FAIL(L"GetLinCumQf", kBadQi, Qi);
    }
    if (BegCum < 0 || EndCum <= 0) {
        return QRVP_FAIL(L"GetLinCumQf", kBadCums, BegCum, EndCum);
    }
    if (NearZero(BegCum - EndCum)) {
        return QRVP_FAIL(L"GetLinCumQf", kBadCums, BegCum, EndCum);
    }
    *Qf = Qi + (EndCum - BegCum) * decl;
    return kStatusOk;
}

extern "C" int32_t GetLinCumEndCum(double Qi, double Qf, double BegCum, double decl, double* EndCum)
{
    if (EndCum == nullptr) {
        return kStatusFailed;
    }
    if (Qi <= 0 || Qf <= 0) {
        return QRVP_FAIL(L"GetLinCumEndCum", kBadRates, Qi, Qf);
    }
    if (BegCum < 0) {
        return QRVP_FAIL(L"GetLinCumEndCum", kBadBegCum, BegCum);
    }
    if (NearZero(decl)) {
        return QRVP_FAIL(L"GetLinCumEndCum", kBadDecl, decl);
    }
    *EndCum = BegCum + (Qf - Qi) / decl;
    return kStatusOk;
}

extern "C" int32_t GetLinCumBegCum(double Qi, double Qf, double decl, double EndCum, double* BegCum)
{
    if (BegCum == nullptr) {
        return kStatusFailed;
    }
    if (Qi <= 0 || Qf <= 0) {
        return QRVP_FAIL(L"GetLinCumBegCum", kBadRates, Qi, Qf);
    }
    if (EndCum <= 0) {
        return QRVP_FAIL(L"GetLinCumBegCum", kBadEndCum, EndCum);
    }
    if (NearZero(decl)) {
        return QRVP_FAIL(L"GetLinCumBegCum", kBadDecl, decl);
    }
    *BegCum = EndCum - (Qf - Qi) / decl;
    return kStatusOk;
}

extern "C" int32_t GetLinCumVCum(double Qi, double Qf, double FindCum, double BegCum, double EndCum, double* Qt)
{
    if (Qt == nullptr) {
        return kStatusFailed;
    }
    if (Qi < 0 || Qf < 0) {
        return QRVP_FAIL(L"GetLinCumVCum", kBadRates, Qi, Qf);
    }
    if (BegCum < 0 || EndCum < 0) {
        return QRVP_FAIL(L"GetLinCumVCum", kBadCums, BegCum, EndCum);
    }
    if (BegCum >= EndCum) {
        return QRVP_FAIL(L"GetLinCumVCum", L"EndCum (%f) is greater than BegCum (%f)", EndCum, BegCum);
    }
    if (Qi == Qf) {
        *Qt = Qi;
        return kStatusOk;
    }
    // Outside [BegCum, EndCum] the line is extrapolated.
    *Qt = Qf + (Qf - Qi) / (EndCum - BegCum) * (FindCum - EndCum);
    return kStatusOk;
}

int32_t qrvp::cum::GetLinCumIntVal(double Qi, double Qf, double FindCum, double Cumi, double Cumf, double* Area)
{
    if (Area == nullptr) {
        return kStatusFailed;
    }
    if (Qi < 0 || Qf < 0) {
        return QRVP_FAIL(L"GetLinCumIntVal", kBadRates, Qi, Qf);
    }
    if (FindCum < 0 || Cumi < 0) {
        return QRVP_FAIL(L"GetLinCumIntVal", L"Invalid FindCum (%f) or Cumi (%f)", FindCum, Cumi);
    }
    if (Cumi > Cumf) {
        return QRVP_FAIL(L"GetLinCumIntVal", L"Cumf (%f) is less than Cumi (%f)", Cumf, Cumi);
    }
    if (NearZero(Qi - Qf) || NearZero(Cumi - Cumf)) {
        *Area = Qi * FindCum;
        return kStatusOk;
    }
    const double s = (Qf - Qi) / (Cumf - Cumi);
    *Area = (Qf - s * Cumf + s * FindCum / 2) * FindCum;
    return kStatusOk;
}

extern "C" int32_t GetLinCum(double Qi, double Qf, double cum1, double cum2, double Cumi, double Cumf,
                             double* Rate)
{
    if (Rate == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(Qi - Qf) || NearZero(cum1 - cum2)) {
        *Rate = Qi;
        return kStatusOk;
    }
    double area1 = 0;
    double area2 = 0;
    if (GetLinCumIntVal(Qi, Qf, cum1, Cumi, Cumf, &area1) != kStatusOk ||
        GetLinCumIntVal(Qi, Qf, cum2, Cumi, Cumf, &area2) != kStatusOk) {
        return kStatusFailed;
    }
    *Rate = (area2 - area1) / (cum2 - cum1);
    return kStatusOk;
}

extern "C" int32_t ValidateLinCum(double* Qi, double* Qf, double* decl, double* BegCum, double* EndCum)
{
    return NormaliseSegment(Qi, Qf, decl, BegCum, EndCum,
                            [](double qi, double qf, double width) -> std::optional<double> {
                                return (qf - qi) / width;
                            });
}
