// The library's exp, log, log10 and pow against MPFR's correctly rounded
// values (subnormals included): seeded random arguments over each domain, the
// published hard-to-round cases, the special values, and the 128-bit paths'
// error bound.  QRVP_ELEMENTARY_COUNT sets the random arguments per row
// (default 100,000; ten million for a long run).  With QRVP_ELEMENTARY_REFERENCE
// set, the Linux run writes every checked case to that file; the Windows
// build, which has no MPFR, checks its results against that file bit for bit.
#include "frame/elementary.h"

#include <gtest/gtest.h>

#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

#ifdef QRVP_HAVE_MPFR
#include <mpfr.h>
#endif

namespace {

using namespace qrvp;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Function {
    const char* name;
    double (*ours)(double, double);
};

// The four functions and their accurate paths alone, by name (as in the reference file).
const std::vector<Function>& Functions() {
    static const std::vector<Function> all = {
        {"exp", [](double x, double) { return Exp(x); }},
        {"log", [](double x, double) { return Log(x); }},
        {"log10", [](double x, double) { return Log10(x); }},
        {"pow", [](double x, double y) { return Pow(x, y); }},
        {"exp*", [](double x, double) { return elementary::ExpAccurate(x); }},
        {"log*", [](double x, double) { return elementary::LogAccurate(x); }},
        {"log10*", [](double x, double) { return elementary::Log10Accurate(x); }},
        {"pow*", [](double x, double y) { return elementary::PowAccurate(x, y); }},
    };
    return all;
}

const Function& Named(const std::string& name) {
    for (const Function& f : Functions())
        if (name == f.name) return f;
    throw std::invalid_argument(name);
}

bool Same(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b) || (a != a && b != b); }

