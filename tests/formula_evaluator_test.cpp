// The formula evaluator: the rewriting pass, sample formulas with their
// values, malformed formulas (NaN), and hostile text of a megabyte.
#include "QRVPFuncs.h"
#include "formula/formula_evaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using qrvp::formula::FormulaEvaluator;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FormulaPrepare, RewritesTheText)
{
    const struct {
        const char* text;
        const wchar_t* prepared;
    } cases[] = {
        {"{Oil} x 5.615", L"1*5.615"},
        {".5*{a}", L"0.5*1"},
        {"2*.5", L"2*0.5"},
        {"1.5", L"1.5"},
        {"..", L"0.0."},
        {"{a}.5", L"1.5"},  // the group's "1" is the digit in front of the "."
        {"2 .5", L"2.5"},   // the blank goes first
        {"{a{b}c}", L"{a1"},
        {"{a}{b}", L"11"},
        {"{{a}}x2", L"{1*2"},
        {"{abc", L"{abc"},
        {"{a x.b", L"{ax0.b"},  // an open group keeps its "x"; blanks and "." still change
        {"X2x3", L"*2*3"},
        {"}2", L"2"},
        {"2}}x3", L"2*3"},
        {"a}x", L"a*"},  // after a dropped "}" the next character is rewritten as usual
        {"}.5", L"0.5"},
        {"\t2\n", L"\t2\n"},
        {"", L""},
        {"   ", L""},
        {"{\xD6l} x 2", L"1*2"},
        {"2\xE9" "3", L"2\u00E93"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormulaEvaluator().Prepare(c.text), c.prepared) << c.text;
}

TEST(FormulaEvaluate, SampleFormulas)
{
    const struct {
        const char* formula;
        double value;
    } cases[] = {
        {"{Oil}x5.615/1000", 5.615 / 1000},
        {"{Oil} x 5.615", 5.615},
        {".5*{a}", 0.5},
        {"2*3/4", 1.5},
        {"1e-3*1000", 1.0},
        {"1e+3", 1000.0},
        {"(2*3)", 6.0},
        {"2*3)", 6.0},
        {")))2", 2.0},
        {"((((2))))", 2.0},
        {"2/4*8", 4.0},
        {"8/4/2", 1.0},
        {"2*(3*4)", 24.0},
        {"2 3", 23.0},
        {"2(3)", 3.0},
        {"2\t3", 3.0},
        {"2a3", 0.0},
        {"2(3", 0.0},  // the open "(" applies to 2 and 3 and gives 0
        {"2\n*\t3", 6.0},
        {"2*3\r4", 0.0},
        {"5/0", kInf},
        {"1e999", kInf},
        {"{Gas}X2x{Water}", 2.0},
        {"{a+b}*2", 2.0},
        {"0x10", 0.0},
        {"12.5 / 2.5", 5.0},
    };
    for (const auto& c : cases) EXPECT_EQ(EvaluateV2Formula(c.formula), c.value) << c.formula;
}

TEST(FormulaEvaluate, RefusedAndMalformedFormulas)
{
    // A plus or minus sign gives -1, also where the formula is malformed
    // before the sign is reached.
    for (const char* formula : {"2*(3+1)", "-2", "{a}+1", "{a+b", "2e-", "1*2*3-", "+", "**1e-3*-", "a(b)+"}) {
        EXPECT_EQ(EvaluateV2Formula(formula), -1.0) << formula;
    }
    // An operator that finds fewer than two numbers, or no number at the end: NaN.
    for (const char* formula : {"", "   ", "*3", "a", "(2*3", "2*(3", "{a{b}c}", "2e", "/", "()", "NULL", "0/0",
                                "2\xC3\xA9" "3", "\xFF", "1e999/1e999"}) {
        EXPECT_TRUE(std::isnan(EvaluateV2Formula(formula))) << formula;
    }
    EXPECT_TRUE(std::isnan(EvaluateV2Formula(nullptr)));
}

TEST(FormulaEvaluate, AMegabyteOfAnythingRunsInLinearTime)
{
    constexpr std::size_t kMega = 1 << 20;
    const std::string half(kMega / 2, '(');
    const struct {
        std::string formula;
        double value;  // NaN: malformed
    } cases[] = {
        {std::string(kMega, '('), NAN},
        {std::string(kMega, ')') + "2", 2.0},
        {half + "2" + std::string(kMega / 2, ')'), 2.0},
        {std::string(kMega, '{'), NAN},
        {std::string(kMega / 2, '{') + std::string(kMega / 2, '}'), NAN},  // leaves "{{...{1"
        {"2*" + std::string(kMega / 2, '{') + "a" + std::string(kMega / 2, '}'), NAN},
        {"3*{" + std::string(kMega, 'a') + "}", 3.0},
        {std::string(kMega, '}') + "4", 4.0},
        {std::string(kMega, ' ') + "7", 7.0},
        {std::string(kMega + 1, '.'), 0.0},  // "0.0" "." "0.0" ... "0."
        {std::string(kMega, '.'), NAN},      // ... "0.0" "." with nothing after
        {std::string(kMega, '1'), kInf},
        {"2" + std::string(kMega, 'x'), NAN},
        {std::string(kMega, '\xE9'), NAN},
        {std::string(kMega, '\t') + "9", 9.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formula.substr(0, 8));
        const double value = EvaluateV2Formula(c.formula.c_str());
        if (std::isnan(c.value)) {
            EXPECT_TRUE(std::isnan(value)) << value;
        } else {
            EXPECT_EQ(value, c.value);
        }
    }
    // Deep nesting that computes: 2*(1*(1*(...(1))...)).
    std::string nested = "2";
    for (int i = 0; i < 300000; ++i) nested += "*(1";
    nested += std::string(300000, ')');
    EXPECT_EQ(EvaluateV2Formula(nested.c_str()), 2.0);
}

}  // namespace
