#include "tools/qrvp/typewell_command.h"

#include "fleet/columns.h"
#include "fleet/csv.h"
#include "fleet/fit_run.h"
#include "fleet/headers.h"
#include "fleet/history.h"
#include "fleet/log_route.h"
#include "fleet/report.h"
#include "fleet/text.h"
#include "fleet/typewell.h"
#include "tools/qrvp/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace qrvp::tool {

using namespace qrvp::fleet;

namespace {

void Err(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); }

bool ReadText(const std::string& path, std::string& text)
{
    std::ostringstream buffer;
    if (path == "-") {
        buffer << std::cin.rdbuf();
    } else {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            Err("qrvp typewell: cannot read '" + path + "'\n");
            return false;
        }
        buffer << in.rdbuf();
    }
    text = buffer.str();
    return true;
}

void Report(const std::string& source, const Problem& p)
{
    std::string line = source;
    if (p.line > 0) line.append(1, ':').append(std::to_string(p.line));
    line.append(p.warning ? ": warning: " : ": error: ");
    Err(line.append(p.message).append(1, '\n'));
}

// The options the arguments ask for; false (a message written) when unusable.
bool OptionsOf(const TypeWellArgs& args, TypeWellOptions& o, std::string& perColumn, double& perUnit, Date& start)
{
    o.months = args.months;
    o.minWells = static_cast<size_t>(std::max(args.minWells, 1));
    o.recencyYears = args.recency;
    if (args.align == "first" || args.align == "peak") {
        o.align = args.align == "peak" ? Align::Peak : Align::FirstProduction;
    } else {
        Err("qrvp typewell: --align must be first or peak, not '" + args.align + "'\n");
        return false;
    }
    if (args.spread == "cumulative" || args.spread == "rate") {
        o.spread = args.spread == "rate" ? Spread::Rate : Spread::Cumulative;
    } else {
        Err("qrvp typewell: --spread must be cumulative or rate, not '" + args.spread + "'\n");
        return false;
    }
    if (!args.per.empty()) {
        const size_t eq = args.per.find('=');
        const std::optional<double> unit =
            eq == std::string::npos ? std::nullopt : ParseNumber(std::string_view(args.per).substr(eq + 1));
        if (!unit || !(*unit > 0.0) || !std::isfinite(*unit) || eq == 0) {
            Err("qrvp typewell: --per must be COLUMN=UNIT with a unit above 0 (lateral_length_ft=10000), not '" +
                args.per + "'\n");
            return false;
        }
        perColumn = args.per.substr(0, eq);
        perUnit = *unit;
    }
    if (!args.start.empty()) {
        const std::optional<Date> d = ParseDate(args.start);
        if (!d) {
            Err("qrvp typewell: bad --start date '" + args.start + "' (YYYY-MM-DD)\n");
            return false;
        }
        start = *d;
    }
    if ((!args.by.empty() || !perColumn.empty()) && args.headers.empty()) {
        Err("qrvp typewell: --by and --per need the well headers (--headers FILE)\n");
        return false;
    }
    return true;
}

// The first of the month after the latest history month of any well.
Date MonthAfterHistories(const std::vector<History>& wells)
{
    Date latest(1800, 1, 1, 0, 0, 0);
    for (const History& w : wells)
        if (!w.ends.empty() && latest < w.ends.back()) latest = w.ends.back();
    return Date(static_cast<int32_t>(latest.year), latest.month, 1, 0, 0, 0);
}

bool WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream f(path, std::ios::binary);
    f << content;
    f.close();
    if (!f) Err("qrvp typewell: cannot write '" + path + "'\n");
    return static_cast<bool>(f);
}

}  // namespace

