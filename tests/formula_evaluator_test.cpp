// The formula evaluator: random formulas against their value computed from
// the tree they were written from, sample formulas with their values (the
// rewriting pass seen through them), refused (-1) and malformed (NaN)
// formulas, and hostile text of a megabyte, which must run in linear time.
#include "QRVPFuncs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(FormulaEvaluate, ValuesRefusalsAndMalformedFormulas)
{
    // A group is 1, "x" is "*", a "." without a digit before it gets a 0 and a
    // stray "}" is dropped; unbalanced ")" are ignored; an operand that runs
    // into the next gives their digits together; "(" applies to what it
    // finds; NaN: malformed.
    const std::pair<const char*, double> cases[] = {
        {"{Oil}x5.615/1000", 5.615 / 1000}, {"2*3)", 6.0},   {")))2", 2.0},
        {"2 3", 23.0},   {"2(3)", 3.0},     {"2\t3", 3.0},    {"2a3", 0.0},       {"2(3", 0.0},
        {"2\n*\t3", 6.0}, {"2*3\r4", 0.0},  {"5/0", kInf},    {"1e999", kInf},    {"0x10", 0.0},
        {"", kNaN},      {"*3", kNaN},      {"a", kNaN},      {"(2*3", kNaN},     {"{a{b}c}", kNaN},
        {"2e", kNaN},    {"()", kNaN},      {"NULL", kNaN},   {"0/0", kNaN},      {"2\xC3\xA9" "3", kNaN},
        {"1e999/1e999", kNaN}, {"{a}.5", 1.5},   {"2 .5", 2.5},     {"}.5x2", 1.0},
        // A plus or minus sign gives -1, also where the formula is malformed
        // before the sign is reached.
        {"2*(3+1)", -1.0}, {"-2", -1.0},    {"{a+b", -1.0},   {"2e-", -1.0},      {"**1e-3*-", -1.0},
    };
    for (const auto& [formula, value] : cases) {
        const double got = EvaluateV2Formula(formula);
        EXPECT_TRUE(got == value || (std::isnan(got) && std::isnan(value))) << formula << " gives " << got;
    }
    EXPECT_TRUE(std::isnan(EvaluateV2Formula(nullptr)));
}

// Writes a random product or quotient of factors (numbers over all ten digits,
// with or without a decimal point or exponent, braced groups, parenthesised
// products), spelled with "*", "x" or "X" and blanks anywhere, and returns its
// value worked out from the factors, left to right.
double RandomProduct(std::mt19937& rng, int depth, std::string& text)
{
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const auto blanks = [&] { text += std::string(static_cast<size_t>(pick(3) == 0), ' '); };
    double value = 0;
    for (int k = 0, n = 1 + pick(4); k < n; ++k) {
        const char op = "*/xX*/"[pick(6)];
        text += k > 0 ? std::string(1, op) : "";
        blanks();
        double f = 1;
        const int kind = pick(depth > 2 ? 3 : 4);
        if (kind == 0) {
            text.append(1, '{').append("a+-9x.}", static_cast<size_t>(pick(6))).append(1, '}');
        } else if (kind == 3) {
            f = RandomProduct(rng, depth + 1, text += "(");
            text += ")";
        } else {
            std::string number = std::to_string(pick(10));
            for (int d = pick(4); d > 0; --d) number += static_cast<char>('0' + pick(10));
            if (pick(2) == 0) number = (pick(3) == 0 ? "" : number) + "." + std::to_string(rng() % 100000);
            if (pick(3) == 0) number += std::string(pick(2) ? "e" : "E") + "+-"[pick(2)] + std::to_string(pick(12));
            f = std::strtod((number[0] == '.' ? "0" + number : number).c_str(), nullptr);
            for (char c : number) (text += c), blanks();
        }
        blanks();
        value = k == 0 ? f : op == '/' ? value / f : value * f;
    }
    return value;
}

TEST(FormulaEvaluate, RandomFormulasGiveTheirValueAndASignGivesMinusOne)
{
    std::mt19937 rng(20261209);
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const double value = RandomProduct(rng, 0, text);
        const double got = EvaluateV2Formula(text.c_str());
        EXPECT_TRUE(got == value || (std::isnan(got) && std::isnan(value))) << text << " gives " << got;
        const size_t at = text.find_last_of("*/");
        text.insert(at == std::string::npos ? text.size() : at, 1, i % 2 ? '+' : '-');
        EXPECT_EQ(EvaluateV2Formula(text.c_str()), -1.0) << text;
    }
}

TEST(FormulaEvaluate, AMegabyteOfAnythingRunsInLinearTime)
{
    constexpr std::size_t kMega = 1 << 20;
    const std::pair<std::string, double> cases[] = {
        {std::string(kMega, '('), kNaN},
        {std::string(kMega / 2, '(') + "2" + std::string(kMega / 2, ')'), 2.0},
        {std::string(kMega / 2, '{') + std::string(kMega / 2, '}'), kNaN},  // leaves "{{...{1"
        {"3*{" + std::string(kMega, 'a') + "}", 3.0},
        {std::string(kMega + 1, '.'), 0.0},  // "0.0" "." "0.0" ... "0."
        {std::string(kMega, '.'), kNaN},     // ... "0.0" "." with nothing after
        {"2" + std::string(kMega, 'x'), kNaN},
    };
    for (const auto& [formula, value] : cases) {
        const double got = EvaluateV2Formula(formula.c_str());
        EXPECT_TRUE(got == value || (std::isnan(got) && std::isnan(value))) << formula.substr(0, 8) << " gives " << got;
    }
    // Deep nesting that computes: 2*(1*(1*(...(1))...)).
    std::string nested = "2";
    for (int i = 0; i < 300000; ++i) nested += "*(1";
    EXPECT_EQ(EvaluateV2Formula((nested + std::string(300000, ')')).c_str()), 2.0);
}

}  // namespace
