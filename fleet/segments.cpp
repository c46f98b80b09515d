#include "fleet/segments.h"

#include "fleet/columns.h"
#include "fleet/csv.h"
#include "fleet/text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <optional>

namespace qrvp::fleet {

namespace {

enum Col { kWell, kModel, kStart, kEnd, kQi, kQf, kDi, kB, kDmin, kTau, kN, kDeclineType, kColumns };

static_assert(kColumns == kSegmentColumns.size(), "one Col per column of the segment table");

enum class DeclineType { Nominal, Tangent, Secant };

// One row as written, before anything is solved.
struct Row {
    int line = 0;
    std::array<std::string, kColumns> text;
    std::array<int, kColumns> column{};  // 1-based field position, 0 when absent
    size_t fields = 0;                   // fields on the line, when more are filled than named
    size_t named = 0;                    // fields the header names
};

// Thrown nowhere: a row's first problem travels back as a value.
struct RowError {
    RowError() = default;
    RowError(Col c, std::string text) : column(c), message(std::move(text)) {}
    Col column = kModel;
    std::string message;
    std::vector<LogRecord> records;
};

bool IsBlank(const Row& row, Col c) { return row.text[c].empty(); }

// The parameter a library message blames: the first one it shows with a
// value of zero or below, else the first one it names.
Col ColumnOfMessage(const std::string& message, Col fallback)
{
    struct Token {
        const char* text;
        Col column;
    };
    static const Token tokens[] = {
        {"Qi", kQi},          {"Qt", kQf},          {"Qf", kQf},           {"Dmin", kDmin},
        {"Di", kDi},          {"decline", kDi},     {"bFactor", kB},       {"tau", kTau},
        {"n", kN},            {"StartDate", kStart}, {"start date", kStart}, {"FindDate", kEnd},
        {"EndDate", kEnd},    {"end date", kEnd},   {"Vol", kQi},
    };
    size_t first = std::string::npos, firstBad = std::string::npos;
    Col named = fallback, bad = fallback;
    for (const Token& token : tokens) {
        std::string_view t(token.text);
        for (size_t pos = message.find(t); pos != std::string::npos; pos = message.find(t, pos + 1)) {
            const size_t after = pos + t.size();
            const bool startOk = pos == 0 || !std::isalnum(static_cast<unsigned char>(message[pos - 1]));
            const bool endOk = after >= message.size() || !std::isalnum(static_cast<unsigned char>(message[after]));
            if (!startOk || !endOk) continue;
            // A single letter names a parameter only when its value follows.
            const bool valued = message.compare(after, 2, " (") == 0;
            if (t.size() == 1 && !valued) continue;
            if (pos < first) {
                first = pos;
                named = token.column;
            }
            if (valued && pos < firstBad) {
                auto value = ParseNumber(std::string_view(message).substr(after + 2, message.find(')', after) - after - 2));
                if (value && !(*value > 0.0)) {
                    firstBad = pos;
                    bad = token.column;
                }
            }
            break;
        }
    }
    return firstBad != std::string::npos ? bad : named;
}

class Resolver {
public:
    Resolver(const TableOptions& options, LogRoute* log) : options_(options), log_(log) {}

    // Parses and solves one row into a segment that follows `previous` (null
    // for a well's first row).
    std::optional<RowError> Resolve(const Row& row, const Segment* previous, const Date* horizon,
                                    bool last, Segment& out);

private:
    std::optional<RowError> Number(const Row& row, Col c, std::optional<double>& out);
    RowError Rejected(const char* function, Col fallback, const std::string& what);