int RunTypeWell(const TypeWellArgs& args)
{
    TypeWellOptions options;
    std::string perColumn;
    double perUnit = 1.0;
    Date start(1800, 1, 1, 0, 0, 0);
    const bool startGiven = !args.start.empty();
    if (!OptionsOf(args, options, perColumn, perUnit, start)) return 2;
    FitRun run;
    FitDefaults(&run.options);
    if (!args.model.empty()) {
        const std::optional<int32_t> model = FitModelOf(args.model);
        if (!model) {
            Err("qrvp typewell: unknown model '" + args.model + "' (" + kFitModelNames + ")\n");
            return 2;
        }
        run.options.model = *model;
    }
    run.threads = std::max(1u, args.threads != 0 ? args.threads : std::thread::hardware_concurrency());

    std::string text;
    const std::string source = args.file == "-" ? "<stdin>" : args.file;
    if (!ReadText(args.file, text)) return 2;
    std::vector<Problem> problems;
    const std::vector<History> wells = ReadHistory(ReadCsv(text), problems);
    const size_t historyProblems = problems.size();
    Headers headers;
    if (!args.headers.empty()) {
        if (!ReadText(args.headers, text)) return 2;
        ReadHeaders(ReadCsv(text), headers, problems);
    }
    std::vector<std::string> names;
    for (const History& w : wells) names.push_back(w.name);
    WellKeys keys;
    bool fatal = std::any_of(problems.begin(), problems.end(), [](const Problem& p) { return p.fatal; });
    if (!fatal)
        fatal = !KeysOf(args.headers.empty() ? nullptr : &headers, names, args.by, perColumn, perUnit, keys, problems);
    for (size_t i = 0; i < problems.size(); ++i) Report(i < historyProblems ? source : args.headers, problems[i]);
    if (fatal) return 2;

    PrepareRun(wells, run, false, false);
    // A well the library failed is fitted again alone, for its record.
    std::vector<WellFit> fits = RunFits(wells, run);
    LogRoute log;
    ExplainFailures(wells, run, &log, fits);
    const std::vector<FilledWell> filled = FillWells(wells, fits, run.calibration, options, keys.factors, run.threads);
    for (size_t i = 0; i < wells.size(); ++i)
        if (keys.used[i] && !filled[i].problem.empty())
            Err(source + ":" + std::to_string(fits[i].status != 0 && fits[i].line ? fits[i].line : wells[i].line) +
                ": warning: well '" + wells[i].name +
                "' is left out: " + filled[i].problem + "\n");
    if (!startGiven) start = MonthAfterHistories(wells);

    const std::vector<TypeWell> types = BuildTypeWells(filled, keys, options, start);
    bool failed = false;
    std::string out = ColumnNames(kTypeWellColumns, ",") + "\n";
    std::string summary = ColumnNames(kTypeWellSummaryColumns, ",") + "\n";
    std::string segments = ColumnNames(kSegmentColumns, ",") + "\n";
    for (const TypeWell& t : types) {
        if (!t.problem.empty()) {
            Err("qrvp typewell: error: " + t.problem + "\n");
            failed = true;
            continue;
        }
        for (const auto& row : ProfileCells(t)) out += CsvLine(kTypeWellColumns, row);
        summary += CsvLine(kTypeWellSummaryColumns, SummaryCells(t, names));
        for (const auto& row : TypeWellSegmentCells(t, start, options.months)) segments += CsvLine(kSegmentColumns, row);
        for (int q = 0; q < 3; ++q)
            if (t.declineStatus[q] != 0 && !args.segments.empty())
                Err(std::string("qrvp typewell: warning: group '").append(t.group).append("': no decline fits its ")
                        .append(q == 0 ? "P90" : q == 1 ? "P50" : "P10").append(" profile; --segments leaves it out\n"));
    }
    if (types.empty()) {
        Err("qrvp typewell: error: no well could be used\n");
        failed = true;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    if (!args.summary.empty() && !WriteFile(args.summary, summary)) return 2;
    if (!args.segments.empty() && !WriteFile(args.segments, segments)) return 2;
    if (!args.svg.empty() && !WriteFile(args.svg, RenderTypeWellSvg(types, filled, names))) return 2;
    return failed ? 1 : 0;
}

}  // namespace qrvp::tool
