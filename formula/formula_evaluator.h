// The evaluator of multiplicative text formulas behind EvaluateV2Formula.
#ifndef QRVP_FORMULA_FORMULA_EVALUATOR_H
#define QRVP_FORMULA_FORMULA_EVALUATOR_H

#include <string>
#include <string_view>

namespace qrvp::formula {

// Made afresh for each formula; owns the working text for one evaluation.
class FormulaEvaluator {
public:
    // Converts the 8-bit text (thread's code page) to wide text and rewrites
    // it: blanks removed, each braced group collapsed to "1", a bare "." given
    // a leading "0", "x" and "X" outside an open group turned into "*", and a
    // "}" with no open group removed.  Returns the rewritten working text.
    // Runs in time linear in the text's length.
    const std::wstring& Prepare(std::string_view text);

    // Prepares the text, converts it back to 8-bit text and evaluates it with
    // an operator stack and a number stack: products and quotients of
    // non-negative numbers in parentheses; any other character acts as an
    // operator of the lowest precedence that gives 0.0.  Returns -1.0 when a
    // "+" or "-" appears outside a number's exponent; otherwise NaN when an
    // operator finds fewer than two numbers or no number is left at the end.
    // Linear time, no recursion.
    double Evaluate(std::string_view text);

private:
    std::wstring working_;
};

}  // namespace qrvp::formula

#endif
