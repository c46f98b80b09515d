// The tables of the fleet layer, each defined here once: the segment table
// that a forecast reads and a fit writes, the production history a fit reads,
// the monthly forecast, and the fit report.  A front-end takes the names (and
// what each column holds) from here, in this order.
#ifndef QRVP_FLEET_COLUMNS_H
#define QRVP_FLEET_COLUMNS_H

#include <array>
#include <cstddef>
#include <string>

namespace qrvp::fleet {

// What a column holds: text, a date ("YYYY-MM-DD[THH:MM:SS]"), a whole count,
// or a number (blank where there is none).
enum class Kind { Text, Date, Count, Number };

struct Column {
    const char* name;
    Kind kind;
    bool required;  // a table read without it is refused
};

inline constexpr std::array<Column, 12> kSegmentColumns = {{
    {"well", Kind::Text, true},    {"model", Kind::Text, true},   {"start", Kind::Date, true},
    {"end", Kind::Date, false},    {"qi", Kind::Number, false},   {"qf", Kind::Number, false},
    {"di", Kind::Number, false},   {"b", Kind::Number, false},    {"dmin", Kind::Number, false},
    {"tau", Kind::Number, false},  {"n", Kind::Number, false},    {"decline_type", Kind::Text, false},
}};

inline constexpr std::array<Column, 4> kHistoryColumns = {{
    {"well", Kind::Text, true}, {"date", Kind::Date, true}, {"volume", Kind::Number, true},
    {"days_on", Kind::Number, false},
}};

inline constexpr std::array<Column, 5> kForecastColumns = {{
    {"well", Kind::Text, true}, {"date", Kind::Date, true}, {"rate", Kind::Number, true},
    {"volume", Kind::Number, true}, {"cumulative", Kind::Number, true},
}};

inline constexpr std::array<Column, 32> kReportColumns = {{
    {"well", Kind::Text, true},           {"status", Kind::Text, true},
    {"model", Kind::Text, false},         {"fit_start", Kind::Date, false},
    {"curve_start", Kind::Date, false},   {"periods_used", Kind::Count, false},
    {"qi", Kind::Number, false},          {"di", Kind::Number, false},
    {"b", Kind::Number, false},           {"dmin", Kind::Number, false},
    {"tau", Kind::Number, false},         {"n", Kind::Number, false},
    {"se_qi", Kind::Number, false},       {"se_di_or_tau", Kind::Number, false},
    {"se_b_or_n", Kind::Number, false},   {"log_rmse", Kind::Number, false},
    {"aicc", Kind::Number, false},        {"aicc_exponential", Kind::Number, false},
    {"aicc_hyperbolic", Kind::Number, false}, {"aicc_stretched", Kind::Number, false},
    {"iterations", Kind::Count, false},   {"history_end", Kind::Date, false},
    {"limit_date", Kind::Date, false},    {"remaining", Kind::Number, false},
    {"p90", Kind::Number, false},         {"p50", Kind::Number, false},
    {"p10", Kind::Number, false},         {"bootstrap_used", Kind::Count, false},
    {"regime_start", Kind::Date, false},  {"regime_changes", Kind::Count, false},
    {"noise", Kind::Number, false},       {"message", Kind::Text, false},
}};

// The report's columns that a fit with a horizon adds after kReportColumns:
// the P90, P50 and P10 of the volume over that many months after the
// history's end, at full uptime, by the run's calibration.
inline constexpr std::array<Column, 3> kHorizonColumns = {{
    {"horizon_p90", Kind::Number, false}, {"horizon_p50", Kind::Number, false}, {"horizon_p10", Kind::Number, false},
}};

// The well headers (fleet/headers.h): one row per well.  These columns have
// a fixed meaning; any other column is kept as text, a key to group wells by.
inline constexpr std::array<Column, 5> kHeaderColumns = {{
    {"well", Kind::Text, true},              {"first_production", Kind::Date, false},
    {"completion_date", Kind::Date, false},  {"lateral_length_ft", Kind::Number, false},
    {"proppant_lbs", Kind::Number, false},
}};

// A type well's profile (fleet/typewell.h): one row per group and month
// (month 1 is the aligned month); the P90, P50 and P10 volumes of the month
// and their cumulatives; `wells` in the group, `in_history` of them whose
// history gives the month (the others give their forecast).
inline constexpr std::array<Column, 10> kTypeWellColumns = {{
    {"group", Kind::Text, true},     {"month", Kind::Count, true},    {"wells", Kind::Count, true},
    {"in_history", Kind::Count, true}, {"p90", Kind::Number, true},   {"p50", Kind::Number, true},
    {"p10", Kind::Number, true},     {"cum_p90", Kind::Number, true}, {"cum_p50", Kind::Number, true},
    {"cum_p10", Kind::Number, true},
}};

// A type well's summary, one row per group: the distribution of the wells'
// volumes over the profile's months (eur_*: the P50 well is the well nearest
// eur_p50), and the profiles' own volumes over them (profile_eur_*).
inline constexpr std::array<Column, 11> kTypeWellSummaryColumns = {{
    {"group", Kind::Text, true},           {"wells", Kind::Count, true},
    {"eur_p90", Kind::Number, true},       {"eur_p50", Kind::Number, true},
    {"eur_p10", Kind::Number, true},       {"eur_mean", Kind::Number, true},
    {"p50_well", Kind::Text, true},        {"p50_well_eur", Kind::Number, true},
    {"profile_eur_p90", Kind::Number, true}, {"profile_eur_p50", Kind::Number, true},
    {"profile_eur_p10", Kind::Number, true},
}};

// The group totals a fit with --totals writes (fleet/totals.h): one row per
// group of wells, the P90, P50 and P10 of the group's total volume over the
// horizon and its exact mean, the rho of the dependence between its wells and
// the backtest pairs it was learned from (0: given), the sums of the wells'
// P90s and P10s beside them; a group the total would be wrong for has only a
// message.
inline constexpr std::array<Column, 11> kTotalsColumns = {{
    {"group", Kind::Text, true},      {"wells", Kind::Count, true},     {"p90", Kind::Number, false},
    {"p50", Kind::Number, false},     {"p10", Kind::Number, false},     {"mean", Kind::Number, false},
    {"rho", Kind::Number, false},     {"rho_pairs", Kind::Count, false}, {"sum_p90", Kind::Number, false},
    {"sum_p10", Kind::Number, false}, {"message", Kind::Text, false},
}};

// A fleet prior file (one row): FitPrior's fields, and the model the fleet's
// backtests chose for `--model best` (a model's name; best: none, the lowest
// AICc).  A file without half_life, one_regime or model (written before the
// fleet chose them) reads as 0, 0 and best.
inline constexpr std::array<Column, 9> kPriorColumns = {{
    {"ln_di", Kind::Number, true}, {"b", Kind::Number, true}, {"sd_ln_di", Kind::Number, true},
    {"sd_b", Kind::Number, true}, {"strength", Kind::Number, true}, {"months", Kind::Number, true},
    {"half_life", Kind::Number, false}, {"one_regime", Kind::Number, false}, {"model", Kind::Text, false},
}};

// A calibration file: one row per cell of FitCalibration, with the backtests
// each cell was learned from; the noise power and floor repeat on every row.
inline constexpr std::array<Column, 8> kCalibrationColumns = {{
    {"history", Kind::Number, true},     {"horizon", Kind::Number, true}, {"centre", Kind::Number, true},
    {"low", Kind::Number, true},         {"high", Kind::Number, true},    {"cases", Kind::Number, true},
    {"noise_power", Kind::Number, true}, {"noise_floor", Kind::Number, true},
}};

// The names joined by `separator` ("well,model,..." or "well, model, ...").
template <size_t N>
std::string ColumnNames(const std::array<Column, N>& table, const char* separator)
{
    std::string out;
    for (const Column& c : table) {
        if (!out.empty()) out += separator;
        out += c.name;
    }
    return out;
}

// The index of the column named `name` (already lower case); N when none is.
template <size_t N>
size_t FindColumn(const std::array<Column, N>& table, const std::string& name)
{
    size_t i = 0;
    while (i < N && name != table[i].name) ++i;
    return i;
}

}  // namespace qrvp::fleet

#endif
