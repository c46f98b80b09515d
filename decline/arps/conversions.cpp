// Conversions between the nominal decline and the tangent and secant effective
// declines.  Negative values are inclines and pass through unchanged in kind.
#include "decline/arps/arps_core.h"
#include "frame/elementary.h"
#include "frame/report.h"
#include "frame/tolerance.h"

#include <cmath>

using namespace qrvp;

int32_t NomToTanEff(double D, double* De)
{
    if (De == nullptr) {
        return kStatusFailed;
    }
    *De = 1 - qrvp::Exp(-D);
    return kStatusOk;
}

int32_t TanEffToNom(double De, double* D)
{
    if (D == nullptr) {
        return kStatusFailed;
    }
    if (De >= 1.0) {
        // A 100 % effective decline or more: the capped nominal decline, silently.
        *D = arps::kMaxNominalDecline;
        return kStatusFailed;
    }
    *D = -qrvp::Log(1 - De);
    return kStatusOk;
}

int32_t NomToSecEff(double D, double b, double* Ds)
{
    if (Ds == nullptr) {
        return kStatusFailed;
    }
    if (NearZero(b)) {
        return QRVP_FAIL(L"NomToSecEff", L"bFactor cannot be 0");
    }
    *Ds = 1 - qrvp::Pow(D * b + 1, -1 / b);
    return kStatusOk;
}

int32_t SecEffToNom(double Ds, double b, double* D)
{
    if (D == nullptr) {
        return kStatusFailed;
    }
    if (Ds > 1.0 || NearZero(b)) {
        return QRVP_FAIL(L"NomToSecEff", L"Decline must be less than 1.0 and bFactor cannot be 0");
    }
    *D = (qrvp::Pow(1 - Ds, -b) - 1) / b;
    return kStatusOk;
}