    const TableOptions& options_;
    LogRoute* log_;  // null on a worker thread: the records are fetched when the well is resolved again
};

std::optional<RowError> Resolver::Number(const Row& row, Col c, std::optional<double>& out)
{
    out.reset();
    if (IsBlank(row, c)) return std::nullopt;
    std::string text = row.text[c];
    // A trailing percent sign is allowed where the value is a percentage.
    if ((c == kDi || c == kDmin) && text.back() == '%') text.pop_back();
    auto value = ParseNumber(text);
    if (!value) return RowError{c, "'" + row.text[c] + "' is not a number"};
    if (!std::isfinite(*value)) return RowError{c, "'" + row.text[c] + "' is not a finite number"};
    out = *value;
    return std::nullopt;
}

RowError Resolver::Rejected(const char* function, Col fallback, const std::string& what)
{
    RowError error;
    if (log_ != nullptr) error.records = log_->Collect();
    error.message = std::string(function) + " rejected " + what;
    if (error.records.empty()) {
        error.message += " (it wrote no log record)";
        error.column = fallback;
    } else {
        error.column = ColumnOfMessage(error.records.front().message, fallback);
    }
    return error;
}

bool After2999(const Date& date) { return date.year > 2999; }

std::optional<RowError> Resolver::Resolve(const Row& row, const Segment* previous, const Date* horizon,
                                          bool last, Segment& s)
{
    s.line = row.line;
    const std::string model = Lower(row.text[kModel]);
    if (model == "arps")
        s.model = Model::Arps;
    else if (model == "lintime")
        s.model = Model::LinTime;
    else if (model == "sedm")
        s.model = Model::Sedm;
    else if (model.empty())
        return RowError{kModel, "no model given (one of arps, lintime, sedm)"};
    else
        return RowError{kModel, "unknown model '" + row.text[kModel] + "' (one of arps, lintime, sedm)"};

    // Start: given, or where the previous segment ended.
    if (!IsBlank(row, kStart)) {
        auto start = ParseDate(row.text[kStart]);
        if (!start)
            return RowError{kStart, "bad date '" + row.text[kStart] +
                                        "' (YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS, years 1800 to 2999)"};
        s.start = *start;
        if (previous != nullptr && s.start < previous->end)
            return RowError{kStart, "starts " + FormatDate(s.start) + ", before the previous segment ends (" +
                                        FormatDate(previous->end) + ")"};
    } else if (previous != nullptr) {
        s.start = previous->end;
    } else {
        return RowError{kStart, "a well's first segment needs a start date"};
    }

    std::optional<Date> end;
    if (!IsBlank(row, kEnd)) {
        end = ParseDate(row.text[kEnd]);
        if (!end)
            return RowError{kEnd, "bad date '" + row.text[kEnd] +
                                      "' (YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS, years 1800 to 2999)"};
        if (*end <= s.start)
            return RowError{kEnd, "ends " + FormatDate(*end) + ", not after its start " + FormatDate(s.start)};
    }

    std::optional<double> qi, qf, di, b, dmin, tau, n;
    for (auto [c, slot] : {std::pair{kQi, &qi}, {kQf, &qf}, {kDi, &di}, {kB, &b}, {kDmin, &dmin},
                           {kTau, &tau}, {kN, &n}})
        if (auto error = Number(row, c, *slot)) return error;

    if (qi) {
        s.qi = *qi;
    } else if (previous != nullptr) {
        s.qi = previous->qf;
    } else {
        return RowError{kQi, "a well's first segment needs qi"};
    }
    if (s.qi < 0.0) return RowError{qi ? kQi : kModel, "a rate cannot be negative (qi " + FormatNumber(s.qi) + ")"};
    if (qf && *qf < 0.0) return RowError{kQf, "a rate cannot be negative (qf " + FormatNumber(*qf) + ")"};

    DeclineType type = DeclineType::Nominal;
    const std::string typeText = Lower(row.text[kDeclineType]);
    if (typeText == "tangent" || typeText == "tan" || typeText == "te")
        type = DeclineType::Tangent;
    else if (typeText == "secant" || typeText == "sec" || typeText == "se")
        type = DeclineType::Secant;
    else if (!typeText.empty() && typeText != "nominal" && typeText != "nom")
        return RowError{kDeclineType, "unknown decline type '" + row.text[kDeclineType] +
                                          "' (nominal, tangent or secant)"};
    if (s.model != Model::Arps && type != DeclineType::Nominal)
        return RowError{kDeclineType, "effective declines apply to arps segments only"};

    // Where the segment has no end date and no final rate, it runs open-ended
    // to the horizon; only a well's last segment may.
    const bool open = !end && !qf;
    if (open && !last) return RowError{kEnd, "only a well's last segment may leave both end and qf blank"};

    // Ends the segment `years` after its start.
    auto endAfter = [&](double years, const char* function) -> std::optional<RowError> {
        if (!std::isfinite(years))
            return RowError{kQf, std::string(function) + " gave no finite duration to reach qf " + FormatNumber(*qf)};
        if (years <= 0.0)
            return RowError{kQf, "the rate never falls to qf " + FormatNumber(*qf) + " after qi " +
                                     FormatNumber(s.qi) + " (" + function + " gave " + FormatNumber(years) +
                                     " years)"};
        Date e = s.start;
        e.AddFracDay(years * 365.25);
        if (After2999(e) || e <= s.start)
            return RowError{kQf, "the rate reaches qf " + FormatNumber(*qf) +
                                     " only after the year 2999; give an end date"};
        end = e;
        return std::nullopt;
    };

    const double notWritten = std::numeric_limits<double>::quiet_NaN();
    switch (s.model) {
    case Model::Arps: {
        if (tau || n) return RowError{tau ? kTau : kN, "tau and n apply to sedm segments only"};
        s.b = b.value_or(0.0);
        // Percentages per year to nominal declines, by the library's own
        // conversions.  A secant-effective Dmin is read as tangent-effective:
        // the decline after the switch is exponential, where the two agree.
        auto toNominal = [&](double percent, bool isDmin, double& nominal) -> std::optional<RowError> {
            const Col c = isDmin ? kDmin : kDi;
            const double fraction = percent / 100.0;
            if (type == DeclineType::Nominal) {
                nominal = fraction;
            } else if (type == DeclineType::Tangent || isDmin || IsZero(s.b, 1e-11)) {
                if (TanEffToNom(fraction, &nominal) != 0)
                    return RowError{c, "a tangent-effective decline must be below 100% (" +
                                           FormatNumber(percent) + "%)"};
            } else if (SecEffToNom(fraction, s.b, &nominal) != 0) {
                return Rejected("SecEffToNom", c, "the secant-effective decline");
            }
            return std::nullopt;
        };
        if (dmin) {
            if (auto error = toNominal(*dmin, true, s.dmin)) return error;
        }
        if (di) {
            if (auto error = toNominal(*di, false, s.di)) return error;
        } else if (end && qf) {
            double solved = notWritten;
            if (GetArpsDi(s.start, *end, s.qi, *qf, s.b, s.dmin, &solved) != 0)
                return Rejected("GetArpsDi", kDi, "the decline through qi and qf");
            s.di = solved;
        } else {
            return RowError{kDi, "an arps segment needs di, or both an end date and qf to solve it"};
        }
        if (!end && qf) {
            double years = notWritten;
            if (GetArpsYears(s.qi, *qf, s.b, s.di, s.dmin, &years) != 0)
                return Rejected("GetArpsYears", kQf, "the duration to qf");
            if (auto error = endAfter(years, "GetArpsYears")) return error;
        }
        break;
    }
    case Model::LinTime: {
        if (b || dmin || tau || n)
            return RowError{b ? kB : dmin ? kDmin : tau ? kTau : kN, "lintime segments take qi, qf, di, end only"};
        if (di) {
            s.di = *di;
        } else if (end && qf) {
            double solved = notWritten;
            if (GetLinTimDi(*end, s.start, s.qi, *qf, &solved) != 0)
                return Rejected("GetLinTimDi", kDi, "the decline through qi and qf");
            s.di = solved;
        } else {
            return RowError{kDi, "a lintime segment needs di, or both an end date and qf to solve it"};
        }
        if (!end && qf) {
            double years = notWritten;
            if (GetLinTimYears(s.qi, *qf, s.di, &years) != 0)
                return Rejected("GetLinTimYears", kQf, "the duration to qf");
            if (auto error = endAfter(years, "GetLinTimYears")) return error;
        }
        break;
    }
    case Model::Sedm: {
        if (b || dmin || di)
            return RowError{b ? kB : dmin ? kDmin : kDi, "sedm segments take qi, qf, tau, n, end only"};
        if (!n) return RowError{kN, "a sedm segment needs n"};
        s.n = *n;
        if (tau) {
            s.tau = *tau;
        } else if (end && qf) {
            double solved = notWritten;
            if (GetSEDMTau(s.qi, *qf, s.start, *end, s.n, &solved) != 0)
                return Rejected("GetSEDMTau", kTau, "the tau through qi and qf");
            s.tau = solved;
        } else {
            return RowError{kTau, "a sedm segment needs tau, or both an end date and qf to solve it"};
        }
        if (!end && qf) {
            double years = notWritten;
            if (GetSEDMYears(s.qi, *qf, 0.0, s.tau, s.n, &years) != 0)
                return Rejected("GetSEDMYears", kQf, "the duration to qf");
            if (auto error = endAfter(years, "GetSEDMYears")) return error;
        }
        break;
    }
    }

    if (open) {
        // An open-ended segment runs to the horizon (at least a month past its
        // start, so that it has a month to show).
        Date e = *horizon;
        if (e <= s.start) {
            e = s.start;
            e.AddMonths(1);
        }
        end = e;
    }
    s.end = *end;

    if (SegmentRate(s, s.end, &s.qf) != 0)
        return Rejected(RateFunctionName(s.model), kModel, "the rate at the segment's end " + FormatDate(s.end));
    if (SegmentCumulative(s, s.end, &s.volume) != 0)
        return Rejected(VolumeFunctionName(s.model), kModel, "the segment's volume");
    if (!std::isfinite(s.qf) || !std::isfinite(s.volume))
        return RowError{kModel, "the segment's final rate or volume is not finite (rate " + FormatNumber(s.qf) +
                                    ", volume " + FormatNumber(s.volume) + ")"};

    // The switch to the minimum decline, when it comes before the end: the
    // minimum-decline rule keeps it only for a decline that falls to Dmin
    // (or an incline whose growth slows to it).
    const bool switches = (s.b > 0.0 && s.di > 0.0 && s.dmin > 0.0 && s.dmin < s.di) ||
                          (s.b < 0.0 && s.di < 0.0 && s.dmin < 0.0 && s.di < s.dmin);
    if (s.model == Model::Arps && switches && !IsZero(s.b, 1e-11) && !IsZero(s.dmin, 1e-11)) {
        Date at;
        if (GetArpsDminDate(s.start, s.di, s.dmin, s.qi, s.b, &at) == 0 && s.start < at && at < s.end &&
            SegmentRate(s, at, &s.switchRate) == 0) {
            s.hasSwitch = true;
            s.switchDate = at;
        } else {
            if (log_ != nullptr) log_->Collect();  // a switch outside the segment is no fault of the row
        }
    }
    (void)options_;
    return std::nullopt;
}

}  // namespace

const char* RateFunctionName(Model model)
{
    switch (model) {
    case Model::Arps: return "GetArpsQt";
    case Model::LinTime: return "GetLinTimQt";
    case Model::Sedm: return "GetSEDMQt";
    }
    return "";
}

const char* VolumeFunctionName(Model model)
{
    switch (model) {
    case Model::Arps: return "GetArpsVol2";
    case Model::LinTime: return "GetLinTimVol";
    case Model::Sedm: return "GetSEDMVol";
    }
    return "";
}

int32_t SegmentRate(const Segment& s, const Date& at, double* rate)
{
    switch (s.model) {
    case Model::Arps: return GetArpsQt(at, s.start, s.qi, s.di, s.b, s.dmin, rate);
    case Model::LinTime: return GetLinTimQt(at, s.start, s.qi, s.di, rate);
    case Model::Sedm: return GetSEDMQt(s.qi, s.start, at, s.tau, s.n, rate);
    }
    return -1;
}

int32_t SegmentCumulative(const Segment& s, const Date& at, double* volume)
{
    switch (s.model) {
    case Model::Arps: return GetArpsVol2(s.start, at, s.qi, s.di, s.b, s.dmin, volume);
    case Model::LinTime: {
        double q = 0.0;
        if (GetLinTimQt(at, s.start, s.qi, s.di, &q) != 0) return -1;
        return GetLinTimVol(s.start, at, s.qi, q, volume);
    }
    case Model::Sedm: return GetSEDMVol(s.qi, s.start, at, s.tau, s.n, volume);
    }
    return -1;
}

struct WellRows::Rows {
    std::vector<Row> rows;
};

WellRows::WellRows() : rows_(std::make_unique<Rows>()) {}
WellRows::~WellRows() = default;
WellRows::WellRows(WellRows&&) noexcept = default;
WellRows& WellRows::operator=(WellRows&&) noexcept = default;

std::vector<WellRows> ReadTable(const std::string& text, std::vector<Problem>& problems)
{
    return ReadRecords(ReadCsv(text), problems);
}

std::vector<WellRows> ReadRecords(const std::vector<CsvRecord>& records, std::vector<Problem>& problems)
{
    std::vector<WellRows> wells;
    if (records.empty()) {
        problems.push_back({1, 0, "", "", "the table is empty: it needs a header line naming its columns", {}, true, false});
        return wells;
    }

    // The header names the columns; its order is free.
    const CsvRecord& header = records.front();
    std::array<int, kColumns> position{};
    for (size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = Lower(header.fields[i]);
        const int column = static_cast<int>(i) + 1;
        const size_t c = FindColumn(kSegmentColumns, name);
        if (c == kSegmentColumns.size()) {
            problems.push_back({header.line, column, header.fields[i], "",
                                "unknown column '" + header.fields[i] + "' is ignored (columns: " +
                                    ColumnNames(kSegmentColumns, ", ") + ")", {}, false, true});
            continue;
        }
        if (position[c] != 0) {
            problems.push_back({header.line, column, name, "", "column '" + name + "' is named twice", {}, true, false});
            return wells;
        }
        position[c] = column;
    }
    for (Col c : {kWell, kModel, kStart}) {
        if (position[c] == 0) {
            problems.push_back({header.line, 0, kSegmentColumns[c].name, "",
                                std::string("missing column '") + kSegmentColumns[c].name +
                                    "' (the header must name at least well, model and start)", {}, true, false});
        }
    }
    if (position[kWell] == 0 || position[kModel] == 0 || position[kStart] == 0) return wells;

    // Rows of each well, in table order; wells in the order of their first rows.
    std::map<std::string, size_t> wellIndex;
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        Row row;
        row.line = record.line;
        for (size_t c = 0; c < kColumns; ++c) {
            row.column[c] = position[c];
            if (position[c] != 0 && static_cast<size_t>(position[c]) <= record.fields.size())
                row.text[c] = record.fields[static_cast<size_t>(position[c]) - 1];
        }
        const std::string& name = row.text[kWell];
        if (name.empty()) {
            problems.push_back({row.line, position[kWell], "well", "", "the row names no well; it is skipped", {}, false, false});
            continue;
        }
        if (name.size() > kMaxWellNameBytes) {
            problems.push_back({row.line, position[kWell], "well", "",
                                "the well name is " + std::to_string(name.size()) + " bytes long; at most " +
                                    std::to_string(kMaxWellNameBytes) + " are allowed",
                                {}, false, false});
            continue;
        }
        auto [it, added] = wellIndex.try_emplace(name, wells.size());
        if (added) {
            wells.emplace_back();
            wells.back().name = name;
            wells.back().line = row.line;
        }
        if (record.fields.size() > header.fields.size()) {
            bool extra = false;
            for (size_t f = header.fields.size(); f < record.fields.size(); ++f) extra |= !record.fields[f].empty();
            if (extra) {
                // Kept as a row, reported when the well is resolved.
                row.fields = record.fields.size();
                row.named = header.fields.size();
            }
        }
        wells[it->second].rows_->rows.push_back(std::move(row));
    }
    return wells;
}

