#include "tools/qrvp/fit_command.h"

#include "tools/qrvp/csv.h"
#include "tools/qrvp/log_route.h"
#include "tools/qrvp/text.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <numeric>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

namespace qrvp::tool {

namespace {

struct History {
    std::string name;
    int line = 0;  // the well's first row
    std::vector<Date> starts, ends;
    std::vector<double> volumes, daysOn;
    std::vector<int> lines;
    std::string problem;  // the first thing wrong with its rows
    int problemLine = 0;
};

struct Outcome {
    int32_t status = -1;
    FitResult result{};
    std::vector<double> fitted;
    std::string message;
};

void Err(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); }

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Num(double value) { return std::isfinite(value) ? FormatNumber(value) : std::string(); }

const char* ModelName(int32_t model)
{
    switch (model) {
    case FIT_MODEL_EXPONENTIAL: return "exponential";
    case FIT_MODEL_HYPERBOLIC: return "hyperbolic";
    case FIT_MODEL_STRETCHED: return "stretched";
    default: return "best";
    }
}

// Reads the history into wells, in the order of their first rows.  False
// when the table itself is unusable (a message has been written).
bool ReadHistory(const std::string& text, const std::string& source, std::vector<History>& wells)
{
    const std::vector<CsvRecord> records = ReadCsv(text);
    if (records.empty()) {
        Err(source + ":1: error: the history is empty: it needs a header naming well, date, volume[, days_on]\n");
        return false;
    }
    int col[4] = {-1, -1, -1, -1};
    static const char* const names[4] = {"well", "date", "volume", "days_on"};
    const CsvRecord& header = records.front();
    for (size_t i = 0; i < header.fields.size(); ++i)
        for (int c = 0; c < 4; ++c)
            if (Lower(header.fields[i]) == names[c]) col[c] = static_cast<int>(i);
    for (int c = 0; c < 3; ++c) {
        if (col[c] < 0) {
            Err(source + ":" + std::to_string(header.line) + ": error: missing column '" + names[c] +
                "' (the header must name well, date and volume; days_on is optional)\n");
            return false;
        }
    }
    std::map<std::string, size_t> index;
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& rec = records[r];
        auto field = [&](int c) -> std::string {
            return c >= 0 && static_cast<size_t>(c) < rec.fields.size() ? rec.fields[static_cast<size_t>(c)] : "";
        };
        const std::string name = field(col[0]);
        if (name.empty()) {
            Err(source + ":" + std::to_string(rec.line) + ": warning: the row names no well; it is skipped\n");
            continue;
        }
        auto [it, added] = index.try_emplace(name, wells.size());
        if (added) {
            wells.emplace_back();
            wells.back().name = name;
            wells.back().line = rec.line;
        }
        History& w = wells[it->second];
        if (!w.problem.empty()) continue;
        auto bad = [&](int c, const std::string& what) {
            w.problem = "column '" + std::string(names[c]) + "': " + what;
            w.problemLine = rec.line;
        };
        const auto date = ParseDate(field(col[1]));
        if (!date) {
            bad(1, "bad date '" + field(col[1]) + "' (YYYY-MM-DD, years 1800 to 2999)");
            continue;
        }
        const auto volume = ParseNumber(field(col[2]));
        if (!volume || !std::isfinite(*volume)) {
            bad(2, "'" + field(col[2]) + "' is not a finite number");
            continue;
        }
        Date end = *date;
        end.AddMonths(1);
        double days = end.DaySpan(*date);
        if (col[3] >= 0 && !field(col[3]).empty()) {
            const auto on = ParseNumber(field(col[3]));
            if (!on || !std::isfinite(*on)) {
                bad(3, "'" + field(col[3]) + "' is not a finite number");
                continue;
            }
            days = *on;
        }
        w.starts.push_back(*date);
        w.ends.push_back(end);
        w.volumes.push_back(*volume);
        w.daysOn.push_back(days);
        w.lines.push_back(rec.line);
    }
    // Rows of a well in date order; two rows of one month are an error.
    for (History& w : wells) {
        if (!w.problem.empty()) continue;
        std::vector<size_t> order(w.starts.size());
        std::iota(order.begin(), order.end(), size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return w.starts[a] < w.starts[b]; });
        History sorted;
        for (size_t k : order) {
            if (!sorted.starts.empty() && w.starts[k] < sorted.ends.back()) {
                w.problem = "its month " + FormatDate(w.starts[k]) + " overlaps the month of line " +
                            std::to_string(sorted.lines.back());
                w.problemLine = w.lines[k];
                break;
            }
            sorted.starts.push_back(w.starts[k]);
            sorted.ends.push_back(w.ends[k]);
            sorted.volumes.push_back(w.volumes[k]);
            sorted.daysOn.push_back(w.daysOn[k]);
            sorted.lines.push_back(w.lines[k]);
        }
        if (w.problem.empty()) {
            w.starts.swap(sorted.starts);
            w.ends.swap(sorted.ends);
            w.volumes.swap(sorted.volumes);
            w.daysOn.swap(sorted.daysOn);
            w.lines.swap(sorted.lines);
        }
    }
    return true;
}

