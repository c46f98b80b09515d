// libFuzzer target for EvaluateV2Formula: any bytes, as the host would pass
// them (the first NUL ends the formula).  Besides crashes, leaks and
// undefined behaviour it traps on a broken promise of the evaluator: a result
// that is negative but not -1.0, -1.0 without a "+" or "-" in the text, or a
// rewritten text that still holds a blank or a "}".
#include "QRVPFuncs.h"
#include "formula/formula_evaluator.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const char* formula = bytes.c_str();
    const std::string_view text(formula);

    const double value = EvaluateV2Formula(formula);
    const bool refused = value == -1.0;
    if (!refused && !std::isnan(value) && std::signbit(value)) __builtin_trap();
    if (refused && text.find_first_of("+-") == std::string_view::npos) __builtin_trap();

    qrvp::formula::FormulaEvaluator evaluator;
    const std::wstring& prepared = evaluator.Prepare(text);
    if (prepared.find_first_of(L" }") != std::wstring::npos) __builtin_trap();
    return 0;
}
