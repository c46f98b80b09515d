#include "QRVPFuncs.h"

#include <cmath>

extern "C" VersionInfo* GetVersionInfo(VersionInfo* info)
{
    if (info != nullptr) {
        info->Major = 3;
        info->Minor = 1;
        info->Release = 13;
        info->Build = 664;
    }
    return info;
}

extern "C" int32_t IsZero(double value, double tolerance)
{
    return std::fabs(value) < tolerance ? 1 : 0;
}

extern "C" int32_t IsEqual(double a, double b, double tolerance)
{
    return std::fabs(a - b) < tolerance ? 1 : 0;
}
