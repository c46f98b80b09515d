// Text formulas such as "{Oil}x5.615/1000": braced names count as 1, "x" is
// a multiplication sign, and only "*" and "/" compute.  A formula with "+" or
// "-" is refused with -1.0.
#include "formula/formula_evaluator.h"

#include "QRVPFuncs.h"

#include "formula/small_stack.h"
#include "platform/text_conversion.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <stdexcept>

namespace qrvp::formula {
namespace {

constexpr double kRefused = -1.0;
constexpr double kMalformed = std::numeric_limits<double>::quiet_NaN();

// Most formulas fit these without touching the heap.
constexpr std::size_t kInlineOperators = 64;
constexpr std::size_t kInlineNumbers = 64;

template <typename Char>
bool IsDigit(Char c)
{
    return c >= Char('0') && c <= Char('9');
}

// Skipped between tokens; a carriage return is not among them.
bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\n'; }

int Precedence(unsigned char op) { return op == '*' || op == '/' ? 2 : 0; }

// a / b with the IEEE result for a zero divisor (an infinity, or NaN for
// 0 / 0), computed without dividing by zero, which the sanitizer builds trap.
double Quotient(double a, double b)
{
    if (b != 0.0) return a / b;
    if (a == 0.0 || std::isnan(a)) return std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    return std::signbit(a) == std::signbit(b) ? inf : -inf;
}

double Combine(unsigned char op, double a, double b)
{
    if (op == '*') return a * b;
    if (op == '/') return Quotient(a, b);
    return 0.0;  // "(" and every character that is not an operator sign
}

class Stacks {
public:
    // Pops the top operator and the top two numbers b (right) and a (left)
    // and pushes a op b.  False, with nothing changed, when fewer than two
    // numbers are there: the formula is malformed.
    bool ApplyTop()
    {
        if (numbers_.size() < 2) return false;
        const double b = numbers_.pop();
        const double a = numbers_.pop();
        numbers_.push(Combine(operators_.pop(), a, b));
        return true;
    }

    // Applies pending operators while the top one binds at least as tightly
    // as `op`, then pushes `op`.
    bool PushOperator(unsigned char op)
    {
        while (!operators_.empty() && Precedence(operators_.top()) >= Precedence(op)) {
            if (!ApplyTop()) return false;
        }
        operators_.push(op);
        return true;
    }

    // A ")" applies everything back to its "(" and removes that "("; with no
    // "(" pending it applies everything and is otherwise ignored.
    bool CloseParenthesis()
    {
        while (!operators_.empty() && operators_.top() != '(') {
            if (!ApplyTop()) return false;
        }
        if (!operators_.empty()) operators_.pop();
        return true;
    }

    // Applies what is left, "(" included, and returns the top number.
    double Finish()
    {
        while (!operators_.empty()) {
            if (!ApplyTop()) return kMalformed;
        }
        return numbers_.empty() ? kMalformed : numbers_.top();
    }

    void PushOpen() { operators_.push('('); }
    void PushNumber(double value) { numbers_.push(value); }

private:
    SmallStack<unsigned char, kInlineOperators> operators_;
    SmallStack<double, kInlineNumbers> numbers_;
};

// The value of the prepared 8-bit text; `text` is NUL-terminated at `length`.
// Once an operator has found too few numbers the formula is malformed and its
// value NaN, but the scan goes on to the end: a "+" or "-" anywhere still
// refuses the formula with -1.0.
double EvaluatePrepared(const char* text, std::size_t length)
{
    Stacks stacks;
    bool malformed = false;
    std::size_t i = 0;
    while (i < length) {
        const char c = text[i];
        if (IsDigit(c)) {
            // strtod takes an exponent's sign with the number, so "1e-3" is
            // not refused; it always consumes at least the digit.
            char* end = nullptr;
            const double value = std::strtod(text + i, &end);
            if (!malformed) stacks.PushNumber(value);
            i = static_cast<std::size_t>(end - text);
            continue;
        }
        if (c == '+' || c == '-') return kRefused;
        if (!malformed) {
            if (c == '(') {
                stacks.PushOpen();
            } else if (c == ')') {
                malformed = !stacks.CloseParenthesis();
            } else if (!IsSkipped(c)) {
                malformed = !stacks.PushOperator(static_cast<unsigned char>(c));
            }
        }
        ++i;
    }
    return malformed ? kMalformed : stacks.Finish();
}

}  // namespace

const std::wstring& FormulaEvaluator::Prepare(std::string_view text)
{
    working_ = platform::NarrowToWide(text);

    // The rewrite runs in place in one pass.  Each "." may gain a "0" in
    // front, so the text is first moved right by the number of dots: the
    // written part then never overtakes the part still to be read.
    const std::size_t length = working_.size();
    const auto dots = static_cast<std::size_t>(std::count(working_.begin(), working_.end(), L'.'));
    if (dots > 0) {
        working_.resize(length + dots);
        std::copy_backward(working_.begin(), working_.begin() + static_cast<std::ptrdiff_t>(length),
                           working_.end());
    }

    wchar_t* const w = working_.data();
    std::size_t out = 0;
    int64_t depth = 0;      // open braced groups
    std::size_t open = 0;   // where the most recent "{" was written
    for (std::size_t in = dots; in < length + dots; ++in) {
        const wchar_t c = w[in];
        if (c == L' ') continue;
        if (c == L'{') {
            ++depth;
            open = out;
            w[out++] = c;
            continue;
        }
        if (c == L'.' && (out == 0 || !IsDigit(w[out - 1]))) {
            w[out++] = L'0';  // the "." itself follows below, now after a digit
        }
        if (c == L'}') {
            if (depth > 0) {
                // The group from the remembered "{" to here becomes "1".  With
                // nested groups only the innermost "{" is remembered, so the
                // outer "}" collapses onto that same position again.
                --depth;
                w[open] = L'1';
                out = open + 1;
            }
            // A "}" with no open group is dropped, and the scan goes on with
            // the character after it, as after a removed blank.
            continue;
        }
        if (depth == 0 && (c == L'x' || c == L'X')) {
            w[out++] = L'*';
        } else {
            w[out++] = c;
        }
    }
    working_.resize(out);
    return working_;
}

double FormulaEvaluator::Evaluate(std::string_view text)
{
    const std::string prepared = platform::WideToNarrow(Prepare(text));
    return EvaluatePrepared(prepared.c_str(), prepared.size());
}

}  // namespace qrvp::formula

extern "C" double EvaluateV2Formula(const char* formula)
{
    try {
        qrvp::formula::FormulaEvaluator evaluator;
        return evaluator.Evaluate(formula != nullptr ? std::string_view(formula) : std::string_view());
    } catch (const std::exception&) {
        // Only running out of memory can get here (a formula of gigabytes);
        // the host gets "no value" rather than an exception across the boundary.
        return std::numeric_limits<double>::quiet_NaN();
    }
}
