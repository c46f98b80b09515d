// The fit run over many wells: each well's options and start, its fit by
// FitDecline on a worker thread, and the replay of a failed well for its
// library record.
#include "fleet/fit_run.h"

#include "fleet/learn.h"
#include "fleet/text.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

namespace qrvp::fleet {

namespace {

// A history longer than this is refused before the library sees it.
constexpr size_t kMaxMonths = 100000;

WellFit FitOne(const History& w, const FitRun& run, bool keepFitted)
{
    WellFit out;
    if (!w.problem.empty()) {
        out.message = w.problem;
        return out;
    }
    if (w.starts.empty()) {
        out.message = "no rows";
        return out;
    }
    FitOptions options = run.options;
    if (run.start) {
        const auto at = std::lower_bound(w.starts.begin(), w.starts.end(), *run.start);
        if (at == w.starts.end()) {
            out.message = "no month on or after the fit start " + FormatDate(*run.start);
            return out;
        }
        options.startIndex = static_cast<int32_t>(at - w.starts.begin());
    }
    if (w.starts.size() > kMaxMonths) {
        out.message = "more than 100000 months";
        return out;
    }
    const auto count = static_cast<int32_t>(w.starts.size());
    out.fitted.assign(keepFitted ? w.starts.size() : 0, 0.0);
    out.status = FitDecline(count, w.starts.data(), w.ends.data(), w.volumes.data(), w.daysOn.data(), &options,
                            &out.result, keepFitted ? out.fitted.data() : nullptr);
    if (out.status == 0 && run.horizonMonths > 0) {
        Date to = out.result.historyEnd;
        to.AddMonths(run.horizonMonths);
        const FitCalibration view = run.calibration.View();
        FitBand(&out.result, run.calibration.size() ? &view : nullptr, out.result.historyEnd, to, &out.band[0],
                &out.band[1], &out.band[2]);
    }
    return out;
}

}  // namespace

const char* const kFitModelNames = "best, exponential, hyperbolic, stretched";

std::optional<int32_t> FitModelOf(const std::string& name)
{
    const std::string model = Lower(name);
    if (model == "best") return FIT_MODEL_BEST;
    if (model == "exponential" || model == "exp") return FIT_MODEL_EXPONENTIAL;
    if (model == "hyperbolic" || model == "arps") return FIT_MODEL_HYPERBOLIC;
    if (model == "stretched" || model == "sedm") return FIT_MODEL_STRETCHED;
    return std::nullopt;
}

const char* FitModelName(int32_t model)
{
    switch (model) {
    case FIT_MODEL_EXPONENTIAL: return "exponential";
    case FIT_MODEL_HYPERBOLIC: return "hyperbolic";
    case FIT_MODEL_STRETCHED: return "stretched";
    default: return "best";
    }
}

Evidence PrepareRun(const std::vector<History>& wells, FitRun& run, bool priorGiven, bool calibrationGiven,
                    size_t fleetSize)
{
    Evidence e;
    auto takeModel = [&run] {
        if (run.options.model == FIT_MODEL_BEST && run.bestModel >= 0) run.options.model = run.bestModel;
    };
    if (priorGiven) takeModel();
    if (priorGiven && !(run.options.prior.strength > 0.0)) run.options.prior = LonePrior(run.options.prior, run.options);
    // The built-in calibration of the fits the run makes: with a fleet prior, or each well alone. A
    // calibration given is another fleet's cells: it refines that one as this fleet's would.
    auto builtIn = [&run] {
        FitCalibration c{};
        (run.options.prior.strength > 0.0 && !IsLonePrior(run.options.prior) ? FitDefaultCalibration
                                                                               : FitLoneCalibration)(&c);
        return CopyOf(c);
    };
    if (priorGiven && calibrationGiven) {
        run.calibration = Blend(builtIn(), run.calibration, kBlendCases);
        return e;
    }
    e = Learn(SampleOf(wells, fleetSize ? fleetSize : wells.size()), run.options, run.threads,
              priorGiven ? &run.options.prior : nullptr);
    if (!priorGiven) {
        run.options.prior = e.prior;
        run.bestModel = e.model;
        takeModel();
    }
    run.calibration = Blend(builtIn(), calibrationGiven ? run.calibration : e.own, kBlendCases);
    return e;
}

std::vector<WellFit> RunFits(const std::vector<History>& wells, const FitRun& run)
{
    std::vector<WellFit> fits(wells.size());
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i; (i = next.fetch_add(1)) < wells.size();) fits[i] = FitOne(wells[i], run, run.keepFitted);
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < std::min<size_t>(std::max(run.threads, 1u), wells.size()); ++t) pool.emplace_back(worker);
    worker();
    for (std::thread& t : pool) t.join();
    return fits;
}

bool NeedsReplay(const std::vector<WellFit>& fits)
{
    return std::any_of(fits.begin(), fits.end(), [](const WellFit& f) { return f.status != 0 && f.message.empty(); });
}

void ExplainFailures(const std::vector<History>& wells, const FitRun& run, LogRoute* log,
                     std::vector<WellFit>& fits)
{
    if (log != nullptr) log->Collect();  // what earlier calls left behind
    for (size_t i = 0; i < wells.size(); ++i) {
        WellFit& o = fits[i];
        if (o.status == 0) continue;
        const History& w = wells[i];
        if (o.message.empty()) {
            std::vector<LogRecord> records;
            if (log != nullptr) {
                FitOne(w, run, false);
                records = log->Collect();
            }
            o.message = records.empty() ? "the fit failed (no log record)" : records.front().message;
            while (!o.message.empty() && (o.message.back() == '\r' || o.message.back() == '\n')) o.message.pop_back();
        }
        // The library names a period by its index; the message names its line.
        o.line = w.problemLine ? w.problemLine : w.line;
        int period = -1;
        if (std::sscanf(o.message.c_str(), "period %d:", &period) == 1 && period >= 0 &&
            static_cast<size_t>(period) < w.lines.size())
            o.line = w.lines[static_cast<size_t>(period)];
    }
}

}  // namespace qrvp::fleet
