// The plot of qrvp fit: a semi-log panel per fitted well.
#include "tools/qrvp/svg.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace qrvp::tool {

// A semi-log panel per well: monthly rates (shut-ins as ticks on the axis),
// the fitted rates, the forecast and its calibrated P90-P10 band.
std::string RenderFitSvg(const std::vector<fleet::History>& wells, const std::vector<fleet::WellFit>& outcomes,
                         const FitCalibration* calibration)
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
        const fleet::History& w = wells[shown[p]];
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
            // The band's rates: FitBand's volumes over the month, per 30.4375 days.
            Date next = at;
            next.AddMonths(1);
            const double perMonth = 30.4375 / next.DaySpan(at);
            double q = 0, v90 = 0, v10 = 0;
            if (GetFitQt(&r.curve, at, &q) == 0 && FitBand(&r, calibration, at, next, &v90, nullptr, &v10) == 0)
                forecast.push_back({0.5 * (at.DaySpan(w.starts.front()) + next.DaySpan(w.starts.front())), q,
                                    v90 * perMonth, v10 * perMonth});
            if (q < 1e-3 * peak) break;
            at = next;
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
        std::snprintf(buf, sizeof buf, " (%s, log RMSE %.3f, noise %.3f; remaining %.4g)</text>\n",
                      fleet::FitModelName(r.curve.model), r.logRmse, r.noise, r.remaining);
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

}  // namespace qrvp::tool