Outcome FitOne(const History& w, FitOptions options, const std::optional<Date>& start, bool keepFitted)
{
    Outcome out;
    if (!w.problem.empty()) {
        out.message = w.problem;
        return out;
    }
    if (w.starts.empty()) {
        out.message = "no rows";
        return out;
    }
    if (start) {
        const auto at = std::lower_bound(w.starts.begin(), w.starts.end(), *start);
        if (at == w.starts.end()) {
            out.message = "no month on or after the fit start " + FormatDate(*start);
            return out;
        }
        options.startIndex = static_cast<int32_t>(at - w.starts.begin());
    }
    if (w.starts.size() > 100000) {
        out.message = "more than 100000 months";
        return out;
    }
    const auto count = static_cast<int32_t>(w.starts.size());
    out.fitted.assign(keepFitted ? w.starts.size() : 0, 0.0);
    out.status = FitDecline(count, w.starts.data(), w.ends.data(), w.volumes.data(), w.daysOn.data(), &options,
                            &out.result, keepFitted ? out.fitted.data() : nullptr);
    return out;
}

// The segment row qrvp forecast reads: percentages per year, nominal.
std::string SegmentRow(const std::string& well, const FitResult& r)
{
    const FitCurve& c = r.curve;
    std::string row = CsvField(well);
    if (c.model == FIT_MODEL_STRETCHED) {
        row += ",sedm," + FormatDate(c.start) + "," + FormatDate(r.limitDate) + "," + Num(c.Qi) + ",,,,," +
               Num(c.tau) + "," + Num(c.n) + ",\n";
    } else {
        row += ",arps," + FormatDate(c.start) + "," + FormatDate(r.limitDate) + "," + Num(c.Qi) + ",," +
               Num(c.Di * 100.0) + "," + Num(c.b) + "," + (c.Dmin > 0.0 ? Num(c.Dmin * 100.0) : "") +
               ",,,nominal\n";
    }
    return row;
}

std::string ReportRow(const std::string& well, const Outcome& o)
{
    std::string row = CsvField(well) + ",";
    if (o.status != 0) return row + "failed" + std::string(27, ',') + CsvField(o.message) + "\n";
    const FitResult& r = o.result;
    const FitCurve& c = r.curve;
    const bool sedm = c.model == FIT_MODEL_STRETCHED;
    row += "ok," + std::string(ModelName(c.model)) + "," + FormatDate(r.fitStart) + "," + FormatDate(c.start) + "," +
           std::to_string(r.periodsUsed) + "," + Num(c.Qi) + "," + (sedm ? "" : Num(c.Di * 100.0)) + "," +
           (sedm ? "" : Num(c.b)) + "," + (sedm ? "" : Num(c.Dmin * 100.0)) + "," + (sedm ? Num(c.tau) : "") +
           "," + (sedm ? Num(c.n) : "") + "," + Num(r.stdErr[0]) + "," + Num(r.stdErr[1]) + "," +
           Num(r.stdErr[2]) + "," + Num(r.logRmse) + "," + Num(r.aicc) + "," + Num(r.candidateAicc[0]) + "," +
           Num(r.candidateAicc[1]) + "," + Num(r.candidateAicc[2]) + "," + std::to_string(r.iterations) + "," +
           FormatDate(r.historyEnd) + "," + FormatDate(r.limitDate) + "," + Num(r.remaining) + "," + Num(r.p90) +
           "," + Num(r.p50) + "," + Num(r.p10) + "," + std::to_string(r.bootstrapUsed) + ",\n";
    return row;
}

