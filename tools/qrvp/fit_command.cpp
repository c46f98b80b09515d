#include "tools/qrvp/fit_command.h"

#include "fleet/columns.h"
#include "fleet/csv.h"
#include "fleet/fit_run.h"
#include "fleet/history.h"
#include "fleet/log_route.h"
#include "fleet/report.h"
#include "fleet/totals.h"
#include "fleet/text.h"
#include "tools/qrvp/svg.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

namespace qrvp::tool {

using namespace qrvp::fleet;

namespace {

void Err(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); }

// The run the arguments ask for; false (a message written) when they are unusable.
bool RunOf(const FitArgs& args, FitRun& run)
{
    FitDefaults(&run.options);
    FitOptions& options = run.options;
    if (!args.model.empty()) {
        const std::optional<int32_t> model = FitModelOf(args.model);
        if (!model) {
            Err("qrvp fit: unknown model '" + args.model + "' (" + kFitModelNames + ")\n");
            return false;
        }
        options.model = *model;
    }
    options.bMin = args.bMin;
    options.bMax = args.bMax;
    options.Dmin = args.dminPercent / 100.0;
    options.producingTime = args.calendar ? 0 : 1;
    if (args.softL1) options.softL1 = 1;
    if (args.leastSquares) options.softL1 = 0;
    if (args.softL1Scale >= 0.0) options.softL1Scale = args.softL1Scale;
    if (args.noRegimes) options.regimes = 0;
    options.economicLimit = args.economicLimit;
    options.seed = args.seed;
    if (args.halfLife >= 0.0) options.halfLife = args.halfLife;
    if (args.bootstrap >= 0) options.bootstrap = args.bootstrap;
    if (!args.start.empty()) {
        run.start = ParseDate(args.start);
        if (!run.start) {
            Err("qrvp fit: bad --start date '" + args.start + "' (YYYY-MM-DD)\n");
            return false;
        }
    }
    run.threads = std::max(1u, args.threads != 0 ? args.threads : std::thread::hardware_concurrency());
    run.keepFitted = !args.svg.empty();
    run.horizonMonths = args.horizon;
    return true;
}

// Reads a prior or calibration file into `into`; false with a message.
template <typename T, typename Reader>
bool ReadEvidence(const std::string& path, const char* what, Reader read, T& into)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Err("qrvp fit: cannot read the " + std::string(what) + " '" + path + "'\n");
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string problem;
    if (!read(ReadCsv(text.str()), into, problem)) {
        Err("qrvp fit: " + path + ": " + problem + "\n");
        return false;
    }
    return true;
}

// The group of each well by the well headers' column; false (a message
// written) when the headers cannot be read or do not place every well.
bool GroupsFromHeaders(const FitArgs& args, const std::vector<History>& wells,
                       std::map<std::string, std::string>& groupOf)
{
    std::ifstream in(args.headers, std::ios::binary);
    if (!in) {
        Err("qrvp fit: cannot read the well headers '" + args.headers + "'\n");
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    Headers headers;
    std::vector<Problem> problems;
    const bool read = ReadHeaders(ReadCsv(text.str()), headers, problems);
    for (const Problem& p : problems)
        Err(args.headers + ":" + std::to_string(p.line) + (p.warning ? ": warning: " : ": error: ") + p.message + "\n");
    if (!read) return false;
    std::vector<std::string> names;
    for (const History& w : wells) names.push_back(w.name);
    Problem problem;
    if (GroupsOf(headers, args.totals, names, groupOf, problem)) return true;
    Err(args.headers + ":" + std::to_string(problem.line) + ": error: " + problem.message + "\n");
    return false;
}

}  // namespace

