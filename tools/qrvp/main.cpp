// qrvp: a small host of the library, linked only through its public header.
//
//   qrvp forecast [FILE|-] [--months N] [--svg PLOT.svg] [--threads N]
//   qrvp fit [FILE|-] [options]  (history to segments: qrvp fit h.csv | qrvp forecast -)
//   qrvp typewell HISTORY [--headers H.csv] [--by COLUMN] [--per COLUMN=UNIT] [options]
//   qrvp call FUNCTION ARG...    |    qrvp call --list
//   qrvp example                 (the built-in table)
//   qrvp version
#include "QRVPFuncs.h"
#include "tools/qrvp/calls.h"
#include "tools/qrvp/example.h"
#include "tools/qrvp/fit_command.h"
#include "tools/qrvp/typewell_command.h"
#include "fleet/columns.h"
#include "fleet/forecast.h"
#include "fleet/forecast_run.h"
#include "fleet/log_route.h"
#include "tools/qrvp/svg.h"
#include "fleet/text.h"
#include "fleet/segments.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace qrvp::fleet;
using namespace qrvp::tool;

namespace {

struct ForecastArgs {
    std::string file;
    int months = 0;
    std::string svg;
    unsigned threads = 0;
    bool exact = false;
    int decimals = 6;
};

void WriteOut(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }
void WriteErr(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); }

bool ReadInput(const std::string& file, std::string& text, std::string& source)
{
    if (file.empty()) {
        text = kExampleTable;
        source = "<example>";
        return true;
    }
    std::ostringstream buffer;
    if (file == "-") {
        source = "<stdin>";
        buffer << std::cin.rdbuf();
    } else {
        source = file;
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            WriteErr("qrvp forecast: cannot read '" + file + "'\n");
            return false;
        }
        buffer << in.rdbuf();
    }
    text = buffer.str();
    return true;
}

int Forecast(const ForecastArgs& args)
{
    std::string text, source;
    if (!ReadInput(args.file, text, source)) return 2;

    static char outBuffer[1 << 20];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);

    std::vector<Problem> problems;
    std::vector<WellRows> table = ReadTable(text, problems);
    bool failed = false;
    for (const Problem& p : problems) {
        WriteErr(DescribeProblem(source, p));
        failed |= !p.warning;
        if (p.fatal) return 1;
    }
    TableOptions options;
    options.months = args.months;

    ForecastFormat format;
    format.decimals = args.exact ? -1 : args.decimals;
    format.keepCurve = !args.svg.empty();
    const unsigned threads = args.threads != 0 ? args.threads : std::max(1u, std::thread::hardware_concurrency());

    // Each well is resolved and forecast on a worker thread; the rows are
    // written in table order.
    LogRoute log;
    WriteOut(ColumnNames(kForecastColumns, ",") + "\n");
    std::vector<Well> wells;
    std::vector<PlottedWell> plotted;
    const std::vector<size_t> failedWells =
        RunForecast(table, options, format, threads, wells, [&](size_t i, WellForecast& result) {
            WriteOut(result.rows);
            if (format.keepCurve) plotted.push_back({&wells[i], std::move(result.curve)});
        });
    std::fflush(stdout);

    // A well that failed on a worker thread is taken again here, alone, so
    // that the library's records of its failing call can be told apart.
    for (const Problem& p : ExplainForecastFailures(table, failedWells, options, format, log)) {
        WriteErr(DescribeProblem(source, p));
        failed = true;
    }

    if (!args.svg.empty()) {
        std::ofstream svg(args.svg, std::ios::binary);
        svg << RenderSvg(plotted);
        svg.close();
        if (!svg) {
            WriteErr("qrvp forecast: cannot write '" + args.svg + "'\n");
            return 2;
        }
    }
    return failed ? 1 : 0;
}

std::string Hex(int32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
    return buffer;
}

