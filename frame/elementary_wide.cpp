// The 128-bit arithmetic of the accurate paths: exact operations on 256-bit
// intermediates, truncated to 128 bits once at the end.
#include "frame/elementary.h"

#include <bit>
#include <cstdint>

namespace qrvp::elementary {
namespace {

int LeadingZeros(Uint128 x) {
    const auto hi = static_cast<uint64_t>(x >> 64);
    return hi != 0 ? std::countl_zero(hi) : 64 + std::countl_zero(static_cast<uint64_t>(x));
}

// (hi * 2^128 + lo) * 2^e, truncated to 128 bits.
Wide Normalized(Uint128 hi, Uint128 lo, int e, bool neg) {
    if (hi == 0) {
        if (lo == 0) return {0, 0, false};
        hi = lo;
        lo = 0;
        e -= 128;
    }
    const int shift = LeadingZeros(hi);
    if (shift != 0) hi = (hi << shift) | (lo >> (128 - shift));
    return {hi, e - shift + 128, neg};
}

bool Larger(const Wide& a, const Wide& b) { return a.e != b.e ? a.e > b.e : a.m > b.m; }

}  // namespace

Wide ToWide(double x) {
    const auto bits = std::bit_cast<uint64_t>(x);
    const bool neg = (bits >> 63) != 0;
    const auto field = static_cast<int>((bits >> 52) & 0x7ff);
    uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
    if (field != 0) mantissa |= uint64_t{1} << 52;
    if (mantissa == 0) return {0, 0, false};
    const int shift = 64 + std::countl_zero(mantissa);
    return {static_cast<Uint128>(mantissa) << shift, (field != 0 ? field - 1075 : -1074) - shift, neg};
}

Wide Add(const Wide& x, const Wide& y) {
    if (x.m == 0) return y;
    if (y.m == 0) return x;
    const Wide& a = Larger(y, x) ? y : x;
    const Wide& b = Larger(y, x) ? x : y;
    const int d = a.e - b.e;
    if (d >= 256) return a;
    // b aligned on a as (bh * 2^128 + bl) * 2^(a.e - 128).
    const Uint128 bh = d < 128 ? b.m >> d : 0;
    const Uint128 bl = d == 0 ? 0 : d < 128 ? b.m << (128 - d) : b.m >> (d - 128);
    if (a.neg == b.neg) {
        const Uint128 hi = a.m + bh;
        if (hi >= a.m) return {hi, a.e, a.neg};
        // The carry: a 257-bit sum, shifted down one bit.
        return {(hi >> 1) | (static_cast<Uint128>(1) << 127), a.e + 1, a.neg};
    }
    return Normalized(a.m - bh - (bl != 0 ? 1 : 0), static_cast<Uint128>(0) - bl, a.e - 128, a.neg);
}

Wide Multiply(const Wide& a, const Wide& b) {
    if (a.m == 0 || b.m == 0) return {0, 0, false};
    const auto a1 = static_cast<uint64_t>(a.m >> 64), a0 = static_cast<uint64_t>(a.m);
    const auto b1 = static_cast<uint64_t>(b.m >> 64), b0 = static_cast<uint64_t>(b.m);
    const Uint128 p00 = static_cast<Uint128>(a0) * b0, p01 = static_cast<Uint128>(a0) * b1;
    const Uint128 p10 = static_cast<Uint128>(a1) * b0, p11 = static_cast<Uint128>(a1) * b1;
    const Uint128 mid = (p00 >> 64) + static_cast<uint64_t>(p01) + static_cast<uint64_t>(p10);
    const Uint128 hi = p11 + (p01 >> 64) + (p10 >> 64) + (mid >> 64);
    return Normalized(hi, (mid << 64) | static_cast<uint64_t>(p00), a.e + b.e, a.neg != b.neg);
}

double Round(const Wide& a, Uint128 margin) {
    const uint64_t sign = a.neg ? uint64_t{1} << 63 : 0;
    const int exponent = a.e + 127;  // |a| in [2^exponent, 2^(exponent + 1))
    if (a.m == 0 || exponent < -1075) return std::bit_cast<double>(sign);
    if (exponent >= 1024) return std::bit_cast<double>(sign | 0x7ff0000000000000u);
    // The bits below the double's last place: 75 for a normal result, more below 2^-1022.
    const int shift = exponent >= -1022 ? 75 : -exponent - 947;
    const uint64_t kept = shift < 128 ? static_cast<uint64_t>(a.m >> shift) : 0;
    const Uint128 rest = shift < 128 ? a.m & ((static_cast<Uint128>(1) << shift) - 1) : a.m;
    const Uint128 half = static_cast<Uint128>(1) << (shift - 1);
    const Uint128 distance = rest > half ? rest - half : half - rest;
    const bool up = distance <= margin ? (kept & 1) != 0 : rest > half;
    const uint64_t field = exponent >= -1022 ? static_cast<uint64_t>(exponent + 1022) << 52 : 0;
    // A carry out of the mantissa moves into the exponent field (up to +inf).
    return std::bit_cast<double>(sign | (field + kept + (up ? 1 : 0)));
}

}  // namespace qrvp::elementary
