// Prints the tables of frame/elementary_*.cpp, computed with MPFR at 400 bits:
//   g++ -O2 scripts/elementary-tables.cpp -lmpfr -lgmp -o /tmp/tables && /tmp/tables
// (the library itself depends on nothing beyond the standard library).
#include <mpfr.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

constexpr mpfr_prec_t kBits = 400;

// Rounds v to a double of at most `bits` significant bits, subtracts it from v.
double TakeDouble(mpfr_t v, int bits = 53) {
    mpfr_t t;
    mpfr_init2(t, bits);
    mpfr_set(t, v, MPFR_RNDN);
    const double d = mpfr_get_d(t, MPFR_RNDN);
    mpfr_sub_d(v, v, d, MPFR_RNDN);
    mpfr_clear(t);
    return d;
}

// v as a 128-bit mantissa m (top bit set) and exponent e, v = m * 2^e, truncated
// after `bits` bits; subtracts the part taken from v.
void PrintWide(const char* name, mpfr_t v, int bits = 128) {
    mpfr_t m;
    mpfr_init2(m, kBits);
    const long e = mpfr_get_exp(v) - 128;  // v = 0.1xxx * 2^exp
    mpfr_mul_2si(m, v, -e, MPFR_RNDN);
    mpfr_rint_trunc(m, m, MPFR_RNDN);
    mpfr_div_2ui(m, m, static_cast<unsigned long>(128 - bits), MPFR_RNDN);
    mpfr_rint_trunc(m, m, MPFR_RNDN);
    mpfr_mul_2ui(m, m, static_cast<unsigned long>(128 - bits), MPFR_RNDN);
    mpfr_t part;
    mpfr_init2(part, kBits);
    mpfr_mul_2si(part, m, e, MPFR_RNDN);
    mpfr_sub(v, v, part, MPFR_RNDN);
    mpfr_t hi;
    mpfr_init2(hi, kBits);
    mpfr_div_2ui(hi, m, 64, MPFR_RNDN);
    mpfr_rint_trunc(hi, hi, MPFR_RNDN);
    const uint64_t h = mpfr_get_ui(hi, MPFR_RNDN);
    mpfr_mul_2ui(hi, hi, 64, MPFR_RNDN);
    mpfr_sub(m, m, hi, MPFR_RNDN);
    const uint64_t l = mpfr_get_ui(m, MPFR_RNDN);
    std::printf("inline constexpr Wide %s{Join(0x%016" PRIx64 "u, 0x%016" PRIx64 "u), %ld, false};\n", name, h, l, e);
    mpfr_clears(m, part, hi, static_cast<mpfr_ptr>(nullptr));
}

}  // namespace

int main() {
    mpfr_t v, c;
    mpfr_inits2(kBits, v, c, static_cast<mpfr_ptr>(nullptr));

    std::printf("// 2^(j/1024), j = 0..1023, as hi + lo.\n");
    for (int j = 0; j < 1024; ++j) {
        mpfr_set_si(v, j, MPFR_RNDN);
        mpfr_div_ui(v, v, 1024, MPFR_RNDN);
        mpfr_exp2(v, v, MPFR_RNDN);
        const double hi = TakeDouble(v);
        std::printf("    {%a, %a},\n", hi, mpfr_get_d(v, MPFR_RNDN));
    }

    // The reduced argument z in [0.75, 1.5) falls in one of 256 cells: cells 0..127
    // are 2^-9 wide from 0.75, cells 128..255 2^-8 wide from 1. c is the inverse of
    // the cell's centre to 10 bits, 1 for the two cells beside 1.
    std::printf("// {c, -log(c) hi, -log(c) lo} for the 256 cells of [0.75, 1.5).\n");
    for (int i = 0; i < 256; ++i) {
        const double centre = i < 128 ? 0.75 + (i + 0.5) / 512.0 : 1.0 + (i - 128 + 0.5) / 256.0;
        double cd = 1.0;
        if (i != 127 && i != 128) {
            mpfr_set_d(c, 1.0 / centre, MPFR_RNDN);
            cd = TakeDouble(c, 10);
        }
        mpfr_set_d(v, cd, MPFR_RNDN);
        mpfr_log(v, v, MPFR_RNDN);
        mpfr_neg(v, v, MPFR_RNDN);
        // hi a multiple of 2^-42, so that k ln2 (42 bits) plus hi is exact.
        mpfr_mul_2ui(v, v, 42, MPFR_RNDN);
        mpfr_t whole;
        mpfr_init2(whole, kBits);
        mpfr_rint(whole, v, MPFR_RNDN);
        mpfr_sub(v, v, whole, MPFR_RNDN);
        mpfr_div_2ui(v, v, 42, MPFR_RNDN);
        const double hi = std::ldexp(mpfr_get_d(whole, MPFR_RNDN), -42);
        mpfr_clear(whole);
        std::printf("    {%a, %a, %a},\n", cd, hi, mpfr_get_d(v, MPFR_RNDN));
    }

    mpfr_const_log2(v, MPFR_RNDN);
    mpfr_div_ui(v, v, 1024, MPFR_RNDN);
    std::printf("ln2/1024: %a (32 bits), ", TakeDouble(v, 32));
    std::printf("%a\n", TakeDouble(v));
    mpfr_const_log2(v, MPFR_RNDN);
    std::printf("ln2: %a (42 bits), ", TakeDouble(v, 42));
    std::printf("%a\n", TakeDouble(v));
    mpfr_const_log2(v, MPFR_RNDN);
    mpfr_ui_div(v, 1024, v, MPFR_RNDN);
    std::printf("1024/ln2: %a\n", TakeDouble(v));
    mpfr_set_ui(v, 10, MPFR_RNDN);
    mpfr_log(v, v, MPFR_RNDN);
    mpfr_ui_div(v, 1, v, MPFR_RNDN);
    std::printf("1/ln10: %a, ", TakeDouble(v));
    std::printf("%a\n", TakeDouble(v));

    mpfr_const_log2(v, MPFR_RNDN);
    PrintWide("kLn2High", v, 116);
    PrintWide("kLn2Low", v);
    mpfr_set_ui(v, 10, MPFR_RNDN);
    mpfr_log(v, v, MPFR_RNDN);
    mpfr_ui_div(v, 1, v, MPFR_RNDN);
    PrintWide("kInvLn10", v);
    mpfr_clears(v, c, static_cast<mpfr_ptr>(nullptr));
}
