// QRVPFit.dll as a Windows host meets it, through its import library: a fit
// of a well made by QRVPFuncs.dll's own volumes, and a refusal that writes
// nothing.
#include "QRVPFit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(FitDll, FitsAWellMadeByTheLibraryAndRefusesBadInput)
{
    const Date origin(2012, 1, 1, 0, 0, 0);
    std::vector<Date> starts, ends;
    std::vector<double> volumes;
    for (int k = 0; k < 60; ++k) {
        Date a = origin, b = origin;
        a.AddMonths(k);
        b.AddMonths(k + 1);
        double va = 0.0, vb = 0.0;
        ASSERT_EQ(GetArpsVol2(origin, a, 5000.0, 0.9, 0.6, 0.0, &va), 0);
        ASSERT_EQ(GetArpsVol2(origin, b, 5000.0, 0.9, 0.6, 0.0, &vb), 0);
        starts.push_back(a);
        ends.push_back(b);
        volumes.push_back(vb - va);
    }
    FitOptions o;
    ASSERT_EQ(FitDefaults(&o), 0);
    o.model = FIT_MODEL_HYPERBOLIC;
    o.bootstrap = 10;
    FitResult r;
    ASSERT_EQ(FitDecline(60, starts.data(), ends.data(), volumes.data(), nullptr, &o, &r, nullptr), 0);
    EXPECT_NEAR(r.curve.Qi, 5000.0, 1.0);
    EXPECT_NEAR(r.curve.Di, 0.9, 1e-3);
    EXPECT_NEAR(r.curve.b, 0.6, 1e-3);
    double remaining = 0.0;
    ASSERT_EQ(GetFitVol(&r.curve, r.historyEnd, r.limitDate, &remaining), 0);
    EXPECT_EQ(remaining, r.remaining);

    volumes[7] = -1.0;
    FitResult untouched;
    std::memset(static_cast<void*>(&untouched), 0x5A, sizeof untouched);
    const FitResult before = untouched;
    EXPECT_EQ(FitDecline(60, starts.data(), ends.data(), volumes.data(), nullptr, &o, &untouched, nullptr), -1);
    EXPECT_EQ(std::memcmp(&untouched, &before, sizeof before), 0);
}

}  // namespace