#ifdef QRVP_HAVE_MPFR
// MPFR's value rounded to a double as IEEE arithmetic would (subnormals included).
double Oracle(const std::string& name, double x, double y) {
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_t a, b, r;
    mpfr_inits2(53, a, b, r, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_d(a, x, MPFR_RNDN);
    mpfr_set_d(b, y, MPFR_RNDN);
    const std::string base = name.substr(0, name.find('*'));
    int t = base == "exp" ? mpfr_exp(r, a, MPFR_RNDN)
            : base == "log" ? mpfr_log(r, a, MPFR_RNDN)
            : base == "log10" ? mpfr_log10(r, a, MPFR_RNDN)
                              : mpfr_pow(r, a, b, MPFR_RNDN);
    t = mpfr_subnormalize(r, t, MPFR_RNDN);
    const double d = mpfr_get_d(r, MPFR_RNDN);
    mpfr_clears(a, b, r, static_cast<mpfr_ptr>(nullptr));
    return d;
}

// |w - exact| / |exact| for the 128-bit paths, with `exact` from MPFR at 300 bits.
double RelativeError(const elementary::Wide& w, const std::string& name, double x, double y) {
    mpfr_set_emin(mpfr_get_emin_min());
    mpfr_set_emax(mpfr_get_emax_max());
    mpfr_t a, v, e;
    mpfr_inits2(300, a, v, e, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_ui(v, static_cast<unsigned long>(w.m >> 64), MPFR_RNDN);
    mpfr_mul_2ui(v, v, 64, MPFR_RNDN);
    mpfr_add_ui(v, v, static_cast<unsigned long>(static_cast<uint64_t>(w.m)), MPFR_RNDN);
    mpfr_mul_2si(v, v, w.e, MPFR_RNDN);
    if (w.neg) mpfr_neg(v, v, MPFR_RNDN);
    mpfr_set_d(a, x, MPFR_RNDN);
    if (name == "exp") mpfr_exp(e, a, MPFR_RNDN);
    if (name == "log") mpfr_log(e, a, MPFR_RNDN);
    if (name == "pow") {
        mpfr_log(e, a, MPFR_RNDN);
        mpfr_mul_d(e, e, y, MPFR_RNDN);
        mpfr_exp(e, e, MPFR_RNDN);
    }
    mpfr_sub(v, v, e, MPFR_RNDN);
    mpfr_div(v, v, e, MPFR_RNDN);
    const double err = std::fabs(mpfr_get_d(v, MPFR_RNDN));
    mpfr_clears(a, v, e, static_cast<mpfr_ptr>(nullptr));
    return err;
}
#endif

// Checks f(x, y) against the oracle (and writes the case to the reference
// file); counts and shows the first differences.
class Checker {
public:
    Checker() {
        if (const char* path = std::getenv("QRVP_ELEMENTARY_REFERENCE")) reference_.open(path, std::ios::app);
    }
    void Check(const char* name, double x, double y = 0.0) {
        const double ours = Named(name).ours(x, y);
#ifdef QRVP_HAVE_MPFR
        const double exact = Oracle(name, x, y);
        if (reference_) reference_ << name << ' ' << Hex(x) << ' ' << Hex(y) << ' ' << Hex(exact) << '\n';
#else
        const double exact = kNaN;
        ADD_FAILURE() << "no MPFR here: the cases come from the reference file";
#endif
        if (!Same(ours, exact) && ++differences_ <= 5)
            ADD_FAILURE() << name << "(" << std::hexfloat << x << ", " << y << ") = " << ours << ", nearest " << exact;
    }
    static std::string Hex(double v) {
        char text[20];
        std::snprintf(text, sizeof text, "%016" PRIx64, std::bit_cast<uint64_t>(v));
        return text;
    }
    int differences() const { return differences_; }

private:
    std::ofstream reference_;
    int differences_ = 0;
};

// Seeded arguments, the same on every platform (mt19937_64 and exact scaling only).
class Arguments {
public:
    explicit Arguments(uint64_t seed) : rng_(seed) {}
    double Unit() { return static_cast<double>(rng_() >> 11) * 0x1p-53; }
    double Uniform(double a, double b) { return a + (b - a) * Unit(); }
    // 2^e times [1, 2), e uniform in [lo, hi], either sign when `signed_`.
    double LogUniform(int lo, int hi, bool signed_ = false) {
        const double m = 1.0 + Unit();
        const double v = std::ldexp(m, lo + static_cast<int>(rng_() % static_cast<uint64_t>(hi - lo + 1)));
        return signed_ && (rng_() & 1) != 0 ? -v : v;
    }
    double AnyPositive() {  // every finite positive double, subnormals included, equally likely by bits
        return std::bit_cast<double>(rng_() % 0x7ff0000000000000u + 1);
    }
    int Integer(int lo, int hi) { return lo + static_cast<int>(rng_() % static_cast<uint64_t>(hi - lo + 1)); }

private:
    std::mt19937_64 rng_;
};

#ifdef QRVP_HAVE_MPFR
long Count() {
    const char* text = std::getenv("QRVP_ELEMENTARY_COUNT");
    return text != nullptr ? std::atol(text) : 100000;
}

TEST(Elementary, RandomArgumentsRoundToTheNearestDouble) {
    struct Row {
        const char* name;
        long per_count;  // arguments per QRVP_ELEMENTARY_COUNT / 100,000 (the accurate paths are slower)
        void (*draw)(Arguments&, double&, double&);
    };
    const Row rows[] = {
        {"exp", 100000, [](Arguments& a, double& x, double&) { x = a.Uniform(-746.0, 710.0); }},
        {"exp", 50000, [](Arguments& a, double& x, double&) { x = a.LogUniform(-60, 0, true); }},
        {"log", 100000, [](Arguments& a, double& x, double&) { x = a.AnyPositive(); }},
        {"log", 50000, [](Arguments& a, double& x, double&) { x = 1.0 + a.LogUniform(-52, -1, true); }},
        {"log10", 100000, [](Arguments& a, double& x, double&) { x = a.AnyPositive(); }},
        {"pow", 100000, [](Arguments& a, double& x, double& y) {  // over the whole range of x^y
             x = a.LogUniform(-40, 40);
             y = a.Uniform(-700.0, 700.0) / std::fabs(std::log(x));
         }},
        {"pow", 100000, [](Arguments& a, double& x, double& y) {  // the library's bases and exponents
             x = a.LogUniform(-10, 10);
             y = a.Uniform(-5.0, 5.0);
         }},
        {"pow", 50000, [](Arguments& a, double& x, double& y) {  // integer powers: exact and halfway results
             x = a.Integer(-3000, 3000) * (a.Integer(0, 1) == 0 ? 1.0 : 0x1p-10);
             y = a.Integer(-8, 8);
         }},
        {"exp*", 5000, [](Arguments& a, double& x, double&) { x = a.Uniform(-746.0, 710.0); }},
        {"log*", 5000, [](Arguments& a, double& x, double&) { x = a.AnyPositive(); }},
        {"log*", 5000, [](Arguments& a, double& x, double&) { x = 1.0 + a.LogUniform(-52, -1, true); }},
        {"log10*", 5000, [](Arguments& a, double& x, double&) { x = a.AnyPositive(); }},
        {"pow*", 5000, [](Arguments& a, double& x, double& y) {
             x = a.LogUniform(-40, 40);
             y = a.Uniform(-700.0, 700.0) / std::fabs(std::log(x));
         }},
    };
    Arguments args(20261209);
    for (const Row& row : rows) {
        Checker checker;
        const long n = row.per_count * Count() / 100000;
        for (long i = 0; i < n; ++i) {
            double x = 0, y = 0;
            row.draw(args, x, y);
            checker.Check(row.name, x, y);
        }
        EXPECT_EQ(checker.differences(), 0) << row.name << " on " << n << " arguments";
    }
}

TEST(Elementary, HardCasesRoundToTheNearestDouble) {
    // Arguments whose value lies closest to a rounding boundary: for exp and
    // log from Lefèvre and Muller's searches (up to 64 identical bits after
    // the rounding bit), as the CORE-MATH project lists them.
    const double exp_cases[] = {
        0x1.0122ef37212ebp-1, 0x1.00d48a707b93ep-1, 0x1.0303c5638675fp-1, 0x1.0727af5fee8f6p-1, 0x1.1058a8cd8e069p-1,
        0x1.2b2f6c2d827ep-1,  0x1.4095d4fb5304p-1,  0x1.5da74f9de668p-1,  0x1.8bc1a374cd53fp-1, 0x1.aac3a6a9336fbp-1,
        0x1.d4fa82ced839p-1,  0x1.fedc746ddf8fap-1, 0x1.008eb56314daap+0, 0x1.2f670c4302212p+0, 0x1.5d381153c7735p+0,
        0x1.718eb2bca77dp+0,  -0x1.4e0416ecbbf74p+6, -0x1.4ea04cbfc458ap+8, -0x1.4f00000000037p-46,
        -0x1.51993a0221e9ap+9, -0x1.62c9fc0dcbdb5p+9, -0x1.5b3e4e2e3bba9p+9, -0x1.80000018p-26, -0x1.9f62c3955eb04p+8,
        -0x1.e95ce5c126f22p+8, -0x1.f1403e6266858p+8, -0x1.6000000000002p-51, -0x1.9cdcb06631066p-13,
        0x1.c8aa1a5fb4bd6p-31, 0x1.62e42fefa39efp+9, -0x1.74385446d71c3p+9, -0x1.6232bdd7abcd2p+9,
    };
    const double log_cases[] = {
        0x1.a6ae5142326b5p+0, 0x1.c877cba59d0acp+0, 0x1.1e852e6951306p+1, 0x1.dafdb40362537p+0, 0x1.f9350fee893ddp+0,
        0x1.3fa2991e8c0c2p+1, 0x1.4cef3a1f53037p+1, 0x1.967e2d739876bp+1, 0x1.0134fc5b33993p+2, 0x1.2d81d340893a2p+2,
        0x1.94a11eb4a79dfp+2, 0x1.39e3e05fe5f35p+3, 0x1.0af4fba7063b8p+4, 0x1.84a5538257275p+4, 0x1.49d218d102f06p+5,
        0x1.15956b273c365p+8, 0x1.9241eb1a449bdp+9, 0x1.a455a70c31d8p+13, 0x1.561031d4db97cp+16, 0x1.7d822b508bb3bp+20,
        0x1.8992bd496d364p+25, 0x1.f9bd207cafe2fp+38, 0x1.a6004162f2b8cp+45, 0x1.000000006d917p+0,
        0x1.00000000726e9p+0, 0x1.ffffffffff7ffp-1, 0x1.fffffffffef4bp-1, 0x1.fffffffffe0b5p-1, 0x1.fffffffffc4d9p-1,
        0x1.00000000013fep+0, 0x1.0000000004003p+0, 0x1.0000000007f4bp+0, 0x1.ffffffffffb6ap-1, 0x1.ffffffffff82dp-1,
    };
    struct PowCase {
        double x, y;
    };
    // pow's four listed cases (102 to 153 identical bits) and halfway results of squares and cubes.
    const PowCase pow_cases[] = {
        {0x1.ffffffffffffcp-1, 0x1.fffffffffffffp-2}, {0x1.ffffffffffffcp-1, -0x1.ffffffffffffdp-2},
        {0x1.ffffffffffffp-1, -0x1.ffffffffffff6p-3}, {0x1.ffffffffffff8p-1, -0x1.ffffffffffffbp-3},
        {134217727.0, 2.0}, {134217729.0, 2.0}, {0x1.fffffffp0, 2.0}, {262143.0, 3.0}, {0x1.ffffffffffffep-1, 2.0},
    };
    Checker checker;
    for (const char* name : {"exp", "exp*"})
        for (double x : exp_cases) checker.Check(name, x);
    for (const char* name : {"log", "log*", "log10", "log10*"})
        for (double x : log_cases) checker.Check(name, x);
    for (const char* name : {"pow", "pow*"})
        for (const PowCase& c : pow_cases) checker.Check(name, c.x, c.y);
    EXPECT_EQ(checker.differences(), 0);
}

TEST(Elementary, WidePathsStayWithinTheirErrorBound) {
    Arguments args(7);
    const long n = 2000 * Count() / 100000;
    double worst_exp = 0, worst_log = 0, worst_pow = 0;
    for (long i = 0; i < n; ++i) {
        const double x = args.Uniform(-746.0, 710.0), p = args.AnyPositive(), q = args.LogUniform(-20, 20);
        const double y = args.Uniform(-700.0, 700.0) / std::fabs(std::log(q));
        worst_exp = std::max(worst_exp, RelativeError(elementary::ExpWide(elementary::ToWide(x)), "exp", x, 0));
        worst_log = std::max(worst_log, RelativeError(elementary::LogWide(p), "log", p, 0));
        const elementary::Wide t = elementary::Multiply(elementary::ToWide(y), elementary::LogWide(q));
        worst_pow = std::max(worst_pow, RelativeError(elementary::ExpWide(t), "pow", q, y) / (1 + std::fabs(y * std::log(q))));
    }
    EXPECT_LT(worst_exp, 0x1p-123);
    EXPECT_LT(worst_log, 0x1p-121);
    EXPECT_LT(worst_pow, 0x1p-121);
}
#else
TEST(Elementary, ResultsMatchTheReferenceFile) {
    const char* set = std::getenv("QRVP_ELEMENTARY_REFERENCE");
    const std::string path = set != nullptr ? set : QRVP_SOURCE_DIR "/build/windows/elementary_reference.txt";
    std::ifstream in(path);
    ASSERT_TRUE(in) << path << ": scripts/windows-test.sh writes it from the Linux run";
    std::string name, x, y, expected;
    long cases = 0, differences = 0;
    while (in >> name >> x >> y >> expected) {
        const auto bits = [](const std::string& s) { return std::bit_cast<double>(std::stoull(s, nullptr, 16)); };
        const double ours = Named(name).ours(bits(x), bits(y));
        ++cases;
        if (!Same(ours, bits(expected)) && ++differences <= 5)
            ADD_FAILURE() << name << " " << x << " " << y << ": " << Checker::Hex(ours) << ", nearest " << expected;
    }
    EXPECT_GT(cases, 100000);
    EXPECT_EQ(differences, 0) << "of " << cases;
}
#endif

// The first evaluations decide nearly every argument (a fault that sent them
// all down the 128-bit path would give the right results, slowly).
TEST(Elementary, FirstEvaluationsDecideNearlyEveryArgument) {
    Arguments args(5);
    long open[4] = {0, 0, 0, 0};
    for (int i = 0; i < 100000; ++i) {
        double r = 0.0;
        open[0] += !elementary::ExpRounded(args.Uniform(-707.0, 709.0), 0.0, 0.0, r);
        const double x = args.AnyPositive(), y = args.Uniform(-5.0, 5.0);
        open[1] += std::isnan(elementary::LogRounded(x));
        open[2] += std::isnan(elementary::Log10Rounded(x));
        open[3] += std::isnan(elementary::PowRounded(args.LogUniform(-10, 10), y));
    }
    EXPECT_LT(open[0], 10);
    EXPECT_LT(open[1], 100);
    EXPECT_LT(open[2], 100);
    EXPECT_LT(open[3], 500);
    std::printf("undecided of 100,000: exp %ld, log %ld, log10 %ld, pow %ld\n", open[0], open[1], open[2], open[3]);
}

// The 128-bit sums where the random arguments seldom go: a carry out of the
// top bit, and a cancellation down to the last bit.
TEST(Elementary, WideSumsCarryAndCancelExactly) {
    using elementary::Add, elementary::Round, elementary::ToWide;
    EXPECT_EQ(Round(Add(ToWide(1.5), ToWide(1.75)), 0), 3.25);
    EXPECT_EQ(Round(Add(ToWide(-0x1.fffffffffffffp+1000), ToWide(-0x1.fffffffffffffp+1000)), 0), -0x1.fffffffffffffp+1001);
    EXPECT_EQ(Round(Add(ToWide(1.0), ToWide(-0x1.fffffffffffffp-1)), 0), 0x1p-53);
}

// The special values, as the header gives them (the same on every platform).
TEST(Elementary, SpecialValues) {
    const double tiny = std::numeric_limits<double>::denorm_min(), huge = std::numeric_limits<double>::max();
    struct Case {
        const char* name;
        double x, y, expected;
    };
    const Case cases[] = {
        {"exp", 0.0, 0, 1.0}, {"exp", -0.0, 0, 1.0}, {"exp", kInf, 0, kInf}, {"exp", -kInf, 0, 0.0},
        {"exp", kNaN, 0, kNaN}, {"exp", 0x1.62e42fefa39efp+9, 0, 0x1.fffffffffff2ap+1023}, {"exp", 0x1.62e42fefa39fp+9, 0, kInf},
        {"exp", 709.8, 0, kInf}, {"exp", 710.0, 0, kInf}, {"exp", -0x1.74385446d71c3p+9, 0, 0x1p-1074},
        {"exp", -0x1.74910d52d3051p+9, 0, 0x1p-1074}, {"exp", -0x1.74910d52d3052p+9, 0, 0.0},
        {"exp", -0x1.6232bdd7abcd2p+9, 0, 0x1.000000000007cp-1022}, {"exp", -746.0, 0, 0.0}, {"exp", -1e300, 0, 0.0},
        {"exp*", 0x1.62e42fefa39efp+9, 0, 0x1.fffffffffff2ap+1023}, {"exp*", 709.79, 0, kInf},
        {"exp*", -0x1.74910d52d3051p+9, 0, 0x1p-1074}, {"exp*", -0x1.74910d52d3052p+9, 0, 0.0}, {"exp*", -746.0, 0, 0.0},
        {"exp", 0x1p-1074, 0, 1.0}, {"exp", -0x1p-54, 0, 1.0}, {"exp", 0x1p-53, 0, 0x1.0000000000001p+0}, {"exp", -0x1p-53, 0, 0x1.fffffffffffffp-1},
        {"log", 1.0, 0, 0.0}, {"log", 0.0, 0, -kInf}, {"log", -0.0, 0, -kInf}, {"log", -1.0, 0, kNaN}, {"log", -kInf, 0, kNaN},
        {"log", kInf, 0, kInf}, {"log", kNaN, 0, kNaN}, {"log", tiny, 0, -0x1.74385446d71c3p+9},
        {"log", huge, 0, 0x1.62e42fefa39efp+9}, {"log", 0x1p-1022, 0, -0x1.6232bdd7abcd2p+9},
        {"log10", 1.0, 0, 0.0}, {"log10", 1e22, 0, 22.0}, {"log10", 1e-5, 0, -5.0}, {"log10", 0.0, 0, -kInf},
        {"log10", -2.0, 0, kNaN}, {"log10", tiny, 0, -0x1.434e6420f4374p+8},
        {"pow", kNaN, 0.0, 1.0}, {"pow", 1.0, kNaN, 1.0}, {"pow", -1.0, kInf, 1.0}, {"pow", 2.0, kNaN, kNaN},
        {"pow", kNaN, 1.0, kNaN}, {"pow", 0.0, -3.0, kInf}, {"pow", -0.0, -3.0, -kInf}, {"pow", -0.0, -2.0, kInf},
        {"pow", -0.0, -0.5, kInf}, {"pow", -0.0, 3.0, -0.0}, {"pow", -0.0, 2.0, 0.0}, {"pow", 0.0, -kInf, kInf},
        {"pow", 0.0, kInf, 0.0}, {"pow", 0.5, -kInf, kInf}, {"pow", 2.0, -kInf, 0.0}, {"pow", -0.5, kInf, 0.0},
        {"pow", -2.0, kInf, kInf}, {"pow", -kInf, -3.0, -0.0}, {"pow", -kInf, -2.0, 0.0}, {"pow", -kInf, 3.0, -kInf},
        {"pow", -kInf, 2.5, kInf}, {"pow", kInf, -1.0, 0.0}, {"pow", kInf, 0.5, kInf}, {"pow", -2.0, 0.5, kNaN},
        {"pow", -2.0, 3.0, -8.0}, {"pow", -2.0, -2.0, 0.25}, {"pow", -1.0, 0x1p60, 1.0}, {"pow", -1.5, 0x1p53 + 2, kInf},
        {"pow", 2.0, 1024.0, kInf}, {"pow", 2.0, -1074.0, tiny}, {"pow", 2.0, -1075.0, 0.0}, {"pow", 0.5, 0x1p70, 0.0},
        {"pow", 1.0000001, 0x1p70, kInf}, {"pow", 10.0, 308.0, 1e308}, {"pow", 4.0, 0.5, 2.0}, {"pow", tiny, 0.5, 0x1p-537},
        {"pow", 3.0, 40.0, 12157665459056928801.0},
    };
    int differences = 0;
    for (const Case& c : cases) {
        const double got = Named(c.name).ours(c.x, c.y);
#ifdef QRVP_HAVE_MPFR
        EXPECT_TRUE(Same(Oracle(c.name, c.x, c.y), c.expected)) << c.name << " " << std::hexfloat << c.x << " " << c.y;
#endif
        if (!Same(got, c.expected) && ++differences <= 10)
            ADD_FAILURE() << c.name << "(" << std::hexfloat << c.x << ", " << c.y << ") = " << got << ", not " << c.expected;
    }
    EXPECT_EQ(differences, 0);
}

}  // namespace
