// Seeded calls across the families (rates, volumes, solvers, the gamma
// routines behind the stretched-exponential volume, conversions), one line
// per call with its status and the bits of its results.  Built for Linux and
// for Windows from the same source; scripts/cross-platform-check.sh runs both
// and compares the lines, which must be the same bit for bit.
//   cross_platform_calls [count, default 200000]
#include "QRVPFuncs.h"

#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

std::mt19937_64 rng(24);

// Exact scaling of the generator's bits only, so both platforms draw the same numbers.
double U(double a, double b) { return a + (b - a) * (static_cast<double>(rng() >> 11) * 0x1p-53); }

int Below(int n) { return static_cast<int>(rng() % static_cast<uint64_t>(n)); }

Date RandomDate() {
    const int y = 1900 + Below(200), m = 1 + Below(12), d = 1 + Below(28), h = Below(24), mi = Below(60), s = Below(60);
    return Date(y, m, d, h, mi, s);
}

Date Later(Date d, double days) {
    d.AddFracDay(days);
    return d;
}

void Print(long i, int kind, int32_t status, double a, double b = 0.0, Date d = Date()) {
    std::printf("%ld %d %d %016" PRIx64 " %016" PRIx64 " %u-%u-%u %u:%u:%u\n", i, kind, status, std::bit_cast<uint64_t>(a),
                std::bit_cast<uint64_t>(b), d.year, d.month, d.day, d.hour, d.minute, d.second);
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 200000;
    for (long i = 0; i < count; ++i) {
        const int kind = static_cast<int>(i % 20);
        const Date start = RandomDate(), end = Later(start, U(1.0, 20000.0));
        const double Qi = U(1.0, 1e5), Di = U(0.01, 5.0), b = U(0.05, 2.0), Dmin = Di * U(0.01, 0.9);
        const double Qf = Qi * U(0.001, 0.99), tau = U(0.1, 30.0), n = U(0.1, 1.0), Vol = Qi * U(1.0, 500.0);
        const double effective = U(0.01, 0.99), cum = U(0.0, 1e6), EndCum = U(1e3, 1e6);
        double r = 0.0, s = 0.0;
        Date d;
        int32_t status = 0;
        switch (kind) {
            case 0: status = NomToTanEff(Di, &r); break;
            case 1: status = TanEffToNom(effective, &r); break;
            case 2: status = NomToSecEff(Di, b, &r); break;
            case 3: status = SecEffToNom(effective, b, &r); break;
            case 4: status = GetArpsQt(end, start, Qi, Di, b, Dmin, &r); break;
            case 5: status = GetArpsIDecl(Qf, Di, Qi, b, &r); break;
            case 6: status = GetArpsDminDate(start, Di, Dmin, Qi, b, &d); break;
            case 7: status = GetArpsDi(start, end, Qi, Qf, b, Dmin, &r); break;
            case 8: status = GetArpsQi(start, end, Qf, b, Di, Dmin, &r); break;
            case 9: status = GetArpsYears(Qi, Qf, b, Di, Dmin, &r); break;
            case 10: status = GetArpsVol2(start, end, Qi, Di, b, Dmin, &r); break;
            case 11: status = GetArpsVol(start, end, Qi, Qf, Di, b, Dmin, &r); break;
            case 12: status = GetArpsYearsVol(Qi, Vol, b, Di, Dmin, &r); break;
            case 13: status = GetArpsQfDiVol(start, end, Qi, b, Vol, Dmin, &r, &s); break;
            case 14: status = GetSEDMQt(Qi, start, end, tau, n, &r); break;
            case 15: status = GetSEDMVol(Qi, start, end, tau, n, &r); break;
            case 16: status = GetSEDMYears(Qi, Qf, 0.0, tau, n, &r); break;
            case 17: status = GetSEDMTau(Qi, Qf, start, end, n, &r); break;
            case 18: status = GetLogCumVCum(Qi, Qf, cum, 0.0, EndCum, &r); break;
            default: status = GetLogCum(Qi, Qf, 0.0, cum, 0.0, EndCum, &r); break;
        }
        Print(i, kind, status, r, s, d);
    }
    return 0;
}
