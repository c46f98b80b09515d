// The library's results on a fixed seeded sweep, locked to the bit: every row
// of the argument table and 39 seeded variants of it (numbers scaled over four
// decades, a sign flipped, zero or a boundary; dates shifted by days and
// seconds, or made equal), random formulas, and stored UTF-16 text around the
// surrogates.  Each outcome (status and results as text; the function and
// message of each record written, without the line number so that edits
// elsewhere in a file do not move it) is folded into the digest of its sweep.
// Hosts compare results digit by digit: a digest that changes is a changed
// result, recorded again only after review (a digest names no function: to
// find the one that changed, print the sweep's outcomes before and after).
// The Windows build (MinGW, run under Wine by scripts/windows-test.sh) must
// give the same digests: the library computes its own elementary functions,
// and its records are formatted by MinGW's own printf, linked into the
// program and the DLL, so neither depends on the host's C runtime.  Two-byte
// wide text keeps the halves of a surrogate pair, so there the UTF-16 sweep
// is skipped and its digest stays empty.
#include "tests/support/digest.h"
#include "tests/support/library_rows.h"
#include "tests/support/log_capture.h"
#include "frame/settings.h"

#include <gtest/gtest.h>

#include <random>

using namespace qrvp::test;

static std::mt19937_64 rng(20261209);
static int Below(int n) { return static_cast<int>(rng() % static_cast<uint64_t>(n)); }

// A variant of one argument token (two in three are changed), with exact
// scaling of the generator's bits so that every build draws the same numbers.
static std::string Variant(const std::string& t, const std::string& date)
{
    static const double kEdges[] = {0.0, 5e-12, 1e-11, 2e-11, 1.0, 0.5, 0.1, 0x1p-1074}, kTens[] = {0.01, 0.1, 1.0, 10.0, 100.0};
    if (t == "_" || t == "null" || Below(3) == 0) return t;
    if (Date d; ParseDateToken(t, &d)) {
        if (d.year < 1800 || d.year > 2900 || d.month < 1 || d.month > 12 || d.day > 28) return t;
        if (Below(6) == 0) return date;  // the same as the first date of the row
        d.AddDays(Below(4001) - 2000);
        d.AddSeconds(Below(3) == 0 ? Below(86400) : 0);
        return DateText(d);
    }
    const int r = Below(12), edge = Below(16);  // one draw per declarator: a fixed order on every compiler
    const double v = std::strtod(t.c_str(), nullptr), scale = 0.5 + 1.5 * (static_cast<double>(rng() >> 11) * 0x1p-53);
    const double factor = scale * kTens[Below(5)];
    return NumberText(r == 0 ? -v : r == 1 ? kEdges[edge / 2] * (edge % 2 ? 1 : -1) : v * factor);
}

TEST(LibraryReference, SeededSweepKeepsEveryBit)
{
    Digest calls, formulas, text;
    LogCapture log;
    for (const Row& row : kArgumentRows) {
        const std::vector<std::string> t = Tokens(row.call), args(t.begin() + 1, t.end());
        std::string firstDate;
        for (const std::string& a : args)
            if (Date d; firstDate.empty() && ParseDateToken(a, &d)) firstDate = a;
        for (int k = 0; k < 40; ++k) {
            std::vector<std::string> v = args;
            for (std::string& a : v) a = k == 0 ? a : Variant(a, firstDate);
            const Outcome o = Callables().at(t[0]).call(v, -1);
            calls.Add(std::to_string(o.status));
            for (const std::string& r : o.results) calls.Add(r);
        }
        _LogClose();  // (each row's records written before the next row's calls queue theirs)
    }
    for (const std::string& line : log.Lines()) {
        const RecordTail r = ParseRecordTail(line);
        calls.Add(r.function + "," + r.message);
    }
    // Formulas from every digit, operator, brace, blank and sign (each sweep its own seed: a row added
    // changes the calls' digest alone).
    rng.seed(2);
    const std::string alphabet = "0123456789012345678901234567890123456789.eE*/*/()(){}xX +-a\t";
    for (int k = 0; k < 3000; ++k) {
        std::string f;
        for (int n = Below(24); n > 0; --n) f += alphabet[static_cast<size_t>(Below(static_cast<int>(alphabet.size())))];
        formulas.Add(NumberText(EvaluateV2Formula(f.c_str())));
    }
    // Stored UTF-16 text around the surrogate ranges' ends.
    rng.seed(3);
    for (int k = 0; k < (sizeof(wchar_t) >= 4 ? 2000 : 0); ++k) {
        static const int kUnits[] = {0x41, 0xD7FF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFF};
        std::vector<unsigned char> bytes;
        for (int n = Below(7); n > 0; --n) {
            const int pick = Below(32), u = kUnits[pick % 8] - (pick / 8 == 0);
            bytes.insert(bytes.end(), {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8)});
        }
        for (const wchar_t c : qrvp::WideFromUtf16Le(bytes.data(), bytes.size() - (Below(4) == 0 && !bytes.empty())))
            text.Add(std::to_string(static_cast<uint32_t>(c)));
    }
    // Recorded from the sweep; a mismatch prints the new value to record.
    EXPECT_EQ(calls.value, 0xe7120b73c92ae3a3u) << "calls: 0x" << std::hex << calls.value;
    EXPECT_EQ(formulas.value, 0x213feab53b846a9au) << "formulas: 0x" << std::hex << formulas.value;
    EXPECT_EQ(text.value, sizeof(wchar_t) >= 4 ? 0x6f121fcd0f050c6du : Digest().value) << "UTF-16 text: 0x" << std::hex << text.value;
}