int Version()
{
    VersionInfo v{};
    GetVersionInfo(&v);
    std::string out = "QRVPFuncs " + std::to_string(v.Major) + "." + std::to_string(v.Minor) + "." +
                      std::to_string(v.Release) + "." + std::to_string(v.Build) + "\n";

    const std::string store = SettingsStorePath();
    std::error_code ec;
    bool present = fs::is_regular_file(store, ec);
    const bool oversized = present && fs::file_size(store, ec) > 16u * 1024u * 1024u;
    present = present && !oversized;
    out += "settings store: " + store +
           (oversized ? " (over 16 MiB, so ignored: every setting takes its default)"
                      : present ? "" : " (not found: every setting takes its default)") +
           "\n";

    // The file _LogInit chooses: the store's "Filename", else the default
    // beside the current directory; a backslash stands for the separator.
    std::string file = present ? ReadLogFilenameSetting(store) : std::string();
    const bool fromStore = !file.empty();
    if (!fromStore) file = "logs\\QuarvexLog.csv";
#if !defined(_WIN32)
    std::replace(file.begin(), file.end(), '\\', '/');
#endif
    fs::path path(file);
    if (path.is_relative()) path = fs::current_path(ec) / path;
    out += "log file: " + path.lexically_normal().string() +
           (fromStore ? " (\"Filename\" in the store)" : " (the default: the store names no \"Filename\")") + "\n";

    const int32_t levels = GetRegistryValueInt(L"Quarvex\\Error Log", L"Levels");
    const int32_t systems = GetRegistryValueInt(L"Quarvex\\Error Log", L"Systems");
    out += "log filter: Levels " + Hex(levels) + ", Systems " + Hex(systems);
    const bool keeps = (static_cast<uint32_t>(levels) & (1u << 5)) != 0 && (static_cast<uint32_t>(systems) & (1u << 9)) != 0;
    out += keeps ? " (the calculations' records are kept)\n" : " (the calculations' records are dropped)\n";
    int32_t connections = 0;
    GetReportThreading(&connections);
    out += "report connections: " + std::to_string(connections) + "\n";
    WriteOut(out);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"qrvp: decline-curve forecasts and single calls through the QRVPFuncs library"};
    app.name("qrvp");
    app.require_subcommand(1);

    ForecastArgs fa;
    CLI::App* forecast = app.add_subcommand(
        "forecast", "Monthly forecast of the wells in a table of decline segments (the built-in example when no "
                    "FILE is given; - reads standard input); writes well,date,rate,volume,cumulative");
    forecast->add_option("FILE", fa.file, "CSV table of segments, or - for standard input");
    forecast->add_option("--months", fa.months, "Months to forecast from each well's first month (default: to the "
                                                "last segment's end; an open-ended last segment runs 360 months)")
        ->check(CLI::Range(0, 12000));
    forecast->add_option("--svg", fa.svg, "Write a semi-log rate-versus-time plot of the wells to this file");
    forecast->add_option("--threads", fa.threads, "Threads to forecast on (default: one per core)")
        ->check(CLI::Range(1u, 256u));
    forecast->add_flag("--exact", fa.exact, "Numbers in their shortest exact form instead of fixed decimals");
    forecast->add_option("--decimals", fa.decimals, "Decimals of the rate and volume columns (default 6)")
        ->check(CLI::Range(0, 17));

    FitArgs fit;
    CLI::App* fitCmd = app.add_subcommand(
        "fit", "Fit a decline to each well of a history table (well,date,volume[,days_on]; - reads standard "
               "input) and write the segment table that qrvp forecast reads");
    fitCmd->add_option("FILE", fit.file, "CSV history, or - for standard input")->required();
    fitCmd->add_option("--model", fit.model, "hyperbolic (default), exponential, stretched, or best (the one whose fleet backtests miss "
                                            "least; each well's AICc without a fleet prior)");
    fitCmd->add_option("--b-min", fit.bMin, "Lower bound of the Arps exponent b (default 0)");
    fitCmd->add_option("--b-max", fit.bMax, "Upper bound of b (default 2)");
    fitCmd->add_option("--dmin", fit.dminPercent, "Minimum decline, nominal percent per year (default none)");
    fitCmd->add_option("--start", fit.start, "Fit from the first month on or after this date (default: the peak of "
                                             "the last regime)");
    fitCmd->add_option("--half-life", fit.halfLife, "Months over which a month's weight halves, back from the last "
                                                    "(0: equal weights; default: the prior's, which the fleet's backtests choose)")
        ->check(CLI::NonNegativeNumber);
    fitCmd->add_flag("--calendar", fit.calendar, "Advance the curve in calendar time (default: producing time)");
    fitCmd->add_flag("--soft-l1", fit.softL1, "Soft-L1 loss on the log residuals (the default)");
    fitCmd->add_flag("--least-squares", fit.leastSquares, "Least squares on the log residuals instead of soft L1")
        ->excludes("--soft-l1");
    fitCmd->add_option("--soft-l1-scale", fit.softL1Scale, "Log residual where the soft-L1 loss turns linear "
                                                           "(default 0.1)")
        ->check(CLI::PositiveNumber);
    fitCmd->add_flag("--no-regimes", fit.noRegimes, "Fit the whole history as one regime (default: as the fleet's "
                                                    "backtests chose, else the last regime after a restart)");
    fitCmd->add_option("--economic-limit", fit.economicLimit, "Rate per month where the remaining volume ends "
                                                              "(default none: 50 years)");
    fitCmd->add_option("--bootstrap", fit.bootstrap, "Bootstrap replicates for P90/P50/P10 (default 0: none)")
        ->check(CLI::Range(0, 100000));
    fitCmd->add_option("--seed", fit.seed, "Seed of the bootstrap (default 1)");
    fitCmd->add_option("--threads", fit.threads, "Threads to fit on (default: one per core)")->check(CLI::Range(1u, 256u));
    fitCmd->add_option("--report", fit.report, "Write one row of fit statistics per well to this CSV file");
    fitCmd->add_option("--svg", fit.svg, "Plot each well's history, fit and forecast with its P90-P10 band");
    fitCmd->add_option("--horizon", fit.horizon, "Add horizon_p90,horizon_p50,horizon_p10 to the report: the volume "
                                                 "over this many months after the history, at full uptime")
        ->check(CLI::Range(1, 1200));
    fitCmd->add_option("--prior", fit.prior, "Read the fleet prior from this file instead of learning it");
    fitCmd->add_flag("--no-prior", fit.noPrior, "Fit each well alone, without a fleet prior")->excludes("--prior");
    fitCmd->add_option("--calibration", fit.calibration, "Refine the band's built-in calibration by this file's "
                                                         "cells instead of the fleet's own backtests");
    fitCmd->add_option("--save-prior", fit.savePrior, "Write the prior the run used to this file");
    fitCmd->add_option("--save-calibration", fit.saveCalibration, "Write the calibration cells the fleet's own "
                                                                  "backtests give to this file");
    fitCmd->add_option("--headers", fit.headers, "The well headers: a CSV with a well column and the columns to group by");
    fitCmd->add_option("--totals", fit.totals, "Write the P90/P50/P10 of each group's total volume over the horizon, "
                                               "the group the well headers' column COLUMN names")
        ->needs("--headers")
        ->needs("--horizon");
    CLI::Option* totalsOut =
        fitCmd->add_option("--totals-out", fit.totalsOut, "The file the totals table goes to (with --totals)")
            ->needs("--totals");
    fitCmd->get_option("--totals")->needs(totalsOut);
    fitCmd->add_option("--rho", fit.rho, "The dependence of the wells of a group (0 .. 1) instead of learning it from "
                                         "the fleet's backtests")
        ->check(CLI::Range(0.0, 1.0))
        ->needs("--totals");

    TypeWellArgs tw;
    CLI::App* typewell = app.add_subcommand(
        "typewell", "Type well of each group of a history's wells: the P90, P50 and P10 volumes month by month, "
                    "each well filled with its own forecast after its history; writes "
                    "group,month,wells,in_history,p90,p50,p10,cum_p90,cum_p50,cum_p10");
    typewell->add_option("FILE", tw.file, "CSV history (well,date,volume[,days_on]), or - for standard input")->required();
    typewell->add_option("--headers", tw.headers, "CSV well headers: a well column and any others");
    typewell->add_option("--by", tw.by, "Header column to group the wells by (default: one group, all)");
    typewell->add_option("--per", tw.per, "Normalise volumes per unit of a header column: COLUMN=UNIT, e.g. "
                                          "lateral_length_ft=10000");
    typewell->add_option("--align", tw.align, "Month 1 is each well's first producing month (first, default) or its "
                                              "highest (peak)");
    typewell->add_option("--spread", tw.spread, "Percentiles of the wells' cumulatives month by month (cumulative, "
                                                "default) or of each month's volume (rate)");
    typewell->add_option("--months", tw.months, "Months of the profile (default 360)")->check(CLI::Range(1, 1200));
    typewell->add_option("--min-wells", tw.minWells, "Fewest wells a group's type well takes (default 10)")
        ->check(CLI::Range(1, 1000000));
    typewell->add_option("--recency", tw.recency, "Weigh each well half as much per this many years its first month "
                                                  "lies before the group's latest (default: all alike)")
        ->check(CLI::Range(0.01, 1000.0));
    typewell->add_option("--start", tw.start, "Start of the --segments table (default: the month after the latest "
                                              "history month)");
    typewell->add_option("--model", tw.model, "The wells' fits: hyperbolic (default), exponential, stretched, best");
    typewell->add_option("--threads", tw.threads, "Threads to fit on (default: one per core)")->check(CLI::Range(1u, 256u));
    typewell->add_option("--summary", tw.summary, "Write each group's EUR distribution and P50 well to this CSV file");
    typewell->add_option("--segments", tw.segments, "Write each profile's fitted decline as a segment table for qrvp "
                                                    "forecast");
    typewell->add_option("--svg", tw.svg, "Plot the profiles over the wells' histories and the EUR distribution");

    bool list = false;
    CLI::App* call = app.add_subcommand("call", "Call one library function by name: qrvp call FUNCTION ARG...");
    call->add_flag("--list", list, "List the functions and their arguments");
    call->prefix_command();

    app.add_subcommand("example", "Print the built-in example table (the input format)");
    app.add_subcommand("version", "The library's version, the settings store in use and the effective log file");

    if (argc < 2) {
        WriteErr(app.help());
        return 2;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help is a success; every other parse problem is a usage error.
        return app.exit(e) == 0 ? 0 : 2;
    }

    if (forecast->parsed()) return Forecast(fa);
    if (fitCmd->parsed()) return RunFit(fit);
    if (typewell->parsed()) return RunTypeWell(tw);
    if (call->parsed()) {
        std::vector<std::string> rest = call->remaining();
        if (list) {
            WriteOut(ListFunctions());
            return 0;
        }
        if (rest.empty()) {
            WriteErr("qrvp call: name a function (qrvp call --list shows them)\n");
            return 2;
        }
        std::string out, err;
        const std::string name = rest.front();
        rest.erase(rest.begin());
        int code = CallFunction(name, rest, out, err);
        WriteOut(out);
        WriteErr(err);
        return code;
    }
    if (app.got_subcommand("example")) {
        WriteOut(kExampleTable);
        return 0;
    }
    return Version();
}