int RunFit(const FitArgs& args)
{
    std::string text, source = args.file == "-" ? "<stdin>" : args.file;
    {
        std::ostringstream buffer;
        if (args.file == "-") {
            buffer << std::cin.rdbuf();
        } else {
            std::ifstream in(args.file, std::ios::binary);
            if (!in) {
                Err("qrvp fit: cannot read '" + args.file + "'\n");
                return 2;
            }
            buffer << in.rdbuf();
        }
        text = buffer.str();
    }
    FitRun run;
    if (!RunOf(args, run)) return 2;

    std::vector<Problem> problems;
    const std::vector<History> wells = ReadHistory(ReadCsv(text), problems);
    for (const Problem& p : problems) {
        Err(source + ":" + std::to_string(p.line) + (p.warning ? ": warning: " : ": error: ") + p.message + "\n");
        if (p.fatal) return 2;
    }

    std::map<std::string, std::string> groupOf;
    if (!args.totals.empty() && !GroupsFromHeaders(args, wells, groupOf)) return 2;

    const bool priorGiven = !args.prior.empty() || args.noPrior;
    if (args.noPrior) run.options.prior.strength = 0.0;
    auto readPrior = [&run](const std::vector<CsvRecord>& records, FitPrior& prior, std::string& problem) {
        return ReadPrior(records, prior, problem, &run.bestModel);
    };
    if (!args.prior.empty() && !ReadEvidence(args.prior, "prior", readPrior, run.options.prior)) return 2;
    if (!args.calibration.empty() && !ReadEvidence(args.calibration, "calibration", ReadCalibration, run.calibration))
        return 2;
    const Evidence learned = PrepareRun(wells, run, priorGiven, !args.calibration.empty());
    Dependence dependence{args.rho, 0};
    if (!args.totals.empty() && args.rho < 0.0) dependence = LearnDependence(wells, run, learned, groupOf);

    // The library's records go to a private log while the wells are fitted;
    // a well that failed is fitted again alone, so that its record can be
    // told apart from the others'.
    LogRoute log;
    std::vector<WellFit> fits = RunFits(wells, run);
    ExplainFailures(wells, run, &log, fits);
    bool failed = false;
    for (size_t i = 0; i < wells.size(); ++i) {
        if (fits[i].status == 0) continue;
        failed = true;
        Err(source + ":" + std::to_string(fits[i].line) + ": error: well '" + wells[i].name +
            "' is not fitted: " + fits[i].message + "\n");
    }

    std::string out = ColumnNames(kSegmentColumns, ",") + "\n";
    for (size_t i = 0; i < wells.size(); ++i)
        if (fits[i].status == 0) out += CsvLine(kSegmentColumns, SegmentCells(wells[i].name, fits[i].result));
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);

    auto writeFile = [&](const std::string& path, const std::string& content) {
        std::ofstream f(path, std::ios::binary);
        f << content;
        f.close();
        if (!f) Err("qrvp fit: cannot write '" + path + "'\n");
        return static_cast<bool>(f);
    };
    if (!args.report.empty()) {
        const bool band = run.horizonMonths > 0;
        std::string report = ColumnNames(kReportColumns, ",");
        if (band) report.append(1, ',').append(ColumnNames(kHorizonColumns, ","));
        report.append(1, '\n');
        for (size_t i = 0; i < wells.size(); ++i) {
            report.append(CsvLine(kReportColumns, ReportCells(wells[i].name, fits[i])));
            if (band) {
                report.back() = ',';
                report.append(CsvLine(kHorizonColumns, HorizonCells(fits[i])));
            }
        }
        if (!writeFile(args.report, report)) return 2;
    }
    if (!args.savePrior.empty() && !writeFile(args.savePrior, PriorCsv(run.options.prior, run.bestModel))) return 2;
    if (!args.saveCalibration.empty() && !writeFile(args.saveCalibration, CalibrationCsv(learned.own))) return 2;
    const FitCalibration view = run.calibration.View();
    if (!args.svg.empty() && !writeFile(args.svg, RenderFitSvg(wells, fits, run.calibration.size() ? &view : nullptr))) return 2;
    if (!args.totals.empty()) {
        std::string table = ColumnNames(kTotalsColumns, ",") + "\n";
        for (const GroupTotal& t : TotalsOfFits(wells, fits, groupOf, dependence, run.options.seed, run.threads)) {
            table.append(CsvLine(kTotalsColumns, TotalsCells(t)));
            if (t.message.empty()) continue;
            failed = true;
            Err("qrvp fit: error: the total of group '" + t.group + "' is not given: " + t.message + "\n");
        }
        if (!writeFile(args.totalsOut, table)) return 2;
    }
    return failed ? 1 : 0;
}

}  // namespace qrvp::tool