bool ResolveWell(const WellRows& input, const TableOptions& options, LogRoute* log, Well& well, Problem& problem)
{
    well = Well{};
    well.name = input.name;
    well.line = input.line;
    const std::vector<Row>& rows = input.rows_->rows;
    Resolver resolver(options, log);
    Date horizon;
    for (size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        std::optional<RowError> error;
        Segment segment;
        if (row.fields != 0) {
            error = RowError{kWell, "the row has " + std::to_string(row.fields) + " fields but the header names " +
                                        std::to_string(row.named)};
        } else {
            if (r == 0) {
                // The horizon counts months from the month of the first start.
                if (auto first = ParseDate(row.text[kStart])) {
                    horizon = *first;
                    horizon.FirstOfMonth();
                    horizon.AddMonths(options.months > 0 ? options.months : kOpenEndedMonths);
                    // Dates end with the year 2999.
                    const Date last(2999, 12, 31, 23, 59, 59);
                    if (last < horizon) horizon = last;
                }
            }
            error = resolver.Resolve(row, well.segments.empty() ? nullptr : &well.segments.back(), &horizon,
                                     r + 1 == rows.size(), segment);
        }
        if (error) {
            problem = Problem{};
            problem.line = row.line;
            problem.column = row.column[error->column];
            problem.columnName = kSegmentColumns[error->column].name;
            problem.well = well.name;
            problem.message = error->message;
            problem.records = std::move(error->records);
            return false;
        }
        well.segments.push_back(segment);
    }
    well.start = well.segments.front().start;
    well.end = well.segments.back().end;
    if (options.months > 0 && horizon < well.end) well.end = horizon;
    return true;
}

std::string DescribeProblem(const std::string& source, const Problem& p)
{
    std::string text = source;
    text += ':';
    text += std::to_string(p.line);
    if (p.column > 0) {
        text += ':';
        text += std::to_string(p.column);
    }
    text += ": ";
    text += p.warning ? "warning: " : "error: ";
    if (!p.columnName.empty() && p.column > 0) text += "column '" + p.columnName + "': ";
    text += p.message;
    if (!p.well.empty()) text += "; well '" + p.well + "' is not forecast";
    text += "\n";
    for (const LogRecord& record : p.records) {
        text += "    library log: ";
        if (!record.function.empty())
            text += record.function + " (source line " + record.line + "): " + record.message;
        else
            text += record.text;
        text += "\n";
    }
    return text;
}

}  // namespace qrvp::fleet