constexpr const char* kReportHeader =
    "well,status,model,fit_start,curve_start,periods_used,qi,di,b,dmin,tau,n,se_qi,se_di_or_tau,se_b_or_n,"
    "log_rmse,aicc,aicc_exponential,aicc_hyperbolic,aicc_stretched,iterations,history_end,limit_date,remaining,"
    "p90,p50,p10,bootstrap_used,message\n";

// A semi-log panel per well: monthly rates (shut-ins as ticks on the axis),
// the fitted rates, the forecast and its P90-P10 band.
std::string RenderFitSvg(const std::vector<History>& wells, const std::vector<Outcome>& outcomes)
{
    constexpr double W = 900, H = 300, L = 80, R = 20, T = 30, B = 40;
    constexpr size_t kMaxPanels = 50;
    std::vector<size_t> shown;
    for (size_t i = 0; i < wells.size() && shown.size() < kMaxPanels; ++i)
        if (outcomes[i].status == 0) shown.push_back(i);
    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << W << "\" height=\"" << H * static_cast<double>(std::max<size_t>(shown.size(), 1))
        << "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    char buf[160];
    for (size_t p = 0; p < shown.size(); ++p) {
        const History& w = wells[shown[p]];
        const FitResult& r = outcomes[shown[p]].result;
        const std::vector<double>& fitted = outcomes[shown[p]].fitted;
        const double y0 = H * static_cast<double>(p);
        auto rateOf = [&](size_t k, double v) { return v / std::max(w.daysOn[k], 1e-9) * 30.4375; };
        // Curves sampled monthly from the history's end to the limit, at most
        // 20 years and until the rate falls under a thousandth of the peak.
        double peak = 0.0;
        for (size_t k = 0; k < w.volumes.size(); ++k)
            if (w.volumes[k] > 0 && w.daysOn[k] > 0) peak = std::max(peak, rateOf(k, w.volumes[k]));
        std::vector<std::array<double, 4>> forecast;  // day, fitted curve, P90, P10
        Date at = r.historyEnd;
        for (int m = 0; m <= 240 && !(r.limitDate < at); ++m) {
            double q = 0, q90 = 0, q10 = 0;
            if (GetFitQt(&r.curve, at, &q) == 0 && GetFitQt(&r.p90Curve, at, &q90) == 0 &&
                GetFitQt(&r.p10Curve, at, &q10) == 0)
                forecast.push_back({at.DaySpan(w.starts.front()), q, q90, q10});
            if (q < 1e-3 * peak) break;
            at.AddMonths(1);
        }
        double lo = 1e300, hi = 0, tEnd = r.historyEnd.DaySpan(w.starts.front());
        for (size_t k = 0; k < w.volumes.size(); ++k)
            if (w.volumes[k] > 0 && w.daysOn[k] > 0) {
                lo = std::min(lo, rateOf(k, w.volumes[k]));
                hi = std::max(hi, rateOf(k, w.volumes[k]));
            }
        for (const auto& f : forecast) {
            tEnd = std::max(tEnd, f[0]);
            for (int j = 1; j < 4; ++j)
                if (f[static_cast<size_t>(j)] > 0) {
                    lo = std::min(lo, f[static_cast<size_t>(j)]);
                    hi = std::max(hi, f[static_cast<size_t>(j)]);
                }
        }
        lo = std::max(lo, 1e-3 * hi);
        if (!(lo > 0) || !(hi > lo)) lo = 1, hi = 10;
        const double ly0 = std::floor(std::log10(lo)), ly1 = std::ceil(std::log10(hi)) + (std::log10(hi) == std::ceil(std::log10(hi)) ? 1 : 0);
        auto X = [&](double day) { return L + (W - L - R) * day / std::max(tEnd, 1.0); };
        auto Y = [&](double q) {
            const double v = std::clamp(std::log10(std::max(q, 1e-300)), ly0, ly1);
            return y0 + T + (H - T - B) * (1 - (v - ly0) / (ly1 - ly0));
        };
        svg << "<text x=\"" << L << "\" y=\"" << y0 + 18 << "\" font-weight=\"bold\">";
        for (char c : w.name) svg << (c == '<' ? std::string("&lt;") : c == '&' ? std::string("&amp;") : std::string(1, c));
        std::snprintf(buf, sizeof buf, " (%s, log RMSE %.3f; remaining %.4g, P90 %.4g, P10 %.4g)</text>\n",
                      ModelName(r.curve.model), r.logRmse, r.remaining, r.p90, r.p10);
        svg << buf;
        std::snprintf(buf, sizeof buf, "<rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"none\" stroke=\"#999\"/>\n",
                      L, y0 + T, W - L - R, H - T - B);
        svg << buf;
        for (double e = ly0; e <= ly1; ++e) {
            std::snprintf(buf, sizeof buf, "<text x=\"%g\" y=\"%g\" text-anchor=\"end\">1e%d</text>\n", L - 6, Y(std::pow(10, e)) + 4, static_cast<int>(e));
            svg << buf;
        }
        // Years along the time axis, at most a dozen labels.
        const int firstYear = static_cast<int>(w.starts.front().year) + 1;
        const int years = static_cast<int>(tEnd / 365.25) + 1;
        for (int y = firstYear, step = std::max(1, years / 12); y <= firstYear + years; y += step) {
            const double day = Date(y, 1, 1, 0, 0, 0).DaySpan(w.starts.front());
            if (day > tEnd || y > 2999) break;
            std::snprintf(buf, sizeof buf, "<text x=\"%.1f\" y=\"%g\" text-anchor=\"middle\">%d</text>\n", X(day),
                          y0 + H - B + 16, y);
            svg << buf;
        }
        // The band, then the forecast.
        if (!forecast.empty()) {
            svg << "<polygon fill=\"#1f77b4\" fill-opacity=\"0.18\" points=\"";
            for (const auto& f : forecast) svg << X(f[0]) << "," << Y(f[3]) << " ";
            for (auto it = forecast.rbegin(); it != forecast.rend(); ++it) svg << X((*it)[0]) << "," << Y((*it)[2]) << " ";
            svg << "\"/>\n<polyline fill=\"none\" stroke=\"#1f77b4\" stroke-width=\"2\" points=\"";
            for (const auto& f : forecast) svg << X(f[0]) << "," << Y(f[1]) << " ";
            svg << "\"/>\n";
        }
        svg << "<polyline fill=\"none\" stroke=\"#d62728\" stroke-width=\"1.5\" points=\"";
        for (size_t k = 0; k < fitted.size(); ++k)
            if (std::isfinite(fitted[k]) && fitted[k] > 0)
                svg << X(0.5 * (w.starts[k].DaySpan(w.starts.front()) + w.ends[k].DaySpan(w.starts.front()))) << ","
                    << Y(rateOf(k, fitted[k])) << " ";
        svg << "\"/>\n";
        for (size_t k = 0; k < w.volumes.size(); ++k) {
            const double x = X(0.5 * (w.starts[k].DaySpan(w.starts.front()) + w.ends[k].DaySpan(w.starts.front())));
            if (w.volumes[k] > 0 && w.daysOn[k] > 0)
                std::snprintf(buf, sizeof buf, "<circle cx=\"%.2f\" cy=\"%.2f\" r=\"2.5\" fill=\"#333\"/>\n", x, Y(rateOf(k, w.volumes[k])));
            else
                std::snprintf(buf, sizeof buf, "<path d=\"M%.2f %.2fv-8\" stroke=\"#ff7f0e\" stroke-width=\"2\"/>\n", x, y0 + H - B);
            svg << buf;
        }
    }
    if (shown.empty()) svg << "<text x=\"20\" y=\"40\">no well was fitted</text>\n";
    svg << "</svg>\n";
    return svg.str();
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
    FitOptions options;
    FitDefaults(&options);
    const std::string model = Lower(args.model);
    if (model == "best") options.model = FIT_MODEL_BEST;
    else if (model == "exponential" || model == "exp") options.model = FIT_MODEL_EXPONENTIAL;
    else if (model == "hyperbolic" || model == "arps") options.model = FIT_MODEL_HYPERBOLIC;
    else if (model == "stretched" || model == "sedm") options.model = FIT_MODEL_STRETCHED;
    else {
        Err("qrvp fit: unknown model '" + args.model + "' (best, exponential, hyperbolic, stretched)\n");
        return 2;
    }
    options.bMin = args.bMin;
    options.bMax = args.bMax;
    options.Dmin = args.dminPercent / 100.0;
    options.producingTime = args.calendar ? 0 : 1;
    options.softL1 = args.softL1 ? 1 : 0;
    options.economicLimit = args.economicLimit;
    options.seed = args.seed;
    if (args.halfLife >= 0.0) options.halfLife = args.halfLife;
    if (args.bootstrap >= 0) options.bootstrap = args.bootstrap;
    std::optional<Date> start;
    if (!args.start.empty()) {
        start = ParseDate(args.start);
        if (!start) {
            Err("qrvp fit: bad --start date '" + args.start + "' (YYYY-MM-DD)\n");
            return 2;
        }
    }

    std::vector<History> wells;
    if (!ReadHistory(text, source, wells)) return 2;

    // Wells on worker threads; results kept in table order.
    LogRoute log;
    const bool keepFitted = !args.svg.empty();
    std::vector<Outcome> outcomes(wells.size());
    {
        const unsigned threads = std::max(1u, args.threads != 0 ? args.threads : std::thread::hardware_concurrency());
        std::atomic<size_t> next{0};
        auto worker = [&] {
            for (size_t i; (i = next.fetch_add(1)) < wells.size();)
                outcomes[i] = FitOne(wells[i], options, start, keepFitted);
        };
        std::vector<std::thread> pool;
        for (unsigned t = 1; t < std::min<size_t>(threads, wells.size()); ++t) pool.emplace_back(worker);
        worker();
        for (std::thread& t : pool) t.join();
    }

    // A well that failed is fitted again here, alone, so that its record can
    // be told apart from the others'.
    bool failed = false;
    log.Collect();
    for (size_t i = 0; i < wells.size(); ++i) {
        Outcome& o = outcomes[i];
        if (o.status == 0) continue;
        failed = true;
        const History& w = wells[i];
        if (o.message.empty()) {
            FitOne(w, options, start, false);
            const std::vector<LogRecord> records = log.Collect();
            o.message = records.empty() ? "the fit failed (no log record)" : records.front().message;
            while (!o.message.empty() && (o.message.back() == '\r' || o.message.back() == '\n')) o.message.pop_back();
        }
        // The library names a period by its index; the message names its line.
        int line = w.problemLine ? w.problemLine : w.line;
        int period = -1;
        if (std::sscanf(o.message.c_str(), "period %d:", &period) == 1 && period >= 0 &&
            static_cast<size_t>(period) < w.lines.size())
            line = w.lines[static_cast<size_t>(period)];
        Err(source + ":" + std::to_string(line) + ": error: well '" + w.name +
            "' is not fitted: " + o.message + "\n");
    }

    std::string out = "well,model,start,end,qi,qf,di,b,dmin,tau,n,decline_type\n";
    for (size_t i = 0; i < wells.size(); ++i)
        if (outcomes[i].status == 0) out += SegmentRow(wells[i].name, outcomes[i].result);
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
        std::string report = kReportHeader;
        for (size_t i = 0; i < wells.size(); ++i) report += ReportRow(wells[i].name, outcomes[i]);
        if (!writeFile(args.report, report)) return 2;
    }
    if (!args.svg.empty() && !writeFile(args.svg, RenderFitSvg(wells, outcomes))) return 2;
    return failed ? 1 : 0;
}

}  // namespace qrvp::tool
